#include "framework/IEffectBase.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/CopyText.h"
#include "framework/Trace.h"

namespace {

double* ScratchOf(const GrowBuffer& scratch) {
  return scratch.Size() > 0 ? static_cast<double*>(scratch.Data()) : nullptr;
}

// Output i receives input i where there is one, silence otherwise.
template <class T>
void PassThrough(T** inputs, T** outputs, int nFrames, int nIn, int nOut) {
  if (!outputs || nFrames <= 0) return;
  const size_t bytes = static_cast<size_t>(nFrames) * sizeof(T);
  for (int i = 0; i < nOut; ++i) {
    T* out = outputs[i];
    if (!out) continue;
    const T* in = (inputs && i < nIn) ? inputs[i] : nullptr;
    if (in) {
      if (in != out) std::memmove(out, in, bytes);
    } else {
      for (int s = 0; s < nFrames; ++s) out[s] = T(0);
    }
  }
}

// Writes nFrames zeros into the host outputs of the connected channels.
template <class T>
void SilenceConnected(const IEffectBase& base, T** outputs, int nFrames) {
  if (!outputs) return;
  int k = 0;
  for (int i = 0; i < base.OutputCount(); ++i) {
    if (!base.GetOutput(i)->connected) continue;
    T* host = outputs[k++];
    if (host) for (int s = 0; s < nFrames; ++s) host[s] = T(0);
  }
}

}  // namespace

IEffectBase::IEffectBase(const IEffectConfig& config)
    : mUniqueID(config.uniqueID),
      mMakerID(config.makerID),
      mVersion(config.version),
      mPluginApi(0),
      mHost(-1),
      mHostVersion(0),
      mUsesChunks(config.usesChunks),
      mIsInstrument(config.isInstrument),
      mWantsMidi(config.wantsMidi),
      mPresetIndex(0),
      mSampleRate(44100.0),
      mBlockSize(0),
      mLatency(config.latency),
      mTailSize(0),
      mEditor(nullptr) {
  for (int i = 0; i < config.nParams; ++i) mParams.Add(new IParameter());
  for (int i = 0; i < config.nPresets; ++i) mPresets.Add(new IPresetSlot());

  CopyTextBounded(mEffectName, sizeof mEffectName, config.effectName);
  CopyTextBounded(mProductName, sizeof mProductName, config.productName);
  CopyTextBounded(mMakerName, sizeof mMakerName, config.makerName);

  // "%d-%d" from each position; the next pair starts after the next space.
  int maxIn = 0;
  int maxOut = 0;
  const char* p = config.channelIOStr ? config.channelIOStr : "";
  for (;;) {
    int nIn = 0;
    int nOut = 0;
    std::sscanf(p, "%d-%d", &nIn, &nOut);
    ChannelConfig* pair = mChannelConfigs.Add(new ChannelConfig());
    if (pair) {
      pair->nIn = nIn;
      pair->nOut = nOut;
    }
    if (nIn > maxIn) maxIn = nIn;
    if (nOut > maxOut) maxOut = nOut;
    const char* space = std::strchr(p, ' ');
    if (!space) break;
    p = space + 1;
  }

  const int64_t inBytes = static_cast<int64_t>(maxIn) * static_cast<int64_t>(sizeof(double*));
  const int64_t outBytes = static_cast<int64_t>(maxOut) * static_cast<int64_t>(sizeof(double*));
  if (inBytes <= INT32_MAX && mInputPtrs.Resize(static_cast<int>(inBytes)) && mInputPtrs.Size() == inBytes) {
    auto** slots = static_cast<double**>(mInputPtrs.Data());
    for (int i = 0; i < maxIn; ++i) {
      slots[i] = nullptr;
      InputChannel* ch = mInputs.Add(new InputChannel());
      if (ch) ch->src = &slots[i];
    }
  }
  if (outBytes <= INT32_MAX && mOutputPtrs.Resize(static_cast<int>(outBytes)) && mOutputPtrs.Size() == outBytes) {
    auto** slots = static_cast<double**>(mOutputPtrs.Data());
    for (int i = 0; i < maxOut; ++i) {
      slots[i] = nullptr;
      OutputChannel* ch = mOutputs.Add(new OutputChannel());
      if (ch) ch->dest = &slots[i];
    }
  }

  char stamp[32];
  TraceTimeStamp(stamp, sizeof stamp);
  Trace("IEffectBase::IEffectBase", __LINE__, "%s %s", stamp, mEffectName);
}

IEffectBase::~IEffectBase() {
  delete mEditor;
  mEditor = nullptr;
  mParams.DeleteAll();
  mPresets.DeleteAll();
  mInputs.DeleteAll();
  mOutputs.DeleteAll();
  mChannelConfigs.DeleteAll();
}

