// The editor's system text, drawn and measured through the process-wide font
// cache and the platform's fonts (FreeType on Linux, GDI on Windows).
#include <gtest/gtest.h>

#include <cstdlib>

#include "editor/offscreen/IGraphicsOffscreen.h"
#include "tests/bitmap/TestBitmaps.h"

namespace {

TEST(SystemText, DrawsAndMeasuresThroughTheCachedFont) {
  IGraphicsOffscreen g(nullptr, 160, 40, 25);
  g.PrepareDrawing();
  ITextStyle style;  // Verdana 12, centred
  style.color = {255, 255, 255, 255};
  IBounds box{0, 0, 160, 40};
  ASSERT_TRUE(g.MeasureSystemText(&style, "0.00 %", &box));
  ASSERT_NE(style.cachedFont, nullptr);
  EXPECT_NEAR(box.bottom - box.top, 12, 1);
  EXPECT_GT(box.right - box.left, 20);
  EXPECT_LT(box.right - box.left, 60);
  EXPECT_LE(std::abs(box.left + box.right - 160), 1) << "centred on the area";

  ASSERT_TRUE(g.DrawSystemText(&style, "0.00 %", IBounds{0, 0, 160, 40}));
  g.PresentArea(IBounds{0, 0, 160, 40});
  int inked = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 160; ++x) {
      if ((bmtest::At(g.Screen(), x, y) & 0xFF) == 0) continue;
      ++inked;
      EXPECT_TRUE(x >= box.left && x < box.right && y >= box.top && y < box.bottom) << x << "," << y;
    }
  EXPECT_GT(inked, 40);

}

}  // namespace
