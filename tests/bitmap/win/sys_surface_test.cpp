// The Windows surface of BM_SysBitmap: a DIB section selected into the
// bitmap's own device context, so that GDI and the bitmap library see the
// same pixels, top row first.
#include <gtest/gtest.h>

#include <windows.h>

#include "bitmap/Bitmap.h"

namespace {

HDC DeviceContext(BM_SysBitmap& bitmap) { return static_cast<HDC>(bitmap.GetDeviceContext()); }

BM_Color32 At(BM_SysBitmap& bitmap, int x, int y) { return bitmap.GetBits()[y * bitmap.GetRowSpan() + x]; }

TEST(SysBitmapGdi, GdiAndTheLibraryShareThePixelsTopDown) {
  BM_SysBitmap bitmap(7, 5);
  HDC dc = DeviceContext(bitmap);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(bitmap.QueryExtension(0x59555678, nullptr), 0);

  SetPixel(dc, 3, 1, RGB(0x10, 0x20, 0x30));
  GdiFlush();
  EXPECT_EQ(At(bitmap, 3, 1) & 0xFFFFFFu, 0x102030u);

  bitmap.GetBits()[4 * bitmap.GetRowSpan() + 6] = 0xFF0A0B0C;
  EXPECT_EQ(GetPixel(dc, 6, 4), RGB(0x0A, 0x0B, 0x0C));
}

TEST(SysBitmapGdi, TheDeviceContextDrawsIntoEachNewSection) {
  BM_SysBitmap bitmap(4, 4);
  HDC dc = DeviceContext(bitmap);
  ASSERT_TRUE(bitmap.Resize(41, 30));
  ASSERT_EQ(DeviceContext(bitmap), dc);
  SetPixel(dc, 40, 29, RGB(1, 2, 3));
  GdiFlush();
  EXPECT_EQ(At(bitmap, 40, 29) & 0xFFFFFFu, 0x010203u);

  // Released, the section leaves the context holding its first bitmap again
  // (the stock 1 x 1 one), never a deleted one.
  EXPECT_FALSE(bitmap.Resize(0, 30));
  BITMAP held = {};
  ASSERT_NE(GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof held, &held), 0);
  EXPECT_EQ(held.bmWidth, 1);
  EXPECT_EQ(held.bmHeight, 1);
}

}  // namespace
