#include "tests/vst2/PluginLibrary.h"

#include <dlfcn.h>

namespace vst2test {

void* OpenLibrary(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }

void* FindSymbol(void* library, const char* name) { return dlsym(library, name); }

void CloseLibrary(void* library) { dlclose(library); }

std::string LibraryError() {
  const char* text = dlerror();
  return text ? text : "";
}

}  // namespace vst2test
