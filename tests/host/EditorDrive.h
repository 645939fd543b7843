#pragma once
// The test host's editor session on the platform's windows: the editor of an
// open effect opened as a child of a real top-level window of the host's,
// messages pumped through the editor's redraw timer, the knob gesture made
// with real mouse input, and the window's pixels read back; and the library
// loaded, used with its editors open and unloaded many times over, counting
// what the process holds. One implementation per platform folder.
#include <string>

#include "framework/vst2/VstDefs.h"
#include "tests/host/HostRound.h"

namespace hosttest {

struct EditorSession {
  int ticksBefore = 0;      // redraw-timer ticks pumped before the gesture
  int ticksAfter = 0;       // and after it
  float valueBefore = 0.0f; // the gesture's parameter before and after
  float valueAfter = 0.0f;
  Pixels window;            // what the editor window shows at the end
};

// False with *failure when the platform has no editor window or a step failed.
bool DriveEditor(AEffect* effect, const KnobGesture& gesture, EditorSession* session, std::string* failure);

// What the process holds, as the platform counts it; -1 where it cannot.
struct ProcessCounts {
  long handles = -1;       // kernel object handles
  long threads = -1;
  long gdiObjects = -1;
  long userObjects = -1;   // windows and the other user-interface objects
  long privateKiB = -1;    // committed private memory
};

struct UnloadCycles {
  int cycles = 0;          // the cycles completed
  ProcessCounts first;     // after the first cycle
  ProcessCounts warm;      // after the warm-up cycles
  ProcessCounts last;      // after the last cycle
  std::string howCounted;  // where each count came from
};

// `cycles` times in this process, which must not have the library loaded:
// the library loaded, two instances made and resumed, both editors opened in
// real windows of the host's and left to draw a few redraw ticks, both
// editors closed, both instances closed, the library unloaded. It must be
// gone from the process after each cycle, and its editor window class with
// it. Given a VST3 module (else null), each cycle also loads it, makes and
// releases one instance of its class and unloads it. The counts are taken
// after the first cycle, after `warmUp` cycles and after the last. False with *failure when the platform has no such check or
// a step failed (a crash ends the process).
bool RunUnloadCycles(const char* libraryPath, const char* vst3ModulePath, int cycles, int warmUp, UnloadCycles* result,
                     std::string* failure);

}  // namespace hosttest
