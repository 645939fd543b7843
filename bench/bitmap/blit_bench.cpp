// Blit and fill throughput on an editor-sized image (578 x 299), each next to
// a plain row-by-row memcpy of the same pixels measured in the same run: the
// floor of touching the data. Prints the usual benchmark table, then the
// figures in megapixels per second with their ratio to the row copy.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/common/BaselineReporter.h"
#include "bitmap/Blit.h"
#include "common/CpuFeatures.h"

namespace {

constexpr int kWidth = 578, kHeight = 299;
constexpr const char* kBaseline = "RowMemcpy";
constexpr const char* kBaselineAgain = "RowMemcpy/again";

// Source pixels like artwork: alpha 0 and 255 a quarter of the time each,
// anything else otherwise.
struct Images {
  BM_MemBitmap src{kWidth, kHeight}, dst{kWidth, kHeight};
  Images() {
    std::mt19937 rng(1);
    for (BM_MemBitmap* b : {&src, &dst}) {
      for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
          BM_Color32 c = rng();
          if (rng() % 4 == 0) c &= 0x00FFFFFFu;
          if (rng() % 4 == 1) c |= 0xFF000000u;
          b->GetBits()[y * b->GetRowSpan() + x] = c;
        }
    }
  }
};

Images& Shared() {
  static Images images;
  return images;
}

void Count(benchmark::State& state) {
  state.counters["Mpx/s"] =
      benchmark::Counter(kWidth * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void RowMemcpy(benchmark::State& state) {
  Images& im = Shared();
  for (auto _ : state) {
    for (int y = 0; y < kHeight; ++y)
      std::memcpy(im.dst.GetBits() + y * im.dst.GetRowSpan(), im.src.GetBits() + y * im.src.GetRowSpan(),
                  kWidth * 4);
    benchmark::ClobberMemory();
  }
  Count(state);
}

// The loops timed: the fast ones in the widest vectors the processor has, the
// fast ones in the build's baseline instruction set, or the reference loops.
enum class Loops { kFastest, kBaseline, kReference };

void Blit(benchmark::State& state, float weight, int32_t mode, Loops loops) {
  Images& im = Shared();
  BM_SetPixelPath(loops == Loops::kReference ? BM_PixelPath::kReference : BM_PixelPath::kFastest);
  if (loops == Loops::kBaseline) LimitCpuLevel(CpuLevel::kGeneric);
  for (auto _ : state) {
    BM_BlitRect(&im.dst, &im.src, 0, 0, nullptr, weight, mode);
    benchmark::ClobberMemory();
  }
  BM_SetPixelPath(BM_PixelPath::kFastest);
  LimitCpuLevel(CpuLevel::kAvx512);
  Count(state);
}

void Fill(benchmark::State& state, float weight) {
  Images& im = Shared();
  for (auto _ : state) {
    BM_FillArea(&im.dst, 0, 0, kWidth, kHeight, 0x80336699, weight, BM_BLEND_COPY);
    benchmark::ClobberMemory();
  }
  Count(state);
}

// Megapixels per second against the row copy.
void PrintRatios(const BaselineReporter& reporter) {
  std::vector<BaselineReporter::Row> rows;
  double base;
  if (!reporter.Table(&rows, &base)) return;
  std::printf("\n%-32s %10s %14s\n", "case (578 x 299)", "Mpx/s", "vs row memcpy");
  for (const auto& row : rows)
    std::printf("%-32s %10.1f %9.3fx  = 1/%.1f\n", row.name.c_str(), row.figure, row.figure / base, base / row.figure);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark(kBaseline, RowMemcpy);
  const Loops fastest = Loops::kFastest;
  benchmark::RegisterBenchmark("BlitCopy/1.0", Blit, 1.0f, BM_BLEND_COPY, fastest);
  benchmark::RegisterBenchmark("BlitCopy/0.5", Blit, 0.5f, BM_BLEND_COPY, fastest);
  benchmark::RegisterBenchmark("BlitSourceAlpha/1.0", Blit, 1.0f, BM_BLEND_SOURCE_ALPHA, fastest);
  benchmark::RegisterBenchmark("BlitSourceAlpha/0.75", Blit, 0.75f, BM_BLEND_SOURCE_ALPHA, fastest);
  benchmark::RegisterBenchmark("BlitSourceAlpha/1.0/baseline", Blit, 1.0f, BM_BLEND_SOURCE_ALPHA,
                               Loops::kBaseline);
  benchmark::RegisterBenchmark("BlitSourceAlpha/1.0/reference", Blit, 1.0f, BM_BLEND_SOURCE_ALPHA,
                               Loops::kReference);
  benchmark::RegisterBenchmark("BlitAddSourceAlpha/1.0", Blit, 1.0f, BM_BLEND_SOURCE_ALPHA | BM_BLEND_ADD, fastest);
  benchmark::RegisterBenchmark("BlitHSVAdjust/1.0", Blit, 1.0f, BM_BLEND_HSVADJUST, fastest);
  benchmark::RegisterBenchmark("FillCopy/0.5", Fill, 0.5f);
  benchmark::RegisterBenchmark(kBaselineAgain, RowMemcpy);
  benchmark::Initialize(&argc, argv);
  BaselineReporter reporter(kBaseline, kBaselineAgain, BaselineReporter::Counter("Mpx/s"));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatios(reporter);
  benchmark::Shutdown();
  return 0;
}
