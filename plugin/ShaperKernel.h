// plugin/reference/ReferenceShaper.cpp is the readable version of this kernel.
#pragma once
#include <atomic>

#include "plugin/SidechainFilter.h"

// The transient shaper's per-frame work over one block. The plug-in gathers
// its states, coefficients and settings into a ShaperBlock and calls
// ShapeBlock; the follower, filter and overload states are updated in place.
namespace dsp {

// The work runs in pieces of kShaperPieceFrames frames, the side-chain filter
// one piece ahead of the rest (see ShaperKernel.cpp).
constexpr int kShaperPieceFrames = 32;
constexpr int kShaperRingFrames = 2 * kShaperPieceFrames;  // filter results in flight, a power of 2

// Working storage of the block processing, of fixed size whatever the block's
// length, so nothing is allocated while processing.
struct ShaperScratch {
  alignas(64) double ring[4 * kShaperRingFrames] = {};   // per frame: detection L, R, |input| L, R
  // Per frame the sustain gain L, R; then per frame the attack term L, R.
  alignas(64) double terms[4 * kShaperPieceFrames] = {};
};

// The follower states of both channels, [0] left and [1] right.
struct FollowerStates {
  double fast[2] = {0.001, 0.001};       // squared detection sample, FastEnv
  double slow[2] = {0.001, 0.001};       // squared detection sample, SlowEnv
  double shortTail[2] = {0.001, 0.001};  // signed detection sample, ShortTailEnv
  double longTail[2] = {0.001, 0.001};   // signed detection sample, LongTailEnv
  double level[2] = {0.001, 0.001};      // |input sample|, LevelEnv
};

// The attack and release coefficients of one follower per channel.
struct FollowerCoefs {
  double attack[2];
  double release[2];
};

struct ShaperBlock {
  const double* inL;
  const double* inR;
  double* outL;
  double* outR;
  int nFrames;  // 1 or more

  SidechainFilter* filter;
  FollowerStates* states;
  double* overloadState;
  FollowerCoefs fast, slow, shortTail, longTail, level;
  double overloadAttack, overloadRelease;

  double attackDb;     // dB per unit of attack amount
  double sustainDb;    // dB per unit of sustain amount
  double attackLink;   // 0..1
  double sustainLink;  // 0..1
  double gain;         // linear output gain

  // Shared with the overload lamp on the editor's thread, which reads the lamp
  // value and clears the held peaks: it writes 0 to both and then sets
  // peaksCleared. The processing takes the clearing up before the next piece
  // of kShaperPieceFrames frames, and publishes the lamp value after each.
  std::atomic<double>* peakL;
  std::atomic<double>* peakR;
  std::atomic<double>* lampValue;
  std::atomic<bool>* peaksCleared;

  ShaperScratch* scratch;
};

// [audio] Per frame, in this order: side-chain filter (left, then right),
// squares, fast/slow/level followers, tail followers, amounts floored at 0,
// linking, attack gain, sustain gain, output gain, held peaks and overload
// follower. Each input sample is read before the output of its frame is
// written, and no output is written before the inputs of its frame were read,
// so inputs and outputs may be the same buffers (also crossed). A sample that
// is not a finite number counts as 0 on the detection path (its own output
// may still be non-finite), and an output that is not finite counts as an
// overload: it is held as a large finite peak, never as itself.
void ShapeBlock(const ShaperBlock& block);

}  // namespace dsp
