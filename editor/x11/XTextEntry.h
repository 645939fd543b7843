#pragma once
// The Linux editor's text-entry box: drawn by the editor over the area it was
// opened for, with the control's text style (the entry colours and the
// cached font), a caret, and the whole text selected at first, so that the
// first character typed replaces it. Its states are those of
// ITextEntryLogic: the box takes the keyboard focus when it opens (Focused
// once the server confirms it); Return or the focus leaving the editor
// commits, Escape or a left or right press on the editor cancels, and the
// next redraw tick applies or drops the text and removes the box.
#include <X11/Xlib.h>

#include <string>

#include "editor/IEditorWindowLogic.h"
#include "editor/x11/IGraphicsX11.h"

struct IGraphicsX11::TextEntry {
  ITextEntryLogic logic;
  ITextStyle style;         // the control's style, with the entry's colours
  IBounds area;             // where the box is drawn
  std::string text;
  size_t caret = 0;         // byte position in text
  bool allSelected = true;  // the first character typed replaces the text
  int maxChars = 7;
  Window focusBefore = 0;   // who had the keyboard focus when the box opened
};

namespace x11 {

// One key for the box. Return and Escape end the entry; Backspace, Delete,
// Left, Right, Home and End edit; printable ASCII characters that the
// parameter accepts are inserted at the caret while the text is shorter
// than maxChars. True when the text or caret changed.
bool EditEntryText(IGraphicsX11::TextEntry& entry, KeySym sym, const char* typed, int typedCount);

}  // namespace x11
