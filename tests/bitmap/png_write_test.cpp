#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bitmap/Png.h"
#include "bitmap/PngWrite.h"
#include "tests/bitmap/PngFiles.h"
#include "tests/bitmap/TestBitmaps.h"

namespace {

using bmtest::PngFiles;
using Bytes = std::vector<uint8_t>;

// The chunk types of a PNG in order; empty when the signature or a length is wrong.
std::vector<std::string> Chunks(const Bytes& png) {
  std::vector<std::string> types;
  if (png.size() < 8 || png[1] != 'P' || png[2] != 'N' || png[3] != 'G') return types;
  for (size_t at = 8; at + 12 <= png.size();) {
    const size_t length = (size_t{png[at]} << 24) | (size_t{png[at + 1]} << 16) | (size_t{png[at + 2]} << 8) | png[at + 3];
    types.emplace_back(reinterpret_cast<const char*>(&png[at + 4]), 4);
    at += 12 + length;
    if (at > png.size()) return {};
  }
  return types;
}

// Random pixels, a quarter of them fully transparent with colour kept: the
// file holds straight alpha, so those colours must survive.
void Randomise(bmtest::FlippedBitmap& b, uint32_t seed) {
  std::mt19937 rng(seed);
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x) b.At(x, y) = rng() % 4 ? rng() : rng() & 0x00FFFFFFu;
}

TEST(PngWrite, EveryFilterAndLevelDecodesToThePixelsAndRepeatsItsBytes) {
  // Flipped, with a row span wider than the image: the file still starts
  // with the image's top row.
  bmtest::FlippedBitmap image(37, 23, 41);
  Randomise(image, 7);
  const int32_t filters[] = {BM_PNG_FILTER_NONE, BM_PNG_FILTER_SUB,   BM_PNG_FILTER_UP,
                             BM_PNG_FILTER_AVERAGE, BM_PNG_FILTER_PAETH, BM_PNG_FILTERS_ALL};
  for (const int32_t filter : filters) {
    for (const int32_t level : {0, 1, 9}) {
      const BM_PngEncoding encoding = {level, filter};
      Bytes png, again;
      ASSERT_TRUE(EncodePng(&image, &png, encoding)) << filter << "/" << level;
      ASSERT_TRUE(EncodePng(&image, &again, encoding));
      EXPECT_EQ(png, again) << "filters " << filter << ", level " << level;
      EXPECT_EQ(Chunks(png).front(), "IHDR");
      EXPECT_EQ(Chunks(png).back(), "IEND");
      for (const std::string& type : Chunks(png)) EXPECT_TRUE(type == "IHDR" || type == "IDAT" || type == "IEND") << type;
      std::unique_ptr<BM_MemBitmap> decoded(LoadPngMemory(png.data(), static_cast<int32_t>(png.size())));
      ASSERT_NE(decoded, nullptr);
      ASSERT_EQ(decoded->GetWidth(), 37);
      ASSERT_EQ(decoded->GetHeight(), 23);
      for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x)
          ASSERT_EQ(bmtest::At(*decoded, x, y), image.At(x, y)) << x << "," << y << " filters " << filter;
    }
  }
}

TEST(PngWrite, RefusesEmptyBitmapsAndSettingsOutOfRange) {
  BM_MemBitmap empty;
  Bytes png = {1, 2, 3};
  EXPECT_FALSE(EncodePng(&empty, &png));
  EXPECT_TRUE(png.empty());
  EXPECT_FALSE(EncodePng(nullptr, &png));
  BM_MemBitmap one(1, 1);
  bmtest::Fill(one, 0xFF102030u);
  EXPECT_FALSE(EncodePng(&one, nullptr));
  for (const BM_PngEncoding bad : {BM_PngEncoding{10, BM_PNG_FILTERS_ALL}, BM_PngEncoding{-1, BM_PNG_FILTERS_ALL},
                                   BM_PngEncoding{9, 0}, BM_PngEncoding{9, BM_PNG_FILTER_UP | 0x01}}) {
    png = {1};
    EXPECT_FALSE(EncodePng(&one, &png, bad)) << bad.level << "/" << bad.filters;
    EXPECT_TRUE(png.empty());
  }
}

TEST_F(PngFiles, WrittenAtUtf8PathsLoadBackAndUnwritablePathsFail) {
  const std::string path = mDir + "/Kl\xC3\xA4nge \xE9\x9F\xB3.png";  // "Klänge 音.png"
  BM_MemBitmap image(3, 2);
  bmtest::Fill(image, 0x80FF4020u);
  EXPECT_TRUE(WritePngFile(&image, path.c_str()));
  std::unique_ptr<BM_IBitmap> loaded(LoadPngFile(path.c_str()));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(bmtest::At(*loaded, 2, 1), 0x80FF4020u);
  EXPECT_FALSE(WritePngFile(&image, (mDir + "/missing/x.png").c_str()));
  EXPECT_FALSE(WritePngFile(&image, nullptr));
}

}  // namespace
