#include "editor/win/IGraphicsWin.h"

#include <commctrl.h>

#include "bitmap/Bitmap.h"
#include "editor/IControl.h"
#include "editor/win/WinEditorHelpers.h"
#include "framework/IEffectBase.h"
#include "framework/Lock.h"

namespace {

const char kWindowClass[] = "IEffectWndClass";
constexpr UINT_PTR kRedrawTimerId = 2;

// How many editor windows the process has open: the class is registered
// while any is. Instances of the plug-in may open and close their editors on
// different threads, so the count and the class's registration change
// together under the lock.
ILock gWindowClassLock;
int gOpenWindows = 0;  // under gWindowClassLock

IModifiers ModifiersOf(WPARAM keys) {
  IModifiers mods;
  mods.left = (keys & MK_LBUTTON) != 0;
  mods.right = (keys & MK_RBUTTON) != 0;
  mods.shift = (keys & MK_SHIFT) != 0;
  mods.control = (keys & MK_CONTROL) != 0;
  mods.alt = GetKeyState(VK_MENU) < 0;
  return mods;
}

int MouseX(LPARAM l) { return static_cast<short>(LOWORD(l)); }

// One bit per mouse button, from its press or release message.
unsigned ButtonBit(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      return 1;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return 2;
    default:
      return 4;
  }
}
int MouseY(LPARAM l) { return static_cast<short>(HIWORD(l)); }

constexpr WPARAM kButtonKeys = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

// Sent to child windows after their parent moved to a screen of another DPI.
constexpr UINT kDpiChangedAfterParent = 0x02E3;

// The DPI functions of Windows 10 (1607) and later, looked up at run time so
// that the library still loads on older versions, where they are null.
struct DpiFunctions {
  UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
  HANDLE(WINAPI* getWindowDpiAwarenessContext)(HWND) = nullptr;
  HANDLE(WINAPI* setThreadDpiAwarenessContext)(HANDLE) = nullptr;
};

const DpiFunctions& Dpi() {
  static const DpiFunctions functions = [] {
    DpiFunctions f;
    if (HMODULE user = GetModuleHandleA("user32.dll")) {
      f.getDpiForWindow = reinterpret_cast<UINT(WINAPI*)(HWND)>(
          reinterpret_cast<void*>(GetProcAddress(user, "GetDpiForWindow")));
      f.getWindowDpiAwarenessContext = reinterpret_cast<HANDLE(WINAPI*)(HWND)>(
          reinterpret_cast<void*>(GetProcAddress(user, "GetWindowDpiAwarenessContext")));
      f.setThreadDpiAwarenessContext = reinterpret_cast<HANDLE(WINAPI*)(HANDLE)>(
          reinterpret_cast<void*>(GetProcAddress(user, "SetThreadDpiAwarenessContext")));
    }
    return f;
  }();
  return functions;
}

// The window's DPI / 96; 0 where Windows cannot tell.
double WindowScale(HWND window) {
  const UINT dpi = window && Dpi().getDpiForWindow ? Dpi().getDpiForWindow(window) : 0;
  return dpi > 0 ? dpi / 96.0 : 0.0;
}

// The key-state flag of the button a press or release message is about.
WPARAM ButtonKey(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      return MK_LBUTTON;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return MK_RBUTTON;
    default:
      return MK_MBUTTON;
  }
}

// ReleaseCapture takes the capture from whichever window of the thread holds
// it, a host's window too: the editor gives up only its own.
void ReleaseOwnCapture(HWND window) {
  if (GetCapture() == window) ReleaseCapture();
}

// The messages that end a gesture. While a text entry's box has the focus
// they still reach the editor: the press that opened the entry began a
// gesture, and its capture would otherwise hold the host's mouse (and the
// box's clicks) until the next press.
bool EndsGesture(UINT message) {
  switch (message) {
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
    case WM_DESTROY:
      return true;
    default:
      return false;
  }
}

