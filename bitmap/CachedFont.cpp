#include "bitmap/CachedFont.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>

#include "bitmap/Blit.h"
#include "bitmap/GlyphBlit.h"

namespace {

// Shared by all fonts: the live font count and the two scratch bitmaps, which
// are deleted with the last font.
int gFontCount = 0;
BM_SysBitmap* gGlyphScratch = nullptr;
BM_SysBitmap* gTextScratch = nullptr;

// Fonts this tall go to the platform's string drawing where it has one; from
// kMaxRenderedLineHeight on no glyph is rendered at all. The second bound
// keeps every scratch and mask size far inside 32 bits.
constexpr int32_t kMaxCachedLineHeight = 256;
constexpr int32_t kMaxRenderedLineHeight = 1024;
constexpr int32_t kScratchMinimum = 256;
constexpr size_t kIndexStepBytes = 4096;
constexpr size_t kDataStepBytes = 65536;

constexpr uint32_t kAlignFlags = BM_DT_CENTER | BM_DT_RIGHT | BM_DT_VCENTER | BM_DT_BOTTOM;
// Every font flag that only the glyph cache can honour.
constexpr uint32_t kCachedOnlyFontFlags =
    FONT_VERTICAL | FONT_VERTICAL_UP | FONT_ASCII_ONLY | FONT_SOFTEN | FONT_INVERT | FONT_MONO | FONT_SHADOW | FONT_OUTLINE;
constexpr uint32_t kUpright = FONT_VERTICAL | FONT_VERTICAL_UP;

int32_t Saturate32(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

// Grows a buffer's reserve in whole steps of stepBytes.
template <typename T>
void ReserveInSteps(std::vector<T>& v, size_t count, size_t stepBytes) {
  if (count <= v.capacity()) return;
  const size_t stepItems = std::max<size_t>(1, stepBytes / sizeof(T));
  v.reserve((count + stepItems - 1) / stepItems * stepItems);
}

bool IsContinuation(uint8_t c) { return c >= 0x80 && c <= 0xBF; }

// Decodes one character of at most `available` bytes (at least 1; a
// NUL-terminated text passes a bound beyond its end, and the NUL, not being a
// continuation byte, stops every sequence). Returns the byte length.
//   < 0xC2 (ASCII, stray continuation, overlong lead): one byte, its value
//   0xC2-0xDF + 1 continuation: ((b0 & 0x1F) << 6) | (b1 & 0x3F)
//   0xE0-0xEF + 2 continuations: (b0 << 12, 16 bits) | ((b1 & 0x3F) << 6) | (b2 & 0x3F)
//   0xF0-0xF4 + 3 continuations: beyond 16 bits, drawn as a space
//   anything else (lead without its continuations, 0xF5-0xFF): one byte, its value
int DecodeUtf8Char(const uint8_t* s, int64_t available, uint16_t* code) {
  const uint8_t b0 = s[0];
  if (b0 >= 0xC2 && b0 <= 0xDF && available >= 2 && IsContinuation(s[1])) {
    *code = static_cast<uint16_t>(((b0 & 0x1F) << 6) | (s[1] & 0x3F));
    return 2;
  }
  if (b0 >= 0xE0 && b0 <= 0xEF && available >= 3 && IsContinuation(s[1]) && IsContinuation(s[2])) {
    *code = static_cast<uint16_t>((b0 << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F));
    return 3;
  }
  if (b0 >= 0xF0 && b0 <= 0xF4 && available >= 4 && IsContinuation(s[1]) && IsContinuation(s[2]) &&
      IsContinuation(s[3])) {
    *code = 0x20;
    return 4;
  }
  *code = b0;
  return 1;
}

// Walks a text up to its NUL or its byte count (negative: no count), one
// character at a time.
class Utf8Walk {
public:
  Utf8Walk(const char* text, int32_t byteCount)
      : mAt(reinterpret_cast<const uint8_t*>(text)),
        mLeft(byteCount < 0 ? std::numeric_limits<int64_t>::max() : byteCount) {}
  bool Next(uint16_t* code) {
    if (!mAt || mLeft <= 0 || *mAt == 0) return false;
    const int n = DecodeUtf8Char(mAt, mLeft, code);
    mAt += n;
    mLeft -= n;
    return true;
  }

private:
  const uint8_t* mAt;
  int64_t mLeft;
};

// Walks a text's characters with a pen that line feeds move: carriage returns
// are skipped; a line feed starts the next line (the next column for vertical
// fonts) at the start position, or reads as a space in single-line text.
class PenWalk {
public:
  PenWalk(const char* text, int32_t byteCount, bool singleLine, bool vertical, int64_t lineStep, int64_t startX,
          int64_t startY)
      : x(startX), y(startY), mWalk(text, byteCount), mSingleLine(singleLine), mVertical(vertical),
        mLineStep(lineStep), mStartX(startX), mStartY(startY) {}
  bool Next(uint16_t* c) {
    while (mWalk.Next(c)) {
      if (*c == '\r') continue;
      if (*c != '\n') return true;
      if (mSingleLine) {
        *c = ' ';
        return true;
      }
      if (mVertical) {
        x += mLineStep;
        y = mStartY;
      } else {
        y += mLineStep;
        x = mStartX;
      }
    }
    return false;
  }

  int64_t x, y;  // the pen

private:
  Utf8Walk mWalk;
  bool mSingleLine, mVertical;
  int64_t mLineStep, mStartX, mStartY;
};

// ---- Mask effects ----

// Each pixel of the width x height area becomes a sum of shifted, per-byte
// masked words, each term truncated on its own:
//   inner rows:  c/2 + l/8 + r/8 + up/8 + down/8
//   first row:   c/2 + down/4 + l/8 + r/8
//   last row:    c/2 + up/4 + l/8 + r/8
// In the first column r/4 stands for l/8 + r/8, in the last column l/4. Left
// neighbours and the row above are read as they were before filtering, except
// in the last row, which reads the row above already filtered.
void Soften(BM_Color32* bits, ptrdiff_t span, int width, int height) {
  if (width < 2 || height < 2) return;
  auto half = [](BM_Color32 p) { return (p >> 1) & 0x7F7F7F7Fu; };
  auto quarter = [](BM_Color32 p) { return (p >> 2) & 0x3F3F3F3Fu; };
  auto eighth = [](BM_Color32 p) { return (p >> 3) & 0x1F1F1F1Fu; };
  // The unfiltered previous and current rows.
  BM_Color32 small[2 * 1024];
  std::vector<BM_Color32> large;
  BM_Color32* prev = small;
  if (width > 1024) {
    large.resize(static_cast<size_t>(width) * 2);
    prev = large.data();
  }
  BM_Color32* cur = prev + width;
  for (int y = 0; y < height; ++y) {
    BM_Color32* row = bits + y * span;
    const BM_Color32* below = y + 1 < height ? row + span : nullptr;
    const BM_Color32* above = y == height - 1 ? row - span : prev;  // filtered for the last row
    std::memcpy(cur, row, static_cast<size_t>(width) * sizeof(BM_Color32));
    for (int x = 0; x < width; ++x) {
      BM_Color32 sum = half(cur[x]);
      if (x == 0)
        sum += quarter(cur[x + 1]);
      else if (x == width - 1)
        sum += quarter(cur[x - 1]);
      else
        sum += eighth(cur[x - 1]) + eighth(cur[x + 1]);
      if (y == 0)
        sum += quarter(below[x]);
      else if (y == height - 1)
        sum += quarter(above[x]);
      else
        sum += eighth(above[x]) + eighth(below[x]);
      row[x] = sum;
    }
    std::swap(prev, cur);
  }
}

// Thresholds the mask (above 130 is ink, 255; the rest 0), then with an
// effect marks empty pixels as 128 where a neighbour is ink: for the shadow
// the left, upper-left or upper neighbour, for the outline the upper, lower,
// left or right one. Only ink counts as a neighbour, so marks never spread.
void ApplyMaskStyle(uint8_t* mask, int width, int height, uint32_t flags) {
  const bool shadow = (flags & FONT_SHADOW) != 0;
  const bool outline = !shadow && (flags & FONT_OUTLINE) != 0;
  const size_t n = static_cast<size_t>(width) * height;
  for (size_t i = 0; i < n; ++i) mask[i] = mask[i] > 130 ? 255 : 0;
  if (!shadow && !outline) return;
  auto ink = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < width && y < height && mask[static_cast<size_t>(y) * width + x] == 255;
  };
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t& m = mask[static_cast<size_t>(y) * width + x];
      if (m != 0) continue;
      const bool mark = shadow ? (ink(x - 1, y) || ink(x - 1, y - 1) || ink(x, y - 1))
                               : (ink(x, y - 1) || ink(x, y + 1) || ink(x - 1, y) || ink(x + 1, y));
      if (mark) m = 128;
    }
}

