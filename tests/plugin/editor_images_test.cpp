#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "bitmap/Png.h"

// The committed images of the editor, as the plug-in loads them.
namespace {

std::unique_ptr<BM_IBitmap> Load(const char* file) {
  return std::unique_ptr<BM_IBitmap>(LoadPngFile((std::string("plugin/resources/img/") + file).c_str()));
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
  struct {
    const char* file;
    int width, height;
  } const images[] = {{"back.png", 578, 299},
                      {"knob.png", 140, 14000},
                      {"knob_small.png", 48, 4800},
                      {"redLight.png", 10, 20},
                      {"font-white.png", 570, 11}};
  for (const auto& image : images) {
    std::unique_ptr<BM_IBitmap> bitmap = Load(image.file);
    ASSERT_NE(bitmap, nullptr) << image.file;
    EXPECT_EQ(bitmap->GetWidth(), image.width) << image.file;
    EXPECT_EQ(bitmap->GetHeight(), image.height) << image.file;
  }

  // The background is opaque everywhere: it is copied without blending.
  std::unique_ptr<BM_IBitmap> back = Load("back.png");
  for (int y = 0; y < 299; ++y)
    for (int x = 0; x < 578; ++x) ASSERT_EQ(Alpha(*back, x, y), 255) << x << "," << y;

  // The unlit lamp lets the background show; the lit one shows.
  std::unique_ptr<BM_IBitmap> lamp = Load("redLight.png");
  EXPECT_TRUE(Clear(*lamp, 0, 0, 10, 10));
  const BM_Color32 lit = lamp->GetBits()[15 * lamp->GetRowSpan() + 5];
  EXPECT_GT(lit >> 24, 128u);
  EXPECT_GT((lit >> 16) & 0xFF, 2 * ((lit >> 8) & 0xFF));  // red well above green

  // Every character but the space has pixels in its 6-pixel frame.
  std::unique_ptr<BM_IBitmap> font = Load("font-white.png");
  EXPECT_TRUE(Clear(*font, 0, 0, 6, 11));
  for (int code = 33; code <= 126; ++code)
    EXPECT_FALSE(Clear(*font, (code - 32) * 6, 0, (code - 32) * 6 + 6, 11)) << "character " << code;

  // Knob frames keep their corners transparent, and the large ones their top
  // four rows, which the value texts overlap.
  std::unique_ptr<BM_IBitmap> knob = Load("knob.png");
  std::unique_ptr<BM_IBitmap> small = Load("knob_small.png");
  for (int frame = 0; frame < 100; ++frame) {
    const int top = frame * 140;
    EXPECT_TRUE(Clear(*knob, 0, top, 140, top + 4)) << "frame " << frame + 1;
    EXPECT_TRUE(Clear(*knob, 0, top, 8, top + 8) && Clear(*knob, 132, top, 140, top + 8)) << "frame " << frame + 1;
    EXPECT_TRUE(Clear(*small, 0, frame * 48, 3, frame * 48 + 3)) << "frame " << frame + 1;
  }
}

}  // namespace
