#include "tests/host/win/HostWindow.h"

#include <algorithm>
#include <cstring>

namespace hosttest {

const char kHostWindowClass[] = "MorvaneTestHostWindow";

HostFrame::HostFrame(int width, int height, const char* title) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kHostWindowClass;
  if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return;
  RECT frameRect = {0, 0, width, height};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  AdjustWindowRect(&frameRect, style, FALSE);
  mWindow = CreateWindowExA(0, kHostWindowClass, title, style, 40, 40, frameRect.right - frameRect.left,
                            frameRect.bottom - frameRect.top, nullptr, nullptr, instance, nullptr);
  if (!mWindow) return;
  ShowWindow(mWindow, SW_SHOWNORMAL);
  SetForegroundWindow(mWindow);
  UpdateWindow(mWindow);
}

HostFrame::~HostFrame() {
  if (mWindow) DestroyWindow(mWindow);
  // Refused while another frame is open; the last one takes the class away.
  UnregisterClassA(kHostWindowClass, GetModuleHandleA(nullptr));
}

int Pump(const std::vector<HWND>& editors, int ticks, DWORD timeoutMs) {
  std::vector<int> seen(editors.size(), 0);
  auto fewest = [&] { return seen.empty() ? 0 : *std::min_element(seen.begin(), seen.end()); };
  const DWORD start = GetTickCount();
  while (fewest() < ticks && GetTickCount() - start < timeoutMs) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      continue;
    }
    if (msg.message == WM_TIMER && msg.wParam == kRedrawTimerId) {
      for (size_t i = 0; i < editors.size(); ++i) seen[i] += msg.hwnd == editors[i];
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return fewest();
}

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

bool MouseGesture(HWND editor, const KnobGesture& gesture) {
  POINT press = {gesture.x, gesture.y};
  ClientToScreen(editor, &press);
  const POINT moved = {press.x, press.y + gesture.dy};
  bool ok = MouseInput(press, 0);
  Pump({editor}, 1, 2000);
  ok = MouseInput(press, MOUSEEVENTF_LEFTDOWN) && ok;
  Pump({editor}, 1, 2000);
  ok = MouseInput(moved, 0) && ok;
  Pump({editor}, 1, 2000);
  return MouseInput(moved, MOUSEEVENTF_LEFTUP) && ok;
}

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

}  // namespace hosttest
