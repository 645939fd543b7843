#pragma once
#include <cstdint>
#include "framework/GrowBuffer.h"
#include "framework/HostKind.h"
#include "framework/IEditor.h"
#include "framework/IParameter.h"
#include "framework/Lock.h"
#include "framework/Messages.h"
#include "framework/OwnedList.h"
#include "framework/StateChunk.h"

// Thread tags on the operations below: framework/ThreadTags.h.

// What a plug-in class tells its base at construction.
struct IEffectConfig {
  int nParams = 0;
  const char* channelIOStr = "";  // legal channel configurations, e.g. "1-1 2-2"
  int nPresets = 0;
  const char* effectName = "";    // up to 127 characters each
  const char* productName = "";
  const char* makerName = "";
  int32_t version = 0;            // major << 16 | minor << 8 | patch
  int32_t uniqueID = 0;
  int32_t makerID = 0;
  int latency = 0;
  // Not the host interface's chunk flag (which is never set): false means
  // switching presets first stores the current values into the one left.
  bool usesChunks = false;
  bool isInstrument = false;
  bool wantsMidi = false;
};

struct ChannelConfig {
  int32_t nIn = 0;
  int32_t nOut = 0;
};

struct InputChannel {
  bool connected = false;
  double** src = nullptr;  // this channel's slot in mInputPtrs
  GrowBuffer scratch{GrowBuffer::kDefaultGranularity};  // mBlockSize doubles
  GrowBuffer label{GrowBuffer::kTextGranularity};       // NUL-terminated, empty by default
};

struct OutputChannel {
  bool connected = false;
  double** dest = nullptr;   // this channel's slot in mOutputPtrs
  float* floatDest = nullptr;  // host's single-precision output of the current call
  GrowBuffer scratch{GrowBuffer::kDefaultGranularity};
  GrowBuffer label{GrowBuffer::kTextGranularity};
};

// A preset: a name and a stored program state (parameter values, no header).
struct IPresetSlot {
  bool mInitialized = false;
  char mName[256] = "empty";
  StateChunk mChunk;
};

// The host-neutral core of a plug-in object: identity, parameters, presets,
// channel configuration and buffer plumbing, sample rate and block size, the
// editor object and the instance lock. Every host-facing operation is a
// virtual whose default does nothing, returns a neutral value or passes audio
// through; the host adapter implements the host-facing ones and the plug-in
// class overrides what it needs. The base never calls the host itself.
class IEffectBase {
public:
  // The largest block size adapters make the scratch buffers for; a host
  // that announces more keeps the block size it had, and its blocks still
  // work, run in pieces of that size.
  static constexpr int kMaxBlockSize = 1 << 20;

  explicit IEffectBase(const IEffectConfig& config);

