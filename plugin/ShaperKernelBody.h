#pragma once
// The shaper's block processing (ShaperKernel.h) as templates over the vector
// types it runs in, for ShaperKernel.cpp, which compiles it once per
// instruction set. Everything sits in an unnamed namespace and is inlined into
// those functions, so each copy, compiled for its own processor, stays its
// own. Include only from implementation files.
#include <cstring>
#include <limits>

#include "plugin/EnvelopeFollower.h"
#include "plugin/FastExp.h"
#include "plugin/FastExpVector.h"
#include "plugin/ShaperKernel.h"
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

// Four values side by side: {left, right} of two quantities. With 256-bit
// registers one V4d; without them a pair of V2d, since compilers split the
// comparisons of wider vectors into scalar branches. Every operation below
// works within the halves, so both forms compute the same lanes the same way.
struct Pair {
  V2d lo, hi;
};

MORVANE_INLINE Pair operator+(const Pair& a, const Pair& b) { return {a.lo + b.lo, a.hi + b.hi}; }
MORVANE_INLINE Pair operator-(const Pair& a, const Pair& b) { return {a.lo - b.lo, a.hi - b.hi}; }
MORVANE_INLINE Pair operator*(const Pair& a, const Pair& b) { return {a.lo * b.lo, a.hi * b.hi}; }

template <class Q>
MORVANE_INLINE Q Join(const V2d& lo, const V2d& hi);
template <>
MORVANE_INLINE V4d Join<V4d>(const V2d& lo, const V2d& hi) {
  return __builtin_shufflevector(lo, hi, 0, 1, 2, 3);
}
template <>
MORVANE_INLINE Pair Join<Pair>(const V2d& lo, const V2d& hi) {
  return {lo, hi};
}

MORVANE_INLINE V2d Lo(const V4d& q) { return __builtin_shufflevector(q, q, 0, 1); }
MORVANE_INLINE V2d Hi(const V4d& q) { return __builtin_shufflevector(q, q, 2, 3); }
MORVANE_INLINE V2d Lo(const Pair& q) { return q.lo; }
MORVANE_INLINE V2d Hi(const Pair& q) { return q.hi; }

template <class Q>
MORVANE_INLINE Q Splat4(double lo, double hi) {
  return Join<Q>(V2d{lo, lo}, V2d{hi, hi});
}

MORVANE_INLINE V2d Follow(const V2d& s, const V2d& x, const V2d& attack, const V2d& release) {
  return AttRelEnvelope::Follow(s, x, attack, release);
}
MORVANE_INLINE V4d Follow(const V4d& s, const V4d& x, const V4d& attack, const V4d& release) {
  return AttRelEnvelope::Follow(s, x, attack, release);
}
MORVANE_INLINE Pair Follow(const Pair& s, const Pair& x, const Pair& attack, const Pair& release) {
  return {Follow(s.lo, x.lo, attack.lo, release.lo), Follow(s.hi, x.hi, attack.hi, release.hi)};
}

// Per half: {L, R} -> {max, max} with max = R > L ? R : L.
MORVANE_INLINE V2d LargerOfPair(const V2d& v) {
  const V2d larger = Max(__builtin_shufflevector(v, v, 1, 0), v);
  return __builtin_shufflevector(larger, larger, 0, 0);
}
MORVANE_INLINE V4d LargerOfPairs(const V4d& v) {
  const V4d larger = Max(__builtin_shufflevector(v, v, 1, 0, 3, 2), v);
  return __builtin_shufflevector(larger, larger, 0, 0, 2, 2);
}
MORVANE_INLINE Pair LargerOfPairs(const Pair& v) { return {LargerOfPair(v.lo), LargerOfPair(v.hi)}; }

// v < 0 ? 0 : v
MORVANE_INLINE V4d FloorAtZero(const V4d& v) { return Max(Opaque(V4d{}), v); }
MORVANE_INLINE Pair FloorAtZero(const Pair& v) {
  const V2d zero = Opaque(V2d{});
  return {Max(zero, v.lo), Max(zero, v.hi)};
}

