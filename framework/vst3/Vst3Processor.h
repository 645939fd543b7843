#pragma once
// The processor side of the VST 3 interface: the component with its buses,
// audio processing, the host's parameter changes and transport, and the
// optional processor interfaces. Conventions as in Vst3Base.h.
//
// Host call order:
// 1. create, initialize, (connect);
// 2. setupProcessing, setBusArrangements and activateBus, only while inactive;
// 3. setActive(true), then getLatencySamples;
// 4. setProcessing(true), process ..., setProcessing(false) (possibly with no
//    process between them); setActive is never called while processing;
// 5. setActive(false), terminate; initialize may follow again on the same object.
// getState and setState may come at any time while initialized, even while
// another thread processes. Repeated calls (setActive(false) while inactive)
// must be answered too.

#include "framework/vst3/Vst3Base.h"

namespace vst3 {

// ---- buses -------------------------------------------------------------------------

enum MediaTypes : MediaType {
  kAudio = 0,  // audio buses
  kEvent = 1,  // event buses
};

enum BusDirections : BusDirection {
  kInput = 0,
  kOutput = 1,
};

enum BusTypes : BusType {
  kMain = 0,  // main buses come before aux buses
  kAux = 1,   // e.g. a side chain
};

enum IoModes : IoMode {
  kSimple = 0,
  kAdvanced = 1,
  kOfflineProcessing = 2,
};

// Description of one bus.
struct BusInfo {
  // Bits of flags.
  enum BusFlags : uint32 {
    kDefaultActive = 1 << 0,     // active unless the host deactivates it
    kIsControlVoltage = 1 << 1,  // carries control voltage rather than audio
  };

  MediaType mediaType;  // MediaTypes
  BusDirection direction;  // BusDirections
  int32 channelCount;  // the bits set in the bus's arrangement
  String128 name;  // non-empty
  BusType busType;  // BusTypes
  uint32 flags;  // BusFlags
};

// The source of an event routing question (getRoutingInfo).
struct RoutingInfo {
  MediaType mediaType;  // MediaTypes
  int32 busIndex;
  int32 channel;  // -1: all channels
};

// Speaker bits; an arrangement's channel count is its number of bits set.
constexpr Speaker kSpeakerL = 1 << 0;        // left
constexpr Speaker kSpeakerR = 1 << 1;        // right
constexpr Speaker kSpeakerC = 1 << 2;        // centre
constexpr Speaker kSpeakerM = 1 << 19;       // mono

namespace SpeakerArr {
constexpr SpeakerArrangement kEmpty = 0;
constexpr SpeakerArrangement kMono = kSpeakerM;
constexpr SpeakerArrangement kStereo = kSpeakerL | kSpeakerR;
}  // namespace SpeakerArr

// The component: buses, state and the way to its controller. IAudioProcessor
// is queried on the same object.
class IComponent : public IPluginBase {
 public:
  // 5 [ui] classId: 16 bytes (out) receiving the controller's class id;
  // kNotImplemented when the component is its own controller.
  virtual tresult PLUGIN_API getControllerClassId(TUID classId) = 0;
  // 6 [ui] IoModes; kResultOk or kNotImplemented.
  virtual tresult PLUGIN_API setIoMode(IoMode mode) = 0;
  // 7 [ui] the number of buses of a media type and direction.
  virtual int32 PLUGIN_API getBusCount(MediaType type, BusDirection dir) = 0;
  // 8 [ui] fills bus index's description; a bad index answers kInvalidArgument and leaves bus untouched.
  virtual tresult PLUGIN_API getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo* bus) = 0;
  // 9 [ui] event routing; kNotImplemented for an effect without event buses.
  virtual tresult PLUGIN_API getRoutingInfo(RoutingInfo* inInfo, RoutingInfo* outInfo) = 0;
  // 10 [ui] activates (1) or deactivates (0) a bus; only while inactive. Buses start inactive.
  virtual tresult PLUGIN_API activateBus(MediaType type, BusDirection dir, int32 index, TBool state) = 0;
  // 11 [ui] 1 before processing may start, 0 after it stopped.
  virtual tresult PLUGIN_API setActive(TBool state) = 0;
  // 12 [ui] state: borrowed, holds what a getState wrote, possibly another version's.
  virtual tresult PLUGIN_API setState(IBStream* state) = 0;
  // 13 [ui] writes the state sequentially; kResultFalse on a failed or short write.
  virtual tresult PLUGIN_API getState(IBStream* state) = 0;

  static constexpr Uid iid = MakeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);
};

// ---- processing setup -------------------------------------------------------------------

enum ProcessModes : int32 {
  kRealtime = 0,  // may change to and from kPrefetch between process calls
  kPrefetch = 1,
  kOffline = 2,   // changes only through setupProcessing
};

