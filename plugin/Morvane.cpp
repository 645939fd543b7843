#include "plugin/Morvane.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "plugin/DenormalGuard.h"
#include "plugin/FastExp.h"
#include "plugin/ValueText.h"

namespace {

IEffectConfig MorvaneConfig() {
  IEffectConfig config;
  config.nParams = Morvane::kNumParams;
  config.channelIOStr = "1-1 2-2";
  config.nPresets = 1;
  config.effectName = "Morvane";
  config.productName = "";
  config.makerName = "Bexo";
  config.version = Morvane::kVersion;
  config.uniqueID = Morvane::kUniqueID;
  config.makerID = Morvane::kUniqueID;
  config.latency = 0;
  config.usesChunks = false;
  config.isInstrument = false;
  config.wantsMidi = false;
  return config;
}

struct ParamDef {
  int index;
  const char* name;
  const char* label;
  double minVal;
  double maxVal;
  double defaultVal;
  double shape;
};

// In the order the parameters are initialised. The shape of "Gain" puts 0 dB
// in the middle of the knob's travel (normalised 0.94^(1/0.09) = 0.5028).
constexpr ParamDef kParamDefs[] = {
    {Morvane::kAttack, "Attack", "%", -100.0, 100.0, 0.0, 1.0},
    {Morvane::kSustain, "Sustain", "%", -100.0, 100.0, 0.0, 1.0},
    {Morvane::kAttackLink, "Attack Link", "%", 0.0, 100.0, 0.0, 1.0},
    {Morvane::kAttackLength, "Attack Length", "ms", 0.0, 20.0, 5.0, 1.0},
    {Morvane::kSustainLink, "Sustain Link", "%", 0.0, 100.0, 0.0, 1.0},
    {Morvane::kSustainLength, "Sustain Length", "ms", 0.0, 750.0, 500.0, 1.0},
    {Morvane::kGain, "Gain", "dB", -94.0, 6.0, 0.0, 0.09},
    {Morvane::kScHpf, "SC HPF", "%", 0.0, 100.0, 0.0, 1.0},
};

constexpr double kParamStep = 0.01;
// "Gain" at this value and below mutes the output.
constexpr double kMuteGainDb = -93.0;
// The fast followers' attack time: the smallest positive normal double, whose
// coefficient is exactly 0, so they take a rising input at once.
constexpr double kInstantMs = std::numeric_limits<double>::min();
// 10^(y / 20) = exp(y * ln(10) / 20).
constexpr double kLn10Over20 = 2.302585092994045684 / 20.0;

// The side-chain and level followers see a sample that is not a finite number
// as 0, so that it never enters their states (nor, through the shared
// side-chain filter, the other channel).
inline double DetectionSample(double x) { return x - x == 0.0 ? x : 0.0; }

// A non-finite output sample is kept out of the held peaks for the same reason.
inline double PeakSample(double x) {
  const double a = std::fabs(x);
  return a <= std::numeric_limits<double>::max() ? a : 0.0;
}

using dsp::AttRelEnvelope;

AttRelEnvelope* MakeFollower(double attackMs, double releaseMs, double rate) {
  AttRelEnvelope* env = new AttRelEnvelope;
  env->setAttackMs(attackMs);
  env->setReleaseMs(releaseMs);
  env->setRate(rate);
  return env;
}

}  // namespace

IEffectVST* CreateEffectInstance(audioMasterCallback hostCallback) { return new Morvane(hostCallback); }