// A tool record for the tooltip covering the whole editor window.
TOOLINFOA EditorTool(HWND window, const char* text) {
  TOOLINFOA tool = {};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window;
  tool.uId = reinterpret_cast<UINT_PTR>(window);
  tool.lpszText = const_cast<char*>(text);
  return tool;
}

}  // namespace

IGraphicsWin::IGraphicsWin(IEffectBase* plugin, int width, int height, int frameRate)
    : IGraphics(plugin, width, height, frameRate), mProcessId(GetCurrentProcessId()) {}

IGraphicsWin::~IGraphicsWin() {
  DetachPlugin();
  CloseWindow();
  delete[] mCustomColors;
  mCustomColors = nullptr;
}

int IGraphicsWin::OpenWindowCount() {
  ILockGuard guard(gWindowClassLock);
  return gOpenWindows;
}

// ---- opening and closing --------------------------------------------------------------

// 1. Remember the parent; the window goes at 0, 0 with the editor's size,
//    or where an open window is and with its size (that one is closed).
// 2. Register the window class with the first window of the process.
// 3. Create the child window; its WM_CREATE starts the timer.
// 4. Mark every control dirty, so the first tick draws the whole editor.
// 5. With tooltips on, make the tooltip window; a failure turns them off.
void* IGraphicsWin::OpenWindow(void* parentWindow) {
  mParentWindow = static_cast<HWND>(parentWindow);
  int x = 0, y = 0;
  if (mWindow) {
    RECT r;
    if (GetWindowRect(mWindow, &r)) {
      POINT topLeft = {r.left, r.top};
      MapWindowPoints(HWND_DESKTOP, GetParent(mWindow), &topLeft, 1);
      x = topLeft.x;
      y = topLeft.y;
    }
    CloseWindow();
  }
  // The size for the parent's screen and the user's choice, told to the host
  // before the window is made.
  SetPlatformScale(WindowScale(mParentWindow), true);
  const int w = Width(), h = Height();

  {
    ILockGuard guard(gWindowClassLock);
    if (gOpenWindows++ == 0) {
      WNDCLASSA wc = {};
      wc.style = CS_DBLCLKS;
      wc.lpfnWndProc = EditorWindowProc;
      wc.hInstance = Module();
      wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
      wc.lpszClassName = kWindowClass;
      RegisterClassA(&wc);
    }
  }

  // The child takes the DPI awareness of its parent (the host's choice),
  // for this thread and this call only: the process's is never changed.
  const DpiFunctions& dpi = Dpi();
  HANDLE awareness = nullptr;
  if (mParentWindow && dpi.getWindowDpiAwarenessContext && dpi.setThreadDpiAwarenessContext) {
    if (HANDLE parents = dpi.getWindowDpiAwarenessContext(mParentWindow)) {
      awareness = dpi.setThreadDpiAwarenessContext(parents);
    }
  }
  mWindow = CreateWindowExA(0, kWindowClass, "IEffect", WS_CHILD | WS_VISIBLE, x, y, w, h, mParentWindow, nullptr,
                            Module(), this);
  if (awareness) dpi.setThreadDpiAwarenessContext(awareness);
  if (!mWindow) {
    ReleaseWindowClass();
    return nullptr;
  }
  ShowEverything();

  if (mTooltipsOn) {
    INITCOMMONCONTROLSEX init = {sizeof(INITCOMMONCONTROLSEX), ICC_TAB_CLASSES};
    bool ok = InitCommonControlsEx(&init) != FALSE;
    if (ok) {
      mTooltipWindow = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, mWindow, nullptr,
                                       Module(), nullptr);
      ok = mTooltipWindow != nullptr;
    }
    if (ok) {
      SetWindowPos(mTooltipWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
      TOOLINFOA tool = EditorTool(mWindow, nullptr);
      ok = SendMessageA(mTooltipWindow, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
    }
    if (!ok) {
      if (mTooltipWindow) DestroyWindow(mTooltipWindow);
      mTooltipWindow = nullptr;
      mTooltipsOn = false;
    }
  }
  return mWindow;
}

void IGraphicsWin::CloseWindow() {
  if (!mWindow) return;
  // A drag still under way ends with the window.
  EndMouseGesture();
  if (mTooltipWindow) {
    DestroyWindow(mTooltipWindow);
    mTooltipWindow = nullptr;
    mTooltipShown = false;
    mTooltipIndex = -1;
  }
  // An entry still open goes with the window: nothing is applied, and
  // nothing later reaches the destroyed box.
  EndTextEntry();
  HWND window = mWindow;
  mWindow = nullptr;
  DestroyWindow(window);
  ReleaseWindowClass();
}

void IGraphicsWin::ReleaseWindowClass() {
  ILockGuard guard(gWindowClassLock);
  if (gOpenWindows > 0 && --gOpenWindows == 0) UnregisterClassA(kWindowClass, Module());
}

void* IGraphicsWin::NativeWindow() { return mWindow; }
bool IGraphicsWin::HasWindow() { return mWindow != nullptr; }
const char* IGraphicsWin::GetDrawingApiName() { return "Windows GDI"; }

// ---- painting and the timer -----------------------------------------------------------

bool IGraphicsWin::PresentArea(const IBounds& area) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(mWindow, &ps);
  if (dc && mBackBuffer) {
    HDC source = static_cast<HDC>(mBackBuffer->GetDeviceContext());
    if (source) BitBlt(dc, area.left, area.top, area.W(), area.H(), source, area.left, area.top, SRCCOPY);
  }
  EndPaint(mWindow, &ps);
  return true;
}