// Turns the width x height mask by 90 degrees into height x width, through a
// temporary copy. Upward: the source's rightmost column becomes the first row
// (out[k][l] = in[l][width - 1 - k]); downward: the source's bottom row becomes
// the first column (out[k][l] = in[height - 1 - l][k]).
void RotateMask(uint8_t* mask, int width, int height, bool up, uint8_t* temp) {
  std::memcpy(temp, mask, static_cast<size_t>(width) * height);
  for (int k = 0; k < width; ++k)
    for (int l = 0; l < height; ++l) {
      const int sy = up ? l : height - 1 - l;
      const int sx = up ? width - 1 - k : k;
      mask[static_cast<size_t>(k) * height + l] = temp[static_cast<size_t>(sy) * width + sx];
    }
}

}  // namespace

// ---- Construction and settings ----

BM_CachedFont::BM_CachedFont() {
  ++gFontCount;
  for (int i = 0; i < 128; ++i) mLowGlyphs[i].mChar = static_cast<uint16_t>(i);
}

BM_CachedFont::~BM_CachedFont() {
  delete mSource;
  if ((mFlags & FONT_OWNS_HFONT) && mFont) bm::DeleteFontHandle(mFont);
  if (--gFontCount == 0) {
    delete gGlyphScratch;
    delete gTextScratch;
    gGlyphScratch = nullptr;
    gTextScratch = nullptr;
  }
}

