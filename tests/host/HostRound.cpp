#include "tests/host/HostRound.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace hosttest {

std::vector<HostCall>& HostCalls() {
  static std::vector<HostCall> calls;
  return calls;
}

VstIntPtr VSTCALLBACK RecordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt) {
  HostCalls().push_back({opcode, index, opt});
  if (opcode == audioMasterGetSampleRate) return static_cast<VstIntPtr>(kSampleRate);
  if (opcode == audioMasterGetBlockSize) return kBlockFrames;
  return 0;
}

std::vector<double> DrumInput(int frames, uint32_t seed) {
  std::vector<double> out(static_cast<size_t>(frames));
  uint32_t state = seed;
  double envelope = 0.0;
  for (int i = 0; i < frames; ++i) {
    if (i % 4000 == 0) envelope = (i / 4000) % 2 ? 0.1 : 0.7;
    envelope *= 0.999;
    state = state * 1664525u + 1013904223u;
    const double noise = static_cast<double>(state >> 8) / 8388608.0 - 1.0;
    out[static_cast<size_t>(i)] = envelope * noise;
  }
  return out;
}

namespace {

constexpr int kRoundBlocks = 40;

void ProcessDouble(AEffect* e, const std::vector<double>& left, const std::vector<double>& right,
                   std::vector<double>* outLeft, std::vector<double>* outRight) {
  outLeft->assign(left.size(), 0.0);
  outRight->assign(right.size(), 0.0);
  for (size_t start = 0; start < left.size(); start += kBlockFrames) {
    std::vector<double> in0(left.begin() + start, left.begin() + start + kBlockFrames);
    std::vector<double> in1(right.begin() + start, right.begin() + start + kBlockFrames);
    double* ins[2] = {in0.data(), in1.data()};
    double* outs[2] = {outLeft->data() + start, outRight->data() + start};
    e->processDoubleReplacing(e, ins, outs, kBlockFrames);
  }
}

void ProcessFloat(AEffect* e, const std::vector<double>& left, const std::vector<double>& right,
                  std::vector<float>* outLeft, std::vector<float>* outRight) {
  outLeft->assign(left.size(), 0.0f);
  outRight->assign(right.size(), 0.0f);
  for (size_t start = 0; start < left.size(); start += kBlockFrames) {
    std::vector<float> in0(kBlockFrames), in1(kBlockFrames);
    for (int i = 0; i < kBlockFrames; ++i) {
      in0[static_cast<size_t>(i)] = static_cast<float>(left[start + static_cast<size_t>(i)]);
      in1[static_cast<size_t>(i)] = static_cast<float>(right[start + static_cast<size_t>(i)]);
    }
    float* ins[2] = {in0.data(), in1.data()};
    float* outs[2] = {outLeft->data() + start, outRight->data() + start};
    e->processReplacing(e, ins, outs, kBlockFrames);
  }
}

std::vector<unsigned char> Chunk(AEffect* e, bool program) {
  void* data = nullptr;
  const VstIntPtr size = e->dispatcher(e, effGetChunk, program ? 1 : 0, 0, &data, 0.0f);
  if (size <= 0 || !data) return {};
  const auto* bytes = static_cast<const unsigned char*>(data);
  return std::vector<unsigned char>(bytes, bytes + size);
}

bool Fail(std::string* failure, const std::string& what) {
  if (failure) *failure = what;
  return false;
}

}  // namespace

namespace {

// 1, 2.
bool OpenAndConfigure(AEffect* e, std::string* failure) {
  if (!e || e->magic != kEffectMagic) return Fail(failure, "no AEffect record");
  if (e->numInputs != 2 || e->numOutputs != 2) return Fail(failure, "not a stereo effect");
  if (!(e->flags & effFlagsCanDoubleReplacing) || !(e->flags & effFlagsHasEditor)) {
    return Fail(failure, "the flags lack double precision or the editor");
  }
  e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
  e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, kSampleRate);
  e->dispatcher(e, effSetBlockSize, 0, kBlockFrames, nullptr, 0.0f);
  e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
  e->setParameter(e, 0, 0.75f);
  if (e->getParameter(e, 0) != 0.75f) return Fail(failure, "Attack does not read back as set");
  return true;
}

}  // namespace

