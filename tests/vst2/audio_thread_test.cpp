// The processing entries of the built plug-in allocate nothing: this test
// counts the allocations made by its own thread while the three entries run
// long blocks. malloc and friends are interposed in the test executable, which
// the loaded library's calls reach as well. The address and thread sanitizers
// bring their own allocators, so their builds skip the count.

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "framework/vst2/VstDefs.h"
#include "tests/vst2/AllocationCount.h"
#include "tests/vst2/RecordingHost.h"

using allocation_count::tAllocations;
using allocation_count::tCounting;

namespace {

VstIntPtr VSTCALLBACK SilentHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }

TEST(AudioThread, ProcessingEntriesAllocateNothing) {
  if (!MORVANE_COUNT_ALLOCATIONS) GTEST_SKIP() << "the sanitizer's allocator cannot be interposed";
  void* library = dlopen(MORVANE_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(library, "VSTPluginMain"));
  ASSERT_NE(entry, nullptr);
  AEffect* e = entry(&SilentHost);
  ASSERT_NE(e, nullptr);
  e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
  e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
  e->dispatcher(e, effSetBlockSize, 0, 512, nullptr, 0.0f);
  e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
  e->setParameter(e, 0, 0.8f);

  const int n = 5000;
  std::vector<float> f0(n, 0.3f), f1(n, -0.2f), g0(n), g1(n);
  std::vector<double> d0(n, 0.3), d1(n, -0.2), h0(n), h1(n);
  float* fin[2] = {f0.data(), f1.data()};
  float* fout[2] = {g0.data(), g1.data()};
  double* din[2] = {d0.data(), d1.data()};
  double* dout[2] = {h0.data(), h1.data()};
  auto run = [&] {
    tAllocations = 0;
    tCounting = true;
    e->processReplacing(e, fin, fout, n);
    e->process(e, fin, fout, n);
    e->processDoubleReplacing(e, din, dout, n);
    tCounting = false;
    return tAllocations;
  };
  EXPECT_EQ(run(), 0);

  // With a channel disconnected, the double path runs in pieces through scratch buffers.
  VstSpeakerArrangement mono = MakeArrangement(kSpeakerArrMono, 1);
  e->dispatcher(e, effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &mono, 0.0f);
  EXPECT_EQ(run(), 0);

  e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
  dlclose(library);
}

}  // namespace
