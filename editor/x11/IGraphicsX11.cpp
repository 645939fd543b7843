#include "editor/x11/IGraphicsX11.h"

#include <X11/Xresource.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdint>
#include <cstdlib>

#include "bitmap/Bitmap.h"
#include "common/NumberText.h"
#include "editor/IControl.h"
#include "editor/IEditorWindowLogic.h"
#include "editor/x11/DesktopServices.h"
#include "editor/x11/XErrorTrap.h"
#include "editor/x11/XPopupMenu.h"
#include "editor/x11/XTextEntry.h"
#include "framework/IEffectBase.h"

namespace {

constexpr long kWindowEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                               KeyReleaseMask | LeaveWindowMask | StructureNotifyMask | FocusChangeMask;
constexpr unsigned kGrabEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
constexpr unsigned kButtonsHeld = Button1Mask | Button2Mask | Button3Mask;
// A second left press this soon (ms) and this near (pixels) to the first is
// a double click: the desktop's usual settings.
constexpr Time kDoubleClickTime = 400;
constexpr int kDoubleClickDistance = 5;
// Events handled by one idle call at most, so that a flood cannot hold the
// host's user-interface thread.
constexpr int kMaxEventsPerIdle = 4096;

bool gSharedMemoryAllowed = true;

unsigned ButtonMask(unsigned button) {
  switch (button) {
    case Button1: return Button1Mask;
    case Button2: return Button2Mask;
    case Button3: return Button3Mask;
    case Button4: return Button4Mask;
    case Button5: return Button5Mask;
    default: return 0;
  }
}

IModifiers Modifiers(unsigned state) {
  IModifiers mods;
  mods.left = (state & Button1Mask) != 0;
  mods.right = (state & Button3Mask) != 0;
  mods.shift = (state & ShiftMask) != 0;
  mods.control = (state & ControlMask) != 0;
  mods.alt = (state & Mod1Mask) != 0;
  return mods;
}

// The editor's key code of a key symbol (its unshifted one), through the
// virtual-key codes the codes are defined by: digits and letters are their
// ASCII codes in both systems.
int KeyCodeFor(KeySym sym) {
  switch (sym) {
    case XK_space: return EditorKeyCode(32);
    case XK_Left: case XK_KP_Left: return EditorKeyCode(37);
    case XK_Up: case XK_KP_Up: return EditorKeyCode(38);
    case XK_Right: case XK_KP_Right: return EditorKeyCode(39);
    case XK_Down: case XK_KP_Down: return EditorKeyCode(40);
    default: break;
  }
  if ((sym >= XK_0 && sym <= XK_9) || (sym >= XK_A && sym <= XK_Z) || (sym >= XK_a && sym <= XK_z)) {
    return EditorKeyCode(static_cast<int>(sym));
  }
  return -1;
}

Window ToWindow(void* handle) { return static_cast<Window>(reinterpret_cast<uintptr_t>(handle)); }

// The scale the desktop asks of programs on this display: Xft.dpi of its
// resources (the setting desktops change for high-resolution screens) / 96;
// 0 when it is not set or not a number.
double ScreenScale(Display* display) {
  const char* resources = XResourceManagerString(display);
  if (!resources) return 0.0;
  XrmInitialize();
  XrmDatabase database = XrmGetStringDatabase(resources);
  if (!database) return 0.0;
  double scale = 0.0;
  char* type = nullptr;
  XrmValue value;
  if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
    const double dpi = ParseNumber(value.addr);
    if (dpi > 0.0) scale = dpi / 96.0;
  }
  XrmDestroyDatabase(database);
  return scale;
}

}  // namespace

IGraphicsX11::IGraphicsX11(IEffectBase* plugin, int width, int height, int frameRate)
    : IGraphicsWindowless(plugin, width, height, frameRate) {}

IGraphicsX11::~IGraphicsX11() {
  DetachPlugin();
  CloseWindow();
}

