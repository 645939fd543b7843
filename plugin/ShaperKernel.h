#pragma once
#include <atomic>

#include "plugin/SidechainFilter.h"

// The transient shaper's per-frame work over one piece of a block. The plug-in
// gathers its states, coefficients and settings into a ShaperChunk and calls
// ShapeChunk; the follower and filter states are updated in place.
namespace dsp {

constexpr int kShaperChunkFrames = 256;  // the most frames one call takes
constexpr int kShaperFilterLead = 16;    // frames the side-chain filter runs ahead

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

struct ShaperChunk {
  const double* inL;
  const double* inR;
  double* outL;
  double* outR;
  int nFrames;  // 1 .. kShaperChunkFrames

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

  // Shared with the overload lamp, which reads the lamp value and clears the
  // peaks from the editor's thread.
  std::atomic<double>* peakL;
  std::atomic<double>* peakR;
  std::atomic<double>* lampValue;

  // Scratch, 2 * kShaperChunkFrames doubles each, left and right interleaved.
  double* detection;
  double* absInput;
  double* attackTerm;
  double* sustainTerm;
};

// [audio] Per frame, in this order: side-chain filter (left, then right),
// squares, fast/slow/level followers, tail followers, amounts floored at 0,
// linking, attack gain, sustain gain, output gain, held peaks and overload
// follower. Inputs are read before outputs are written; they may be the same
// buffers. A sample that is not a finite number counts as 0 on the detection
// path (its own output may still be non-finite), and a non-finite output is
// kept out of the held peaks.
void ShapeChunk(const ShaperChunk& chunk);

}  // namespace dsp