void BM_CachedFont::SetSystemFont(BM_FontHandle font, uint32_t flags) {
  // The old source draws with the old handle: it goes first.
  delete mSource;
  mSource = nullptr;
  Attach(font, font ? bm::MakeGlyphSource(font) : nullptr, flags);
}

void BM_CachedFont::SetGlyphSource(BM_GlyphSource* source, uint32_t flags) {
  delete mSource;
  mSource = nullptr;
  Attach(nullptr, source, flags);
}

void BM_CachedFont::Attach(BM_FontHandle font, BM_GlyphSource* source, uint32_t flags) {
  if ((mFlags & FONT_OWNS_HFONT) && mFont && mFont != font) bm::DeleteFontHandle(mFont);
  mFlags = flags;
  mFont = font;
  mSource = source;
  if (mSource) {
    if (!gGlyphScratch) gGlyphScratch = new BM_SysBitmap(0, 0);
    if (gGlyphScratch->GetWidth() < kScratchMinimum || gGlyphScratch->GetHeight() < kScratchMinimum) {
      gGlyphScratch->Resize(kScratchMinimum, kScratchMinimum);
      mSource->PrepareScratch(*gGlyphScratch);
    }
    mLineHeight = mSource->LineHeight(*gGlyphScratch);
  }
  for (int i = 0; i < 128; ++i) {
    mLowGlyphs[i] = GlyphEntry();
    mLowGlyphs[i].mChar = static_cast<uint16_t>(i);
  }
  mGlyphIndex.clear();
  mGlyphData.clear();
  if (mFlags & FONT_ASCII_ONLY)
    for (int i = 0; i < 128; ++i) RenderGlyph(static_cast<uint16_t>(i));
}

