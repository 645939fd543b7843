#include <gtest/gtest.h>

#include "bitmap/Bitmap.h"

namespace {

TEST(SysBitmap, HasNoDeviceContextWithoutAWindowSystem) {
  BM_SysBitmap bitmap(8, 8);
  EXPECT_EQ(bitmap.GetDeviceContext(), nullptr);
  EXPECT_EQ(bitmap.QueryExtension(0x59555678, nullptr), 0);
}

}  // namespace
