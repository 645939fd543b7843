#include "framework/lv2/Lv2Plugin.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "framework/ConstructionLock.h"
#include "framework/IEffectBase.h"
#include "framework/Lock.h"
#include "framework/StateChunk.h"
#include "framework/lv2/Lv2Description.h"
#include "framework/lv2/Lv2Features.h"

namespace {

class Lv2Instance {
public:
  Lv2Instance(IEffectBase* effect, LV2_URID_Map* map)
      : mDesc(Lv2PluginDescription()), mEffect(effect), mMap(map) {
    const int nParams = mEffect->ParamCount();
    mInputs.assign(static_cast<size_t>(mDesc.nAudioIn), nullptr);
    mOutputs.assign(static_cast<size_t>(mDesc.nAudioOut), nullptr);
    mParamPorts.assign(static_cast<size_t>(nParams), nullptr);
    mApplied.assign(static_cast<size_t>(nParams), kNotApplied);
    mMeterPorts.assign(static_cast<size_t>(mDesc.nMeters), nullptr);
    mMeterValues.assign(static_cast<size_t>(mDesc.nMeters), 0.0f);
    if (mMap) {
      mStateKey = mMap->map(mMap->handle, mDesc.stateKey);
      mChunkType = mMap->map(mMap->handle, LV2_ATOM__Chunk);
    }
  }

  void Connect(uint32_t port, void* data) {
    const uint32_t firstParam = static_cast<uint32_t>(mDesc.FirstParamPort());
    const uint32_t firstMeter = firstParam + static_cast<uint32_t>(mParamPorts.size());
    if (port < static_cast<uint32_t>(mDesc.nAudioIn)) {
      mInputs[port] = static_cast<float*>(data);
    } else if (port < firstParam) {
      mOutputs[port - static_cast<uint32_t>(mDesc.nAudioIn)] = static_cast<float*>(data);
    } else if (port < firstMeter) {
      mParamPorts[port - firstParam] = static_cast<const float*>(data);
    } else if (port - firstMeter < mMeterPorts.size()) {
      mMeterPorts[port - firstMeter] = static_cast<float*>(data);
    }
  }

  void Activate() {
    ILockGuard guard(mEffect->Lock());
    mEffect->OnActiveChanged(true);
  }

  void Deactivate() {
    ILockGuard guard(mEffect->Lock());
    mEffect->OnActiveChanged(false);
    mEffect->Reset();
  }

  void Run(uint32_t sampleCount) {
    ILockGuard guard(mEffect->Lock());
    ApplyChangedPorts();
    const int nFrames = static_cast<int>(std::min<uint32_t>(sampleCount, std::numeric_limits<int>::max()));
    bool allConnected = true;
    for (float* in : mInputs) allConnected = allConnected && in;
    for (float* out : mOutputs) allConnected = allConnected && out;
    if (allConnected) {
      mEffect->ProcessHostSingle(mInputs.data(), mOutputs.data(), nFrames, false);
    } else {
      for (float* out : mOutputs) {
        if (out) std::memset(out, 0, sizeof(float) * static_cast<size_t>(nFrames));
      }
    }
    if (!mMeterValues.empty()) {
      ReadLv2Meters(mEffect.get(), nFrames, mMeterValues.data());
      for (size_t m = 0; m < mMeterPorts.size(); ++m) {
        if (mMeterPorts[m]) *mMeterPorts[m] = mMeterValues[m];
      }
    }
  }

  LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle) {
    if (!mMap) return LV2_STATE_ERR_NO_FEATURE;
    StateChunk chunk;
    if (!mEffect->GetProgramChunk(&chunk)) return LV2_STATE_ERR_UNKNOWN;
    return store(handle, mStateKey, chunk.GetBytes(), static_cast<size_t>(chunk.Size()), mChunkType,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
  }

  // Takes only a value of the chunk type, of the size this plug-in saves,
  // that starts with the chunk header.
  LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
    if (!mMap) return LV2_STATE_ERR_NO_FEATURE;
    size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* value = retrieve(handle, mStateKey, &size, &type, &flags);
    if (!value) return LV2_STATE_ERR_NO_PROPERTY;
    if (type != mChunkType) return LV2_STATE_ERR_BAD_TYPE;
    StateChunk expected;
    if (!mEffect->GetProgramChunk(&expected)) return LV2_STATE_ERR_UNKNOWN;
    if (size != static_cast<size_t>(expected.Size())) return LV2_STATE_ERR_UNKNOWN;
    StateChunk chunk;
    chunk.PutBytes(value, static_cast<int>(size));
    int pos = 0;
    if (chunk.Size() != expected.Size() || StateChunk::ReadChunkHeader(chunk, &pos) != StateChunk::kFormatVersion) {
      return LV2_STATE_ERR_UNKNOWN;
    }
    ILockGuard guard(mEffect->Lock());
    if (!mEffect->SetProgramChunk(chunk)) return LV2_STATE_ERR_UNKNOWN;
    mApplied.assign(mApplied.size(), kNotApplied);
    return LV2_STATE_SUCCESS;
  }

private:
  // A last-applied value that no port holds: the next run applies the port.
  static constexpr float kNotApplied = std::numeric_limits<float>::quiet_NaN();

