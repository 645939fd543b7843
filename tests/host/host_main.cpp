// morvane_test_host LIBRARY [--speed-out FILE] [--editor-reference FILE]
//                           [--window-out FILE] [--scale PERCENT]
//                           [--unload-cycles N [--vst3-module FILE] [--cycles-out FILE]]
//
// The project's own host: loads a plug-in library as hosts load it, runs the
// VST2 round of a session (HostRound.h), measures the processing speed, and,
// with a reference, drives the editor in a real window (EditorDrive.h): the
// knob gesture must change its parameter, the host must see begin-edit,
// automate and end-edit in that order, and the window must show the
// reference's pixels exactly. With --unload-cycles, first loads, uses (both
// editors open) and unloads the library N times (EditorDrive.h), and the
// VST3 module beside it when given: nothing may
// crash, and after the warm-up cycles the process's handles, threads, GDI and
// USER objects may not grow, nor its private memory by more than a small
// tolerance; the figures go to --cycles-out too. Exit status 0 when every
// check held.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/host/EditorDrive.h"
#include "tests/host/HostRound.h"
#include "tests/vst2/HostScale.h"
#include "tests/vst2/PluginLibrary.h"

namespace {

using namespace hosttest;

int Failed(const std::string& what) {
  std::fprintf(stderr, "morvane_test_host: FAILED: %s\n", what.c_str());
  return 1;
}

// The begin-edit, automate and end-edit calls of the gesture, in order.
bool EditCallsInOrder(int param, float value, std::string* what) {
  std::string seen;
  bool ok = true;
  int step = 0;
  for (const HostCall& call : HostCalls()) {
    const char* name = call.opcode == audioMasterBeginEdit ? "begin-edit"
                       : call.opcode == audioMasterAutomate ? "automate"
                       : call.opcode == audioMasterEndEdit  ? "end-edit"
                                                            : nullptr;
    if (!name) continue;
    seen += std::string(seen.empty() ? "" : ", ") + name + "(" + std::to_string(call.index) + ")";
    static const VstInt32 kOrder[3] = {audioMasterBeginEdit, audioMasterAutomate, audioMasterEndEdit};
    ok = ok && step < 3 && call.opcode == kOrder[step] && call.index == param &&
         (call.opcode != audioMasterAutomate || call.opt == value);
    ++step;
  }
  *what = seen.empty() ? "no edit calls" : seen;
  return ok && step == 3;
}

// The cycles after which what the process holds may no longer grow: the
// first loads fill the C runtime's and Wine's own caches.
constexpr int kWarmUpCycles = 5;
// Private memory may grow by this much after the warm-up, in all: the heap's
// own bookkeeping moves a little from cycle to cycle. An editor's drawing
// bitmaps (578 x 299 x 4 bytes each) or the C++ runtime's exception pool
// (about 73 KiB) left behind by each load would exceed it.
constexpr long kMemoryToleranceKiB = 256;
// Handles each load leaves behind that the plug-in cannot give back: the
// statically linked winpthread library keeps a record of the thread that
// first initialises a function-local static in the library (a duplicate of
// the thread's handle and an event) and releases it only when that thread
// ends, not when the library is unloaded while the host's thread lives on.
constexpr long kRuntimeHandlesPerLoad = 2;

// The figures of the unload cycles into *figures, one line per count; false
// when a count grew after the warm-up (each cycle loads modulesPerCycle
// modules).
bool ReportUnloadCycles(const UnloadCycles& run, int modulesPerCycle, std::string* figures, std::string* what) {
  struct Row {
    const char* name;
    long ProcessCounts::*count;
    long tolerance;
  };
  const long loads = static_cast<long>(run.cycles - kWarmUpCycles) * modulesPerCycle;
  const Row rows[] = {{"handles", &ProcessCounts::handles, kRuntimeHandlesPerLoad * loads},
                      {"threads", &ProcessCounts::threads, 0},
                      {"GDI objects", &ProcessCounts::gdiObjects, 0},
                      {"USER objects", &ProcessCounts::userObjects, 0},
                      {"private memory (KiB)", &ProcessCounts::privateKiB, kMemoryToleranceKiB}};
  *figures = std::to_string(run.cycles) + " load, use, unload cycles (" + run.howCounted + ")\n";
  bool ok = true;
  for (const Row& row : rows) {
    const long first = run.first.*row.count, warm = run.warm.*row.count, last = run.last.*row.count;
    char line[200];
    std::snprintf(line, sizeof line, "  %-20s after cycle 1: %ld, after cycle %d: %ld, after cycle %d: %ld", row.name,
                  first, kWarmUpCycles, warm, run.cycles, last);
    *figures += line;
    if (row.tolerance > 0) {
      std::snprintf(line, sizeof line, " (may grow by %ld after cycle %d)", row.tolerance, kWarmUpCycles);
      *figures += line;
    }
    *figures += "\n";
    if (first < 0 || warm < 0 || last < 0) {
      *what += std::string(what->empty() ? "" : "; ") + row.name + " cannot be counted";
      ok = false;
    } else if (last - warm > row.tolerance) {
      *what += std::string(what->empty() ? "" : "; ") + row.name + " grew from " + std::to_string(warm) + " to " +
               std::to_string(last) + " (allowed: " + std::to_string(row.tolerance) + ")";
      ok = false;
    }
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const char* libraryPath = nullptr;
  const char* speedOut = nullptr;
  const char* referencePath = nullptr;
  const char* windowOut = nullptr;
  int unloadCycles = 0;
  int percent = 100;
  const char* cyclesOut = nullptr;
  const char* vst3Module = nullptr;
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--speed-out") == 0 && hasValue) {
      speedOut = argv[++i];
    } else if (std::strcmp(argv[i], "--editor-reference") == 0 && hasValue) {
      referencePath = argv[++i];
    } else if (std::strcmp(argv[i], "--window-out") == 0 && hasValue) {
      windowOut = argv[++i];
    } else if (std::strcmp(argv[i], "--scale") == 0 && hasValue) {
      percent = std::atoi(argv[++i]);
      if (editor_scale::IndexOfPercent(percent) < 0) {
        libraryPath = nullptr;
        break;
      }
    } else if (std::strcmp(argv[i], "--unload-cycles") == 0 && hasValue) {
      unloadCycles = std::atoi(argv[++i]);
      if (unloadCycles <= kWarmUpCycles) {
        libraryPath = nullptr;
        break;
      }
    } else if (std::strcmp(argv[i], "--vst3-module") == 0 && hasValue) {
      vst3Module = argv[++i];
    } else if (std::strcmp(argv[i], "--cycles-out") == 0 && hasValue) {
      cyclesOut = argv[++i];
    } else if (!libraryPath && argv[i][0] != '-') {
      libraryPath = argv[i];
    } else {
      libraryPath = nullptr;
      break;
    }
  }
  if (!libraryPath) {
    std::fprintf(stderr, "usage: morvane_test_host LIBRARY [--speed-out FILE] [--editor-reference FILE] "
                         "[--window-out FILE] [--scale 100|150|200] [--unload-cycles N (more than %d) [--vst3-module FILE] "
                         "[--cycles-out FILE]]\n",
                 kWarmUpCycles);
    return 2;
  }

