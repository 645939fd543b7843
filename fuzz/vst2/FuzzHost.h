#pragma once
// What the plug-in's fuzz entries share: a reader that decodes host calls
// from the fuzz input, a host callback, the plug-in made as VSTPluginMain
// makes it, and the checks that must hold whatever a host did.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/vst2/IEffectVST.h"

namespace fuzz {

// Takes values from the front of the input; once it runs out, every value is 0.
class Reader {
public:
  Reader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}
  bool Empty() const { return mPos >= mSize; }
  uint8_t U8() { return mPos < mSize ? mData[mPos++] : 0; }
  uint16_t U16() {
    const uint16_t low = U8();
    return static_cast<uint16_t>(low | U8() << 8);
  }
  uint32_t U32() {
    const uint32_t low = U16();
    return low | static_cast<uint32_t>(U16()) << 16;
  }
  float F32() {
    const uint32_t bits = U32();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
  // A small signed number mostly, any 32-bit one after the marker byte 0x80.
  VstInt32 Index() {
    const int8_t small = static_cast<int8_t>(U8());
    return small == INT8_MIN ? static_cast<VstInt32>(U32()) : small;
  }
  VstIntPtr Value() {
    const int8_t small = static_cast<int8_t>(U8());
    if (small != INT8_MIN) return small;
    const uint64_t low = U32();
    return static_cast<VstIntPtr>(low | static_cast<uint64_t>(U32()) << 32);
  }
  // Up to n bytes in an allocation of exactly that many, so that the address
  // sanitizer sees a read past the end; at least one byte is allocated.
  std::unique_ptr<uint8_t[]> Bytes(size_t n, size_t* got) {
    *got = mPos + n <= mSize ? n : mSize - mPos;
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[*got + (*got == 0)]);
    if (*got) std::memcpy(bytes.get(), mData + mPos, *got);
    mPos += *got;
    return bytes;
  }
  // A NUL-terminated text of up to 255 characters, allocated to its length.
  std::unique_ptr<char[]> Text() {
    size_t n = 0;
    std::unique_ptr<uint8_t[]> bytes = Bytes(U8(), &n);
    std::unique_ptr<char[]> text(new char[n + 1]);
    if (n) std::memcpy(text.get(), bytes.get(), n);
    text[n] = '\0';
    return text;
  }

private:
  const uint8_t* mData;
  size_t mSize;
  size_t mPos = 0;
};

// The host's product name for the next plug-in made; the callback answers
// nothing else.
inline const char*& HostName() {
  static const char* name = "";
  return name;
}

inline VstIntPtr VSTCALLBACK Host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
  if (opcode == audioMasterGetProductString && ptr) {
    std::strncpy(static_cast<char*>(ptr), HostName(), kVstMaxProductStrLen - 1);
    static_cast<char*>(ptr)[kVstMaxProductStrLen - 1] = '\0';
    return 1;
  }
  return opcode == audioMasterGetVendorVersion ? 1000 : 0;
}

// The plug-in as the entry point makes it, picking the host from a byte: the
// first hosts are ones that get the stereo limit.
inline AEffect* MakePlugin(uint8_t hostChoice) {
  static const char* const kHosts[] = {"Adobe Audition", "FORTE", "REAPER", "", "Cubase VST"};
  HostName() = kHosts[hostChoice % 5];
  IEffectVST* plug = CreateEffectInstance(&Host);
  if (!plug) std::abort();
  plug->FillDefaultPresets("Empty", plug->PresetCount());
  return plug->GetAEffect();
}

inline VstIntPtr Call(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                      float opt = 0.0f) {
  return e->dispatcher(e, opcode, index, value, ptr, opt);
}

// The chunk of one kind as the plug-in hands it out; empty when it hands out none.
inline std::vector<uint8_t> GetChunk(AEffect* e, bool program) {
  void* data = nullptr;
  const VstIntPtr size = Call(e, effGetChunk, program ? 1 : 0, 0, &data);
  if (size <= 0 || !data) return {};
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(bytes, bytes + size);
}

// What holds whatever the host did: every parameter lies inside its range,
// as the host reads it and as the plug-in holds it; the program chunk is the
// header and one double per parameter; each chunk the plug-in hands out is
// taken back and then handed out again byte for byte.
inline void CheckState(AEffect* e) {
  const IEffectVST* plug = static_cast<const IEffectVST*>(e->object);
  for (int i = 0; i < e->numParams; ++i) {
    const float normalized = e->getParameter(e, i);
    const IParameter* param = plug->GetParam(i);
    if (!(normalized >= 0.0f && normalized <= 1.0f)) std::abort();
    if (!(param->Value() >= param->Min() && param->Value() <= param->Max())) std::abort();
  }
  for (bool program : {true, false}) {
    const std::vector<uint8_t> chunk = GetChunk(e, program);
    if (chunk.empty()) std::abort();
    if (program && chunk.size() != 8 + 8 * static_cast<size_t>(e->numParams)) std::abort();
    std::vector<uint8_t> copy = chunk;
    if (Call(e, effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(copy.size()), copy.data()) != 1) std::abort();
    if (GetChunk(e, program) != chunk) std::abort();
  }
}

// Two channels of a sawtooth-like test signal in [-amplitude, amplitude].
struct Signal {
  std::vector<double> channel[2];
  Signal(size_t frames, double amplitude) {
    for (int c = 0; c < 2; ++c) {
      channel[c].resize(frames);
      for (size_t i = 0; i < frames; ++i) {
        channel[c][i] = amplitude * (static_cast<int>((i * 7 + c * 3) % 17) - 8) / 8.0;
      }
    }
  }
};

// Runs n frames of the signal (at least max(n, 1) frames long) through one of
// the processing entries (0 replacing, 1 accumulating, 2 double), with two
// channels each way and the buffers allocated to their exact length.
inline void Process(AEffect* e, int kind, int n, const Signal& signal) {
  const size_t frames = n > 0 ? static_cast<size_t>(n) : 1;
  std::unique_ptr<double[]> din[2], dout[2];
  std::unique_ptr<float[]> fin[2], fout[2];
  double* dins[2];
  double* douts[2];
  float* fins[2];
  float* fouts[2];
  for (int c = 0; c < 2; ++c) {
    din[c].reset(new double[frames]);
    dout[c].reset(new double[frames]());
    fin[c].reset(new float[frames]);
    fout[c].reset(new float[frames]());
    for (size_t i = 0; i < frames; ++i) fin[c][i] = static_cast<float>(din[c][i] = signal.channel[c][i]);
    dins[c] = din[c].get();
    douts[c] = dout[c].get();
    fins[c] = fin[c].get();
    fouts[c] = fout[c].get();
  }
  if (kind == 2) {
    e->processDoubleReplacing(e, dins, douts, n);
  } else {
    (kind == 0 ? e->processReplacing : e->process)(e, fins, fouts, n);
  }
}

}  // namespace fuzz
