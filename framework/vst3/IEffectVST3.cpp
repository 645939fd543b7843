#include "framework/vst3/IEffectVST3.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/NumberText.h"
#include "framework/StateChunk.h"
#include "framework/vst3/IVst3EditorView.h"

using namespace vst3;

namespace {

// Texts of the parameters the adapter adds.
constexpr char kBypassTitle[] = "Bypass";
constexpr char kBypassOn[] = "On";
constexpr char kBypassOff[] = "Off";
constexpr char kInputBusName[] = "Input";
constexpr char kOutputBusName[] = "Output";

// The controller's own state: "M3CS", the version and the count of values
// (int32 each), then the values (float64): the bypass. Little-endian, as the
// state chunk writes them.
constexpr unsigned char kControllerMagic[4] = {'M', '3', 'C', 'S'};
constexpr int32_t kControllerStateVersion = 1;
constexpr int kControllerStateBytes = 4 + 4 + 4 + 8;

double Clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

// A stepped parameter's number of steps; 0 for a continuous one.
int32 StepCount(const IParameter* param) {
  if (param->Type() == IParameter::kParamDouble || !(param->Step() > 0.0)) return 0;
  const double steps = std::floor((param->Max() - param->Min()) / param->Step() + 0.5);
  return steps > 0.0 && steps < static_cast<double>(INT_MAX) ? static_cast<int32>(steps) : 0;
}

// The channel pointers of a bus for a piece starting at `start`: one per
// channel the plug-in has connected, null where the host gives none.
template <class T>
void PieceChannels(const AudioBusBuffers* bus, T** (*channels)(const AudioBusBuffers&), int count, int32 start,
                   T** out) {
  T** host = bus ? channels(*bus) : nullptr;
  for (int c = 0; c < count; ++c) out[c] = (host && c < bus->numChannels && host[c]) ? host[c] + start : nullptr;
}

Sample32** Channels32(const AudioBusBuffers& bus) { return bus.channelBuffers32; }
Sample64** Channels64(const AudioBusBuffers& bus) { return bus.channelBuffers64; }

// The silence flags of the first `channels` channels of a bus after a block:
// a bit for each channel that holds only zeros.
template <class T>
uint64 SilentChannels(const AudioBusBuffers& bus, T** buffers, int channels, int32 frames) {
  uint64 flags = 0;
  for (int c = 0; c < channels && c < bus.numChannels && c < 64; ++c) {
    const T* samples = buffers ? buffers[c] : nullptr;
    if (!samples) continue;
    int32 i = 0;
    while (i < frames && samples[i] == T(0)) ++i;
    if (i == frames) flags |= uint64(1) << c;
  }
  return flags;
}

// The input unchanged: copied where the buffers differ, silence where there is no input.
template <class T>
void PassThrough(T** inputs, T** outputs, int channels, int32 frames) {
  for (int c = 0; c < channels; ++c) {
    if (!outputs[c]) continue;
    if (!inputs[c]) {
      for (int32 i = 0; i < frames; ++i) outputs[c][i] = T(0);
    } else if (inputs[c] != outputs[c]) {
      std::memmove(outputs[c], inputs[c], static_cast<size_t>(frames) * sizeof(T));
    }
  }
}

}  // namespace

// ---- construction ---------------------------------------------------------------------------

IEffectVST3* IEffectVST3::Create(const IVst3ClassDef& def) {
  IEffectVST3* effect = new IEffectVST3(def);
  if (effect->mParts) return effect;
  effect->release();
  return nullptr;
}

