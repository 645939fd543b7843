// vst2_render PLUGIN OUTPUT: loads a plug-in library as a host does, runs a
// fixed programme of audio through it and writes every output sample, raw,
// to OUTPUT. The same programme through builds for different processors
// (x86-64 and 32-bit x86, Linux and Windows) must give the same bytes; the
// test scripts compare the files.
//
// The programme: seeded noise with decaying bursts (drum-like attacks at both
// loud and quiet levels, and a stretch of subnormal-sized values), through six
// parameter settings at three sample rates (the followers' coefficients and
// the output gain come from the C library's exp and pow, whose last bits
// differ most easily between platforms), each in double precision
// (processDoubleReplacing) and single precision (processReplacing), in blocks
// of 512 frames and one block of an odd length.

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "framework/vst2/VstDefs.h"
#include "tests/vst2/PluginLibrary.h"

namespace {

VstIntPtr VSTCALLBACK SilentHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }

// Left and right input, interleaved by channel: the same sequence on every
// machine (integer generator, arithmetic on doubles only).
std::vector<double> MakeInput(int frames, int channel) {
  std::mt19937 random(1234 + channel);
  std::vector<double> out(frames);
  double envelope = 0.0;
  for (int i = 0; i < frames; ++i) {
    if (i % 6000 == 0) envelope = (i / 6000) % 3 == 2 ? 0.05 : 0.9;
    envelope *= 0.9992;
    const double noise = static_cast<double>(random() % 2000001) / 1000000.0 - 1.0;
    out[i] = envelope * noise + 0.02 * noise;
    if (i >= 40000 && i < 41000) out[i] = noise * 1e-310;
  }
  return out;
}

struct Setting {
  int index;
  float value;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vst2_render PLUGIN OUTPUT\n");
    return 2;
  }
  void* library = vst2test::OpenLibrary(argv[1]);
  if (!library) {
    std::fprintf(stderr, "vst2_render: cannot load %s: %s\n", argv[1], vst2test::LibraryError().c_str());
    return 1;
  }
  auto entry = reinterpret_cast<VstPluginMainProc>(vst2test::FindSymbol(library, "VSTPluginMain"));
  std::FILE* out = std::fopen(argv[2], "wb");
  if (!entry || !out) {
    std::fprintf(stderr, "vst2_render: no VSTPluginMain in %s, or %s cannot be written\n", argv[1], argv[2]);
    return 1;
  }

  const int kFrames = 48000;
  const int kBlock = 512;
  const std::vector<double> left = MakeInput(kFrames, 0), right = MakeInput(kFrames, 1);
  // Normalised values: Attack, Sustain, links, lengths, gain, SC HPF.
  const std::vector<std::vector<Setting>> settings = {
      {},
      {{0, 1.0f}},
      {{1, 0.0f}, {4, 0.3f}},
      {{0, 0.8f}, {2, 1.0f}, {1, 0.25f}, {6, 1.0f}},
      {{0, 0.1f}, {3, 0.9f}, {7, 0.2f}, {5, 0.6f}, {4, 0.77f}},
      {{0, 0.95f}, {1, 0.9f}, {4, 1.0f}, {5, 1.0f}},
  };
  const float kRates[] = {48000.0f, 44100.0f, 96000.0f};
  for (size_t s = 0; s < settings.size(); ++s) {
    const std::vector<Setting>& setting = settings[s];
    for (int precision = 0; precision < 2; ++precision) {
      AEffect* e = entry(&SilentHost);
      if (!e) {
        std::fprintf(stderr, "vst2_render: VSTPluginMain returned null\n");
        return 1;
      }
      e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
      e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, kRates[s % 3]);
      e->dispatcher(e, effSetBlockSize, 0, kBlock, nullptr, 0.0f);
      e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
      for (const Setting& change : setting) e->setParameter(e, change.index, change.value);

      for (int start = 0; start < kFrames;) {
        const int n = start == 0 ? 333 : std::min(kBlock, kFrames - start);
        if (precision == 0) {
          std::vector<double> in0(left.begin() + start, left.begin() + start + n);
          std::vector<double> in1(right.begin() + start, right.begin() + start + n);
          std::vector<double> out0(n), out1(n);
          double* ins[2] = {in0.data(), in1.data()};
          double* outs[2] = {out0.data(), out1.data()};
          e->processDoubleReplacing(e, ins, outs, n);
          std::fwrite(out0.data(), sizeof(double), n, out);
          std::fwrite(out1.data(), sizeof(double), n, out);
        } else {
          std::vector<float> in0(n), in1(n), out0(n), out1(n);
          for (int i = 0; i < n; ++i) {
            in0[i] = static_cast<float>(left[start + i]);
            in1[i] = static_cast<float>(right[start + i]);
          }
          float* ins[2] = {in0.data(), in1.data()};
          float* outs[2] = {out0.data(), out1.data()};
          e->processReplacing(e, ins, outs, n);
          std::fwrite(out0.data(), sizeof(float), n, out);
          std::fwrite(out1.data(), sizeof(float), n, out);
        }
        start += n;
      }
      e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    }
  }
  const bool written = std::fclose(out) == 0;
  vst2test::CloseLibrary(library);
  return written ? 0 : 1;
}