// Lane by lane, all bits set where |v| <= kNearLimit (not where v is NaN),
// and the conjunction of such masks.
MORVANE_INLINE V4d NearMask(const V4d& v) {
  const V4d magnitude = (V4d)((V4i)v & INT64_MAX);
  return (V4d)(magnitude <= Splat<V4d>(kNearLimit));
}
MORVANE_INLINE Pair NearMask(const Pair& v) {
  const V2d lo = Abs(v.lo), hi = Abs(v.hi);
  return {(V2d)(lo <= Splat<V2d>(kNearLimit)), (V2d)(hi <= Splat<V2d>(kNearLimit))};
}
MORVANE_INLINE V4d And(const V4d& a, const V4d& b) { return (V4d)((V4i)a & (V4i)b); }
MORVANE_INLINE Pair And(const Pair& a, const Pair& b) {
  return {(V2d)((V2i)a.lo & (V2i)b.lo), (V2d)((V2i)a.hi & (V2i)b.hi)};
}
MORVANE_INLINE bool AllSet(const V2d& m) { return (((V2i)m)[0] & ((V2i)m)[1]) == -1; }
template <class Q>
MORVANE_INLINE bool AllSet(const Q& m) {
  return AllSet(Lo(m)) && AllSet(Hi(m));
}
template <class Q>
MORVANE_INLINE Q AllOnes() {
  const V2d ones = (V2d)(V2i{} - 1);
  return Join<Q>(ones, ones);
}

// Everything that stays the same for the whole block. The followers run four
// at a time: "leading" holds the fast and the long-tail followers, "trailing"
// the slow and the short-tail ones, each as {left, right, left, right}, so
// that leading - trailing is {attack L, attack R, sustain L, sustain R}.
template <class Q>
struct Constants {
  Q leadingAttack, leadingRelease;
  Q trailingAttack, trailingRelease;
  V2d levelAttack, levelRelease;
  // Linking: each amount becomes ownShare x itself + largerShare x the larger
  // of the two channels' amounts; {1 - a, 1 - a, 1 - b, 1 - b} and
  // {a, a, b, b}, and for the levels 1 - a and a.
  Q ownShare, largerShare;
  V2d levelOwnShare, levelLargerShare;
  // Amount to exponent of e: dB per unit of amount x ln(10) / 20, attack in
  // lanes 0 and 1, sustain in lanes 2 and 3.
  Q exponentPerAmount;
  V2d cutGain, cutRest;  // the cutting attack's g = 10^(attackDb / 20) and 1 - g
  V2d outputGain;
  double overloadAttack, overloadRelease;
};

// The states carried from frame to frame, in locals of Run so that the
// compiler keeps them in registers.
template <class Q>
struct States {
  SidechainFilter filter;
  Q leading, trailing;
  V2d level;
  V2d peak;  // held output peaks, L and R
  double overload;
  Q near;  // all bits set while the piece's exponents stay within +-kNearLimit
};

// The ring entry of frame j: its detection samples L and R, then its absolute
// inputs L and R for the level followers.
MORVANE_INLINE double* RingEntry(double* ring, int j) { return ring + 4 * (j & (kShaperRingFrames - 1)); }

// The side-chain filter in any mode, one sample after the other.
template <int kMode>
class PlainDetector {
public:
  PlainDetector(SidechainFilter& filter, double* ring, int) : mFilter(filter), mRing(ring) {}

  MORVANE_INLINE void Frame(int j, const V2d& x) { FrameAt(RingEntry(mRing, j), x); }
  MORVANE_INLINE void FullFrame(int j, const V2d& x) { Frame(j, x); }
  MORVANE_INLINE void FullFrameInRun(double* entry, const V2d& x) { FrameAt(entry, x); }
  MORVANE_INLINE void Finish() {}

private:
  MORVANE_INLINE void FrameAt(double* entry, const V2d& x) {
    if (kMode >= 0) {
      entry[0] = mFilter.stepAs<kMode>(x[0]);
      entry[1] = mFilter.stepAs<kMode>(x[1]);
    } else {
      entry[0] = mFilter.step(x[0]);
      entry[1] = mFilter.step(x[1]);
    }
    Store(entry + 2, Abs(x));
  }

  SidechainFilter& mFilter;
  double* mRing;
};

