#pragma once
// What the project's own test host does with a plug-in, whichever way the
// plug-in was made (a library loaded as hosts load it, or the class built
// into a program): the VST2 round of a host session, the timing of its
// processing, and the knob gesture its editor test makes.
#include <cstdint>
#include <string>
#include <vector>

#include "common/EditorScale.h"
#include "framework/vst2/VstDefs.h"

namespace hosttest {

// One call the plug-in made to the host.
struct HostCall {
  VstInt32 opcode;
  VstInt32 index;
  float opt;
};

// The host callback: records every call into HostCalls() and answers 0 (the
// sample rate and block size it is asked for excepted).
VstIntPtr VSTCALLBACK RecordingHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                    float opt);
std::vector<HostCall>& HostCalls();

constexpr float kSampleRate = 44100.0f;
constexpr int kBlockFrames = 512;

// A host session with two instances of the plug-in:
// 1. each opened, given the sample rate and block size, resumed;
// 2. Attack set to 0.75 by the host on each;
// 3. the same drum-like stereo input (single-precision values) processed in
//    blocks, by the first in double precision, by the twin in single: the
//    samples must be the same, rounded, finite and not silent;
// 4. the first's bank and program chunks out, Sustain changed, the chunks in
//    again: Sustain is back and the chunks read out alike.
// True when every check held; *failure says which did not. Both stay open.
bool RunRound(AEffect* effect, AEffect* twin, std::string* failure);

// Nanoseconds per stereo frame of processing in blocks of 512 frames: the
// median of several timed runs. The effect must be open and resumed.
double NsPerFrame(AEffect* effect, bool doublePrecision);

// The editor test's gesture: a press on the large Attack knob, one move up
// by 40 pixels with the left button held, and the release there.
struct KnobGesture {
  int param;
  int x;
  int y;
  int dy;
};
constexpr KnobGesture kGesture = {0, 108, 126, -40};

// The gesture in the window's pixels of an editor at `percent` (100, 150,
// 200): the same movement of the knob.
inline KnobGesture GestureAt(int percent) {
  const double s = percent / 100.0;
  return {kGesture.param, editor_scale::ScaledLength(kGesture.x, s), editor_scale::ScaledLength(kGesture.y, s),
          editor_scale::ScaledLength(kGesture.dy, s)};
}

// Decaying noise bursts every 4000 frames, loud and quiet in turn, from an
// integer generator: the same on every machine.
std::vector<double> DrumInput(int frames, uint32_t seed);

// The editor's pixels as blue, green, red bytes, rows from the top.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> bgr;
};

// Reads and writes pixel files: "MVPX", width and height as 32-bit little
// endian, then the blue, green, red bytes.
bool WritePixels(const Pixels& pixels, const char* path);
bool ReadPixels(const char* path, Pixels* pixels);

// Whether two images are alike; if not, *what tells the first pixel where
// they differ and how many do.
bool SamePixels(const Pixels& window, const Pixels& reference, std::string* what);

}  // namespace hosttest
