#include "editor/x11/XTextEntry.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>

#include "bitmap/Blit.h"
#include "editor/IControl.h"

namespace {

constexpr int kPadding = 3;  // between the box's edge and its text

// The width of text in the style's font, 0 when there is no font or text.
int TextWidth(IGraphics& graphics, ITextStyle& style, const std::string& text) {
  if (text.empty()) return 0;
  ITextStyle left = style;
  left.align = kAlignLeft;
  IBounds measured;
  if (!graphics.MeasureSystemText(&left, text.c_str(), &measured)) return 0;
  style.cachedFont = left.cachedFont;
  return measured.W();
}

int TextHeight(IGraphics& graphics, ITextStyle& style) {
  IBounds measured;
  return graphics.MeasureSystemText(&style, "0", &measured) ? measured.H() : 0;
}

void Fill(BM_IBitmap* bitmap, const IBounds& r, const IColorValue& colour) {
  BM_FillArea(bitmap, r.left, r.top, r.W(), r.H(), colour.ToColor32(), 1.0f, BM_BLEND_COPY);
}

// The colour halfway between a and b, channel by channel.
IColorValue Between(const IColorValue& a, const IColorValue& b) {
  return IColorValue(255, (a.red + b.red) / 2, (a.green + b.green) / 2, (a.blue + b.blue) / 2);
}

}  // namespace

namespace x11 {

bool EditEntryText(IGraphicsX11::TextEntry& entry, KeySym sym, const char* typed, int typedCount) {
  ITextEntryLogic& logic = entry.logic;
  if (logic.State() == ITextEntryLogic::kCommit || logic.State() == ITextEntryLogic::kCancel) return false;
  std::string& text = entry.text;
  size_t& caret = entry.caret;
  switch (sym) {
    case XK_Return:
    case XK_KP_Enter:
      logic.Commit();
      return false;
    case XK_Escape:
      logic.Cancel();
      return false;
    case XK_BackSpace:
    case XK_Delete:
    case XK_KP_Delete:
      if (entry.allSelected) {
        text.clear();
        caret = 0;
      } else if (sym == XK_BackSpace && caret > 0) {
        text.erase(--caret, 1);
      } else if (sym != XK_BackSpace && caret < text.size()) {
        text.erase(caret, 1);
      }
      entry.allSelected = false;
      return true;
    case XK_Left:
    case XK_KP_Left:
      caret = entry.allSelected ? 0 : caret > 0 ? caret - 1 : 0;
      entry.allSelected = false;
      return true;
    case XK_Right:
    case XK_KP_Right:
      caret = entry.allSelected ? text.size() : caret < text.size() ? caret + 1 : caret;
      entry.allSelected = false;
      return true;
    case XK_Home:
    case XK_KP_Home:
      caret = 0;
      entry.allSelected = false;
      return true;
    case XK_End:
    case XK_KP_End:
      caret = text.size();
      entry.allSelected = false;
      return true;
    default:
      break;
  }
  if (typedCount != 1 || typed[0] < 32 || typed[0] > 126) return false;
  const char c = typed[0];
  if (!EntryAcceptsChar(logic.Param(), c)) return false;
  if (entry.allSelected) {
    text.clear();
    caret = 0;
    entry.allSelected = false;
  }
  if (static_cast<int>(text.size()) >= entry.maxChars) return false;
  text.insert(caret++, 1, c);
  return true;
}

}  // namespace x11

void IGraphicsX11::OpenTextEntry(IControl* control, const ITextStyle& style, const IBounds& area, const char* text,
                                 IParameter* param) {
  if (!control || mEntry || !mDisplay || !mWindowAlive) return;
  TextEntry* entry = new TextEntry;
  if (!entry->logic.Open(control, param)) {
    delete entry;
    return;
  }
  entry->style = style;
  entry->style.color = style.entryForeground;
  // The box and its text at the editor's scale.
  entry->style.size = editor_scale::ScaledLength(style.size, Scale());
  entry->style.cachedFont = nullptr;
  const IBounds pixels = ToPixels(area);
  // As the native edit box was: one pixel wider and taller than the area.
  entry->area = Intersection(IBounds(pixels.left, pixels.top, pixels.right + 1, pixels.bottom + 1),
                             IBounds(0, 0, Width(), Height()));
  entry->text = text ? text : "";
  entry->caret = entry->text.size();
  entry->maxChars = control->EntryMaxChars();
  mEntry = entry;

  // The box takes the keyboard; the state becomes Focused when the server
  // confirms (FocusIn), and the focus goes back where it was at the end.
  int revert;
  XGetInputFocus(mDisplay, &entry->focusBefore, &revert);
  XSetInputFocus(mDisplay, mWindow, RevertToParent, CurrentTime);
  PresentArea(entry->area);
}

