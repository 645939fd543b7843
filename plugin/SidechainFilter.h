#pragma once
#include <cstdint>

// The side-chain filter: six one-pole low-pass stages in cascade, no
// resonance. One object serves both channels of the transient shaper, so its
// stages see the left and then the right sample of every frame.
struct SidechainFilter {
  enum EMode : int32_t { kLowPass = 0, kHighPass = 1, kBandPass = 2 };

  // How far each stage moves toward its input per sample, 0..1: "SC HPF" x
  // 0.002, so at most 0.2. 0 holds the stages where they are.
  double smoothing = 0.5;
  int32_t mode = kHighPass;
  double stage1 = 0.0;
  double stage2 = 0.0;
  double stage3 = 0.0;
  double stage4 = 0.0;
  double stage5 = 0.0;
  double stage6 = 0.0;

  // One sample through the stages: y_k = (y_{k-1} - stage_k) * smoothing + stage_k,
  // stored into stage_k, with y_0 = x. Low-pass gives y6, high-pass x - y6,
  // band-pass y1 - y6, any other mode 0.
  double step(double x) {
    switch (mode) {
      case kLowPass: return stepAs<kLowPass>(x);
      case kHighPass: return stepAs<kHighPass>(x);
      case kBandPass: return stepAs<kBandPass>(x);
      default: return stepAs<-1>(x);
    }
  }

  // The same step for a mode known in advance (a loop over many samples
  // chooses once).
  template <int kMode>
  double stepAs(double x) {
    const double y1 = stage1 = (x - stage1) * smoothing + stage1;
    stage2 = (y1 - stage2) * smoothing + stage2;
    stage3 = (stage2 - stage3) * smoothing + stage3;
    stage4 = (stage3 - stage4) * smoothing + stage4;
    stage5 = (stage4 - stage5) * smoothing + stage5;
    const double y6 = stage6 = (stage5 - stage6) * smoothing + stage6;
    if (kMode == kLowPass) return y6;
    if (kMode == kHighPass) return x - y6;
    if (kMode == kBandPass) return y1 - y6;
    return 0.0;
  }
};