IEffectVST3::IEffectVST3(const IVst3ClassDef& def) : mDef(def) {
  IVst3Parts* parts = def.makeParts ? def.makeParts(this) : nullptr;
  if (!parts || !parts->Processor() || !parts->Controller()) {
    delete parts;
    return;
  }
  const int count = parts->Processor()->ParamCount();
  // The added parameters' ids must not be any of the plug-in's own.
  const bool idsApart = def.bypassId >= static_cast<ParamID>(count) && def.bypassId <= kMaxPluginParamId &&
                        (!def.meterTitle || (def.meterId >= static_cast<ParamID>(count) &&
                                             def.meterId <= kMaxPluginParamId && def.meterId != def.bypassId));
  if (!idsApart || parts->Controller()->ParamCount() != count) {
    delete parts;
    return;
  }
  mParts.reset(parts);
  mProcessor = parts->Processor();
  mController = parts->Controller();
  mParamCount = count;
  mCursors.resize(static_cast<size_t>(count) + 1);
  // What a VST2 host's opening does: the signal path takes the parameters'
  // values, on both sides.
  for (IEffectBase* plug : {mProcessor, mController}) {
    ILockGuard guard(plug->Lock());
    plug->InitForHost();
    plug->NotifyAllParams();
  }
  ILockGuard guard(mProcessor->Lock());
  ApplyChannels(2);
}

IEffectVST3::~IEffectVST3() {
  // A view holds a reference to this object, so none can be open here.
  setComponentHandler(nullptr);
}

// ---- FUnknown --------------------------------------------------------------------------------

tresult PLUGIN_API IEffectVST3::queryInterface(const TUID id, void** obj) {
  if (!obj) return kInvalidArgument;
  if (AnswerUnknown<IComponent>(id, this, obj, &IPluginBase::iid) || AnswerInterface<IComponent>(id, this, obj) ||
      AnswerInterface<IAudioProcessor>(id, this, obj) ||
      AnswerInterface<IProcessContextRequirements>(id, this, obj) ||
      AnswerInterface<IEditController>(id, this, obj)) {
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}

uint32 PLUGIN_API IEffectVST3::addRef() { return mRefs.Add(); }

uint32 PLUGIN_API IEffectVST3::release() {
  const uint32 count = mRefs.Drop();
  if (count == 0) delete this;
  return count;
}

// ---- IPluginBase ---------------------------------------------------------------------------
// Everything is made with the object, so that an instance keeps its values
// across terminate and initialize, as hosts (and the validator) expect.

tresult PLUGIN_API IEffectVST3::initialize(FUnknown* /*context*/) { return kResultOk; }

tresult PLUGIN_API IEffectVST3::terminate() {
  setComponentHandler(nullptr);
  return kResultOk;
}

// ---- IComponent -----------------------------------------------------------------------------

// The component is its own controller.
tresult PLUGIN_API IEffectVST3::getControllerClassId(TUID /*classId*/) { return kNotImplemented; }

tresult PLUGIN_API IEffectVST3::setIoMode(IoMode /*mode*/) { return kResultOk; }

int32 PLUGIN_API IEffectVST3::getBusCount(MediaType type, BusDirection dir) {
  return (type == kAudio && (dir == kInput || dir == kOutput)) ? 1 : 0;
}

tresult PLUGIN_API IEffectVST3::getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo* bus) {
  if (!bus || type != kAudio || (dir != kInput && dir != kOutput) || index != 0) return kInvalidArgument;
  ILockGuard guard(mProcessor->Lock());
  std::memset(bus, 0, sizeof *bus);
  bus->mediaType = kAudio;
  bus->direction = dir;
  bus->channelCount = mChannels;
  CopyToUtf16(bus->name, 128, dir == kInput ? kInputBusName : kOutputBusName);
  bus->busType = kMain;
  bus->flags = BusInfo::kDefaultActive;
  return kResultOk;
}

tresult PLUGIN_API IEffectVST3::getRoutingInfo(RoutingInfo* /*inInfo*/, RoutingInfo* /*outInfo*/) {
  return kNotImplemented;
}

// The processing trusts the buffers the host passes for each bus, active or
// not (an inactive bus has null channels or none), so activating only
// checks the bus.
tresult PLUGIN_API IEffectVST3::activateBus(MediaType type, BusDirection dir, int32 index, TBool /*state*/) {
  return (type == kAudio && (dir == kInput || dir == kOutput) && index == 0) ? kResultOk : kInvalidArgument;
}

// As a VST2 host's effMainsChanged.
tresult PLUGIN_API IEffectVST3::setActive(TBool state) {
  ILockGuard guard(mProcessor->Lock());
  if (state) {
    mActive = true;
    mMeterSent = -1.0;
    mProcessor->OnActiveChanged(true);
  } else {
    mActive = false;
    mProcessor->OnActiveChanged(false);
    mProcessor->Reset();
  }
  return kResultOk;
}

