#include "tests/vst2/PluginLibrary.h"

#include <windows.h>

namespace vst2test {

void* OpenLibrary(const char* path) { return LoadLibraryA(path); }

void* FindSymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

std::string LibraryError() { return "Windows error " + std::to_string(GetLastError()); }

}  // namespace vst2test