// Construction order:
//   1. the base, with the configuration above (mGain starts at 1);
//   2. the editor's graphics object and its bitmaps;
//   3. the eight parameters;
//   4. the editor's controls, then the editor attached to the base;
//   5. the single preset "-" holding the defaults;
//   6. the followers and the side-chain filter.
// The signal path's values follow the parameters only once the host opens the
// plug-in (every ParamChanged runs then).
Morvane::Morvane(audioMasterCallback hostCallback) : IEffectVST(hostCallback, MorvaneConfig()) {
  // EDITOR (2): create the graphics object (578 x 299 pixels, 25 frames per
  // second) with the module's instance handle and load its bitmaps here.

  for (const ParamDef& def : kParamDefs) {
    IParameter* param = GetParam(def.index);
    param->DefineDouble(def.name, def.defaultVal, def.minVal, def.maxVal, kParamStep, def.label, "");
    param->SetShape(def.shape);
  }

  // EDITOR (4): create the controls here, keep the "Attack" and "Sustain"
  // value texts in mAttackText and mSustainText, and attach the graphics
  // object with AttachEditor.

  FillDefaultPresets("-", 1);

  const double rate = GetSampleRate();
  for (int ch = kLeft; ch < kNumChannels; ++ch) {
    mFastEnv[ch] = MakeFollower(kInstantMs, 35.0, rate);
    mShortTailEnv[ch] = MakeFollower(1.0, 75.0, rate);
    mSlowEnv[ch] = MakeFollower(10.0, 35.0, rate);
    mLongTailEnv[ch] = MakeFollower(1.0, 500.0, rate);
    mLevelEnv[ch] = MakeFollower(15.0, 150.0, rate);
  }
  mSidechainFilter = new SidechainFilter;
  mOverloadEnv = MakeFollower(0.1, 750.0, rate);
}

Morvane::~Morvane() {
  for (int ch = kLeft; ch < kNumChannels; ++ch) {
    delete mFastEnv[ch];
    delete mShortTailEnv[ch];
    delete mSlowEnv[ch];
    delete mLongTailEnv[ch];
    delete mLevelEnv[ch];
  }
  delete mSidechainFilter;
  delete mOverloadEnv;
}

void Morvane::ParamChanged(int paramIdx) {
  ILockGuard lock(mLock);
  const IParameter* param = GetParam(paramIdx);
  if (!param) return;
  const double v = param->Value();
  switch (paramIdx) {
    case kAttack:
      mAttackDb = v * 0.3;
      ShowValueText(v, mAttackText);
      break;
    case kSustain:
      mSustainDb = v * 0.3;
      ShowValueText(v, mSustainText);
      break;
    case kAttackLink:
      mAttackLink = v * 0.01;
      break;
    case kAttackLength: {
      const double t = v + 2.0;
      mSlowEnv[kLeft]->setAttackMs(t);
      mLevelEnv[kLeft]->setAttackMs(t);
      mSlowEnv[kRight]->setAttackMs(t);
      mLevelEnv[kRight]->setAttackMs(t);
      break;
    }
    case kGain:
      mGain = v > kMuteGainDb ? std::pow(10.0, v / 20.0) : 0.0;
      break;
    case kScHpf:
      mSidechainFilter->cutoff = v * 0.002;
      break;
    case kSustainLink:
      mSustainLink = v * 0.01;
      break;
    case kSustainLength:
      mLongTailEnv[kLeft]->setReleaseMs(v + 100.0);
      mLongTailEnv[kRight]->setReleaseMs(v + 100.0);
      break;
    default:
      break;
  }
}

// Per frame, in this order: side-chain filter (left, then right), squares,
// fast/slow/level followers, tail followers, amounts floored at 0, linking,
// attack gain, sustain gain, output gain, held peaks and overload follower.
// The work is split into two passes over pieces of at most kChunkFrames
// frames: the first runs everything up to the linking and stores per frame
// what the gains need; the second evaluates the exponentials for the whole
// piece at once and then runs the gains, outputs and the overload follower in
// frame order. Nothing in the second pass feeds back into the first, so the
// results are those of the frame-by-frame order.
void Morvane::ProcessBlock(double** inputs, double** outputs, int nFrames) {
  if (nFrames <= 0) return;
  ScopedDenormalFlush flushDenormals;
  const double* inL = inputs[0];
  const double* inR = inputs[1];
  double* outL = outputs[0];
  double* outR = outputs[1];
  for (int done = 0; done < nFrames;) {
    const int n = std::min(kChunkFrames, nFrames - done);
    DetectChunk(inL + done, inR + done, n);
    ShapeChunk(inL + done, inR + done, outL + done, outR + done, n);
    done += n;
  }
}