// ---- the component's state: the program chunk --------------------------------------------------

bool IEffectVST3::ReadComponentState(IBStream* state, StateChunk* chunk) const {
  const int size = StateChunk::kHeaderSize + mParamCount * static_cast<int>(sizeof(double));
  // One byte more than the chunk: a longer state is not ours either.
  chunk->Resize(size + 1);
  if (chunk->Size() != size + 1 || ReadStream(state, chunk->GetBytes(), size + 1) != size) return false;
  chunk->Resize(size);
  int pos = 0;
  return StateChunk::ReadChunkHeader(*chunk, &pos) != 0 && pos == StateChunk::kHeaderSize;
}

tresult IEffectVST3::ProcessorSetState(IBStream* state) {
  StateChunk chunk;
  if (!ReadComponentState(state, &chunk) || !mProcessor->SetProgramChunk(chunk)) return kResultFalse;
  // The controller is this object: it follows at once, whether or not the
  // host passes the state on with setComponentState.
  mController->SetProgramChunk(chunk);
  return kResultOk;
}

// As the VST2 adapter's effGetChunk for one program.
tresult IEffectVST3::ProcessorGetState(IBStream* state) {
  if (!state) return kResultFalse;
  StateChunk chunk;
  if (!mProcessor->GetProgramChunk(&chunk)) return kResultFalse;
  return WriteStream(state, chunk.GetBytes(), chunk.Size()) ? kResultOk : kResultFalse;
}

tresult PLUGIN_API IEffectVST3::setComponentState(IBStream* state) {
  StateChunk chunk;
  return ReadComponentState(state, &chunk) && mController->SetProgramChunk(chunk) ? kResultOk : kResultFalse;
}

// ---- the controller's state: the bypass ----------------------------------------------------------

tresult IEffectVST3::ControllerSetState(IBStream* state) {
  StateChunk chunk;
  chunk.Resize(kControllerStateBytes);
  if (chunk.Size() != kControllerStateBytes || ReadStream(state, chunk.GetBytes(), kControllerStateBytes) != kControllerStateBytes ||
      std::memcmp(chunk.GetBytes(), kControllerMagic, sizeof kControllerMagic) != 0) {
    return kResultFalse;
  }
  int32_t version = 0;  // the version and the count are unsigned: only 0 is refused
  int32_t count = 0;
  double bypass = 0.0;
  chunk.Get(&bypass, chunk.Get(&count, chunk.Get(&version, sizeof kControllerMagic)));
  if (version == 0 || count == 0 || std::isnan(bypass)) return kResultFalse;
  mControllerBypass.store(Clamp01(bypass));
  // One object: the processor takes the restored bypass too.
  ILockGuard guard(mProcessor->Lock());
  mBypass = bypass >= 0.5;
  return kResultOk;
}

tresult IEffectVST3::ControllerGetState(IBStream* state) {
  StateChunk chunk;
  chunk.PutBytes(kControllerMagic, sizeof kControllerMagic);
  chunk.Put(kControllerStateVersion);
  chunk.Put(int32_t{1});
  chunk.Put(mControllerBypass.load());
  return chunk.Size() == kControllerStateBytes && WriteStream(state, chunk.GetBytes(), chunk.Size()) ? kResultOk
                                                                                                       : kResultFalse;
}

// ---- IAudioProcessor -------------------------------------------------------------------------

void IEffectVST3::ApplyChannels(int channels) {
  mChannels = channels;
  for (int i = 0; i < mProcessor->InputCount(); ++i) mProcessor->SetInputConnected(i, i < channels);
  for (int i = 0; i < mProcessor->OutputCount(); ++i) mProcessor->SetOutputConnected(i, i < channels);
}

// Mono or stereo, the same on both sides, where the plug-in has that
// channel configuration; anything else is refused and the buses stay.
tresult PLUGIN_API IEffectVST3::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                   SpeakerArrangement* outputs, int32 numOuts) {
  if (numIns != 1 || numOuts != 1 || !inputs || !outputs || inputs[0] != outputs[0]) return kResultFalse;
  const int channels = inputs[0] == SpeakerArr::kStereo ? 2 : inputs[0] == SpeakerArr::kMono ? 1 : 0;
  ILockGuard guard(mProcessor->Lock());
  if (mActive || channels == 0 || !mProcessor->LegalIO(channels, channels)) return kResultFalse;
  ApplyChannels(channels);
  return kResultTrue;
}