// ---- the host's entries: one at a time -------------------------------------------------

bool IGraphicsX11::Claim(bool wait) {
  std::unique_lock<std::mutex> lock(mClaimLock);
  if (!wait) {
    if (mClaimed) return false;
  } else {
    mClaimFree.wait(lock, [this] { return !mClaimed; });
  }
  mClaimed = true;
  mClaimOwner = std::this_thread::get_id();
  return true;
}

bool IGraphicsX11::ClaimedHere() {
  std::lock_guard<std::mutex> lock(mClaimLock);
  return mClaimed && mClaimOwner == std::this_thread::get_id();
}

// Before letting go, the entries the host made from inside this claim: the
// scale first (a close after it then leaves the editor at the new size).
void IGraphicsX11::Unclaim() {
  while (mHasDeferredScale || mDeferredClose) {
    if (mHasDeferredScale) {
      mHasDeferredScale = false;
      IGraphicsWindowless::SetHostScale(mDeferredScale);
    } else {
      mDeferredClose = false;
      DoCloseWindow();
    }
  }
  {
    std::lock_guard<std::mutex> lock(mClaimLock);
    mClaimed = false;
    mClaimOwner = std::thread::id();
  }
  mClaimFree.notify_all();
}

void* IGraphicsX11::OpenWindow(void* parentWindow) {
  // Opening from inside one of the editor's own calls to the host: refused.
  if (ClaimedHere()) return nullptr;
  Claim(true);
  DoOpenWindow(parentWindow);
  // A close the host asked for meanwhile (from inside the size request) is
  // done here: then no window is open.
  Unclaim();
  return NativeWindow();
}

void IGraphicsX11::CloseWindow() {
  if (ClaimedHere()) {
    mDeferredClose = true;
    return;
  }
  Claim(true);
  DoCloseWindow();
  Unclaim();
}

void IGraphicsX11::Idle() {
  // An idle call that meets another entry at work (a close on another
  // thread, say) has nothing to do: the next one will.
  if (!Claim(false)) return;
  DoIdle();
  Unclaim();
}

void IGraphicsX11::SetHostScale(double scale) {
  if (ClaimedHere()) {
    mHasDeferredScale = true;
    mDeferredScale = scale;
    return;
  }
  Claim(true);
  IGraphicsWindowless::SetHostScale(scale);
  Unclaim();
}

void IGraphicsX11::AllowSharedMemory(bool allowed) { gSharedMemoryAllowed = allowed; }

const char* IGraphicsX11::GetDrawingApiName() { return "Xlib"; }

// ---- opening and closing ------------------------------------------------------------------

