#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "common/CpuFeatures.h"
#include "plugin/Morvane.h"
#include "plugin/reference/ReferenceShaper.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <xmmintrin.h>
#define TEST_HAS_MXCSR 1
#else
#define TEST_HAS_MXCSR 0
#endif

namespace {

using Buffer = std::vector<double>;

// A freshly opened instance: constructed, then every ParamChanged, as the
// host's open call does.
std::unique_ptr<Morvane> OpenInstance() {
  std::unique_ptr<Morvane> plug(new Morvane(nullptr));
  plug->NotifyAllParams();
  return plug;
}

void SetParam(Morvane& plug, int idx, double v) {
  plug.GetParam(idx)->Set(v);
  plug.ParamChanged(idx);
}

void Apply(Morvane& plug, const ReferenceSettings& s) {
  SetParam(plug, Morvane::kAttack, s.attack);
  SetParam(plug, Morvane::kSustain, s.sustain);
  SetParam(plug, Morvane::kAttackLink, s.attackLink);
  SetParam(plug, Morvane::kAttackLength, s.attackLength);
  SetParam(plug, Morvane::kGain, s.gainDb);
  SetParam(plug, Morvane::kScHpf, s.scHpf);
  SetParam(plug, Morvane::kSustainLink, s.sustainLink);
  SetParam(plug, Morvane::kSustainLength, s.sustainLength);
}

struct Stereo {
  Buffer l, r;
  explicit Stereo(size_t n = 0, double v = 0.0) : l(n, v), r(n, v) {}
  size_t size() const { return l.size(); }
};

// Runs the whole signal through the plug-in in blocks of blockSize frames.
Stereo Shape(Morvane& plug, const Stereo& in, int blockSize = 512) {
  Stereo out(in.size());
  Stereo work = in;  // the plug-in must leave its inputs alone; checked elsewhere
  for (size_t start = 0; start < in.size(); start += static_cast<size_t>(blockSize)) {
    const int n = static_cast<int>(std::min(in.size() - start, static_cast<size_t>(blockSize)));
    double* inputs[2] = {work.l.data() + start, work.r.data() + start};
    double* outputs[2] = {out.l.data() + start, out.r.data() + start};
    plug.ProcessBlock(inputs, outputs, n);
  }
  return out;
}

// Bursts of decaying noise on a quieter bed, different on the two channels.
Stereo DrumSignal(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  Stereo s(n);
  double envL = 0.0, envR = 0.0;
  for (size_t i = 0; i < n; ++i) {
    if (i % 5512 == 0) envL = 0.9;
    if (i % 8269 == 300) envR = 0.7;
    envL *= 0.9995;
    envR *= 0.9993;
    s.l[i] = envL * noise(rng) + 0.05 * std::sin(0.01 * static_cast<double>(i));
    s.r[i] = envR * noise(rng) + 0.03 * std::sin(0.013 * static_cast<double>(i));
  }
  return s;
}

// Tolerance for agreement to six significant digits.
double SixDigits(double expected) {
  return 0.5 * std::pow(10.0, std::floor(std::log10(std::fabs(expected))) - 5.0) * 1.0001;
}

// ---- worked examples ------------------------------------------------------

TEST(WorkedExamples, AttackAtPlusAndMinus100OnAConstant) {
  const double boost[5] = {1.17832, 1.17505, 1.17181, 1.16859, 1.16538};
  const double cut[5] = {0.0170770, 0.0178559, 0.0186322, 0.0194061, 0.0201774};
  for (int sign = 0; sign < 2; ++sign) {
    auto plug = OpenInstance();
    SetParam(*plug, Morvane::kAttack, sign == 0 ? 100.0 : -100.0);
    const Stereo out = Shape(*plug, Stereo(5, 0.5));
    const double* want = sign == 0 ? boost : cut;
    for (int i = 0; i < 5; ++i) {
      EXPECT_NEAR(out.l[i], want[i], SixDigits(want[i])) << "sign " << sign << " frame " << i;
      EXPECT_EQ(out.r[i], out.l[i]);
    }
  }
}

TEST(WorkedExamples, SustainAtPlusAndMinus100OnADecay) {
  const int frames[4] = {0, 500, 2000, 5000};
  const double up[4] = {0.5, 0.309804, 0.0929540, 0.00751640};
  const double down[4] = {0.5, 0.296716, 0.0491614, 0.00150249};
  Stereo in(5001);
  for (size_t n = 0; n < in.size(); ++n) in.l[n] = in.r[n] = 0.5 * std::pow(0.999, static_cast<double>(n));
  EXPECT_NEAR(in.l[500], 0.303189, SixDigits(0.303189));
  for (int sign = 0; sign < 2; ++sign) {
    auto plug = OpenInstance();
    SetParam(*plug, Morvane::kSustain, sign == 0 ? 100.0 : -100.0);
    const Stereo out = Shape(*plug, in);
    const double* want = sign == 0 ? up : down;
    for (int k = 0; k < 4; ++k) {
      EXPECT_NEAR(out.l[frames[k]], want[k], SixDigits(want[k])) << "sign " << sign << " n " << frames[k];
      EXPECT_EQ(out.r[frames[k]], out.l[frames[k]]);
    }
  }
}

// ---- what the knobs do ----------------------------------------------------

TEST(Knobs, DefaultsPassTheInputThroughUnchanged) {
  auto plug = OpenInstance();
  const Stereo in = DrumSignal(20000, 1);
  const Stereo out = Shape(*plug, in, 333);
  for (size_t i = 0; i < in.size(); ++i) {
    ASSERT_EQ(out.l[i], in.l[i]) << i;
    ASSERT_EQ(out.r[i], in.r[i]) << i;
  }
}

TEST(Knobs, GainMutesAtMinus93AndScalesExactlyAbove) {
  const Stereo in = DrumSignal(3000, 2);
  auto muted = OpenInstance();
  SetParam(*muted, Morvane::kGain, -93.0);
  Stereo out = Shape(*muted, in);
  for (size_t i = 0; i < in.size(); ++i) ASSERT_TRUE(out.l[i] == 0.0 && out.r[i] == 0.0) << i;

  auto quiet = OpenInstance();
  SetParam(*quiet, Morvane::kGain, -92.99);
  out = Shape(*quiet, in);
  const double factor = std::pow(10.0, -92.99 / 20.0);
  for (size_t i = 0; i < in.size(); ++i) {
    ASSERT_EQ(out.l[i], factor * in.l[i]) << i;
    ASSERT_EQ(out.r[i], factor * in.r[i]) << i;
  }

  auto loud = OpenInstance();
  loud->SetParameterFromHost(Morvane::kGain, 1.0f);  // the host's full scale: +6 dB
  out = Shape(*loud, in);
  EXPECT_EQ(out.l[100], std::pow(10.0, 6.0 / 20.0) * in.l[100]);
}

// Gain per frame and channel, output over input.
std::vector<double> Ratio(const Buffer& out, const Buffer& in) {
  std::vector<double> r(in.size());
  for (size_t i = 0; i < in.size(); ++i) r[i] = out[i] / in[i];
  return r;
}

TEST(Knobs, LinksAt100GiveBothChannelsTheSameGain) {
  Stereo in = DrumSignal(12000, 3);
  for (size_t i = 0; i < in.size(); ++i) {  // no zero samples, so every ratio exists
    if (in.l[i] == 0.0) in.l[i] = 1e-3;
    if (in.r[i] == 0.0) in.r[i] = 1e-3;
  }
  struct Case {
    int amountIdx;
    double amount;
    int linkIdx;
  };
  const Case cases[] = {{Morvane::kAttack, 80.0, Morvane::kAttackLink},
                        {Morvane::kAttack, -80.0, Morvane::kAttackLink},
                        {Morvane::kSustain, 80.0, Morvane::kSustainLink},
                        {Morvane::kSustain, -80.0, Morvane::kSustainLink}};
  for (const Case& c : cases) {
    for (double link : {0.0, 100.0}) {
      auto plug = OpenInstance();
      SetParam(*plug, c.amountIdx, c.amount);
      SetParam(*plug, c.linkIdx, link);
      const Stereo out = Shape(*plug, in);
      const std::vector<double> gl = Ratio(out.l, in.l), gr = Ratio(out.r, in.r);
      double worst = 0.0;
      for (size_t i = 0; i < in.size(); ++i) worst = std::max(worst, std::fabs(gl[i] - gr[i]) / gl[i]);
      if (link == 100.0) {
        EXPECT_LT(worst, 1e-12) << "param " << c.amountIdx << " at " << c.amount;
      } else {
        EXPECT_GT(worst, 1e-3) << "param " << c.amountIdx << " at " << c.amount;
      }
    }
  }
}

TEST(Knobs, SharedSidechainFilterFeedsTheLeftSignalIntoTheRightDetection) {
  Stereo withLeft = DrumSignal(6000, 4);
  Stereo silentLeft(withLeft.size());
  for (size_t i = 0; i < withLeft.size(); ++i) withLeft.r[i] = silentLeft.r[i] = 0.1;
  for (double hpf : {0.0, 50.0}) {
    Stereo right[2];
    for (int k = 0; k < 2; ++k) {
      auto plug = OpenInstance();
      SetParam(*plug, Morvane::kSustain, 100.0);
      SetParam(*plug, Morvane::kAttack, 100.0);
      SetParam(*plug, Morvane::kScHpf, hpf);
      right[k] = Shape(*plug, k == 0 ? withLeft : silentLeft);
    }
    bool same = true;
    for (size_t i = 0; i < withLeft.size(); ++i) same = same && right[0].r[i] == right[1].r[i];
    EXPECT_EQ(same, hpf == 0.0) << "SC HPF " << hpf;
  }
}

TEST(Knobs, MatchesThePlainFormulasForRandomSettings) {
  const unsigned seed = 77;
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> pct(-100.0, 100.0), unit(0.0, 1.0);
  const Stereo in = DrumSignal(30000, 5);
  for (int round = 0; round < 12; ++round) {
    ReferenceSettings s;
    s.attack = pct(rng);
    s.sustain = pct(rng);
    s.attackLink = 100.0 * unit(rng);
    s.attackLength = 20.0 * unit(rng);
    s.gainDb = -20.0 + 26.0 * unit(rng);
    s.scHpf = round % 3 == 0 ? 0.0 : 100.0 * unit(rng);
    s.sustainLink = 100.0 * unit(rng);
    s.sustainLength = 750.0 * unit(rng);
    auto plug = OpenInstance();
    Apply(*plug, s);
    const int block = 1 + static_cast<int>(unit(rng) * 1500.0);
    const Stereo out = Shape(*plug, in, block);
    ReferenceShaper ref(s);
    Stereo want(in.size());
    ref.Process(in.l.data(), in.r.data(), want.l.data(), want.r.data(), static_cast<int>(in.size()));
    for (size_t i = 0; i < in.size(); ++i) {
      ASSERT_NEAR(out.l[i], want.l[i], 1e-12 * (1.0 + std::fabs(want.l[i])))
          << "seed " << seed << " round " << round << " block " << block << " frame " << i;
      ASSERT_NEAR(out.r[i], want.r[i], 1e-12 * (1.0 + std::fabs(want.r[i])))
          << "seed " << seed << " round " << round << " block " << block << " frame " << i;
    }
    EXPECT_NEAR(plug->LampValue(), ref.lampValue, 1e-12) << "round " << round;
  }
}

TEST(Knobs, AttackCutBoostsAChannelWhoseLevelExceedsOne) {
  // "Attack" at -100: x -> (x * level) * (1 - g) + x * g with g = 10^(-1.5),
  // the level following |x| from 0.001 with the 7 ms attack coefficient.
  auto plug = OpenInstance();
  SetParam(*plug, Morvane::kAttack, -100.0);
  Stereo in(6000);
  for (size_t i = 0; i < in.size(); ++i) {
    in.l[i] = 2.0;
    in.r[i] = 0.5;
  }
  const Stereo out = Shape(*plug, in);
  const double g = std::pow(10.0, -1.5);
  const double a = std::exp(-1000.0 / (7.0 * 44100.0));
  for (size_t n : {0, 10, 300, 5999}) {
    const double steps = static_cast<double>(n + 1);
    const double levelL = 2.0 + (0.001 - 2.0) * std::pow(a, steps);
    const double levelR = 0.5 + (0.001 - 0.5) * std::pow(a, steps);
    const double wantL = 2.0 * (levelL * (1.0 - g) + g);
    const double wantR = 0.5 * (levelR * (1.0 - g) + g);
    EXPECT_NEAR(out.l[n], wantL, 1e-12 * wantL) << n;
    EXPECT_NEAR(out.r[n], wantR, 1e-12 * wantR) << n;
  }
  EXPECT_GT(out.l[5999], 2.0 * 1.9);  // boosted by almost the level itself
  EXPECT_LT(out.r[5999], 0.5 * 0.6);  // cut
}

// ---- side-chain filter ----------------------------------------------------

// An impulse through the six stages: after n samples stage k holds
// C(n + k - 1, k - 1) c^k (1 - c)^n. With c = 1/8 every value is exact.
TEST(SidechainFilter, ImpulseThroughTheSixStagesThenHeldAtZero) {
  const double c = 62.5 * 0.002;  // "SC HPF" 62.5
  ASSERT_EQ(c, 0.125);
  auto stage = [c](int k, int n) {
    double binomial = 1.0;  // C(n + k - 1, k - 1)
    for (int i = 1; i < k; ++i) binomial = binomial * (n + i) / i;
    return binomial * std::pow(c, k) * std::pow(1.0 - c, n);
  };
  using F = SidechainFilter;
  for (int mode : {int{F::kLowPass}, int{F::kHighPass}, int{F::kBandPass}, 7}) {
    SidechainFilter f;
    f.smoothing = c;
    f.mode = mode;
    for (int n = 0; n < 8; ++n) {
      const double x = n == 0 ? 1.0 : 0.0;
      const double want = mode == SidechainFilter::kLowPass    ? stage(6, n)
                          : mode == SidechainFilter::kHighPass ? x - stage(6, n)
                          : mode == SidechainFilter::kBandPass ? stage(1, n) - stage(6, n)
                                                               : 0.0;
      EXPECT_EQ(f.step(x), want) << "mode " << mode << " sample " << n;
    }
  }

  // "SC HPF" 0 after that: the stages keep their values, and the detection
  // signal is the input minus the held last stage.
  SidechainFilter f;
  f.smoothing = c;
  for (int n = 0; n < 8; ++n) f.step(n == 0 ? 1.0 : 0.0);
  f.smoothing = 0.0;
  const double held = stage(6, 7);
  for (double x : {0.5, -0.25, 0.0, 3.0}) EXPECT_EQ(f.step(x), x - held) << x;
  EXPECT_EQ(f.stage1, stage(1, 7));
  EXPECT_EQ(f.stage6, held);
}

// ---- blocks and state -----------------------------------------------------

TEST(Blocks, ZeroOrNegativeFrameCountsTouchNothing) {
  auto plug = OpenInstance();
  SetParam(*plug, Morvane::kAttack, 60.0);
  auto fresh = OpenInstance();
  SetParam(*fresh, Morvane::kAttack, 60.0);
  Stereo in(64, 0.7), out(64, -3.0);
  for (int n : {0, -1, -512}) {
    double* inputs[2] = {in.l.data(), in.r.data()};
    double* outputs[2] = {out.l.data(), out.r.data()};
    plug->ProcessBlock(inputs, outputs, n);
  }
  for (size_t i = 0; i < 64; ++i) {
    ASSERT_EQ(in.l[i], 0.7);
    ASSERT_EQ(out.l[i], -3.0);
    ASSERT_EQ(out.r[i], -3.0);
  }
  EXPECT_EQ(plug->LampValue(), 0.0);
  const Stereo signal = DrumSignal(2000, 6);
  const Stereo a = Shape(*plug, signal), b = Shape(*fresh, signal);
  EXPECT_EQ(a.l, b.l);
  EXPECT_EQ(a.r, b.r);
}

TEST(Blocks, StatesCarryOverWhateverTheBlockSizesAndHostCalls) {
  ReferenceSettings s;
  s.attack = 70.0;
  s.sustain = -40.0;
  s.scHpf = 30.0;
  s.attackLink = 20.0;
  const Stereo in = DrumSignal(9000, 7);
  auto whole = OpenInstance();
  Apply(*whole, s);
  const Stereo want = Shape(*whole, in, 9000);

  auto pieces = OpenInstance();
  Apply(*pieces, s);
  Stereo got(in.size());
  const int sizes[] = {1, 2, 4, 7, 256, 257, 511, 1024, 3, 15, 16, 17, 31, 32, 33, 64, 65};
  size_t start = 0;
  for (int k = 0; start < in.size(); ++k) {
    // The host stops, changes the rate and resumes in between: nothing resets,
    // and the followers keep their 44100 Hz coefficients.
    if (k == 3) {
      pieces->Dispatch(effMainsChanged, 0, 0, nullptr, 0.0f);
      pieces->Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
      pieces->Dispatch(effMainsChanged, 0, 1, nullptr, 0.0f);
      SetParam(*pieces, Morvane::kAttackLength, s.attackLength);
    }
    const int n = static_cast<int>(std::min(in.size() - start, static_cast<size_t>(sizes[k % 17])));
    Stereo part(static_cast<size_t>(n));
    std::copy(in.l.begin() + static_cast<long>(start), in.l.begin() + static_cast<long>(start) + n, part.l.begin());
    std::copy(in.r.begin() + static_cast<long>(start), in.r.begin() + static_cast<long>(start) + n, part.r.begin());
    const Stereo out = Shape(*pieces, part, n);
    std::copy(out.l.begin(), out.l.end(), got.l.begin() + static_cast<long>(start));
    std::copy(out.r.begin(), out.r.end(), got.r.begin() + static_cast<long>(start));
    start += static_cast<size_t>(n);
  }
  EXPECT_EQ(got.l, want.l);
  EXPECT_EQ(got.r, want.r);
}

// The code the dispatcher takes at the current limit.
const char* CodeName() { return CpuHasAvx512() ? "AVX-512 code" : CpuHasAvx2() ? "AVX2 code" : "generic code"; }

// Every code path the dispatcher can choose on this processor (generic, AVX2,
// AVX-512) gives the generic code's bits, for block sizes that start, fill and
// overrun the pipeline's pieces. Where the processor lacks AVX-512, the last
// run takes the AVX2 code again (the AVX-512 path is the same code compiled
// for AVX-512 VL).
TEST(Blocks, GenericAndWideRegisterCodeGiveTheSameBits) {
  Stereo in = DrumSignal(7000, 13);
  in.l[100] = std::numeric_limits<double>::quiet_NaN();
  const CpuLevel levels[3] = {CpuLevel::kGeneric, CpuLevel::kAvx2, CpuLevel::kAvx512};
  for (double attack : {60.0, -60.0}) {
    for (int block : {1, 5, 16, 17, 33, 480}) {
      ReferenceSettings s;
      s.attack = attack;
      s.sustain = -35.0;
      s.scHpf = 25.0;
      s.attackLink = 40.0;
      s.sustainLink = 70.0;
      Stereo out[3];
      double lamp[3];
      const char* code[3];
      for (int k = 0; k < 3; ++k) {
        LimitCpuLevel(levels[k]);
        code[k] = CodeName();
        auto plug = OpenInstance();
        Apply(*plug, s);
        out[k] = Shape(*plug, in, block);
        lamp[k] = plug->LampValue();
      }
      LimitCpuLevel(CpuLevel::kAvx512);
      for (int k = 1; k < 3; ++k) {
        EXPECT_FALSE(std::isfinite(out[k].l[100])) << code[k] << " block " << block;
        for (size_t i = 0; i < in.size(); ++i) {
          if (i == 100) continue;  // NaN on the left
          ASSERT_EQ(out[k].l[i], out[0].l[i]) << code[k] << " attack " << attack << " block " << block
                                              << " frame " << i;
          ASSERT_EQ(out[k].r[i], out[0].r[i]) << code[k] << " attack " << attack << " block " << block
                                              << " frame " << i;
        }
        EXPECT_EQ(lamp[k], lamp[0]) << code[k] << " block " << block;
      }
    }
  }
}

// The kernel's view of a freshly opened instance: its follower coefficients
// at 44100 Hz (the right channel's times 1.25 x the left's, so that a lane
// mixed up between the channels shows), filter, states and scratch, fed to a
// block function block after block.
class KernelInstance {
public:
  KernelInstance(const ReferenceSettings& s, int32_t filterMode) {
    mFilter.mode = filterMode;
    mFilter.smoothing = s.scHpf * 0.002;
    mBlock.filter = &mFilter;
    mBlock.states = &mStates;
    mBlock.overloadState = &mOverload;
    const double attackLength = s.attackLength + 2.0;
    mBlock.fast = Coefs(0.0, 35.0);
    mBlock.slow = Coefs(attackLength, 35.0);
    mBlock.shortTail = Coefs(1.0, 75.0);
    mBlock.longTail = Coefs(1.0, s.sustainLength + 100.0);
    mBlock.level = Coefs(attackLength, 150.0);
    const dsp::FollowerCoefs overload = Coefs(0.1, 750.0);
    mBlock.overloadAttack = overload.attack[0];
    mBlock.overloadRelease = overload.release[0];
    mBlock.attackDb = s.attack * 0.3;
    mBlock.sustainDb = s.sustain * 0.3;
    mBlock.attackLink = s.attackLink * 0.01;
    mBlock.sustainLink = s.sustainLink * 0.01;
    mBlock.gain = std::pow(10.0, s.gainDb / 20.0);
    mBlock.peakL = &mPeakL;
    mBlock.peakR = &mPeakR;
    mBlock.lampValue = &mLamp;
    mBlock.peaksCleared = &mCleared;
    mBlock.scratch = &mScratch;
  }

