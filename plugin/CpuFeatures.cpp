#include "plugin/CpuFeatures.h"

#include <atomic>

namespace dsp {
namespace {

struct Features {
  bool avx2 = false;
  bool avx512 = false;
  Features() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    avx2 = __builtin_cpu_supports("avx2");
    avx512 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl");
#endif
  }
};

const Features& Detected() {
  static const Features features;
  return features;
}

std::atomic<bool> gGeneric{false};

}  // namespace

bool CpuHasAvx2() { return !gGeneric.load(std::memory_order_relaxed) && Detected().avx2; }

bool CpuHasAvx512() { return !gGeneric.load(std::memory_order_relaxed) && Detected().avx512; }

void UseGenericCode(bool generic) { gGeneric.store(generic, std::memory_order_relaxed); }

}  // namespace dsp
