// Fonts through GDI: CreateFontA handles, glyphs drawn with DrawTextW into the
// glyph scratch's DIB section, and whole strings drawn with DrawTextW or
// DrawTextA (the native path) where GDI renders them reliably.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "bitmap/Blit.h"
#include "bitmap/GlyphSource.h"
#include "bitmap/win/GdiFont.h"

static_assert(BM_DT_CENTER == DT_CENTER && BM_DT_RIGHT == DT_RIGHT && BM_DT_VCENTER == DT_VCENTER &&
                  BM_DT_BOTTOM == DT_BOTTOM && BM_DT_SINGLELINE == DT_SINGLELINE && BM_DT_NOCLIP == DT_NOCLIP &&
                  BM_DT_CALCRECT == DT_CALCRECT && BM_DT_NOPREFIX == DT_NOPREFIX,
              "the text flags are GDI's own values");

namespace {

int gRunningUnderWine = -1;  // -1 not yet known, 0 no, 1 yes

HDC ContextOf(BM_IBitmap& bitmap) { return static_cast<HDC>(bitmap.GetDeviceContext()); }

// A BM_Color32 (AARRGGBB) as a GDI colour (0x00BBGGRR).
COLORREF GdiColour(BM_Color32 c) { return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

bool IsContinuation(uint8_t c) { return c >= 0x80 && c <= 0xBF; }

// Whether the text holds a multi-byte UTF-8 sequence and needs DrawTextW.
bool HasMultiByteSequence(const uint8_t* s, int n) {
  for (int i = 0; i < n; ++i) {
    const uint8_t b = s[i];
    if (b >= 0xC2 && b <= 0xDF && i + 1 < n && IsContinuation(s[i + 1])) return true;
    if (b >= 0xE0 && b <= 0xF4 && i + 2 < n && IsContinuation(s[i + 1]) && IsContinuation(s[i + 2])) return true;
  }
  return false;
}

// The text of one native drawing: the bytes for DrawTextA, or their UTF-16
// conversion for DrawTextW when the text has multi-byte characters and
// converts cleanly.
class NativeText {
public:
  NativeText(const char* text, int32_t byteCount) : mText(text ? text : "") {
    // The count never reaches past the terminating NUL.
    mLength = byteCount < 0 ? static_cast<int>(strnlen(mText, INT32_MAX))
                            : static_cast<int>(strnlen(mText, static_cast<size_t>(byteCount)));
    if (!HasMultiByteSequence(reinterpret_cast<const uint8_t*>(mText), mLength)) return;
    const int count = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, mText, mLength, nullptr, 0);
    if (count < 1) return;
    WCHAR* buffer = mStack;
    if (count >= 1000) {
      mHeap = new (std::nothrow) WCHAR[static_cast<size_t>(count) + 32];
      buffer = mHeap;
    }
    if (buffer && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, mText, mLength, buffer, count) == count) {
      buffer[count] = 0;
      mWide = buffer;
    }
  }
  ~NativeText() { delete[] mHeap; }
  NativeText(const NativeText&) = delete;
  NativeText& operator=(const NativeText&) = delete;

  int Draw(HDC dc, RECT* rect, UINT format) const {
    return mWide ? DrawTextW(dc, mWide, -1, rect, format) : DrawTextA(dc, mText, mLength, rect, format);
  }

private:
  const char* mText;
  int mLength = 0;
  WCHAR mStack[1024];
  WCHAR* mHeap = nullptr;
  const WCHAR* mWide = nullptr;
};

void SetColours(HDC dc, const BM_NativeTextStyle& style) {
  SetTextColor(dc, GdiColour(style.fore));
  SetBkMode(dc, style.backMode);
  if (style.backMode == OPAQUE) SetBkColor(dc, GdiColour(style.back));
}

class GdiGlyphSource : public BM_GlyphSource {
public:
  explicit GdiGlyphSource(HFONT font) : mFont(font) {}

