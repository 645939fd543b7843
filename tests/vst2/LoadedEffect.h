#pragma once
// A plug-in library loaded as a host loads it, and one plug-in from its
// VSTPluginMain, opened and resumed at a sample rate and block size. On
// destruction the plug-in is suspended and closed, then the library
// unloaded.
#include <vector>

#include "framework/vst2/VstDefs.h"

namespace vst2test {

class LoadedEffect {
public:
  // Its host answers audioMasterVersion (2400) and nothing else.
  LoadedEffect(const char* path, float sampleRate, int blockSize);
  ~LoadedEffect();
  LoadedEffect(const LoadedEffect&) = delete;
  LoadedEffect& operator=(const LoadedEffect&) = delete;

  bool Ok() const { return mEffect != nullptr; }
  AEffect* get() const { return mEffect; }
  AEffect* operator->() const { return mEffect; }
  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) const;
  // The program's chunk (effGetChunk); empty when there is none.
  std::vector<unsigned char> ProgramChunk() const;

private:
  void* mLibrary = nullptr;
  AEffect* mEffect = nullptr;
};

}  // namespace vst2test
