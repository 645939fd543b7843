#include "tests/host/win/HostWindow.h"

#include <cstring>

namespace hosttest {

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