BM_Color32 BM_CachedFont::SetForeColor(BM_Color32 colour) {
  std::swap(mForeColor, colour);
  return colour;
}

BM_Color32 BM_CachedFont::SetBackColor(BM_Color32 colour) {
  std::swap(mBackColor, colour);
  return colour;
}

BM_Color32 BM_CachedFont::SetEffectColor(BM_Color32 colour) {
  std::swap(mEffectColor, colour);
  return colour;
}

int32_t BM_CachedFont::SetBackMode(int32_t mode) {
  std::swap(mBackMode, mode);
  return mode;
}

void BM_CachedFont::SetCombineMode(int32_t mode, float weight) {
  mCombineMode = mode;
  mAlpha = weight;
}

// ---- Glyph cache ----

BM_CachedFont::GlyphEntry* BM_CachedFont::FindHighGlyph(uint16_t character) {
  auto it = std::lower_bound(mGlyphIndex.begin(), mGlyphIndex.end(), character,
                             [](const GlyphEntry& e, uint16_t c) { return e.mChar < c; });
  return it != mGlyphIndex.end() && it->mChar == character ? &*it : nullptr;
}

BM_CachedFont::GlyphEntry* BM_CachedFont::FindGlyph(uint16_t character, bool render) {
  if (character < 128) {
    GlyphEntry* e = &mLowGlyphs[character];
    if (render && e->mDataOffset == 0) RenderGlyph(character);
    return e;
  }
  GlyphEntry* e = FindHighGlyph(character);
  if (!render) return e;
  if (!e) {
    const size_t before = mGlyphIndex.size();
    RenderGlyph(character);
    return mGlyphIndex.size() > before ? FindHighGlyph(character) : nullptr;
  }
  if (e->mDataOffset == 0) {
    RenderGlyph(character);
    e = FindHighGlyph(character);
  }
  return e;
}

const uint8_t* BM_CachedFont::MaskOf(const GlyphEntry& glyph) const {
  if (glyph.mDataOffset <= 0 || glyph.mWidth <= 0 || glyph.mHeight <= 0) return nullptr;
  const int64_t offset = static_cast<int64_t>(glyph.mDataOffset) - 1;
  const int64_t bytes = static_cast<int64_t>(glyph.mWidth) * glyph.mHeight;
  if (offset + bytes > static_cast<int64_t>(mGlyphData.size())) return nullptr;
  return mGlyphData.data() + offset;
}

