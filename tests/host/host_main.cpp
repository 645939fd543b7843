// morvane_test_host LIBRARY [--speed-out FILE] [--editor-reference FILE]
//                           [--window-out FILE]
//
// The project's own host: loads a plug-in library as hosts load it, runs the
// VST2 round of a session (HostRound.h), measures the processing speed, and,
// with a reference, drives the editor in a real window (EditorDrive.h): the
// knob gesture must change its parameter, the host must see begin-edit,
// automate and end-edit in that order, and the window must show the
// reference's pixels exactly. Exit status 0 when every check held.
#include <cstdio>
#include <cstring>
#include <string>

#include "tests/host/EditorDrive.h"
#include "tests/host/HostRound.h"
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

// The first pixel where two images differ, and how many do.
bool SamePixels(const Pixels& window, const Pixels& reference, std::string* what) {
  if (window.width != reference.width || window.height != reference.height) {
    *what = "the window is " + std::to_string(window.width) + " x " + std::to_string(window.height) +
            ", the reference " + std::to_string(reference.width) + " x " + std::to_string(reference.height);
    return false;
  }
  size_t differing = 0, first = 0;
  for (size_t i = 0; i < window.bgr.size(); i += 3) {
    if (std::memcmp(&window.bgr[i], &reference.bgr[i], 3) != 0 && differing++ == 0) first = i / 3;
  }
  if (differing == 0) return true;
  const size_t x = first % static_cast<size_t>(window.width), y = first / static_cast<size_t>(window.width);
  char text[200];
  std::snprintf(text, sizeof text, "%zu pixels differ; the first at %zu, %zu: window %02x%02x%02x, reference %02x%02x%02x",
                differing, x, y, window.bgr[first * 3 + 2], window.bgr[first * 3 + 1], window.bgr[first * 3],
                reference.bgr[first * 3 + 2], reference.bgr[first * 3 + 1], reference.bgr[first * 3]);
  *what = text;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const char* libraryPath = nullptr;
  const char* speedOut = nullptr;
  const char* referencePath = nullptr;
  const char* windowOut = nullptr;
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--speed-out") == 0 && hasValue) {
      speedOut = argv[++i];
    } else if (std::strcmp(argv[i], "--editor-reference") == 0 && hasValue) {
      referencePath = argv[++i];
    } else if (std::strcmp(argv[i], "--window-out") == 0 && hasValue) {
      windowOut = argv[++i];
    } else if (!libraryPath && argv[i][0] != '-') {
      libraryPath = argv[i];
    } else {
      libraryPath = nullptr;
      break;
    }
  }
  if (!libraryPath) {
    std::fprintf(stderr, "usage: morvane_test_host LIBRARY [--speed-out FILE] [--editor-reference FILE] "
                         "[--window-out FILE]\n");
    return 2;
  }

  void* library = vst2test::OpenLibrary(libraryPath);
  if (!library) return Failed(std::string("cannot load ") + libraryPath + ": " + vst2test::LibraryError());
  auto entry = reinterpret_cast<VstPluginMainProc>(vst2test::FindSymbol(library, "VSTPluginMain"));
  AEffect* effect = entry ? entry(&RecordingHost) : nullptr;
  AEffect* twin = entry ? entry(&RecordingHost) : nullptr;
  if (!effect || !twin) return Failed("no plug-in from VSTPluginMain");

  std::string what;
  if (!RunRound(effect, twin, &what)) return Failed("VST2 round: " + what);
  twin->dispatcher(twin, effClose, 0, 0, nullptr, 0.0f);
  std::printf("morvane_test_host: VST2 round passed (open, rate, block size, both precisions, chunks)\n");

  if (referencePath || windowOut) {
    EditorSession session;
    if (!DriveEditor(effect, kGesture, &session, &what)) return Failed("editor: " + what);
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