// The high-pass filter with its stages skewed in time, over the block's
// samples t = 0, 1, ... (left and right of each frame in turn). Step t feeds
// sample t into stage 1 while stage k works on sample t - (k - 1), with the
// value stage k - 1 made for that sample in step t - 1. Each update is the one
// of SidechainFilter::step on the same values, so the results are the same;
// but the six updates of a step do not wait for one another: they run as two
// vectors of three, the odd stages {1, 3, 5} fed with {x, stage 2, stage 4}
// and the even stages {2, 4, 6} fed with {stage 1, 3, 5}, and the chain of
// dependent operations from one step to the next is one update long, where
// sample after sample it is six. Step t stores sample t in its ring slot, and
// step t + 5, when stage 6 has taken that sample, makes the slot the detection
// sample x - y6. The first five steps of a block leave alone the stages that
// would reach back before its first sample, and five steps after its last
// sample finish the samples still in the stages, so that between blocks the
// stages hold what the plain filter's hold. Q is V4d or Pair; the fourth lane
// is unused.
template <class Q>
class SkewedHighPass {
public:
  SkewedHighPass(SidechainFilter& filter, double* ring, int nFrames)
      : mFilter(filter), mRing(ring), mSamples(2 * nFrames), mSmoothing(Splat4<Q>(filter.smoothing, filter.smoothing)) {
    Pack(filter.stage1, filter.stage2, filter.stage3, filter.stage4, filter.stage5, filter.stage6);
  }

  // Frame j, any j.
  MORVANE_INLINE void Frame(int j, const V2d& x) {
    if (2 * j >= 5 && 2 * j + 1 < mSamples) return FullFrame(j, x);
    Store(RingEntry(mRing, j) + 2, Abs(x));
    PartialStep(2 * j, x[0]);
    PartialStep(2 * j + 1, x[1]);
  }

  // Frame j with j >= 3: all stages at work in both steps. The second form
  // is for frames whose entry and the three before it lie in one run of the
  // ring.
  MORVANE_INLINE void FullFrame(int j, const V2d& x) {
    FullFrameAt(RingEntry(mRing, j), RingEntry(mRing, j - 3), RingEntry(mRing, j - 2), x);
  }
  MORVANE_INLINE void FullFrameInRun(double* entry, const V2d& x) { FullFrameAt(entry, entry - 12, entry - 8, x); }

  // After the block's last frame.
  MORVANE_INLINE void Finish() {
    for (int t = mSamples; t < mSamples + 5; ++t) PartialStep(t, 0.0);
    Unpack(mFilter.stage1, mFilter.stage2, mFilter.stage3, mFilter.stage4, mFilter.stage5, mFilter.stage6);
  }

private:
  MORVANE_INLINE void Pack(double s1, double s2, double s3, double s4, double s5, double s6) {
    mOdd = Join<Q>(V2d{s1, s3}, V2d{s5, s5});
    mEven = Join<Q>(V2d{s2, s4}, V2d{s6, s6});
  }
  MORVANE_INLINE void Unpack(double& s1, double& s2, double& s3, double& s4, double& s5, double& s6) const {
    s1 = Lo(mOdd)[0];
    s3 = Lo(mOdd)[1];
    s5 = Hi(mOdd)[0];
    s2 = Lo(mEven)[0];
    s4 = Lo(mEven)[1];
    s6 = Hi(mEven)[0];
  }

  MORVANE_INLINE void FullFrameAt(double* entry, double* threeBefore, double* twoBefore, const V2d& x) {
    Store(entry + 2, Abs(x));
    Step(x[0], entry, threeBefore + 1);  // sample 2j - 5: right of frame j - 3
    Step(x[1], entry + 1, twoBefore);    // sample 2j - 4: left of frame j - 2
  }

  MORVANE_INLINE void Step(double x, double* slot, double* done) {
    const Q in = OddStageInputs(mEven, x);
    const Q odd = (in - mOdd) * mSmoothing + mOdd;
    mEven = (mOdd - mEven) * mSmoothing + mEven;
    mOdd = odd;
    *slot = x;
    *done = *done - Hi(mEven)[0];
  }

  // {x, e0, e1, e2} from the even stages e: stage 1 takes x, stage 3 stage 2,
  // stage 5 stage 4.
  static MORVANE_INLINE V4d OddStageInputs(const V4d& even, double x) {
    return __builtin_shufflevector(even, Splat<V4d>(x), 4, 0, 1, 2);
  }
  static MORVANE_INLINE Pair OddStageInputs(const Pair& even, double x) {
    return {__builtin_shufflevector(Splat<V2d>(x), even.lo, 0, 2), __builtin_shufflevector(even.lo, even.hi, 1, 2)};
  }

  // Whether stage k's sample in step t lies within the block.
  MORVANE_INLINE bool Active(int t, int stage) const {
    return t - (stage - 1) >= 0 && t - (stage - 1) < mSamples;
  }

