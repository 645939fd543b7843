#include "editor/win/IGraphicsWin.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "bitmap/Png.h"
#include "common/CopyText.h"
#include "editor/IControl.h"
#include "editor/IGraphicsWindowless.h"
#include "editor/IMenu.h"
#include "framework/IEffectBase.h"
#include "framework/IParameter.h"

namespace {

const char kWindowClass[] = "IEffectWndClass";
constexpr UINT_PTR kRedrawTimerId = 2;
constexpr int kEntryControlId = 0x63;
const LONG_PTR kEntryMarker = static_cast<LONG_PTR>(static_cast<ULONG_PTR>(0xDEADF00Bu));
constexpr int kEntryTextChars = 31;  // the most characters read back from the box

// Process-wide, changed only on the user-interface thread: how many editor
// windows are open (the class is registered while any is), and the frame
// rate of the window being created, which WM_CREATE reads.
int gOpenWindows = 0;
double gCreatingFrameRate = 25.0;

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

IGraphicsWin* ObjectOf(HWND window) {
  return window ? reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(window, GWLP_USERDATA)) : nullptr;
}

// The folder of a module's file, with its trailing backslash; empty when the
// name cannot be had whole or holds no folder.
void ModuleFolder(HMODULE module, std::string& path) {
  path.clear();
  char name[256];
  const DWORD n = GetModuleFileNameA(module, name, sizeof name);
  if (n == 0 || n >= sizeof name) return;  // failed, or cut short
  name[n] = '\0';
  const char* slash = std::strrchr(name, '\\');
  if (!slash || slash[1] == '\0') return;
  path.assign(name, static_cast<size_t>(slash - name + 1));
}

// The drive and directory of a path (everything up to its last separator,
// or its drive alone), at most 256 characters.
std::string FolderOf(const char* path) {
  size_t end = 0;
  for (size_t i = 0; path[i]; ++i) {
    if (path[i] == '\\' || path[i] == '/') end = i + 1;
  }
  if (end == 0 && path[0] && path[1] == ':') end = 2;
  char folder[257];
  CopyTextBounded(folder, end + 1 < sizeof folder ? end + 1 : sizeof folder, path);
  return folder;
}

UINT_PTR CALLBACK ColourDialogHook(HWND dialog, UINT message, WPARAM, LPARAM l) {
  if (message == WM_INITDIALOG && l) {
    const auto* choose = reinterpret_cast<const CHOOSECOLORA*>(l);
    const char* prompt = reinterpret_cast<const char*>(choose->lCustData);
    if (prompt && prompt[0]) SetWindowTextA(dialog, prompt);
  }
  return 0;
}

