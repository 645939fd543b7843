#pragma once
// The host's scale message for the editor, as hosts send it: effVendorSpecific
// 'PreS' 'AeCs' with the scale factor (1.0 for 100 %) in opt, before the
// editor opens or while it is open.
#include "framework/vst2/VstDefs.h"

inline void SendHostScale(AEffect* e, float scale) {
  e->dispatcher(e, effVendorSpecific, VstFourCC('P', 'r', 'e', 'S'), VstFourCC('A', 'e', 'C', 's'), nullptr, scale);
}
