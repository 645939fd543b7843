#include "tools/morvane-host/PluginHost.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

#include "common/CopyText.h"
#include "tools/morvane-host/Text.h"

#ifndef MORVANE_HOST_VENDOR_VERSION
#define MORVANE_HOST_VENDOR_VERSION 0
#endif

namespace {

// The instance the callback answers for (see the class comment).
PluginHost* gHost = nullptr;

// Generous bounds on what a record may declare before we allocate for it;
// larger numbers mean a corrupt record rather than a real plug-in.
constexpr VstInt32 kMaxChannels = 256;
constexpr VstInt32 kMaxParams = 1 << 16;
constexpr VstInt32 kMaxPrograms = 1 << 16;

constexpr size_t kTextBufferSize = 1024;

// dlsym searches the library and its dependencies; for "main" make sure the
// symbol found is defined in the library itself and not in something it links.
bool DefinedInLibrary(void* library, void* symbol) {
  link_map* map = nullptr;
  Dl_info info{};
  if (dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || !map) return false;
  if (dladdr(symbol, &info) == 0 || !info.dli_fname || !map->l_name) return false;
  return std::strcmp(info.dli_fname, map->l_name) == 0;
}

}  // namespace

const char* PrecisionName(Precision p) {
  switch (p) {
    case Precision::kDouble:
      return "double";
    case Precision::kSingle:
      return "single";
    case Precision::kAccumulate:
      return "accumulate";
  }
  return "?";
}

PluginHost::~PluginHost() {
  if (mEffect) {
    if (mResumed) Suspend();
    Close();
  }
  if (gHost == this) gHost = nullptr;
  if (mLibrary) dlclose(mLibrary);
}

bool PluginHost::Load(const std::string& path, std::string& error) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) {
    error = Format("cannot load plug-in %s: %s", path.c_str(), std::strerror(errno));
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    error = Format("cannot load plug-in %s: it is a directory", path.c_str());
    return false;
  }
  // Without a slash dlopen would search the library path instead of the
  // current directory, and could load some other file of the same name.
  std::string dlPath = path.find('/') == std::string::npos ? "./" + path : path;
  dlerror();
  mLibrary = dlopen(dlPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mLibrary) {
    const char* why = dlerror();
    error = Format("cannot load plug-in %s: %s", path.c_str(), why ? why : "unknown dlopen failure");
    return false;
  }

  void* entry = dlsym(mLibrary, "VSTPluginMain");
  if (!entry) {
    entry = dlsym(mLibrary, "main");
    if (entry && !DefinedInLibrary(mLibrary, entry)) entry = nullptr;
  }
  if (!entry) {
    error = Format("%s is not a VST2 plug-in: it exports neither VSTPluginMain nor main", path.c_str());
    return false;
  }

  gHost = this;
  SetTransport(0.0);  // plug-ins may ask for the time from inside their entry point
  AEffect* effect = reinterpret_cast<VstPluginMainProc>(entry)(&PluginHost::HostCallback);
  if (!effect) {
    error = Format("plug-in %s returned no effect: its entry point gave a null record", path.c_str());
    return false;
  }
  if (effect->magic != kEffectMagic) {
    error = Format("plug-in %s returned a record that is not a VST2 effect (magic 0x%08X, expected 0x%08X)",
                   path.c_str(), static_cast<unsigned>(effect->magic), static_cast<unsigned>(kEffectMagic));
    return false;
  }
  if (!effect->dispatcher) {
    error = Format("plug-in %s returned an effect record without a dispatcher", path.c_str());
    return false;
  }
  // From here on the record is the plug-in's: effClose must reach it whatever follows.
  mEffect = effect;
  if (effect->numInputs < 0 || effect->numInputs > kMaxChannels || effect->numOutputs < 0 ||
      effect->numOutputs > kMaxChannels || effect->numParams < 0 || effect->numParams > kMaxParams ||
      effect->numPrograms < 0 || effect->numPrograms > kMaxPrograms) {
    error = Format("plug-in %s declares implausible counts (%d inputs, %d outputs, %d parameters, %d programs)",
                   path.c_str(), effect->numInputs, effect->numOutputs, effect->numParams, effect->numPrograms);
    return false;
  }
  return true;
}

VstIntPtr PluginHost::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  if (!mEffect) return 0;
  return mEffect->dispatcher(mEffect, opcode, index, value, ptr, opt);
}

void PluginHost::Open(double sampleRate, VstInt32 blockSize) {
  mSampleRate = sampleRate;
  mBlockSize = blockSize;
  SetTransport(0.0);
  Dispatch(effOpen);
  mOpen = true;
  Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  Dispatch(effSetBlockSize, 0, blockSize);
}

