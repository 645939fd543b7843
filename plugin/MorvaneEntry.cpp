#include "plugin/Morvane.h"

// The VST2 entry point's plug-in, with the platform's editor window. In a file
// of its own, so that a library that never makes one this way (the LV2 DSP)
// does not take in the editor window's code and libraries.
IEffectVST* CreateEffectInstance(audioMasterCallback hostCallback) { return new Morvane(hostCallback); }
