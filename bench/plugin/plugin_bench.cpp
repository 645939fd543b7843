// The transient shaper's block processing in ns per stereo frame on each code
// path, next to a plain frame-by-frame version of the same formulas that
// calls std::pow for every power (plugin/reference). Settings: "Attack" 50,
// "Sustain" 50, "SC HPF" 20, "Attack Link" 30; 512-frame blocks of a
// drum-like stereo signal. The plain version runs first and last, and the
// closing table sets each path against the mean of its two figures, since a
// shared machine drifts.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <memory>
#include <random>
#include <vector>

#include "bench/common/BaselineReporter.h"
#include "common/CpuFeatures.h"
#include "plugin/Morvane.h"
#include "plugin/reference/ReferenceShaper.h"

namespace {

constexpr int kBlock = 512;
constexpr int kSignalFrames = 44100 * 4;

struct Signal {
  std::vector<double> l, r;
};

// Kick-like and snare-like hits with decaying noise and a tonal bed.
const Signal& DrumLoop() {
  static const Signal s = [] {
    Signal out;
    out.l.resize(kSignalFrames);
    out.r.resize(kSignalFrames);
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    double kick = 0.0, snare = 0.0, phase = 0.0;
    for (int i = 0; i < kSignalFrames; ++i) {
      if (i % 22050 == 0) kick = 1.0;
      if (i % 22050 == 11025) snare = 0.8;
      if (i % 5512 == 2756) snare = std::max(snare, 0.3);
      kick *= 0.9997;
      snare *= 0.9990;
      phase += 2.0 * 3.14159265358979 * (50.0 + 100.0 * kick) / 44100.0;
      const double k = kick * std::sin(phase);
      const double n = snare * noise(rng);
      out.l[static_cast<size_t>(i)] = 0.7 * k + 0.6 * n + 0.01 * noise(rng);
      out.r[static_cast<size_t>(i)] = 0.7 * k + 0.4 * n + 0.01 * noise(rng);
    }
    return out;
  }();
  return s;
}

ReferenceSettings BenchSettings() {
  ReferenceSettings s;
  s.attack = 50.0;
  s.sustain = 50.0;
  s.scHpf = 20.0;
  s.attackLink = 30.0;
  return s;
}

std::unique_ptr<Morvane> OpenInstance() {
  std::unique_ptr<Morvane> plug(new Morvane(nullptr));
  plug->NotifyAllParams();
  const ReferenceSettings s = BenchSettings();
  const struct {
    int idx;
    double v;
  } values[] = {{Morvane::kAttack, s.attack},
                {Morvane::kSustain, s.sustain},
                {Morvane::kScHpf, s.scHpf},
                {Morvane::kAttackLink, s.attackLink}};
  for (const auto& v : values) {
    plug->GetParam(v.idx)->Set(v.v);
    plug->ParamChanged(v.idx);
  }
  return plug;
}

// Time per stereo frame (the inverse of the frame rate), printed with its unit.
void SetPerFrame(benchmark::State& state) {
  state.counters["ns_per_frame"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kBlock, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Runs the plug-in over the loop, one 512-frame block per iteration.
void BM_ProcessBlock(benchmark::State& state) {
  const Signal& sig = DrumLoop();
  auto plug = OpenInstance();
  std::vector<double> outL(kBlock), outR(kBlock);
  size_t pos = 0;
  for (auto _ : state) {
    double* inputs[2] = {const_cast<double*>(sig.l.data() + pos), const_cast<double*>(sig.r.data() + pos)};
    double* outputs[2] = {outL.data(), outR.data()};
    plug->ProcessBlock(inputs, outputs, kBlock);
    benchmark::DoNotOptimize(outL.data());
    benchmark::ClobberMemory();
    pos += kBlock;
    if (pos + kBlock > sig.l.size()) pos = 0;
  }
  SetPerFrame(state);
}

// The same with the dispatch capped at one code path, for what processors
// without the wider registers get. A cap above what this processor has runs
// its widest path; the label says which ran.
void BM_ProcessBlockCodePath(benchmark::State& state, CpuLevel cap) {
  LimitCpuLevel(cap);
  state.SetLabel(CpuHasAvx512() ? "AVX-512 code" : CpuHasAvx2() ? "AVX2 code" : "generic code");
  BM_ProcessBlock(state);
  LimitCpuLevel(CpuLevel::kAvx512);
}

void BM_PlainFormulas(benchmark::State& state) {
  const Signal& sig = DrumLoop();
  ReferenceShaper ref(BenchSettings());
  std::vector<double> outL(kBlock), outR(kBlock);
  size_t pos = 0;
  for (auto _ : state) {
    ref.Process(sig.l.data() + pos, sig.r.data() + pos, outL.data(), outR.data(), kBlock);
    benchmark::DoNotOptimize(outL.data());
    benchmark::ClobberMemory();
    pos += kBlock;
    if (pos + kBlock > sig.l.size()) pos = 0;
  }
  SetPerFrame(state);
}

// Ten seconds of the loop, then silence: the followers and filter stages
// decay through the subnormal range while the silence is processed.
void BM_ProcessBlockSilenceAfterSignal(benchmark::State& state) {
  const Signal& sig = DrumLoop();
  auto plug = OpenInstance();
  std::vector<double> outL(kBlock), outR(kBlock), zeros(kBlock, 0.0);
  for (size_t pos = 0; pos + kBlock <= sig.l.size(); pos += kBlock) {
    double* inputs[2] = {const_cast<double*>(sig.l.data() + pos), const_cast<double*>(sig.r.data() + pos)};
    double* outputs[2] = {outL.data(), outR.data()};
    plug->ProcessBlock(inputs, outputs, kBlock);
  }
  for (auto _ : state) {
    double* inputs[2] = {zeros.data(), zeros.data()};
    double* outputs[2] = {outL.data(), outR.data()};
    plug->ProcessBlock(inputs, outputs, kBlock);
    benchmark::DoNotOptimize(outL.data());
    benchmark::ClobberMemory();
  }
  SetPerFrame(state);
}

void BM_PlainFormulasSilenceAfterSignal(benchmark::State& state) {
  const Signal& sig = DrumLoop();
  ReferenceShaper ref(BenchSettings());
  std::vector<double> outL(kBlock), outR(kBlock), zeros(kBlock, 0.0);
  for (size_t pos = 0; pos + kBlock <= sig.l.size(); pos += kBlock) {
    ref.Process(sig.l.data() + pos, sig.r.data() + pos, outL.data(), outR.data(), kBlock);
  }
  for (auto _ : state) {
    ref.Process(zeros.data(), zeros.data(), outL.data(), outR.data(), kBlock);
    benchmark::DoNotOptimize(outL.data());
    benchmark::ClobberMemory();
  }
  SetPerFrame(state);
}

constexpr const char* kPlain = "PlainFormulas";
constexpr const char* kPlainAgain = "PlainFormulas/again";

// Each code path's ns per frame against the plain formulas.
void PrintRatios(const BaselineReporter& reporter) {
  std::vector<BaselineReporter::Row> rows;
  double plain;
  if (!reporter.Table(&rows, &plain)) return;
  std::printf("\n%-36s %12s %14s\n", "case (512-frame blocks)", "ns/frame", "plain / case");
  for (const auto& row : rows)
    std::printf("%-36s %12.2f %13.2fx  %s\n", row.name.c_str(), row.figure, plain / row.figure, row.label.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const double minTime = 1.0;
  benchmark::RegisterBenchmark(kPlain, BM_PlainFormulas)->MinTime(minTime);
  benchmark::RegisterBenchmark("ProcessBlock", BM_ProcessBlock)->MinTime(minTime);
  benchmark::RegisterBenchmark("ProcessBlock/generic", BM_ProcessBlockCodePath, CpuLevel::kGeneric)->MinTime(minTime);
  benchmark::RegisterBenchmark("ProcessBlock/avx2", BM_ProcessBlockCodePath, CpuLevel::kAvx2)->MinTime(minTime);
  benchmark::RegisterBenchmark("ProcessBlock/avx512", BM_ProcessBlockCodePath, CpuLevel::kAvx512)->MinTime(minTime);
  benchmark::RegisterBenchmark("ProcessBlock/silence after signal", BM_ProcessBlockSilenceAfterSignal)
      ->MinTime(minTime);
  benchmark::RegisterBenchmark("PlainFormulas/silence after signal", BM_PlainFormulasSilenceAfterSignal)
      ->MinTime(minTime);
  benchmark::RegisterBenchmark(kPlainAgain, BM_PlainFormulas)->MinTime(minTime);
  benchmark::Initialize(&argc, argv);
  BaselineReporter reporter(kPlain, kPlainAgain, BaselineReporter::Counter("ns_per_frame", 1e9));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatios(reporter);
  benchmark::Shutdown();
  return 0;
}