tresult PLUGIN_API IEffectVST3::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement* arr) {
  if (!arr || (dir != kInput && dir != kOutput) || index != 0) return kInvalidArgument;
  ILockGuard guard(mProcessor->Lock());
  *arr = mChannels == 2 ? SpeakerArr::kStereo : SpeakerArr::kMono;
  return kResultTrue;
}

tresult PLUGIN_API IEffectVST3::canProcessSampleSize(int32 symbolicSampleSize) {
  return (symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64) ? kResultTrue : kResultFalse;
}

uint32 PLUGIN_API IEffectVST3::getLatencySamples() {
  const int latency = mProcessor->GetLatency();
  return latency > 0 ? static_cast<uint32>(latency) : 0;
}

uint32 PLUGIN_API IEffectVST3::getTailSamples() { return kNoTail; }

uint32 PLUGIN_API IEffectVST3::getProcessContextRequirements() { return 0; }

// As a VST2 host's effSetSampleRate and effSetBlockSize: values the signal
// path cannot use are ignored.
tresult PLUGIN_API IEffectVST3::setupProcessing(ProcessSetup* setup) {
  if (!setup) return kInvalidArgument;
  ILockGuard guard(mProcessor->Lock());
  if (setup->sampleRate > 0.0 && std::isfinite(setup->sampleRate)) mProcessor->SetSampleRate(setup->sampleRate);
  if (setup->maxSamplesPerBlock >= 1 && setup->maxSamplesPerBlock <= IEffectBase::kMaxBlockSize) {
    mProcessor->SetBlockSize(setup->maxSamplesPerBlock);
  }
  mProcessor->Reset();
  return kResultOk;
}

tresult PLUGIN_API IEffectVST3::setProcessing(TBool /*state*/) { return kResultOk; }

void IEffectVST3::LoadPoint(QueueCursor& cursor) {
  for (; cursor.next < cursor.points; ++cursor.next) {
    int32 offset = 0;
    ParamValue value = 0.0;
    if (cursor.queue->getPoint(cursor.next, &offset, &value) == kResultOk && !std::isnan(value)) {
      cursor.offset = offset;
      cursor.value = value;
      return;
    }
  }
}

void IEffectVST3::ApplyProcessorValue(int slot, double normalizedValue) {
  if (slot == mParamCount) {
    mBypass = normalizedValue >= 0.5;
    return;
  }
  mProcessor->GetParam(slot)->SetFromNormalized(normalizedValue);
  mProcessor->ParamChanged(slot);
}

int32 IEffectVST3::ApplyPointsUpTo(int32 offset, int32 limit) {
  int32 following = limit;
  for (size_t slot = 0; slot < mCursors.size(); ++slot) {
    QueueCursor& cursor = mCursors[slot];
    if (!cursor.queue) continue;
    while (cursor.next < cursor.points && cursor.offset <= offset) {
      ApplyProcessorValue(static_cast<int>(slot), cursor.value);
      ++cursor.next;
      LoadPoint(cursor);
    }
    if (cursor.next < cursor.points && cursor.offset < following) following = cursor.offset;
  }
  return following;
}

void IEffectVST3::ProcessPiece(ProcessData& data, int32 start, int32 frames) {
  const AudioBusBuffers* in = (data.numInputs > 0 && data.inputs) ? data.inputs : nullptr;
  AudioBusBuffers* out = (data.numOutputs > 0 && data.outputs) ? data.outputs : nullptr;
  if (!out || out->numChannels <= 0) return;
  const int channels = mChannels;
  if (data.symbolicSampleSize == kSample64) {
    double* ins[2] = {};
    double* outs[2] = {};
    PieceChannels(in, Channels64, channels, start, ins);
    PieceChannels(out, Channels64, channels, start, outs);
    if (mBypass) {
      PassThrough(ins, outs, channels, frames);
    } else {
      mProcessor->ProcessHostDouble(ins, outs, frames);
    }
  } else if (data.symbolicSampleSize == kSample32) {
    float* ins[2] = {};
    float* outs[2] = {};
    PieceChannels(in, Channels32, channels, start, ins);
    PieceChannels(out, Channels32, channels, start, outs);
    if (mBypass) {
      PassThrough(ins, outs, channels, frames);
    } else {
      mProcessor->ProcessHostSingle(ins, outs, frames, false);
    }
  }
}

