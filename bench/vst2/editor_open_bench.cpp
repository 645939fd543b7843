// What a host's user waits for: constructing the first instance of a process
// (hosts scan each plug-in in a fresh process), opening its editor the first
// time (the images of the size shown are decoded then), and afterwards
// opening the editor of a second instance (the images are cached) and the
// first one's again. Each
// iteration runs in a child process of its own, so that "first" is first.
// The child loads Morvane.so as a host does, tells the size with the host's
// scale message (1.0, 1.5 or 2.0), opens the editor in an X11 window and
// idles it until it has drawn. Counters in milliseconds, the medians of the
// iterations. Needs an X display: run it under xvfb-run -s -noreset.
// MORVANE_PLUGIN names another library to measure instead.
#include <X11/Xlib.h>
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "framework/vst2/VstDefs.h"
#include "tests/vst2/HostScale.h"

namespace {

using Clock = std::chrono::steady_clock;

VstIntPtr VSTCALLBACK Host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  if (opcode == audioMasterVersion) return 2400;
  return opcode == audioMasterSizeWindow ? 1 : 0;
}

double Ms(Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); }

struct Timings {
  double load = -1, construct = -1, firstOpen = -1, nextOpen = -1, reopen = -1;
};

VstIntPtr Call(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
               float opt = 0.0f) {
  return e->dispatcher(e, opcode, index, value, ptr, opt);
}

// Opens the editor and idles it until its first frame is drawn (the first
// idle call draws it).
double OpenAndDraw(AEffect* e, void* parent, float scale) {
  const auto start = Clock::now();
  SendHostScale(e, scale);
  if (!Call(e, effEditOpen, 0, 0, parent)) return -1;
  Call(e, effEditIdle);
  return Ms(start);
}

Timings MeasureInThisProcess(float scale) {
  Timings t;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return t;
  Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1200, 700, 0, 0, 0);
  XMapWindow(display, parent);
  XSync(display, False);
  void* handle = reinterpret_cast<void*>(static_cast<uintptr_t>(parent));

  const char* path = std::getenv("MORVANE_PLUGIN");
  auto start = Clock::now();
  void* library = dlopen(path && path[0] ? path : MORVANE_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
  if (!library) return t;
  t.load = Ms(start);
  auto entry = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(dlsym(library, "VSTPluginMain"));
  start = Clock::now();
  AEffect* first = entry ? entry(Host) : nullptr;
  t.construct = Ms(start);
  if (!first) return t;
  Call(first, effOpen);
  t.firstOpen = OpenAndDraw(first, handle, scale);
  Call(first, effEditClose);

  AEffect* second = entry(Host);
  Call(second, effOpen);
  t.nextOpen = OpenAndDraw(second, handle, scale);
  Call(second, effEditClose);
  t.reopen = OpenAndDraw(first, handle, scale);
  Call(first, effEditClose);
  Call(second, effClose);
  Call(first, effClose);
  XDestroyWindow(display, parent);
  XCloseDisplay(display);
  return t;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? -1 : v[v.size() / 2];
}

void Open(benchmark::State& state, float scale) {
  std::vector<double> construct, firstOpen, nextOpen, reopen, load;
  for (auto _ : state) {
    int fds[2];
    if (pipe(fds) != 0) break;
    const pid_t child = fork();
    if (child == 0) {
      close(fds[0]);
      const Timings t = MeasureInThisProcess(scale);
      const ssize_t written = write(fds[1], &t, sizeof t);
      _exit(written == sizeof t ? 0 : 1);
    }
    close(fds[1]);
    Timings t;
    const bool read = ::read(fds[0], &t, sizeof t) == sizeof t;
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!read || t.nextOpen < 0) {
      state.SkipWithError("the editor could not be measured (is there an X display?)");
      return;
    }
    load.push_back(t.load);
    construct.push_back(t.construct);
    firstOpen.push_back(t.firstOpen);
    nextOpen.push_back(t.nextOpen);
    reopen.push_back(t.reopen);
  }
  state.counters["load_ms"] = Median(load);
  state.counters["construct_ms"] = Median(construct);
  state.counters["first_open_ms"] = Median(firstOpen);
  state.counters["next_open_ms"] = Median(nextOpen);
  state.counters["reopen_ms"] = Median(reopen);
}

void At100(benchmark::State& state) { Open(state, 1.0f); }
void At150(benchmark::State& state) { Open(state, 1.5f); }
void At200(benchmark::State& state) { Open(state, 2.0f); }

BENCHMARK(At100)->Iterations(7)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(At150)->Iterations(7)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(At200)->Iterations(7)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
