#pragma once
// A plain frame-by-frame transient shaper with the formulas of the plug-in's
// signal path in their order, calling std::pow for every power. The tests hold
// the plug-in's block processing against it, and the benchmark measures the
// plug-in next to it.
#include <cmath>
#include <limits>

#include "plugin/EnvelopeFollower.h"
#include "plugin/SidechainFilter.h"

struct ReferenceSettings {
  double attack = 0.0;         // "Attack", -100..100
  double sustain = 0.0;        // "Sustain", -100..100
  double attackLink = 0.0;     // "Attack Link", 0..100
  double attackLength = 5.0;   // "Attack Length", 0..20 ms
  double gainDb = 0.0;         // "Gain", -94..6 dB
  double scHpf = 0.0;          // "SC HPF", 0..100
  double sustainLink = 0.0;    // "Sustain Link", 0..100
  double sustainLength = 500;  // "Sustain Length", 0..750 ms
};

class ReferenceShaper {
public:
  explicit ReferenceShaper(const ReferenceSettings& s) {
    for (int ch = 0; ch < 2; ++ch) {
      Init(fastEnv[ch], std::numeric_limits<double>::min(), 35.0);
      Init(shortTailEnv[ch], 1.0, 75.0);
      Init(slowEnv[ch], s.attackLength + 2.0, 35.0);
      Init(longTailEnv[ch], 1.0, s.sustainLength + 100.0);
      Init(levelEnv[ch], s.attackLength + 2.0, 150.0);
    }
    Init(overloadEnv, 0.1, 750.0);
    attackDb = s.attack * 0.3;
    sustainDb = s.sustain * 0.3;
    attackLink = s.attackLink * 0.01;
    sustainLink = s.sustainLink * 0.01;
    gain = s.gainDb > -93.0 ? std::pow(10.0, s.gainDb / 20.0) : 0.0;
    filter.cutoff = s.scHpf * 0.002;
  }

  void Process(const double* inL, const double* inR, double* outL, double* outR, int n) {
    for (int i = 0; i < n; ++i) {
      double x[2] = {inL[i], inR[i]};
      double d[2], level[2], attackAmt[2], sustainAmt[2];
      d[0] = filter.step(x[0]);
      d[1] = filter.step(x[1]);
      for (int ch = 0; ch < 2; ++ch) {
        const double p = std::pow(d[ch], 2.0);
        fast[ch] = fastEnv[ch].follow(fast[ch], p);
        slow[ch] = slowEnv[ch].follow(slow[ch], p);
        lev[ch] = levelEnv[ch].follow(lev[ch], std::fabs(x[ch]));
      }
      for (int ch = 0; ch < 2; ++ch) {
        shortTail[ch] = shortTailEnv[ch].follow(shortTail[ch], d[ch]);
        longTail[ch] = longTailEnv[ch].follow(longTail[ch], d[ch]);
      }
      for (int ch = 0; ch < 2; ++ch) {
        attackAmt[ch] = fast[ch] - slow[ch];
        if (attackAmt[ch] < 0.0) attackAmt[ch] = 0.0;
        sustainAmt[ch] = longTail[ch] - shortTail[ch];
        if (sustainAmt[ch] < 0.0) sustainAmt[ch] = 0.0;
      }
      const double a = attackLink, b = sustainLink;
      const double attMax = attackAmt[1] > attackAmt[0] ? attackAmt[1] : attackAmt[0];
      const double levMax = lev[1] > lev[0] ? lev[1] : lev[0];
      const double susMax = sustainAmt[1] > sustainAmt[0] ? sustainAmt[1] : sustainAmt[0];
      for (int ch = 0; ch < 2; ++ch) {
        attackAmt[ch] = (1.0 - a) * attackAmt[ch] + a * attMax;
        level[ch] = (1.0 - a) * lev[ch] + a * levMax;
        sustainAmt[ch] = (1.0 - b) * sustainAmt[ch] + b * susMax;
      }
      for (int ch = 0; ch < 2; ++ch) {
        if (attackDb > 0.0) {
          x[ch] = std::pow(10.0, (attackDb * attackAmt[ch]) / 20.0) * x[ch];
        } else {
          const double g = std::pow(10.0, attackDb / 20.0);
          x[ch] = (x[ch] * level[ch]) * (1.0 - g) + x[ch] * g;
        }
      }
      for (int ch = 0; ch < 2; ++ch) x[ch] = std::pow(10.0, (sustainAmt[ch] * sustainDb) / 20.0) * x[ch];
      outL[i] = gain * x[0];
      outR[i] = gain * x[1];
      if (!(peakL >= std::fabs(outL[i]))) peakL = std::fabs(outL[i]);
      if (!(peakR >= std::fabs(outR[i]))) peakR = std::fabs(outR[i]);
      overload = overloadEnv.follow(overload, (peakL + peakR) * 0.5);
      lampValue = overload;
    }
  }

  double lampValue = 0.0;
  double peakL = 0.0;
  double peakR = 0.0;

private:
  static void Init(dsp::AttRelEnvelope& env, double attackMs, double releaseMs) {
    env.setAttackMs(attackMs);
    env.setReleaseMs(releaseMs);
    env.setRate(44100.0);
  }

  dsp::AttRelEnvelope fastEnv[2], slowEnv[2], levelEnv[2], shortTailEnv[2], longTailEnv[2], overloadEnv;
  SidechainFilter filter;
  double fast[2] = {0.001, 0.001}, slow[2] = {0.001, 0.001}, lev[2] = {0.001, 0.001};
  double shortTail[2] = {0.001, 0.001}, longTail[2] = {0.001, 0.001};
  double overload = 0.001;
  double attackDb, sustainDb, attackLink, sustainLink, gain;
};
