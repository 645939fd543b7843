#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "bitmap/Png.h"
#include "plugin/EditorLayout.h"

// The committed images of the editor, as the plug-in loads them, at each scale.
namespace {

using layout::ScaledLength;
using layout::ScaledRect;

std::unique_ptr<BM_IBitmap> Load(const std::string& file) {
  return std::unique_ptr<BM_IBitmap>(LoadPngFile(("plugin/resources/img/" + file).c_str()));
}

int Alpha(BM_IBitmap& b, int x, int y) { return b.GetBits()[static_cast<size_t>(y) * b.GetRowSpan() + x] >> 24; }

// Whether every pixel of the rectangle is fully transparent.
bool Clear(BM_IBitmap& b, int left, int top, int right, int bottom) {
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      if (Alpha(b, x, y) != 0) return false;
  return true;
}

TEST(EditorImages, DecodeAtTheirSizesWithTheFramesTheEditorExpects) {
  for (const int percent : layout::kScalePercents) {
    SCOPED_TRACE(std::to_string(percent) + " %");
    const double scale = percent / 100.0;
    const std::string suffix = percent == 100 ? ".png" : "@" + std::to_string(percent) + ".png";
    const int width = ScaledLength(layout::kEditorWidth, scale), height = ScaledLength(layout::kEditorHeight, scale);
    const int large = ScaledLength(layout::kLargeKnobSize, scale), small = ScaledLength(layout::kSmallKnobSize, scale);
    const int lampSize = ScaledLength(layout::kLampSize, scale);
    const int cell = ScaledLength(6, scale), fontHeight = ScaledLength(11, scale);
    struct {
      const char* name;
      int width, height;
    } const images[] = {{"back", width, height},
                        {"knob", large, large * layout::kKnobFrames},
                        {"knob_small", small, small * layout::kKnobFrames},
                        {"redLight", lampSize, lampSize * 2},
                        {"font-white", cell * 95, fontHeight}};
    for (const auto& image : images) {
      std::unique_ptr<BM_IBitmap> bitmap = Load(image.name + suffix);
      ASSERT_NE(bitmap, nullptr) << image.name;
      EXPECT_EQ(bitmap->GetWidth(), image.width) << image.name;
      EXPECT_EQ(bitmap->GetHeight(), image.height) << image.name;
    }
    // The layout's rectangles keep the images' sizes wherever they stand.
    for (const layout::Rect& r : layout::kLargeKnobs) EXPECT_EQ(ScaledRect(r, scale).Width(), large);
    for (const layout::Rect& r : layout::kSmallKnobs) EXPECT_EQ(ScaledRect(r, scale).Height(), small);
    EXPECT_EQ(ScaledRect(layout::kLamp, scale).Width(), lampSize);

    // The background is opaque everywhere: it is copied without blending.
    std::unique_ptr<BM_IBitmap> back = Load("back" + suffix);
    for (int y = 0; y < height; ++y) {
      int x = 0;
      while (x < width && Alpha(*back, x, y) == 255) ++x;
      ASSERT_EQ(x, width) << "not opaque at " << x << "," << y;
    }

    // The unlit lamp lets the background show; the lit one shows.
    std::unique_ptr<BM_IBitmap> lamp = Load("redLight" + suffix);
    EXPECT_TRUE(Clear(*lamp, 0, 0, lampSize, lampSize));
    const int litAt = ScaledLength(5, scale);  // just below and right of the lit frame's centre
    const BM_Color32 lit = lamp->GetBits()[(lampSize + litAt) * lamp->GetRowSpan() + litAt];
    EXPECT_GT(lit >> 24, 128u);
    EXPECT_GT((lit >> 16) & 0xFF, 2 * ((lit >> 8) & 0xFF));  // red well above green

    // Every character but the space has pixels in its frame, none in the
    // frame's last column, the gap to the next character.
    std::unique_ptr<BM_IBitmap> font = Load("font-white" + suffix);
    EXPECT_TRUE(Clear(*font, 0, 0, cell, fontHeight));
    for (int code = 33; code <= 126; ++code) {
      const int left = (code - 32) * cell;
      EXPECT_FALSE(Clear(*font, left, 0, left + cell, fontHeight)) << "character " << code;
      EXPECT_TRUE(Clear(*font, left + cell - 1, 0, left + cell, fontHeight)) << "character " << code;
    }

    // Knob frames keep their corners transparent, and the large ones the top
    // rows that the value texts overlap.
    const int covered = ScaledRect(layout::kValueTexts[0], scale).bottom - ScaledRect(layout::kLargeKnobs[0], scale).top;
    const int corner = ScaledLength(8, scale), smallCorner = ScaledLength(3, scale);
    std::unique_ptr<BM_IBitmap> knob = Load("knob" + suffix);
    std::unique_ptr<BM_IBitmap> knobSmall = Load("knob_small" + suffix);
    for (int frame = 0; frame < layout::kKnobFrames; ++frame) {
      const int top = frame * large;
      EXPECT_TRUE(Clear(*knob, 0, top, large, top + covered)) << "frame " << frame + 1;
      EXPECT_TRUE(Clear(*knob, 0, top, corner, top + corner) && Clear(*knob, large - corner, top, large, top + corner))
          << "frame " << frame + 1;
      EXPECT_TRUE(Clear(*knobSmall, 0, frame * small, smallCorner, frame * small + smallCorner)) << "frame " << frame + 1;
    }
  }
}

}  // namespace
