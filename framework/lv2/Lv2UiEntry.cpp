// The UI binary's exported entry point. Hosts look up lv2ui_descriptor and
// call it with 0, 1, ... until it answers null.
#include <lv2/ui/ui.h>

#include "framework/lv2/Lv2Ui.h"

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
  return index == 0 ? Lv2UiDescriptor() : nullptr;
}
