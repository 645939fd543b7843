#include "plugin/Morvane.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "editor/IBitmapTextControl.h"
#include "editor/IControls.h"
#include "plugin/DenormalGuard.h"
#include "plugin/ModuleImages.h"
#include "plugin/MorvaneImageIds.h"
#include "plugin/OverloadLamp.h"
#include "plugin/ValueText.h"

namespace {

// "Gain" at this value and below mutes the output: the last dB of the knob's
// range, which its 0.09 shape squeezes into the first 1e-22 of its travel,
// gives exact zeros rather than a gain of 2e-5 or so, so the knob's bottom
// is off.
constexpr double kMuteGainDb = -93.0;
// The fast followers' attack time: the smallest positive normal double, whose
// coefficient is exactly 0, so they take a rising input at once.
constexpr double kInstantMs = std::numeric_limits<double>::min();


using dsp::AttRelEnvelope;

// The editor's images (ids and names from resources/ImageIds.txt) with their
// frame count and layout. The font's frames are the characters 32 to 126 side
// by side, the others' frames are stacked.
struct ImageDef {
  ImageResource resource;
  int frames;
  bool framesHorizontal;
};
constexpr ImageDef kBackImage = {morvane::kBackImage, 1, false};
constexpr ImageDef kKnobImage = {morvane::kKnobImage, layout::kKnobFrames, false};
constexpr ImageDef kSmallKnobImage = {morvane::kSmallKnobImage, layout::kKnobFrames, false};
constexpr ImageDef kLampImage = {morvane::kLampImage, 2, false};
constexpr ImageDef kFontImage = {morvane::kFontImage, 95, true};

// The knobs, in the order they are added: parameter, place, large or small.
// All turn with vertical drags at gearing 4.
struct KnobDef {
  int param;
  layout::Rect at;
  bool large;
};
constexpr KnobDef kKnobs[] = {
    {Morvane::kAttack, layout::kLargeKnobs[0], true},       {Morvane::kSustain, layout::kLargeKnobs[1], true},
    {Morvane::kAttackLink, layout::kSmallKnobs[0], false},  {Morvane::kAttackLength, layout::kSmallKnobs[1], false},
    {Morvane::kGain, layout::kSmallKnobs[2], false},        {Morvane::kScHpf, layout::kSmallKnobs[3], false},
    {Morvane::kSustainLink, layout::kSmallKnobs[4], false}, {Morvane::kSustainLength, layout::kSmallKnobs[5], false},
};
constexpr double kKnobGearing = 4.0;

// The bitmap-font texts: 6 x 12 cells without spacing, several lines, from
// the rectangle's top, centred.
constexpr int kCharWidth = 6;
constexpr int kCharHeight = 12;

ITextStyle TextStyle() {
  ITextStyle style;
  std::snprintf(style.font, sizeof style.font, "%s", "Arial");
  style.size = 12;
  style.color = IColorValue(255, 0, 0, 0);
  style.entryBackground = IColorValue(255, 255, 255, 255);
  style.entryForeground = IColorValue(255, 0, 0, 0);
  style.style = kTextNormal;
  style.align = kAlignCenter;
  style.orientation = 0;
  return style;
}

IBitmapTextControl* MakeText(IEffectBase* plugin, const IBounds& rect, const IBitmapRef& font, const char* text) {
  return new IBitmapTextControl(plugin, rect, font, text, TextStyle(), kCharWidth, kCharHeight, 0, true, false);
}

IBounds Bounds(const layout::Rect& r) { return IBounds(r.left, r.top, r.right, r.bottom); }

IBitmapRef LoadImage(IGraphics* graphics, const ImageDef& image) {
  return graphics->LoadImageStrip(image.resource.id, image.resource.name, image.frames, image.framesHorizontal);
}

AttRelEnvelope* MakeFollower(double attackMs, double releaseMs, double rate) {
  AttRelEnvelope* env = new AttRelEnvelope;
  env->setAttackMs(attackMs);
  env->setReleaseMs(releaseMs);
  env->setRate(rate);
  return env;
}

}  // namespace