void* IGraphicsX11::DoOpenWindow(void* parentWindow) {
  DoCloseWindow();
  const Window parent = ToWindow(parentWindow);
  if (!parent || LayoutWidth() < 1 || LayoutHeight() < 1) return nullptr;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return nullptr;
  x11::TrapErrors(display);
  mDisplay = display;
  // The size for this screen and the user's choice, told to the host before
  // the window is made.
  SetPlatformScale(ScreenScale(display), true);
  if (!BackBuffer()) {
    DoCloseWindow();
    return nullptr;
  }

  // 1. The parent must exist; its screen is the editor's.
  XWindowAttributes parentAttributes;
  if (!XGetWindowAttributes(display, parent, &parentAttributes)) {
    DoCloseWindow();
    return nullptr;
  }
  const int screen = XScreenNumberOfScreen(parentAttributes.screen);
  mRoot = RootWindow(display, screen);

  // 2. A true-colour visual: the screen's own, else a 24-bit one with a
  //    colour map of its own (a child may differ from its parent in visual
  //    when it brings its colour map and border).
  mVisual = DefaultVisual(display, screen);
  mDepth = DefaultDepth(display, screen);
  Colormap colormap = DefaultColormap(display, screen);
  if (mVisual->c_class != TrueColor) {
    XVisualInfo info;
    if (!XMatchVisualInfo(display, screen, 24, TrueColor, &info)) {
      DoCloseWindow();
      return nullptr;
    }
    mVisual = info.visual;
    mDepth = info.depth;
    mColormap = colormap = XCreateColormap(display, mRoot, mVisual, AllocNone);
  }

  // 3. The child window at the parent's top left, with no background (the
  //    server leaves exposed parts for the editor to paint, without flicker).
  XSetWindowAttributes attributes = {};
  attributes.background_pixmap = None;
  attributes.border_pixel = 0;
  attributes.colormap = colormap;
  attributes.event_mask = kWindowEvents;
  attributes.bit_gravity = NorthWestGravity;
  const uint32_t errorsBefore = x11::ErrorsOf(display).count;
  mWindow = XCreateWindow(display, parent, 0, 0, static_cast<unsigned>(Width()), static_cast<unsigned>(Height()), 0,
                          mDepth, InputOutput, mVisual,
                          CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask | CWBitGravity, &attributes);
  mWindowAlive = mWindow != 0;
  if (mWindowAlive) {
    mGC = XCreateGC(display, mWindow, 0, nullptr);
    XSetGraphicsExposures(display, mGC, False);
    XMapWindow(display, mWindow);
  }
  XSync(display, False);
  if (!mWindowAlive || x11::ErrorsOf(display).count != errorsBefore ||
      !mSurface.Create(display, mVisual, mDepth, Width(), Height(), gSharedMemoryAllowed)) {
    DoCloseWindow();
    return nullptr;
  }
  mParent = parent;

  // 4. The whole editor draws on the first tick, which is due at once.
  ShowEverything();
  mDamage = IBounds();
  mNextFrame = std::chrono::steady_clock::now();
  mClickPending = false;
  mSwallowedReleases = 0;
  return NativeWindow();
}

void IGraphicsX11::DoCloseWindow() {
  if (!mDisplay) return;
  if (mEntry) EndTextEntry(false);
  EndMouseGesture();
  RestoreCursor();
  UngrabPointer();
  mSurface.Destroy();
  if (mGC) XFreeGC(mDisplay, mGC);
  // A window the host destroyed with its parent is not destroyed again; if
  // the news has not arrived yet, the request fails into the error trap.
  if (mWindow && mWindowAlive) XDestroyWindow(mDisplay, mWindow);
  if (mBlankCursor) XFreeCursor(mDisplay, mBlankCursor);
  if (mColormap) XFreeColormap(mDisplay, mColormap);
  XSync(mDisplay, False);
  Display* display = mDisplay;
  XCloseDisplay(display);
  x11::UntrapErrors(display);
  mDisplay = nullptr;
  mWindow = mParent = mRoot = 0;
  mWindowAlive = false;
  mGC = nullptr;
  mColormap = 0;
  mBlankCursor = 0;
  mVisual = nullptr;
  mDepth = 0;
  mDamage = IBounds();
  // A closed editor holds no window-sized memory; the next opening makes it
  // again (from memory the process has just given back, so cheaply).
  DeleteDrawingBitmaps();
}

void* IGraphicsX11::NativeWindow() {
  return mDisplay && mWindowAlive ? reinterpret_cast<void*>(static_cast<uintptr_t>(mWindow)) : nullptr;
}

int IGraphicsX11::EventDescriptor() const { return mDisplay ? ConnectionNumber(mDisplay) : -1; }

void IGraphicsX11::OnWindowDestroyed() {
  if (!mWindowAlive) return;
  // The server ended the grab with the window; the entry goes with its box.
  mWindowAlive = false;
  mCapture = false;
  if (mEntry) EndTextEntry(false);
  EndMouseGesture();
  mDamage = IBounds();
}

void IGraphicsX11::Resize(int width, int height) {
  if (width == LayoutWidth() && height == LayoutHeight()) return;
  // The controls are about to be deleted: no entry or gesture may refer to them.
  if (mEntry) EndTextEntry(false);
  EndMouseGesture();
  IGraphics::Resize(width, height);
  ResizeWindowToScale();
}

