#pragma once
// The host side of the VST 2.4 conversation: loads a plug-in library, makes
// one effect instance through its entry point and answers its callbacks.
// One PluginHost at a time per process: the host callback reaches the
// instance through a process-wide pointer, because plug-ins call it before
// their AEffect record exists (from inside VSTPluginMain).
#include <string>

#include "framework/vst2/VstDefs.h"

enum class Precision { kDouble, kSingle, kAccumulate };

const char* PrecisionName(Precision p);

class PluginHost {
 public:
  PluginHost() = default;
  // Suspends and closes the effect if that has not happened, then unloads the library.
  ~PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // 1. Load the library (dlopen, all symbols resolved now).
  // 2. Find its entry point: VSTPluginMain, else the older name main.
  // 3. Call it with our callback; it must return a record with the effect
  //    magic and a dispatcher.
  // False with a message naming the failed step.
  bool Load(const std::string& path, std::string& error);

  AEffect* Effect() const { return mEffect; }
  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f);

  // The host sequence before processing:
  // 1. effOpen.
  // 2. effSetSampleRate, then effSetBlockSize (the largest block that will come).
  void Open(double sampleRate, VstInt32 blockSize);
  // 3. Only for one-channel material: a mono input and output arrangement.
  //    Returns the plug-in's answer (1 accepted).
  VstIntPtr DeclareMono();
  // 4. effMainsChanged 1 before the first block; Suspend sends effMainsChanged 0.
  void Resume();
  void Suspend();
  // 5. effClose; the record is gone afterwards.
  void Close();

  // Processing calls. pos is the file position of the block's first frame,
  // which the host's transport reports to the plug-in during the call.
  void ProcessDouble(double** in, double** out, VstInt32 frames, double pos);
  void ProcessReplacing(float** in, float** out, VstInt32 frames, double pos);
  // Clears the outputs output buffers first: the plug-in adds to them.
  void ProcessAccumulating(float** in, float** out, int outputs, VstInt32 frames, double pos);
  // Whether the record offers the processing function of a precision: the
  // flag for the replacing ones, the function pointer itself in every case.
  bool CanProcess(Precision p) const;

  // Texts from the plug-in, through a buffer far larger than the interface's
  // nominal limits (plug-ins often write past them). Empty when not answered.
  std::string Text(VstInt32 opcode, VstInt32 index = 0);
  std::string ParamName(VstInt32 index) { return Text(effGetParamName, index); }
  std::string ParamLabel(VstInt32 index) { return Text(effGetParamLabel, index); }
  std::string ParamDisplay(VstInt32 index) { return Text(effGetParamDisplay, index); }
  // Index of the first parameter whose name equals name ignoring ASCII case, or -1.
  int FindParam(const std::string& name);

 private:
  static VstIntPtr VSTCALLBACK HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                            void* ptr, float opt);
  VstIntPtr Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
  void SetTransport(double samplePos);

  void* mLibrary = nullptr;
  AEffect* mEffect = nullptr;
  bool mOpen = false;
  bool mResumed = false;
  double mSampleRate = 44100.0;
  VstInt32 mBlockSize = 1024;
  VstTimeInfo mTime{};
  VstSpeakerArrangement mMonoIn{};
  VstSpeakerArrangement mMonoOut{};
};
