#include "tests/vst2/LoadedEffect.h"

#include "tests/vst2/PluginLibrary.h"

namespace vst2test {

namespace {

VstIntPtr VSTCALLBACK VersionOnlyHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

}  // namespace

LoadedEffect::LoadedEffect(const char* path, float sampleRate, int blockSize) {
  mLibrary = OpenLibrary(path);
  auto entry = mLibrary ? reinterpret_cast<VstPluginMainProc>(FindSymbol(mLibrary, "VSTPluginMain")) : nullptr;
  mEffect = entry ? entry(&VersionOnlyHost) : nullptr;
  if (!mEffect) return;
  Dispatch(effOpen);
  Dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
  Dispatch(effSetBlockSize, 0, blockSize);
  Dispatch(effMainsChanged, 0, 1);
}

LoadedEffect::~LoadedEffect() {
  if (mEffect) {
    Dispatch(effMainsChanged, 0, 0);
    Dispatch(effClose);
  }
  if (mLibrary) CloseLibrary(mLibrary);
}

VstIntPtr LoadedEffect::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) const {
  return mEffect->dispatcher(mEffect, opcode, index, value, ptr, opt);
}

std::vector<unsigned char> LoadedEffect::ProgramChunk() const {
  void* data = nullptr;
  const VstIntPtr size = Dispatch(effGetChunk, 1, 0, &data);
  if (size <= 0 || !data) return {};
  const auto* bytes = static_cast<const unsigned char*>(data);
  return std::vector<unsigned char>(bytes, bytes + size);
}

}  // namespace vst2test
