// Fonts made by GDI. On Windows the font draws strings with GDI itself; under
// Wine (which these tests run on in CI) it draws them through the glyph
// cache, except for fonts too tall to cache.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "bitmap/Blit.h"
#include "bitmap/CachedFont.h"
#include "bitmap/win/GdiFont.h"
#include "tests/bitmap/TestFonts.h"

namespace {

using bmtest::InkBox;

constexpr BM_Color32 kPaper = 0xFFFFFFFF;

std::unique_ptr<BM_IFont> MakeFont(int height) {
  BM_FontSpec request;
  std::strcpy(request.face, "Tahoma");
  request.height = height;
  std::unique_ptr<BM_IFont> font(BM_MakeCachedFont(request));
  EXPECT_TRUE(font);
  if (font) font->SetForeColor(0xFF000000);
  return font;
}

// The glyph cache draws nothing at weight 0; GDI's own drawing ignores the
// weight. So ink at weight 0 shows which way a string went.
bool DrawsAtWeightZero(BM_IFont& font, BM_IBitmap& page, const char* text) {
  bmtest::Fill(page, kPaper);
  font.SetCombineMode(BM_BLEND_COPY, 0.0f);
  int32_t rect[4] = {0, 0, page.GetWidth(), page.GetHeight()};
  font.DrawString(&page, text, -1, rect, 0);
  font.SetCombineMode(BM_BLEND_COPY, 1.0f);
  return !InkBox(page, kPaper).Empty();
}

TEST(FontGdi, WineDrawsThroughTheGlyphCacheWindowsThroughGdi) {
  auto font = MakeFont(12);
  ASSERT_TRUE(font);
  const int lh = font->GetLineHeight();
  EXPECT_NEAR(lh, 12, 1) << "the cell height, give or take the font mapper's rounding";
  BM_SysBitmap page(120, 30);
  EXPECT_EQ(DrawsAtWeightZero(*font, page, "Attack"), !bm::RunningUnderWine());
  // Forcing the cache works everywhere.
  bmtest::Fill(page, kPaper);
  int32_t rect[4] = {0, 0, 120, 30};
  EXPECT_EQ(font->DrawString(&page, "Attack", -1, rect, TEXT_NO_NATIVE), lh);
  const bmtest::Box ink = InkBox(page, kPaper);
  EXPECT_FALSE(ink.Empty());
  EXPECT_LE(ink.bottom, lh);
}

TEST(FontGdi, TallFontsAlwaysDrawThroughGdi) {
  auto font = MakeFont(300);
  ASSERT_TRUE(font);
  EXPECT_GE(font->GetLineHeight(), 256);
  BM_SysBitmap page(400, 320);
  EXPECT_TRUE(DrawsAtWeightZero(*font, page, "H")) << "even under Wine";

  // Without a device context the text goes through the shared scratch:
  // measured there, placed by the flags, copied back.
  int32_t box[4] = {0, 0, 0, 0};
  font->DrawString(nullptr, "H", -1, box, BM_DT_CALCRECT);
  EXPECT_EQ(box[3], font->GetLineHeight());
  EXPECT_GT(box[2], 100);
  BM_MemBitmap memory(600, 320);
  bmtest::Fill(memory, kPaper);
  int32_t rect[4] = {10, 0, 590, 320};
  font->DrawString(&memory, "H", -1, rect, BM_DT_RIGHT);
  const bmtest::Box ink = InkBox(memory, kPaper);
  EXPECT_FALSE(ink.Empty());
  EXPECT_GT(ink.left, 590 - box[2]);
  EXPECT_LE(ink.right, 590);
}

TEST(FontGdi, CachedGlyphsComeFromGdi) {
  auto font = MakeFont(16);
  ASSERT_TRUE(font);
  const int lh = font->GetLineHeight();
  int32_t box[4] = {0, 0, 0, 0};
  EXPECT_EQ(font->DrawString(nullptr, "0.00 %", -1, box, BM_DT_CALCRECT | TEXT_NO_NATIVE), lh);
  EXPECT_GT(box[2], 20);
  BM_MemBitmap page(100, 60);
  bmtest::Fill(page, kPaper);
  int32_t rect[4] = {0, 0, 100, 60};
  EXPECT_EQ(font->DrawString(&page, "A\nB", -1, rect, TEXT_NO_NATIVE), 2 * lh);
  const bmtest::Box ink = InkBox(page, kPaper);
  EXPECT_GT(ink.bottom - ink.top, lh) << "two lines";
  EXPECT_LE(ink.bottom, 2 * lh);
}

}  // namespace
