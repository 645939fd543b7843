#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "bitmap/Bitmap.h"
#include "bitmap/BlendOps.h"

namespace {

// Applies an operator to a pixel whose four bytes are all d, with source value
// s in all four channels, and returns the blue byte.
template <typename Op>
int Apply(Op op, int d, int s, int w) {
  uint8_t px[4] = {static_cast<uint8_t>(d), static_cast<uint8_t>(d), static_cast<uint8_t>(d), static_cast<uint8_t>(d)};
  op(px, s, s, s, s, w);
  EXPECT_TRUE(px[0] == px[1] && px[1] == px[2] && px[2] == px[3]) << "channels must blend alike";
  return px[0];
}

BM_Color32 Hsv(BM_Color32 dest, int r, int g, int b, int a, int w) {
  uint8_t px[4] = {static_cast<uint8_t>(dest), static_cast<uint8_t>(dest >> 8), static_cast<uint8_t>(dest >> 16),
                   static_cast<uint8_t>(dest >> 24)};
  CombineHSVAdjust(px, r, g, b, a, w);
  return BM_Color32(px[0]) | BM_Color32(px[1]) << 8 | BM_Color32(px[2]) << 16 | BM_Color32(px[3]) << 24;
}

TEST(IntMath, DivisionTruncatesTowardZeroAndShiftFloors) {
  EXPECT_EQ(bm::Div256(-300), -1);
  EXPECT_EQ(bm::Div256(300), 1);
  EXPECT_EQ(bm::Div128(-129), -1);
  EXPECT_EQ(bm::Div16384(-16383), 0);
  EXPECT_EQ(bm::Asr(-1, 16), -1);
  EXPECT_EQ(bm::Asr(-65537, 16), -2);
  EXPECT_EQ(bm::Asr(65537, 16), 1);
  EXPECT_EQ(bm::Clamp255(-7), 0);
  EXPECT_EQ(bm::Clamp255(256), 255);
}

TEST(IntMath, IntegerWeightTruncatesAndStaysInRange) {
  EXPECT_EQ(bm::IntegerWeight(1.0f), 256);
  EXPECT_EQ(bm::IntegerWeight(0.5f), 128);
  EXPECT_EQ(bm::IntegerWeight(0.75f), 192);
  EXPECT_EQ(bm::IntegerWeight(1.0f / 256.0f - 1e-6f), 0);
  EXPECT_EQ(bm::IntegerWeight(-0.999f / 256.0f), 0);
  EXPECT_EQ(bm::IntegerWeight(-0.5f), -128);
  EXPECT_EQ(bm::IntegerWeight(1e30f), bm::kMaxWeight);
  EXPECT_EQ(bm::IntegerWeight(-1e30f), -bm::kMaxWeight);
  EXPECT_EQ(bm::IntegerWeight(std::numeric_limits<float>::quiet_NaN()), 0);
}

// Every destination and source byte pair at the weights with a closed form.
TEST(BlendOps, AllBytePairsAtFullAndZeroWeight) {
  for (int d = 0; d < 256; ++d) {
    for (int s = 0; s < 256; ++s) {
      SCOPED_TRACE(testing::Message() << "d " << d << " s " << s);
      ASSERT_EQ(Apply(CombineCopy, d, s, 256), s);
      ASSERT_EQ(Apply(CombineCopy, d, s, 0), d);
      ASSERT_EQ(Apply(CombineAdd, d, s, 256), std::min(255, d + s));
      ASSERT_EQ(Apply(CombineAdd, d, s, 0), d);
      ASSERT_EQ(Apply(CombineMultiply, d, s, 256), (s * d) >> 8);
      ASSERT_EQ(Apply(CombineMultiply, d, s, 0), d);
      ASSERT_EQ(Apply(CombineDodge, d, s, 256), s == 255 ? (d ? 255 : 0) : std::min(255, d * 256 / (256 - s)));
      ASSERT_EQ(Apply(CombineDodge, d, s, 0), d);
      ASSERT_EQ(Apply(CombineOverlay, d, s, 0), d);
    }
  }
}

TEST(BlendOps, CopyStaysBetweenSourceAndDestinationAtEveryWeight) {
  for (int w = 0; w <= 256; w += 3) {
    for (int d = 0; d < 256; ++d) {
      for (int s = 0; s < 256; s += 5) {
        int out = Apply(CombineCopy, d, s, w);
        ASSERT_TRUE(out >= std::min(s, d) && out <= std::max(s, d)) << d << " " << s << " " << w;
      }
    }
  }
}

TEST(BlendOps, OverlayMidGreyIsNeutralAtEveryWeight) {
  for (int w = -300; w <= 512; ++w)
    for (int d = 0; d < 256; ++d) ASSERT_EQ(Apply(CombineOverlay, d, 128, w), d) << d << " " << w;
}

// Single-pixel cases worked out by hand, including the ones where a division
// of a negative intermediate must truncate toward zero and a shift must floor.
TEST(BlendOps, SinglePixelTable) {
  struct Case {
    const char* name;
    void (*op)(uint8_t*, int, int, int, int, int);
    int d, s, w, expected;
  } const cases[] = {
      {"copy halfway up", CombineCopy, 200, 10, 128, 105},
      {"copy halfway down", CombineCopy, 10, 200, 128, 105},
      {"copy truncates -188.26 to -188", CombineCopy, 11, 200, 1, 12},
      {"add 200 onto 100", CombineAdd, 100, 200, 256, 255},
      {"add at half weight", CombineAdd, 100, 101, 128, 150},
      {"add with negative weight clamps at 0", CombineAdd, 10, 255, -256, 0},
      {"multiply 128 by 128", CombineMultiply, 128, 128, 256, 64},
      {"multiply at half weight", CombineMultiply, 255, 0, 128, 127},
      {"multiply beyond full weight floors -43.8 to -44", CombineMultiply, 255, 0, 300, 212},
      {"dodge by 128", CombineDodge, 100, 128, 256, 200},
      {"dodge with q below 1", CombineDodge, 1, 255, 512, 255},
      {"dodge of black stays black", CombineDodge, 0, 255, 512, 0},
      {"overlay white lightens", CombineOverlay, 128, 255, 256, 191},
      {"overlay black darkens", CombineOverlay, 200, 0, 256, 156},
  };
  for (const Case& c : cases) EXPECT_EQ(Apply(c.op, c.d, c.s, c.w), c.expected) << c.name;
}

TEST(BlendOps, HsvAdjustExamples) {
  EXPECT_EQ(Hsv(0xFFC08040, 128, 128, 128, 255, 256), 0xFFC08040u);
  EXPECT_EQ(Hsv(0xFFFF0000, 255, 128, 128, 255, 256), 0xFF00FFF7u);  // hue +190
  EXPECT_EQ(Hsv(0xFFFF0000, 128, 0, 128, 255, 256), 0xFFFFFFFFu);    // saturation to 0
  EXPECT_EQ(Hsv(0xFFFF0000, 128, 128, 0, 255, 256), 0xFF000000u);    // value to 0
  EXPECT_EQ(Hsv(0x00C08040, 128, 128, 128, 0x1AB, 256), 0xABC08040u) << "alpha is the low byte of a";
}

TEST(BlendOps, HsvAdjustKeepsGreysAndWrapsHue) {
  for (int v = 0; v < 256; ++v) {
    BM_Color32 grey = 0xFF000000u | v << 16 | v << 8 | v;
    ASSERT_EQ(Hsv(grey, 128, 128, 128, 255, 256), grey);
    ASSERT_EQ(Hsv(grey, 255, 128, 128, 255, 256), grey) << "a grey has no hue to turn";
  }
  // Source red 0 turns the hue by -192: pure red wraps round to 192, cyan.
  EXPECT_EQ(Hsv(0xFFFF0000, 0, 128, 128, 255, 256), 0xFF00FFFFu);
}

// The neutral source moves no channel of any colour by more than the
// round-trip error of the integer conversion (at most 5).
TEST(BlendOps, HsvAdjustNeutralSourceRoundTripsClosely) {
  int worst = 0;
  for (int r = 0; r < 256; r += 3)
    for (int g = 0; g < 256; g += 5)
      for (int b = 0; b < 256; b += 7) {
        BM_Color32 c = 0xFF000000u | r << 16 | g << 8 | b;
        BM_Color32 out = Hsv(c, 128, 128, 128, 255, 256);
        for (int shift = 0; shift < 24; shift += 8)
          worst = std::max(worst, std::abs(int((out >> shift) & 0xFF) - int((c >> shift) & 0xFF)));
      }
  EXPECT_LE(worst, 5);
}

TEST(BlendOps, ByModeRefusesUnknownModes) {
  uint8_t px[4] = {1, 2, 3, 4};
  EXPECT_FALSE(CombineByMode(6, px, 9, 9, 9, 9, 256));
  EXPECT_FALSE(CombineByMode(0xF3, px, 9, 9, 9, 9, 256));
  EXPECT_EQ(px[0] + px[1] + px[2] + px[3], 10);
  EXPECT_TRUE(CombineByMode(BM_BLEND_ADD, px, 9, 9, 9, 9, 256));
  EXPECT_EQ(px[3], 13);
}

}  // namespace
