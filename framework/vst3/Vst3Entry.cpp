// The module's exported entry points. Hosts call, in order:
// 1. InitDll (Windows, optional) or ModuleEntry (Linux) after loading;
// 2. GetPluginFactory, as often as they like;
// 3. ExitDll or ModuleExit after releasing the factory, before unloading.
// Nothing needs setting up or tearing down: the factory lives while it is
// referenced, and the entry and exit calls only answer. On Windows the
// module's initialisation entry is framework/win/ModuleMain.cpp.

#include "framework/vst3/IVst3Factory.h"

#if defined(_WIN32)
// Exported through the .def file, under the undecorated names.
#define MORVANE_VST3_EXPORT
#else
#define MORVANE_VST3_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

MORVANE_VST3_EXPORT vst3::IPluginFactory* PLUGIN_API GetPluginFactory();

#if defined(_WIN32)
MORVANE_VST3_EXPORT bool InitDll();
MORVANE_VST3_EXPORT bool ExitDll();
#else
MORVANE_VST3_EXPORT bool ModuleEntry(void* sharedLibraryHandle);
MORVANE_VST3_EXPORT bool ModuleExit();
#endif

}  // extern "C"

vst3::IPluginFactory* PLUGIN_API GetPluginFactory() { return IVst3Factory::Get(Vst3PluginClass()); }

#if defined(_WIN32)

bool InitDll() { return true; }
bool ExitDll() { return true; }

#else

bool ModuleEntry(void* /*sharedLibraryHandle*/) { return true; }
bool ModuleExit() { return true; }

#endif
