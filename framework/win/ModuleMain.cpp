// The initialisation entry of every Windows module the project builds (the
// VST2 library and the VST3 bundle's module).
#include <windows.h>

#include "framework/vst2/IEffectVST.h"

// The statically linked C++ runtime's release of its emergency exception
// pool (about 73 KiB, allocated when the module loads), which nothing else
// frees.
namespace __gnu_cxx {
void __freeres();
}

// Records the module's instance handle (the editor loads its images from the
// module's resources), whatever the reason for the call, and lets the load go
// on. Unloaded by FreeLibrary (reserved is null; not at the process's end),
// it frees the runtime's exception pool: hosts that load and unload the
// module again and again (plug-in scans, projects opened and closed) would
// otherwise lose it with every load. Only the module's static destructors run
// after this, and they throw nothing.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  RecordModuleInstance(instance);
  if (reason == DLL_PROCESS_DETACH && !reserved) __gnu_cxx::__freeres();
  return TRUE;
}
