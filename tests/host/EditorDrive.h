#pragma once
// The test host's editor session on the platform's windows: the editor of an
// open effect opened as a child of a real top-level window of the host's,
// messages pumped through the editor's redraw timer, the knob gesture made
// with real mouse input, and the window's pixels read back. One
// implementation per platform folder.
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

}  // namespace hosttest