struct MainWindowSearch {
  DWORD processId;
  const char* className;
  HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM l) {
  auto* search = reinterpret_cast<MainWindowSearch*>(l);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search->processId) return TRUE;
  char name[128];
  if (GetClassNameA(window, name, sizeof name) == 0) return TRUE;
  name[sizeof name - 1] = '\0';
  if (std::strcmp(name, search->className) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

// The Win32 menu of an editor menu, numbered by commands; null when it
// cannot be made.
HMENU BuildMenu(IMenu* menu, const IMenuCommands& commands) {
  HMENU handle = CreatePopupMenu();
  if (!handle) return nullptr;
  const int first = commands.FirstCommand(menu);
  for (int k = 0; k < menu->ItemCount(); ++k) {
    const IMenuItem* item = menu->GetItem(k);
    if (item->flags & IMenuItem::kSeparator) {
      AppendMenuA(handle, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const std::string label = menu->ItemLabel(k);
    if (item->submenu) {
      if (HMENU sub = BuildMenu(item->submenu, commands)) {
        AppendMenuA(handle, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), label.c_str());
      }
      continue;
    }
    UINT flags = MF_STRING;
    if (item->flags & IMenuItem::kGreyed) flags |= MF_GRAYED;
    if (item->flags & IMenuItem::kDisabled) flags |= MF_DISABLED;
    if (item->flags & IMenuItem::kChecked) flags |= MF_CHECKED;
    AppendMenuA(handle, flags, static_cast<UINT_PTR>(first + k), label.c_str());
  }
  return handle;
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
  CloseWindow();
  delete[] mCustomColors;
  mCustomColors = nullptr;
}

int IGraphicsWin::OpenWindowCount() { return gOpenWindows; }

// ---- opening and closing --------------------------------------------------------------

// 1. Remember the parent; the window goes at 0, 0 with the editor's size,
//    or where an open window is and with its size (that one is closed).
// 2. Register the window class with the first window of the process.
// 3. Create the child window; its WM_CREATE starts the timer.
// 4. Mark every control dirty, so the first tick draws the whole editor.
// 5. With tooltips on, make the tooltip window; a failure turns them off.
void* IGraphicsWin::OpenWindow(void* parentWindow) {
  mParentWindow = static_cast<HWND>(parentWindow);
  int x = 0, y = 0, w = mWidth, h = mHeight;
  if (mWindow) {
    RECT r;
    if (GetWindowRect(mWindow, &r)) {
      POINT topLeft = {r.left, r.top};
      MapWindowPoints(HWND_DESKTOP, GetParent(mWindow), &topLeft, 1);
      x = topLeft.x;
      y = topLeft.y;
      w = r.right - r.left;
      h = r.bottom - r.top;
    }
    CloseWindow();
  }

  if (gOpenWindows++ == 0) {
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = EditorWindowProc;
    wc.hInstance = Module();
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = kWindowClass;
    RegisterClassA(&wc);
  }

  gCreatingFrameRate = mFrameRate;
  mWindow = CreateWindowExA(0, kWindowClass, "IEffect", WS_CHILD | WS_VISIBLE, x, y, w, h, mParentWindow, nullptr,
                            Module(), this);
  if (!mWindow) {
    ReleaseWindowClass();
    return nullptr;
  }
  for (IControl* control : mControls) control->MarkDirty(false);

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
  switch (mEntry.TickStep()) {
    case ITextEntryLogic::ETick::kSkip:
      return;
    case ITextEntryLogic::ETick::kCommit: {
      char text[kEntryTextChars + 1] = {};
      SendMessageA(mEntryWindow, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
      text[kEntryTextChars] = '\0';
      mEntry.ApplyText(text);
      EndTextEntry();
      return;
    }
    case ITextEntryLogic::ETick::kCancel:
      EndTextEntry();
      return;
    case ITextEntryLogic::ETick::kRedraw:
      break;
  }
  IBounds area;
  if (!CollectDirtyArea(&area)) return;
  RECT r = {area.left, area.top, area.right, area.bottom};
  InvalidateRect(mWindow, &r, FALSE);
  if (mEntry.IsOpen()) {
    // The box lies over the editor, which would paint over it.
    const IBounds& covered = mEntry.Control()->GetBounds();
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
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    SetTimer(window, kRedrawTimerId, static_cast<UINT>(RedrawTimerPeriodMs(static_cast<int>(gCreatingFrameRate))),
             nullptr);
    SetFocus(window);
    return 0;
  }
  IGraphicsWin* object = ObjectOf(window);
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
    if (message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP)
      mSwallowedReleases &= ~ButtonBit(message);
    return DefWindowProcA(window, message, w, l);
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
      } else {
        SetFocus(window);
        SetCapture(window);
        OnMouseDown(MouseX(l), MouseY(l), ModifiersOf(w));
      }
      return 0;

    // The middle button ends its gesture as the others do: a press on a bound
    // control began a host edit that only a release can end.
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      ::ReleaseCapture();
      if (mSwallowedReleases & ButtonBit(message)) {
        mSwallowedReleases &= ~ButtonBit(message);
        return 0;
      }
      OnMouseUp(MouseX(l), MouseY(l), ModifiersOf(w));
      return 0;

    case WM_LBUTTONDBLCLK:
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

// ---- text entry -----------------------------------------------------------------------

// 1. An EDIT box over area holding the text, aligned as the style says.
// 2. Its own font from the style, the control's character limit, the whole
//    text selected.
// 3. Subclassed, so that Return, Escape, the focus and the characters typed
//    reach the entry's state; then focused.
void IGraphicsWin::OpenTextEntry(IControl* control, const ITextStyle& style, const IBounds& area, const char* text,
                                 IParameter* param) {
  if (!control || mEntry.IsOpen() || !mWindow) return;
  DWORD styleBits = WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL;
  if (style.align == 1) styleBits |= ES_CENTER;
  if (style.align == 2) styleBits |= ES_RIGHT;
  HWND box = CreateWindowExA(0, "EDIT", text ? text : "", styleBits, area.left, area.top, area.W() + 1,
                             area.H() + 1, mWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEntryControlId)),
                             Module(), nullptr);
  if (!box) return;
  mEntryWindow = box;
  mEntry.Open(control, param);

  char face[sizeof style.font];
  CopyTextBounded(face, sizeof face, style.font);
  mEntryFont = CreateFontA(style.size, 0, 0, 0, style.style == 1 ? FW_BOLD : 0, style.style == 2, 0, 0, 0, 0, 0, 0, 0,
                           face);
  SendMessageA(box, EM_LIMITTEXT, static_cast<WPARAM>(control->EntryMaxChars()), 0);
  SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(mEntryFont), 0);
  SendMessageA(box, EM_SETSEL, 0, -1);

  // Subclassed before it takes the focus, so that its WM_SETFOCUS starts the
  // entry's focused state.
  mEntryDefaultProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&IGraphicsWin::EditWindowProc)));
  SetWindowLongPtrA(box, GWLP_USERDATA, kEntryMarker);
  SetFocus(box);
}