enum SymbolicSampleSizes : int32 {
  kSample32 = 0,  // float channels (channelBuffers32)
  kSample64 = 1,  // double channels (channelBuffers64)
};

// Answers of getTailSamples besides a length in samples.
constexpr uint32 kNoTail = 0;
constexpr uint32 kInfiniteTail = 0xFFFFFFFF;

// Processing parameters, given while inactive.
struct ProcessSetup {
  int32 processMode;  // ProcessModes
  int32 symbolicSampleSize;  // SymbolicSampleSizes
  int32 maxSamplesPerBlock;  // the largest numSamples of process
  SampleRate sampleRate;  // any positive rate, not only the common ones
};

// ---- process data ------------------------------------------------------------------------

// The channels of one bus for one process call.
struct AudioBusBuffers {
  int32 numChannels;  // 0 in flush calls, whatever the pointers
  uint64 silenceFlags;  // bit i: channel i is all zeros (outputs: set only where zeros were written)
  union {
    Sample32** channelBuffers32;  // symbolicSampleSize kSample32
    Sample64** channelBuffers64;  // symbolicSampleSize kSample64
  };
};

// The host's transport for one process call.
struct ProcessContext {
  // Bits of state: the transport, and which fields are valid (sampleRate and
  // projectTimeSamples always are).
  enum StatesAndFlags : uint32 {
    kPlaying = 1 << 1,
    kCycleActive = 1 << 2,
    kRecording = 1 << 3,
    kSystemTimeValid = 1 << 8,         // systemTime
    kProjectTimeMusicValid = 1 << 9,   // projectTimeMusic
    kTempoValid = 1 << 10,             // tempo
    kBarPositionValid = 1 << 11,       // barPositionMusic
    kCycleValid = 1 << 12,             // cycleStartMusic and cycleEndMusic
    kTimeSigValid = 1 << 13,           // timeSigNumerator and timeSigDenominator
    kSmpteValid = 1 << 14,             // smpteOffsetSubframes and frameRate
    kClockValid = 1 << 15,             // samplesToNextClock
    kContTimeValid = 1 << 17,          // continousTimeSamples
    kChordValid = 1 << 18,             // chord
  };

  // The current chord.
  struct Chord {
    uint8 keyNote;
    uint8 rootNote;
    int16 mask;
  };

  // The video frame rate.
  struct FrameRate {
    uint32 framesPerSecond;
    uint32 flags;
  };

  uint32 state;  // StatesAndFlags
  SampleRate sampleRate;
  TSamples projectTimeSamples;  // the block's first sample in the project
  int64 systemTime;  // nanoseconds
  TSamples continousTimeSamples;  // a count that runs on while the transport stops
  TQuarterNotes projectTimeMusic;  // the block's start in quarter notes
  TQuarterNotes barPositionMusic;  // the last bar's start in quarter notes
  TQuarterNotes cycleStartMusic;
  TQuarterNotes cycleEndMusic;
  double tempo;  // beats per minute
  int32 timeSigNumerator;
  int32 timeSigDenominator;
  Chord chord;
  int32 smpteOffsetSubframes;
  FrameRate frameRate;
  int32 samplesToNextClock;
};

// A host's queue of one parameter's points within a block.
class IParamValueQueue : public FUnknown {
 public:
  // 3 [audio] the parameter; unknown ids (kNoParamId too) are ignored.
  virtual ParamID PLUGIN_API getParameterId() = 0;
  // 4 [audio] the number of points, sorted by offset; values are linear between them.
  virtual int32 PLUGIN_API getPointCount() = 0;
  // 5 [audio] point index: its offset within the block and its normalized value.
  virtual tresult PLUGIN_API getPoint(int32 index, int32* sampleOffset, ParamValue* value) = 0;
  // 6 [audio] appends a point; index receives its position.
  virtual tresult PLUGIN_API addPoint(int32 sampleOffset, ParamValue value, int32* index) = 0;

  static constexpr Uid iid = MakeUid(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);
};

// A host's parameter changes for one block: one queue per parameter.
class IParameterChanges : public FUnknown {
 public:
  // 3 [audio] the number of queues.
  virtual int32 PLUGIN_API getParameterCount() = 0;
  // 4 [audio] queue index; borrowed, may be null.
  virtual IParamValueQueue* PLUGIN_API getParameterData(int32 index) = 0;
  // 5 [audio] the queue of parameter *id, added if missing; index receives its
  // position. Borrowed, may be null.
  virtual IParamValueQueue* PLUGIN_API addParameterData(const ParamID* id, int32* index) = 0;

  static constexpr Uid iid = MakeUid(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);
};

// Event lists; this effect has no event buses and never reads one, so the
// interface is only named.
class IEventList;

