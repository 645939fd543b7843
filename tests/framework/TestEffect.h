#pragma once
// A plug-in class for framework tests: configured like Morvane
// and built the way the VST2 adapter and the plug-in build it, with the
// adapter's required operations recording their calls instead of calling a
// host. Also a recording stand-in for the editor.
#include <cstring>
#include <string>
#include <vector>

#include "framework/IEditor.h"
#include "plugin/MorvaneDefinition.h"
#include "framework/IEffectBase.h"

namespace morvane_test {

// One recorded call: which operation, its index argument and its value.
struct Call {
  std::string what;
  int idx = -1;
  double value = 0.0;
  bool flag = false;
};

inline bool operator==(const Call& a, const Call& b) {
  return a.what == b.what && a.idx == b.idx && a.value == b.value && a.flag == b.flag;
}

class FakeEditor : public IEditor {
public:
  FakeEditor(std::vector<Call>* log, bool* deleted = nullptr) : mLog(log), mDeleted(deleted) {}
  ~FakeEditor() override {
    if (mDeleted) *mDeleted = true;
  }
  void* OpenWindow(void* parent) override {
    mLog->push_back({"OpenWindow"});
    return parent;
  }
  void CloseWindow() override { mLog->push_back({"CloseWindow"}); }
  void Idle() override { mLog->push_back({"Idle"}); }
  int Width() const override { return 578; }
  int Height() const override { return 299; }
  void SetHostScale(double scale) override { mLog->push_back({"SetHostScale", -1, scale, true}); }
  void ParamValueChanged(int paramIdx, double normalizedValue) override {
    mLog->push_back({"ParamValueChanged", paramIdx, normalizedValue, true});
  }

private:
  std::vector<Call>* mLog;
  bool* mDeleted;
};

// Morvane's configuration, with other channel configurations or preset
// counts where a test needs them.
inline IEffectConfig MorvaneConfig(const char* channelIO = "1-1 2-2", int nPresets = 1) {
  IEffectConfig c = morvane::Config();
  c.channelIOStr = channelIO;
  c.nPresets = nPresets;
  return c;
}

class TestEffect : public IEffectBase {
public:
  // How ProcessBlock behaves: the base's pass-through, or a stateful filter
  // (so that splitting a block into pieces would show) that also records the
  // length of every call.
  enum class Processing { kPassThrough, kStatefulFilter };

  explicit TestEffect(const IEffectConfig& config = MorvaneConfig(), bool makePreset = true)
      : IEffectBase(config) {
    // What the VST2 adapter's constructor does.
    for (int i = 0; i < InputCount(); ++i) SetInputConnected(i, true);
    for (int i = 0; i < OutputCount(); ++i) SetOutputConnected(i, true);
    SetBlockSize(1024);
    // What Morvane's constructor does.
    morvane::DefineParams(*this);
    if (makePreset) FillDefaultPresets("-", 1);
  }

  // ---- recording overrides -------------------------------------------------
  void ParamChanged(int paramIdx) override {
    IEffectBase::ParamChanged(paramIdx);
    calls.push_back({"ParamChanged", paramIdx, GetParam(paramIdx) ? GetParam(paramIdx)->Value() : 0.0, false});
  }
  void Reset() override {
    IEffectBase::Reset();
    calls.push_back({"Reset"});
  }
  void OnPresetsEdited() override { calls.push_back({"OnPresetsEdited"}); }

  void ProcessBlock(double** inputs, double** outputs, int nFrames) override {
    blockLengths.push_back(nFrames);
    if (processing == Processing::kPassThrough) {
      IEffectBase::ProcessBlock(inputs, outputs, nFrames);
      return;
    }
    // Every input and output buffer must be valid for nFrames samples.
    for (int c = 0; c < 2 && c < OutputCount(); ++c) {
      const double* in = inputs[c];
      double* out = outputs[c];
      for (int s = 0; s < nFrames; ++s) {
        mState[c] = 0.75 * mState[c] + 0.25 * in[s];
        out[s] = in[s] * 0.5 + mState[c] + 0.001 * static_cast<double>(mCount[c]++);
      }
    }
  }

  // ---- the adapter's required operations --------------------------------
  void BeginHostEdit(int paramIdx) override { calls.push_back({"BeginHostEdit", paramIdx}); }
  void NotifyHostOfParam(int paramIdx, double normalizedValue) override {
    calls.push_back({"NotifyHostOfParam", paramIdx, normalizedValue});
  }
  void EndHostEdit(int paramIdx) override { calls.push_back({"EndHostEdit", paramIdx}); }
  void NotifyHostOfPreset() override { calls.push_back({"NotifyHostOfPreset"}); }
  int GetHostSamplePos() override { return 0; }
  double GetHostTempo() override { return 0.0; }
  void GetHostTimeSig(int* numerator, int* denominator) override {
    if (numerator) *numerator = 0;
    if (denominator) *denominator = 0;
  }
  void GetHostTime(ITransportInfo* /*info*/) override {}
  void ResizeEditor(int width, int height) override {
    calls.push_back({"ResizeEditor", width, static_cast<double>(height)});
  }
  bool SendMidi(const IMidiMessage* msg) override {
    calls.push_back({"SendMidi", msg ? msg->status : -1, msg ? static_cast<double>(msg->data1) : 0.0});
    return true;
  }

  // Calls whose name is `what`, in order.
  std::vector<Call> CallsNamed(const std::string& what) const {
    std::vector<Call> out;
    for (const Call& c : calls)
      if (c.what == what) out.push_back(c);
    return out;
  }

  // Direct access for tests of the plumbing.
  double** InputSlots() { return static_cast<double**>(mInputPtrs.Data()); }
  double** OutputSlots() { return static_cast<double**>(mOutputPtrs.Data()); }
  void SetHostForTest(int host, int version) {
    mHost = host;
    mHostVersion = version;
  }

  std::vector<Call> calls;
  std::vector<int> blockLengths;
  Processing processing = Processing::kPassThrough;

private:
  double mState[2] = {0.0, 0.0};
  long mCount[2] = {0, 0};
};

}  // namespace morvane_test
