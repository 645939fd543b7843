#pragma once
// A host for adapter tests: it answers the callback from prepared values and
// records every call. The callback finds its host through AEffect::user, as
// real hosts do, so several instances can run side by side.

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "framework/vst2/VstDefs.h"

struct RecordedCall {
  VstInt32 opcode;
  VstInt32 index;
  VstIntPtr value;
  float opt;
};

// One event the plug-in sent with audioMasterProcessEvents, copied while the
// record was still alive.
struct RecordedEvent {
  VstInt32 type = 0;
  VstInt32 byteSize = 0;
  VstInt32 deltaFrames = 0;
  VstInt32 numEvents = 0;
  unsigned char midiData[4] = {0, 0, 0, 0};
  VstInt32 dumpBytes = 0;
  const char* sysexDump = nullptr;
};

struct RecordingHost {
  std::vector<RecordedCall> calls;
  std::vector<RecordedEvent> events;
  std::string product = "";        // audioMasterGetProductString
  VstIntPtr vendorVersion = 0;     // audioMasterGetVendorVersion
  VstIntPtr processLevel = 0;      // audioMasterGetCurrentProcessLevel
  VstIntPtr processEventsAnswer = 1;
  VstIntPtr sizeWindowAnswer = 1;  // audioMasterSizeWindow: 1 the host resized, 0 it cannot
  bool hasTime = false;            // audioMasterGetTime answers &time
  VstTimeInfo time{};
  // Called with each request after it is recorded, as a host reacting to it would.
  std::function<void(VstInt32 opcode, VstInt32 index, float opt)> onCall;

  void Clear() {
    calls.clear();
    events.clear();
  }
  int Count(VstInt32 opcode) const {
    int n = 0;
    for (const RecordedCall& c : calls) n += c.opcode == opcode;
    return n;
  }
  std::vector<VstInt32> Opcodes() const {
    std::vector<VstInt32> ops;
    for (const RecordedCall& c : calls) ops.push_back(c.opcode);
    return ops;
  }

  VstIntPtr Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    calls.push_back({opcode, index, value, opt});
    if (onCall) onCall(opcode, index, opt);
    switch (opcode) {
      case audioMasterGetProductString:
        // Hosts fill at most kVstMaxProductStrLen bytes.
        std::strncpy(static_cast<char*>(ptr), product.c_str(), kVstMaxProductStrLen - 1);
        static_cast<char*>(ptr)[kVstMaxProductStrLen - 1] = '\0';
        return 1;
      case audioMasterGetVendorVersion:
        return vendorVersion;
      case audioMasterSizeWindow:
        return sizeWindowAnswer;
      case audioMasterGetCurrentProcessLevel:
        return processLevel;
      case audioMasterGetTime:
        return hasTime ? reinterpret_cast<VstIntPtr>(&time) : 0;
      case audioMasterProcessEvents: {
        const VstEvents* list = static_cast<const VstEvents*>(ptr);
        for (int i = 0; i < list->numEvents; ++i) {
          const VstEvent* e = list->events[i];
          RecordedEvent r;
          r.numEvents = list->numEvents;
          r.type = e->type;
          r.byteSize = e->byteSize;
          r.deltaFrames = e->deltaFrames;
          if (e->type == kVstMidiType) {
            std::memcpy(r.midiData, reinterpret_cast<const VstMidiEvent*>(e)->midiData, 4);
          } else if (e->type == kVstSysExType) {
            r.dumpBytes = reinterpret_cast<const VstMidiSysexEvent*>(e)->dumpBytes;
            r.sysexDump = reinterpret_cast<const VstMidiSysexEvent*>(e)->sysexDump;
          }
          events.push_back(r);
        }
        return processEventsAnswer;
      }
      default:
        return 0;
    }
  }

  static VstIntPtr VSTCALLBACK Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                        void* ptr, float opt) {
    RecordingHost* host = effect ? static_cast<RecordingHost*>(effect->user) : nullptr;
    return host ? host->Answer(opcode, index, value, ptr, opt) : 0;
  }
};

// Dispatcher shorthand.
inline VstIntPtr Dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0.0f) {
  return e->dispatcher(e, opcode, index, value, ptr, opt);
}

// A speaker arrangement of the given type and channel count, every other field zero.
inline VstSpeakerArrangement MakeArrangement(VstInt32 type, VstInt32 channels) {
  VstSpeakerArrangement arrangement;
  std::memset(&arrangement, 0, sizeof(arrangement));
  arrangement.type = type;
  arrangement.numChannels = channels;
  return arrangement;
}
