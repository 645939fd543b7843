// How long the audio thread waits while the host's user-interface thread
// opens and closes the editor. The built Morvane.so is loaded as a host
// loads it; an audio thread calls processReplacing with 64-frame blocks,
// one every 1.33 ms as at 48 kHz, and records how long each call takes,
// while the benchmark's thread either idles (the baseline) or opens the
// editor in an X11 window, idles it and closes it, again and again. The
// counters are the longest block and the 99.9th percentile in microseconds,
// and the number of blocks longer than 500 us. Needs an X display: run it
// under xvfb-run -s -noreset (the server must not reset between the two
// runs). MORVANE_PLUGIN names another library to measure (an older build,
// say) instead of the one built with it.
#include <X11/Xlib.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

#include "framework/vst2/VstDefs.h"
#include "tests/vst2/LoadedEffect.h"

namespace {

using Clock = std::chrono::steady_clock;

// The library measured: MORVANE_PLUGIN's when set, the one built with the
// benchmark otherwise.
const char* LibraryPath() {
  const char* path = std::getenv("MORVANE_PLUGIN");
  return path && path[0] ? path : MORVANE_PLUGIN_PATH;
}

// Processes 64-frame blocks until stopped, keeping the longest block and a
// histogram of the durations in whole microseconds.
class AudioThread {
public:
  static constexpr int kBins = 100000;  // up to 100 ms

  explicit AudioThread(AEffect* effect) : mEffect(effect), mCounts(kBins + 1, 0), mThread([this] { Run(); }) {}

  void StopAndReport(benchmark::State& state) {
    mStop = true;
    mThread.join();
    uint64_t total = 0;
    for (uint64_t c : mCounts) total += c;
    if (total == 0) return;
    uint64_t seen = 0;
    int p999 = 0;
    for (int bin = 0; bin <= kBins; ++bin) {
      seen += mCounts[static_cast<size_t>(bin)];
      if (seen * 1000 >= total * 999) {
        p999 = bin;
        break;
      }
    }
    state.counters["worst_us"] = mWorst;
    state.counters["p999_us"] = p999;
    state.counters["blocks"] = static_cast<double>(total);
    state.counters["over_500us"] = static_cast<double>(mLong);
  }

private:
  void Run() {
    std::vector<float> in(64 * 2), out(64 * 2);
    for (size_t i = 0; i < in.size(); ++i) in[i] = (i % 17) * 0.05f - 0.4f;
    float* ins[2] = {in.data(), in.data() + 64};
    float* outs[2] = {out.data(), out.data() + 64};
    const auto period = std::chrono::microseconds(1333);
    auto next = Clock::now();
    while (!mStop) {
      next += period;
      std::this_thread::sleep_until(next);
      const auto start = Clock::now();
      mEffect->processReplacing(mEffect, ins, outs, 64);
      const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
      mWorst = std::max(mWorst, us);
      mLong += us > 500.0;
      ++mCounts[static_cast<size_t>(std::min(us, static_cast<double>(kBins)))];
    }
  }

  AEffect* mEffect;
  std::atomic<bool> mStop{false};
  double mWorst = 0.0;
  uint64_t mLong = 0;
  std::vector<uint64_t> mCounts;
  std::thread mThread;
};

// Each iteration is one editor's worth of the user-interface thread's time:
// open, five idle calls 10 ms apart, close; or, for the baseline, the same
// time spent asleep.
void Run(benchmark::State& state, bool withEditor) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    state.SkipWithError("no X display (run under xvfb-run)");
    return;
  }
  Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 640, 360, 0, 0, 0);
  XMapWindow(display, parent);
  XSync(display, False);
  {
    vst2test::LoadedEffect plug(LibraryPath(), 48000.0f, 64);
    if (!plug.Ok()) {
      state.SkipWithError("Morvane.so could not be loaded");
    } else {
      AudioThread audio(plug.get());
      void* handle = reinterpret_cast<void*>(static_cast<uintptr_t>(parent));
      for (auto _ : state) {
        if (withEditor) plug.Dispatch(effEditOpen, 0, 0, handle);
        for (int i = 0; i < 5; ++i) {
          if (withEditor) plug.Dispatch(effEditIdle);
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (withEditor) plug.Dispatch(effEditClose);
      }
      audio.StopAndReport(state);
    }
  }
  XDestroyWindow(display, parent);
  XCloseDisplay(display);
}

void NoEditor(benchmark::State& state) { Run(state, false); }
void EditorOpensAndCloses(benchmark::State& state) { Run(state, true); }

BENCHMARK(NoEditor)->Iterations(40)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(EditorOpensAndCloses)->Iterations(40)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
