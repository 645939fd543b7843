// The LV2 UI binary's side of Morvane: the plug-in with its editor, whose
// host-facing slots go to the LV2 UI host instead of a VST2 host.
#include "framework/lv2/Lv2Ui.h"
#include "plugin/Morvane.h"
#include "plugin/lv2/MorvaneLv2.h"

namespace {

class MorvaneLv2Ui final : public Morvane {
public:
  explicit MorvaneLv2Ui(ILv2UiHost* host) : Morvane(nullptr), mHost(host) {}

  void BeginHostEdit(int paramIdx) override { mHost->BeginEdit(paramIdx); }
  // The host's control inputs take plain values.
  void NotifyHostOfParam(int paramIdx, double /*normalizedValue*/) override {
    if (const IParameter* param = GetParam(paramIdx)) mHost->WriteParam(paramIdx, param->Value());
  }
  void EndHostEdit(int paramIdx) override { mHost->EndEdit(paramIdx); }
  bool RequestEditorSize(int width, int height) override { return mHost->RequestSize(width, height); }

  void ShowLamp(float value) { ShowLampValue(value); }

private:
  ILv2UiHost* mHost;  // not owned
};

}  // namespace

IEffectBase* CreateLv2UiEffect(ILv2UiHost* host) {
  MorvaneLv2Ui* plug = new MorvaneLv2Ui(host);
  if (!plug->GetEditor()) {
    delete plug;
    return nullptr;
  }
  return plug;
}

void ShowLv2Meter(IEffectBase* effect, int meter, float value) {
  if (meter == morvane_lv2::kLampMeter) static_cast<MorvaneLv2Ui*>(effect)->ShowLamp(value);
}
