#pragma once
// The records, opcodes and constants of the VST 2.4 plug-in interface, written
// from the published interface. Hosts compiled against any other definition of
// this interface exchange these records with us byte for byte, so every record
// carries static_asserts on its size and on the offsets hosts read, for 64-bit
// and for 32-bit builds. Each record and constant is defined here only.
//
// Names follow the interface's own spelling (AEffect, effOpen,
// audioMasterAutomate, kVstTempoValid, ...) so that the adapter reads like the
// interface it speaks.

#include <cstddef>
#include <cstdint>

// ---- basic types -------------------------------------------------------------

typedef int16_t VstInt16;
typedef int32_t VstInt32;
typedef int64_t VstInt64;
// A pointer-sized signed integer: 32 bits in 32-bit builds, 64 bits in 64-bit builds.
typedef intptr_t VstIntPtr;

// The calling convention of every function that crosses the interface: cdecl
// on 32-bit x86 (hosts may be built with another default), the platform's
// only convention elsewhere. The attribute is spelled __cdecl__ because the
// Windows headers define cdecl as an empty macro: a file that includes them
// first would otherwise get differently typed (and mangled) callbacks.
#if defined(__i386__) && defined(__GNUC__)
#define VSTCALLBACK __attribute__((__cdecl__))
#elif defined(_M_IX86)
#define VSTCALLBACK __cdecl
#else
#define VSTCALLBACK
#endif

struct AEffect;

// The host's callback: (effect, opcode, index, value, ptr, opt) -> answer.
typedef VstIntPtr(VSTCALLBACK* audioMasterCallback)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                    VstIntPtr value, void* ptr, float opt);
// The plug-in's dispatcher: (effect, opcode, index, value, ptr, opt) -> answer.
typedef VstIntPtr(VSTCALLBACK* AEffectDispatcherProc)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                      VstIntPtr value, void* ptr, float opt);
// Single-precision processing (accumulating or replacing).
typedef void(VSTCALLBACK* AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs,
                                              VstInt32 sampleFrames);
// Double-precision replacing processing.
typedef void(VSTCALLBACK* AEffectProcessDoubleProc)(AEffect* effect, double** inputs, double** outputs,
                                                    VstInt32 sampleFrames);
// Sets a parameter from a normalised value in [0, 1].
typedef void(VSTCALLBACK* AEffectSetParameterProc)(AEffect* effect, VstInt32 index, float parameter);
// Reads a parameter's normalised value.
typedef float(VSTCALLBACK* AEffectGetParameterProc)(AEffect* effect, VstInt32 index);

// The plug-in entry point's signature: VSTPluginMain (and main) take the host
// callback and return the effect record, or null.
typedef AEffect*(VSTCALLBACK* VstPluginMainProc)(audioMasterCallback hostCallback);

