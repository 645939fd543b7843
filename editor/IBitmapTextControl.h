#pragma once
#include "framework/GrowBuffer.h"

// A text drawn with a bitmap font. For now the control holds its text and its
// dirty state, which is what the plug-in's value display needs; drawing, the
// rectangle, the glyph strip and the binding to the plug-in come with the
// editor's graphics core.
class IBitmapTextControl {
public:
  IBitmapTextControl();
  virtual ~IBitmapTextControl();
  IBitmapTextControl(const IBitmapTextControl&) = delete;
  IBitmapTextControl& operator=(const IBitmapTextControl&) = delete;

  // [ui] Marks the control for redrawing at the next tick. With pushToPlug the
  // control's value would also go to the plug-in; this control is bound to no
  // parameter, so nothing is sent.
  virtual void MarkDirty(bool pushToPlug);
  // [ui] Called by the graphics object after a drawing pass: the control is
  // clean until its text changes or it is marked dirty again.
  virtual void MarkDrawn();
  virtual bool NeedsDraw() const;

  // [any thread, instance lock held] Replaces the text. A text equal to the
  // current one byte for byte changes nothing; otherwise the control is marked
  // dirty (MarkDirty(false)) and takes the new text.
  void ShowText(const char* text);
  // The current text; "" when none was set.
  const char* GetText() const;

private:
  GrowBuffer mCaptionText{GrowBuffer::kTextGranularity};  // NUL-terminated
  bool mNeedsDraw = true;  // a new control draws on the first tick
};
