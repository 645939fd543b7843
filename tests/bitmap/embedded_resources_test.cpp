#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "bitmap/Png.h"
#include "bitmap/posix/EmbeddedResources.h"
#include "tests/bitmap/TestBitmaps.h"

namespace bm {
extern EmbeddedResourceTable gTestImages;  // generated from tests/bitmap/resources
}

namespace {

class EmbeddedImages : public testing::Test {
protected:
  static void SetUpTestSuite() { bm::AddEmbeddedResources(&bm::gTestImages); }
};

TEST_F(EmbeddedImages, DecodeByResourceId) {
  std::unique_ptr<BM_IBitmap> probe(LoadPngResource(nullptr, 900));
  ASSERT_NE(probe, nullptr);
  ASSERT_EQ(probe->GetWidth(), 3);
  ASSERT_EQ(probe->GetHeight(), 2);
  EXPECT_EQ(bmtest::At(*probe, 0, 0), 0x80102030u);
  EXPECT_EQ(bmtest::At(*probe, 2, 0), 0x0000FF00u);
  EXPECT_EQ(bmtest::At(*probe, 2, 1), 0xFFFFFFFFu);
  // Only the id's low 16 bits name the resource.
  std::unique_ptr<BM_IBitmap> high(LoadPngResource(nullptr, 0x10000 + 900));
  EXPECT_NE(high, nullptr);
}

TEST_F(EmbeddedImages, MissingOrTooShortResourcesGiveNull) {
  EXPECT_EQ(LoadPngResource(nullptr, 901), nullptr);  // 7 bytes
  EXPECT_EQ(LoadPngResource(nullptr, 999), nullptr);
  const void* data = nullptr;
  size_t size = 0;
  EXPECT_FALSE(bm::FindModuleResource(nullptr, 900, "BMP", &data, &size));
  EXPECT_TRUE(bm::FindModuleResource(nullptr, 901, "PNG", &data, &size));
  EXPECT_EQ(size, 7u);
}

// The editor's images are compiled in as they appear in the source tree: each
// one present there must load by its id at its size, each one absent must not.
TEST_F(EmbeddedImages, EditorImagesFollowTheSourceTree) {
  struct Image {
    int id;
    const char* file;
    int width, height;
  } const images[] = {{105, "back.png", 578, 299},
                      {101, "knob.png", 140, 14000},
                      {107, "knob_small.png", 48, 4800},
                      {102, "redLight.png", 10, 20},
                      {108, "font-white.png", 570, 11}};
  for (const Image& image : images) {
    const std::string path = std::string("plugin/resources/img/") + image.file;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f) std::fclose(f);
    std::unique_ptr<BM_IBitmap> bitmap(LoadPngResource(nullptr, image.id));
    if (!f) {
      EXPECT_EQ(bitmap, nullptr) << image.file;
      continue;
    }
    ASSERT_NE(bitmap, nullptr) << image.file;
    EXPECT_EQ(bitmap->GetWidth(), image.width) << image.file;
    EXPECT_EQ(bitmap->GetHeight(), image.height) << image.file;
  }
}

}  // namespace
