// Fuzz entry for restoring state: the first byte picks a program chunk (odd)
// or a bank (even) and the host, the rest is handed to effSetChunk as the
// host's bytes. Whatever they hold, the answer is 0 or 1, the plug-in's
// state stays what a host can save and restore, and it keeps processing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/vst2/FuzzHost.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Reader in(data, size);
  const uint8_t choice = in.U8();
  AEffect* e = fuzz::MakePlugin(choice >> 1);
  fuzz::Call(e, effOpen);
  size_t n = 0;
  std::unique_ptr<uint8_t[]> chunk = in.Bytes(size, &n);
  const VstIntPtr answer = fuzz::Call(e, effSetChunk, choice & 1, static_cast<VstIntPtr>(n), chunk.get());
  if (answer != 0 && answer != 1) std::abort();
  fuzz::CheckState(e);
  fuzz::Process(e, 0, 256, fuzz::Signal(256, 0.5));
  fuzz::Call(e, effClose);
  return 0;
}
