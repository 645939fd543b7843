#pragma once
#include <cstddef>
#include <cstdint>

// Resources compiled into a library: the build turns the images of a folder
// into a table (see cmake/EmbedResources.cmake) so that lookup by id works
// without files beside the library. The bitmap library holds no table of its
// own: each library or program links its tables into the lookup.
namespace bm {

struct EmbeddedResource {
  int32_t mId;
  const char* mName;  // file name, for diagnostics
  const char* mType;  // "PNG"
  const unsigned char* mData;
  size_t mSize;
};

struct EmbeddedResourceTable {
  const EmbeddedResource* mEntries;
  size_t mCount;
  EmbeddedResourceTable* mNext;  // further tables, searched in order
};

// Links a table after those already linked; linking a table again changes
// nothing. Lookups search the tables in the order they were linked. Call
// before lookups that need the table start; tables are never unlinked.
void AddEmbeddedResources(EmbeddedResourceTable* table);

}  // namespace bm