// Hosts may skip work on an output marked silent; a channel is marked only
// where the block wrote nothing but zeros.
void IEffectVST3::MarkSilence(ProcessData& data) {
  if (data.numOutputs <= 0 || !data.outputs || data.outputs->numChannels <= 0) return;
  AudioBusBuffers& out = *data.outputs;
  if (data.symbolicSampleSize == kSample64) {
    out.silenceFlags = SilentChannels(out, out.channelBuffers64, mChannels, data.numSamples);
  } else if (data.symbolicSampleSize == kSample32) {
    out.silenceFlags = SilentChannels(out, out.channelBuffers32, mChannels, data.numSamples);
  }
}

void IEffectVST3::ReportMeter(ProcessData& data) {
  if (!mDef.meterTitle) return;
  // Asked at every block, so that the plug-in can keep its meter's time.
  double value = mParts->ReadMeter(data.numSamples);
  value = std::isnan(value) ? 1.0 : Clamp01(value);
  if (!data.outputParameterChanges || value == mMeterSent) return;
  ParamID id = mDef.meterId;
  int32 index = 0;
  IParamValueQueue* queue = data.outputParameterChanges->addParameterData(&id, &index);
  if (queue && queue->addPoint(data.numSamples - 1, value, &index) == kResultOk) mMeterSent = value;
}

// 1. The host's queues of our parameters (the plug-in's and the bypass);
//    others, and unknown ids, are ignored.
// 2. The block in pieces between the points' offsets, each point applied
//    before the frame at its offset. A flush (no frames) applies them all.
// 3. Points at or after the block's end, applied last.
// 4. The outputs' silence flags, and the meter.
tresult PLUGIN_API IEffectVST3::process(ProcessData* data) {
  if (!data) return kInvalidArgument;
  ILockGuard guard(mProcessor->Lock());

  for (QueueCursor& cursor : mCursors) cursor = QueueCursor();
  if (IParameterChanges* changes = data->inputParameterChanges) {
    const int32 count = changes->getParameterCount();
    for (int32 i = 0; i < count; ++i) {
      IParamValueQueue* queue = changes->getParameterData(i);
      if (!queue) continue;
      const ParamID id = queue->getParameterId();
      const EParamKind kind = KindOf(id);
      if (kind != EParamKind::kPlugin && kind != EParamKind::kBypass) continue;
      QueueCursor& cursor = mCursors[kind == EParamKind::kPlugin ? id : static_cast<size_t>(mParamCount)];
      cursor.queue = queue;
      cursor.points = queue->getPointCount();
      cursor.next = 0;
      LoadPoint(cursor);
    }
  }

  const int32 frames = data->numSamples > 0 ? data->numSamples : 0;
  int32 pos = 0;
  int32 next = ApplyPointsUpTo(0, frames);
  while (pos < frames) {
    ProcessPiece(*data, pos, next - pos);
    pos = next;
    next = ApplyPointsUpTo(pos, frames);
  }
  ApplyPointsUpTo(INT32_MAX, frames);
  if (frames > 0) {
    MarkSilence(*data);
    ReportMeter(*data);
  }
  return kResultOk;
}

// ---- IEditController: parameters ------------------------------------------------------------

IEffectVST3::EParamKind IEffectVST3::KindOf(ParamID id) const {
  if (id < static_cast<ParamID>(mParamCount)) return EParamKind::kPlugin;
  if (id == mDef.bypassId) return EParamKind::kBypass;
  if (mDef.meterTitle && id == mDef.meterId) return EParamKind::kMeter;
  return EParamKind::kNone;
}

int32 PLUGIN_API IEffectVST3::getParameterCount() {
  return mParamCount + 1 + (mDef.meterTitle ? 1 : 0);
}