void BM_CachedFont::RenderGlyph(uint16_t character) {
  if (mLineHeight >= kMaxRenderedLineHeight || !mSource) return;
  bool appended = false;
  GlyphEntry* entry = nullptr;
  if (character < 128) {
    entry = &mLowGlyphs[character];
  } else {
    entry = FindHighGlyph(character);
    if (!entry) {
      if (mFlags & FONT_ASCII_ONLY) return;
      ReserveInSteps(mGlyphIndex, mGlyphIndex.size() + 1, kIndexStepBytes);
      GlyphEntry fresh;
      fresh.mChar = character;
      mGlyphIndex.push_back(fresh);
      entry = &mGlyphIndex.back();
      appended = true;
    }
  }

  // Scratch of S x S, S = 2 x max(line height, 1) + 8: room for any glyph of
  // the font and its overhang. The line height is below 1024 here, so S and
  // every size below stay small.
  const int32_t S = 2 * std::max<int32_t>(mLineHeight, 1) + 8;
  if (!gGlyphScratch) gGlyphScratch = new BM_SysBitmap(0, 0);
  if (gGlyphScratch->GetWidth() < S || gGlyphScratch->GetHeight() < S) {
    gGlyphScratch->Resize(std::max(gGlyphScratch->GetWidth(), S), std::max(gGlyphScratch->GetHeight(), S));
    mSource->PrepareScratch(*gGlyphScratch);
  }
  BM_SysBitmap& scratch = *gGlyphScratch;
  if (scratch.GetBits() && scratch.GetWidth() >= S && scratch.GetHeight() >= S) {
    int32_t advance = 0, height = 0;
    mSource->MeasureChar(scratch, character, &advance, &height);
    // Cell width K = A + (line height / 16 from 16 pixels on) + 2 leaves room
    // for ink that overhangs the advance.
    const int64_t scratchW = scratch.GetWidth(), scratchH = scratch.GetHeight();
    int64_t A = std::min<int64_t>(advance, scratchW);
    int64_t K = std::min<int64_t>(static_cast<int64_t>(advance) + (mLineHeight >= 16 ? mLineHeight / 16 : 0) + 2,
                                  scratchW);
    int64_t H = std::min<int64_t>(height, scratchH);
    if (A >= 1 && H >= 1) {
      BM_FillArea(&scratch, 0, 0, static_cast<int32_t>(K), static_cast<int32_t>(H), 0, 1.0f, BM_BLEND_COPY);
      mSource->DrawChar(scratch, character, static_cast<int32_t>(A), static_cast<int32_t>(H));
    }
    BM_Color32* bits = scratch.GetBits();
    const ptrdiff_t span = scratch.GetRowSpan();
    const int64_t bytes = K * H;
    if (A < 1 || H < 1 || !bits) {
      entry->mDataOffset = -1;
      entry->mWidth = entry->mHeight = entry->mAdvance = 0;
    } else if (static_cast<int64_t>(mGlyphData.size()) + bytes + 1 <= INT32_MAX) {
      const int w0 = static_cast<int>(K), h = static_cast<int>(H), a = static_cast<int>(A);
      entry->mAdvance = a;
      if (mFlags & FONT_SOFTEN) Soften(bits, span, w0, h);
      const size_t start = mGlyphData.size();
      ReserveInSteps(mGlyphData, start + static_cast<size_t>(bytes), kDataStepBytes);
      mGlyphData.resize(start + static_cast<size_t>(bytes));
      uint8_t* mask = mGlyphData.data() + start;
      const bool invert = (mFlags & FONT_INVERT) != 0;
      // The mask is as wide as the advance, widened to the rightmost ink
      // found beyond it in any row.
      int width = a;
      for (int y = 0; y < h; ++y) {
        const uint8_t* px = reinterpret_cast<const uint8_t*>(bits + y * span);
        uint8_t* out = mask + static_cast<size_t>(y) * w0;
        for (int x = 0; x < w0; ++x) out[x] = static_cast<uint8_t>(invert ? 255 - px[4 * x + 2] : px[4 * x + 2]);
        for (int x = w0 - 1; x >= width; --x)
          if (out[x]) {
            width = x + 1;
            break;
          }
      }
      if (width < w0) {
        for (int y = 1; y < h; ++y)
          std::memmove(mask + static_cast<size_t>(y) * width, mask + static_cast<size_t>(y) * w0,
                       static_cast<size_t>(width));
        mGlyphData.resize(start + static_cast<size_t>(width) * h);
      }
      int maskW = width, maskH = h;
      if (mFlags & FONT_VERTICAL) {
        // The scratch's S x S pixels hold far more than the mask's bytes.
        RotateMask(mask, maskW, maskH, (mFlags & FONT_VERTICAL_UP) != 0, reinterpret_cast<uint8_t*>(bits));
        std::swap(maskW, maskH);
      }
      if (mFlags & (FONT_MONO | FONT_SHADOW | FONT_OUTLINE)) ApplyMaskStyle(mask, maskW, maskH, mFlags);
      entry->mWidth = maskW;
      entry->mHeight = maskH;
      entry->mDataOffset = static_cast<int32_t>(start + 1);
    } else {
      // The cache would outgrow its 32-bit offsets: the character stays empty.
      entry->mDataOffset = -1;
      entry->mWidth = entry->mHeight = entry->mAdvance = 0;
    }
  }
  if (appended)
    std::sort(mGlyphIndex.begin(), mGlyphIndex.end(),
              [](const GlyphEntry& a, const GlyphEntry& b) { return a.mChar < b.mChar; });
}