  // Step t with only the stages whose sample lies within the block, one
  // stage at a time.
  MORVANE_INLINE void PartialStep(int t, double x) {
    double o1, o2, o3, o4, o5, o6;
    Unpack(o1, o2, o3, o4, o5, o6);
    const double c = Lo(mSmoothing)[0];
    auto update = [c](double in, double stage) { return (in - stage) * c + stage; };
    const double s1 = Active(t, 1) ? update(x, o1) : o1;
    const double s2 = Active(t, 2) ? update(o1, o2) : o2;
    const double s3 = Active(t, 3) ? update(o2, o3) : o3;
    const double s4 = Active(t, 4) ? update(o3, o4) : o4;
    const double s5 = Active(t, 5) ? update(o4, o5) : o5;
    const double s6 = Active(t, 6) ? update(o5, o6) : o6;
    Pack(s1, s2, s3, s4, s5, s6);
    if (t < mSamples) RingEntry(mRing, t >> 1)[t & 1] = x;
    if (t >= 5 && t - 5 < mSamples) {
      double* done = RingEntry(mRing, (t - 5) >> 1) + ((t - 5) & 1);
      *done = *done - s6;
    }
  }

  SidechainFilter& mFilter;
  double* const mRing;
  const int mSamples;
  const Q mSmoothing;
  Q mOdd, mEven;  // stages {1, 3, 5, -} and {2, 4, 6, -}
};

// The terms of a piece's frames: for both channels of every frame the
// exponent of the sustain gain, then for both channels of every frame the
// attack term (the exponent of the attack gain, or the linked level when
// "Attack" cuts).
constexpr int kAttackTerms = 2 * kShaperPieceFrames;

// Squares, followers, amounts floored at 0 and linking for one frame, from its
// ring entry, into its terms.
template <bool kBoost, class Q>
MORVANE_INLINE void FollowFrame(States<Q>& s, const Constants<Q>& k, const double* entry, double* terms) {
  const V2d d = Load<V2d>(entry);
  const Q in = Join<Q>(d * d, d);
  s.leading = Follow(s.leading, in, k.leadingAttack, k.leadingRelease);
  s.trailing = Follow(s.trailing, in, k.trailingAttack, k.trailingRelease);
  s.level = Follow(s.level, Load<V2d>(entry + 2), k.levelAttack, k.levelRelease);

  Q amount = FloorAtZero(s.leading - s.trailing);
  amount = k.ownShare * amount + k.largerShare * LargerOfPairs(amount);
  const Q exponent = amount * k.exponentPerAmount;
  Store(terms, Hi(exponent));
  if (kBoost) {
    Store(terms + kAttackTerms, Lo(exponent));
    s.near = And(s.near, NearMask(exponent));
  } else {
    Store(terms + kAttackTerms, k.levelOwnShare * s.level + k.levelLargerShare * LargerOfPair(s.level));
    s.near = And(s.near, NearMask(Join<Q>(V2d{}, Hi(exponent))));
  }
}

// The exponentials of the terms of a group of frames, as many as VE holds;
// with kNear, for exponents within +-kNearLimit.
template <bool kNear, class VE, class VEU>
MORVANE_INLINE void ExpInPlace(double* p) {
  Store(p, kNear ? ExpNearV<VE, VEU>(Load<VE>(p)) : ExpV<VE, VEU>(Load<VE>(p)));
}
template <bool kBoost, bool kNear, class VE, class VEU>
MORVANE_INLINE void GroupExponentials(double* sustain) {
  ExpInPlace<kNear, VE, VEU>(sustain);
  if (kBoost) ExpInPlace<kNear, VE, VEU>(sustain + kAttackTerms);
}

// Gains, output, held peaks and overload follower for one frame, from its
// terms with the exponentials evaluated.
template <bool kBoost, class Q>
MORVANE_INLINE void OutputFrame(States<Q>& s, const Constants<Q>& k, double inL, double inR, double* outL,
                                double* outR, const double* terms) {
  V2d x{inL, inR};
  const V2d attack = Load<V2d>(terms + kAttackTerms);
  if (kBoost) {
    x = attack * x;
  } else {
    x = (x * attack) * k.cutRest + x * k.cutGain;
  }
  x = Load<V2d>(terms) * x;
  const V2d y = k.outputGain * x;
  *outL = y[0];
  *outR = y[1];

  V2d magnitude = Abs(y);
  magnitude = magnitude <= Splat<V2d>(std::numeric_limits<double>::max()) ? magnitude
                                                                           : Splat<V2d>(kNonFiniteMagnitude);
  s.peak = Max(magnitude, s.peak);
  s.overload = AttRelEnvelope::Follow(s.overload, (s.peak[0] + s.peak[1]) * 0.5, k.overloadAttack, k.overloadRelease);
}