void Morvane::DetectChunk(const double* inL, const double* inR, int n) {
  SidechainFilter filter = *mSidechainFilter;
  ChannelState l = mState[kLeft];
  ChannelState r = mState[kRight];
  const AttRelEnvelope& fastL = *mFastEnv[kLeft];
  const AttRelEnvelope& fastR = *mFastEnv[kRight];
  const AttRelEnvelope& slowL = *mSlowEnv[kLeft];
  const AttRelEnvelope& slowR = *mSlowEnv[kRight];
  const AttRelEnvelope& levelL = *mLevelEnv[kLeft];
  const AttRelEnvelope& levelR = *mLevelEnv[kRight];
  const AttRelEnvelope& shortL = *mShortTailEnv[kLeft];
  const AttRelEnvelope& shortR = *mShortTailEnv[kRight];
  const AttRelEnvelope& longL = *mLongTailEnv[kLeft];
  const AttRelEnvelope& longR = *mLongTailEnv[kRight];
  const double fastAttL = fastL.attackCoef(), fastRelL = fastL.releaseCoef();
  const double fastAttR = fastR.attackCoef(), fastRelR = fastR.releaseCoef();
  const double slowAttL = slowL.attackCoef(), slowRelL = slowL.releaseCoef();
  const double slowAttR = slowR.attackCoef(), slowRelR = slowR.releaseCoef();
  const double levelAttL = levelL.attackCoef(), levelRelL = levelL.releaseCoef();
  const double levelAttR = levelR.attackCoef(), levelRelR = levelR.releaseCoef();
  const double shortAttL = shortL.attackCoef(), shortRelL = shortL.releaseCoef();
  const double shortAttR = shortR.attackCoef(), shortRelR = shortR.releaseCoef();
  const double longAttL = longL.attackCoef(), longRelL = longL.releaseCoef();
  const double longAttR = longR.attackCoef(), longRelR = longR.releaseCoef();
  const double a = mAttackLink;
  const double oneMinusA = 1.0 - a;
  const double b = mSustainLink;
  const double oneMinusB = 1.0 - b;
  const bool boost = mAttackDb > 0.0;
  const double attackDb = mAttackDb;
  const double sustainDb = mSustainDb;
  double* attackTermL = mAttackTermL;
  double* attackTermR = mAttackTermR;
  double* sustainL = mSustainGainL;
  double* sustainR = mSustainGainR;

  using Env = AttRelEnvelope;
  for (int i = 0; i < n; ++i) {
    const double xL = DetectionSample(inL[i]);
    const double xR = DetectionSample(inR[i]);
    const double dL = filter.step(xL);
    const double dR = filter.step(xR);
    const double pL = dL * dL;
    const double pR = dR * dR;
    l.fast = Env::Follow(l.fast, pL, fastAttL, fastRelL);
    l.slow = Env::Follow(l.slow, pL, slowAttL, slowRelL);
    l.level = Env::Follow(l.level, std::fabs(xL), levelAttL, levelRelL);
    r.fast = Env::Follow(r.fast, pR, fastAttR, fastRelR);
    r.slow = Env::Follow(r.slow, pR, slowAttR, slowRelR);
    r.level = Env::Follow(r.level, std::fabs(xR), levelAttR, levelRelR);
    l.shortTail = Env::Follow(l.shortTail, dL, shortAttL, shortRelL);
    l.longTail = Env::Follow(l.longTail, dL, longAttL, longRelL);
    r.shortTail = Env::Follow(r.shortTail, dR, shortAttR, shortRelR);
    r.longTail = Env::Follow(r.longTail, dR, longAttR, longRelR);

    double attackAmtL = l.fast - l.slow;
    if (attackAmtL < 0.0) attackAmtL = 0.0;
    double attackAmtR = r.fast - r.slow;
    if (attackAmtR < 0.0) attackAmtR = 0.0;
    double sustainAmtL = l.longTail - l.shortTail;
    if (sustainAmtL < 0.0) sustainAmtL = 0.0;
    double sustainAmtR = r.longTail - r.shortTail;
    if (sustainAmtR < 0.0) sustainAmtR = 0.0;

    const double attMax = attackAmtR > attackAmtL ? attackAmtR : attackAmtL;
    const double levMax = r.level > l.level ? r.level : l.level;
    const double susMax = sustainAmtR > sustainAmtL ? sustainAmtR : sustainAmtL;
    attackAmtL = oneMinusA * attackAmtL + a * attMax;
    attackAmtR = oneMinusA * attackAmtR + a * attMax;
    sustainAmtL = oneMinusB * sustainAmtL + b * susMax;
    sustainAmtR = oneMinusB * sustainAmtR + b * susMax;

    if (boost) {
      attackTermL[i] = (attackDb * attackAmtL) * kLn10Over20;
      attackTermR[i] = (attackDb * attackAmtR) * kLn10Over20;
    } else {
      attackTermL[i] = oneMinusA * l.level + a * levMax;
      attackTermR[i] = oneMinusA * r.level + a * levMax;
    }
    sustainL[i] = (sustainAmtL * sustainDb) * kLn10Over20;
    sustainR[i] = (sustainAmtR * sustainDb) * kLn10Over20;
  }

  *mSidechainFilter = filter;
  mState[kLeft] = l;
  mState[kRight] = r;
}