void IGraphicsWin::CancelTextEntry() { mEntry.Cancel(); }

void IGraphicsWin::EndTextEntry() {
  if (mEntryWindow) {
    if (mEntryDefaultProc) {
      SetWindowLongPtrA(mEntryWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mEntryDefaultProc));
    }
    DestroyWindow(mEntryWindow);
  }
  if (mEntryFont) DeleteObject(mEntryFont);
  mEntryWindow = nullptr;
  mEntryDefaultProc = nullptr;
  mEntryFont = nullptr;
  mEntry.Close();
}

LRESULT CALLBACK IGraphicsWin::EditWindowProc(HWND box, UINT message, WPARAM w, LPARAM l) {
  HWND parent = GetParent(box);
  IGraphicsWin* object = ObjectOf(parent);
  if (!object || object->mWindow != parent || object->mEntryWindow != box) {
    return DefWindowProcA(box, message, w, l);
  }
  return object->HandleEntryMessage(box, message, w, l);
}

LRESULT IGraphicsWin::HandleEntryMessage(HWND box, UINT message, WPARAM w, LPARAM l) {
  HideTooltip();
  const WNDPROC own = mEntryDefaultProc;
  switch (message) {
    case WM_SETFOCUS:
      mEntry.Focused();
      break;
    case WM_KILLFOCUS:
      mEntry.Commit();
      break;
    case WM_GETDLGCODE: {
      LRESULT code = CallWindowProcA(own, box, message, w, l);
      const MSG* queried = reinterpret_cast<const MSG*>(l);
      if (!mEntry.Param() && queried && queried->message == WM_KEYDOWN && queried->wParam == VK_RETURN) {
        code |= DLGC_WANTALLKEYS;
      }
      return code;
    }
    case WM_KEYDOWN:
      if (w == VK_RETURN) {
        mEntry.Commit();
        return 0;
      }
      if (w == VK_ESCAPE) {
        mEntry.Cancel();
        return 0;
      }
      break;
    case WM_CHAR:
      if (!EntryAcceptsChar(mEntry.Param(), static_cast<int>(w))) return 0;
      break;
    case WM_COMMAND:
      if (HIWORD(w) == 1) {
        mEntry.Commit();
        return 0;
      }
      break;
    default:
      break;
  }
  return CallWindowProcA(own, box, message, w, l);
}

// ---- popup menus ----------------------------------------------------------------------