// The gains, output and overload follower of a piece, a group of frames at a
// time, with the exponentials of the next group evaluated alongside: they are
// independent of the overload follower, whose chain of dependent operations
// would otherwise leave the processor idle, and are ready long before their
// frames come up. A group's vector may reach past the piece's last frame into
// terms no frame uses. kNear: the piece's exponents are within +-kNearLimit.
template <bool kBoost, bool kNear, class VE, class VEU, class Q>
MORVANE_INLINE void OutputPiece(States<Q>& s, const Constants<Q>& k, const double* inL, const double* inR,
                                double* outL, double* outR, double* terms, int count) {
  constexpr int kGroup = static_cast<int>(sizeof(VE) / sizeof(double)) / 2;
  GroupExponentials<kBoost, kNear, VE, VEU>(terms);
  int group = 0;
  for (; group + kGroup <= count; group += kGroup) {
    if (group + kGroup < count) GroupExponentials<kBoost, kNear, VE, VEU>(terms + 2 * (group + kGroup));
#pragma GCC unroll 4
    for (int g = 0; g < kGroup; ++g) {
      const int j = group + g;
      OutputFrame<kBoost>(s, k, inL[j], inR[j], outL + j, outR + j, terms + 2 * j);
    }
  }
  for (int j = group; j < count; ++j) OutputFrame<kBoost>(s, k, inL[j], inR[j], outL + j, outR + j, terms + 2 * j);
}

// The block in pieces of kShaperPieceFrames frames, in two loops per piece:
// the followers of the piece with the side-chain filter of the next piece,
// then the gains and the overload follower of the piece. The filter and the
// overload follower are long chains of dependent operations; each loop pairs
// one of them with work the processor can overlap with it, and keeps few
// enough values from frame to frame to hold them all in registers. Results
// are those of the frame by frame order: the filter runs ahead, but nothing
// it computes depends on what follows it.
template <class Detector, bool kBoost, class Q, class VE, class VEU>
MORVANE_INLINE void Run(States<Q>& s, const Constants<Q>& k, const ShaperBlock& c) {
  constexpr int kPiece = kShaperPieceFrames;
  const int n = c.nFrames;
  const double* const inL = c.inL;
  const double* const inR = c.inR;
  double* const outL = c.outL;
  double* const outR = c.outR;
  double* const ring = c.scratch->ring;
  double* const terms = c.scratch->terms;
  Detector detector(s.filter, ring, n);

  const int lead = n < kPiece ? n : kPiece;
  for (int j = 0; j < lead; ++j) detector.Frame(j, FiniteOrZero(V2d{inL[j], inR[j]}));
  if (lead == n) detector.Finish();

  for (int start = 0; start < n; start += kPiece) {
    const int count = n - start < kPiece ? n - start : kPiece;
    const int next = start + kPiece;
    const int nextCount = n - next < 0 ? 0 : (n - next < kPiece ? n - next : kPiece);
    // Each piece starts at a multiple of kPiece, so its ring entries are
    // consecutive.
    const double* const entry = RingEntry(ring, start);
    int i = 0;
    // The next piece's first three frames reach back into this piece.
    for (; i < nextCount && i < 3; ++i) {
      detector.FullFrame(next + i, FiniteOrZero(V2d{inL[next + i], inR[next + i]}));
      FollowFrame<kBoost>(s, k, entry + 4 * i, terms + 2 * i);
    }
    double* const nextEntry = RingEntry(ring, next);
    for (; i < nextCount; ++i) {
      detector.FullFrameInRun(nextEntry + 4 * i, FiniteOrZero(V2d{inL[next + i], inR[next + i]}));
      FollowFrame<kBoost>(s, k, entry + 4 * i, terms + 2 * i);
    }
    if (nextCount > 0 && next + nextCount == n) detector.Finish();
    for (; i < count; ++i) FollowFrame<kBoost>(s, k, entry + 4 * i, terms + 2 * i);

    // The lamp may clear the held peaks at any time; taking the clearing up
    // at the next piece only shortens how long a peak is held, by a little.
    if (c.peaksCleared->load(std::memory_order_relaxed) && c.peaksCleared->exchange(false, std::memory_order_relaxed)) {
      s.peak = V2d{};
    }

    if (AllSet(s.near)) {
      OutputPiece<kBoost, true, VE, VEU>(s, k, inL + start, inR + start, outL + start, outR + start, terms, count);
    } else {
      OutputPiece<kBoost, false, VE, VEU>(s, k, inL + start, inR + start, outL + start, outR + start, terms, count);
    }
    s.near = AllOnes<Q>();
    c.lampValue->store(s.overload, std::memory_order_relaxed);
  }
}

