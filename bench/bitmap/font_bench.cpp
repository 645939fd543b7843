// Cost of a parameter value text drawn through the glyph cache, next to one
// BM_BlitRect of the same area measured in the same run (the editor blits
// every knob frame that way). The font is DejaVu Sans at the editor's text
// height of 12 pixels, opened from its file. Prints the usual benchmark
// table, then nanoseconds per string and the ratio to the area blit, whose
// figure is the mean of its two runs, first and last, since a shared machine
// drifts.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/common/BaselineReporter.h"
#include "bitmap/Blit.h"
#include "bitmap/CachedFont.h"
#include "bitmap/posix/FreeTypeFont.h"
#include "common/CpuFeatures.h"

namespace {

constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kText = "-100.00 % dB";  // 12 characters, 10 of them different
constexpr const char* kBaseline = "BlitRect/area";
constexpr const char* kBaselineAgain = "BlitRect/area/again";
// The editor's system text: centred, unclipped.
constexpr uint32_t kFlags = BM_DT_CENTER | BM_DT_NOCLIP;

struct Scene {
  BM_FontHandle handle = nullptr;
  BM_CachedFont font;
  BM_MemBitmap page{200, 40};
  BM_MemBitmap art{200, 40};
  int32_t area[4] = {0, 0, 0, 0};  // the string's measured box, at the page's top-left
  Scene() {
    BM_FontSpec request;
    request.height = 12;
    handle = bm::OpenFontFile(kFontFile, request);
    if (!handle) {
      std::fprintf(stderr, "font_bench: cannot open %s (fonts-dejavu-core)\n", kFontFile);
      std::exit(1);
    }
    font.SetSystemFont(handle, FONT_NATIVE);
    font.SetForeColor(0xFF202020);
    std::mt19937 rng(1);
    for (BM_MemBitmap* b : {&page, &art})
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) b->GetBits()[y * b->GetRowSpan() + x] = rng() | 0xFF000000u;
    font.DrawString(nullptr, kText, -1, area, BM_DT_CALCRECT);
  }
  ~Scene() {
    font.SetSystemFont(nullptr, 0);
    bm::DeleteFontHandle(handle);
  }
};

Scene& Shared() {
  static Scene scene;
  return scene;
}

void BlitArea(benchmark::State& state, CpuLevel widest) {
  Scene& s = Shared();
  LimitCpuLevel(widest);
  for (auto _ : state) {
    BM_BlitRect(&s.page, &s.art, 10, 10, s.area, 1.0f, BM_BLEND_SOURCE_ALPHA);
    benchmark::ClobberMemory();
  }
  LimitCpuLevel(CpuLevel::kAvx512);
}

void WarmString(benchmark::State& state, uint32_t flags) {
  Scene& s = Shared();
  int32_t rect[4] = {10, 10, 10 + s.area[2], 10 + s.area[3]};
  s.font.DrawString(&s.page, kText, -1, rect, flags);
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.font.DrawString(&s.page, kText, -1, rect, flags));
    benchmark::ClobberMemory();
  }
}

// The first drawing of the string after the font's cache was emptied (as when
// the font is set): every character rendered through FreeType once.
void ColdString(benchmark::State& state) {
  Scene& s = Shared();
  int32_t rect[4] = {10, 10, 10 + s.area[2], 10 + s.area[3]};
  for (auto _ : state) {
    s.font.SetSystemFont(s.handle, FONT_NATIVE);
    benchmark::DoNotOptimize(s.font.DrawString(&s.page, kText, -1, rect, kFlags));
    benchmark::ClobberMemory();
  }
}

// CPU nanoseconds per string against the area blit.
void PrintRatios(const BaselineReporter& reporter, const int32_t* area) {
  std::vector<BaselineReporter::Row> rows;
  double base;
  if (!reporter.Table(&rows, &base)) return;
  std::printf("\n\"%s\", area %d x %d\n%-32s %12s %14s\n", kText, area[2], area[3], "case", "ns/string",
              "x area blit");
  for (const auto& row : rows) std::printf("%-32s %12.0f %13.2fx\n", row.name.c_str(), row.figure, row.figure / base);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark(kBaseline, BlitArea, CpuLevel::kAvx512);
  // For comparison: the blit on processors without the wider vector units.
  benchmark::RegisterBenchmark("BlitRect/area/baseline-isa", BlitArea, CpuLevel::kGeneric);
  benchmark::RegisterBenchmark("WarmString/centred", WarmString, kFlags);
  benchmark::RegisterBenchmark("WarmString/left", WarmString, BM_DT_NOCLIP);
  benchmark::RegisterBenchmark("ColdString/centred", ColdString);
  benchmark::RegisterBenchmark(kBaselineAgain, BlitArea, CpuLevel::kAvx512);
  benchmark::Initialize(&argc, argv);
  BaselineReporter reporter(kBaseline, kBaselineAgain, [](const benchmark::BenchmarkReporter::Run& run, double* ns) {
    *ns = run.GetAdjustedCPUTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
    return true;
  });
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatios(reporter, Shared().area);
  benchmark::Shutdown();
  return 0;
}
