// A plug-in library for the construction-lock test. Each instance's
// constructor stays busy for a moment and counts how many constructors were
// running at once; the count becomes parameter 0's value, which the host
// reads back through getParameter (normalised over [0, 100]).

#include <atomic>
#include <chrono>
#include <thread>

#include "framework/vst2/IEffectVST.h"

namespace {

std::atomic<int> gRunning{0};

class ConstructionProbe : public IEffectVST {
public:
  static IEffectConfig Config() {
    IEffectConfig c;
    c.nParams = 1;
    c.channelIOStr = "2-2";
    c.nPresets = 1;
    c.effectName = "Construction Probe";
    return c;
  }

  explicit ConstructionProbe(audioMasterCallback host) : IEffectVST(host, Config()) {
    int together = ++gRunning;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    GetParam(0)->DefineDouble("Together", together, 0.0, 100.0, 1.0);
    --gRunning;
  }
};

}  // namespace

IEffectVST* CreateEffectInstance(audioMasterCallback host) { return new ConstructionProbe(host); }