void Morvane::ShapeChunk(const double* inL, const double* inR, double* outL, double* outR, int n) {
  const bool boost = mAttackDb > 0.0;
  if (boost) {
    dsp::ExpArray(mAttackTermL, mAttackTermL, n);
    dsp::ExpArray(mAttackTermR, mAttackTermR, n);
  }
  dsp::ExpArray(mSustainGainL, mSustainGainL, n);
  dsp::ExpArray(mSustainGainR, mSustainGainR, n);

  // The cut branch's gain is the same for every frame.
  const double g = boost ? 1.0 : dsp::Exp(mAttackDb * kLn10Over20);
  const double oneMinusG = 1.0 - g;
  const double gain = mGain;
  const double overloadAtt = mOverloadEnv->attackCoef();
  const double overloadRel = mOverloadEnv->releaseCoef();
  double overload = mOverloadState;
  const double* attackTermL = mAttackTermL;
  const double* attackTermR = mAttackTermR;
  const double* sustainL = mSustainGainL;
  const double* sustainR = mSustainGainR;

  for (int i = 0; i < n; ++i) {
    // Both inputs are read before either output is written: the host may pass
    // the same buffers for inputs and outputs.
    double xL = inL[i];
    double xR = inR[i];
    if (boost) {
      xL = attackTermL[i] * xL;
      xR = attackTermR[i] * xR;
    } else {
      xL = (xL * attackTermL[i]) * oneMinusG + xL * g;
      xR = (xR * attackTermR[i]) * oneMinusG + xR * g;
    }
    xL = sustainL[i] * xL;
    xR = sustainR[i] * xR;
    const double yL = gain * xL;
    const double yR = gain * xR;
    outL[i] = yL;
    outR[i] = yR;

    // The lamp may clear the held peaks at any time; a clearing that lands
    // within a block only shortens how long a peak is held.
    double peakL = mPeakL.load(std::memory_order_relaxed);
    double peakR = mPeakR.load(std::memory_order_relaxed);
    const double aL = PeakSample(yL);
    const double aR = PeakSample(yR);
    if (!(peakL >= aL)) peakL = aL;
    if (!(peakR >= aR)) peakR = aR;
    mPeakL.store(peakL, std::memory_order_relaxed);
    mPeakR.store(peakR, std::memory_order_relaxed);
    overload = AttRelEnvelope::Follow(overload, (peakL + peakR) * 0.5, overloadAtt, overloadRel);
    mLampValue.store(overload, std::memory_order_relaxed);
  }
  mOverloadState = overload;
}
