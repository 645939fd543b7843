#include "tests/vst3/Vst3TestHost.h"

#include <algorithm>
#include <cstring>

#include "tests/host/HostRound.h"
#include "tests/vst2/PluginLibrary.h"

namespace vst3test {

// ---- host objects ------------------------------------------------------------------------------

tresult PLUGIN_API HostApplication::getName(String128 name) {
  CopyToUtf16(name, 128, "Morvane test host");
  return kResultOk;
}

tresult PLUGIN_API HostApplication::createInstance(const TUID, const TUID, void** obj) {
  if (obj) *obj = nullptr;
  return kResultFalse;
}

tresult PLUGIN_API ComponentHandler::beginEdit(ParamID id) {
  edits.push_back({'b', id, 0.0});
  return kResultOk;
}

tresult PLUGIN_API ComponentHandler::performEdit(ParamID id, ParamValue valueNormalized) {
  edits.push_back({'p', id, valueNormalized});
  return kResultOk;
}

tresult PLUGIN_API ComponentHandler::endEdit(ParamID id) {
  edits.push_back({'e', id, 0.0});
  return kResultOk;
}

tresult PLUGIN_API ComponentHandler::restartComponent(int32 flags) {
  edits.push_back({'r', static_cast<ParamID>(flags), 0.0});
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::read(void* buffer, int32 numBytes, int32* numBytesRead) {
  if (numBytesRead) *numBytesRead = 0;
  if (!buffer || numBytes < 0) return kInvalidArgument;
  int64 n = std::min<int64>(numBytes, static_cast<int64>(bytes.size()) - position);
  if (readPiece > 0) n = std::min<int64>(n, readPiece);
  if (n <= 0) return kResultFalse;
  std::memcpy(buffer, bytes.data() + position, static_cast<size_t>(n));
  position += n;
  if (numBytesRead) *numBytesRead = static_cast<int32>(n);
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::write(void* buffer, int32 numBytes, int32* numBytesWritten) {
  if (numBytesWritten) *numBytesWritten = 0;
  if (!buffer || numBytes < 0) return kInvalidArgument;
  int64 n = numBytes;
  if (writeLimit >= 0) n = std::min<int64>(n, writeLimit - position);
  if (n <= 0) return kResultFalse;
  if (static_cast<int64>(bytes.size()) < position + n) bytes.resize(static_cast<size_t>(position + n));
  std::memcpy(bytes.data() + position, buffer, static_cast<size_t>(n));
  position += n;
  if (numBytesWritten) *numBytesWritten = static_cast<int32>(n);
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::seek(int64 pos, int32 mode, int64* newPos) {
  const int64 base = mode == kIBSeekSet ? 0 : mode == kIBSeekCur ? position : static_cast<int64>(bytes.size());
  if (base + pos < 0) return kResultFalse;
  position = base + pos;
  if (newPos) *newPos = position;
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::tell(int64* pos) {
  if (!pos) return kInvalidArgument;
  *pos = position;
  return kResultOk;
}

tresult PLUGIN_API ParamQueue::getPoint(int32 index, int32* sampleOffset, ParamValue* value) {
  if (index < 0 || index >= getPointCount() || !sampleOffset || !value) return kInvalidArgument;
  *sampleOffset = points[static_cast<size_t>(index)].first;
  *value = points[static_cast<size_t>(index)].second;
  return kResultOk;
}

tresult PLUGIN_API ParamQueue::addPoint(int32 sampleOffset, ParamValue value, int32* index) {
  points.emplace_back(sampleOffset, value);
  if (index) *index = getPointCount() - 1;
  return kResultOk;
}

IParamValueQueue* PLUGIN_API ParamChanges::getParameterData(int32 index) {
  return index >= 0 && index < getParameterCount() ? queues[static_cast<size_t>(index)].get() : nullptr;
}

IParamValueQueue* PLUGIN_API ParamChanges::addParameterData(const ParamID* id, int32* index) {
  if (!id) return nullptr;
  ParamQueue& queue = Queue(*id);
  if (index) {
    for (size_t i = 0; i < queues.size(); ++i) {
      if (queues[i].get() == &queue) *index = static_cast<int32>(i);
    }
  }
  return &queue;
}

ParamQueue& ParamChanges::Queue(ParamID id) {
  if (ParamQueue* found = Find(id)) return *found;
  queues.push_back(std::make_unique<ParamQueue>(id));
  return *queues.back();
}

ParamQueue* ParamChanges::Find(ParamID id) {
  for (auto& queue : queues) {
    if (queue->id == id) return queue.get();
  }
  return nullptr;
}

// ---- the module ------------------------------------------------------------------------------------

// 1. The library, loaded as hosts load it.
// 2. Its entry call: ModuleEntry with the library's handle where it has one
//    (Linux, where it is mandatory), InitDll otherwise (Windows, optional).
// 3. GetPluginFactory.
Module::Module(const char* path) {
  mLibrary = vst2test::OpenLibrary(path);
  if (!mLibrary) {
    mError = std::string("cannot load ") + path + ": " + vst2test::LibraryError();
    return;
  }
  if (auto entry = reinterpret_cast<ModuleEntryProc>(Symbol(kModuleEntryProcName))) {
    mEntered = entry(mLibrary);
  } else if (auto init = reinterpret_cast<InitModuleProc>(Symbol(kInitModuleProcName))) {
    mEntered = init();
  } else {
    mEntered = true;
  }
  auto getFactory = reinterpret_cast<GetFactoryProc>(Symbol(kGetFactoryProcName));
  if (!mEntered) {
    mError = "the module's entry call refused the load";
  } else if (!getFactory) {
    mError = "no GetPluginFactory";
  } else if (!(mFactory = getFactory())) {
    mError = "GetPluginFactory gave no factory";
  }
}

Module::~Module() {
  if (mFactory) mFactory->release();
  if (mEntered) {
    if (auto exit = reinterpret_cast<ModuleExitProc>(Symbol(kModuleExitProcName))) {
      exit();
    } else if (auto exitDll = reinterpret_cast<ExitModuleProc>(Symbol(kExitModuleProcName))) {
      exitDll();
    }
  }
  if (mLibrary) vst2test::CloseLibrary(mLibrary);
}

void* Module::Symbol(const char* name) const { return mLibrary ? vst2test::FindSymbol(mLibrary, name) : nullptr; }

Uid MorvaneCid() { return MakeUid(0x1DD26F6D, 0xA531D314, 0xBA22DD82, 0xD8F20588); }

// ---- an instance --------------------------------------------------------------------------------

namespace {

template <class I>
I* Query(FUnknown* object) {
  void* found = nullptr;
  if (!object || object->queryInterface(I::iid.bytes, &found) != kResultOk) return nullptr;
  return static_cast<I*>(found);
}

}  // namespace

Instance::Instance(IPluginFactory* factory) {
  void* made = nullptr;
  if (!factory || factory->createInstance(MorvaneCid().bytes, IComponent::iid.bytes, &made) != kResultOk) return;
  component = static_cast<IComponent*>(made);
  if (component->initialize(&host) != kResultOk) {
    component->release();
    component = nullptr;
    return;
  }
  processor = Query<IAudioProcessor>(component);
  controller = Query<IEditController>(component);
}

Instance::~Instance() {
  if (controller) controller->release();
  if (processor) processor->release();
  if (component) {
    component->terminate();
    component->release();
  }
}

bool Instance::Start(int32 sampleSize, double rate, int32 maxBlock) {
  ProcessSetup setup = {kRealtime, sampleSize, maxBlock, rate};
  return processor->setupProcessing(&setup) == kResultOk &&
         component->activateBus(kAudio, kInput, 0, 1) == kResultOk &&
         component->activateBus(kAudio, kOutput, 0, 1) == kResultOk && component->setActive(1) == kResultOk &&
         processor->setProcessing(1) == kResultOk;
}

void Instance::Stop() {
  processor->setProcessing(0);
  component->setActive(0);
}

template <class T>
tresult Instance::ProcessAny(T** in, T** out, int channels, int32 frames, int32 sampleSize, ParamChanges* changes,
                             ParamChanges* outChanges) {
  AudioBusBuffers inBus = {};
  AudioBusBuffers outBus = {};
  inBus.numChannels = channels;
  outBus.numChannels = channels;
  if (sampleSize == kSample64) {
    inBus.channelBuffers64 = reinterpret_cast<Sample64**>(in);
    outBus.channelBuffers64 = reinterpret_cast<Sample64**>(out);
  } else {
    inBus.channelBuffers32 = reinterpret_cast<Sample32**>(in);
    outBus.channelBuffers32 = reinterpret_cast<Sample32**>(out);
  }
  ProcessData data = {};
  data.processMode = kRealtime;
  data.symbolicSampleSize = sampleSize;
  data.numSamples = frames;
  data.numInputs = 1;
  data.numOutputs = 1;
  data.inputs = &inBus;
  data.outputs = &outBus;
  data.inputParameterChanges = changes;
  data.outputParameterChanges = outChanges;
  const tresult result = processor->process(&data);
  silenceFlags = outBus.silenceFlags;
  return result;
}

tresult Instance::Process(float** in, float** out, int channels, int32 frames, ParamChanges* changes,
                          ParamChanges* outChanges) {
  return ProcessAny(in, out, channels, frames, kSample32, changes, outChanges);
}

tresult Instance::Process(double** in, double** out, int channels, int32 frames, ParamChanges* changes,
                          ParamChanges* outChanges) {
  return ProcessAny(in, out, channels, frames, kSample64, changes, outChanges);
}

std::vector<unsigned char> Instance::State() {
  MemoryStream stream;
  if (component->getState(&stream) != kResultOk) return {};
  return stream.bytes;
}

tresult Instance::SetState(const std::vector<unsigned char>& bytes) {
  MemoryStream stream(bytes);
  return component->setState(&stream);
}

// ---- the VST2 library -------------------------------------------------------------------------------

void Vst2Effect::SetChannels(int channels) const {
  VstSpeakerArrangement in = {}, out = {};
  in.numChannels = out.numChannels = channels;
  in.type = out.type = channels == 1 ? kSpeakerArrMono : kSpeakerArrStereo;
  Dispatch(effMainsChanged, 0, 0);
  Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out);
  Dispatch(effMainsChanged, 0, 1);
}

// ---- helpers -----------------------------------------------------------------------------------------

std::vector<double> DrumInput(int frames, uint32_t seed) {
  std::vector<double> out = hosttest::DrumInput(frames, seed);
  for (double& x : out) x = static_cast<float>(x);
  return out;
}

std::string Utf8(const char16* text) {
  char buffer[512];
  CopyFromUtf16(buffer, sizeof buffer, text, 128);
  return buffer;
}

}  // namespace vst3test
