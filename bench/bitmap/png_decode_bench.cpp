// How long the PNG loader takes to decode each editor image at each scale,
// from the bytes in memory as the plug-in's resource lookup holds them. Opening
// the editor the first time decodes one scale's five images, so the closing
// table adds them up per scale.
//
//   png_decode_bench [--dir DIR] [benchmark options]
//
// DIR holds the images (default: the tree's plugin/resources/img), so that
// other encodings of the same pixels can be set against the committed ones.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bitmap/Png.h"

namespace {

const char* const kImages[] = {"back", "knob", "knob_small", "redLight", "font-white"};
const char* const kScales[] = {"", "@150", "@200"};

std::vector<unsigned char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Decode(benchmark::State& state, std::vector<unsigned char> bytes) {
  for (auto _ : state) {
    std::unique_ptr<BM_MemBitmap> bitmap(LoadPngMemory(bytes.data(), static_cast<int32_t>(bytes.size())));
    if (!bitmap) {
      state.SkipWithError("the image does not decode");
      break;
    }
    benchmark::DoNotOptimize(bitmap->GetBits());
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}

// Keeps the time per decode of each image in milliseconds: the median with
// --benchmark_repetitions, the only run otherwise.
class TotalsReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.iterations == 0) continue;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      if (median || single) mMs[run.run_name.function_name] = run.GetAdjustedRealTime() / Multiplier(run.time_unit);
    }
  }
  const std::map<std::string, double>& Ms() const { return mMs; }

private:
  // Units of the time unit per millisecond.
  static double Multiplier(benchmark::TimeUnit unit) {
    return benchmark::GetTimeUnitMultiplier(unit) / benchmark::GetTimeUnitMultiplier(benchmark::kMillisecond);
  }
  std::map<std::string, double> mMs;
};

}  // namespace

int main(int argc, char** argv) {
  std::string dir = MORVANE_IMAGE_DIR;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--dir") == 0) {
      dir = argv[i + 1];
      for (int j = i; j + 2 <= argc; ++j) argv[j] = argv[j + 2];
      argc -= 2;
      break;
    }
  }
  std::map<std::string, size_t> sizes;
  for (const char* scale : kScales) {
    for (const char* image : kImages) {
      const std::string file = std::string(image) + scale + ".png";
      std::vector<unsigned char> bytes = ReadFile(dir + "/" + file);
      if (bytes.empty()) {
        std::fprintf(stderr, "png_decode_bench: cannot read %s/%s\n", dir.c_str(), file.c_str());
        return 1;
      }
      sizes[file] = bytes.size();
      benchmark::RegisterBenchmark(file.c_str(), Decode, std::move(bytes))->Unit(benchmark::kMillisecond);
    }
  }
  benchmark::Initialize(&argc, argv);
  TotalsReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf("\n%-8s %12s %12s\n", "scale", "decode ms", "PNG bytes");
  for (const char* scale : kScales) {
    double ms = 0;
    size_t bytes = 0;
    bool complete = true;
    for (const char* image : kImages) {
      const std::string file = std::string(image) + scale + ".png";
      const auto it = reporter.Ms().find(file);
      if (it == reporter.Ms().end()) complete = false; else ms += it->second;
      bytes += sizes[file];
    }
    if (complete)
      std::printf("%-8s %12.2f %12zu\n", *scale ? scale + 1 : "100", ms, bytes);
  }
  benchmark::Shutdown();
  return 0;
}