  void PrepareScratch(BM_IBitmap& scratch) override {
    HDC dc = ContextOf(scratch);
    if (!dc) return;
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 0, 0));
  }

  int32_t LineHeight(BM_IBitmap& scratch) override {
    HDC dc = ContextOf(scratch);
    if (!dc) return 0;
    HGDIOBJ previous = SelectObject(dc, mFont);
    TEXTMETRICA metrics = {};
    const int32_t height = GetTextMetricsA(dc, &metrics) ? metrics.tmHeight : 0;
    SelectObject(dc, previous);
    return height;
  }

  void MeasureChar(BM_IBitmap& scratch, uint16_t character, int32_t* advance, int32_t* height) override {
    *advance = 0;
    *height = 0;
    HDC dc = ContextOf(scratch);
    if (!dc) return;
    HGDIOBJ previous = SelectObject(dc, mFont);
    WCHAR c = character;
    RECT r = {0, 0, 0, 0};
    DrawTextW(dc, &c, 1, &r, DT_NOPREFIX | DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, previous);
    *advance = r.right;
    *height = r.bottom;
  }

  void DrawChar(BM_IBitmap& scratch, uint16_t character, int32_t advance, int32_t height) override {
    HDC dc = ContextOf(scratch);
    if (!dc) return;
    HGDIOBJ previous = SelectObject(dc, mFont);
    WCHAR c = character;
    RECT r = {0, 0, advance, height};
    DrawTextW(dc, &c, 1, &r, DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE);
    SelectObject(dc, previous);
    // GDI may batch drawing: the pixels are read right after.
    GdiFlush();
  }

  bool HasNativeText() override { return true; }
  // Wine's string drawing differs from Windows' (placement and antialiasing),
  // so there the glyph cache draws everything it can.
  bool PrefersNativeText() override { return !bm::RunningUnderWine(); }

  int32_t DrawNativeText(BM_IBitmap* bitmap, const char* text, int32_t byteCount, int32_t* rect, uint32_t textFlags,
                         const BM_NativeTextStyle& style, BM_SysBitmap*& textScratch) override {
    const NativeText native(text, byteCount);
    // The library's own flag means nothing to GDI.
    const UINT flags = textFlags & ~TEXT_USE_FORE_ALPHA;
    HDC dc = bitmap ? ContextOf(*bitmap) : nullptr;
    if (dc) {
      HGDIOBJ previous = SelectObject(dc, mFont);
      SetColours(dc, style);
      RECT r = {rect[0], rect[1], rect[2], rect[3]};
      const int result = native.Draw(dc, &r, flags | DT_NOPREFIX);
      if (flags & DT_CALCRECT) {
        rect[0] = r.left;
        rect[1] = r.top;
        rect[2] = r.right;
        rect[3] = r.bottom;
      }
      SelectObject(dc, previous);
      GdiFlush();
      return result;
    }
    return DrawThroughScratch(native, bitmap, rect, flags, style, textScratch);
  }

