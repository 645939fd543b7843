#include <windows.h>
#include "bitmap/ResourceLookup.h"

namespace bm {

bool FindModuleResource(BM_ModuleHandle module, int32_t id, const char* type, const void** data, size_t* size) {
  // Integer resource names run from 1; 0 would be a null name pointer.
  if ((id & 0xFFFF) == 0 || !type) return false;
  HMODULE handle = static_cast<HMODULE>(module);
  HRSRC resource = FindResourceA(handle, MAKEINTRESOURCEA(id & 0xFFFF), type);
  if (!resource) return false;
  DWORD bytes = SizeofResource(handle, resource);
  HGLOBAL loaded = bytes ? LoadResource(handle, resource) : nullptr;
  const void* locked = loaded ? LockResource(loaded) : nullptr;
  if (!locked) return false;
  *data = locked;
  *size = bytes;
  return true;
}

}  // namespace bm