// Everything one process call works on.
struct ProcessData {
  int32 processMode;  // ProcessModes
  int32 symbolicSampleSize;  // SymbolicSampleSizes: selects the channel pointers' type
  int32 numSamples;  // 0: a parameter flush, no audio
  int32 numInputs;  // entries of inputs, one per audio input bus, active or not
  int32 numOutputs;  // entries of outputs, one per audio output bus
  AudioBusBuffers* inputs;  // may be the same memory as outputs; trust the counts, not the pointers
  AudioBusBuffers* outputs;
  IParameterChanges* inputParameterChanges;  // may be null
  IParameterChanges* outputParameterChanges;  // may be null; for read-only parameters (meters)
  IEventList* inputEvents;  // may be null
  IEventList* outputEvents;  // may be null
  ProcessContext* processContext;  // may be null
};

class IAudioProcessor : public FUnknown {
 public:
  // 3 [ui] while inactive: kResultTrue only when exactly these arrangements are
  // adopted; otherwise the current ones stay and the answer is kResultFalse.
  virtual tresult PLUGIN_API setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                SpeakerArrangement* outputs, int32 numOuts) = 0;
  // 4 [ui] bus index's arrangement; its bit count equals BusInfo::channelCount.
  virtual tresult PLUGIN_API getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement* arr) = 0;
  // 5 [ui] SymbolicSampleSizes: kResultTrue when supported, else kResultFalse.
  virtual tresult PLUGIN_API canProcessSampleSize(int32 symbolicSampleSize) = 0;
  // 6 [ui] the latency in samples; asked after each setActive(true).
  virtual uint32 PLUGIN_API getLatencySamples() = 0;
  // 7 [ui] while inactive: the parameters of the coming processing.
  virtual tresult PLUGIN_API setupProcessing(ProcessSetup* setup) = 0;
  // 8 [ui or audio] 1 before process calls begin, 0 after they end; kept light.
  virtual tresult PLUGIN_API setProcessing(TBool state) = 0;
  // 9 [audio] processes one block or flushes parameters; answers kResultOk.
  virtual tresult PLUGIN_API process(ProcessData* data) = 0;
  // 10 [ui] samples of output after the input ends: kNoTail, kInfiniteTail or a count.
  virtual uint32 PLUGIN_API getTailSamples() = 0;

  static constexpr Uid iid = MakeUid(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);
};

// On the component: the transport fields the processor reads. Without it a
// host may pass no ProcessContext, and classes declaring 3.7 or later fail
// validation.
class IProcessContextRequirements : public FUnknown {
 public:
  // Bits of the answer.
  enum Flags : uint32 {
    kNeedSystemTime = 1 << 0,
    kNeedContinousTimeSamples = 1 << 1,
    kNeedProjectTimeMusic = 1 << 2,
    kNeedBarPositionMusic = 1 << 3,
    kNeedCycleMusic = 1 << 4,
    kNeedSamplesToNextClock = 1 << 5,
    kNeedTempo = 1 << 6,
    kNeedTimeSignature = 1 << 7,
    kNeedChord = 1 << 8,
    kNeedFrameRate = 1 << 9,
    kNeedTransportState = 1 << 10,
  };

  // 3 [ui] asked once, between initialize and setActive; 0 is a valid answer.
  virtual uint32 PLUGIN_API getProcessContextRequirements() = 0;

  static constexpr Uid iid = MakeUid(0x2A654303, 0xEF764E3D, 0x95B5FE83, 0x730EF6D0);
};

// Optional on the component: the latency from the bus to the speakers or from the microphones.
class IAudioPresentationLatency : public FUnknown {
 public:
  // 3 [ui] while active: the host's latency of bus busIndex in direction dir.
  virtual tresult PLUGIN_API setAudioPresentationLatencySamples(BusDirection dir, int32 busIndex,
                                                                uint32 latencyInSamples) = 0;

  static constexpr Uid iid = MakeUid(0x309ECE78, 0xEB7D4FAE, 0x8B2225D9, 0x09FD08B6);
};

// ---- binary layout checks ------------------------------------------------------------------

MORVANE_VST3_LAYOUT(BusInfo, 276, 4, 276, 4);
MORVANE_VST3_OFFSET(BusInfo, mediaType, 0, 0);
MORVANE_VST3_OFFSET(BusInfo, direction, 4, 4);
MORVANE_VST3_OFFSET(BusInfo, channelCount, 8, 8);
MORVANE_VST3_OFFSET(BusInfo, name, 12, 12);
MORVANE_VST3_OFFSET(BusInfo, busType, 268, 268);
MORVANE_VST3_OFFSET(BusInfo, flags, 272, 272);

