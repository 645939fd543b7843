#include "editor/IBitmapTextControl.h"

#include <cstring>

IBitmapTextControl::IBitmapTextControl() = default;

IBitmapTextControl::~IBitmapTextControl() = default;

void IBitmapTextControl::MarkDirty(bool /*pushToPlug*/) { mNeedsDraw = true; }

void IBitmapTextControl::MarkDrawn() { mNeedsDraw = false; }

bool IBitmapTextControl::NeedsDraw() const { return mNeedsDraw; }

void IBitmapTextControl::ShowText(const char* text) {
  if (!text) text = "";
  if (std::strcmp(text, GetText()) == 0) return;
  MarkDirty(false);
  const int size = static_cast<int>(std::strlen(text)) + 1;
  // A buffer that cannot grow keeps the old text; the control is still redrawn.
  if (char* dest = static_cast<char*>(mCaptionText.Resize(size))) {
    if (mCaptionText.Size() == size) std::memcpy(dest, text, static_cast<size_t>(size));
  }
}

const char* IBitmapTextControl::GetText() const {
  const char* text = static_cast<const char*>(mCaptionText.Data());
  return (text && mCaptionText.Size() > 0) ? text : "";
}
