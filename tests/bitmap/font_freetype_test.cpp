// Text drawn with a real font through FreeType. The font file is pinned
// (fonts-dejavu-core, installed by scripts/install-deps.sh), so the pixels do
// not depend on which face fontconfig would pick.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "bitmap/Blit.h"
#include "bitmap/CachedFont.h"
#include "bitmap/posix/FreeTypeFont.h"
#include "tests/bitmap/TestFonts.h"

namespace {

using bmtest::At;
using bmtest::InkBox;
using bmtest::SamePixels;

constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr BM_Color32 kPaper = 0xFFFFFFFF;

BM_FontHandle OpenPinned(int height, int weight = 400) {
  BM_FontSpec request;
  request.height = height;
  request.weight = weight;
  BM_FontHandle handle = bm::OpenFontFile(kDejaVuSans, request);
  EXPECT_NE(handle, nullptr) << kDejaVuSans << " comes with fonts-dejavu-core";
  return handle;
}

std::unique_ptr<BM_CachedFont> Pinned(int height) {
  auto font = std::make_unique<BM_CachedFont>();
  font->SetSystemFont(OpenPinned(height), FONT_OWNS_HFONT | FONT_NATIVE);
  font->SetForeColor(0xFF000000);
  return font;
}

// A white page with the text drawn into rect.
struct Page {
  BM_MemBitmap bitmap{200, 80};
  int32_t result = 0;
  Page() { bmtest::Fill(bitmap, kPaper); }
  Page& Draw(BM_CachedFont& font, const char* text, int32_t byteCount, int32_t left, int32_t top,
             uint32_t flags = 0, int32_t right = 200, int32_t bottom = 80) {
    int32_t rect[4] = {left, top, right, bottom};
    result = font.DrawString(&bitmap, text, byteCount, rect, flags);
    return *this;
  }
};

TEST(FreeTypeText, LineFeedsStartLinesALineHeightApart) {
  auto font = Pinned(12);
  const int lh = font->GetLineHeight();
  ASSERT_EQ(lh, 12);
  Page twoLines, byHand, single, spaced, crlf;
  twoLines.Draw(*font, "A\nB", -1, 10, 10);
  EXPECT_EQ(twoLines.result, 2 * lh) << "the height covered from the first line's top";
  byHand.Draw(*font, "A", -1, 10, 10).Draw(*font, "B", -1, 10, 10 + lh);
  EXPECT_TRUE(SamePixels(twoLines.bitmap, byHand.bitmap));
  single.Draw(*font, "A\nB", -1, 10, 10, BM_DT_SINGLELINE);
  spaced.Draw(*font, "A B", -1, 10, 10);
  EXPECT_EQ(single.result, lh);
  EXPECT_TRUE(SamePixels(single.bitmap, spaced.bitmap)) << "under DT_SINGLELINE a line feed is a space";
  crlf.Draw(*font, "A\r\nB", -1, 10, 10);
  EXPECT_TRUE(SamePixels(crlf.bitmap, twoLines.bitmap)) << "carriage returns are skipped";
}

TEST(FreeTypeText, ByteCountsAndUtf8) {
  auto font = Pinned(12);
  Page two, ab, none, emoji, spaced, lone, utf8;
  EXPECT_TRUE(SamePixels(two.Draw(*font, "ABCD", 2, 4, 4).bitmap, ab.Draw(*font, "AB", -1, 4, 4).bitmap));
  none.Draw(*font, "ABCD", 0, 4, 4);
  EXPECT_EQ(none.result, 0);
  EXPECT_TRUE(InkBox(none.bitmap, kPaper).Empty());
  emoji.Draw(*font, "a\xF0\x9F\x98\x80" "b", -1, 4, 4);
  EXPECT_TRUE(SamePixels(emoji.bitmap, spaced.Draw(*font, "a b", -1, 4, 4).bitmap))
      << "a character beyond 16 bits is drawn as a space";
  lone.Draw(*font, "\xE9", -1, 4, 4);
  EXPECT_FALSE(InkBox(lone.bitmap, kPaper).Empty());
  EXPECT_TRUE(SamePixels(lone.bitmap, utf8.Draw(*font, "\xC3\xA9", -1, 4, 4).bitmap))
      << "a lone Latin-1 byte is its own character";
}

TEST(FreeTypeText, MeasuresWithoutABitmapAndPlacesByTheMeasure) {
  auto font = Pinned(12);
  int32_t box[4] = {5, 7, 0, 0};
  EXPECT_EQ(font->DrawString(nullptr, "0.00 %", -1, box, BM_DT_CALCRECT), 12);
  EXPECT_EQ(box[0], 5);
  EXPECT_EQ(box[1], 7);
  EXPECT_EQ(box[3], 7 + 12);
  const int w = box[2] - box[0];
  EXPECT_GT(w, 25);
  EXPECT_LT(w, 50);
  int32_t untouched[4] = {1, 2, 3, 4};
  EXPECT_EQ(font->DrawString(nullptr, "0.00 %", -1, untouched, 0), 0) << "neither bitmap nor measuring";
  EXPECT_EQ(untouched[2], 3);

  const int32_t L = 20, T = 10, R = 180, B = 60;
  struct Case {
    uint32_t flags;
    int x, y;
  } cases[] = {
      {BM_DT_CENTER, L + (R - w - L) / 2, T},
      {BM_DT_RIGHT, R - w, T},
      {BM_DT_VCENTER, L, T + (B - 12 - T) / 2},
      {BM_DT_CENTER | BM_DT_VCENTER, L + (R - w - L) / 2, T + (B - 12 - T) / 2},
      {BM_DT_RIGHT | BM_DT_BOTTOM, R - w, B - 12},
  };
  for (const Case& c : cases) {
    Page aligned, atMeasure;
    aligned.Draw(*font, "0.00 %", -1, L, T, c.flags, R, B);
    atMeasure.Draw(*font, "0.00 %", -1, c.x, c.y);
    EXPECT_TRUE(SamePixels(aligned.bitmap, atMeasure.bitmap)) << "flags " << c.flags;
    const bmtest::Box ink = InkBox(aligned.bitmap, kPaper);
    EXPECT_GE(ink.left, c.x);
    EXPECT_LE(ink.right, c.x + w);
    EXPECT_GE(ink.top, c.y);
    EXPECT_LE(ink.bottom, c.y + 12);
  }
}

TEST(FreeTypeText, ForeAlphaScalesTheWeight) {
  auto font = Pinned(12);
  Page clear, half, full;
  font->SetForeColor(0x00000000);
  EXPECT_EQ(clear.Draw(*font, "Attack", -1, 4, 4, TEXT_USE_FORE_ALPHA).result, 0);
  EXPECT_TRUE(InkBox(clear.bitmap, kPaper).Empty());
  font->SetForeColor(0x80000000);
  half.Draw(*font, "Attack", -1, 4, 4, TEXT_USE_FORE_ALPHA);
  full.Draw(*font, "Attack", -1, 4, 4);
  int darkestHalf = 255, darkestFull = 255;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 200; ++x) {
      darkestHalf = std::min<int>(darkestHalf, At(half.bitmap, x, y) & 0xFF);
      darkestFull = std::min<int>(darkestFull, At(full.bitmap, x, y) & 0xFF);
    }
  EXPECT_EQ(darkestFull, 0);
  EXPECT_NEAR(darkestHalf, 128, 2);
}

