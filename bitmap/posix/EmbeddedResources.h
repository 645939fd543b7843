#pragma once
#include <cstddef>
#include <cstdint>

// Resources compiled into the library: the build turns the images of a folder
// into a table (see cmake/EmbedResources.cmake) so that lookup by id works
// without files beside the library.
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

// The library's own images.
extern EmbeddedResourceTable gLibraryImages;

// Links a further table after the library's own (a test's resources, for
// example). Call before lookups start; tables are never unlinked.
void AddEmbeddedResources(EmbeddedResourceTable* table);

}  // namespace bm
