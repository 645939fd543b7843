#include "common/CpuFeatures.h"

#include <atomic>

namespace {

struct Features {
  bool avx2 = false;
  bool avx512 = false;
  Features() {
#if defined(__x86_64__) || defined(__i386__)
    // __builtin_cpu_init makes the checks safe even from a static initialiser.
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

std::atomic<CpuLevel> gWidest{CpuLevel::kAvx512};

bool Allows(CpuLevel level) { return gWidest.load(std::memory_order_relaxed) >= level; }

}  // namespace

bool CpuHasAvx2() { return Allows(CpuLevel::kAvx2) && Detected().avx2; }

bool CpuHasAvx512() { return Allows(CpuLevel::kAvx512) && Detected().avx512; }

void LimitCpuLevel(CpuLevel widest) { gWidest.store(widest, std::memory_order_relaxed); }