  // [audio, instance lock held]
  void ApplyChangedPorts() {
    for (size_t i = 0; i < mParamPorts.size(); ++i) {
      if (!mParamPorts[i]) continue;
      const float v = *mParamPorts[i];
      // A NaN from the host is ignored, as the parameter itself ignores it.
      if (std::isnan(v) || v == mApplied[i]) continue;
      mApplied[i] = v;
      const int idx = static_cast<int>(i);
      mEffect->GetParam(idx)->Set(v);
      mEffect->ParamChanged(idx);
    }
  }

  const Lv2Description& mDesc;
  std::unique_ptr<IEffectBase> mEffect;
  LV2_URID_Map* mMap;  // null when the host gave none: no state then
  LV2_URID mStateKey = 0;
  LV2_URID mChunkType = 0;
  std::vector<float*> mInputs;   // read only, though typed for ProcessHostSingle
  std::vector<float*> mOutputs;
  std::vector<const float*> mParamPorts;
  std::vector<float> mApplied;   // the port value each parameter last took
  std::vector<float*> mMeterPorts;
  std::vector<float> mMeterValues;
};

Lv2Instance* InstanceOf(LV2_Handle handle) { return static_cast<Lv2Instance*>(handle); }

extern "C" {

static LV2_Handle Instantiate(const LV2_Descriptor* /*descriptor*/, double rate, const char* /*bundlePath*/,
                              const LV2_Feature* const* features) {
  if (!(rate > 0.0) || !std::isfinite(rate)) return nullptr;
  auto* map = static_cast<LV2_URID_Map*>(lv2::FeatureData(features, LV2_URID__map));
  const auto* options = static_cast<const LV2_Options_Option*>(lv2::FeatureData(features, LV2_OPTIONS__options));
  ILockGuard construction(ConstructionLock());
  IEffectBase* effect = CreateLv2Effect();
  if (!effect) return nullptr;
  {
    ILockGuard guard(effect->Lock());
    effect->FillDefaultPresets("Empty", effect->PresetCount());
    effect->SetSampleRate(rate);
    double length = 0.0;
    if (lv2::NumericOption(options, map, LV2_BUF_SIZE__maxBlockLength, &length) ||
        lv2::NumericOption(options, map, LV2_BUF_SIZE__nominalBlockLength, &length)) {
      if (length >= 1.0 && length <= IEffectBase::kMaxBlockSize) effect->SetBlockSize(static_cast<int>(length));
    }
    effect->Reset();
    effect->NotifyAllParams();
  }
  return new Lv2Instance(effect, map);
}

static void ConnectPort(LV2_Handle handle, uint32_t port, void* data) { InstanceOf(handle)->Connect(port, data); }
static void Activate(LV2_Handle handle) { InstanceOf(handle)->Activate(); }
static void Run(LV2_Handle handle, uint32_t sampleCount) { InstanceOf(handle)->Run(sampleCount); }
static void Deactivate(LV2_Handle handle) { InstanceOf(handle)->Deactivate(); }
static void Cleanup(LV2_Handle handle) { delete InstanceOf(handle); }

static LV2_State_Status SaveState(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state,
                                  uint32_t /*flags*/, const LV2_Feature* const* /*features*/) {
  return InstanceOf(handle)->Save(store, state);
}

static LV2_State_Status RestoreState(LV2_Handle handle, LV2_State_Retrieve_Function retrieve,
                                     LV2_State_Handle state, uint32_t /*flags*/,
                                     const LV2_Feature* const* /*features*/) {
  return InstanceOf(handle)->Restore(retrieve, state);
}

static const void* ExtensionData(const char* uri) {
  static const LV2_State_Interface kState = {SaveState, RestoreState};
  if (uri && std::strcmp(uri, LV2_STATE__interface) == 0) return &kState;
  return nullptr;
}

}  // extern "C"

}  // namespace

const LV2_Descriptor* Lv2PluginDescriptor() {
  static const LV2_Descriptor kDescriptor = {Lv2PluginDescription().uri, Instantiate, ConnectPort, Activate,
                                             Run, Deactivate, Cleanup, ExtensionData};
  return &kDescriptor;
}
