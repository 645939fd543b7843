#include <gtest/gtest.h>

#include <climits>

#include "bitmap/Bitmap.h"

namespace {

TEST(MemBitmap, EmptyBitmapHasNoPixels) {
  BM_MemBitmap bitmap(0, 0);
  EXPECT_EQ(bitmap.GetWidth(), 0);
  EXPECT_EQ(bitmap.GetHeight(), 0);
  EXPECT_EQ(bitmap.GetBits(), nullptr);
  EXPECT_FALSE(bitmap.Resize(0, 0));
  EXPECT_EQ(bitmap.GetDeviceContext(), nullptr);
  EXPECT_EQ(bitmap.QueryExtension(0x59555678, nullptr), 0);
  EXPECT_FALSE(bitmap.IsFlipped());
}

TEST(MemBitmap, RowSpanIsWidthRoundedUpToFour) {
  const int cases[][2] = {{1, 4}, {4, 4}, {5, 8}, {578, 580}};
  for (const auto& c : cases) {
    BM_MemBitmap bitmap(c[0], 3);
    EXPECT_EQ(bitmap.GetRowSpan(), c[1]) << "width " << c[0];
    EXPECT_EQ(reinterpret_cast<uintptr_t>(bitmap.GetBits()) % 64, 0u);
  }
}

TEST(MemBitmap, ShrinkingKeepsTheBlockAndGrowingAddsAQuarter) {
  BM_MemBitmap bitmap(100, 100);
  BM_Color32* bits = bitmap.GetBits();
  ASSERT_NE(bits, nullptr);
  bits[0] = 0x11223344;
  EXPECT_TRUE(bitmap.Resize(10, 10));
  EXPECT_EQ(bitmap.GetBits(), bits);
  EXPECT_EQ(bitmap.GetRowSpan(), 12);
  EXPECT_EQ(bitmap.GetBits()[0], 0x11223344u);  // kept memory keeps its bytes

  // 120 x 100 needs 48000 bytes: the block grows to 60000, so every size up
  // to 60000 bytes is then served without moving it.
  EXPECT_TRUE(bitmap.Resize(120, 100));
  BM_Color32* grown = bitmap.GetBits();
  ASSERT_NE(grown, nullptr);
  EXPECT_TRUE(bitmap.Resize(148, 101));  // 59792 bytes
  EXPECT_EQ(bitmap.GetBits(), grown);
  EXPECT_EQ(bitmap.GetWidth(), 148);
  grown[148 * 101 - 1] = 1;  // the last pixel lies inside the block (ASan checks)
}

TEST(MemBitmap, ResizeToCurrentSizeChangesNothing) {
  BM_MemBitmap bitmap(7, 9);
  BM_Color32* bits = bitmap.GetBits();
  EXPECT_FALSE(bitmap.Resize(7, 9));
  EXPECT_EQ(bitmap.GetBits(), bits);
}

TEST(MemBitmap, BadSizesLeaveItEmpty) {
  const int sizes[][2] = {{0, 10}, {10, 0}, {-1, 10}, {10, -5}, {INT_MAX, 2}, {65536, 65536}, {INT_MIN, INT_MIN}};
  for (const auto& s : sizes) {
    BM_MemBitmap bitmap(4, 4);
    EXPECT_TRUE(bitmap.Resize(s[0], s[1])) << s[0] << " x " << s[1];
    EXPECT_EQ(bitmap.GetWidth(), 0);
    EXPECT_EQ(bitmap.GetHeight(), 0);
    EXPECT_EQ(bitmap.GetBits(), nullptr);
    EXPECT_TRUE(bitmap.Resize(2, 2));  // and it recovers
    EXPECT_NE(bitmap.GetBits(), nullptr);
  }
}

TEST(SysBitmap, ShrinkingInsideTheAllocationKeepsPixelsAndSpan) {
  BM_SysBitmap bitmap(64, 64);
  BM_Color32* bits = bitmap.GetBits();
  ASSERT_NE(bits, nullptr);
  EXPECT_EQ(bitmap.GetRowSpan(), 64);
  EXPECT_TRUE(bitmap.Resize(30, 20));
  EXPECT_EQ(bitmap.GetWidth(), 30);
  EXPECT_EQ(bitmap.GetHeight(), 20);
  EXPECT_EQ(bitmap.GetRowSpan(), 64);
  EXPECT_EQ(bitmap.GetBits(), bits);
  EXPECT_FALSE(bitmap.Resize(30, 20));
}

TEST(SysBitmap, GrowingRoundsTheWidthUpAndStartsZeroed) {
  BM_SysBitmap bitmap;
  EXPECT_EQ(bitmap.GetBits(), nullptr);
  EXPECT_TRUE(bitmap.Resize(5, 3));
  EXPECT_EQ(bitmap.GetRowSpan(), 8);
  ASSERT_NE(bitmap.GetBits(), nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(bitmap.GetBits()) % 16, 0u);
  for (int i = 0; i < 8 * 3; ++i) EXPECT_EQ(bitmap.GetBits()[i], 0u);
}

TEST(SysBitmap, EmptySizeReleasesThePixelsAndReportsFalse) {
  BM_SysBitmap bitmap(64, 64);
  EXPECT_FALSE(bitmap.Resize(0, 10));
  EXPECT_EQ(bitmap.GetWidth(), 0);
  EXPECT_EQ(bitmap.GetHeight(), 10);
  EXPECT_EQ(bitmap.GetBits(), nullptr);
  EXPECT_TRUE(bitmap.Resize(4, 4));
  EXPECT_NE(bitmap.GetBits(), nullptr);
  EXPECT_FALSE(bitmap.Resize(-3, -3));  // negative sizes count as empty
  EXPECT_EQ(bitmap.GetBits(), nullptr);
}

TEST(SysBitmap, OversizedRequestFailsEmpty) {
  BM_SysBitmap bitmap(4, 4);
  EXPECT_TRUE(bitmap.Resize(INT_MAX, 4));
  EXPECT_EQ(bitmap.GetWidth(), 0);
  EXPECT_EQ(bitmap.GetBits(), nullptr);
  EXPECT_TRUE(bitmap.Resize(40000, 40000));
  EXPECT_EQ(bitmap.GetBits(), nullptr);
}

TEST(Color32, PacksTheLowBytesOfEachChannel) {
  EXPECT_EQ(BM_PackColor32(0x80, 0x10, 0x20, 0x30), 0x80102030u);
  EXPECT_EQ(BM_PackColor32(0x1FF, -1, 0x100, 0x201), 0xFFFF0001u);
}

}  // namespace