tresult PLUGIN_API IEffectVST3::getParameterInfo(int32 paramIndex, ParameterInfo* info) {
  if (!info || paramIndex < 0 || paramIndex >= getParameterCount()) return kInvalidArgument;
  std::memset(info, 0, sizeof *info);
  info->unitId = kRootUnitId;
  if (paramIndex < mParamCount) {
    // The definitions never change after construction: no lock needed.
    const IParameter* param = mController->GetParam(paramIndex);
    info->id = static_cast<ParamID>(paramIndex);
    CopyToUtf16(info->title, 128, param->NameForHost());
    CopyToUtf16(info->shortTitle, 128, param->NameForHost());
    CopyToUtf16(info->units, 128, param->Label());
    info->stepCount = StepCount(param);
    info->defaultNormalizedValue = Clamp01(param->ToNormalized(param->Default()));
    info->flags = ParameterInfo::kCanAutomate;
    if (param->NDisplayTexts() > 0 && info->stepCount > 0) info->flags |= ParameterInfo::kIsList;
  } else if (paramIndex == mParamCount) {
    info->id = mDef.bypassId;
    CopyToUtf16(info->title, 128, kBypassTitle);
    CopyToUtf16(info->shortTitle, 128, kBypassTitle);
    info->stepCount = 1;
    info->defaultNormalizedValue = 0.0;
    info->flags = ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass;
  } else {
    info->id = mDef.meterId;
    CopyToUtf16(info->title, 128, mDef.meterTitle);
    CopyToUtf16(info->shortTitle, 128, mDef.meterTitle);
    info->stepCount = 0;
    info->defaultNormalizedValue = 0.0;
    info->flags = ParameterInfo::kIsReadOnly;
  }
  return kResultOk;
}

// The plug-in's parameters show the VST2 adapter's texts (effGetParamDisplay).
tresult PLUGIN_API IEffectVST3::getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) {
  if (!string) return kInvalidArgument;
  char text[128];
  switch (KindOf(id)) {
    case EParamKind::kPlugin:
      mController->GetParam(static_cast<int>(id))->FormatForHost(valueNormalized, true, text, sizeof text, true);
      break;
    case EParamKind::kBypass:
      std::snprintf(text, sizeof text, "%s", valueNormalized >= 0.5 ? kBypassOn : kBypassOff);
      break;
    case EParamKind::kMeter:
      FormatFixed(std::isnan(valueNormalized) ? valueNormalized : Clamp01(valueNormalized), 2, text, sizeof text);
      break;
    default:
      return kInvalidArgument;
  }
  CopyToUtf16(string, 128, text);
  return kResultOk;
}

// The plug-in's parameters read texts as the VST2 adapter's
// effString2Parameter does: a display text, or a number with '.' or ','.
tresult PLUGIN_API IEffectVST3::getParamValueByString(ParamID id, TChar* string, ParamValue* valueNormalized) {
  if (!string || !valueNormalized) return kInvalidArgument;
  char text[128];
  CopyFromUtf16(text, sizeof text, string, 128);
  switch (KindOf(id)) {
    case EParamKind::kPlugin: {
      const IParameter* param = mController->GetParam(static_cast<int>(id));
      double value;
      if (!param->ParseForHost(text, &value)) return kResultFalse;
      *valueNormalized = param->ToNormalized(value);
      return kResultOk;
    }
    case EParamKind::kBypass:
      if (std::strcmp(text, kBypassOn) == 0) {
        *valueNormalized = 1.0;
      } else if (std::strcmp(text, kBypassOff) == 0) {
        *valueNormalized = 0.0;
      } else {
        *valueNormalized = ParseNumber(text) >= 0.5 ? 1.0 : 0.0;
      }
      return kResultOk;
    case EParamKind::kMeter:
      *valueNormalized = Clamp01(ParseNumber(text));
      return kResultOk;
    default:
      return kInvalidArgument;
  }
}

ParamValue PLUGIN_API IEffectVST3::normalizedParamToPlain(ParamID id, ParamValue valueNormalized) {
  if (KindOf(id) != EParamKind::kPlugin) return valueNormalized;
  const double n = std::isnan(valueNormalized) ? valueNormalized : Clamp01(valueNormalized);
  return mController->GetParam(static_cast<int>(id))->FromNormalized(n);
}

