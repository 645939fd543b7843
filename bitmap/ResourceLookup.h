#pragma once
#include <cstddef>
#include <cstdint>

// The module whose resources are searched (an HMODULE on Windows; unused on
// platforms where the images are compiled into the library).
typedef void* BM_ModuleHandle;

namespace bm {

// Finds the resource with integer id (its low 16 bits) and the given type name
// in module. On success *data and *size describe bytes that stay valid for the
// life of the module; on failure returns false and leaves them untouched.
bool FindModuleResource(BM_ModuleHandle module, int32_t id, const char* type, const void** data, size_t* size);

}  // namespace bm