template <bool kBoost, class Q, class VE, class VEU>
MORVANE_INLINE void RunMode(States<Q>& s, const Constants<Q>& k, const ShaperBlock& c) {
  // The plug-in runs its filter in high-pass mode only; the other modes share
  // one plain version that chooses per sample.
  if (s.filter.mode == SidechainFilter::kHighPass) {
    Run<SkewedHighPass<Q>, kBoost, Q, VE, VEU>(s, k, c);
  } else {
    Run<PlainDetector<-1>, kBoost, Q, VE, VEU>(s, k, c);
  }
}

// Q holds the four followers of a kind, VE (with VEU) is the vector the
// exponentials are evaluated in.
template <class Q, class VE, class VEU>
MORVANE_INLINE void ShapeBlockBody(const ShaperBlock& c) {
  Constants<Q> k;
  k.leadingAttack = Join<Q>(V2d{c.fast.attack[0], c.fast.attack[1]}, V2d{c.longTail.attack[0], c.longTail.attack[1]});
  k.leadingRelease =
      Join<Q>(V2d{c.fast.release[0], c.fast.release[1]}, V2d{c.longTail.release[0], c.longTail.release[1]});
  k.trailingAttack =
      Join<Q>(V2d{c.slow.attack[0], c.slow.attack[1]}, V2d{c.shortTail.attack[0], c.shortTail.attack[1]});
  k.trailingRelease =
      Join<Q>(V2d{c.slow.release[0], c.slow.release[1]}, V2d{c.shortTail.release[0], c.shortTail.release[1]});
  k.levelAttack = V2d{c.level.attack[0], c.level.attack[1]};
  k.levelRelease = V2d{c.level.release[0], c.level.release[1]};
  const double a = c.attackLink;
  const double b = c.sustainLink;
  k.ownShare = Splat4<Q>(1.0 - a, 1.0 - b);
  k.largerShare = Splat4<Q>(a, b);
  k.levelOwnShare = Splat<V2d>(1.0 - a);
  k.levelLargerShare = Splat<V2d>(a);
  const double attack = c.attackDb * kLn10Over20;
  k.exponentPerAmount = Splat4<Q>(attack, c.sustainDb * kLn10Over20);
  const double g = c.attackDb > 0.0 ? 1.0 : Exp(attack);
  k.cutGain = Splat<V2d>(g);
  k.cutRest = Splat<V2d>(1.0 - g);
  k.outputGain = Splat<V2d>(c.gain);
  k.overloadAttack = c.overloadAttack;
  k.overloadRelease = c.overloadRelease;

  const FollowerStates& in = *c.states;
  States<Q> s;
  s.filter = *c.filter;
  s.leading = Join<Q>(V2d{in.fast[0], in.fast[1]}, V2d{in.longTail[0], in.longTail[1]});
  s.trailing = Join<Q>(V2d{in.slow[0], in.slow[1]}, V2d{in.shortTail[0], in.shortTail[1]});
  s.level = V2d{in.level[0], in.level[1]};
  s.peak = V2d{c.peakL->load(std::memory_order_relaxed), c.peakR->load(std::memory_order_relaxed)};
  s.overload = *c.overloadState;
  s.near = AllOnes<Q>();

  if (c.attackDb > 0.0) {
    RunMode<true, Q, VE, VEU>(s, k, c);
  } else {
    RunMode<false, Q, VE, VEU>(s, k, c);
  }

  *c.filter = s.filter;
  FollowerStates& out = *c.states;
  const V2d fast = Lo(s.leading), longTail = Hi(s.leading), slow = Lo(s.trailing), shortTail = Hi(s.trailing);
  out.fast[0] = fast[0];
  out.fast[1] = fast[1];
  out.longTail[0] = longTail[0];
  out.longTail[1] = longTail[1];
  out.slow[0] = slow[0];
  out.slow[1] = slow[1];
  out.shortTail[0] = shortTail[0];
  out.shortTail[1] = shortTail[1];
  out.level[0] = s.level[0];
  out.level[1] = s.level[1];
  *c.overloadState = s.overload;
  c.peakL->store(s.peak[0], std::memory_order_relaxed);
  c.peakR->store(s.peak[1], std::memory_order_relaxed);
}

}  // namespace
}  // namespace dsp