bool RunRound(AEffect* e, AEffect* twin, std::string* failure) {
  if (!OpenAndConfigure(e, failure) || !OpenAndConfigure(twin, failure)) return false;

  // 3.
  const int frames = kRoundBlocks * kBlockFrames;
  std::vector<double> left = DrumInput(frames, 11), right = DrumInput(frames, 23);
  for (size_t i = 0; i < left.size(); ++i) {
    left[i] = static_cast<float>(left[i]);
    right[i] = static_cast<float>(right[i]);
  }
  std::vector<double> outLeft, outRight;
  ProcessDouble(e, left, right, &outLeft, &outRight);
  double energyIn = 0.0, energyOut = 0.0;
  for (size_t i = 0; i < left.size(); ++i) {
    if (!std::isfinite(outLeft[i]) || !std::isfinite(outRight[i])) return Fail(failure, "a sample is not finite");
    energyIn += left[i] * left[i] + right[i] * right[i];
    energyOut += outLeft[i] * outLeft[i] + outRight[i] * outRight[i];
  }
  if (!(energyOut > 0.01 * energyIn)) return Fail(failure, "the output is (nearly) silent");

  std::vector<float> floatLeft, floatRight;
  ProcessFloat(twin, left, right, &floatLeft, &floatRight);
  for (size_t i = 0; i < left.size(); ++i) {
    if (floatLeft[i] != static_cast<float>(outLeft[i]) || floatRight[i] != static_cast<float>(outRight[i])) {
      char what[160];
      std::snprintf(what, sizeof what, "single precision differs from double at frame %zu: %.9g, not %.9g", i,
                    static_cast<double>(floatLeft[i]), static_cast<double>(static_cast<float>(outLeft[i])));
      return Fail(failure, what);
    }
  }

  // 4.
  const float sustain = e->getParameter(e, 1);
  const std::vector<unsigned char> bank = Chunk(e, false);
  const std::vector<unsigned char> program = Chunk(e, true);
  if (bank.empty() || program.empty()) return Fail(failure, "no state chunk");
  for (int which = 0; which < 2; ++which) {
    const std::vector<unsigned char>& chunk = which ? program : bank;
    e->setParameter(e, 1, 0.9f);
    std::vector<unsigned char> copy = chunk;
    if (e->dispatcher(e, effSetChunk, which, static_cast<VstIntPtr>(copy.size()), copy.data(), 0.0f) != 1) {
      return Fail(failure, which ? "the program chunk was refused" : "the bank chunk was refused");
    }
    if (e->getParameter(e, 1) != sustain) return Fail(failure, "a chunk did not restore Sustain");
    if (Chunk(e, which != 0) != chunk) return Fail(failure, "a chunk reads out differently after it was read in");
  }
  return true;
}

