#include "plugin/ShaperKernel.h"

// First: it sets how the vector code below is compiled.
#include "plugin/Simd.h"

#include <cstring>
#include <limits>

#include "plugin/CpuFeatures.h"
#include "plugin/EnvelopeFollower.h"
#include "plugin/FastExp.h"

namespace dsp {
namespace {

// 10^(y / 20) = exp(y * ln(10) / 20).
constexpr double kLn10Over20 = 2.302585092994045684 / 20.0;

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

template <int kMode>
MORVANE_INLINE void FilterFrame(SidechainFilter& f, const ShaperChunk& c, int j) {
  const V2d x = FiniteOrZero(V2d{c.inL[j], c.inR[j]});
  const double dL = f.stepAs<kMode>(x[0]);
  const double dR = f.stepAs<kMode>(x[1]);
  c.detection[2 * j] = dL;
  c.detection[2 * j + 1] = dR;
  Store(c.absInput + 2 * j, Abs(x));
}

// First pass: detection, followers, amounts and linking. Leaves per frame and
// channel the attack term (the exponent of the attack gain, or the linked
// level when "Attack" cuts) and the exponent of the sustain gain.
//
// Lanes: A = fast L, R, slow L, R (fed with the squares); B = short tail L, R,
// long tail L, R (fed with the signed detection samples); level L, R.
//
// The side-chain filter runs kShaperFilterLead frames ahead: its twelve
// dependent stage updates per frame are the longest chain in the loop, and
// with the lead the processor overlaps them with the follower work of earlier
// frames instead of waiting for them.
template <int kMode>
MORVANE_INLINE void Detect(const ShaperChunk& c) {
  const int n = c.nFrames;
  SidechainFilter f = *c.filter;
  FollowerStates& st = *c.states;
  V4d a4{st.fast[0], st.fast[1], st.slow[0], st.slow[1]};
  V4d b4{st.shortTail[0], st.shortTail[1], st.longTail[0], st.longTail[1]};
  V2d level{st.level[0], st.level[1]};
  const V4d attA{c.fast.attack[0], c.fast.attack[1], c.slow.attack[0], c.slow.attack[1]};
  const V4d relA{c.fast.release[0], c.fast.release[1], c.slow.release[0], c.slow.release[1]};
  const V4d attB{c.shortTail.attack[0], c.shortTail.attack[1], c.longTail.attack[0], c.longTail.attack[1]};
  const V4d relB{c.shortTail.release[0], c.shortTail.release[1], c.longTail.release[0], c.longTail.release[1]};
  const V2d attLevel{c.level.attack[0], c.level.attack[1]};
  const V2d relLevel{c.level.release[0], c.level.release[1]};
  const double a = c.attackLink;
  const double b = c.sustainLink;
  const V4d keep{1.0 - a, 1.0 - a, 1.0 - b, 1.0 - b};
  const V4d link{a, a, b, b};
  const V2d keepLevel{1.0 - a, 1.0 - a};
  const V2d linkLevel{a, a};
  const V4d db{c.attackDb, c.attackDb, c.sustainDb, c.sustainDb};
  const bool boost = c.attackDb > 0.0;
  const V4d zero{};

  const int lead = n < kShaperFilterLead ? n : kShaperFilterLead;
  for (int j = 0; j < lead; ++j) FilterFrame<kMode>(f, c, j);

  using Env = AttRelEnvelope;
  for (int i = 0; i < n; ++i) {
    if (i + lead < n) FilterFrame<kMode>(f, c, i + lead);
    const V2d d = Load<V2d>(c.detection + 2 * i);
    const V2d p = d * d;
    a4 = Env::Follow(a4, __builtin_shufflevector(p, p, 0, 1, 0, 1), attA, relA);
    b4 = Env::Follow(b4, __builtin_shufflevector(d, d, 0, 1, 0, 1), attB, relB);
    level = Env::Follow(level, Load<V2d>(c.absInput + 2 * i), attLevel, relLevel);

    // attack = fast - slow, sustain = long tail - short tail, floored at 0.
    V4d amt = __builtin_shufflevector(a4, b4, 0, 1, 6, 7) - __builtin_shufflevector(a4, b4, 2, 3, 4, 5);
    amt = amt < zero ? zero : amt;
    // Lane 0: attMax = R > L ? R : L; lane 2: susMax likewise.
    const V4d swapped = __builtin_shufflevector(amt, amt, 1, 0, 3, 2);
    const V4d maxima = swapped > amt ? swapped : amt;
    amt = keep * amt + link * __builtin_shufflevector(maxima, maxima, 0, 0, 2, 2);

    const V4d exponents = (amt * db) * kLn10Over20;
    if (boost) {
      Store(c.attackTerm + 2 * i, __builtin_shufflevector(exponents, exponents, 0, 1));
    } else {
      const V2d levelSwapped = __builtin_shufflevector(level, level, 1, 0);
      const V2d levelMax = levelSwapped > level ? levelSwapped : level;
      Store(c.attackTerm + 2 * i, keepLevel * level + linkLevel * __builtin_shufflevector(levelMax, levelMax, 0, 0));
    }
    Store(c.sustainTerm + 2 * i, __builtin_shufflevector(exponents, exponents, 2, 3));
  }

  *c.filter = f;
  st.fast[0] = a4[0];
  st.fast[1] = a4[1];
  st.slow[0] = a4[2];
  st.slow[1] = a4[3];
  st.shortTail[0] = b4[0];
  st.shortTail[1] = b4[1];
  st.longTail[0] = b4[2];
  st.longTail[1] = b4[3];
  st.level[0] = level[0];
  st.level[1] = level[1];
}

// Second pass: the exponentials of the whole piece, then gains, outputs, held
// peaks and the overload follower in frame order.
MORVANE_INLINE void Shape(const ShaperChunk& c) {
  const int n = c.nFrames;
  const bool boost = c.attackDb > 0.0;
  if (boost) ExpArray(c.attackTerm, c.attackTerm, 2 * n);
  ExpArray(c.sustainTerm, c.sustainTerm, 2 * n);

  // The cut branch's gain is the same for every frame.
  const double g = boost ? 1.0 : Exp(c.attackDb * kLn10Over20);
  const V2d gain2{g, g};
  const V2d oneMinusG{1.0 - g, 1.0 - g};
  const V2d gain{c.gain, c.gain};
  const V2d largest = Splat<V2d>(std::numeric_limits<double>::max());
  const V2d zero{};
  double overload = *c.overloadState;

  for (int i = 0; i < n; ++i) {
    V2d x{c.inL[i], c.inR[i]};
    const V2d term = Load<V2d>(c.attackTerm + 2 * i);
    if (boost) {
      x = term * x;
    } else {
      x = (x * term) * oneMinusG + x * gain2;
    }
    x = Load<V2d>(c.sustainTerm + 2 * i) * x;
    const V2d y = gain * x;
    c.outL[i] = y[0];
    c.outR[i] = y[1];

    // The lamp may clear the held peaks at any time; a clearing that lands
    // within a block only shortens how long a peak is held.
    V2d mag = Abs(y);
    mag = mag <= largest ? mag : zero;
    V2d peak{c.peakL->load(std::memory_order_relaxed), c.peakR->load(std::memory_order_relaxed)};
    peak = peak >= mag ? peak : mag;
    c.peakL->store(peak[0], std::memory_order_relaxed);
    c.peakR->store(peak[1], std::memory_order_relaxed);
    overload = AttRelEnvelope::Follow(overload, (peak[0] + peak[1]) * 0.5, c.overloadAttack, c.overloadRelease);
    c.lampValue->store(overload, std::memory_order_relaxed);
  }
  *c.overloadState = overload;
}

MORVANE_INLINE void ShapeChunkBody(const ShaperChunk& c) {
  switch (c.filter->mode) {
    case SidechainFilter::kLowPass: Detect<SidechainFilter::kLowPass>(c); break;
    case SidechainFilter::kHighPass: Detect<SidechainFilter::kHighPass>(c); break;
    case SidechainFilter::kBandPass: Detect<SidechainFilter::kBandPass>(c); break;
    default: Detect<-1>(c); break;
  }
  Shape(c);
}

void ShapeChunkGeneric(const ShaperChunk& c) { ShapeChunkBody(c); }

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) void ShapeChunkAvx2(const ShaperChunk& c) { ShapeChunkBody(c); }
#endif

}  // namespace

void ShapeChunk(const ShaperChunk& chunk) {
#if defined(__x86_64__) || defined(__i386__)
  if (CpuHasAvx2()) return ShapeChunkAvx2(chunk);
#endif
  ShapeChunkGeneric(chunk);
}

}  // namespace dsp