private:
  // For bitmaps without a device context: measure, copy the text's box into
  // the scratch, draw there and copy it back with the font's weight.
  int DrawThroughScratch(const NativeText& native, BM_IBitmap* bitmap, int32_t* rect, UINT flags,
                         const BM_NativeTextStyle& style, BM_SysBitmap*& textScratch) {
    if (!textScratch) textScratch = new BM_SysBitmap(0, 0);
    if (textScratch->GetWidth() < 4 || textScratch->GetHeight() < 4)
      textScratch->Resize(std::max(textScratch->GetWidth(), 4), std::max(textScratch->GetHeight(), 4));
    HDC dc = ContextOf(*textScratch);
    if (!dc) return 0;
    HGDIOBJ previous = SelectObject(dc, mFont);
    RECT measured = {0, 0, 0, 0};
    int result = native.Draw(dc, &measured, (flags & ~0xFu) | DT_CALCRECT | DT_NOPREFIX);
    const int64_t width = measured.right - measured.left, height = measured.bottom - measured.top;
    if (flags & DT_CALCRECT) {
      rect[2] = static_cast<int32_t>(std::min<int64_t>(rect[0] + width, INT32_MAX));
      rect[3] = static_cast<int32_t>(std::min<int64_t>(rect[1] + height, INT32_MAX));
      SelectObject(dc, previous);
      return result;
    }
    // Place the text's box, then cut it to the bitmap and, unless unclipped,
    // to rect; the text origin moves by what was cut off at the left and top.
    int64_t x = rect[0], y = rect[1];
    if (flags & DT_RIGHT)
      x = static_cast<int64_t>(rect[2]) - width;
    else if (flags & DT_CENTER)
      x = (static_cast<int64_t>(rect[0]) + rect[2] - width) / 2;
    if (flags & DT_BOTTOM)
      y = static_cast<int64_t>(rect[3]) - height;
    else if (flags & DT_VCENTER)
      y = (static_cast<int64_t>(rect[1]) + rect[3] - height) / 2;
    int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
    int64_t right = std::min<int64_t>(x + width, bitmap->GetWidth());
    int64_t bottom = std::min<int64_t>(y + height, bitmap->GetHeight());
    if (!(flags & DT_NOCLIP)) {
      left = std::max<int64_t>(left, rect[0]);
      top = std::max<int64_t>(top, rect[1]);
      right = std::min<int64_t>(right, rect[2]);
      bottom = std::min<int64_t>(bottom, rect[3]);
    }
    if (right > left && bottom > top) {
      const int32_t boxW = static_cast<int32_t>(right - left), boxH = static_cast<int32_t>(bottom - top);
      if (textScratch->GetWidth() < boxW || textScratch->GetHeight() < boxH) {
        textScratch->Resize(std::max(textScratch->GetWidth(), boxW), std::max(textScratch->GetHeight(), boxH));
        SelectObject(dc, mFont);
      }
      const int32_t box[4] = {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
                              static_cast<int32_t>(bottom)};
      BM_BlitRect(textScratch, bitmap, 0, 0, box, 1.0f, BM_BLEND_COPY);
      SetColours(dc, style);
      const LONG ox = static_cast<LONG>(x - left), oy = static_cast<LONG>(y - top);
      RECT at = {ox, oy, static_cast<LONG>(ox + width), static_cast<LONG>(oy + height)};
      result = native.Draw(dc, &at, (flags & ~(DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM | DT_NOCLIP)) | DT_NOPREFIX);
      GdiFlush();
      const int32_t back[4] = {0, 0, boxW, boxH};
      BM_BlitRect(bitmap, textScratch, box[0], box[1], back, style.weight, BM_BLEND_COPY);
    }
    SelectObject(dc, previous);
    return result;
  }

  HFONT mFont;
};

}  // namespace

namespace bm {

bool RunningUnderWine() {
  if (gRunningUnderWine < 0) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Wine", &key) == ERROR_SUCCESS) {
      gRunningUnderWine = 1;
      RegCloseKey(key);
    } else {
      gRunningUnderWine = 0;
    }
  }
  return gRunningUnderWine == 1;
}

BM_FontHandle CreateFontHandle(const BM_FontSpec& request) {
  char face[sizeof request.face];
  std::memcpy(face, request.face, sizeof face);
  face[sizeof face - 1] = 0;
  HFONT font = CreateFontA(request.height, 0, request.escapement, request.escapement, request.weight, request.italic ? TRUE : FALSE,
                           FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           static_cast<DWORD>(request.quality), DEFAULT_PITCH, face);
  return static_cast<BM_FontHandle>(font);
}

void DeleteFontHandle(BM_FontHandle font) {
  if (font) DeleteObject(static_cast<HFONT>(font));
}

BM_GlyphSource* MakeGlyphSource(BM_FontHandle font) {
  return font ? new GdiGlyphSource(static_cast<HFONT>(font)) : nullptr;
}

}  // namespace bm