double NsPerFrame(AEffect* e, bool doublePrecision) {
  constexpr int kBlocks = 400;
  constexpr int kRuns = 9;
  const std::vector<double> left = DrumInput(kBlockFrames * 8, 5), right = DrumInput(kBlockFrames * 8, 7);
  std::vector<double> in0(kBlockFrames), in1(kBlockFrames), out0(kBlockFrames), out1(kBlockFrames);
  std::vector<float> fin0(kBlockFrames), fin1(kBlockFrames), fout0(kBlockFrames), fout1(kBlockFrames);
  std::vector<double> runs;
  for (int run = 0; run < kRuns + 1; ++run) {
    const auto begin = std::chrono::steady_clock::now();
    for (int b = 0; b < kBlocks; ++b) {
      const size_t offset = static_cast<size_t>(b % 8) * kBlockFrames;
      if (doublePrecision) {
        std::copy(left.begin() + offset, left.begin() + offset + kBlockFrames, in0.begin());
        std::copy(right.begin() + offset, right.begin() + offset + kBlockFrames, in1.begin());
        double* ins[2] = {in0.data(), in1.data()};
        double* outs[2] = {out0.data(), out1.data()};
        e->processDoubleReplacing(e, ins, outs, kBlockFrames);
      } else {
        for (int i = 0; i < kBlockFrames; ++i) {
          fin0[static_cast<size_t>(i)] = static_cast<float>(left[offset + static_cast<size_t>(i)]);
          fin1[static_cast<size_t>(i)] = static_cast<float>(right[offset + static_cast<size_t>(i)]);
        }
        float* ins[2] = {fin0.data(), fin1.data()};
        float* outs[2] = {fout0.data(), fout1.data()};
        e->processReplacing(e, ins, outs, kBlockFrames);
      }
    }
    const auto end = std::chrono::steady_clock::now();
    if (run == 0) continue;  // warming up
    runs.push_back(std::chrono::duration<double, std::nano>(end - begin).count() / (kBlocks * kBlockFrames));
  }
  std::sort(runs.begin(), runs.end());
  return runs[runs.size() / 2];
}

bool WritePixels(const Pixels& pixels, const char* path) {
  std::FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  unsigned char header[12] = {'M', 'V', 'P', 'X'};
  for (int i = 0; i < 4; ++i) {
    header[4 + i] = static_cast<unsigned char>(static_cast<uint32_t>(pixels.width) >> (8 * i));
    header[8 + i] = static_cast<unsigned char>(static_cast<uint32_t>(pixels.height) >> (8 * i));
  }
  bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header &&
            std::fwrite(pixels.bgr.data(), 1, pixels.bgr.size(), file) == pixels.bgr.size();
  return std::fclose(file) == 0 && ok;
}

bool ReadPixels(const char* path, Pixels* pixels) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  unsigned char header[12];
  bool ok = std::fread(header, 1, sizeof header, file) == sizeof header && std::memcmp(header, "MVPX", 4) == 0;
  if (ok) {
    uint32_t w = 0, h = 0;
    for (int i = 0; i < 4; ++i) {
      w |= static_cast<uint32_t>(header[4 + i]) << (8 * i);
      h |= static_cast<uint32_t>(header[8 + i]) << (8 * i);
    }
    ok = w > 0 && h > 0 && w <= 16384 && h <= 16384;
    if (ok) {
      pixels->width = static_cast<int>(w);
      pixels->height = static_cast<int>(h);
      pixels->bgr.resize(static_cast<size_t>(w) * h * 3);
      ok = std::fread(pixels->bgr.data(), 1, pixels->bgr.size(), file) == pixels->bgr.size();
    }
  }
  std::fclose(file);
  return ok;
}

bool SamePixels(const Pixels& window, const Pixels& reference, std::string* what) {
  if (window.width != reference.width || window.height != reference.height) {
    *what = "the window is " + std::to_string(window.width) + " x " + std::to_string(window.height) +
            ", the reference " + std::to_string(reference.width) + " x " + std::to_string(reference.height);
    return false;
  }
  size_t differing = 0, first = 0;
  for (size_t i = 0; i < window.bgr.size(); i += 3) {
    if (std::memcmp(&window.bgr[i], &reference.bgr[i], 3) != 0 && differing++ == 0) first = i / 3;
  }
  if (differing == 0) return true;
  const size_t x = first % static_cast<size_t>(window.width), y = first / static_cast<size_t>(window.width);
  char text[200];
  std::snprintf(text, sizeof text, "%zu pixels differ; the first at %zu, %zu: window %02x%02x%02x, reference %02x%02x%02x",
                differing, x, y, window.bgr[first * 3 + 2], window.bgr[first * 3 + 1], window.bgr[first * 3],
                reference.bgr[first * 3 + 2], reference.bgr[first * 3 + 1], reference.bgr[first * 3]);
  *what = text;
  return false;
}

}  // namespace hosttest
