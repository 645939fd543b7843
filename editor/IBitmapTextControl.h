#pragma once
#include "common/LatestValue.h"
#include "editor/IControl.h"

// A text drawn with a bitmap font (DrawGlyphText): cells of a fixed size, the
// style's alignment, one line or several. Bound to no parameter.
//
// The text may be replaced on any thread that holds the instance lock (a
// plug-in's ParamChanged, on whichever thread the host changes a parameter);
// the editor's thread takes it over at its next refresh (ApplyHandedOver),
// so it never draws a text that another thread is writing.
class IBitmapTextControl : public IControl {
public:
  // The longest text shown, in bytes; longer texts are cut.
  static constexpr int kMaxTextBytes = 127;

  // A control without a place or font: it holds its text and dirty state but
  // draws nothing.
  IBitmapTextControl();
  IBitmapTextControl(IEffectBase* plugin, const IBounds& rect, const IBitmapRef& font, const char* text = "",
                     const ITextStyle& style = ITextStyle(), int charWidth = 6, int charHeight = 12,
                     int charSpacing = 0, bool multiLine = true, bool vCenter = false);
  ~IBitmapTextControl() override;

  // Draws the text when there is one; true in every case.
  bool Draw(IGraphics* graphics) override;
  // [ui] Takes a text handed over by ShowText; the control is then dirty.
  void ApplyHandedOver() override;

  // [any thread, instance lock held] Replaces the text. A text equal to the
  // last one given byte for byte changes nothing; otherwise the editor's
  // thread shows the new text from its next refresh on.
  void ShowText(const char* text);
  // [ui] The text shown; "" when none was set.
  const char* GetText() const { return mText.Read().bytes; }

private:
  struct Text {
    char bytes[kMaxTextBytes + 1];
  };

  LatestValue<Text> mText;  // written by ShowText, read by the editor's thread
  Text mLastGiven = {};     // the text ShowText last handed over (writer side)
  int32_t mCellWidth = 6;
  int32_t mCellHeight = 12;
  int32_t mCellGap = 0;
  IBitmapRef mGlyphStrip;
  bool mWrap = true;
  bool mCenterVertically = false;
};
