#include "plugin/reference/ReferenceShaper.h"

#include <cmath>
#include <limits>

ReferenceShaper::Follower ReferenceShaper::Make(double attackMs, double releaseMs) {
  auto coef = [](double ms) { return std::exp(-1000.0 / (ms * 44100.0)); };
  return Follower{coef(attackMs), coef(releaseMs)};
}

double ReferenceShaper::Follow(const Follower& f, double s, double x) {
  if (x > s) return (s - x) * f.attack + x;
  return (s - x) * f.release + x;
}

// Six one-pole stages in cascade; high-pass: the input minus the last stage.
double ReferenceShaper::Filter(double x) {
  double y = x;
  for (double& stage : mStage) {
    stage = (y - stage) * mSmoothing + stage;
    y = stage;
  }
  return x - y;
}

ReferenceShaper::ReferenceShaper(const ReferenceSettings& s) {
  mFast = Make(std::numeric_limits<double>::min(), 35.0);
  mShortTail = Make(1.0, 75.0);
  mOverload = Make(0.1, 750.0);
  Apply(s);
}

void ReferenceShaper::Apply(const ReferenceSettings& s) {
  mSlow = Make(s.attackLength + 2.0, 35.0);
  mLevel = Make(s.attackLength + 2.0, 150.0);
  mLongTail = Make(1.0, s.sustainLength + 100.0);
  mAttackDb = s.attack * 0.3;
  mSustainDb = s.sustain * 0.3;
  mAttackLink = s.attackLink * 0.01;
  mSustainLink = s.sustainLink * 0.01;
  mGain = s.gainDb > -93.0 ? std::pow(10.0, s.gainDb / 20.0) : 0.0;
  mSmoothing = s.scHpf * 0.002;
}

void ReferenceShaper::Process(const double* inL, const double* inR, double* outL, double* outR, int nFrames) {
  for (int i = 0; i < nFrames; ++i) {
    double x[2] = {inL[i], inR[i]};
    double d[2], attackAmt[2], sustainAmt[2], level[2];
    d[0] = Filter(x[0]);
    d[1] = Filter(x[1]);
    for (int ch = 0; ch < 2; ++ch) {
      const double p = std::pow(d[ch], 2.0);
      mFastState[ch] = Follow(mFast, mFastState[ch], p);
      mSlowState[ch] = Follow(mSlow, mSlowState[ch], p);
      mLevelState[ch] = Follow(mLevel, mLevelState[ch], std::fabs(x[ch]));
    }
    for (int ch = 0; ch < 2; ++ch) {
      mShortTailState[ch] = Follow(mShortTail, mShortTailState[ch], d[ch]);
      mLongTailState[ch] = Follow(mLongTail, mLongTailState[ch], d[ch]);
    }
    for (int ch = 0; ch < 2; ++ch) {
      attackAmt[ch] = mFastState[ch] - mSlowState[ch];
      if (attackAmt[ch] < 0.0) attackAmt[ch] = 0.0;
      sustainAmt[ch] = mLongTailState[ch] - mShortTailState[ch];
      if (sustainAmt[ch] < 0.0) sustainAmt[ch] = 0.0;
    }
    const double a = mAttackLink, b = mSustainLink;
    const double attMax = attackAmt[1] > attackAmt[0] ? attackAmt[1] : attackAmt[0];
    const double levMax = mLevelState[1] > mLevelState[0] ? mLevelState[1] : mLevelState[0];
    const double susMax = sustainAmt[1] > sustainAmt[0] ? sustainAmt[1] : sustainAmt[0];
    for (int ch = 0; ch < 2; ++ch) {
      attackAmt[ch] = (1.0 - a) * attackAmt[ch] + a * attMax;
      level[ch] = (1.0 - a) * mLevelState[ch] + a * levMax;
      sustainAmt[ch] = (1.0 - b) * sustainAmt[ch] + b * susMax;
    }
    for (int ch = 0; ch < 2; ++ch) {
      if (mAttackDb > 0.0) {
        x[ch] = std::pow(10.0, (mAttackDb * attackAmt[ch]) / 20.0) * x[ch];
      } else {
        const double g = std::pow(10.0, mAttackDb / 20.0);
        x[ch] = (x[ch] * level[ch]) * (1.0 - g) + x[ch] * g;
      }
    }
    for (int ch = 0; ch < 2; ++ch) x[ch] = std::pow(10.0, (sustainAmt[ch] * mSustainDb) / 20.0) * x[ch];
    outL[i] = mGain * x[0];
    outR[i] = mGain * x[1];
    if (!(peakL >= std::fabs(outL[i]))) peakL = std::fabs(outL[i]);
    if (!(peakR >= std::fabs(outR[i]))) peakR = std::fabs(outR[i]);
    mOverloadState = Follow(mOverload, mOverloadState, (peakL + peakR) * 0.5);
    lampValue = mOverloadState;
  }
}
