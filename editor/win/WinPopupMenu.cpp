#include "editor/win/IGraphicsWin.h"

#include "editor/IMenu.h"

namespace {

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

}  // namespace

// ---- popup menus ----------------------------------------------------------------------

// 1. The menu takes the mouse: the capture goes, the gesture stays open.
// 2. The Win32 menus, numbered by IMenuCommands.
// 3. Shown below the area's left edge; a choice is posted as WM_COMMAND.
// 4. The command taken from the queue names the menu and its item.
// 5. The menus go and the whole editor is redrawn.
// 6. The gesture of the press that opened the menu ends after the choice, or
//    with the release of a button still held.
IMenu* IGraphicsWin::ShowPopupMenu(IMenu* menu, const IBounds& area) {
  const int gesture = mCapturedIndex;
  ReleaseCapture();
  if (!menu || !mWindow) return nullptr;
  const IMenuCommands commands(menu);
  HMENU handle = BuildMenu(menu, commands);
  if (!handle) return nullptr;
  const IBounds below = ToPixels(area);
  POINT p = {below.left, below.bottom};
  ClientToScreen(mWindow, &p);
  IMenu* chosen = nullptr;
  mMenuOpen = true;
  const BOOL tracked = TrackPopupMenu(handle, TPM_LEFTBUTTON, p.x, p.y, 0, mWindow, nullptr);
  mMenuOpen = false;
  if (tracked) {
    MSG msg;
    if (PeekMessageA(&msg, mWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE) && HIWORD(msg.wParam) == 0) {
      chosen = commands.Choose(LOWORD(msg.wParam));
    }
  }
  DestroyMenu(handle);
  // The press that opened the menu may have ended inside it.
  const bool held = GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0 || GetKeyState(VK_MBUTTON) < 0;
  if (ResumeGestureAfterMenu(gesture, held)) SetCapture(mWindow);
  RECT whole = {0, 0, Width(), Height()};
  if (mWindow) InvalidateRect(mWindow, &whole, FALSE);
  return chosen;
}