// ---- Drawing ----

// Where and how one string's glyphs are drawn: the bitmap's pixels and the
// clip (inside the bitmap), fetched once per string, and the font's drawing
// settings.
struct BM_CachedFont::Target {
  BM_IBitmap* bitmap = nullptr;
  BM_Color32* bits = nullptr;
  int64_t height = 0, span = 0;
  bool flipped = false;
  int64_t left = 0, top = 0, right = 0, bottom = 0;
  int mode = 0;
  bm::GlyphColours colours = {};
};

bool BM_CachedFont::PrepareTarget(BM_IBitmap* bitmap, const int32_t* clipRect, Target* t) const {
  if (!bitmap || !clipRect) return false;
  const int64_t bw = bitmap->GetWidth(), bh = bitmap->GetHeight();
  t->bitmap = bitmap;
  t->bits = bitmap->GetBits();
  t->height = bh;
  t->span = bitmap->GetRowSpan();
  if (!t->bits || t->span < bw) return false;
  t->flipped = bitmap->IsFlipped();
  // Never outside the bitmap, whatever clip the caller gives.
  t->left = std::max<int64_t>(clipRect[0], 0);
  t->top = std::max<int64_t>(clipRect[1], 0);
  t->right = std::min<int64_t>(clipRect[2], bw);
  t->bottom = std::min<int64_t>(clipRect[3], bh);
  t->mode = mCombineMode & ~BM_BLEND_SOURCE_ALPHA;
  t->colours = {static_cast<int>((mForeColor >> 16) & 0xFF),   static_cast<int>((mForeColor >> 8) & 0xFF),
                static_cast<int>(mForeColor & 0xFF),           static_cast<int>((mEffectColor >> 16) & 0xFF),
                static_cast<int>((mEffectColor >> 8) & 0xFF), static_cast<int>(mEffectColor & 0xFF)};
  return true;
}

bool BM_CachedFont::DrawGlyph(BM_IBitmap* bitmap, uint16_t character, int32_t x, int32_t y, const int32_t* clipRect) {
  const GlyphEntry* glyph = FindGlyph(character, false);
  Target target;
  return glyph && PrepareTarget(bitmap, clipRect, &target) && DrawMask(target, *glyph, x, y);
}

bool BM_CachedFont::DrawMask(const Target& t, const GlyphEntry& glyph, int64_t x, int64_t y) {
  const uint8_t* mask = MaskOf(glyph);
  if (!mask) return false;
  if (x >= t.right || y >= t.bottom || t.left >= x + glyph.mWidth || t.top >= y + glyph.mHeight) return false;
  const int64_t sx = std::max<int64_t>(t.left - x, 0), sy = std::max<int64_t>(t.top - y, 0);
  const int64_t ex = std::min<int64_t>(glyph.mWidth, t.right - x), ey = std::min<int64_t>(glyph.mHeight, t.bottom - y);
  if (ex <= sx || ey <= sy) return false;

  const int mode = t.mode;
  const int32_t cellX = static_cast<int32_t>(x + sx), cellY = static_cast<int32_t>(y + sy);
  const int32_t cellW = static_cast<int32_t>(ex - sx), cellH = static_cast<int32_t>(ey - sy);
  if (mBackMode == 2) BM_FillArea(t.bitmap, cellX, cellY, cellW, cellH, mBackColor, mAlpha, mode);

  bm::GlyphBlock k;
  const int64_t firstRow = t.flipped ? t.height - 1 - cellY : cellY;
  k.dst = reinterpret_cast<uint8_t*>(t.bits + static_cast<ptrdiff_t>(firstRow * t.span + cellX));
  k.dstStep = static_cast<ptrdiff_t>((t.flipped ? -t.span : t.span) * 4);
  k.mask = mask + static_cast<ptrdiff_t>(sy * glyph.mWidth + sx);
  k.maskStep = glyph.mWidth;
  k.w = cellW;
  k.h = cellH;

  int W = bm::IntegerWeight(mAlpha);
  if (mFlags & (FONT_SHADOW | FONT_OUTLINE | FONT_MONO)) {
    // An effect mask drawn in the mono style would lose its effect colour;
    // a mono mask (only 0 and 255) draws alike in either style.
    const bool effect = (mFlags & (FONT_SHADOW | FONT_OUTLINE)) != 0;
    if (mAlpha == 1.0f && mode == BM_BLEND_COPY) {
      bm::StoreGlyphRows(k, mForeColor, effect ? mEffectColor : mForeColor);
      return true;
    }
    W = std::min(W, 256);
    if (W == 0 || (mode == BM_BLEND_COPY && W < 0)) return true;
    bm::BlendGlyphRows(effect ? bm::GlyphStyle::kEffect : bm::GlyphStyle::kMono, mode, k, W, t.colours);
    return true;
  }
  if (W == 0 || (mode == BM_BLEND_COPY && W < 0)) return true;
  bm::BlendGlyphRows(bm::GlyphStyle::kAntialiased, mode, k, W, t.colours);
  return true;
}