void IGraphicsX11::ResizeWindowToScale() {
  if (mEntry) EndTextEntry(false);
  if (!mDisplay || !mWindowAlive || Width() < 1 || Height() < 1) return;
  XResizeWindow(mDisplay, mWindow, static_cast<unsigned>(Width()), static_cast<unsigned>(Height()));
  mSurface.Create(mDisplay, mVisual, mDepth, Width(), Height(), gSharedMemoryAllowed);
  mDamage = IBounds(0, 0, Width(), Height());
}

// ---- idle, redraw and presenting ------------------------------------------------------------

void IGraphicsX11::DoIdle() {
  x11::ReapOpeners();
  ApplyPendingValues();
  for (int n = 0; n < kMaxEventsPerIdle && mDisplay && XPending(mDisplay) > 0; ++n) {
    XEvent event;
    XNextEvent(mDisplay, &event);
    // Of a run of motion events only the last counts: a drag's distance is
    // taken from the last position delivered.
    if (event.type == MotionNotify && XEventsQueued(mDisplay, QueuedAlready) > 0) {
      XEvent next;
      XPeekEvent(mDisplay, &next);
      if (next.type == MotionNotify && next.xmotion.window == event.xmotion.window &&
          next.xmotion.state == event.xmotion.state) {
        continue;
      }
    }
    HandleEvent(event);
  }
  if (!mDisplay || !mWindowAlive) return;

  const auto now = std::chrono::steady_clock::now();
  if (now >= mNextFrame) {
    Tick();
    mNextFrame += std::chrono::milliseconds(RedrawTimerPeriodMs(mFrameRate));
    if (mNextFrame <= now) mNextFrame = now + std::chrono::milliseconds(RedrawTimerPeriodMs(mFrameRate));
  }
  if (!mDamage.Empty() && mWindowAlive) {
    // While the box has the focus nothing is redrawn: what the server lost
    // is shown again as the back buffer holds it.
    if (mEntry && mEntry->logic.EditorBlocked()) {
      const IBounds lost = mDamage;
      mDamage = IBounds();
      PresentArea(lost);
    } else {
      Repaint(IBounds());
    }
  }
}

void IGraphicsX11::Tick() {
  if (mEntry) {
    switch (mEntry->logic.TickStep()) {
      case ITextEntryLogic::ETick::kCommit:
        EndTextEntry(true);
        return;
      case ITextEntryLogic::ETick::kCancel:
        EndTextEntry(false);
        return;
      case ITextEntryLogic::ETick::kSkip:
        return;
      case ITextEntryLogic::ETick::kRedraw:
        break;
    }
  }
  IBounds dirty;
  if (CollectDirtyArea(&dirty) || !mDamage.Empty()) {
    Repaint(dirty);
    if (mEntry) mEntry->logic.RedrawnWhileOpen();
  }
}

void IGraphicsX11::Repaint(const IBounds& area) {
  // Draw cleans every control, so the area takes in everything dirty.
  IBounds all = Union(area, mDamage);
  IBounds dirty;
  if (CollectDirtyArea(&dirty)) all = Union(all, dirty);
  mDamage = IBounds();
  if (!all.Empty()) Draw(all);
}

bool IGraphicsX11::PresentArea(const IBounds& area) {
  // Nothing is drawn into a window that is gone.
  if (!mDisplay || !mWindowAlive || !BackBuffer()) return true;
  if (mEntry && Intersects(area, mEntry->area)) DrawEntryBox();
  mSurface.Put(mWindow, mGC, BackBuffer(), area);
  // A failed put names the window: it was destroyed before its news arrived.
  if (x11::ErrorsOf(mDisplay).lostResource == mWindow) OnWindowDestroyed();
  return true;
}

// ---- events -----------------------------------------------------------------------------

