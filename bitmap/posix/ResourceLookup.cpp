#include <cstring>

#include "bitmap/ResourceLookup.h"
#include "bitmap/posix/EmbeddedResources.h"

namespace bm {

void AddEmbeddedResources(EmbeddedResourceTable* table) {
  EmbeddedResourceTable* last = &gLibraryImages;
  while (last->mNext && last != table) last = last->mNext;
  if (last != table) {
    table->mNext = nullptr;
    last->mNext = table;
  }
}

// The images belong to the library itself, so the module handle has nothing
// to select.
bool FindModuleResource(BM_ModuleHandle, int32_t id, const char* type, const void** data, size_t* size) {
  if (!type) return false;
  for (const EmbeddedResourceTable* table = &gLibraryImages; table; table = table->mNext) {
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