void IGraphicsWin::OnTimerTick() {
  ApplyPendingValues();
  if (!TickTextEntry()) return;
  IBounds area;
  if (!CollectDirtyArea(&area)) return;
  RECT r = {area.left, area.top, area.right, area.bottom};
  InvalidateRect(mWindow, &r, FALSE);
  if (mEntry.IsOpen()) {
    // The box lies over the editor, which would paint over it.
    const IBounds covered = ToPixels(mEntry.Control()->GetBounds());
    RECT c = {covered.left, covered.top, covered.right, covered.bottom};
    ValidateRect(mWindow, &c);
    UpdateWindow(mWindow);
    mEntry.RedrawnWhileOpen();
  } else {
    UpdateWindow(mWindow);
  }
}

// ---- messages -------------------------------------------------------------------------

LRESULT CALLBACK IGraphicsWin::EditorWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_CREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(l);
    const auto* creator = static_cast<const IGraphicsWin*>(create->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    SetTimer(window, kRedrawTimerId, static_cast<UINT>(RedrawTimerPeriodMs(creator->FrameRate())), nullptr);
    SetFocus(window);
    return 0;
  }
  IGraphicsWin* object = win::EditorOf(window);
  if (!object || object->mWindow != window) return DefWindowProcA(window, message, w, l);
  return object->HandleMessage(window, message, w, l);
}