ParamValue PLUGIN_API IEffectVST3::plainParamToNormalized(ParamID id, ParamValue plainValue) {
  if (KindOf(id) != EParamKind::kPlugin) return plainValue;
  return mController->GetParam(static_cast<int>(id))->ToNormalized(plainValue);
}

ParamValue PLUGIN_API IEffectVST3::getParamNormalized(ParamID id) {
  switch (KindOf(id)) {
    case EParamKind::kPlugin: {
      ILockGuard guard(mController->Lock());
      return mController->GetParam(static_cast<int>(id))->NormalizedValue();
    }
    case EParamKind::kBypass:
      return mControllerBypass.load();
    case EParamKind::kMeter:
      return mControllerMeter.load();
    default:
      return 0.0;
  }
}

// The host's value reaches the controller and its editor only; the host
// carries it to the processor itself.
tresult PLUGIN_API IEffectVST3::setParamNormalized(ParamID id, ParamValue value) {
  if (std::isnan(value)) return kInvalidArgument;
  value = Clamp01(value);
  switch (KindOf(id)) {
    case EParamKind::kPlugin: {
      const int index = static_cast<int>(id);
      ILockGuard guard(mController->Lock());
      mController->GetParam(index)->SetFromNormalized(value);
      if (IEditor* editor = mController->GetEditor()) editor->ParamValueChanged(index, value);
      mController->ParamChanged(index);
      return kResultOk;
    }
    case EParamKind::kBypass:
      mControllerBypass.store(value);
      return kResultOk;
    case EParamKind::kMeter:
      mControllerMeter.store(value);
      mParts->ShowMeter(value);
      return kResultOk;
    default:
      return kInvalidArgument;
  }
}

tresult PLUGIN_API IEffectVST3::setComponentHandler(IComponentHandler* handler) {
  if (handler == mHandler) return kResultOk;
  if (handler) handler->addRef();
  if (mHandler) mHandler->release();
  mHandler = handler;
  return kResultOk;
}

IPlugView* PLUGIN_API IEffectVST3::createView(FIDString name) {
  if (!name || std::strcmp(name, kEditorViewType) != 0 || !Editor()) return nullptr;
  return new IVst3EditorView(this);
}

// ---- the editor -------------------------------------------------------------------------------

IEditor* IEffectVST3::Editor() const { return mController->GetEditor(); }

// As the VST2 adapter's effEditOpen: the window is opened without the lock.
bool IEffectVST3::OpenEditor(void* parent, IVst3EditorView* view) {
  IEditor* editor = Editor();
  if (!editor || (mEditorView && mEditorView != view)) return false;
  // The editor may ask for a size while it opens: the view answers it.
  mEditorView = view;
  if (!editor->OpenWindow(parent)) {
    mEditorView = nullptr;
    return false;
  }
  ILockGuard guard(mController->Lock());
  mController->OnEditorOpened();
  return true;
}

// As the VST2 adapter's effEditClose.
void IEffectVST3::CloseEditor(IVst3EditorView* view) {
  IEditor* editor = Editor();
  if (!editor || mEditorView != view) return;
  {
    ILockGuard guard(mController->Lock());
    mController->OnEditorClosed();
  }
  // Closing may end a gesture: the view still answers meanwhile.
  editor->CloseWindow();
  mEditorView = nullptr;
}

// ---- the controller's edits, to the host ----------------------------------------------------------

void IEffectVST3::BeginEdit(int paramIdx) {
  if (mHandler) mHandler->beginEdit(static_cast<ParamID>(paramIdx));
}

void IEffectVST3::PerformEdit(int paramIdx, double normalizedValue) {
  if (mHandler) mHandler->performEdit(static_cast<ParamID>(paramIdx), normalizedValue);
}

void IEffectVST3::EndEdit(int paramIdx) {
  if (mHandler) mHandler->endEdit(static_cast<ParamID>(paramIdx));
}

bool IEffectVST3::ResizeView(int width, int height) {
  return mEditorView && mEditorView->RequestSize(width, height);
}
