#include <gtest/gtest.h>

#include <memory>

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
  EXPECT_EQ(LoadPngResource(nullptr, 105), nullptr);  // the library has no images of its own
  const void* data = nullptr;
  size_t size = 0;
  EXPECT_FALSE(bm::FindModuleResource(nullptr, 900, "BMP", &data, &size));
  EXPECT_TRUE(bm::FindModuleResource(nullptr, 901, "PNG", &data, &size));
  EXPECT_EQ(size, 7u);
}

}  // namespace
