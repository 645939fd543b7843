// Fuzz entry for the dispatcher: the input is a series of dispatcher calls,
// each an opcode, index, value and opt decoded from the input, with ptr (and
// value, where the opcode reads one as a pointer) pointing at a buffer of
// the size the opcode uses, allocated to exactly that size. Texts written
// into host buffers must end within them. Afterwards the plug-in still holds
// a state a host can save and restore, and processes long blocks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz/vst2/FuzzHost.h"

namespace {

// The sizes of host text buffers: parameter and program texts get the 64
// bytes hosts provide in practice, names the interface's own limits.
constexpr size_t kParamTextBytes = 64;

size_t TextBufferSize(VstInt32 opcode) {
  switch (opcode) {
    case effGetProgramName:
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
    case effGetProgramNameIndexed:
    case effVendorSpecific:
      return kParamTextBytes;
    case effGetEffectName: return kVstMaxEffectNameLen;
    case effGetVendorString: return kVstMaxVendorStrLen;
    case effGetProductString: return kVstMaxProductStrLen;
    default: return 0;
  }
}

// A speaker arrangement of some channels, or none.
std::unique_ptr<VstSpeakerArrangement> Arrangement(fuzz::Reader& in) {
  const uint8_t b = in.U8();
  if (b == 0xFF) return nullptr;
  std::unique_ptr<VstSpeakerArrangement> a(new VstSpeakerArrangement());
  a->numChannels = b < 0xF0 ? b % 5 : static_cast<VstInt32>(in.U32());
  a->type = kSpeakerArrStereo;
  return a;
}

// A list of up to 15 events: MIDI, SysEx with an owned dump, other types, null entries.
VstIntPtr ProcessEvents(AEffect* e, fuzz::Reader& in) {
  const int count = in.U8() % 16;
  std::unique_ptr<VstEvents, void (*)(void*)> list(
      static_cast<VstEvents*>(std::calloc(1, sizeof(VstEvents) + count * sizeof(VstEvent*))), std::free);
  std::vector<std::unique_ptr<VstMidiSysexEvent>> events;  // large enough for every kind
  std::vector<std::unique_ptr<uint8_t[]>> dumps;
  list->numEvents = count;
  VstEvent** slots = list->events;  // count of them, past the two the record declares
  for (int i = 0; i < count; ++i) {
    const uint8_t kind = in.U8() % 4;
    if (kind == 3) continue;  // a null entry
    events.emplace_back(new VstMidiSysexEvent());
    VstMidiSysexEvent* ev = events.back().get();
    ev->deltaFrames = in.Index();
    if (kind == 0) {
      VstMidiEvent* midi = reinterpret_cast<VstMidiEvent*>(ev);
      midi->type = kVstMidiType;
      midi->byteSize = sizeof(VstMidiEvent);
      for (int b = 0; b < 3; ++b) midi->midiData[b] = static_cast<char>(in.U8());
    } else if (kind == 1) {
      ev->type = kVstSysExType;
      ev->byteSize = sizeof(VstMidiSysexEvent);
      size_t n = 0;
      dumps.push_back(in.Bytes(in.U8(), &n));
      const bool lie = in.U8() == 0xFF;  // a negative count, without bytes
      ev->dumpBytes = lie ? -static_cast<VstInt32>(n) - 1 : static_cast<VstInt32>(n);
      ev->sysexDump = lie ? nullptr : reinterpret_cast<char*>(dumps.back().get());
    } else {
      ev->type = in.Index();
    }
    slots[i] = reinterpret_cast<VstEvent*>(ev);
  }
  return fuzz::Call(e, effProcessEvents, 0, 0, list.get());
}

// Chunks last handed out, which a host may hand back (or part of them) until
// the next chunk call of the same kind.
struct HandedOut {
  void* data = nullptr;
  VstIntPtr size = 0;
};

void SetChunk(AEffect* e, fuzz::Reader& in, VstInt32 index, HandedOut* handed) {
  HandedOut& own = handed[index != 0];
  const uint8_t mode = in.U8();
  if (mode < 0x20 && own.data) {
    // Back from the plug-in's own bytes, from an offset, sometimes claiming more.
    const VstIntPtr offset = own.size ? in.U16() % own.size : 0;
    const VstIntPtr n = own.size - offset + (mode & 1 ? in.U8() : 0);
    fuzz::Call(e, effSetChunk, index, n, static_cast<uint8_t*>(own.data) + offset);
  } else if (mode < 0x28) {
    // Sizes the plug-in must refuse before reading anything.
    const uint8_t one = 0;
    const VstIntPtr refused[] = {-1, INT32_MIN, static_cast<VstIntPtr>(INT32_MAX) + (sizeof(VstIntPtr) > 4)};
    fuzz::Call(e, effSetChunk, index, refused[mode % 3], const_cast<uint8_t*>(&one));
  } else {
    size_t n = 0;
    std::unique_ptr<uint8_t[]> bytes = in.Bytes(in.U16() % 1024, &n);
    fuzz::Call(e, effSetChunk, index, static_cast<VstIntPtr>(n), bytes.get());
  }
  own = HandedOut();
}

void OneCall(AEffect* e, fuzz::Reader& in, HandedOut* handed) {
  const uint8_t op = in.U8();
  const VstInt32 opcode = op < 100 ? op : static_cast<VstInt32>(in.U32());
  const VstInt32 index = in.Index();
  VstIntPtr value = in.Value();
  const uint8_t optChoice = in.U8();
  const float opt = optChoice == 0xFF ? in.F32() : optChoice / 127.0f;
  // Closing ends the series; opening the editor needs a window system.
  if (opcode == effClose || opcode == effEditOpen) return;

  if (const size_t size = TextBufferSize(opcode)) {
    std::unique_ptr<char[]> text(new char[size]);
    std::memset(text.get(), 'x', size);
    fuzz::Call(e, opcode, index, value, text.get(), opt);
    bool untouched = true;
    for (size_t i = 0; i < size; ++i) untouched = untouched && text[i] == 'x';
    if (!untouched && !std::memchr(text.get(), '\0', size)) std::abort();
    return;
  }
  switch (opcode) {
    case effSetProgramName:
    case effString2Parameter:
    case effCanDo: {
      std::unique_ptr<char[]> text = in.Text();
      fuzz::Call(e, opcode, index, value, text.get(), opt);
      return;
    }
    case effEditGetRect: {
      ERect* rect = nullptr;
      if (fuzz::Call(e, opcode, index, value, &rect, opt) == 1 && (!rect || rect->right < rect->left)) std::abort();
      return;
    }
    case effGetChunk: {
      HandedOut& own = handed[index != 0];
      own = HandedOut();
      void* data = nullptr;
      const VstIntPtr size = fuzz::Call(e, opcode, index, value, &data, opt);
      if (size > 0) {
        // Both kinds start with the header; the whole chunk must be readable.
        const std::vector<uint8_t> copy(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        if (copy.size() < 8 || std::memcmp(copy.data(), "tffp", 4) != 0) std::abort();
        own.data = data;
        own.size = size;
      }
      return;
    }
    case effSetChunk:
      SetChunk(e, in, index, handed);
      return;
    case effProcessEvents:
      ProcessEvents(e, in);
      return;
    case effGetInputProperties:
    case effGetOutputProperties: {
      std::unique_ptr<VstPinProperties> pin(new VstPinProperties());
      if (fuzz::Call(e, opcode, index, value, pin.get(), opt) == 1 &&
          !std::memchr(pin->label, '\0', sizeof pin->label)) {
        std::abort();
      }
      return;
    }
    case effSetSpeakerArrangement: {
      std::unique_ptr<VstSpeakerArrangement> input = Arrangement(in);
      std::unique_ptr<VstSpeakerArrangement> output = Arrangement(in);
      fuzz::Call(e, opcode, index, reinterpret_cast<VstIntPtr>(input.get()), output.get(), opt);
      return;
    }
    case effGetSpeakerArrangement: {
      VstSpeakerArrangement* input = nullptr;
      VstSpeakerArrangement* output = nullptr;
      fuzz::Call(e, opcode, index, reinterpret_cast<VstIntPtr>(&input), &output, opt);
      if (!input || !output || input->numChannels < 0 || output->numChannels < 0) std::abort();
      return;
    }
    case effGetMidiKeyName: {
      std::unique_ptr<MidiKeyName> key(new MidiKeyName());
      key->thisKeyNumber = index;
      fuzz::Call(e, opcode, index, value, key.get(), opt);
      if (!std::memchr(key->keyName, '\0', sizeof key->keyName)) std::abort();
      return;
    }
    case effSetBlockSize:
      // Keep most block sizes small enough to leave time for other calls.
      if (value > 65536 && value <= (1 << 20) && (in.U8() & 7)) value %= 65536;
      break;
    default:
      break;
  }
  // The remaining opcodes read no pointer; some hosts pass a buffer anyway.
  std::unique_ptr<uint8_t[]> spare(new uint8_t[256]());
  fuzz::Call(e, opcode, index, value, in.U8() & 1 ? spare.get() : nullptr, opt);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Reader in(data, size);
  AEffect* e = fuzz::MakePlugin(in.U8());
  HandedOut handed[2];
  for (int calls = 0; calls < 64 && !in.Empty(); ++calls) OneCall(e, in, handed);
  const fuzz::Signal signal(1500, 0.5);
  for (int kind = 0; kind < 3; ++kind) fuzz::Process(e, kind, 1500, signal);
  fuzz::CheckState(e);
  fuzz::Call(e, effClose);
  return 0;
}
