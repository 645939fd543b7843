#pragma once
// The editor side of the VST 3 interface: the plug-in's view, the host's frame
// around it, content scaling, and the run loop Linux hosts lend to views.
// Conventions as in Vst3Base.h.
//
// Host sequence (all [ui]):
// 1. createView, getSize (before attached), isPlatformTypeSupported;
// 2. setFrame(frame), then attached(parent, type);
// 3. ... resizes, keys, wheel, focus, content scale (which may also come
//    before attached or setFrame) ...;
// 4. setFrame(null), removed, release.
// Coordinates of HWND and X11 views are physical pixels.
//
// A view resizes itself by calling the frame's resizeView; the host then calls
// onSize if the size changed, possibly from within resizeView. The native
// window is resized only in onSize.

#include "framework/vst3/Vst3Base.h"

namespace vst3 {

// A view's rectangle in pixels.
struct ViewRect {
  int32 left;
  int32 top;
  int32 right;
  int32 bottom;
};

// Platform types of attached's parent (compare with strcmp).
constexpr char kPlatformTypeHWND[] = "HWND";                          // a Windows HWND
constexpr char kPlatformTypeX11EmbedWindowID[] = "X11EmbedWindowID";  // an X11 Window id for an XEmbed child
constexpr char kPlatformTypeNSView[] = "NSView";                      // macOS: refused
constexpr char kPlatformTypeHIView[] = "HIView";                      // macOS: refused
constexpr char kPlatformTypeUIView[] = "UIView";                      // iOS: refused
constexpr char kPlatformTypeWaylandSurfaceID[] = "WaylandSurfaceID";  // Wayland: refused

// Bits of onKeyDown's and onKeyUp's modifiers.
enum KeyModifier : int16 {
  kShiftKey = 1 << 0,
  kAlternateKey = 1 << 1,
  kCommandKey = 1 << 2,  // Ctrl on Windows and Linux
  kControlKey = 1 << 3,
};

class IPlugFrame;

// The plug-in's editor view, made by IEditController::createView. It must not
// outlive its controller.
class IPlugView : public FUnknown {
 public:
  // 3 [ui] kResultTrue for a platform type this view can attach to, else kResultFalse.
  virtual tresult PLUGIN_API isPlatformTypeSupported(FIDString type) = 0;
  // 4 [ui] parent: the host's window of platform type; creates the view's child window in it.
  virtual tresult PLUGIN_API attached(void* parent, FIDString type) = 0;
  // 5 [ui] destroys the child window; unregisters every run-loop handler first.
  virtual tresult PLUGIN_API removed() = 0;
  // 6 [ui] the mouse wheel turned by distance.
  virtual tresult PLUGIN_API onWheel(float distance) = 0;
  // 7 [ui] a key went down: character, virtual key code, KeyModifier bits; kResultTrue only if handled.
  virtual tresult PLUGIN_API onKeyDown(char16 key, int16 keyCode, int16 modifiers) = 0;
  // 8 [ui] a key went up; as onKeyDown.
  virtual tresult PLUGIN_API onKeyUp(char16 key, int16 keyCode, int16 modifiers) = 0;
  // 9 [ui] fills size with the view's current size (scaled by the content scale).
  virtual tresult PLUGIN_API getSize(ViewRect* size) = 0;
  // 10 [ui] the host gave the view newSize; the native window follows here.
  virtual tresult PLUGIN_API onSize(ViewRect* newSize) = 0;
  // 11 [ui] the view gained (1) or lost (0) the keyboard focus.
  virtual tresult PLUGIN_API onFocus(TBool state) = 0;
  // 12 [ui] frame: borrowed, kept with addRef; null releases the one held.
  virtual tresult PLUGIN_API setFrame(IPlugFrame* frame) = 0;
  // 13 [ui] kResultTrue when the user may resize the view, else kResultFalse.
  virtual tresult PLUGIN_API canResize() = 0;
  // 14 [ui] rect (in and out): a size the user asks for, adjusted to the nearest allowed one.
  virtual tresult PLUGIN_API checkSizeConstraint(ViewRect* rect) = 0;

