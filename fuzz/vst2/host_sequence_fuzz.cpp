// Fuzz entry for a host's whole session: the input is a series of host
// calls, as a host makes them over an instance's life: opening, sample rates
// and block sizes, resume and suspend, chunks out and in, parameter changes
// by value and by text, speaker arrangements, programs, and blocks through
// each processing entry with signals that may hold values that are not
// finite. The instance is closed at the end. Afterwards its state must be one
// a host can save and restore.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <vector>

#include "fuzz/vst2/FuzzHost.h"

namespace {

float Rate(fuzz::Reader& in) {
  static const float kRates[] = {44100.0f, 48000.0f, 96000.0f, 192000.0f, 22050.0f, 8000.0f, 0.0f, -48000.0f};
  const uint8_t choice = in.U8();
  return choice < 8 ? kRates[choice] : in.F32();
}

// A block through one entry: the signal's amplitude, its length, and up to
// three samples replaced by values a faulty host or upstream plug-in sends.
void Block(AEffect* e, fuzz::Reader& in, int kind) {
  static const double kOdd[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(), 1e30, 30.0, 4e-320};
  const float amplitude = in.U8() / 64.0f;
  const uint16_t lengthChoice = in.U16();
  const int n = lengthChoice < 0xFF00 ? lengthChoice % 6000 : -static_cast<int>(lengthChoice & 0xFF);
  const size_t frames = n > 0 ? static_cast<size_t>(n) : 1;
  const int odd = in.U8() % 4;
  fuzz::Signal signal(frames, amplitude);
  for (int k = 0; k < odd; ++k) signal.channel[in.U8() & 1][in.U16() % frames] = kOdd[in.U8() % 6];
  fuzz::Process(e, kind, n, signal);
}

void Arrangements(AEffect* e, fuzz::Reader& in) {
  VstSpeakerArrangement input{}, output{};
  const uint8_t b = in.U8();
  input.numChannels = b % 4;
  output.numChannels = (b >> 2) % 4;
  fuzz::Call(e, effSetSpeakerArrangement, 0, b & 0x40 ? 0 : reinterpret_cast<VstIntPtr>(&input),
             b & 0x80 ? nullptr : &output);
}

void SetChunk(AEffect* e, fuzz::Reader& in) {
  const uint8_t choice = in.U8();
  const bool program = choice & 1;
  if (choice & 2) {
    // The plug-in's own chunk with a few bytes changed, as a damaged project would hold it.
    std::vector<uint8_t> chunk = fuzz::GetChunk(e, program);
    const int edits = in.U8() % 4;
    for (int k = 0; k < edits && !chunk.empty(); ++k) chunk[in.U8() % chunk.size()] = in.U8();
    if (choice & 4 && !chunk.empty()) chunk.resize(in.U8() % chunk.size());
    std::unique_ptr<uint8_t[]> exact(new uint8_t[chunk.size() + 1]);
    std::copy(chunk.begin(), chunk.end(), exact.get());
    fuzz::Call(e, effSetChunk, program, static_cast<VstIntPtr>(chunk.size()), exact.get());
  } else {
    size_t n = 0;
    std::unique_ptr<uint8_t[]> bytes = in.Bytes(in.U8(), &n);
    fuzz::Call(e, effSetChunk, program, static_cast<VstIntPtr>(n), bytes.get());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Reader in(data, size);
  AEffect* e = fuzz::MakePlugin(in.U8());
  for (int calls = 0; calls < 48 && !in.Empty(); ++calls) {
    switch (in.U8() % 14) {
      case 0: fuzz::Call(e, effOpen); break;
      case 1: fuzz::Call(e, effSetSampleRate, 0, 0, nullptr, Rate(in)); break;
      case 2: fuzz::Call(e, effSetBlockSize, 0, in.U16() % 8192); break;
      case 3: fuzz::Call(e, effMainsChanged, 0, in.U8() & 1); break;
      case 4: SetChunk(e, in); break;
      case 5: fuzz::GetChunk(e, in.U8() & 1); break;
      case 6: {
        const VstInt32 index = in.Index();
        const uint8_t choice = in.U8();
        e->setParameter(e, index, choice == 0xFF ? in.F32() : choice / 254.0f);
        break;
      }
      case 7: e->getParameter(e, in.Index()); break;
      case 8: {
        const VstInt32 index = in.Index();
        std::unique_ptr<char[]> text = in.Text();
        fuzz::Call(e, effString2Parameter, index, 0, text.get());
        break;
      }
      case 9:
      case 10:
      case 11: Block(e, in, in.U8() % 3); break;
      case 12: Arrangements(e, in); break;
      case 13: fuzz::Call(e, effSetProgram, 0, in.Value()); break;
    }
  }
  fuzz::CheckState(e);
  fuzz::Call(e, effClose);
  return 0;
}
