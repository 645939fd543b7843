#pragma once
// The demo's drum loop: kick, snare, closed and open hats and a rim click on
// a sixteenth-note grid at 120 beats per minute, with a small stereo room, so
// that both the attacks and the decays have something for a transient shaper
// to work on. The result depends only on the arguments: the noise comes from
// a fixed-seed generator.
#include <vector>

// Interleaved stereo frames, seconds long, normalised to peak at peakDb dBFS.
std::vector<float> SynthesizeDrumLoop(int sampleRate, double seconds, double peakDb);