TEST(FreeTypeText, EachCharacterRenderedOnceAndFoundInAnyOrder) {
  BM_FontHandle handle = OpenPinned(12);
  auto* counting = new bmtest::CountingGlyphSource(bm::MakeGlyphSource(handle));
  {
    BM_CachedFont font;
    font.SetGlyphSource(counting, 0);
    std::vector<uint16_t> chars;
    for (uint16_t c = 0xC0; c < 0xE0; ++c) chars.push_back(c);   // Latin-1 letters
    for (uint16_t c = 0x3B1; c < 0x3C0; ++c) chars.push_back(c); // Greek
    for (uint16_t c = 0x430; c < 0x440; ++c) chars.push_back(c); // Cyrillic
    std::mt19937 rng(3);
    std::shuffle(chars.begin(), chars.end(), rng);
    BM_MemBitmap page(400, 40);
    for (uint16_t c : chars) {
      const char utf8[3] = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F)), 0};
      int32_t rect[4] = {0, 0, 400, 40};
      font.DrawString(&page, utf8, -1, rect, 0);
      font.DrawString(&page, utf8, -1, rect, 0);
    }
    const int32_t all[4] = {0, 0, 400, 40};
    for (uint16_t c : chars) {
      EXPECT_EQ(counting->Draws(c), 1) << std::hex << c;
      EXPECT_TRUE(font.DrawGlyph(&page, c, 10, 10, all)) << "found without rendering: " << std::hex << c;
    }
  }
  bm::DeleteFontHandle(handle);
}

