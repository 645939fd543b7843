// Redrawing Morvane's editor (578 x 299, 13 controls, the committed images)
// off-screen, next to one plain row-by-row copy of the back buffer measured
// in the same run: the floor of showing the editor once. Each redraw is a
// refresh tick: the dirty area collected, the controls meeting it drawn into
// the back buffer, the area presented (copied to the screen image, as a
// window copies it to the screen). Prints the usual benchmark table, then
// microseconds per refresh with their ratio to the copy.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/common/BaselineReporter.h"
#include "bitmap/Bitmap.h"
#include "editor/IControl.h"
#include "editor/offscreen/IGraphicsOffscreen.h"
#include "plugin/Morvane.h"

namespace {

constexpr const char* kBaseline = "BackBufferCopy";
constexpr const char* kBaselineAgain = "BackBufferCopy/again";

// An opened plug-in with its editor open and drawn once.
struct Editor {
  Morvane plug{nullptr, IGraphicsOffscreen::Make};
  IGraphicsOffscreen* graphics = static_cast<IGraphicsOffscreen*>(plug.GetEditor());
  Editor() {
    plug.Dispatch(effOpen, 0, 0, nullptr, 0.0f);
    plug.Dispatch(effEditOpen, 0, 0, nullptr, 0.0f);
    graphics->Tick();
  }
};

Editor& Shared() {
  static Editor editor;
  return editor;
}

void BackBufferCopy(benchmark::State& state) {
  Editor& e = Shared();
  BM_IBitmap* back = e.graphics->BackBuffer();
  BM_MemBitmap& screen = e.graphics->Screen();
  for (auto _ : state) {
    for (int y = 0; y < back->GetHeight(); ++y) {
      std::memcpy(screen.GetBits() + y * screen.GetRowSpan(), back->GetBits() + y * back->GetRowSpan(),
                  static_cast<size_t>(back->GetWidth()) * 4);
    }
    benchmark::ClobberMemory();
  }
}

// Every control dirty, as when the window opens.
void FullRedraw(benchmark::State& state) {
  Editor& e = Shared();
  for (auto _ : state) {
    for (int i = 0; i < e.graphics->ControlCount(); ++i) e.graphics->GetControl(i)->MarkDirty(false);
    e.graphics->Tick();
    benchmark::ClobberMemory();
  }
}

// The lamp (dirty at every refresh) and one knob moved by the host.
void LampAndKnob(benchmark::State& state, int param) {
  Editor& e = Shared();
  e.graphics->Tick();
  e.graphics->Tick();  // only the lamp left dirty
  double value = 0.3;
  for (auto _ : state) {
    value = 1.0 - value;
    e.plug.SetParameterFromHost(param, static_cast<float>(value));
    e.graphics->Tick();
    benchmark::ClobberMemory();
  }
  e.plug.SetParameterFromHost(param, static_cast<float>(e.plug.GetParam(param)->NormalizedValue()));
}

// Microseconds per refresh against the copy.
void PrintRatios(const BaselineReporter& reporter) {
  std::vector<BaselineReporter::Row> rows;
  double base;
  if (!reporter.Table(&rows, &base)) return;
  std::printf("\n%-32s %12s %16s\n", "refresh (578 x 299)", "us", "x back-buffer copy");
  for (const auto& row : rows) std::printf("%-32s %12.2f %15.2fx\n", row.name.c_str(), row.figure, row.figure / base);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark(kBaseline, BackBufferCopy);
  benchmark::RegisterBenchmark("FullRedraw/13controls", FullRedraw);
  benchmark::RegisterBenchmark("LampAndGainKnob", LampAndKnob, static_cast<int>(Morvane::kGain));
  benchmark::RegisterBenchmark("LampAndAttackKnob", LampAndKnob, static_cast<int>(Morvane::kAttack));
  benchmark::RegisterBenchmark(kBaselineAgain, BackBufferCopy);
  benchmark::Initialize(&argc, argv);
  BaselineReporter reporter(kBaseline, kBaselineAgain, [](const benchmark::BenchmarkReporter::Run& run, double* us) {
    *us = run.GetAdjustedRealTime() * 1e6 / benchmark::GetTimeUnitMultiplier(run.time_unit);
    return true;
  });
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatios(reporter);
  benchmark::Shutdown();
  return 0;
}