  // The signal in blocks of blockSize frames; the lamp clears the held peaks
  // before every seventh block.
  Stereo Run(void (*shape)(const dsp::ShaperBlock&), const Stereo& in, int blockSize) {
    Stereo out(in.size());
    int count = 0;
    for (size_t start = 0; start < in.size(); start += static_cast<size_t>(blockSize)) {
      if (++count % 7 == 0) {
        mPeakL = mPeakR = 0.0;
        mCleared = true;
      }
      mBlock.inL = in.l.data() + start;
      mBlock.inR = in.r.data() + start;
      mBlock.outL = out.l.data() + start;
      mBlock.outR = out.r.data() + start;
      mBlock.nFrames = static_cast<int>(std::min(in.size() - start, static_cast<size_t>(blockSize)));
      shape(mBlock);
    }
    return out;
  }
  double Lamp() const { return mLamp; }

private:
  static dsp::FollowerCoefs Coefs(double attackMs, double releaseMs) {
    dsp::FollowerCoefs c;
    for (int ch = 0; ch < 2; ++ch) {
      dsp::AttRelEnvelope env;
      env.setAttackMs(attackMs * (ch ? 1.25 : 1.0));
      env.setReleaseMs(releaseMs * (ch ? 1.25 : 1.0));
      c.attack[ch] = env.attackCoef();
      c.release[ch] = env.releaseCoef();
    }
    return c;
  }

