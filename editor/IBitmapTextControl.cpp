#include "editor/IBitmapTextControl.h"

#include <atomic>
#include <cstring>

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
  ShowText(text);
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
  if (!text) text = "";
  if (std::strcmp(text, GetText()) == 0) return;
  MarkDirty(false);
  const int size = static_cast<int>(std::strlen(text)) + 1;
  // A buffer that cannot grow keeps the old text; the control is still redrawn.
  char* dest = static_cast<char*>(mCaptionText.Resize(size));
  if (!dest || mCaptionText.Size() != size) return;
  // The editor may be drawing the text while a host thread replaces it. The
  // new end is stored first, so a reader meets a NUL within the new length
  // at whatever moment it reads (the processors this runs on keep stores in
  // order; the fence keeps the compiler from moving them).
  dest[size - 1] = '\0';
  std::atomic_signal_fence(std::memory_order_seq_cst);
  std::memcpy(dest, text, static_cast<size_t>(size - 1));
}

const char* IBitmapTextControl::GetText() const {
  const char* text = static_cast<const char*>(mCaptionText.Data());
  return (text && mCaptionText.Size() > 0) ? text : "";
}