void IGraphicsX11::HandleEvent(XEvent& event) {
  // Events for any other window (one of an earlier opening, one already
  // destroyed) are not ours to handle.
  if (event.xany.window != mWindow || !mWindowAlive) return;
  switch (event.type) {
    case Expose:
      mDamage = Union(mDamage, IBounds(event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                                       event.xexpose.y + event.xexpose.height));
      break;
    case ButtonPress:
      OnButtonPress(event.xbutton);
      break;
    case ButtonRelease:
      OnButtonRelease(event.xbutton);
      break;
    case MotionNotify:
      OnMotion(event.xmotion);
      break;
    case KeyPress:
      OnKeyPress(event.xkey);
      break;
    case KeyRelease:
      if (!mEntry) PassKeyToHost(event.xkey);
      break;
    case LeaveNotify:
      // The server ended our grab (the window became unviewable, its parent
      // unmapped, say): the gesture cannot see its release.
      if (event.xcrossing.mode == NotifyUngrab && mCapture && event.xcrossing.time >= mGrabTime) {
        LoseGrab();
        break;
      }
      // A host hiding the editor's parent with the pointer inside the editor
      // ends the grab without a word of its own: the pointer just leaves. A
      // window no longer viewable holds no grab.
      if (mCapture && event.xcrossing.time >= mGrabTime && !Viewable()) {
        LoseGrab();
        break;
      }
      // Leaving into a child (none here) or through a grab's start or end is
      // not leaving the editor.
      if (event.xcrossing.mode == NotifyNormal && event.xcrossing.detail != NotifyInferior) OnMouseOut();
      break;
    case UnmapNotify:
      if (event.xunmap.window == mWindow && mCapture) LoseGrab();
      break;
    case FocusIn:
    case FocusOut:
      OnFocus(event.xfocus);
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == mWindow) OnWindowDestroyed();
      break;
    default:
      break;
  }
}

void IGraphicsX11::OnButtonPress(const XButtonEvent& event) {
  const int x = event.x;
  const int y = event.y;
  const IModifiers mods = Modifiers(event.state | ButtonMask(event.button));
  const bool blocked = mEntry && mEntry->logic.EditorBlocked();

  if (event.button == Button4 || event.button == Button5) {
    if (blocked) return;
    if (mEntry) {
      mEntry->logic.Cancel();
      return;
    }
    OnMouseWheel(x, y, mods, event.button == Button4 ? 1 : -1);
    return;
  }
  if (event.button < Button1 || event.button > Button3) return;  // 6 and 7: sideways wheel
  if (mEntry) {
    // A press that ends the entry reaches no control, and nor does its release.
    if (!blocked) {
      mEntry->logic.Commit();
    } else if (event.button != Button2) {
      mEntry->logic.Cancel();
    }
    mSwallowedReleases |= ButtonMask(event.button);
    return;
  }

  // A gesture belongs to the button that began it: further buttons pressed
  // meanwhile neither begin another nor end it.
  if (event.state & kButtonsHeld) return;

  const bool doubleClick = event.button == Button1 && mClickPending && event.time - mClickTime <= kDoubleClickTime &&
                           std::abs(x - mClickX) <= kDoubleClickDistance &&
                           std::abs(y - mClickY) <= kDoubleClickDistance;
  // A third press starts counting afresh.
  mClickPending = event.button == Button1 && !doubleClick;
  mClickTime = event.time;
  mClickX = x;
  mClickY = y;
  if (doubleClick) {
    if (OnDoubleClick(x, y, mods)) GrabPointer(event.time);
    return;
  }
  GrabPointer(event.time);
  OnMouseDown(x, y, mods);
}