void IEffectBase::Reset() { ILockGuard guard(mLock); }

void IEffectBase::ParamChanged(int /*paramIdx*/) { ILockGuard guard(mLock); }

void IEffectBase::ProcessBlock(double** inputs, double** outputs, int nFrames) {
  PassThrough(inputs, outputs, nFrames, InputCount(), OutputCount());
}

void IEffectBase::ProcessBlockSingle(float** inputs, float** outputs, int nFrames) {
  PassThrough(inputs, outputs, nFrames, InputCount(), OutputCount());
}

void IEffectBase::OnEditorOpened() {}
void IEffectBase::OnEditorClosed() {}
void IEffectBase::UnusedHookSlot7() {}
void IEffectBase::OnActiveChanged(bool /*active*/) { ILockGuard guard(mLock); }
void IEffectBase::HandleMidi(const IMidiMessage* msg) {
  if (msg) SendMidi(msg);
}
void IEffectBase::HandleSysEx(const ISysExMessage* /*msg*/) {}

bool IEffectBase::GetNoteName(int /*noteNumber*/, char* name) {
  if (name) name[0] = '\0';
  return false;
}

bool IEffectBase::SaveState(StateChunk* chunk) { return SerializeParams(chunk); }

int IEffectBase::LoadState(const StateChunk* chunk, int startPos) { return UnserializeParams(chunk, startPos); }

bool IEffectBase::StateMatches(const uint8_t* data, int startPos) {
  if (!data || startPos < 0) return false;
  ILockGuard guard(mLock);
  for (int i = 0; i < ParamCount(); ++i) {
    double stored = 0.0;
    // Positions count whole doubles: value i is the (startPos + i)-th double of data.
    const size_t pos = (static_cast<size_t>(startPos) + static_cast<size_t>(i)) * sizeof(double);
    std::memcpy(&stored, data + pos, sizeof stored);
    const float a = static_cast<float>(GetParam(i)->Value());
    const float b = static_cast<float>(stored);
    const float diff = a > b ? a - b : b - a;
    if (!(diff < 1e-5f)) return false;
  }
  return true;
}

void IEffectBase::OnEditorResized() {}
bool IEffectBase::UnusedQuerySlot16() { return false; }
void IEffectBase::OnHostKnown() {}
void IEffectBase::ShowHostParamMenu(int /*paramIdx*/, int /*x*/, int /*y*/) {}

void IEffectBase::SetParamFromEditor(int paramIdx, double normalizedValue) {
  ILockGuard guard(mLock);
  IParameter* param = GetParam(paramIdx);
  // A NaN would reach neither the parameter nor, as an automation value, the host.
  if (!param || std::isnan(normalizedValue)) return;
  param->SetFromNormalized(normalizedValue);
  NotifyHostOfParam(paramIdx, normalizedValue);
  ParamChanged(paramIdx);
}

bool IEffectBase::IsOffline() { return false; }
EHostKind IEffectBase::IdentifyHost() { return static_cast<EHostKind>(mHost); }
int IEffectBase::GetPluginApi() { return mPluginApi; }
void IEffectBase::InitForHost() {}

void IEffectBase::AttachEditor(IEditor* editor) {
  if (!editor) return;
  ILockGuard guard(mLock);
  for (int i = 0; i < ParamCount(); ++i) editor->ParamValueChanged(i, GetParam(i)->NormalizedValue());
  // The base owns its editor: a replaced one would otherwise leak.
  if (mEditor && mEditor != editor) delete mEditor;
  mEditor = editor;
}

bool IEffectBase::RequestEditorSize(int /*width*/, int /*height*/) { return false; }

void IEffectBase::SetLatency(int samples) { mLatency = samples; }
bool IEffectBase::SendSysExMessage(const ISysExMessage* /*msg*/) { return false; }

void IEffectBase::RefreshParamControls() {
  if (!mEditor) return;
  for (int i = 0; i < ParamCount(); ++i) mEditor->ParamValueChanged(i, GetParam(i)->NormalizedValue());
}

void IEffectBase::UnusedHookSlot38() {}
void IEffectBase::OnPresetsEdited() {}