  SidechainFilter mFilter;
  dsp::FollowerStates mStates;
  double mOverload = 0.001;
  std::atomic<double> mPeakL{0.0}, mPeakR{0.0}, mLamp{0.0};
  std::atomic<bool> mCleared{false};
  dsp::ShaperScratch mScratch;
  dsp::ShaperBlock mBlock{};
};

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Every code path gives the generic code's bits also through the kernel
// itself, over the blocks of the test above, in both of the kernel's filter
// forms, and through a burst loud enough that the gains leave the range of the
// exponential's shortcut (and overflow).
TEST(Blocks, WideRegisterCodeGivesTheSameBitsInBothFilterFormsAndPastTheShortcut) {
  Stereo in = DrumSignal(7000, 13);
  in.l[100] = std::numeric_limits<double>::quiet_NaN();
  for (size_t i = 6600; i < 6650; ++i) in.r[i] *= 300.0;
  for (double attack : {60.0, -60.0}) {
    for (int block : {1, 5, 16, 17, 33, 480}) {
      for (int32_t mode : {SidechainFilter::kHighPass, SidechainFilter::kBandPass}) {
        ReferenceSettings s;
        s.attack = attack;
        s.sustain = -35.0;
        s.scHpf = 25.0;
        s.attackLink = 40.0;
        s.sustainLink = 70.0;
        KernelInstance generic(s, mode);
        LimitCpuLevel(CpuLevel::kGeneric);
        const Stereo want = generic.Run(dsp::ShapeBlock, in, block);
        for (CpuLevel level : {CpuLevel::kAvx2, CpuLevel::kAvx512}) {
          KernelInstance wide(s, mode);
          LimitCpuLevel(level);
          const char* code = CodeName();
          const Stereo got = wide.Run(dsp::ShapeBlock, in, block);
          LimitCpuLevel(CpuLevel::kAvx512);
          for (size_t i = 0; i < in.size(); ++i) {
            ASSERT_TRUE(SameBits(got.l[i], want.l[i]) && SameBits(got.r[i], want.r[i]))
                << code << ", attack " << attack << " block " << block << " filter mode " << mode << " frame " << i
                << ": " << got.l[i] << ", " << got.r[i] << " instead of " << want.l[i] << ", " << want.r[i];
          }
          EXPECT_TRUE(SameBits(wide.Lamp(), generic.Lamp())) << code << ", attack " << attack << " block " << block;
        }
      }
    }
  }
}

// ---- mended faults --------------------------------------------------------

TEST(Mends, TheHostsInputBuffersAreNeverModified) {
  auto plug = OpenInstance();
  SetParam(*plug, Morvane::kAttack, 100.0);
  SetParam(*plug, Morvane::kSustain, -100.0);
  SetParam(*plug, Morvane::kGain, -6.0);
  const Stereo in = DrumSignal(4000, 8);
  Stereo work = in, out(in.size());
  double* inputs[2] = {work.l.data(), work.r.data()};
  double* outputs[2] = {out.l.data(), out.r.data()};
  plug->ProcessBlock(inputs, outputs, static_cast<int>(in.size()));
  EXPECT_EQ(work.l, in.l);
  EXPECT_EQ(work.r, in.r);
  EXPECT_NE(out.l, in.l);
}

TEST(Mends, InPlaceProcessingGivesTheSameOutput) {
  ReferenceSettings s;
  s.attack = 90.0;
  s.sustain = 60.0;
  s.attackLink = 50.0;
  s.scHpf = 40.0;
  const Stereo in = DrumSignal(5000, 9);
  auto separate = OpenInstance();
  Apply(*separate, s);
  const Stereo want = Shape(*separate, in, 700);

  auto inPlace = OpenInstance();
  Apply(*inPlace, s);
  Stereo buf = in;
  double* same[2] = {buf.l.data(), buf.r.data()};
  inPlace->ProcessBlock(same, same, 700);
  inPlace->ProcessBlock(same, same, 0);
  double* rest[2] = {buf.l.data() + 700, buf.r.data() + 700};
  inPlace->ProcessBlock(rest, rest, static_cast<int>(in.size()) - 700);
  EXPECT_EQ(buf.l, want.l);
  EXPECT_EQ(buf.r, want.r);

  // Crossed buffers: the left output goes where the right input came from.
  auto crossed = OpenInstance();
  Apply(*crossed, s);
  Stereo x = in;
  double* inputs[2] = {x.l.data(), x.r.data()};
  double* outputs[2] = {x.r.data(), x.l.data()};
  crossed->ProcessBlock(inputs, outputs, static_cast<int>(in.size()));
  EXPECT_EQ(x.r, want.l);
  EXPECT_EQ(x.l, want.r);
}

TEST(Mends, ANonFiniteInputSampleDoesNotPoisonLaterSamples) {
  ReferenceSettings s;
  s.attack = 50.0;
  s.sustain = 50.0;
  s.scHpf = 20.0;
  s.attackLink = 30.0;
  const Stereo clean = DrumSignal(6000, 10);
  Stereo zeroed = clean, bad = clean;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  zeroed.l[1000] = 0.0;
  bad.l[1000] = nan;
  zeroed.r[3000] = 0.0;
  bad.r[3000] = inf;
  zeroed.l[4000] = 0.0;
  bad.l[4000] = -inf;

  auto a = OpenInstance();
  Apply(*a, s);
  const Stereo want = Shape(*a, zeroed);
  auto b = OpenInstance();
  Apply(*b, s);
  const Stereo got = Shape(*b, bad);
  for (size_t i = 0; i < clean.size(); ++i) {
    if (i == 1000 || i == 4000) {
      EXPECT_FALSE(std::isfinite(got.l[i]));
      EXPECT_EQ(got.r[i], want.r[i]);
    } else if (i == 3000) {
      EXPECT_FALSE(std::isfinite(got.r[i]));
      EXPECT_EQ(got.l[i], want.l[i]);
    } else {
      ASSERT_EQ(got.l[i], want.l[i]) << i;
      ASSERT_EQ(got.r[i], want.r[i]) << i;
    }
  }
  EXPECT_TRUE(std::isfinite(b->LampValue()));
}

TEST(Mends, ANonFiniteOutputLightsTheLampWhichThenDecays) {
  // 30 at +100 % attack overflows the attack gain to +inf; a NaN input
  // passes to its own output. Either is held as a +24 dB peak.
  for (double bad : {30.0, std::numeric_limits<double>::quiet_NaN()}) {
    auto plug = OpenInstance();
    SetParam(*plug, Morvane::kAttack, 100.0);
    Stereo in(64);
    in.l[10] = bad;
    const Stereo out = Shape(*plug, in);
    EXPECT_FALSE(std::isfinite(out.l[10])) << bad;
    EXPECT_GE(plug->LampValue(), 1.0) << bad;
    EXPECT_TRUE(std::isfinite(plug->LampValue())) << bad;

    // The infinite attack gain times the silence after the spike gives NaN
    // for some 50 ms. Cleared by the lamp after that, the follower falls from
    // about (16 + 0) / 2 with its 750 ms release: 8 x exp(-2 / 0.75) after
    // two seconds.
    Shape(*plug, Stereo(4410));
    plug->ClearHeldPeaks();
    Shape(*plug, Stereo(88200));
    EXPECT_NEAR(plug->LampValue(), 8.0 * std::exp(-2.0 / 0.75), 0.01) << bad;
  }
}

TEST(Mends, LampFollowsTheHeldPeaksAndTheirClearing) {
  auto plug = OpenInstance();
  // Left alone at full scale: the silent right channel holds zero peaks, so
  // the overload follower settles at half the left peak.
  Stereo in(44100);
  for (size_t i = 0; i < in.size(); ++i) in.l[i] = (i % 2) ? 1.0 : -1.0;
  Shape(*plug, in);
  EXPECT_NEAR(plug->LampValue(), 0.5, 1e-6);

  SetParam(*plug, Morvane::kGain, 6.0);
  in.r = in.l;
  Shape(*plug, in);
  EXPECT_GE(plug->LampValue(), 1.0);  // the lamp lights

  // Silence: held peaks keep the follower up until the lamp clears them.
  const Stereo silence(44100);
  Shape(*plug, silence);
  EXPECT_GE(plug->LampValue(), 1.0);
  plug->ClearHeldPeaks();
  Shape(*plug, silence);
  // 750 ms release: about 2 x exp(-4/3) after one second, the lamp is off.
  EXPECT_NEAR(plug->LampValue(), 2.0 * std::exp(-4.0 / 3.0), 0.01);
}

#if TEST_HAS_MXCSR
TEST(Mends, ProcessingRestoresTheCallersFloatingPointMode) {
  auto plug = OpenInstance();
  SetParam(*plug, Morvane::kAttack, 50.0);
  const Stereo in = DrumSignal(600, 11);
  const unsigned saved = _mm_getcsr();
  for (unsigned mode : {saved & ~0x8040u, saved | 0x8040u}) {
    _mm_setcsr(mode);
    Shape(*plug, in);
    EXPECT_EQ(_mm_getcsr(), mode);
  }
  _mm_setcsr(saved);
}
#endif

TEST(Mends, SubnormalsOnlyChangeResultsBelowTheSmallestNormal) {
  // A long silence after a signal: the followers decay through the subnormal
  // range; the outputs still agree with the plain formulas.
  ReferenceSettings s;
  s.attack = 50.0;
  s.sustain = 50.0;
  s.scHpf = 20.0;
  Stereo in = DrumSignal(4000, 12);
  in.l.resize(400000, 0.0);
  in.r.resize(400000, 0.0);
  in.l[399999] = in.r[399999] = 0.25;  // then one more sample
  auto plug = OpenInstance();
  Apply(*plug, s);
  const Stereo out = Shape(*plug, in);
  ReferenceShaper ref(s);
  Stereo want(in.size());
  ref.Process(in.l.data(), in.r.data(), want.l.data(), want.r.data(), static_cast<int>(in.size()));
  const double tiny = std::numeric_limits<double>::min();
  for (size_t i = 0; i < in.size(); ++i) {
    ASSERT_NEAR(out.l[i], want.l[i], 1e-12 * std::fabs(want.l[i]) + tiny) << i;
    ASSERT_NEAR(out.r[i], want.r[i], 1e-12 * std::fabs(want.r[i]) + tiny) << i;
  }
}

}  // namespace
