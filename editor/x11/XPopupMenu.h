#pragma once
// A popup menu drawn by the editor: one override-redirect window per open
// menu level (the menu, and the submenu of the item under the pointer),
// holding the pointer and keyboard until an item is chosen or the menu is
// dismissed. It runs its own event loop on the editor's connection, as a
// native menu runs a nested message loop: the call returns only when the
// menu has closed. [ui]
//
// Choosing: releasing a button over an enabled item (not a separator, not
// greyed or disabled, not one that opens a submenu), or Return on the item
// highlighted with the arrow keys. Dismissing: a press outside every menu
// window, Escape at the top level, or the editor's window being destroyed.
#include <X11/Xlib.h>

#include <memory>
#include <vector>

#include "editor/IEditorWindowLogic.h"
#include "editor/IGraphics.h"

namespace x11 {

class XImageSurface;

class XPopupMenu {
public:
  // graphics makes the font; the windows are made on the root of the given
  // visual's screen.
  XPopupMenu(IGraphics& graphics, Display* display, Window root, Visual* visual, int depth, Colormap colormap);
  ~XPopupMenu();
  XPopupMenu(const XPopupMenu&) = delete;
  XPopupMenu& operator=(const XPopupMenu&) = delete;

  // Shows menu with its top left at (x, y) of the root window and waits.
  // The chosen item's command (IMenuCommands numbering), or -1. Events for
  // the owner window that arrive meanwhile are dropped, except its
  // destruction, which dismisses the menu and sets *ownerDestroyed.
  int Run(IMenu* menu, const IMenuCommands& commands, int x, int y, Window owner, bool* ownerDestroyed);

private:
  struct Level;

  bool OpenLevel(IMenu* menu, int x, int y);
  void CloseLevelsAbove(size_t count);
  void Paint(Level& level);
  // The level and item under a root position; false when outside every level.
  bool Hit(int rootX, int rootY, size_t* level, int* item) const;
  void Highlight(size_t level, int item);
  // Moves the deepest level's highlight to the next selectable item (+1 or -1).
  void Step(int direction);
  bool Selectable(const Level& level, int item) const;
  // Opens the submenu of the level's highlighted item, when it has one.
  void OpenSubmenu(size_t level);

  IGraphics& mGraphics;
  Display* mDisplay;
  Window mRoot;
  Visual* mVisual;
  int mDepth;
  Colormap mColormap;
  std::vector<std::unique_ptr<Level>> mLevels;  // the menu, then each open submenu
};

}  // namespace x11
