#pragma once
// What the editor window's files share on Windows. [ui]
#include <windows.h>

class IGraphicsWin;

namespace win {

// The editor object a window of the editor's class belongs to (its user data).
inline IGraphicsWin* EditorOf(HWND window) {
  return window ? reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(window, GWLP_USERDATA)) : nullptr;
}

}  // namespace win