  static constexpr Uid iid = MakeUid(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);
};

// The host's window around a view. On Linux it also answers IRunLoop.
class IPlugFrame : public FUnknown {
 public:
  // 3 [ui] asks the host to resize view to newSize.
  virtual tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) = 0;

  static constexpr Uid iid = MakeUid(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);
};

// On the view: the host's scale for high-resolution displays.
class IPlugViewContentScaleSupport : public FUnknown {
 public:
  typedef float ScaleFactor;  // 1 = 100 %

  // 3 [ui] at any time the view exists; kResultTrue accepts it, and getSize then
  // reports the scaled size (resizeView follows if a frame is set).
  virtual tresult PLUGIN_API setContentScaleFactor(ScaleFactor factor) = 0;

  static constexpr Uid iid = MakeUid(0x65ED9690, 0x8AC44525, 0x8AADEF7A, 0x72EA703F);
};

// Optional on the view: the parameter under a point, for the host's controls.
class IParameterFinder : public FUnknown {
 public:
  // 3 [ui] resultTag receives the id of the parameter at (xPos, yPos) in the view.
  virtual tresult PLUGIN_API findParameter(int32 xPos, int32 yPos, ParamID* resultTag) = 0;

  static constexpr Uid iid = MakeUid(0x0F618302, 0x215D4587, 0xA512073C, 0x77B9D383);
};

// ---- Linux run loop -----------------------------------------------------------------------------
// Linux has no common event loop: the host lends its own, found by querying
// the frame given to setFrame (or the object given to setHostContext). The
// view registers its X connection's descriptor and a repaint timer, and runs
// no event loop or thread of its own, since host calls are legal only on the
// UI thread. Every handler is unregistered, and the run loop released, before
// removed returns. Only Linux hosts offer these interfaces; their ids are
// defined for Linux only.
namespace Linux {

typedef int FileDescriptor;
typedef uint64 TimerInterval;  // milliseconds

// The plug-in's receiver of descriptor readiness.
class IEventHandler : public FUnknown {
 public:
  // 3 [ui] fd is readable.
  virtual void PLUGIN_API onFDIsSet(FileDescriptor fd) = 0;

  static constexpr Uid iid = MakeUid(0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983);
};

// The plug-in's receiver of a repeating timer.
class ITimerHandler : public FUnknown {
 public:
  // 3 [ui] the interval passed; repeats until unregistered.
  virtual void PLUGIN_API onTimer() = 0;

  static constexpr Uid iid = MakeUid(0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9);
};

// The host's run loop. Handlers are ordinary counted objects.
class IRunLoop : public FUnknown {
 public:
  // 3 [ui] calls handler's onFDIsSet whenever fd is readable.
  virtual tresult PLUGIN_API registerEventHandler(IEventHandler* handler, FileDescriptor fd) = 0;
  // 4 [ui] stops every call to handler.
  virtual tresult PLUGIN_API unregisterEventHandler(IEventHandler* handler) = 0;
  // 5 [ui] calls handler's onTimer every milliseconds.
  virtual tresult PLUGIN_API registerTimer(ITimerHandler* handler, TimerInterval milliseconds) = 0;
  // 6 [ui] stops handler's timer.
  virtual tresult PLUGIN_API unregisterTimer(ITimerHandler* handler) = 0;

  static constexpr Uid iid = MakeUid(0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389);
};

static_assert(sizeof(FileDescriptor) == 4 && sizeof(TimerInterval) == 8, "run-loop argument types");

}  // namespace Linux

// ---- binary layout checks ------------------------------------------------------------------

MORVANE_VST3_LAYOUT(ViewRect, 16, 4, 16, 4);
MORVANE_VST3_OFFSET(ViewRect, left, 0, 0);
MORVANE_VST3_OFFSET(ViewRect, top, 4, 4);
MORVANE_VST3_OFFSET(ViewRect, right, 8, 8);
MORVANE_VST3_OFFSET(ViewRect, bottom, 12, 12);

}  // namespace vst3
