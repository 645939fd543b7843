// The plug-in binary's exported entry point. Hosts look up lv2_descriptor and
// call it with 0, 1, ... until it answers null.
#include <lv2/core/lv2.h>

#include "framework/lv2/Lv2Plugin.h"

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
  return index == 0 ? Lv2PluginDescriptor() : nullptr;
}