int32_t BM_CachedFont::DrawString(BM_IBitmap* bitmap, const char* text, int32_t byteCount, int32_t* rect,
                                  uint32_t textFlags) {
  if (!rect || (!bitmap && !(textFlags & BM_DT_CALCRECT))) return 0;
  const bool noNative = (textFlags & TEXT_NO_NATIVE) != 0;
  textFlags &= ~TEXT_NO_NATIVE;

  bool native = false;
  const bool cachedOnlyBitmap = bitmap && bitmap->QueryExtension(BM_EXT_CACHED_TEXT_ONLY, nullptr) != 0;
  if (!cachedOnlyBitmap && mSource && mSource->HasNativeText()) {
    if ((mFlags & FONT_NATIVE) && mFont && !noNative && mSource->PrefersNativeText() &&
        !(textFlags & TEXT_USE_FORE_ALPHA) && !(mFlags & kCachedOnlyFontFlags) &&
        (mLineSpacing == 0 || (textFlags & BM_DT_SINGLELINE)))
      native = true;
    else if (mLineHeight >= kMaxCachedLineHeight)
      native = true;
  }
  if (native) {
    BM_NativeTextStyle style;
    style.fore = mForeColor;
    style.back = mBackColor;
    style.backMode = mBackMode;
    style.weight = mAlpha;
    return mSource->DrawNativeText(bitmap, text, byteCount, rect, textFlags, style, gTextScratch);
  }
  if (textFlags & BM_DT_CALCRECT) return MeasureCached(text, byteCount, rect, textFlags);
  return DrawCached(bitmap, text, byteCount, rect, textFlags, noNative);
}

int32_t BM_CachedFont::MeasureCached(const char* text, int32_t byteCount, int32_t* rect, uint32_t textFlags) {
  const bool vertical = (mFlags & FONT_VERTICAL) != 0;
  const int64_t lineStep = static_cast<int64_t>(mLineHeight) + mLineSpacing;
  int64_t width = 0, height = 0;
  PenWalk pen(text, byteCount, (textFlags & BM_DT_SINGLELINE) != 0, vertical, lineStep, 0, 0);
  uint16_t c;
  while (pen.Next(&c)) {
    const GlyphEntry* g = FindGlyph(c, true);
    if (!g || !MaskOf(*g)) continue;
    if (vertical) {
      width = std::max(width, pen.x + g->mWidth);
      height = std::max({height, pen.y + g->mAdvance, pen.y + g->mHeight});
      pen.y += g->mAdvance;
    } else {
      width = std::max({width, pen.x + g->mAdvance, pen.x + g->mWidth});
      height = std::max(height, pen.y + g->mHeight);
      pen.x += g->mAdvance;
    }
  }
  rect[2] = Saturate32(static_cast<int64_t>(rect[0]) + width);
  rect[3] = Saturate32(static_cast<int64_t>(rect[1]) + height);
  return Saturate32(vertical ? width : height);
}