  // ---- virtual operations, in slot order --------------------------------
  virtual ~IEffectBase();                                               // 0
  virtual void Reset();                                                 // 1  [ui] no-op
  virtual void ParamChanged(int paramIdx);                              // 2  [any thread, instance lock held] no-op
  virtual void ProcessBlock(double** inputs, double** outputs, int nFrames);  // 3 [audio] pass-through
  virtual void ProcessBlockSingle(float** inputs, float** outputs, int nFrames);  // 4 pass-through; unused by VST2
  virtual void OnEditorOpened();                                        // 5  [ui] empty
  virtual void OnEditorClosed();                                        // 6  [ui] empty
  virtual void UnusedHookSlot7();                                       // 7  empty; see below
  virtual void OnActiveChanged(bool active);                            // 8  [ui] no-op
  virtual void HandleMidi(const IMidiMessage* msg);                     // 9  [ui] passes MIDI through
  virtual void HandleSysEx(const ISysExMessage* msg);                   // 10 [ui] empty
  virtual bool GetNoteName(int noteNumber, char* name);                 // 11 [ui] "" and false
  virtual bool SaveState(StateChunk* chunk);                            // 12 SerializeParams
  virtual int LoadState(const StateChunk* chunk, int startPos);         // 13 UnserializeParams
  virtual bool StateMatches(const uint8_t* data, int startPos);         // 14 startPos in doubles; not called here
  virtual void OnEditorResized();                                       // 15 [ui] empty
  virtual bool UnusedQuerySlot16();                                     // 16 false; see below
  virtual void OnHostKnown();                                           // 17 [ui] empty
  virtual void ShowHostParamMenu(int paramIdx, int x, int y);           // 18 [ui] empty
  virtual void SetParamFromEditor(int paramIdx, double normalizedValue);  // 19 [ui]
  virtual void BeginHostEdit(int paramIdx) = 0;                         // 20 [ui] adapter
  virtual void NotifyHostOfParam(int paramIdx, double normalizedValue) = 0;  // 21 [ui] adapter
  virtual void EndHostEdit(int paramIdx) = 0;                           // 22 [ui] adapter
  virtual void NotifyHostOfPreset() = 0;                                // 23 [ui] adapter
  virtual bool IsOffline();                                             // 24 false
  virtual int GetHostSamplePos() = 0;                                   // 25 adapter
  virtual double GetHostTempo() = 0;                                    // 26 adapter
  virtual void GetHostTimeSig(int* numerator, int* denominator) = 0;    // 27 adapter
  virtual void GetHostTime(ITransportInfo* info) = 0;                   // 28 adapter
  virtual EHostKind IdentifyHost();                                     // 29 mHost
  virtual int GetPluginApi();                                           // 30 mPluginApi (0)
  virtual void ResizeEditor(int width, int height) = 0;                 // 31 [ui] adapter
  virtual void InitForHost();                                           // 32 [ui] empty
  // Takes ownership of the editor (a previous one is deleted) and tells it
  // every parameter's value.
  virtual void AttachEditor(IEditor* editor);                           // 33 [ui]
  virtual void SetLatency(int samples);                                 // 34
  virtual bool SendMidi(const IMidiMessage* msg) = 0;                   // 35 adapter
  virtual bool SendSysExMessage(const ISysExMessage* msg);              // 36 false
  virtual void RefreshParamControls();                                  // 37 [any thread, instance lock held]
  virtual void UnusedHookSlot38();                                      // 38 empty; see below
  virtual void OnPresetsEdited();                                       // 39 empty
  virtual void SetBlockSize(int blockSize);                             // 40 [ui] caller holds the lock
  // The editor asks the host to make its window width x height pixels (the
  // editor changes its size); true when the host did. The base has no host
  // to ask: false.
  virtual bool RequestEditorSize(int width, int height);                // 41 [ui]
  // Slots 7, 16 and 38 hold no operation of this system: nothing calls them
  // and overriding them has no effect. They keep the operations after them in
  // their slots; removing one renumbers every later slot.

  // ---- non-virtual operations ---------------------------------------------
  int ParamCount() const { return mParams.Count(); }
  IParameter* GetParam(int paramIdx) const { return mParams.Get(paramIdx); }
  int InputCount() const { return mInputs.Count(); }
  int OutputCount() const { return mOutputs.Count(); }
  InputChannel* GetInput(int idx) const { return mInputs.Get(idx); }
  OutputChannel* GetOutput(int idx) const { return mOutputs.Get(idx); }
  int ChannelConfigCount() const { return mChannelConfigs.Count(); }
  const ChannelConfig* GetChannelConfig(int idx) const { return mChannelConfigs.Get(idx); }
  double GetSampleRate() const { return mSampleRate; }
  void SetSampleRate(double rate) { mSampleRate = rate; }
  int GetBlockSize() const { return mBlockSize; }
  IEditor* GetEditor() const { return mEditor; }
  ILock& Lock() { return mLock; }

  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMakerName() const { return mMakerName; }
  int32_t GetUniqueID() const { return mUniqueID; }
  int32_t GetMakerID() const { return mMakerID; }
  int32_t GetVersion() const { return mVersion; }
  int GetVersionMajor() const { return (mVersion >> 16) & 0xFFFF; }
  int GetVersionMinor() const { return (mVersion >> 8) & 0xFF; }
  int GetVersionPatch() const { return mVersion & 0xFF; }
  int GetLatency() const { return mLatency; }
  int GetTailSize() const { return mTailSize; }
  bool UsesChunks() const { return mUsesChunks; }  // see IEffectConfig::usesChunks
  bool IsInstrument() const { return mIsInstrument; }
  bool WantsMidi() const { return mWantsMidi; }
  int GetPresetIndex() const { return mPresetIndex; }
  int PresetCount() const { return mPresets.Count(); }
  IPresetSlot* GetPreset(int idx) const { return mPresets.Get(idx); }
  int GetHostVersion() const { return mHostVersion; }

  bool LegalIO(int nIn, int nOut);
  void NotifyAllParams();
  // Disconnects the inputs after the first two; the outputs after the first
  // two are marked connected, not disconnected.
  void LimitToStereo();
  // Marks an input or output connected or disconnected; a disconnected
  // channel's pointer slot points at its own scratch buffer.
  void SetInputConnected(int idx, bool connected);
  void SetOutputConnected(int idx, bool connected);

