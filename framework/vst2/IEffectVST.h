#pragma once
#include "framework/IEffectBase.h"
#include "framework/StateChunk.h"
#include "framework/vst2/VstDefs.h"

// Binds the plug-in base to the VST 2.4 interface. The host receives mEffect
// from VSTPluginMain and drives the plug-in through its dispatcher, its three
// processing functions and its two parameter functions; the adapter calls the
// host back through the callback given to the constructor (automation, time,
// MIDI out, host identification). A plug-in class derives from IEffectVST and
// overrides only the base's hooks it needs.
//
// Threads: the host calls the dispatcher and the parameter functions from its
// user-interface thread and the processing functions from its audio thread.
// Every entry holds the instance lock (mLock) for its whole duration, except
// effEditOpen, effEditClose and effEditIdle, which must not hold up the audio
// thread with the window system's round trips (the editor guards its own
// state); calls back into the host are made with it held. Thread tags:
// framework/ThreadTags.h.
class IEffectVST : public IEffectBase {
public:
  // hostCallback may be null (plug-in tests): every host call then answers 0.
  // The callback is stored, never called from the constructor.
  IEffectVST(audioMasterCallback hostCallback, const IEffectConfig& config);
  ~IEffectVST() override;

  IEffectVST(const IEffectVST&) = delete;
  IEffectVST& operator=(const IEffectVST&) = delete;

  // The record the host holds; its object is this plug-in.
  AEffect* GetAEffect() { return &mEffect; }

  // ---- the base's slots that talk to the host --------------------------------
  void BeginHostEdit(int paramIdx) override;                          // [ui] audioMasterBeginEdit
  void NotifyHostOfParam(int paramIdx, double normalizedValue) override;  // [ui] audioMasterAutomate
  void EndHostEdit(int paramIdx) override;                            // [ui] audioMasterEndEdit
  void NotifyHostOfPreset() override;                                 // [ui] audioMasterUpdateDisplay
  bool IsOffline() override;                                          // [any thread, instance lock held]
  // Host time: each asks audioMasterGetTime with the bits it needs and uses
  // only fields the host marks valid and that are not negative.
  int GetHostSamplePos() override;                                    // [any thread, instance lock held]
  double GetHostTempo() override;                                     // [any thread, instance lock held]
  void GetHostTimeSig(int* numerator, int* denominator) override;     // [any thread, instance lock held]
  void GetHostTime(ITransportInfo* info) override;                    // [any thread, instance lock held]
  // Asks the host's product name and version once; later calls return the
  // stored kind without calling the host.
  EHostKind IdentifyHost() override;                                  // [ui]
  // Takes the editor's current size into mEditorRect; the arguments are unused.
  void ResizeEditor(int width, int height) override;                  // [ui]
  // audioMasterSizeWindow (index = width, value = height); true when the
  // host answers 1. effEditGetRect tells the new size meanwhile, and the old
  // one again when the host refused.
  bool RequestEditorSize(int width, int height) override;             // [ui]
  // Host-specific set-up, once per instance (effOpen).
  void InitForHost() override;                                        // [ui]
  // Attaches the editor: the effFlagsHasEditor flag and mEditorRect follow it.
  void AttachEditor(IEditor* editor) override;                        // [ui]
  void SetLatency(int samples) override;                              // [ui]
  // Send one event to the host (audioMasterProcessEvents); true when it answers 1.
  bool SendMidi(const IMidiMessage* msg) override;                    // [any thread, instance lock held]
  bool SendSysExMessage(const ISysExMessage* msg) override;           // [any thread, instance lock held]