void IEffectBase::SetBlockSize(int blockSize) {
  if (blockSize == mBlockSize) return;
  const int64_t bytes = blockSize > 0 ? static_cast<int64_t>(blockSize) * static_cast<int64_t>(sizeof(double)) : 0;
  bool ok = bytes <= INT32_MAX;
  auto resize = [&](GrowBuffer& scratch) {
    if (!ok) return;
    scratch.Resize(static_cast<int>(bytes));
    if (scratch.Size() != bytes) {
      ok = false;
      return;
    }
    if (bytes > 0) std::memset(scratch.Data(), 0, static_cast<size_t>(bytes));
  };
  for (int i = 0; i < InputCount(); ++i) resize(GetInput(i)->scratch);
  for (int i = 0; i < OutputCount(); ++i) resize(GetOutput(i)->scratch);
  // A scratch buffer may have moved; disconnected channels must not keep its old address.
  PointDisconnectedAtScratch();
  if (!ok) {
    // Every scratch buffer still holds at least the old block size, so keeping it stays safe.
    Trace("IEffectBase::SetBlockSize", __LINE__, "%d: scratch buffers could not grow", blockSize);
    return;
  }
  mBlockSize = blockSize;
}

bool IEffectBase::LegalIO(int nIn, int nOut) {
  bool legal = false;
  for (int i = 0; i < ChannelConfigCount(); ++i) {
    const ChannelConfig* pair = GetChannelConfig(i);
    if (pair->nIn == nIn && (nOut == -1 || pair->nOut == nOut)) {
      legal = true;
      break;
    }
  }
  Trace("IEffectBase::LegalIO", __LINE__, "%d:%d:%s", nIn, nOut, legal ? "legal" : "illegal");
  return legal;
}

void IEffectBase::NotifyAllParams() {
  for (int i = 0; i < ParamCount(); ++i) ParamChanged(i);
}

void IEffectBase::LimitToStereo() {
  for (int i = 2; i < InputCount(); ++i) SetInputConnected(i, false);
  for (int i = 2; i < OutputCount(); ++i) GetOutput(i)->connected = true;
}

void IEffectBase::SetInputConnected(int idx, bool connected) {
  InputChannel* ch = GetInput(idx);
  if (!ch) return;
  ch->connected = connected;
  if (!connected) *ch->src = ScratchOf(ch->scratch);
}

void IEffectBase::SetOutputConnected(int idx, bool connected) {
  OutputChannel* ch = GetOutput(idx);
  if (!ch) return;
  ch->connected = connected;
  if (!connected) {
    *ch->dest = ScratchOf(ch->scratch);
    ch->floatDest = nullptr;
  }
}

void IEffectBase::PointDisconnectedAtScratch() {
  for (int i = 0; i < InputCount(); ++i) {
    InputChannel* ch = GetInput(i);
    if (!ch->connected) *ch->src = ScratchOf(ch->scratch);
  }
  for (int i = 0; i < OutputCount(); ++i) {
    OutputChannel* ch = GetOutput(i);
    if (!ch->connected) *ch->dest = ScratchOf(ch->scratch);
  }
}

int IEffectBase::ScratchFrames() const {
  if (mBlockSize <= 0) return 0;
  int frames = mBlockSize;
  const int perSample = static_cast<int>(sizeof(double));
  for (int i = 0; i < InputCount(); ++i) {
    const int n = GetInput(i)->scratch.Size() / perSample;
    if (n < frames) frames = n;
  }
  for (int i = 0; i < OutputCount(); ++i) {
    const int n = GetOutput(i)->scratch.Size() / perSample;
    if (n < frames) frames = n;
  }
  return frames;
}

void IEffectBase::BindInputBuffers(double** inputs) { BindDoubleInputsAt(inputs, 0, ScratchFrames()); }

void IEffectBase::BindOutputBuffers(double** outputs) { BindDoubleOutputsAt(outputs, 0); }

// A host that leaves out a buffer gets the channel treated as disconnected
// for the call. A disconnected input reads silence: its scratch buffer is
// cleared for the frames of the call, since it may still hold what an
// earlier single-precision call widened into it.
void IEffectBase::BindDoubleInputsAt(double** inputs, int start, int nFrames) {
  int k = 0;
  for (int i = 0; i < InputCount(); ++i) {
    InputChannel* ch = GetInput(i);
    double* host = nullptr;
    if (ch->connected) host = inputs ? inputs[k++] : nullptr;
    if (host) {
      *ch->src = host + start;
      continue;
    }
    double* scratch = ScratchOf(ch->scratch);
    *ch->src = scratch;
    if (scratch && nFrames > 0) std::memset(scratch, 0, static_cast<size_t>(nFrames) * sizeof(double));
  }
}

void IEffectBase::BindDoubleOutputsAt(double** outputs, int start) {
  int k = 0;
  for (int i = 0; i < OutputCount(); ++i) {
    OutputChannel* ch = GetOutput(i);
    double* host = nullptr;
    if (ch->connected) host = outputs ? outputs[k++] : nullptr;
    *ch->dest = host ? host + start : ScratchOf(ch->scratch);
  }
}

