#include "tests/host/EditorDrive.h"

#include <windows.h>

#include <cstring>

namespace hosttest {

namespace {

const char kFrameClass[] = "MorvaneTestHostFrame";
constexpr UINT_PTR kRedrawTimerId = 2;

bool Fail(std::string* failure, const std::string& what) {
  if (failure) *failure = what + " (Windows error " + std::to_string(GetLastError()) + ")";
  return false;
}

// Dispatches messages, as a host's loop does, until the editor's redraw
// timer has ticked `ticks` times or the time runs out; the ticks counted.
int Pump(HWND editor, int ticks, DWORD timeoutMs) {
  int seen = 0;
  const DWORD start = GetTickCount();
  while (seen < ticks && GetTickCount() - start < timeoutMs) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      continue;
    }
    if (msg.message == WM_TIMER && msg.hwnd == editor && msg.wParam == kRedrawTimerId) ++seen;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return seen;
}

// Absolute mouse input at a screen point, with the given button flags.
bool MouseInput(POINT screen, DWORD buttons) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  // 0..65535 over the screen: the pixel's centre, so the point maps back to it.
  input.mi.dx = static_cast<LONG>((screen.x * 65536LL + 32768) / w);
  input.mi.dy = static_cast<LONG>((screen.y * 65536LL + 32768) / h);
  input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | buttons;
  return SendInput(1, &input, sizeof input) == 1;
}

// The window's client area through its device context, as blue, green, red.
bool ReadWindow(HWND window, int width, int height, Pixels* pixels) {
  HDC dc = GetDC(window);
  if (!dc) return false;
  HDC memory = CreateCompatibleDC(dc);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = memory && section && bits;
  if (ok) {
    HGDIOBJ old = SelectObject(memory, section);
    ok = BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY) != FALSE;
    GdiFlush();
    SelectObject(memory, old);
  }
  if (ok) {
    pixels->width = width;
    pixels->height = height;
    pixels->bgr.resize(static_cast<size_t>(width) * height * 3);
    const auto* from = static_cast<const unsigned char*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) std::memcpy(&pixels->bgr[i * 3], from + i * 4, 3);
  }
  if (section) DeleteObject(section);
  if (memory) DeleteDC(memory);
  ReleaseDC(window, dc);
  return ok;
}

}  // namespace

// 1. A top-level window of the host's, its client area the editor's size.
// 2. effEditOpen with it as the parent: the editor is its child window.
// 3. Messages pumped through five redraw ticks: the editor is drawn.
// 4. The gesture as mouse input: press, one move, release, each followed by
//    pumping, then five more ticks.
// 5. The window's pixels read back; effEditClose, which removes the window.
bool DriveEditor(AEffect* e, const KnobGesture& gesture, EditorSession* session, std::string* failure) {
  ERect* rect = nullptr;
  if (e->dispatcher(e, effEditGetRect, 0, 0, &rect, 0.0f) != 1 || !rect) return Fail(failure, "no editor rectangle");
  const int width = rect->right - rect->left, height = rect->bottom - rect->top;

  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kFrameClass;
  if (!RegisterClassA(&wc)) return Fail(failure, "the host's window class cannot be registered");
  RECT frameRect = {0, 0, width, height};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  AdjustWindowRect(&frameRect, style, FALSE);
  HWND frame = CreateWindowExA(0, kFrameClass, "Morvane test host", style, 40, 40, frameRect.right - frameRect.left,
                               frameRect.bottom - frameRect.top, nullptr, nullptr, instance, nullptr);
  if (!frame) return Fail(failure, "the host's window cannot be made");
  ShowWindow(frame, SW_SHOWNORMAL);
  SetForegroundWindow(frame);
  UpdateWindow(frame);

  bool ok = false;
  HWND editor = nullptr;
  char className[64] = {};
  if (e->dispatcher(e, effEditOpen, 0, 0, frame, 0.0f) != 1) {
    Fail(failure, "effEditOpen failed");
  } else if (!(editor = GetWindow(frame, GW_CHILD)) || !GetClassNameA(editor, className, sizeof className) ||
             std::strcmp(className, "IEffectWndClass") != 0) {
    Fail(failure, "the editor is no child window of class IEffectWndClass");
  } else {
    session->ticksBefore = Pump(editor, 5, 5000);
    session->valueBefore = e->getParameter(e, gesture.param);
    HostCalls().clear();

    POINT press = {gesture.x, gesture.y};
    ClientToScreen(editor, &press);
    POINT moved = {press.x, press.y + gesture.dy};
    ok = MouseInput(press, 0);
    Pump(editor, 1, 2000);
    ok = ok && MouseInput(press, MOUSEEVENTF_LEFTDOWN);
    Pump(editor, 1, 2000);
    ok = ok && MouseInput(moved, 0);
    Pump(editor, 1, 2000);
    ok = ok && MouseInput(moved, MOUSEEVENTF_LEFTUP);
    session->ticksAfter = Pump(editor, 5, 5000);
    session->valueAfter = e->getParameter(e, gesture.param);
    if (!ok) Fail(failure, "mouse input was refused");
    if (ok && !ReadWindow(editor, width, height, &session->window)) ok = Fail(failure, "the window cannot be read");
  }
  e->dispatcher(e, effEditClose, 0, 0, nullptr, 0.0f);
  if (ok && editor && IsWindow(editor)) ok = Fail(failure, "the editor window outlived effEditClose");
  DestroyWindow(frame);
  UnregisterClassA(kFrameClass, instance);
  return ok;
}

}  // namespace hosttest
