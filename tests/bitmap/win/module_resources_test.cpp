// Images found among the resources of a module, as the editor finds its own
// in Morvane.dll; here in the test program, which carries the test images
// (TestImages.rc).
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "bitmap/Png.h"
#include "tests/bitmap/TestBitmaps.h"

namespace {

BM_ModuleHandle Self() { return GetModuleHandleA(nullptr); }

TEST(ModuleResources, DecodeByResourceId) {
  std::unique_ptr<BM_IBitmap> probe(LoadPngResource(Self(), 900));
  ASSERT_NE(probe, nullptr);
  ASSERT_EQ(probe->GetWidth(), 3);
  ASSERT_EQ(probe->GetHeight(), 2);
  EXPECT_EQ(bmtest::At(*probe, 0, 0), 0x80102030u);
  EXPECT_EQ(bmtest::At(*probe, 2, 1), 0xFFFFFFFFu);
  // Only the id's low 16 bits name the resource.
  std::unique_ptr<BM_IBitmap> high(LoadPngResource(Self(), 0x10000 + 900));
  EXPECT_NE(high, nullptr);
}

TEST(ModuleResources, MissingOrTooShortResourcesGiveNull) {
  EXPECT_EQ(LoadPngResource(Self(), 901), nullptr);  // 7 bytes
  EXPECT_EQ(LoadPngResource(Self(), 999), nullptr);
  EXPECT_EQ(LoadPngResource(Self(), 0), nullptr);        // no resource is named 0
  EXPECT_EQ(LoadPngResource(Self(), 0x10000), nullptr);  // nor by its low 16 bits
  const void* data = nullptr;
  size_t size = 0;
  EXPECT_FALSE(bm::FindModuleResource(Self(), 900, "BMP", &data, &size));
  EXPECT_EQ(data, nullptr);
  ASSERT_TRUE(bm::FindModuleResource(Self(), 901, "PNG", &data, &size));
  EXPECT_EQ(size, 7u);
}

}  // namespace