VstIntPtr PluginHost::DeclareMono() {
  for (VstSpeakerArrangement* arr : {&mMonoIn, &mMonoOut}) {
    *arr = VstSpeakerArrangement{};
    arr->type = kSpeakerArrMono;
    arr->numChannels = 1;
    std::strcpy(arr->speakers[0].name, "M");  // speaker type 0, the mono speaker
  }
  return Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mMonoIn), &mMonoOut);
}

void PluginHost::Resume() {
  Dispatch(effMainsChanged, 0, 1);
  mResumed = true;
}

void PluginHost::Suspend() {
  Dispatch(effMainsChanged, 0, 0);
  mResumed = false;
}

void PluginHost::Close() {
  Dispatch(effClose);
  mEffect = nullptr;
  mOpen = false;
}

bool PluginHost::CanProcess(Precision p) const {
  if (!mEffect) return false;
  switch (p) {
    case Precision::kDouble:
      return (mEffect->flags & effFlagsCanDoubleReplacing) && mEffect->processDoubleReplacing;
    case Precision::kSingle:
      return (mEffect->flags & effFlagsCanReplacing) && mEffect->processReplacing;
    case Precision::kAccumulate:
      return mEffect->process != nullptr;
  }
  return false;
}

void PluginHost::ProcessDouble(double** in, double** out, VstInt32 frames, double pos) {
  SetTransport(pos);
  mEffect->processDoubleReplacing(mEffect, in, out, frames);
}

void PluginHost::ProcessReplacing(float** in, float** out, VstInt32 frames, double pos) {
  SetTransport(pos);
  mEffect->processReplacing(mEffect, in, out, frames);
}

void PluginHost::ProcessAccumulating(float** in, float** out, int outputs, VstInt32 frames, double pos) {
  // The accumulating call adds to what the output holds: start from silence.
  for (int c = 0; c < outputs; ++c) std::memset(out[c], 0, sizeof(float) * frames);
  SetTransport(pos);
  mEffect->process(mEffect, in, out, frames);
}

std::string PluginHost::Text(VstInt32 opcode, VstInt32 index) {
  std::vector<char> buffer(kTextBufferSize, '\0');
  Dispatch(opcode, index, 0, buffer.data());
  buffer.back() = '\0';
  return buffer.data();
}

int PluginHost::FindParam(const std::string& name) {
  if (!mEffect) return -1;
  for (VstInt32 i = 0; i < mEffect->numParams; ++i) {
    if (EqualsIgnoreCase(ParamName(i), name)) return i;
  }
  return -1;
}

// A transport that plays from the file's start at 120 beats per minute in 4/4:
// plug-ins that sync to tempo get a steady, valid clock.
void PluginHost::SetTransport(double samplePos) {
  constexpr double kTempo = 120.0;
  mTime = VstTimeInfo{};
  mTime.samplePos = samplePos;
  mTime.sampleRate = mSampleRate;
  double seconds = samplePos / mSampleRate;
  mTime.nanoSeconds = seconds * 1e9;
  mTime.tempo = kTempo;
  mTime.ppqPos = seconds * kTempo / 60.0;
  mTime.barStartPos = std::floor(mTime.ppqPos / 4.0) * 4.0;
  mTime.timeSigNumerator = 4;
  mTime.timeSigDenominator = 4;
  mTime.flags = kVstTransportPlaying | kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid |
                kVstTimeSigValid;
}

VstIntPtr VSTCALLBACK PluginHost::HostCallback(AEffect* /*effect*/, VstInt32 opcode, VstInt32 index,
                                               VstIntPtr value, void* ptr, float opt) {
  if (!gHost) return opcode == audioMasterVersion ? kVstVersion : 0;
  return gHost->Answer(opcode, index, value, ptr, opt);
}

VstIntPtr PluginHost::Answer(VstInt32 opcode, VstInt32 /*index*/, VstIntPtr /*value*/, void* ptr,
                             float /*opt*/) {
  switch (opcode) {
    case audioMasterVersion:
      return kVstVersion;
    case audioMasterCurrentId:
      return mEffect ? mEffect->uniqueID : 0;
    case audioMasterGetTime:
      return reinterpret_cast<VstIntPtr>(&mTime);
    case audioMasterGetSampleRate:
      return static_cast<VstIntPtr>(std::lround(mSampleRate));
    case audioMasterGetBlockSize:
      return mBlockSize;
    case audioMasterGetVendorString:
      CopyTextBounded(static_cast<char*>(ptr), kVstMaxVendorStrLen, "Bexo");
      return ptr ? 1 : 0;
    case audioMasterGetProductString:
      CopyTextBounded(static_cast<char*>(ptr), kVstMaxProductStrLen, "morvane-host");
      return ptr ? 1 : 0;
    case audioMasterGetVendorVersion:
      return MORVANE_HOST_VENDOR_VERSION;
    default:
      return 0;
  }
}
