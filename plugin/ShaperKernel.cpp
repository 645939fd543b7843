#include "plugin/ShaperKernel.h"

#include <cstring>
#include <limits>

#include "common/CpuFeatures.h"
#include "plugin/EnvelopeFollower.h"
#include "plugin/FastExp.h"
#include "plugin/Simd.h"

namespace dsp {
namespace {

// 10^(y / 20) = exp(y * ln(10) / 20).
constexpr double kLn10Over20 = 2.302585092994045684 / 20.0;

// An output that is not a finite number is held as a peak of this magnitude
// (+24 dB): one such frame lifts the overload follower from rest past 1.0 even
// with the other channel silent (16 / 2 x (1 - 0.797) = 1.6), and once the
// lamp has cleared the peaks the follower falls back below 1.0 within about
// 750 ms x ln 8 = 1.6 s, as after any loud peak.
constexpr double kNonFiniteMagnitude = 16.0;

template <class V>
MORVANE_INLINE V Load(const double* p) {
  V v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <class V>
MORVANE_INLINE void Store(double* p, const V& v) {
  std::memcpy(p, &v, sizeof v);
}

MORVANE_INLINE V2d Abs(const V2d& x) { return (V2d)((V2i)x & INT64_MAX); }

// The detection path takes a sample that is not a finite number as 0, so it
// never enters the filter or follower states (nor, through the shared filter,
// the other channel).
MORVANE_INLINE V2d FiniteOrZero(const V2d& x) {
  const V2d zero{};
  return x - x == zero ? x : zero;
}

// Everything the three stages keep from frame to frame, in locals of the
// loop so that the compiler keeps them in registers.
struct Pipeline {
  SidechainFilter filter;
  V8d wave;     // the filter's stages 1..6 in lanes 0..5, when it runs as a wavefront
  V8d smoothing8;  // the filter's smoothing factor in every lane
  int nSamples;  // samples in the block, left and right counted apart
  V4d a4;  // fast L, R, slow L, R (fed with the squares)
  V4d b4;  // short tail L, R, long tail L, R (fed with the signed detection samples)
  V2d level;
  V2d peak;  // held output peaks, L and R
  double overload;

  V4d attA, relA, attB, relB;
  V2d attLevel, relLevel;
  V4d keep, link;  // 1 - a, a for the attack lanes; 1 - b, b for the sustain lanes
  V2d keepLevel, linkLevel;
  V4d db;
  V2d gainCut, oneMinusGainCut;  // the cut branch's gain, the same for every frame
  V2d outputGain;
  double overloadAttack, overloadRelease;

  const double* inL;
  const double* inR;
  double* outL;
  double* outR;
  double* detection;
  double* absInput;
  std::atomic<double>* peakL;
  std::atomic<double>* peakR;
  std::atomic<double>* lampValue;
  std::atomic<bool>* peaksCleared;
};

// Stage 1: the side-chain filter for frame j.
template <int kMode>
MORVANE_INLINE void FilterFrame(Pipeline& p, int j) {
  const V2d x = FiniteOrZero(V2d{p.inL[j], p.inR[j]});
  const double dL = p.filter.stepAs<kMode>(x[0]);
  const double dR = p.filter.stepAs<kMode>(x[1]);
  const int slot = 2 * (j & (kShaperRingFrames - 1));
  p.detection[slot] = dL;
  p.detection[slot + 1] = dR;
  Store(p.absInput + slot, Abs(x));
}

// The high-pass filter as a wavefront over the stages, for processors with
// 512-bit registers: lane k holds stage k + 1, and step t feeds sample t (the
// block's samples counted left, right, left, ...) into lane 0 while lane k
// works on sample t - k, whose stage-k output lane k - 1 made in step t - 1.
// Each lane performs exactly the stage update of the scalar filter, on the
// same values in the same order, so the results are identical; one vector
// operation does the work of six scalar ones. Steps whose lanes would reach
// before the block's first sample or past its last leave those lanes alone,
// so between blocks the lanes hold the stages as the scalar filter would.
MORVANE_INLINE void WaveStep(Pipeline& p, int t, double x) {
  const V8d in = __builtin_shufflevector(p.wave, V8d{} + x, 8, 0, 1, 2, 3, 4, 5, 6);
  const V8d next = (in - p.wave) * p.smoothing8 + p.wave;
  const int last = p.nSamples - 1;
  if (t >= 5 && t <= last) {
    p.wave = next;
  } else {
    const int lo = t - last > 0 ? t - last : 0;
    const int hi = t < 5 ? t : 5;
    const V8i lane{0, 1, 2, 3, 4, 5, 6, 7};
    p.wave = ((lane >= lo) & (lane <= hi)) ? next : p.wave;
  }
  // Lane 5 now holds stage 6's output for sample t - 5; its slot holds that
  // sample's input, and high-pass detection is input minus stage 6.
  const int u = t - 5;
  if (u >= 0 && u <= last) {
    const int slot = 2 * ((u >> 1) & (kShaperRingFrames - 1)) + (u & 1);
    p.detection[slot] = p.detection[slot] - p.wave[5];
  }
}

template <bool kWave, int kMode>
MORVANE_INLINE void DetectFrame(Pipeline& p, int j) {
  if (!kWave || kMode != SidechainFilter::kHighPass) return FilterFrame<kMode>(p, j);
  const V2d x = FiniteOrZero(V2d{p.inL[j], p.inR[j]});
  const int slot = 2 * (j & (kShaperRingFrames - 1));
  Store(p.detection + slot, x);
  Store(p.absInput + slot, Abs(x));
  WaveStep(p, 2 * j, x[0]);
  WaveStep(p, 2 * j + 1, x[1]);
  if (2 * j + 1 == p.nSamples - 1) {
    // The block's last frame: finish its samples in the upper stages.
    for (int t = p.nSamples; t < p.nSamples + 5; ++t) WaveStep(p, t, 0.0);
  }
}

// Stage 2: followers, amounts and linking for frame j. Leaves for both
// channels the attack term (the exponent of the attack gain, or the linked
// level when "Attack" cuts) and the exponent of the sustain gain.
template <bool kBoost>
MORVANE_INLINE void FollowFrame(Pipeline& p, int j, double* attackTerm, double* sustainTerm) {
  using Env = AttRelEnvelope;
  const int slot = 2 * (j & (kShaperRingFrames - 1));
  const V2d d = Load<V2d>(p.detection + slot);
  const V2d sq = d * d;
  p.a4 = Env::Follow(p.a4, __builtin_shufflevector(sq, sq, 0, 1, 0, 1), p.attA, p.relA);
  p.b4 = Env::Follow(p.b4, __builtin_shufflevector(d, d, 0, 1, 0, 1), p.attB, p.relB);
  p.level = Env::Follow(p.level, Load<V2d>(p.absInput + slot), p.attLevel, p.relLevel);

  // attack = fast - slow, sustain = long tail - short tail, floored at 0.
  const V4d zero{};
  V4d amt = __builtin_shufflevector(p.a4, p.b4, 0, 1, 6, 7) - __builtin_shufflevector(p.a4, p.b4, 2, 3, 4, 5);
  amt = amt < zero ? zero : amt;
  // Lane 0: attMax = R > L ? R : L; lane 2: susMax likewise.
  const V4d swapped = __builtin_shufflevector(amt, amt, 1, 0, 3, 2);
  const V4d maxima = swapped > amt ? swapped : amt;
  amt = p.keep * amt + p.link * __builtin_shufflevector(maxima, maxima, 0, 0, 2, 2);

  const V4d exponents = (amt * p.db) * kLn10Over20;
  if (kBoost) {
    Store(attackTerm, __builtin_shufflevector(exponents, exponents, 0, 1));
  } else {
    const V2d swappedLevel = __builtin_shufflevector(p.level, p.level, 1, 0);
    const V2d levelMax = swappedLevel > p.level ? swappedLevel : p.level;
    Store(attackTerm, p.keepLevel * p.level + p.linkLevel * __builtin_shufflevector(levelMax, levelMax, 0, 0));
  }
  Store(sustainTerm, __builtin_shufflevector(exponents, exponents, 2, 3));
}

// Stage 3: gains, output, held peaks and overload follower for frame j, with
// the piece's exponentials already evaluated.
template <bool kBoost>
MORVANE_INLINE void OutputFrame(Pipeline& p, int j, const double* attackTerm, const double* sustainGain) {
  V2d x{p.inL[j], p.inR[j]};
  const V2d term = Load<V2d>(attackTerm);
  if (kBoost) {
    x = term * x;
  } else {
    x = (x * term) * p.oneMinusGainCut + x * p.gainCut;
  }
  x = Load<V2d>(sustainGain) * x;
  const V2d y = p.outputGain * x;
  p.outL[j] = y[0];
  p.outR[j] = y[1];

  // The lamp may clear the held peaks at any time; a clearing that lands
  // within a block only shortens how long a peak is held. The peaks stay in
  // registers from frame to frame, so reading them back from memory is not
  // part of the overload follower's chain of dependent operations.
  const V2d zero{};
  if (p.peaksCleared->load(std::memory_order_relaxed) && p.peaksCleared->exchange(false, std::memory_order_relaxed)) {
    p.peak = zero;
  }
  V2d mag = Abs(y);
  mag = mag <= Splat<V2d>(std::numeric_limits<double>::max()) ? mag : Splat<V2d>(kNonFiniteMagnitude);
  p.peak = p.peak >= mag ? p.peak : mag;
  p.peakL->store(p.peak[0], std::memory_order_relaxed);
  p.peakR->store(p.peak[1], std::memory_order_relaxed);
  p.overload = AttRelEnvelope::Follow(p.overload, (p.peak[0] + p.peak[1]) * 0.5, p.overloadAttack, p.overloadRelease);
  p.lampValue->store(p.overload, std::memory_order_relaxed);
}

template <bool kBoost>
MORVANE_INLINE void EvaluateExponentials(double* attackTerm, double* sustainTerm, int frames) {
  if (kBoost) ExpArray(attackTerm, attackTerm, 2 * frames);
  ExpArray(sustainTerm, sustainTerm, 2 * frames);
}

template <bool kWave, int kMode, bool kBoost>
MORVANE_INLINE void Run(Pipeline& p, const ShaperBlock& c) {
  const int n = c.nFrames;
  const int lead = n < kShaperFilterLead ? n : kShaperFilterLead;
  for (int j = 0; j < lead; ++j) DetectFrame<kWave, kMode>(p, j);

  double* const attackTerms[2] = {c.attackTerm, c.attackTerm + 2 * kShaperPieceFrames};
  double* const sustainTerms[2] = {c.sustainTerm, c.sustainTerm + 2 * kShaperPieceFrames};
  int previousStart = 0;
  int previousCount = 0;  // frames of the previous piece still waiting for stage 3
  int buffer = 0;
  for (int start = 0; start < n; start += kShaperPieceFrames) {
    const int count = n - start < kShaperPieceFrames ? n - start : kShaperPieceFrames;
    double* attackTerm = attackTerms[buffer];
    double* sustainTerm = sustainTerms[buffer];
    const double* previousAttack = attackTerms[buffer ^ 1];
    const double* previousSustain = sustainTerms[buffer ^ 1];
    int i = 0;
    for (; i < count && i < previousCount; ++i) {
      const int j = start + i;
      if (j + lead < n) DetectFrame<kWave, kMode>(p, j + lead);
      FollowFrame<kBoost>(p, j, attackTerm + 2 * i, sustainTerm + 2 * i);
      OutputFrame<kBoost>(p, previousStart + i, previousAttack + 2 * i, previousSustain + 2 * i);
    }
    for (; i < count; ++i) {
      const int j = start + i;
      if (j + lead < n) DetectFrame<kWave, kMode>(p, j + lead);
      FollowFrame<kBoost>(p, j, attackTerm + 2 * i, sustainTerm + 2 * i);
    }
    for (; i < previousCount; ++i) {
      OutputFrame<kBoost>(p, previousStart + i, previousAttack + 2 * i, previousSustain + 2 * i);
    }
    EvaluateExponentials<kBoost>(attackTerm, sustainTerm, count);
    previousStart = start;
    previousCount = count;
    buffer ^= 1;
  }
  const double* lastAttack = attackTerms[buffer ^ 1];
  const double* lastSustain = sustainTerms[buffer ^ 1];
  for (int i = 0; i < previousCount; ++i) {
    OutputFrame<kBoost>(p, previousStart + i, lastAttack + 2 * i, lastSustain + 2 * i);
  }
}

template <bool kWave, int kMode>
MORVANE_INLINE void RunMode(Pipeline& p, const ShaperBlock& c) {
  if (c.attackDb > 0.0) {
    Run<kWave, kMode, true>(p, c);
  } else {
    Run<kWave, kMode, false>(p, c);
  }
}

template <bool kWave>
MORVANE_INLINE void ShapeBlockBody(const ShaperBlock& c) {
  Pipeline p;
  p.filter = *c.filter;
  p.wave = V8d{p.filter.stage1, p.filter.stage2, p.filter.stage3, p.filter.stage4,
               p.filter.stage5, p.filter.stage6, 0.0, 0.0};
  p.smoothing8 = Splat<V8d>(p.filter.smoothing);
  p.nSamples = 2 * c.nFrames;
  const FollowerStates& st = *c.states;
  p.a4 = V4d{st.fast[0], st.fast[1], st.slow[0], st.slow[1]};
  p.b4 = V4d{st.shortTail[0], st.shortTail[1], st.longTail[0], st.longTail[1]};
  p.level = V2d{st.level[0], st.level[1]};
  p.overload = *c.overloadState;
  p.peak = V2d{c.peakL->load(std::memory_order_relaxed), c.peakR->load(std::memory_order_relaxed)};
  p.attA = V4d{c.fast.attack[0], c.fast.attack[1], c.slow.attack[0], c.slow.attack[1]};
  p.relA = V4d{c.fast.release[0], c.fast.release[1], c.slow.release[0], c.slow.release[1]};
  p.attB = V4d{c.shortTail.attack[0], c.shortTail.attack[1], c.longTail.attack[0], c.longTail.attack[1]};
  p.relB = V4d{c.shortTail.release[0], c.shortTail.release[1], c.longTail.release[0], c.longTail.release[1]};
  p.attLevel = V2d{c.level.attack[0], c.level.attack[1]};
  p.relLevel = V2d{c.level.release[0], c.level.release[1]};
  const double a = c.attackLink;
  const double b = c.sustainLink;
  p.keep = V4d{1.0 - a, 1.0 - a, 1.0 - b, 1.0 - b};
  p.link = V4d{a, a, b, b};
  p.keepLevel = V2d{1.0 - a, 1.0 - a};
  p.linkLevel = V2d{a, a};
  p.db = V4d{c.attackDb, c.attackDb, c.sustainDb, c.sustainDb};
  const double g = c.attackDb > 0.0 ? 1.0 : Exp(c.attackDb * kLn10Over20);
  p.gainCut = V2d{g, g};
  p.oneMinusGainCut = V2d{1.0 - g, 1.0 - g};
  p.outputGain = V2d{c.gain, c.gain};
  p.overloadAttack = c.overloadAttack;
  p.overloadRelease = c.overloadRelease;
  p.inL = c.inL;
  p.inR = c.inR;
  p.outL = c.outL;
  p.outR = c.outR;
  p.detection = c.detection;
  p.absInput = c.absInput;
  p.peakL = c.peakL;
  p.peakR = c.peakR;
  p.lampValue = c.lampValue;
  p.peaksCleared = c.peaksCleared;

  switch (p.filter.mode) {
    case SidechainFilter::kLowPass: RunMode<kWave, SidechainFilter::kLowPass>(p, c); break;
    case SidechainFilter::kHighPass: RunMode<kWave, SidechainFilter::kHighPass>(p, c); break;
    case SidechainFilter::kBandPass: RunMode<kWave, SidechainFilter::kBandPass>(p, c); break;
    default: RunMode<kWave, -1>(p, c); break;
  }

  if (kWave && p.filter.mode == SidechainFilter::kHighPass) {
    p.filter.stage1 = p.wave[0];
    p.filter.stage2 = p.wave[1];
    p.filter.stage3 = p.wave[2];
    p.filter.stage4 = p.wave[3];
    p.filter.stage5 = p.wave[4];
    p.filter.stage6 = p.wave[5];
  }
  *c.filter = p.filter;
  FollowerStates& out = *c.states;
  out.fast[0] = p.a4[0];
  out.fast[1] = p.a4[1];
  out.slow[0] = p.a4[2];
  out.slow[1] = p.a4[3];
  out.shortTail[0] = p.b4[0];
  out.shortTail[1] = p.b4[1];
  out.longTail[0] = p.b4[2];
  out.longTail[1] = p.b4[3];
  out.level[0] = p.level[0];
  out.level[1] = p.level[1];
  *c.overloadState = p.overload;
}

void ShapeBlockGeneric(const ShaperBlock& c) { ShapeBlockBody<false>(c); }

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) void ShapeBlockAvx2(const ShaperBlock& c) { ShapeBlockBody<false>(c); }
// AVX-512 VL also gives the 128- and 256-bit code 32 registers instead of 16.
__attribute__((target("avx512f,avx512vl"))) void ShapeBlockAvx512(const ShaperBlock& c) { ShapeBlockBody<true>(c); }
#endif

}  // namespace

void ShapeBlock(const ShaperBlock& block) {
#if defined(__x86_64__) || defined(__i386__)
  if (CpuHasAvx512()) return ShapeBlockAvx512(block);
  if (CpuHasAvx2()) return ShapeBlockAvx2(block);
#endif
  ShapeBlockGeneric(block);
}

}  // namespace dsp