int32_t BM_CachedFont::DrawCached(BM_IBitmap* bitmap, const char* text, int32_t byteCount, int32_t* rect,
                                  uint32_t textFlags, bool noNative) {
  const float savedAlpha = mAlpha;
  if (textFlags & TEXT_USE_FORE_ALPHA) mAlpha *= static_cast<float>(mForeColor >> 24) / 255.0f;
  if (mAlpha == 0.0f) {
    mAlpha = savedAlpha;
    return 0;
  }
  const bool vertical = (mFlags & FONT_VERTICAL) != 0;
  const bool upward = (mFlags & kUpright) == kUpright;
  const int64_t left = rect[0], top = rect[1], right = rect[2], bottom = rect[3];
  int64_t startX = left, startY = top;
  if ((textFlags & kAlignFlags) || upward) {
    int32_t box[4] = {0, 0, 0, 0};
    DrawString(bitmap, text, byteCount, box,
               BM_DT_CALCRECT | (textFlags & BM_DT_SINGLELINE) | (noNative ? TEXT_NO_NATIVE : 0));
    const int64_t width = box[2], height = box[3];
    if (textFlags & BM_DT_CENTER)
      startX = left + (right - width - left) / 2;
    else if (textFlags & BM_DT_RIGHT)
      startX = right - width;
    if (textFlags & BM_DT_VCENTER)
      startY += (bottom - height - top) / 2;
    else if (textFlags & BM_DT_BOTTOM)
      startY = bottom - height;
    if (upward) startY += height;
  }

  const int64_t bw = bitmap->GetWidth(), bh = bitmap->GetHeight();
  int32_t clip[4] = {0, 0, static_cast<int32_t>(bw), static_cast<int32_t>(bh)};
  if (!(textFlags & BM_DT_NOCLIP)) {
    clip[0] = std::max<int32_t>(rect[0], 0);
    clip[1] = std::max<int32_t>(rect[1], 0);
    clip[2] = std::min<int32_t>(rect[2], static_cast<int32_t>(bw));
    clip[3] = std::min<int32_t>(rect[3], static_cast<int32_t>(bh));
  }
  if (clip[2] <= clip[0] || clip[3] <= clip[1]) {
    mAlpha = savedAlpha;
    return 0;
  }

  Target target;
  const bool drawable = PrepareTarget(bitmap, clip, &target);
  const int64_t lineStep = static_cast<int64_t>(mLineHeight) + mLineSpacing;
  int64_t lowest = startY, rightmost = startX;
  PenWalk pen(text, byteCount, (textFlags & BM_DT_SINGLELINE) != 0, vertical, lineStep, startX, startY);
  uint16_t c;
  while (pen.Next(&c)) {
    const GlyphEntry* g = FindGlyph(c, true);
    if (!g || !MaskOf(*g)) continue;
    if (upward) pen.y -= g->mHeight;
    const bool drawn = drawable && DrawMask(target, *g, pen.x, pen.y);
    if (vertical) {
      pen.y += upward ? g->mHeight - g->mAdvance : g->mAdvance;
      if (drawn) rightmost = std::max(rightmost, pen.x + g->mWidth);
    } else {
      pen.x += g->mAdvance;
      if (drawn) lowest = std::max(lowest, pen.y + g->mHeight);
    }
  }
  mAlpha = savedAlpha;
  return Saturate32(vertical ? rightmost - startX : lowest - startY);
}

// ---- Making fonts ----

BM_IFont* BM_MakeCachedFont(const BM_FontSpec& request) {
  BM_CachedFont* font = new BM_CachedFont;
  BM_FontHandle handle = bm::CreateFontHandle(request);
  if (!handle) {
    delete font;
    return nullptr;
  }
  font->SetSystemFont(handle, FONT_OWNS_HFONT | FONT_NATIVE);
  return font;
}
