#pragma once
// The transient shaper written plainly, frame by frame, with the formulas of
// the plug-in's signal path in their order and std::pow for every power. It
// shares no code with the plug-in: the tests hold the plug-in's block
// processing against it, and the benchmark times the plug-in next to it.
// Samples that are not finite numbers take the formulas' own course here.

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
  // A freshly opened plug-in with these settings.
  explicit ReferenceShaper(const ReferenceSettings& s);

  // New settings between blocks; the states carry on.
  void Apply(const ReferenceSettings& s);

  void Process(const double* inL, const double* inR, double* outL, double* outR, int nFrames);

  double lampValue = 0.0;
  double peakL = 0.0;
  double peakR = 0.0;

private:
  struct Follower {
    double attack;   // coefficients
    double release;
  };
  static Follower Make(double attackMs, double releaseMs);
  static double Follow(const Follower& f, double s, double x);
  double Filter(double x);

  Follower mFast, mShortTail, mSlow, mLongTail, mLevel, mOverload;
  double mSmoothing = 0.5;
  double mStage[6] = {};
  double mFastState[2] = {0.001, 0.001}, mSlowState[2] = {0.001, 0.001}, mLevelState[2] = {0.001, 0.001};
  double mShortTailState[2] = {0.001, 0.001}, mLongTailState[2] = {0.001, 0.001};
  double mOverloadState = 0.001;
  double mAttackDb = 0.0, mSustainDb = 0.0, mAttackLink = 0.0, mSustainLink = 0.0, mGain = 1.0;
};
