#pragma once
// Loads a plug-in library as a host does (dlopen, or LoadLibrary on Windows)
// for the tests that enter a built library through its exported names.
#include <string>

namespace vst2test {

// Null when the library cannot be loaded; LibraryError then says why.
void* OpenLibrary(const char* path);
void* FindSymbol(void* library, const char* name);
void CloseLibrary(void* library);
std::string LibraryError();

}  // namespace vst2test