  // ---- host entries (reached through mEffect's function pointers) -------------
  // [ui] One dispatcher call; the lock is held for the call. effClose deletes
  // this object (after releasing the lock), so nothing may touch it afterwards.
  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
  // [audio] Processing entries; they take only the instance lock and allocate nothing.
  void ProcessAccumulating(float** inputs, float** outputs, VstInt32 sampleFrames);
  void ProcessReplacing(float** inputs, float** outputs, VstInt32 sampleFrames);
  void ProcessDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames);
  // [ui] Parameter entries; an index outside the parameters does nothing / reads 0.
  void SetParameterFromHost(VstInt32 index, float value);
  float GetParameterForHost(VstInt32 index);

protected:
  // Calls the host with mEffect as first argument; 0 when there is no callback.
  VstIntPtr CallHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f);

private:
  // Dispatcher cases, one per handled opcode.
  VstIntPtr DoOpen();
  VstIntPtr DoSetProgram(VstIntPtr presetIdx);
  VstIntPtr DoSetProgramName(const char* name);
  VstIntPtr DoGetProgramName(char* text);
  VstIntPtr DoGetParamLabel(VstInt32 index, char* text);
  VstIntPtr DoGetParamDisplay(VstInt32 index, char* text);
  VstIntPtr DoGetParamName(VstInt32 index, char* text);
  VstIntPtr DoSetSampleRate(float rate);
  VstIntPtr DoSetBlockSize(VstIntPtr blockSize);
  VstIntPtr DoMainsChanged(VstIntPtr active);
  VstIntPtr DoEditGetRect(void* ptr);
  VstIntPtr DoEditOpen(void* parentWindow);
  VstIntPtr DoEditClose();
  VstIntPtr DoEditIdle();
  VstIntPtr DoGetChunk(bool oneProgram, void* ptr);
  VstIntPtr DoSetChunk(bool oneProgram, VstIntPtr size, const void* data);
  VstIntPtr DoProcessEvents(const VstEvents* events);
  VstIntPtr DoString2Parameter(VstInt32 index, const char* text);
  VstIntPtr DoGetProgramNameIndexed(VstInt32 index, char* text);
  VstIntPtr DoGetPinProperties(bool input, VstInt32 index, VstPinProperties* pin);
  VstIntPtr DoSetSpeakerArrangement(VstIntPtr inputArrangement, void* outputArrangement);
  VstIntPtr DoGetSpeakerArrangement(VstIntPtr inputTarget, void* outputTarget);
  VstIntPtr DoCopyText(const char* source, void* ptr, int bufferSize);
  VstIntPtr DoVendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt);
  // [ui] The host's content scale for the editor, without the instance lock.
  VstIntPtr DoEditorScale(float scale);
  VstIntPtr DoCanDo(const char* capability);
  VstIntPtr DoGetMidiKeyName(MidiKeyName* key);
  // Asks the host for its time record with the given validity bits; null
  // when the host has none.
  const VstTimeInfo* HostTimeInfo(VstInt32 filter);
  // Whether a processing call has frames and the buffer arrays its channels need.
  bool CanProcess(const void* inputs, const void* outputs, VstInt32 sampleFrames) const;
  void UpdateEditorRect();
  void SetEditorRect(int width, int height);

  ERect mEditorRect;                       // all zero until an editor is attached
  audioMasterCallback mHostCall;           // may be null
  VstSpeakerArrangement mInputArrangement;
  VstSpeakerArrangement mOutputArrangement;
  bool mHostInitDone;
  StateChunk mProgramChunk;                // last program chunk handed to or received from the host
  StateChunk mBankChunk;                   // last bank chunk handed to or received from the host
  AEffect mEffect;
};

// The library's module instance handle, which the editor and the image loader
// use to reach the library's resources. On Windows the library's
// initialisation entry records it on every call; elsewhere it stays null.
// [any thread]
void* ModuleInstance();
void RecordModuleInstance(void* instance);

// Defined by the plug-in: constructs the plug-in object for VSTPluginMain,
// which calls it under the process-wide construction lock. Returns null when
// the object cannot be made.
IEffectVST* CreateEffectInstance(audioMasterCallback hostCallback);
