#include "editor/IBitmapTextControl.h"

#include <cstring>

#include "common/CopyText.h"

IBitmapTextControl::IBitmapTextControl() : IControl(nullptr, IBounds()) {}

IBitmapTextControl::IBitmapTextControl(IEffectBase* plugin, const IBounds& rect, const IBitmapRef& font,
                                       const char* text, const ITextStyle& style, int charWidth, int charHeight,
                                       int charSpacing, bool multiLine, bool vCenter)
    : IControl(plugin, rect),
      mCellWidth(charWidth),
      mCellHeight(charHeight),
      mCellGap(charSpacing),
      mGlyphStrip(font),
      mWrap(multiLine),
      mCenterVertically(vCenter) {
  mTextStyle = style;
  // No other thread knows the control yet: the first text is shown at once.
  CopyTextBounded(mLastGiven.bytes, sizeof mLastGiven.bytes, text);
  mText.ReadSlot() = mLastGiven;
}

IBitmapTextControl::~IBitmapTextControl() = default;

bool IBitmapTextControl::Draw(IGraphics* graphics) {
  const char* text = GetText();
  if (text[0]) {
    graphics->DrawGlyphText(mGlyphStrip, mBounds, mTextStyle, &mBlending, text, mCenterVertically, mWrap,
                            mCellWidth, mCellHeight, mCellGap);
  }
  return true;
}

void IBitmapTextControl::ShowText(const char* text) {
  Text given;
  CopyTextBounded(given.bytes, sizeof given.bytes, text);
  if (std::strcmp(given.bytes, mLastGiven.bytes) == 0) return;
  mLastGiven = given;
  mText.WriteSlot() = given;
  mText.Publish();
}

void IBitmapTextControl::ApplyHandedOver() {
  if (mText.Take()) MarkDirty(false);
}