LRESULT IGraphicsWin::HandleMessage(HWND window, UINT message, WPARAM w, LPARAM l) {
  // While the box has the focus the editor neither redraws nor takes the
  // mouse; a left or right click on it cancels the entry.
  if (mEntry.EditorBlocked()) {
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) {
      mEntry.Cancel();
      mSwallowedReleases |= ButtonBit(message);
      return 0;
    }
    if (!EndsGesture(message)) return DefWindowProcA(window, message, w, l);
  }

  switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      return 0;

    case WM_PAINT: {
      RECT r;
      if (GetUpdateRect(window, &r, FALSE)) {
        Draw(IBounds(r.left, r.top, r.right, r.bottom));
        // Draw presents nothing without controls; the area must still be
        // validated, or WM_PAINT would come back at once, forever.
        ValidateRect(window, nullptr);
      }
      return 0;
    }

    case WM_CLOSE:
      CloseWindow();
      return 0;

    case WM_KEYDOWN: {
      const int key = EditorKeyCode(static_cast<int>(w));
      if (key >= 0) {
        POINT p = {0, 0};
        GetCursorPos(&p);
        ScreenToClient(window, &p);
        if (OnKeyDown(p.x, p.y, key)) return 0;
      }
      HWND root = GetAncestor(window, GA_ROOT);
      if (root && root != window) SendMessageA(root, WM_KEYDOWN, w, l);
      return DefWindowProcA(window, message, w, l);
    }

    case WM_KEYUP: {
      HWND root = GetAncestor(window, GA_ROOT);
      if (root && root != window) SendMessageA(root, WM_KEYUP, w, l);
      return DefWindowProcA(window, message, w, l);
    }

    // The host's window moved to a screen of another DPI.
    case kDpiChangedAfterParent:
      SetPlatformScale(WindowScale(window));
      return 0;

    case WM_TIMER:
      if (w == kRedrawTimerId) OnTimerTick();
      return 0;

    case WM_CTLCOLOREDIT: {
      if (!mEntry.IsOpen()) return 0;
      const ITextStyle& style = mEntry.Control()->GetTextStyle();
      HDC dc = reinterpret_cast<HDC>(w);
      SetBkColor(dc, style.entryBackground.ToColorRef());
      SetTextColor(dc, style.entryForeground.ToColorRef());
      SetBkMode(dc, OPAQUE);
      // The brush fills the box beyond the text: in the entry's background.
      SetDCBrushColor(dc, style.entryBackground.ToColorRef());
      return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
    }

    case WM_MOUSEMOVE: {
      const int x = MouseX(l), y = MouseY(l);
      const IModifiers mods = ModifiersOf(w);
      if (w & (MK_LBUTTON | MK_RBUTTON)) {
        if (GetCapture() == window && !mEntry.IsOpen()) OnMouseDrag(x, y, mods);
        return 0;
      }
      if (OnMouseOver(x, y, mods)) {
        TRACKMOUSEEVENT track = {sizeof(TRACKMOUSEEVENT), TME_LEAVE, window, HOVER_DEFAULT};
        if (mTooltipsOn && mHoverIndex != mTooltipIndex) {
          mTooltipIndex = mHoverIndex;
          HideTooltip();
          if (mTooltipIndex >= 0) track.dwFlags |= TME_HOVER;
        }
        TrackMouseEvent(&track);
      }
      return 0;
    }

    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      HideTooltip();
      if (mEntry.IsOpen()) {
        mEntry.Commit();
        mSwallowedReleases |= ButtonBit(message);
      } else if (!(w & kButtonKeys & ~ButtonKey(message))) {
        // Only the first button of a gesture begins it: one pressed during a
        // drag neither begins another nor ends it.
        SetFocus(window);
        SetCapture(window);
        OnMouseDown(MouseX(l), MouseY(l), ModifiersOf(w));
      }
      return 0;

    // The release of the last button held ends the gesture, the middle
    // button's as the others'. The capture goes after the gesture has ended,
    // so that losing it is not taken for a gesture cut short.
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (mSwallowedReleases & ButtonBit(message)) {
        mSwallowedReleases &= ~ButtonBit(message);
        if (!(w & kButtonKeys)) ReleaseOwnCapture(window);
        return 0;
      }
      if (w & kButtonKeys) return 0;
      OnMouseUp(MouseX(l), MouseY(l), ModifiersOf(w));
      ReleaseOwnCapture(window);
      return 0;

    // The mouse was taken away mid-drag (a host's dialog, Alt+Tab, another
    // window taking the capture): the gesture ends there.
    case WM_CAPTURECHANGED:
      if (!mMenuOpen && reinterpret_cast<HWND>(l) != window) EndMouseGesture();
      return 0;

    case WM_CANCELMODE:
      EndMouseGesture();
      ReleaseOwnCapture(window);
      return DefWindowProcA(window, message, w, l);

    // The host destroyed its window, and this one with it, without closing
    // the editor first (CloseWindow destroys it unseen): the gesture ends
    // with the window (the capture goes with it unannounced under Wine).
    case WM_DESTROY:
      EndMouseGesture();
      return 0;

    // A second click is a press like the first: during another button's
    // drag it is ignored.
    case WM_LBUTTONDBLCLK:
      if (w & kButtonKeys & ~MK_LBUTTON) return 0;
      if (OnDoubleClick(MouseX(l), MouseY(l), ModifiersOf(w))) SetCapture(window);
      return 0;

    case WM_MOUSEWHEEL: {
      if (mEntry.IsOpen()) {
        mEntry.Cancel();
        return 0;
      }
      RECT r = {0, 0, 0, 0};
      GetWindowRect(window, &r);
      const int steps = static_cast<short>(HIWORD(w)) / WHEEL_DELTA;
      OnMouseWheel(MouseX(l) - r.left, MouseY(l) - r.top, ModifiersOf(LOWORD(w)), steps);
      return 0;
    }

    case WM_MOUSEHOVER: {
      const IControl* control = GetControl(mTooltipIndex);
      SetTooltipText(control ? control->HintText() : "");
      mTooltipShown = true;
      return 0;
    }

    case WM_MOUSELEAVE:
      HideTooltip();
      OnMouseOut();
      return 0;

    default:
      return DefWindowProcA(window, message, w, l);
  }
}