// 1. Any mouse gesture ends: the menu takes the mouse.
// 2. The Win32 menus, numbered by IMenuCommands.
// 3. Shown below the area's left edge; a choice is posted as WM_COMMAND.
// 4. The command taken from the queue names the menu and its item.
// 5. The menus go and the whole editor is redrawn.
IMenu* IGraphicsWin::ShowPopupMenu(IMenu* menu, const IBounds& area) {
  ReleaseCapture();
  if (!menu || !mWindow) return nullptr;
  const IMenuCommands commands(menu);
  HMENU handle = BuildMenu(menu, commands);
  if (!handle) return nullptr;
  POINT p = {area.left, area.bottom};
  ClientToScreen(mWindow, &p);
  IMenu* chosen = nullptr;
  if (TrackPopupMenu(handle, TPM_LEFTBUTTON, p.x, p.y, 0, mWindow, nullptr)) {
    MSG msg;
    if (PeekMessageA(&msg, mWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE) && HIWORD(msg.wParam) == 0) {
      chosen = commands.Choose(LOWORD(msg.wParam));
    }
  }
  DestroyMenu(handle);
  RECT whole = {0, 0, mWidth, mHeight};
  if (mWindow) InvalidateRect(mWindow, &whole, FALSE);
  return chosen;
}

// ---- dialogs and services -------------------------------------------------------------

int IGraphicsWin::ShowAlert(const char* text, const char* caption, int type) {
  return MessageBoxA(GetMainWindow(), text, caption, static_cast<UINT>(type));
}

bool IGraphicsWin::OpenWebLink(const char* url, const char* caption, const char* confirmText, const char* errorText) {
  if (confirmText && MessageBoxA(mWindow, confirmText, caption, MB_YESNO) != IDYES) return false;
  DWORD connection = 0;
  if (url && url[0] && InternetGetConnectedState(&connection, 0) &&
      reinterpret_cast<INT_PTR>(ShellExecuteA(mWindow, "open", url, nullptr, nullptr, SW_SHOWNORMAL)) > 32) {
    return true;
  }
  if (errorText) MessageBoxA(mWindow, errorText, caption, MB_OK);
  return false;
}

HWND IGraphicsWin::GetMainWindow() {
  if (mMainWindow) return mMainWindow;
  if (mParentWindow) {
    HWND top = mParentWindow;
    while (HWND up = GetParent(top)) top = up;
    mMainWindow = top;
    if (GetClassNameA(top, mMainWindowClass, sizeof mMainWindowClass) == 0) mMainWindowClass[0] = '\0';
    mMainWindowClass[sizeof mMainWindowClass - 1] = '\0';
  } else if (mMainWindowClass[0]) {
    MainWindowSearch search = {mProcessId, mMainWindowClass, nullptr};
    EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
    mMainWindow = search.found;
  }
  return mMainWindow;
}

void IGraphicsWin::HostFolder(std::string& path) { ModuleFolder(nullptr, path); }

void IGraphicsWin::PluginFolder(std::string& path) { ModuleFolder(Module(), path); }

// The shell's folder functions write up to MAX_PATH characters.
void IGraphicsWin::DesktopFolder(std::string& path) {
  char folder[MAX_PATH + 1] = {};
  path.clear();
  if (SHGetSpecialFolderPathA(nullptr, folder, CSIDL_DESKTOP, FALSE)) {
    folder[MAX_PATH] = '\0';
    path = folder;
  }
}

void IGraphicsWin::AppDataFolder(std::string& path, bool shared) {
  char folder[MAX_PATH + 1] = {};
  path.clear();
  const int which = shared ? CSIDL_COMMON_APPDATA : CSIDL_LOCAL_APPDATA;
  if (SUCCEEDED(SHGetFolderPathA(nullptr, which, nullptr, 0, folder))) {
    folder[MAX_PATH] = '\0';
    path = folder;
  }
}

void IGraphicsWin::UserAppDataFolder(std::string& path) { AppDataFolder(path, false); }

