#pragma once
// The project's own VST 3 test host: a built module loaded through its entry
// points, the host objects a plug-in talks to (application, handler,
// streams, parameter queues), a plug-in instance driven as hosts drive it,
// and the VST2 library beside it for comparison. Written from the interface
// declarations only (framework/vst3), as any host is.
#include <memory>
#include <string>
#include <vector>

#include "framework/vst2/VstDefs.h"
#include "framework/vst3/Vst3Controller.h"
#include "framework/vst3/Vst3Host.h"
#include "framework/vst3/Vst3Processor.h"
#include "framework/vst3/Vst3Support.h"
#include "framework/vst3/Vst3View.h"
#include "tests/vst2/LoadedEffect.h"

namespace vst3test {

using namespace vst3;

// ---- host objects ----------------------------------------------------------------------------
// Counted like plug-in objects; the tests keep them on the stack or in
// members and check that a plug-in gives back every reference it took.

template <class I>
class HostObject : public I {
 public:
  uint32 PLUGIN_API addRef() override { return mRefs.Add(); }
  uint32 PLUGIN_API release() override { return mRefs.Drop(); }
  // References held beyond the owner's own.
  uint32 ExtraReferences() {
    const uint32 count = mRefs.Add() - 1;
    mRefs.Drop();
    return count - 1;
  }

 protected:
  tresult Answer(const TUID id, void** obj) {
    if (!obj) return kInvalidArgument;
    if (UidMatches(id, FUnknown::iid) || UidMatches(id, I::iid)) {
      *obj = static_cast<I*>(this);
      addRef();
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }

 private:
  RefCount mRefs;
};

class HostApplication : public HostObject<IHostApplication> {
 public:
  tresult PLUGIN_API queryInterface(const TUID id, void** obj) override { return Answer(id, obj); }
  tresult PLUGIN_API getName(String128 name) override;
  // No messages: the plug-in needs none.
  tresult PLUGIN_API createInstance(const TUID cid, const TUID iid, void** obj) override;
};

// Records the plug-in's edits in order.
class ComponentHandler : public HostObject<IComponentHandler> {
 public:
  struct Edit {
    char what;  // 'b' begin, 'p' perform, 'e' end, 'r' restart
    ParamID id;
    double value;
  };
  tresult PLUGIN_API queryInterface(const TUID id, void** obj) override { return Answer(id, obj); }
  tresult PLUGIN_API beginEdit(ParamID id) override;
  tresult PLUGIN_API performEdit(ParamID id, ParamValue valueNormalized) override;
  tresult PLUGIN_API endEdit(ParamID id) override;
  tresult PLUGIN_API restartComponent(int32 flags) override;

  std::vector<Edit> edits;
};

// A stream in memory. Reads give at most readPiece bytes a call (0: all
// asked for); writes fail once writeLimit bytes are written (-1: never).
class MemoryStream : public HostObject<IBStream> {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<unsigned char> bytes) : bytes(std::move(bytes)) {}
  tresult PLUGIN_API queryInterface(const TUID id, void** obj) override { return Answer(id, obj); }
  tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override;
  tresult PLUGIN_API write(void* buffer, int32 numBytes, int32* numBytesWritten) override;
  tresult PLUGIN_API seek(int64 pos, int32 mode, int64* newPos) override;
  tresult PLUGIN_API tell(int64* pos) override;

  std::vector<unsigned char> bytes;
  int64 position = 0;
  int32 readPiece = 0;
  int64 writeLimit = -1;
};

class ParamQueue : public HostObject<IParamValueQueue> {
 public:
  explicit ParamQueue(ParamID id) : id(id) {}
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override { return Answer(iid, obj); }
  ParamID PLUGIN_API getParameterId() override { return id; }
  int32 PLUGIN_API getPointCount() override { return static_cast<int32>(points.size()); }
  tresult PLUGIN_API getPoint(int32 index, int32* sampleOffset, ParamValue* value) override;
  tresult PLUGIN_API addPoint(int32 sampleOffset, ParamValue value, int32* index) override;

  ParamID id;
  std::vector<std::pair<int32, double>> points;
};

class ParamChanges : public HostObject<IParameterChanges> {
 public:
  tresult PLUGIN_API queryInterface(const TUID id, void** obj) override { return Answer(id, obj); }
  int32 PLUGIN_API getParameterCount() override { return static_cast<int32>(queues.size()); }
  IParamValueQueue* PLUGIN_API getParameterData(int32 index) override;
  IParamValueQueue* PLUGIN_API addParameterData(const ParamID* id, int32* index) override;

  // The queue of id, added when missing.
  ParamQueue& Queue(ParamID id);
  // The queue of id, or null.
  ParamQueue* Find(ParamID id);

  std::vector<std::unique_ptr<ParamQueue>> queues;
};

// ---- the module and its instances --------------------------------------------------------------

// A module loaded as hosts load it: the library, its entry call, its factory.
class Module {
 public:
  explicit Module(const char* path);
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  IPluginFactory* Factory() const { return mFactory; }
  const std::string& Error() const { return mError; }
  void* Symbol(const char* name) const;

 private:
  void* mLibrary = nullptr;
  IPluginFactory* mFactory = nullptr;
  bool mEntered = false;
  std::string mError;
};

// The class id the tests expect, in this system's byte order.
Uid MorvaneCid();

// One instance: the component queried for its processor and controller,
// initialized with a host application.
class Instance {
 public:
  explicit Instance(IPluginFactory* factory);
  ~Instance();
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  bool Ok() const { return component && processor && controller; }

  // setupProcessing, the buses, setActive(true), setProcessing(true).
  bool Start(int32 sampleSize, double rate = 44100.0, int32 maxBlock = 512);
  void Stop();

  // One block of channels (in and out may be the same buffers); changes and
  // out (output parameter changes) may be null.
  tresult Process(float** in, float** out, int channels, int32 frames, ParamChanges* changes = nullptr,
                  ParamChanges* outChanges = nullptr);
  tresult Process(double** in, double** out, int channels, int32 frames, ParamChanges* changes = nullptr,
                  ParamChanges* outChanges = nullptr);

  std::vector<unsigned char> State();
  tresult SetState(const std::vector<unsigned char>& bytes);

  HostApplication host;
  uint64 silenceFlags = 0;  // the output's, after the last block
  IComponent* component = nullptr;
  IAudioProcessor* processor = nullptr;
  IEditController* controller = nullptr;

 private:
  template <class T>
  tresult ProcessAny(T** in, T** out, int channels, int32 frames, int32 sampleSize, ParamChanges* changes,
                     ParamChanges* outChanges);
};

// The VST2 library beside it: one effect, opened and resumed like the test
// host's VST2 round (rate 44100, block 512).
class Vst2Effect : public vst2test::LoadedEffect {
 public:
  explicit Vst2Effect(const char* libraryPath) : LoadedEffect(libraryPath, 44100.0f, 512) {}
  // Mono: one channel in, one out.
  void SetChannels(int channels) const;
};

// ---- helpers ---------------------------------------------------------------------------------------

// The test host's drum input (tests/host/HostRound.h), rounded to float so
// that single and double precision runs process the same samples.
std::vector<double> DrumInput(int frames, uint32_t seed);

// Text of a String128.
std::string Utf8(const char16* text);

}  // namespace vst3test
