#pragma once
#include "editor/IControl.h"
#include "framework/GrowBuffer.h"

// A text drawn with a bitmap font (DrawGlyphText): cells of a fixed size, the
// style's alignment, one line or several. Bound to no parameter.
class IBitmapTextControl : public IControl {
public:
  // A control without a place or font: it holds its text and dirty state but
  // draws nothing.
  IBitmapTextControl();
  IBitmapTextControl(IEffectBase* plugin, const IBounds& rect, const IBitmapRef& font, const char* text = "",
                     const ITextStyle& style = ITextStyle(), int charWidth = 6, int charHeight = 12,
                     int charSpacing = 0, bool multiLine = true, bool vCenter = false);
  ~IBitmapTextControl() override;

  // Draws the text when there is one; true in every case.
  bool Draw(IGraphics* graphics) override;

  // [any thread, instance lock held] Replaces the text. A text equal to the
  // current one byte for byte changes nothing; otherwise the control is marked
  // dirty (MarkDirty(false)) and takes the new text.
  void ShowText(const char* text);
  // The current text; "" when none was set.
  const char* GetText() const;

private:
  GrowBuffer mCaptionText{GrowBuffer::kTextGranularity};  // NUL-terminated
  int32_t mCellWidth = 6;
  int32_t mCellHeight = 12;
  int32_t mCellGap = 0;
  IBitmapRef mGlyphStrip;
  bool mWrap = true;
  bool mCenterVertically = false;
};