MORVANE_VST3_LAYOUT(RoutingInfo, 12, 4, 12, 4);
MORVANE_VST3_OFFSET(RoutingInfo, mediaType, 0, 0);
MORVANE_VST3_OFFSET(RoutingInfo, busIndex, 4, 4);
MORVANE_VST3_OFFSET(RoutingInfo, channel, 8, 8);

MORVANE_VST3_LAYOUT(ProcessSetup, 24, 8, 24, 8);
MORVANE_VST3_OFFSET(ProcessSetup, processMode, 0, 0);
MORVANE_VST3_OFFSET(ProcessSetup, symbolicSampleSize, 4, 4);
MORVANE_VST3_OFFSET(ProcessSetup, maxSamplesPerBlock, 8, 8);
MORVANE_VST3_OFFSET(ProcessSetup, sampleRate, 16, 16);

MORVANE_VST3_LAYOUT(AudioBusBuffers, 24, 8, 24, 8);
MORVANE_VST3_OFFSET(AudioBusBuffers, numChannels, 0, 0);
MORVANE_VST3_OFFSET(AudioBusBuffers, silenceFlags, 8, 8);
MORVANE_VST3_OFFSET(AudioBusBuffers, channelBuffers32, 16, 16);
MORVANE_VST3_OFFSET(AudioBusBuffers, channelBuffers64, 16, 16);

MORVANE_VST3_LAYOUT(ProcessContext::Chord, 4, 2, 4, 2);
MORVANE_VST3_OFFSET(ProcessContext::Chord, keyNote, 0, 0);
MORVANE_VST3_OFFSET(ProcessContext::Chord, rootNote, 1, 1);
MORVANE_VST3_OFFSET(ProcessContext::Chord, mask, 2, 2);

MORVANE_VST3_LAYOUT(ProcessContext::FrameRate, 8, 4, 8, 4);
MORVANE_VST3_OFFSET(ProcessContext::FrameRate, framesPerSecond, 0, 0);
MORVANE_VST3_OFFSET(ProcessContext::FrameRate, flags, 4, 4);

MORVANE_VST3_LAYOUT(ProcessContext, 112, 8, 112, 8);
MORVANE_VST3_OFFSET(ProcessContext, state, 0, 0);
MORVANE_VST3_OFFSET(ProcessContext, sampleRate, 8, 8);
MORVANE_VST3_OFFSET(ProcessContext, projectTimeSamples, 16, 16);
MORVANE_VST3_OFFSET(ProcessContext, systemTime, 24, 24);
MORVANE_VST3_OFFSET(ProcessContext, continousTimeSamples, 32, 32);
MORVANE_VST3_OFFSET(ProcessContext, projectTimeMusic, 40, 40);
MORVANE_VST3_OFFSET(ProcessContext, barPositionMusic, 48, 48);
MORVANE_VST3_OFFSET(ProcessContext, cycleStartMusic, 56, 56);
MORVANE_VST3_OFFSET(ProcessContext, cycleEndMusic, 64, 64);
MORVANE_VST3_OFFSET(ProcessContext, tempo, 72, 72);
MORVANE_VST3_OFFSET(ProcessContext, timeSigNumerator, 80, 80);
MORVANE_VST3_OFFSET(ProcessContext, timeSigDenominator, 84, 84);
MORVANE_VST3_OFFSET(ProcessContext, chord, 88, 88);
MORVANE_VST3_OFFSET(ProcessContext, smpteOffsetSubframes, 92, 92);
MORVANE_VST3_OFFSET(ProcessContext, frameRate, 96, 96);
MORVANE_VST3_OFFSET(ProcessContext, samplesToNextClock, 104, 104);

MORVANE_VST3_LAYOUT(ProcessData, 80, 8, 48, 4);
MORVANE_VST3_OFFSET(ProcessData, processMode, 0, 0);
MORVANE_VST3_OFFSET(ProcessData, symbolicSampleSize, 4, 4);
MORVANE_VST3_OFFSET(ProcessData, numSamples, 8, 8);
MORVANE_VST3_OFFSET(ProcessData, numInputs, 12, 12);
MORVANE_VST3_OFFSET(ProcessData, numOutputs, 16, 16);
MORVANE_VST3_OFFSET(ProcessData, inputs, 24, 20);
MORVANE_VST3_OFFSET(ProcessData, outputs, 32, 24);
MORVANE_VST3_OFFSET(ProcessData, inputParameterChanges, 40, 28);
MORVANE_VST3_OFFSET(ProcessData, outputParameterChanges, 48, 32);
MORVANE_VST3_OFFSET(ProcessData, inputEvents, 56, 36);
MORVANE_VST3_OFFSET(ProcessData, outputEvents, 64, 40);
MORVANE_VST3_OFFSET(ProcessData, processContext, 72, 44);

}  // namespace vst3