void IGraphicsX11::CancelTextEntry() {
  if (mEntry) mEntry->logic.Cancel();
}

void IGraphicsX11::EntryKey(XKeyEvent& event) {
  char typed[8];
  KeySym sym = NoSymbol;
  const int count = XLookupString(&event, typed, sizeof typed, &sym, nullptr);
  if (x11::EditEntryText(*mEntry, sym, typed, count)) PresentArea(mEntry->area);
}

void IGraphicsX11::EndTextEntry(bool apply) {
  TextEntry* entry = mEntry;
  if (!entry) return;
  mEntry = nullptr;
  if (apply) entry->logic.ApplyText(entry->text.c_str());
  entry->logic.Close();
  if (mDisplay && mWindowAlive) {
    Window focus;
    int revert;
    XGetInputFocus(mDisplay, &focus, &revert);
    if (focus == mWindow) XSetInputFocus(mDisplay, entry->focusBefore, RevertToParent, CurrentTime);
    // What the box covered is drawn again.
    mDamage = Union(mDamage, entry->area);
  }
  delete entry;
}

void IGraphicsX11::DrawEntryBox() {
  BM_IBitmap* back = BackBuffer();
  TextEntry& e = *mEntry;
  ITextStyle& style = e.style;
  const int textWidth = TextWidth(*this, style, e.text);

  // A text wider than the box widens it (it never narrows while open), by
  // the style's alignment, within the editor.
  const int needed = textWidth + 2 * kPadding + 1;
  if (needed > e.area.W()) {
    const int grow = needed - e.area.W();
    if (style.align == kAlignCenter) {
      e.area.left -= grow / 2;
      e.area.right += grow - grow / 2;
    } else if (style.align == kAlignRight) {
      e.area.left -= grow;
    } else {
      e.area.right += grow;
    }
    if (e.area.left < 0) {
      e.area.right -= e.area.left;
      e.area.left = 0;
    }
    if (e.area.right > Width()) {
      e.area.left = std::max(0, e.area.left - (e.area.right - Width()));
      e.area.right = Width();
    }
  }
  const IBounds& box = e.area;
  if (box.W() < 3 || box.H() < 3) return;

  // Background, then a frame halfway between the entry's two colours.
  const IColorValue frame = Between(style.entryBackground, style.entryForeground);
  Fill(back, box, style.entryBackground);
  Fill(back, IBounds(box.left, box.top, box.right, box.top + 1), frame);
  Fill(back, IBounds(box.left, box.bottom - 1, box.right, box.bottom), frame);
  Fill(back, IBounds(box.left, box.top, box.left + 1, box.bottom), frame);
  Fill(back, IBounds(box.right - 1, box.top, box.right, box.bottom), frame);

  const IBounds inner(box.left + kPadding, box.top + 1, box.right - kPadding, box.bottom - 1);
  int x = inner.left;
  if (style.align == kAlignCenter) x = inner.left + (inner.W() - textWidth) / 2;
  if (style.align == kAlignRight) x = inner.right - textWidth;
  const int lineHeight = TextHeight(*this, style);
  const int y = box.top + (box.H() - lineHeight) / 2;

  ITextStyle drawn = style;
  drawn.align = kAlignLeft;
  if (e.allSelected && !e.text.empty()) {
    // The selected text, inverted.
    Fill(back, IBounds(x, y, x + textWidth, y + std::max(lineHeight, 1)), style.entryForeground);
    drawn.color = style.entryBackground;
  }
  DrawSystemText(&drawn, e.text.c_str(), IBounds(x, y, x + textWidth, y + lineHeight));
  style.cachedFont = drawn.cachedFont;

  if (!e.allSelected) {
    const int caretX = std::min(x + TextWidth(*this, style, e.text.substr(0, e.caret)), inner.right);
    const int caretTop = std::max(y, inner.top);
    const int caretBottom = std::min(y + std::max(lineHeight, 12), inner.bottom);
    Fill(back, IBounds(caretX, caretTop, caretX + 1, caretBottom), style.entryForeground);
  }
}