void IEffectBase::BindInputBuffers(float** inputs, int start, int nFrames) {
  const int limit = ScratchFrames();
  if (nFrames > limit) nFrames = limit;
  int k = 0;
  for (int i = 0; i < InputCount(); ++i) {
    InputChannel* ch = GetInput(i);
    double* scratch = ScratchOf(ch->scratch);
    *ch->src = scratch;
    const float* host = nullptr;
    if (ch->connected) host = inputs ? inputs[k++] : nullptr;
    if (!scratch || nFrames <= 0) continue;
    if (host) {
      host += start;
      for (int s = 0; s < nFrames; ++s) scratch[s] = host[s];
    } else {
      for (int s = 0; s < nFrames; ++s) scratch[s] = 0.0;
    }
  }
}

void IEffectBase::BindOutputBuffers(float** outputs, int start) {
  int k = 0;
  for (int i = 0; i < OutputCount(); ++i) {
    OutputChannel* ch = GetOutput(i);
    *ch->dest = ScratchOf(ch->scratch);
    if (!ch->connected) continue;
    float* host = outputs ? outputs[k] : nullptr;
    ++k;
    ch->floatDest = host ? host + start : nullptr;
  }
}

void IEffectBase::RunBlock(int nFrames) {
  ProcessBlock(static_cast<double**>(mInputPtrs.Data()), static_cast<double**>(mOutputPtrs.Data()), nFrames);
}

void IEffectBase::RunBlockSingle(int nFrames) { RunAndNarrow(nFrames, false); }

void IEffectBase::RunBlockAccumulating(int nFrames) { RunAndNarrow(nFrames, true); }

void IEffectBase::RunAndNarrow(int nFrames, bool accumulating) {
  const int limit = ScratchFrames();
  if (nFrames > limit) nFrames = limit;
  if (nFrames <= 0) return;
  RunBlock(nFrames);
  for (int i = 0; i < OutputCount(); ++i) {
    OutputChannel* ch = GetOutput(i);
    const double* src = *ch->dest;
    float* dest = ch->floatDest;
    if (!ch->connected || !src || !dest) continue;
    if (accumulating) {
      for (int s = 0; s < nFrames; ++s) dest[s] += static_cast<float>(src[s]);
    } else {
      for (int s = 0; s < nFrames; ++s) dest[s] = static_cast<float>(src[s]);
    }
  }
}

void IEffectBase::ProcessHostDouble(double** inputs, double** outputs, int nFrames) {
  if (nFrames <= 0) return;
  // Every channel must have a host buffer for the direct path; a scratch
  // buffer standing in for one holds only the block size.
  bool direct = true;
  int k = 0;
  for (int i = 0; i < InputCount(); ++i) {
    if (!GetInput(i)->connected || !inputs || !inputs[k++]) direct = false;
  }
  k = 0;
  for (int i = 0; i < OutputCount(); ++i) {
    if (!GetOutput(i)->connected || !outputs || !outputs[k++]) direct = false;
  }
  if (direct) {
    BindInputBuffers(inputs);
    BindOutputBuffers(outputs);
    RunBlock(nFrames);
    return;
  }
  const int piece = ScratchFrames();
  if (piece <= 0) {
    SilenceConnected(*this, outputs, nFrames);
    return;
  }
  for (int start = 0; start < nFrames; start += piece) {
    const int n = nFrames - start < piece ? nFrames - start : piece;
    BindDoubleInputsAt(inputs, start, n);
    BindDoubleOutputsAt(outputs, start);
    RunBlock(n);
  }
}

void IEffectBase::ProcessHostSingle(float** inputs, float** outputs, int nFrames, bool accumulating) {
  if (nFrames <= 0) return;
  const int piece = ScratchFrames();
  if (piece <= 0) {
    if (!accumulating) SilenceConnected(*this, outputs, nFrames);
    return;
  }
  for (int start = 0; start < nFrames; start += piece) {
    const int n = nFrames - start < piece ? nFrames - start : piece;
    BindInputBuffers(inputs, start, n);
    BindOutputBuffers(outputs, start);
    if (accumulating) {
      RunBlockAccumulating(n);
    } else {
      RunBlockSingle(n);
    }
  }
}

void FormatVersion(int32_t version, char* out, int outSize) {
  if (!out || outSize < 1) return;
  std::snprintf(out, static_cast<size_t>(outSize), "v%d.%d.%d", (version >> 16) & 0xFFFF, (version >> 8) & 0xFF,
                version & 0xFF);
}
