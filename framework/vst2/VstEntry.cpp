// The library's exported entry points. Hosts look up VSTPluginMain, or main
// under its older name, and call it once per instance with their callback.
// On Windows the module's initialisation entry is framework/win/ModuleMain.cpp.

#include "framework/ConstructionLock.h"
#include "framework/vst2/IEffectVST.h"

#if defined(_WIN32)
// Exported through the .def file.
#define MORVANE_VST_EXPORT
// The .def file exports VstMainEntry under the name "main".
#define MORVANE_MAIN_SYMBOL
#else
#define MORVANE_VST_EXPORT __attribute__((visibility("default")))
// The C++ compiler reserves the name main for the program's own; the
// assembler name gives the symbol hosts look up.
#define MORVANE_MAIN_SYMBOL __asm__("main")
#endif

extern "C" MORVANE_VST_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback hostCallback);
extern "C" MORVANE_VST_EXPORT AEffect* VSTCALLBACK VstMainEntry(audioMasterCallback hostCallback)
    MORVANE_MAIN_SYMBOL;

// 1. Take the construction lock.
// 2. Construct the plug-in with the callback (stored, not called).
// 3. Fill any preset still blank with the current values, and report at least
//    one program, which hosts expect.
// 4. Release the lock and return the record, or null.
AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback hostCallback) {
  ILockGuard guard(ConstructionLock());
  IEffectVST* plug = CreateEffectInstance(hostCallback);
  if (!plug) return nullptr;
  plug->FillDefaultPresets("Empty", plug->PresetCount());
  AEffect* effect = plug->GetAEffect();
  if (effect->numPrograms < 1) effect->numPrograms = 1;
  return effect;
}

AEffect* VSTCALLBACK VstMainEntry(audioMasterCallback hostCallback) { return VSTPluginMain(hostCallback); }
