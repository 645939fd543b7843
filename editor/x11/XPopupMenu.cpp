#include "editor/x11/XPopupMenu.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>

#include "bitmap/Bitmap.h"
#include "bitmap/Blit.h"
#include "bitmap/Font.h"
#include "editor/IMenu.h"
#include "editor/x11/XImageSurface.h"

namespace x11 {
namespace {

// The menu's look, after the editor's dark panels and their cyan accent.
const IColorValue kBackground(255, 0x26, 0x28, 0x2C);
const IColorValue kBorder(255, 0x44, 0x48, 0x4E);
const IColorValue kText(255, 0xE6, 0xE8, 0xEB);
const IColorValue kGreyText(255, 0x6E, 0x72, 0x78);
const IColorValue kHighlight(255, 0x2C, 0x8E, 0xB8);
const IColorValue kHighlightText(255, 0xFF, 0xFF, 0xFF);

constexpr int kItemHeight = 22;
constexpr int kSeparatorHeight = 9;
constexpr int kMargin = 4;      // above the first and below the last item
constexpr int kTextLeft = 24;   // room for the check mark
constexpr int kTextRight = 26;  // room for the submenu arrow
constexpr int kMinWidth = 120;

constexpr unsigned kPointerEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;

ITextStyle MenuStyle() {
  ITextStyle style;
  style.size = 12;
  style.align = kAlignLeft;
  style.color = kText;
  return style;
}

void Fill(BM_IBitmap* bitmap, int left, int top, int right, int bottom, const IColorValue& colour) {
  BM_FillArea(bitmap, left, top, right - left, bottom - top, colour.ToColor32(), 1.0f, BM_BLEND_COPY);
}

bool IsSeparator(const IMenuItem* item) { return (item->flags & IMenuItem::kSeparator) != 0; }

}  // namespace

struct XPopupMenu::Level {
  IMenu* menu = nullptr;
  Window window = 0;
  GC gc = nullptr;
  XImageSurface surface;
  BM_MemBitmap pixels;
  IBounds rect;            // on the root window
  std::vector<int> tops;   // item i spans tops[i] to tops[i + 1], in the window
  int highlighted = -1;
};

XPopupMenu::XPopupMenu(IGraphics& graphics, Display* display, Window root, Visual* visual, int depth,
                       Colormap colormap)
    : mGraphics(graphics), mDisplay(display), mRoot(root), mVisual(visual), mDepth(depth), mColormap(colormap) {}

XPopupMenu::~XPopupMenu() { CloseLevelsAbove(0); }

bool XPopupMenu::OpenLevel(IMenu* menu, int x, int y) {
  if (!menu || menu->ItemCount() == 0) return false;
  std::unique_ptr<Level> level(new Level);
  level->menu = menu;

  // Size: the widest label, and the items' heights.
  ITextStyle style = MenuStyle();
  int widest = 0;
  int top = kMargin;
  for (int i = 0; i < menu->ItemCount(); ++i) {
    level->tops.push_back(top);
    const IMenuItem* item = menu->GetItem(i);
    if (IsSeparator(item)) {
      top += kSeparatorHeight;
      continue;
    }
    top += kItemHeight;
    IBounds measured;
    const std::string label = menu->ItemLabel(i);
    if (!label.empty() && mGraphics.MeasureSystemText(&style, label.c_str(), &measured)) {
      widest = std::max(widest, measured.W());
    }
  }
  level->tops.push_back(top);
  const int width = std::max(kMinWidth, kTextLeft + widest + kTextRight);
  const int height = top + kMargin;

  // Within the screen: a menu that would run off the right or the bottom is
  // moved back onto it.
  const Screen* screen = nullptr;
  XWindowAttributes rootAttributes;
  if (XGetWindowAttributes(mDisplay, mRoot, &rootAttributes)) screen = rootAttributes.screen;
  if (screen) {
    x = std::max(0, std::min(x, WidthOfScreen(screen) - width));
    y = std::max(0, std::min(y, HeightOfScreen(screen) - height));
  }
  level->rect = IBounds(x, y, x + width, y + height);

  XSetWindowAttributes attributes = {};
  attributes.override_redirect = True;
  attributes.save_under = True;
  attributes.background_pixmap = None;
  attributes.border_pixel = 0;
  attributes.colormap = mColormap;
  attributes.event_mask = ExposureMask | kPointerEvents | KeyPressMask;
  level->window = XCreateWindow(mDisplay, mRoot, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                0, mDepth, InputOutput, mVisual,
                                CWOverrideRedirect | CWSaveUnder | CWBackPixmap | CWBorderPixel | CWColormap |
                                    CWEventMask,
                                &attributes);
  if (!level->window) return false;
  // Compositing managers draw popup menus as such (shadow, no fading in).
  const Atom type = XInternAtom(mDisplay, "_NET_WM_WINDOW_TYPE", False);
  const Atom popup = XInternAtom(mDisplay, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
  XChangeProperty(mDisplay, level->window, type, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&popup), 1);
  level->gc = XCreateGC(mDisplay, level->window, 0, nullptr);
  level->pixels.Resize(width, height);
  if (!level->surface.Create(mDisplay, mVisual, mDepth, width, height, false) || !level->pixels.GetBits()) {
    XFreeGC(mDisplay, level->gc);
    XDestroyWindow(mDisplay, level->window);
    return false;
  }
  XMapRaised(mDisplay, level->window);
  mLevels.push_back(std::move(level));
  Paint(*mLevels.back());
  return true;
}

void XPopupMenu::CloseLevelsAbove(size_t count) {
  while (mLevels.size() > count) {
    Level& level = *mLevels.back();
    level.surface.Destroy();
    if (level.gc) XFreeGC(mDisplay, level.gc);
    XDestroyWindow(mDisplay, level.window);
    mLevels.pop_back();
  }
  XFlush(mDisplay);
}

void XPopupMenu::Paint(Level& level) {
  BM_IBitmap* b = &level.pixels;
  const int w = level.rect.W();
  const int h = level.rect.H();
  Fill(b, 0, 0, w, h, kBackground);
  Fill(b, 0, 0, w, 1, kBorder);
  Fill(b, 0, h - 1, w, h, kBorder);
  Fill(b, 0, 0, 1, h, kBorder);
  Fill(b, w - 1, 0, w, h, kBorder);

  ITextStyle style = MenuStyle();
  BM_IFont* font = mGraphics.FindOrMakeFont(style);
  const int lineHeight = font ? font->GetLineHeight() : 0;
  for (int i = 0; i < level.menu->ItemCount(); ++i) {
    const IMenuItem* item = level.menu->GetItem(i);
    const int top = level.tops[static_cast<size_t>(i)];
    const int bottom = level.tops[static_cast<size_t>(i) + 1];
    if (IsSeparator(item)) {
      const int y = (top + bottom) / 2;
      Fill(b, 8, y, w - 8, y + 1, kBorder);
      continue;
    }
    const bool selectable = Selectable(level, i);
    const bool lit = selectable && i == level.highlighted;
    if (lit) Fill(b, 2, top, w - 2, bottom, kHighlight);
    const IColorValue& ink = lit ? kHighlightText : selectable ? kText : kGreyText;
    const int middle = (top + bottom) / 2;
    if (item->flags & IMenuItem::kChecked) {
      // A check mark of two strokes, two pixels thick.
      for (int k = 0; k < 4; ++k) Fill(b, 8 + k, middle - 1 + k, 10 + k, middle + 1 + k, ink);
      for (int k = 0; k < 7; ++k) Fill(b, 11 + k, middle + 2 - k, 13 + k, middle + 4 - k, ink);
    }
    if (item->submenu) {
      // A small triangle pointing right.
      for (int k = 0; k < 4; ++k) Fill(b, w - 16 + k, middle - 4 + k, w - 15 + k, middle + 4 - k, ink);
    }
    const std::string label = level.menu->ItemLabel(i);
    if (font && !label.empty()) {
      font->SetForeColor(ink.ToColor32());
      const int y = top + (bottom - top - lineHeight) / 2;
      int32_t rect[4] = {kTextLeft, y, w - kTextRight + 8, y + lineHeight};
      font->DrawString(b, label.c_str(), -1, rect, 0);
    }
  }
  level.surface.Put(level.window, level.gc, b, IBounds(0, 0, w, h));
}

bool XPopupMenu::Hit(int rootX, int rootY, size_t* levelIndex, int* item) const {
  for (size_t l = mLevels.size(); l-- > 0;) {
    const Level& level = *mLevels[l];
    if (!level.rect.Contains(rootX, rootY)) continue;
    *levelIndex = l;
    *item = -1;
    const int y = rootY - level.rect.top;
    for (size_t i = 0; i + 1 < level.tops.size(); ++i) {
      if (y >= level.tops[i] && y < level.tops[i + 1]) *item = static_cast<int>(i);
    }
    return true;
  }
  return false;
}

bool XPopupMenu::Selectable(const Level& level, int item) const {
  const IMenuItem* entry = level.menu->GetItem(item);
  return entry && !IsSeparator(entry) && !(entry->flags & (IMenuItem::kGreyed | IMenuItem::kDisabled));
}

void XPopupMenu::Highlight(size_t levelIndex, int item) {
  Level& level = *mLevels[levelIndex];
  if (level.highlighted == item) return;
  level.highlighted = item;
  Paint(level);
  CloseLevelsAbove(levelIndex + 1);
  OpenSubmenu(levelIndex);
}

void XPopupMenu::OpenSubmenu(size_t levelIndex) {
  Level& level = *mLevels[levelIndex];
  const int item = level.highlighted;
  if (!Selectable(level, item) || mLevels.size() != levelIndex + 1) return;
  IMenu* submenu = level.menu->GetItem(item)->submenu;
  if (!submenu) return;
  const int top = level.rect.top + level.tops[static_cast<size_t>(item)] - kMargin;
  const IBounds parent = level.rect;
  if (!OpenLevel(submenu, parent.right - 2, top)) return;
  // No room on the right: the submenu opens to the left instead.
  Level& opened = *mLevels.back();
  if (opened.rect.left < parent.right - 2) {
    const int left = std::max(0, parent.left - opened.rect.W() + 2);
    opened.rect = IBounds(left, opened.rect.top, left + opened.rect.W(), opened.rect.bottom);
    XMoveWindow(mDisplay, opened.window, opened.rect.left, opened.rect.top);
  }
}

void XPopupMenu::Step(int direction) {
  Level& level = *mLevels.back();
  const int n = level.menu->ItemCount();
  int item = level.highlighted;
  for (int tries = 0; tries < n; ++tries) {
    item = item < 0 ? (direction > 0 ? 0 : n - 1) : (item + direction + n) % n;
    if (Selectable(level, item)) {
      level.highlighted = item;
      Paint(level);
      return;
    }
  }
}

int XPopupMenu::Run(IMenu* menu, const IMenuCommands& commands, int x, int y, Window owner, bool* ownerDestroyed) {
  *ownerDestroyed = false;
  if (!OpenLevel(menu, x, y)) return -1;
  const Window grab = mLevels.front()->window;
  XSync(mDisplay, False);
  // A menu that cannot hold the pointer could not be dismissed by a click
  // elsewhere: it is not shown at all.
  if (XGrabPointer(mDisplay, grab, True, kPointerEvents, GrabModeAsync, GrabModeAsync, None, None, CurrentTime) !=
      GrabSuccess) {
    CloseLevelsAbove(0);
    return -1;
  }
  XGrabKeyboard(mDisplay, grab, True, GrabModeAsync, GrabModeAsync, CurrentTime);

  int chosen = -1;
  for (bool done = false; !done;) {
    if (XPending(mDisplay) == 0) {
      pollfd wait = {ConnectionNumber(mDisplay), POLLIN, 0};
      poll(&wait, 1, 250);
      continue;
    }
    XEvent event;
    XNextEvent(mDisplay, &event);
    if (event.xany.window == owner) {
      if (event.type == DestroyNotify && event.xdestroywindow.window == owner) {
        *ownerDestroyed = true;
        done = true;
      }
      continue;
    }
    size_t level = 0;
    int item = -1;
    switch (event.type) {
      case Expose:
        for (auto& l : mLevels) {
          if (l->window == event.xexpose.window && event.xexpose.count == 0) Paint(*l);
        }
        break;
      case MotionNotify:
        if (Hit(event.xmotion.x_root, event.xmotion.y_root, &level, &item)) Highlight(level, item);
        break;
      case ButtonPress:
        if (!Hit(event.xbutton.x_root, event.xbutton.y_root, &level, &item)) done = true;
        break;
      case ButtonRelease:
        if (Hit(event.xbutton.x_root, event.xbutton.y_root, &level, &item) && Selectable(*mLevels[level], item) &&
            !mLevels[level]->menu->GetItem(item)->submenu) {
          chosen = commands.FirstCommand(mLevels[level]->menu) + item;
          done = true;
        }
        break;
      case KeyPress: {
        const KeySym sym = XLookupKeysym(&event.xkey, 0);
        Level& deepest = *mLevels.back();
        if (sym == XK_Escape || sym == XK_Left || sym == XK_KP_Left) {
          if (mLevels.size() > 1) {
            CloseLevelsAbove(mLevels.size() - 1);
          } else if (sym == XK_Escape) {
            done = true;
          }
        } else if (sym == XK_Up || sym == XK_KP_Up) {
          Step(-1);
        } else if (sym == XK_Down || sym == XK_KP_Down) {
          Step(1);
        } else if (sym == XK_Right || sym == XK_KP_Right) {
          OpenSubmenu(mLevels.size() - 1);
          if (mLevels.back().get() != &deepest) Step(1);
        } else if (sym == XK_Return || sym == XK_KP_Enter || sym == XK_space) {
          const int lit = deepest.highlighted;
          if (!Selectable(deepest, lit)) break;
          if (deepest.menu->GetItem(lit)->submenu) {
            OpenSubmenu(mLevels.size() - 1);
            if (mLevels.back().get() != &deepest) Step(1);
          } else {
            chosen = commands.FirstCommand(deepest.menu) + lit;
            done = true;
          }
        }
        break;
      }
      default:
        break;
    }
  }
  XUngrabKeyboard(mDisplay, CurrentTime);
  XUngrabPointer(mDisplay, CurrentTime);
  CloseLevelsAbove(0);
  XSync(mDisplay, False);
  return chosen;
}

}  // namespace x11
