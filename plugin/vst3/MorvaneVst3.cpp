// Morvane as a VST 3 plug-in: its class, and the two Morvane objects of an
// instance (framework/vst3/IVst3Plugin.h). The processor is Morvane without
// host or editor; the controller is Morvane with its editor, whose overload
// lamp shows what the processor's lamp measures, relayed by the host as a
// read-only parameter.
#include <cmath>

#include "framework/vst3/IVst3Plugin.h"
#include "plugin/Morvane.h"

namespace {

// Parameter ids of the bypass and the overload lamp, after Morvane's eight
// (0 to 7). Hosts store automation and projects by these: never change them.
constexpr vst3::ParamID kBypassId = 100;
constexpr vst3::ParamID kLampId = 101;

// The lamp's parameter is half the lamp value, at most 1: the lamp lights
// from 0.5 on, as it does from a lamp value of 1.0. It moves in steps of
// 1/256, so that a lamp fading out in silence stops being reported once dark.
constexpr double kLampPerValue = 0.5;
constexpr double kLampSteps = 256.0;

// Morvane with its editor, its lamp showing a value it is given.
class MorvaneController : public Morvane {
public:
  MorvaneController() : Morvane(nullptr) {}
  void ShowLamp(double value) { ShowLampValue(value); }
};

class MorvaneParts final : public IVst3Parts {
public:
  explicit MorvaneParts(IVst3HostEdits* edits) : mController(edits) {}

  IEffectBase* Processor() override { return &mProcessor; }
  IEffectBase* Controller() override { return &mController; }

  // What the editor's lamp does at each of its redraws, kept in the time of
  // the audio: it reads the lamp value and clears the output peaks held
  // since, once per frame of the editor.
  double ReadMeter(int nFrames) override {
    const double lamp = std::fmin(std::fabs(mProcessor.LampValue()) * kLampPerValue, 1.0);
    const double value = std::floor(lamp * kLampSteps) / kLampSteps;
    mProcessor.ClearHeldPeaksPerEditorFrame(nFrames);
    return value;
  }

  void ShowMeter(double normalizedValue) override { mController.ShowLamp(normalizedValue / kLampPerValue); }

private:
  Morvane mProcessor{nullptr, nullptr};
  IVst3ControllerSide<MorvaneController> mController;
};

IVst3Parts* MakeParts(IVst3HostEdits* edits) { return new MorvaneParts(edits); }

}  // namespace

// The class id, textually 1DD26F6DA531D314BA22DD82D8F20588, is the plug-in's
// identity in every host's projects and presets: never change it.
const IVst3ClassDef& Vst3PluginClass() {
  static const IVst3ClassDef kClass = {
      morvane::Config(),
      {0x1DD26F6D, 0xA531D314, 0xBA22DD82, 0xD8F20588},
      "Fx|Dynamics",
      "",
      "",
      kBypassId,
      kLampId,
      "Overload",
      MakeParts,
  };
  return kClass;
}