  // Buffer plumbing (the caller holds the instance lock). The host's buffer
  // arrays are consumed by the connected channels only, in channel order.
  void BindInputBuffers(double** inputs);
  void BindOutputBuffers(double** outputs);
  // Widens nFrames samples from offset `start` of each connected host input
  // into the channel's scratch buffer (nFrames at most the block size).
  void BindInputBuffers(float** inputs, int start, int nFrames);
  void BindOutputBuffers(float** outputs, int start);
  void RunBlock(int nFrames);                 // double: ProcessBlock on the bound buffers
  void RunBlockSingle(int nFrames);           // then narrows into the host's outputs
  void RunBlockAccumulating(int nFrames);     // then adds the narrowed samples to them

  // [audio] One host call's worth of processing. The single-precision paths
  // run in consecutive pieces of at most the block size, so the scratch
  // buffers are never overrun and nothing is allocated; the result equals one
  // long block. The double path runs in one piece while every channel is
  // connected, and in pieces of at most the block size otherwise; a null host
  // buffer is replaced by the channel's scratch buffer for the call.
  // nFrames <= 0 does nothing. When scratch buffers are needed but there are
  // none (block size 0 or less), the replacing paths write silence to the
  // host's outputs and the accumulating path leaves them untouched.
  void ProcessHostDouble(double** inputs, double** outputs, int nFrames);
  void ProcessHostSingle(float** inputs, float** outputs, int nFrames, bool accumulating);

  // Presets and state. Restoring takes a state only when it is complete: one
  // that ends early returns -1 and changes nothing.
  bool SerializeParams(StateChunk* chunk);
  int UnserializeParams(const StateChunk* chunk, int startPos);
  void FillDefaultPresets(const char* name, int count);
  const char* GetPresetName(int idx) const;
  bool LoadPreset(int idx);
  void ModifyCurrentPreset(const char* name = nullptr);
  bool SerializePresets(StateChunk* chunk);
  int UnserializePresets(const StateChunk* chunk, int startPos);
  // The program state as hosts store it (VST2's program chunk, LV2's state
  // value): the chunk header, then SaveState. False when it could not be made.
  // Both take the instance lock.
  bool GetProgramChunk(StateChunk* chunk);
  // Restores a program state from the start of chunk (hosts have stored it
  // with and without the header): LoadState, then the current preset takes
  // the values and the editor is told. False, with nothing changed, when the
  // state is refused.
  bool SetProgramChunk(const StateChunk& chunk);

protected:
  OwnedList<ChannelConfig> mChannelConfigs;
  ILock mLock;
  char mEffectName[128];
  char mProductName[128];
  char mMakerName[128];
  int32_t mUniqueID;
  int32_t mMakerID;
  int32_t mVersion;
  int32_t mPluginApi;
  int32_t mHost;         // EHostKind, -1 until IdentifyHost
  int32_t mHostVersion;  // packed like mVersion; 0 when unknown
  bool mUsesChunks;
  bool mIsInstrument;
  bool mWantsMidi;
  int32_t mPresetIndex;
  double mSampleRate;
  int32_t mBlockSize;
  int32_t mLatency;
  int32_t mTailSize;
  IEditor* mEditor;
  OwnedList<IParameter> mParams;
  OwnedList<IPresetSlot> mPresets;
  GrowBuffer mInputPtrs{GrowBuffer::kDefaultGranularity};   // double* per input
  GrowBuffer mOutputPtrs{GrowBuffer::kDefaultGranularity};  // double* per output
  OwnedList<InputChannel> mInputs;
  OwnedList<OutputChannel> mOutputs;

private:
  // The position after one value (8 bytes) per parameter from startPos, or
  // -1 when the chunk ends first.
  int ParamValuesEnd(const StateChunk* chunk, int startPos) const;
  // Where a bank that starts at startPos ends (presets with their names,
  // flags and values), or -1 when it is incomplete.
  int BankEnd(const StateChunk* chunk, int startPos) const;
  // Frames every scratch buffer holds: mBlockSize, or less when a scratch
  // buffer could not grow; 0 when there is no block size.
  int ScratchFrames() const;
  // Points the slots of disconnected channels at their scratch buffers.
  void PointDisconnectedAtScratch();
  // Double-precision binding with the host's buffers advanced by `start`
  // frames; disconnected channels get their scratch buffers, the inputs'
  // cleared for nFrames.
  void BindDoubleInputsAt(double** inputs, int start, int nFrames);
  void BindDoubleOutputsAt(double** outputs, int start);
  // ProcessBlock on the bound buffers, then the outputs narrowed into the
  // host's single-precision buffers, replacing or adding.
  void RunAndNarrow(int nFrames, bool accumulating);
};

// Text of a packed version: "v%d.%d.%d".
void FormatVersion(int32_t version, char* out, int outSize);