// Four characters packed big-endian into an int32, the way the interface
// spells its identifiers ('VstP', 'NvEf', unique ids).
constexpr VstInt32 VstFourCC(char a, char b, char c, char d) {
  return static_cast<VstInt32>((static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) |
                               (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
                               (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) |
                               static_cast<uint32_t>(static_cast<uint8_t>(d)));
}

// ---- limits on text lengths (bytes, including the terminating NUL) ------------

enum VstStringConstants : VstInt32 {
  kVstMaxProgNameLen = 24,
  kVstMaxParamStrLen = 8,
  kVstMaxVendorStrLen = 64,
  kVstMaxProductStrLen = 64,
  kVstMaxEffectNameLen = 32,
  kVstMaxNameLen = 64,
  kVstMaxLabelLen = 64,
  kVstMaxShortLabelLen = 8,
  kVstMaxCategLabelLen = 24,
  kVstMaxFileNameLen = 100,
};

// ---- the effect record ---------------------------------------------------------

constexpr VstInt32 kEffectMagic = VstFourCC('V', 's', 't', 'P');  // 0x56737450
constexpr VstInt32 kEffectIdentify = VstFourCC('N', 'v', 'E', 'f');  // 0x4E764566, effIdentify's answer
constexpr VstInt32 kVstVersion = 2400;  // effGetVstVersion's answer: interface version 2.4

// Bits of AEffect::flags.
enum VstAEffectFlags : VstInt32 {
  effFlagsHasEditor = 1 << 0,            // the plug-in has an editor (effEditOpen and friends)
  effFlagsHasClip = 1 << 1,              // deprecated
  effFlagsHasVu = 1 << 2,                // deprecated
  effFlagsCanMono = 1 << 3,              // deprecated: can be fed one input on a stereo pair
  effFlagsCanReplacing = 1 << 4,         // processReplacing is supported
  effFlagsProgramChunks = 1 << 5,        // programs and bank are saved as opaque chunks
  effFlagsIsSynth = 1 << 8,              // an instrument
  effFlagsNoSoundInStop = 1 << 9,        // no output when the input is silent
  effFlagsExtIsAsync = 1 << 10,          // deprecated
  effFlagsExtHasBuffer = 1 << 11,        // deprecated
  effFlagsCanDoubleReplacing = 1 << 12,  // processDoubleReplacing is supported
};

// The record a plug-in hands to the host. The host reads the counts, flags and
// identity and calls the function pointers with the record as first argument.
struct AEffect {
  VstInt32 magic;  // kEffectMagic
  AEffectDispatcherProc dispatcher;
  AEffectProcessProc process;  // deprecated accumulating processing
  AEffectSetParameterProc setParameter;
  AEffectGetParameterProc getParameter;
  VstInt32 numPrograms;
  VstInt32 numParams;
  VstInt32 numInputs;
  VstInt32 numOutputs;
  VstInt32 flags;  // VstAEffectFlags
  VstIntPtr resvd1;  // reserved for the host, zero
  VstIntPtr resvd2;  // reserved for the host, zero
  VstInt32 initialDelay;  // latency in samples
  VstInt32 realQualities;  // deprecated
  VstInt32 offQualities;   // deprecated
  float ioRatio;           // deprecated
  void* object;  // the plug-in's own object
  void* user;    // free for the host
  VstInt32 uniqueID;
  VstInt32 version;
  AEffectProcessProc processReplacing;
  AEffectProcessDoubleProc processDoubleReplacing;
  char future[56];  // zero
};

// The editor's rectangle in pixels (right and bottom exclusive).
struct ERect {
  VstInt16 top;
  VstInt16 left;
  VstInt16 bottom;
  VstInt16 right;
};

// ---- dispatcher opcodes (host -> plug-in) ---------------------------------------
// Arguments are (index, value, ptr, opt); unused ones are zero.

enum AEffectOpcodes : VstInt32 {
  effOpen = 0,                       // the host opens the instance, after construction
  effClose = 1,                      // the host is done: the plug-in deletes itself
  effSetProgram = 2,                 // value: program index to load
  effGetProgram = 3,                 // returns the current program index
  effSetProgramName = 4,             // ptr: new name of the current program
  effGetProgramName = 5,             // ptr: buffer for the current program's name
  effGetParamLabel = 6,              // index: parameter; ptr: buffer for its unit label
  effGetParamDisplay = 7,            // index: parameter; ptr: buffer for its value text
  effGetParamName = 8,               // index: parameter; ptr: buffer for its name
  effGetVu = 9,                      // deprecated
  effSetSampleRate = 10,             // opt: the sample rate in Hz
  effSetBlockSize = 11,              // value: the largest block the host will send
  effMainsChanged = 12,              // value: 1 resume (processing starts), 0 suspend
  effEditGetRect = 13,               // ptr: ERect** to receive the editor's rectangle
  effEditOpen = 14,                  // ptr: the host's parent window
  effEditClose = 15,                 // the host closes the editor
  effEditDraw = 16,                  // deprecated
  effEditMouse = 17,                 // deprecated
  effEditKey = 18,                   // deprecated
  effEditIdle = 19,                  // periodic idle call while the editor is open
  effEditTop = 20,                   // deprecated
  effEditSleep = 21,                 // deprecated
  effIdentify = 22,                  // deprecated: returns kEffectIdentify
  effGetChunk = 23,                  // index: 1 program, 0 bank; ptr: void** for the data; returns its size
  effSetChunk = 24,                  // index: 1 program, 0 bank; value: size; ptr: the data
  effProcessEvents = 25,             // ptr: VstEvents for the next block
  effCanBeAutomated = 26,            // index: parameter; returns 1 when it can be automated
  effString2Parameter = 27,          // index: parameter; ptr: text to convert and set
  effGetNumProgramCategories = 28,   // deprecated
  effGetProgramNameIndexed = 29,     // index: program; ptr: buffer for its name
  effCopyProgram = 30,               // deprecated
  effConnectInput = 31,              // deprecated
  effConnectOutput = 32,             // deprecated
  effGetInputProperties = 33,        // index: input pin; ptr: VstPinProperties to fill
  effGetOutputProperties = 34,       // index: output pin; ptr: VstPinProperties to fill
  effGetPlugCategory = 35,           // returns a VstPlugCategory
  effGetCurrentPosition = 36,        // deprecated
  effGetDestinationBuffer = 37,      // deprecated
  effOfflineNotify = 38,             // offline processing: notification
  effOfflinePrepare = 39,            // offline processing: prepare
  effOfflineRun = 40,                // offline processing: run
  effProcessVarIo = 41,              // variable input/output processing
  effSetSpeakerArrangement = 42,     // value: input VstSpeakerArrangement*; ptr: output one
  effSetBlockSizeAndSampleRate = 43, // deprecated
  effSetBypass = 44,                 // value: 1 soft bypass on, 0 off
  effGetEffectName = 45,             // ptr: buffer for the effect's name
  effGetErrorText = 46,              // deprecated
  effGetVendorString = 47,           // ptr: buffer for the vendor's name
  effGetProductString = 48,          // ptr: buffer for the product's name
  effGetVendorVersion = 49,          // returns the plug-in's version
  effVendorSpecific = 50,            // index, value, ptr, opt: defined by the vendor
  effCanDo = 51,                     // ptr: capability text; returns 1 yes, -1 no, 0 don't know
  effGetTailSize = 52,               // returns the tail length in samples
  effIdle = 53,                      // deprecated
  effGetIcon = 54,                   // deprecated
  effSetViewPosition = 55,           // deprecated
  effGetParameterProperties = 56,    // index: parameter; ptr: properties record to fill
  effKeysRequired = 57,              // deprecated
  effGetVstVersion = 58,             // returns the interface version (kVstVersion)
  effEditKeyDown = 59,               // index: character; value: virtual key; opt: modifiers
  effEditKeyUp = 60,                 // index: character; value: virtual key; opt: modifiers
  effSetEditKnobMode = 61,           // value: knob mode
  effGetMidiProgramName = 62,        // ptr: MIDI program record to fill
  effGetCurrentMidiProgram = 63,     // ptr: MIDI program record to fill
  effGetMidiProgramCategory = 64,    // ptr: MIDI program category record to fill
  effHasMidiProgramsChanged = 65,    // index: MIDI channel
  effGetMidiKeyName = 66,            // ptr: MidiKeyName to fill
  effBeginSetProgram = 67,           // a program change begins
  effEndSetProgram = 68,             // a program change ends
  effGetSpeakerArrangement = 69,     // value: VstSpeakerArrangement** (inputs); ptr: the same (outputs)
  effShellGetNextPlugin = 70,        // ptr: buffer for the next shell plug-in's name; returns its id
  effStartProcess = 71,              // processing is about to start
  effStopProcess = 72,               // processing has stopped
  effSetTotalSampleToProcess = 73,   // value: number of samples to process (offline)
  effSetPanLaw = 74,                 // value: pan law type; opt: gain
  effBeginLoadBank = 75,             // ptr: the bank's patch header
  effBeginLoadProgram = 76,          // ptr: the program's patch header
  effSetProcessPrecision = 77,       // value: 0 single, 1 double
  effGetNumMidiInputChannels = 78,   // returns the MIDI input channels used
  effGetNumMidiOutputChannels = 79,  // returns the MIDI output channels used
};

// ---- host callback opcodes (plug-in -> host) -------------------------------------

enum AudioMasterOpcodes : VstInt32 {
  audioMasterAutomate = 0,                     // index: parameter; opt: its new normalised value
  audioMasterVersion = 1,                      // returns the host's interface version
  audioMasterCurrentId = 2,                    // returns the unique id of the plug-in being loaded
  audioMasterIdle = 3,                         // asks the host to call the idle functions
  audioMasterPinConnected = 4,                 // deprecated
  audioMasterWantMidi = 6,                     // deprecated: the plug-in wants MIDI events
  audioMasterGetTime = 7,                      // value: VstTimeInfoFlags wanted; returns VstTimeInfo*
  audioMasterProcessEvents = 8,                // ptr: VstEvents for the host
  audioMasterSetTime = 9,                      // deprecated
  audioMasterTempoAt = 10,                     // deprecated
  audioMasterGetNumAutomatableParameters = 11, // deprecated
  audioMasterGetParameterQuantization = 12,    // deprecated
  audioMasterIOChanged = 13,                   // the plug-in's inputs, outputs or latency changed
  audioMasterNeedIdle = 14,                    // deprecated
  audioMasterSizeWindow = 15,                  // index: width; value: height of the editor
  audioMasterGetSampleRate = 16,               // returns the host's sample rate
  audioMasterGetBlockSize = 17,                // returns the host's block size
  audioMasterGetInputLatency = 18,             // returns the input latency in samples
  audioMasterGetOutputLatency = 19,            // returns the output latency in samples
  audioMasterGetPreviousPlug = 20,             // deprecated
  audioMasterGetNextPlug = 21,                 // deprecated
  audioMasterWillReplaceOrAccumulate = 22,     // deprecated
  audioMasterGetCurrentProcessLevel = 23,      // returns a VstProcessLevels value
  audioMasterGetAutomationState = 24,          // returns a VstAutomationStates value
  audioMasterOfflineStart = 25,                // offline processing: start
  audioMasterOfflineRead = 26,                 // offline processing: read
  audioMasterOfflineWrite = 27,                // offline processing: write
  audioMasterOfflineGetCurrentPass = 28,       // offline processing: current pass
  audioMasterOfflineGetCurrentMetaPass = 29,   // offline processing: current meta pass
  audioMasterSetOutputSampleRate = 30,         // deprecated
  audioMasterGetOutputSpeakerArrangement = 31, // deprecated
  audioMasterGetVendorString = 32,             // ptr: buffer (kVstMaxVendorStrLen) for the host vendor
  audioMasterGetProductString = 33,            // ptr: buffer (kVstMaxProductStrLen) for the host product
  audioMasterGetVendorVersion = 34,            // returns the host's version as a decimal number
  audioMasterVendorSpecific = 35,              // index, value, ptr, opt: defined by the host vendor
  audioMasterSetIcon = 36,                     // deprecated
  audioMasterCanDo = 37,                       // ptr: capability text; returns 1 yes, -1 no, 0 don't know
  audioMasterGetLanguage = 38,                 // returns the host's language
  audioMasterOpenWindow = 39,                  // deprecated
  audioMasterCloseWindow = 40,                 // deprecated
  audioMasterGetDirectory = 41,                // returns the plug-in's directory
  audioMasterUpdateDisplay = 42,               // the plug-in's programs or parameters changed
  audioMasterBeginEdit = 43,                   // index: parameter whose edit gesture begins
  audioMasterEndEdit = 44,                     // index: parameter whose edit gesture ends
  audioMasterOpenFileSelector = 45,            // ptr: file selector record
  audioMasterCloseFileSelector = 46,           // ptr: file selector record
  audioMasterEditFile = 47,                    // deprecated
  audioMasterGetChunkFile = 48,                // deprecated
  audioMasterGetInputSpeakerArrangement = 49,  // deprecated
};

// Answers to audioMasterGetCurrentProcessLevel.
enum VstProcessLevels : VstInt32 {
  kVstProcessLevelUnknown = 0,   // not supported by the host
  kVstProcessLevelUser = 1,      // the user-interface thread
  kVstProcessLevelRealtime = 2,  // the audio thread
  kVstProcessLevelPrefetch = 3,  // a disk-streaming thread
  kVstProcessLevelOffline = 4,   // rendering offline
};

// Answers to audioMasterGetAutomationState.
enum VstAutomationStates : VstInt32 {
  kVstAutomationUnsupported = 0,
  kVstAutomationOff = 1,
  kVstAutomationRead = 2,
  kVstAutomationWrite = 3,
  kVstAutomationReadWrite = 4,
};

// Answers to effGetPlugCategory.
enum VstPlugCategory : VstInt32 {
  kPlugCategUnknown = 0,
  kPlugCategEffect = 1,
  kPlugCategSynth = 2,
  kPlugCategAnalysis = 3,
  kPlugCategMastering = 4,
  kPlugCategSpacializer = 5,
  kPlugCategRoomFx = 6,
  kPlugSurroundFx = 7,
  kPlugCategRestoration = 8,
  kPlugCategOfflineProcess = 9,
  kPlugCategShell = 10,
  kPlugCategGenerator = 11,
  kPlugCategMaxCount = 12,
};

// ---- events ----------------------------------------------------------------------

enum VstEventTypes : VstInt32 {
  kVstMidiType = 1,       // VstMidiEvent
  kVstAudioType = 2,      // deprecated
  kVstVideoType = 3,      // deprecated
  kVstParameterType = 4,  // deprecated
  kVstTriggerType = 5,    // deprecated
  kVstSysExType = 6,      // VstMidiSysexEvent
};

// Bits of VstMidiEvent::flags.
enum VstMidiEventFlags : VstInt32 {
  kVstMidiEventIsRealtime = 1 << 0,  // played live rather than from a sequence
};

// The common head of every event; byteSize is the size of the whole record.
struct VstEvent {
  VstInt32 type;         // VstEventTypes
  VstInt32 byteSize;
  VstInt32 deltaFrames;  // sample offset within the current block
  VstInt32 flags;
  char data[16];
};

// A list of events; the host or plug-in allocates room for numEvents pointers.
struct VstEvents {
  VstInt32 numEvents;
  VstIntPtr reserved;    // zero
  VstEvent* events[2];   // numEvents entries (the array continues past its declared end)
};

struct VstMidiEvent {
  VstInt32 type;          // kVstMidiType
  VstInt32 byteSize;      // sizeof (VstMidiEvent)
  VstInt32 deltaFrames;
  VstInt32 flags;         // VstMidiEventFlags
  VstInt32 noteLength;    // in samples, 0 when unknown
  VstInt32 noteOffset;    // in samples from the note's start
  char midiData[4];       // status, data 1, data 2, zero
  char detune;            // -64 to +63 cents
  char noteOffVelocity;
  char reserved1;         // zero
  char reserved2;         // zero
};

struct VstMidiSysexEvent {
  VstInt32 type;          // kVstSysExType
  VstInt32 byteSize;      // sizeof (VstMidiSysexEvent)
  VstInt32 deltaFrames;
  VstInt32 flags;         // zero
  VstInt32 dumpBytes;     // bytes in sysexDump
  VstIntPtr resvd1;       // zero
  char* sysexDump;        // owned by the sender, valid during the call
  VstIntPtr resvd2;       // zero
};

// ---- time information --------------------------------------------------------------

// Bits of VstTimeInfo::flags; the ...Valid bits also form the filter of audioMasterGetTime.
enum VstTimeInfoFlags : VstInt32 {
  kVstTransportChanged = 1 << 0,      // play, cycle or record state changed
  kVstTransportPlaying = 1 << 1,
  kVstTransportCycleActive = 1 << 2,
  kVstTransportRecording = 1 << 3,
  kVstAutomationWriting = 1 << 6,
  kVstAutomationReading = 1 << 7,
  kVstNanosValid = 1 << 8,            // nanoSeconds
  kVstPpqPosValid = 1 << 9,           // ppqPos
  kVstTempoValid = 1 << 10,           // tempo
  kVstBarsValid = 1 << 11,            // barStartPos
  kVstCyclePosValid = 1 << 12,        // cycleStartPos and cycleEndPos
  kVstTimeSigValid = 1 << 13,         // timeSigNumerator and timeSigDenominator
  kVstSmpteValid = 1 << 14,           // smpteOffset and smpteFrameRate
  kVstClockValid = 1 << 15,           // samplesToNextClock
};

// Values of VstTimeInfo::smpteFrameRate.
enum VstSmpteFrameRate : VstInt32 {
  kVstSmpte24fps = 0,
  kVstSmpte25fps = 1,
  kVstSmpte2997fps = 2,
  kVstSmpte30fps = 3,
  kVstSmpte2997dfps = 4,
  kVstSmpte30dfps = 5,
  kVstSmpteFilm16mm = 6,
  kVstSmpteFilm35mm = 7,
  kVstSmpte239fps = 10,
  kVstSmpte249fps = 11,
  kVstSmpte599fps = 12,
  kVstSmpte60fps = 13,
};

// The host's transport, owned by the host and valid until its next answer.
struct VstTimeInfo {
  double samplePos;       // position of the block's first sample, in samples
  double sampleRate;
  double nanoSeconds;     // system time
  double ppqPos;          // musical position in quarter notes
  double tempo;           // beats per minute
  double barStartPos;     // last bar's start, in quarter notes
  double cycleStartPos;   // loop start, in quarter notes
  double cycleEndPos;     // loop end, in quarter notes
  VstInt32 timeSigNumerator;
  VstInt32 timeSigDenominator;
  VstInt32 smpteOffset;
  VstInt32 smpteFrameRate;  // VstSmpteFrameRate
  VstInt32 samplesToNextClock;
  VstInt32 flags;           // VstTimeInfoFlags
};

// ---- pins and speakers --------------------------------------------------------------

// Bits of VstPinProperties::flags.
enum VstPinPropertiesFlags : VstInt32 {
  kVstPinIsActive = 1 << 0,
  kVstPinIsStereo = 1 << 1,    // the first of a stereo pair
  kVstPinUseSpeaker = 1 << 2,  // arrangementType is valid
};

struct VstPinProperties {
  char label[kVstMaxLabelLen];
  VstInt32 flags;            // VstPinPropertiesFlags
  VstInt32 arrangementType;  // VstSpeakerArrangementType
  char shortLabel[kVstMaxShortLabelLen];
  char future[48];
};

// Speaker arrangement types.
enum VstSpeakerArrangementType : VstInt32 {
  kSpeakerArrUserDefined = -2,
  kSpeakerArrEmpty = -1,
  kSpeakerArrMono = 0,
  kSpeakerArrStereo = 1,
  kSpeakerArrStereoSurround = 2,
  kSpeakerArrStereoCenter = 3,
  kSpeakerArrStereoSide = 4,
  kSpeakerArrStereoCLfe = 5,
  kSpeakerArr30Cine = 6,
  kSpeakerArr30Music = 7,
  kSpeakerArr31Cine = 8,
  kSpeakerArr31Music = 9,
  kSpeakerArr40Cine = 10,
  kSpeakerArr40Music = 11,
  kSpeakerArr41Cine = 12,
  kSpeakerArr41Music = 13,
  kSpeakerArr50 = 14,
  kSpeakerArr51 = 15,
  kSpeakerArr60Cine = 16,
  kSpeakerArr60Music = 17,
  kSpeakerArr61Cine = 18,
  kSpeakerArr61Music = 19,
  kSpeakerArr70Cine = 20,
  kSpeakerArr70Music = 21,
  kSpeakerArr71Cine = 22,
  kSpeakerArr71Music = 23,
  kSpeakerArr80Cine = 24,
  kSpeakerArr80Music = 25,
  kSpeakerArr81Cine = 26,
  kSpeakerArr81Music = 27,
  kSpeakerArr102 = 28,
  kNumSpeakerArr = 29,
};

struct VstSpeakerProperties {
  float azimuth;    // radians, -pi to pi
  float elevation;  // radians, -pi/2 to pi/2
  float radius;     // metres
  float reserved;   // zero
  char name[kVstMaxNameLen];
  VstInt32 type;    // speaker type
  char future[28];
};

// The declared records hold eight speakers; hosts with more channels allocate
// a longer record.
constexpr int kVstSpeakerArrangementRecords = 8;

struct VstSpeakerArrangement {
  VstInt32 type;         // VstSpeakerArrangementType
  VstInt32 numChannels;  // number of channels in the arrangement
  VstSpeakerProperties speakers[kVstSpeakerArrangementRecords];
};

// ---- MIDI key names -------------------------------------------------------------------

struct MidiKeyName {
  VstInt32 thisProgramIndex;
  VstInt32 thisKeyNumber;  // 0-127
  char keyName[kVstMaxNameLen];
  VstInt32 reserved;
  VstInt32 flags;
};

// ---- binary layout checks ------------------------------------------------------------

namespace vstlayout {
constexpr bool k64 = sizeof(void*) == 8;
static_assert(sizeof(void*) == 8 || sizeof(void*) == 4, "only 32-bit and 64-bit builds are supported");
static_assert(sizeof(VstIntPtr) == sizeof(void*), "VstIntPtr is pointer-sized");
static_assert(sizeof(float) == 4 && sizeof(double) == 8, "IEEE single and double");
}  // namespace vstlayout

#define MORVANE_VST_OFFSET(Rec, field, off64, off32) \
  static_assert(offsetof(Rec, field) == (vstlayout::k64 ? (off64) : (off32)), #Rec "::" #field " offset")
#define MORVANE_VST_SIZE(Rec, size64, size32) \
  static_assert(sizeof(Rec) == (vstlayout::k64 ? (size64) : (size32)), "sizeof (" #Rec ")")

MORVANE_VST_SIZE(AEffect, 192, 144);
MORVANE_VST_OFFSET(AEffect, magic, 0, 0);
MORVANE_VST_OFFSET(AEffect, dispatcher, 8, 4);
MORVANE_VST_OFFSET(AEffect, process, 16, 8);
MORVANE_VST_OFFSET(AEffect, setParameter, 24, 12);
MORVANE_VST_OFFSET(AEffect, getParameter, 32, 16);
MORVANE_VST_OFFSET(AEffect, numPrograms, 40, 20);
MORVANE_VST_OFFSET(AEffect, numParams, 44, 24);
MORVANE_VST_OFFSET(AEffect, numInputs, 48, 28);
MORVANE_VST_OFFSET(AEffect, numOutputs, 52, 32);
MORVANE_VST_OFFSET(AEffect, flags, 56, 36);
MORVANE_VST_OFFSET(AEffect, resvd1, 64, 40);
MORVANE_VST_OFFSET(AEffect, resvd2, 72, 44);
MORVANE_VST_OFFSET(AEffect, initialDelay, 80, 48);
MORVANE_VST_OFFSET(AEffect, realQualities, 84, 52);
MORVANE_VST_OFFSET(AEffect, offQualities, 88, 56);
MORVANE_VST_OFFSET(AEffect, ioRatio, 92, 60);
MORVANE_VST_OFFSET(AEffect, object, 96, 64);
MORVANE_VST_OFFSET(AEffect, user, 104, 68);
MORVANE_VST_OFFSET(AEffect, uniqueID, 112, 72);
MORVANE_VST_OFFSET(AEffect, version, 116, 76);
MORVANE_VST_OFFSET(AEffect, processReplacing, 120, 80);
MORVANE_VST_OFFSET(AEffect, processDoubleReplacing, 128, 84);
MORVANE_VST_OFFSET(AEffect, future, 136, 88);

MORVANE_VST_SIZE(ERect, 8, 8);
MORVANE_VST_OFFSET(ERect, top, 0, 0);
MORVANE_VST_OFFSET(ERect, left, 2, 2);
MORVANE_VST_OFFSET(ERect, bottom, 4, 4);
MORVANE_VST_OFFSET(ERect, right, 6, 6);

MORVANE_VST_SIZE(VstEvent, 32, 32);
MORVANE_VST_OFFSET(VstEvent, type, 0, 0);
MORVANE_VST_OFFSET(VstEvent, byteSize, 4, 4);
MORVANE_VST_OFFSET(VstEvent, deltaFrames, 8, 8);
MORVANE_VST_OFFSET(VstEvent, flags, 12, 12);
MORVANE_VST_OFFSET(VstEvent, data, 16, 16);

MORVANE_VST_SIZE(VstEvents, 32, 16);
MORVANE_VST_OFFSET(VstEvents, numEvents, 0, 0);
MORVANE_VST_OFFSET(VstEvents, reserved, 8, 4);
MORVANE_VST_OFFSET(VstEvents, events, 16, 8);

MORVANE_VST_SIZE(VstMidiEvent, 32, 32);
MORVANE_VST_OFFSET(VstMidiEvent, type, 0, 0);
MORVANE_VST_OFFSET(VstMidiEvent, byteSize, 4, 4);
MORVANE_VST_OFFSET(VstMidiEvent, deltaFrames, 8, 8);
MORVANE_VST_OFFSET(VstMidiEvent, flags, 12, 12);
MORVANE_VST_OFFSET(VstMidiEvent, noteLength, 16, 16);
MORVANE_VST_OFFSET(VstMidiEvent, noteOffset, 20, 20);
MORVANE_VST_OFFSET(VstMidiEvent, midiData, 24, 24);
MORVANE_VST_OFFSET(VstMidiEvent, detune, 28, 28);
MORVANE_VST_OFFSET(VstMidiEvent, noteOffVelocity, 29, 29);
MORVANE_VST_OFFSET(VstMidiEvent, reserved1, 30, 30);
MORVANE_VST_OFFSET(VstMidiEvent, reserved2, 31, 31);

MORVANE_VST_SIZE(VstMidiSysexEvent, 48, 32);
MORVANE_VST_OFFSET(VstMidiSysexEvent, type, 0, 0);
MORVANE_VST_OFFSET(VstMidiSysexEvent, byteSize, 4, 4);
MORVANE_VST_OFFSET(VstMidiSysexEvent, deltaFrames, 8, 8);
MORVANE_VST_OFFSET(VstMidiSysexEvent, flags, 12, 12);
MORVANE_VST_OFFSET(VstMidiSysexEvent, dumpBytes, 16, 16);
MORVANE_VST_OFFSET(VstMidiSysexEvent, resvd1, 24, 20);
MORVANE_VST_OFFSET(VstMidiSysexEvent, sysexDump, 32, 24);
MORVANE_VST_OFFSET(VstMidiSysexEvent, resvd2, 40, 28);

MORVANE_VST_SIZE(VstTimeInfo, 88, 88);
MORVANE_VST_OFFSET(VstTimeInfo, samplePos, 0, 0);
MORVANE_VST_OFFSET(VstTimeInfo, sampleRate, 8, 8);
MORVANE_VST_OFFSET(VstTimeInfo, nanoSeconds, 16, 16);
MORVANE_VST_OFFSET(VstTimeInfo, ppqPos, 24, 24);
MORVANE_VST_OFFSET(VstTimeInfo, tempo, 32, 32);
MORVANE_VST_OFFSET(VstTimeInfo, barStartPos, 40, 40);
MORVANE_VST_OFFSET(VstTimeInfo, cycleStartPos, 48, 48);
MORVANE_VST_OFFSET(VstTimeInfo, cycleEndPos, 56, 56);
MORVANE_VST_OFFSET(VstTimeInfo, timeSigNumerator, 64, 64);
MORVANE_VST_OFFSET(VstTimeInfo, timeSigDenominator, 68, 68);
MORVANE_VST_OFFSET(VstTimeInfo, smpteOffset, 72, 72);
MORVANE_VST_OFFSET(VstTimeInfo, smpteFrameRate, 76, 76);
MORVANE_VST_OFFSET(VstTimeInfo, samplesToNextClock, 80, 80);
MORVANE_VST_OFFSET(VstTimeInfo, flags, 84, 84);

MORVANE_VST_SIZE(VstPinProperties, 128, 128);
MORVANE_VST_OFFSET(VstPinProperties, label, 0, 0);
MORVANE_VST_OFFSET(VstPinProperties, flags, 64, 64);
MORVANE_VST_OFFSET(VstPinProperties, arrangementType, 68, 68);
MORVANE_VST_OFFSET(VstPinProperties, shortLabel, 72, 72);
MORVANE_VST_OFFSET(VstPinProperties, future, 80, 80);

MORVANE_VST_SIZE(VstSpeakerProperties, 112, 112);
MORVANE_VST_OFFSET(VstSpeakerProperties, azimuth, 0, 0);
MORVANE_VST_OFFSET(VstSpeakerProperties, elevation, 4, 4);
MORVANE_VST_OFFSET(VstSpeakerProperties, radius, 8, 8);
MORVANE_VST_OFFSET(VstSpeakerProperties, reserved, 12, 12);
MORVANE_VST_OFFSET(VstSpeakerProperties, name, 16, 16);
MORVANE_VST_OFFSET(VstSpeakerProperties, type, 80, 80);
MORVANE_VST_OFFSET(VstSpeakerProperties, future, 84, 84);

MORVANE_VST_SIZE(VstSpeakerArrangement, 904, 904);
MORVANE_VST_OFFSET(VstSpeakerArrangement, type, 0, 0);
MORVANE_VST_OFFSET(VstSpeakerArrangement, numChannels, 4, 4);
MORVANE_VST_OFFSET(VstSpeakerArrangement, speakers, 8, 8);

MORVANE_VST_SIZE(MidiKeyName, 80, 80);
MORVANE_VST_OFFSET(MidiKeyName, thisProgramIndex, 0, 0);
MORVANE_VST_OFFSET(MidiKeyName, thisKeyNumber, 4, 4);
MORVANE_VST_OFFSET(MidiKeyName, keyName, 8, 8);
MORVANE_VST_OFFSET(MidiKeyName, reserved, 72, 72);
MORVANE_VST_OFFSET(MidiKeyName, flags, 76, 76);

#undef MORVANE_VST_OFFSET
#undef MORVANE_VST_SIZE