// Construction order:
//   1. the base, with the configuration above (mGain starts at 1);
//   2. the editor's graphics object and its bitmaps;
//   3. the eight parameters;
//   4. the editor's controls, then the editor attached to the base;
//   5. the single preset "-" holding the defaults;
//   6. the followers and the side-chain filter.
// The signal path's values follow the parameters only once the host opens the
// plug-in (every ParamChanged runs then).
Morvane::Morvane(audioMasterCallback hostCallback, EditorGraphicsMaker makeEditor)
    : IEffectVST(hostCallback, morvane::Config()) {
  // The images come from the process-wide cache: only the first instance of
  // the process decodes them.
  IGraphics* graphics = makeEditor ? makeEditor(this, kEditorWidth, kEditorHeight, kEditorFrameRate) : nullptr;
  IBitmapRef knob, smallKnob, lamp, font;
  if (graphics) {
    RegisterModuleImages();
    graphics->SetModule(ModuleInstance());
    graphics->AddBackground(kBackImage.resource.id, kBackImage.resource.name);
    knob = LoadImage(graphics, kKnobImage);
    smallKnob = LoadImage(graphics, kSmallKnobImage);
    lamp = LoadImage(graphics, kLampImage);
    font = LoadImage(graphics, kFontImage);
  }

  morvane::DefineParams(*this);

  // Later controls draw over earlier ones: the value texts overlap the top
  // rows of the large knobs.
  if (graphics) {
    graphics->AddControl(new MyIBitmapControl(this, lamp));
    for (const KnobDef& k : kKnobs) {
      graphics->AddControl(new IKnobMultiControl(this, k.at.left, k.at.top, k.param, k.large ? knob : smallKnob,
                                                 IKnobControl::kVertical, kKnobGearing));
    }
    mAttackText = MakeText(this, Bounds(layout::kValueTexts[0]), font, "");
    graphics->AddControl(mAttackText);
    mSustainText = MakeText(this, Bounds(layout::kValueTexts[1]), font, "");
    graphics->AddControl(mSustainText);
    char version[32];
    FormatVersion(GetVersion(), version, sizeof version);
    graphics->AddControl(MakeText(this, Bounds(layout::kVersionText), font, version));
    AttachEditor(graphics);
    // No other thread knows the plug-in yet: the controls take the
    // parameters' values now, and with them their double-click defaults.
    graphics->ApplyPendingValues();
    // Its images are drawn for 150 % and 200 % too (resources/ImageIds.txt).
    graphics->EnableScaling(true);
  }

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

namespace {

// "Attack" and "Sustain" in percent to dB per unit of amount: the knobs' ends
// are +-30 dB per unit of attack or sustain amount.
constexpr double kDbPerPercent = 0.3;
// The links in percent to the share, 0..1, that each channel takes from the
// larger of the two channels' values.
constexpr double kSharePerPercent = 0.01;
// "SC HPF" in percent to the side-chain filter's smoothing factor per stage,
// 0..0.2: 0 leaves the detection signal the unfiltered input.
constexpr double kSmoothingPerPercent = 0.002;
// "Attack Length" (0..20 ms) sets the attack of the slow and level followers
// to 2..22 ms; "Sustain Length" (0..750 ms) the release of the long-tail
// followers to 100..850 ms.
constexpr double kAttackLengthOffsetMs = 2.0;
constexpr double kSustainLengthOffsetMs = 100.0;

}  // namespace

// The followers keep the coefficients of 44100 Hz whatever rate the host
// runs at. The constructor makes them at the base's rate of that moment, its
// initial 44100 Hz; Morvane reacts to no later rate change (it overrides no
// hook but this one and ProcessBlock), and the times set here become
// coefficients at the rate the followers hold. Their response is thus fixed
// per sample, which is the sound sessions were made with: at 48000 Hz every
// time is 44100 / 48000 of its nominal length.
void Morvane::ParamChanged(int paramIdx) {
  ILockGuard lock(mLock);
  const IParameter* param = GetParam(paramIdx);
  if (!param) return;
  const double v = param->Value();
  switch (paramIdx) {
    case kAttack:
      mAttackDb = v * kDbPerPercent;
      ShowValueText(v, mAttackText);
      break;
    case kSustain:
      mSustainDb = v * kDbPerPercent;
      ShowValueText(v, mSustainText);
      break;
    case kAttackLink:
      mAttackLink = v * kSharePerPercent;
      break;
    case kAttackLength: {
      const double t = v + kAttackLengthOffsetMs;
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
      mSidechainFilter->smoothing = v * kSmoothingPerPercent;
      break;
    case kSustainLink:
      mSustainLink = v * kSharePerPercent;
      break;
    case kSustainLength:
      mLongTailEnv[kLeft]->setReleaseMs(v + kSustainLengthOffsetMs);
      mLongTailEnv[kRight]->setReleaseMs(v + kSustainLengthOffsetMs);
      break;
    default:
      break;
  }
}

void Morvane::ProcessBlock(double** inputs, double** outputs, int nFrames) {
  if (nFrames <= 0) return;
  ScopedDenormalFlush flushDenormals;

  // The follower times change only in ParamChanged, which never runs within a
  // block (both hold the instance lock), so reading the coefficients once per
  // block is reading them at every frame.
  auto coefs = [](AttRelEnvelope* const env[kNumChannels]) {
    return dsp::FollowerCoefs{{env[kLeft]->attackCoef(), env[kRight]->attackCoef()},
                              {env[kLeft]->releaseCoef(), env[kRight]->releaseCoef()}};
  };
  dsp::ShaperBlock block;
  block.filter = mSidechainFilter;
  block.states = &mStates;
  block.overloadState = &mOverloadState;
  block.fast = coefs(mFastEnv);
  block.slow = coefs(mSlowEnv);
  block.shortTail = coefs(mShortTailEnv);
  block.longTail = coefs(mLongTailEnv);
  block.level = coefs(mLevelEnv);
  block.overloadAttack = mOverloadEnv->attackCoef();
  block.overloadRelease = mOverloadEnv->releaseCoef();
  block.attackDb = mAttackDb;
  block.sustainDb = mSustainDb;
  block.attackLink = mAttackLink;
  block.sustainLink = mSustainLink;
  block.gain = mGain;
  block.peakL = &mPeakL;
  block.peakR = &mPeakR;
  block.lampValue = &mLampValue;
  block.peaksCleared = &mPeaksCleared;
  block.scratch = &mScratch;

  block.inL = inputs[0];
  block.inR = inputs[1];
  block.outL = outputs[0];
  block.outR = outputs[1];
  block.nFrames = nFrames;
  dsp::ShapeBlock(block);
}
