#include <cstring>

#include "bitmap/ResourceLookup.h"
#include "bitmap/posix/EmbeddedResources.h"

namespace bm {

namespace {
EmbeddedResourceTable* gFirstTable = nullptr;
}  // namespace

void AddEmbeddedResources(EmbeddedResourceTable* table) {
  if (!table) return;
  EmbeddedResourceTable** link = &gFirstTable;
  while (*link) {
    if (*link == table) return;
    link = &(*link)->mNext;
  }
  table->mNext = nullptr;
  *link = table;
}

// The images belong to the libraries linked into the process, so the module
// handle has nothing to select.
bool FindModuleResource(BM_ModuleHandle, int32_t id, const char* type, const void** data, size_t* size) {
  if (!type) return false;
  for (const EmbeddedResourceTable* table = gFirstTable; table; table = table->mNext) {
    for (size_t i = 0; i < table->mCount; ++i) {
      const EmbeddedResource& r = table->mEntries[i];
      if ((r.mId & 0xFFFF) == (id & 0xFFFF) && std::strcmp(r.mType, type) == 0) {
        *data = r.mData;
        *size = r.mSize;
        return true;
      }
    }
  }
  return false;
}

}  // namespace bm