  // Before the library is loaded for the round: each cycle must unload it.
  std::string what;
  if (unloadCycles > 0) {
    UnloadCycles run;
    if (!RunUnloadCycles(libraryPath, vst3Module, unloadCycles, kWarmUpCycles, &run, &what)) {
      return Failed("unload cycles: " + what);
    }
    std::string figures;
    const bool held = ReportUnloadCycles(run, vst3Module ? 2 : 1, &figures, &what);
    for (size_t start = 0, end; start < figures.size(); start = end + 1) {
      end = figures.find('\n', start);
      std::printf("morvane_test_host: %s\n", figures.substr(start, end - start).c_str());
    }
    if (cyclesOut) {
      std::FILE* file = std::fopen(cyclesOut, "w");
      if (!file || std::fputs(figures.c_str(), file) < 0 || std::fclose(file) != 0) {
        return Failed("cannot write the unload cycles' figures");
      }
    }
    if (!held) return Failed("unload cycles: " + what);
  }

  void* library = vst2test::OpenLibrary(libraryPath);
  if (!library) return Failed(std::string("cannot load ") + libraryPath + ": " + vst2test::LibraryError());
  auto entry = reinterpret_cast<VstPluginMainProc>(vst2test::FindSymbol(library, "VSTPluginMain"));
  AEffect* effect = entry ? entry(&RecordingHost) : nullptr;
  AEffect* twin = entry ? entry(&RecordingHost) : nullptr;
  if (!effect || !twin) return Failed("no plug-in from VSTPluginMain");

  if (!RunRound(effect, twin, &what)) return Failed("VST2 round: " + what);
  twin->dispatcher(twin, effClose, 0, 0, nullptr, 0.0f);
  std::printf("morvane_test_host: VST2 round passed (open, rate, block size, both precisions, chunks)\n");

  if (referencePath || windowOut) {
    EditorSession session;
    // The editor at the size asked for, told as hosts tell it.
    SendHostScale(effect, percent / 100.0f);
    if (!DriveEditor(effect, GestureAt(percent), &session, &what)) return Failed("editor: " + what);
    if (windowOut && !WritePixels(session.window, windowOut)) return Failed("cannot write the window's pixels");
    std::printf("morvane_test_host: editor ticked %d times before and %d after the gesture; value %.6f -> %.6f\n",
                session.ticksBefore, session.ticksAfter, session.valueBefore, session.valueAfter);
    if (session.ticksBefore < 5 || session.ticksAfter < 5) return Failed("the redraw timer ticked too rarely");
    if (!(session.valueAfter > session.valueBefore)) return Failed("the knob gesture did not raise its parameter");
    if (!EditCallsInOrder(kGesture.param, session.valueAfter, &what)) {
      return Failed("the host saw " + what + " instead of begin-edit, automate, end-edit");
    }
    std::printf("morvane_test_host: the host saw %s\n", what.c_str());
    if (referencePath) {
      Pixels reference;
      if (!ReadPixels(referencePath, &reference)) return Failed(std::string("cannot read ") + referencePath);
      if (!SamePixels(session.window, reference, &what)) return Failed("the window's pixels: " + what);
      std::printf("morvane_test_host: the window's %d x %d pixels equal the reference\n", reference.width,
                  reference.height);
    }
  }

  if (speedOut) {
    const double nsDouble = NsPerFrame(effect, true);
    const double nsFloat = NsPerFrame(effect, false);
    char line[160];
    std::snprintf(line, sizeof line, "%.1f ns per stereo frame (double), %.1f (single), blocks of %d frames\n",
                  nsDouble, nsFloat, kBlockFrames);
    std::printf("morvane_test_host: %s", line);
    std::FILE* file = std::fopen(speedOut, "w");
    if (!file || std::fputs(line, file) < 0 || std::fclose(file) != 0) return Failed("cannot write the speed");
  }

  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
  vst2test::CloseLibrary(library);
  return 0;
}