TEST(FreeTypeText, HeightsMeanWhatTheyMeanOnWindows) {
  // Positive: the cell height, internal leading included; negative: the em.
  auto cell = Pinned(12), em = Pinned(-12);
  EXPECT_EQ(cell->GetLineHeight(), 12);
  EXPECT_GE(em->GetLineHeight(), 13);
  EXPECT_LE(em->GetLineHeight(), 16);
  Page small, large;
  const bmtest::Box a = InkBox(small.Draw(*cell, "H", -1, 2, 2).bitmap, kPaper);
  const bmtest::Box b = InkBox(large.Draw(*em, "H", -1, 2, 2).bitmap, kPaper);
  EXPECT_LT(a.bottom - a.top, b.bottom - b.top);

  // Too tall for a cached font on Windows, where GDI would draw it; here it
  // goes through the glyph cache like any other.
  auto tall = Pinned(300);
  EXPECT_EQ(tall->GetLineHeight(), 300);
  BM_MemBitmap page(400, 320);
  bmtest::Fill(page, kPaper);
  int32_t rect[4] = {0, 0, 400, 320};
  EXPECT_EQ(tall->DrawString(&page, "H", -1, rect, 0), 300);
  const bmtest::Box ink = InkBox(page, kPaper);
  EXPECT_GT(ink.bottom - ink.top, 150) << "a cap height of about 0.73 em";
  EXPECT_LT(ink.bottom - ink.top, 240);
}

TEST(FreeTypeFonts, MadeByFaceNameWeightAndSize) {
  auto make = [](const char* face, int weight) {
    BM_FontSpec request;
    std::strncpy(request.face, face, sizeof request.face - 1);
    request.height = 12;
    request.weight = weight;
    return std::unique_ptr<BM_IFont>(BM_MakeCachedFont(request));
  };
  auto verdana = make("Verdana", 400), bold = make("Verdana", 700), unknown = make("No Such Face Anywhere", 400);
  ASSERT_TRUE(verdana && bold && unknown) << "an installed sans face stands in";
  EXPECT_EQ(verdana->GetLineHeight(), 12);
  auto inkOf = [](BM_IFont& f) {
    BM_MemBitmap page(100, 20);
    bmtest::Fill(page, kPaper);
    f.SetForeColor(0xFF000000);
    int32_t rect[4] = {0, 0, 100, 20};
    f.DrawString(&page, "0.00 %", -1, rect, BM_DT_NOCLIP);
    int sum = 0;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 100; ++x) sum += 255 - (At(page, x, y) & 0xFF);
    return sum;
  };
  EXPECT_GT(inkOf(*verdana), 0);
  EXPECT_GT(inkOf(*unknown), 0);
  EXPECT_GT(inkOf(*bold), inkOf(*verdana) * 11 / 10) << "bold carries more ink";
}

}  // namespace
