// A plug-in library whose plug-in can never be made, as when its
// construction fails: the entry points must answer null.
#include "framework/vst2/IEffectVST.h"

IEffectVST* CreateEffectInstance(audioMasterCallback /*hostCallback*/) { return nullptr; }
