// The LV2 plug-in binary's side of Morvane: the signal path without a host
// callback or an editor, and the overload lamp as a control output.
#include <algorithm>
#include <cmath>

#include "framework/lv2/Lv2Plugin.h"
#include "plugin/Morvane.h"
#include "plugin/lv2/MorvaneLv2.h"

namespace {

class MorvaneLv2 final : public Morvane {
public:
  MorvaneLv2() : Morvane(nullptr, nullptr) {}

  // [audio, instance lock held] The lamp's value, 0 dark to 1 lit (lit from
  // a lamp value of 1.0, as the editor's lamp).
  float ReadLamp(int nFrames) {
    const float lamp = static_cast<float>(std::min(std::fabs(LampValue()), 1.0));
    ClearHeldPeaksPerEditorFrame(nFrames);
    return lamp;
  }
};

}  // namespace

IEffectBase* CreateLv2Effect() { return new MorvaneLv2; }

void ReadLv2Meters(IEffectBase* effect, int nFrames, float* values) {
  values[morvane_lv2::kLampMeter] = static_cast<MorvaneLv2*>(effect)->ReadLamp(nFrames);
}