void IGraphicsX11::OnButtonRelease(const XButtonEvent& event) {
  if (event.button < Button1 || event.button > Button3) return;
  const unsigned button = ButtonMask(event.button);
  const unsigned remaining = event.state & ~button;
  if (mSwallowedReleases & button) {
    mSwallowedReleases &= ~button;
    if (!(remaining & kButtonsHeld)) UngrabPointer();
    return;
  }
  // The gesture ends with the release of the last button held.
  if (remaining & kButtonsHeld) return;
  UngrabPointer();
  // While the box has the focus the mouse does not reach the editor; only a
  // gesture begun before (the press that opened the box) still ends.
  if (!(mEntry && mEntry->logic.EditorBlocked()) || mCapturedIndex >= 0) {
    OnMouseUp(event.x, event.y, Modifiers(remaining));
  }
}

void IGraphicsX11::OnMotion(const XMotionEvent& event) {
  if (mEntry && mEntry->logic.EditorBlocked()) return;
  const IModifiers mods = Modifiers(event.state);
  if (event.state & (Button1Mask | Button3Mask)) {
    if (mCapture && !mEntry && mCapturedIndex >= 0) OnMouseDrag(event.x, event.y, mods);
    return;
  }
  OnMouseOver(event.x, event.y, mods);
}

void IGraphicsX11::OnKeyPress(XKeyEvent& event) {
  if (mEntry) {
    EntryKey(event);
    return;
  }
  const int key = KeyCodeFor(XLookupKeysym(&event, 0));
  if (key >= 0 && OnKeyDown(event.x, event.y, key)) return;
  PassKeyToHost(event);
}

void IGraphicsX11::PassKeyToHost(XKeyEvent& event) {
  // The editor selects key events, so the host's windows do not see those
  // over it: the keys it does not take (the transport's space bar, say) go
  // on to the host's window and up from there to whichever window of the
  // host listens. The editor sits at the parent's top left, so the position
  // stays as it is.
  XEvent forwarded;
  forwarded.xkey = event;
  forwarded.xkey.window = mParent;
  forwarded.xkey.subwindow = None;
  XSendEvent(mDisplay, mParent, True, event.type == KeyPress ? KeyPressMask : KeyReleaseMask, &forwarded);
  XFlush(mDisplay);
}

void IGraphicsX11::OnFocus(const XFocusChangeEvent& event) {
  if (!mEntry || event.mode == NotifyGrab || event.mode == NotifyUngrab || event.detail == NotifyPointer ||
      event.detail == NotifyInferior) {
    return;
  }
  const int32_t state = mEntry->logic.State();
  if (event.type == FocusIn) {
    if (state == ITextEntryLogic::kIdle || state == ITextEntryLogic::kRedrawn) mEntry->logic.Focused();
  } else if (state != ITextEntryLogic::kCancel) {
    mEntry->logic.Commit();  // losing the focus commits
  }
}

// ---- the pointer ----------------------------------------------------------------------------

void IGraphicsX11::LoseGrab() {
  mCapture = false;
  EndMouseGesture();
}

bool IGraphicsX11::Viewable() {
  XWindowAttributes attributes;
  return XGetWindowAttributes(mDisplay, mWindow, &attributes) && attributes.map_state == IsViewable;
}

void IGraphicsX11::GrabPointer(Time time) {
  mCapture = true;
  mGrabTime = time;
  // The press already holds the pointer for this window until its release
  // (the server's implicit grab); the active grab also covers a double click
  // taken as a press and keeps the hidden pointer hidden outside the window.
  XGrabPointer(mDisplay, mWindow, False, kGrabEvents, GrabModeAsync, GrabModeAsync, None,
               mCursorHidden ? mBlankCursor : None, time);
}

void IGraphicsX11::UngrabPointer() {
  if (!mCapture) return;
  mCapture = false;
  if (mDisplay && mWindowAlive) {
    XUngrabPointer(mDisplay, CurrentTime);
    XFlush(mDisplay);
  }
}

