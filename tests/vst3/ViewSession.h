#pragma once
// The editor session both view tests run (the X11 one on Linux, the HWND
// one under Wine), and the off-screen render of Morvane's editor they
// compare their window with.
#include <string>

#include "tests/host/HostRound.h"
#include "tests/vst3/Vst3TestHost.h"

namespace vst3test {

// The parameters as a host sets them before the editor opens (values a
// float holds, so that the VST2 path of the render takes the same ones).
struct ViewValue {
  int param;
  double value;
};
constexpr ViewValue kViewState[] = {{0, 0.75}, {1, 0.25}, {3, 0.875}, {4, 0.625}, {7, 0.125}};

// The gesture on the editor: the test host's (HostRound.h).
using hosttest::kGesture;

// The overload lamp's parameter id.
constexpr ParamID kViewLampId = 101;

// Sets up the instance as a host would before opening the editor: the
// controller's values, and the overload lamp's value from an overload the
// processor measured, relayed from its output queue. False (with *failure)
// when the lamp did not report lit.
bool PrepareViewSession(Instance& plug, std::string* failure);

// What a view test starts from: the bundle's module, an instance set up by
// PrepareViewSession, the host's handler on its controller, and the editor's
// view; the view is null, and `failure` says why, when any of it is missing.
// The handler is taken off the controller on destruction.
struct ViewHost {
  ViewHost();
  ~ViewHost();
  ViewHost(const ViewHost&) = delete;
  ViewHost& operator=(const ViewHost&) = delete;

  Module module;
  Instance plug;
  ComponentHandler handler;
  IPlugView* view = nullptr;
  std::string failure;
};

// Whether the handler saw the gesture as begin, values, end on its
// parameter, and the controller holds the last value, above `before`.
bool GestureEditsSeen(const ComponentHandler& handler, Instance& plug, double before, std::string* failure);

// Morvane's editor drawn off-screen after the same session and gesture
// (Linux builds only: posix/ViewReference.cpp).
bool RenderViewReference(hosttest::Pixels* pixels);

}  // namespace vst3test