void IGraphicsWin::SetTooltipText(const char* text) {
  if (!mTooltipWindow || !mWindow) return;
  TOOLINFOA tool = EditorTool(mWindow, text);
  SendMessageA(mTooltipWindow, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

void IGraphicsWin::HideTooltip() {
  if (!mTooltipShown) return;
  SetTooltipText(nullptr);
  mTooltipShown = false;
}

// ---- resizing -------------------------------------------------------------------------

namespace {

bool IsChildWindow(HWND window) {
  return (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) && !(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_MDICHILD);
}

void GrowWindow(HWND window, const RECT& r, int dw, int dh) {
  SetWindowPos(window, nullptr, 0, 0, r.right - r.left + dw, r.bottom - r.top + dh,
               SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE);
}

}  // namespace

void IGraphicsWin::Resize(int width, int height) {
  if (width == LayoutWidth() && height == LayoutHeight()) return;
  const int oldWidth = Width(), oldHeight = Height();
  // The controls an open entry edits are about to be deleted.
  EndTextEntry();
  IGraphics::Resize(width, height);
  if (!mWindow) return;
  const int dw = Width() - oldWidth;
  const int dh = Height() - oldHeight;

  RECT own = {}, parentRect = {}, grandRect = {};
  GetWindowRect(mWindow, &own);
  HWND parent = nullptr, grand = nullptr;
  if (IsChildWindow(mWindow)) {
    parent = GetParent(mWindow);
    if (parent) GetWindowRect(parent, &parentRect);
    if (parent && IsChildWindow(parent)) {
      grand = GetParent(parent);
      if (grand) GetWindowRect(grand, &grandRect);
    }
  }
  GrowWindow(mWindow, own, dw, dh);
  const int api = mPlugin ? mPlugin->GetPluginApi() : 0;
  if (api != 1 && api != 3) {
    if (parent) GrowWindow(parent, parentRect, dw, dh);
    if (grand) GrowWindow(grand, grandRect, dw, dh);
  }
  RECT whole = {0, 0, Width(), Height()};
  InvalidateRect(mWindow, &whole, FALSE);
}

void IGraphicsWin::ResizeWindowToScale() {
  // An entry box would stand at its old place and size.
  EndTextEntry();
  if (!mWindow) return;
  SetWindowPos(mWindow, nullptr, 0, 0, Width(), Height(), SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE);
  RECT whole = {0, 0, Width(), Height()};
  InvalidateRect(mWindow, &whole, FALSE);
}