void IGraphicsX11::HideCursor() {
  if (mCursorHidden || !mDisplay || !mWindowAlive) return;
  Window root, child;
  int rootX, rootY, x, y;
  unsigned state;
  if (!XQueryPointer(mDisplay, mWindow, &root, &child, &rootX, &rootY, &x, &y, &state)) return;
  if (!mBlankCursor) {
    static const char kNoBits[1] = {0};
    const Pixmap blank = XCreateBitmapFromData(mDisplay, mWindow, kNoBits, 1, 1);
    XColor black = {};
    mBlankCursor = XCreatePixmapCursor(mDisplay, blank, blank, &black, &black, 0, 0);
    XFreePixmap(mDisplay, blank);
  }
  mCursorX = rootX;
  mCursorY = rootY;
  XDefineCursor(mDisplay, mWindow, mBlankCursor);
  if (mCapture) XChangeActivePointerGrab(mDisplay, kGrabEvents, mBlankCursor, CurrentTime);
  XFlush(mDisplay);
  mCursorHidden = true;
}

void IGraphicsX11::RestoreCursor() {
  if (!mCursorHidden) return;
  mCursorHidden = false;
  if (!mDisplay || !mWindowAlive) return;
  XWarpPointer(mDisplay, None, mRoot, 0, 0, 0, 0, mCursorX, mCursorY);
  XUndefineCursor(mDisplay, mWindow);
  if (mCapture) XChangeActivePointerGrab(mDisplay, kGrabEvents, None, CurrentTime);
  XFlush(mDisplay);
}

// ---- desktop services -----------------------------------------------------------------------

void IGraphicsX11::HostFolder(std::string& path) { x11::HostFolder(path); }
void IGraphicsX11::PluginFolder(std::string& path) { x11::PluginFolder(path); }
void IGraphicsX11::DesktopFolder(std::string& path) { x11::DesktopFolder(path); }
void IGraphicsX11::AppDataFolder(std::string& path, bool shared) { x11::DataFolder(path, shared); }

bool IGraphicsX11::OpenWebLink(const char* url, const char* caption, const char* confirmText, const char* errorText) {
  if (confirmText && ShowAlert(confirmText, caption, 0) != 6) return false;  // 6: the "yes" answer
  if (x11::StartOpener(url)) return true;
  if (errorText) ShowAlert(errorText, caption, 0);
  return false;
}

// ---- popup menus ----------------------------------------------------------------------------

IMenu* IGraphicsX11::ShowPopupMenu(IMenu* menu, const IBounds& area) {
  // The press that opened the menu ends inside it (its release goes to the
  // menu): the gesture's end-edit is sent here, once the buttons are up.
  const int gesture = mCapturedIndex;
  ReleaseCapture();
  if (!menu || !mDisplay || !mWindowAlive) return nullptr;

  const IMenuCommands commands(menu);
  int x = 0;
  int y = 0;
  Window child;
  const IBounds below = ToPixels(area);
  XTranslateCoordinates(mDisplay, mWindow, mRoot, below.left, below.bottom, &x, &y, &child);
  int command = -1;
  bool ownerDestroyed = false;
  {
    x11::XPopupMenu popup(*this, mDisplay, mRoot, mVisual, mDepth,
                          mColormap ? mColormap : DefaultColormap(mDisplay, DefaultScreen(mDisplay)));
    command = popup.Run(menu, commands, x, y, mWindow, &ownerDestroyed);
  }
  // The menu took over the pointer grab and let it go.
  mCapture = false;
  IMenu* chosen = command >= 0 ? commands.Choose(command) : nullptr;
  if (ownerDestroyed) {
    OnWindowDestroyed();
    return chosen;
  }

  // The press that opened the menu may have ended inside it.
  unsigned state = 0;
  if (GestureParam() >= 0) {
    Window root, under;
    int rootX, rootY, wx, wy;
    XQueryPointer(mDisplay, mWindow, &root, &under, &rootX, &rootY, &wx, &wy, &state);
  }
  if (ResumeGestureAfterMenu(gesture, (state & kButtonsHeld) != 0)) GrabPointer(CurrentTime);
  mDamage = IBounds(0, 0, Width(), Height());
  return chosen;
}