void IGraphicsWin::ChooseFile(std::string& file, int action, std::string& folder, const char* extensions) {
  if (!mWindow) {
    file.clear();
    return;
  }
  char name[256];
  CopyTextBounded(name, sizeof name, file.c_str());
  std::string initialFolder = folder;
  if (initialFolder.empty()) DesktopFolder(initialFolder);

  // "*.wav;*.aif" as both the description and the pattern.
  std::string patterns;
  char defaultExtension[16] = {};
  if (extensions) {
    const char* p = extensions;
    while (*p) {
      while (*p == ' ') ++p;
      const char* end = p;
      while (*end && *end != ' ') ++end;
      if (end > p) {
        const std::string extension(p, static_cast<size_t>(end - p));
        if (patterns.empty()) CopyTextBounded(defaultExtension, sizeof defaultExtension, extension.c_str());
        if (!patterns.empty()) patterns += ';';
        patterns += "*." + extension;
      }
      p = end;
    }
  }
  std::string filter;
  if (!patterns.empty()) {
    filter = patterns;
    filter += '\0';
    filter += patterns;
    filter += '\0';
    filter += '\0';
  }

  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = mWindow;
  dialog.lpstrFile = name;
  dialog.nMaxFile = sizeof name;
  dialog.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
  if (!filter.empty()) {
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrDefExt = defaultExtension;
  }
  BOOL chosen;
  if (action == 1) {
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
    chosen = GetSaveFileNameA(&dialog);
  } else {
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    chosen = GetOpenFileNameA(&dialog);
  }
  if (!chosen) {
    file.clear();
    return;
  }
  name[sizeof name - 1] = '\0';
  folder = FolderOf(name);
  file = name;
}

bool IGraphicsWin::PickColour(IColorValue* colour, const char* prompt) {
  if (!mWindow || !colour) return false;
  if (!mCustomColors) mCustomColors = new COLORREF[16]();
  CHOOSECOLORA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = mWindow;
  dialog.rgbResult = RGB(colour->red, colour->green, colour->blue);
  dialog.lpCustColors = mCustomColors;
  dialog.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK | CC_SOLIDCOLOR | CC_ANYCOLOR;
  dialog.lCustData = reinterpret_cast<LPARAM>(prompt);
  dialog.lpfnHook = ColourDialogHook;
  if (!ChooseColorA(&dialog)) return false;
  colour->red = GetRValue(dialog.rgbResult);
  colour->green = GetGValue(dialog.rgbResult);
  colour->blue = GetBValue(dialog.rgbResult);
  return true;
}

// The clipboard's text may lack its terminating NUL: it is read no further
// than its memory block.
bool IGraphicsWin::ReadClipboardText(std::string& text) {
  text.clear();
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return false;
  if (!OpenClipboard(nullptr)) return false;
  bool ok = false;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      const size_t capacity = GlobalSize(data) / sizeof(wchar_t);
      const int length = static_cast<int>(wcsnlen(wide, capacity));
      if (length == 0) {
        ok = true;
      } else {
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
        if (bytes > 0) {
          text.resize(static_cast<size_t>(bytes));
          ok = WideCharToMultiByte(CP_UTF8, 0, wide, length, &text[0], bytes, nullptr, nullptr) == bytes;
        }
      }
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  if (!ok) text.clear();
  return ok;
}

void IGraphicsWin::HideCursor() {
  if (mCursorHidden) return;
  POINT p;
  if (GetCursorPos(&p)) {
    mCursorX = p.x;
    mCursorY = p.y;
  }
  ShowCursor(FALSE);
  mCursorHidden = true;
}

void IGraphicsWin::RestoreCursor() {
  if (!mCursorHidden) return;
  SetCursorPos(mCursorX, mCursorY);
  ShowCursor(TRUE);
  mCursorHidden = false;
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
  if (width == mWidth && height == mHeight) return;
  const int dw = width - mWidth;
  const int dh = height - mHeight;
  // The controls an open entry edits are about to be deleted.
  EndTextEntry();
  IGraphics::Resize(width, height);
  if (!mWindow) return;

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
  RECT whole = {0, 0, width, height};
  InvalidateRect(mWindow, &whole, FALSE);
}
