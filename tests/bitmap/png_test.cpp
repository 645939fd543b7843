#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "bitmap/Png.h"
#include "tests/bitmap/TestBitmaps.h"
#include "tests/bitmap/PngFiles.h"
#include "tests/bitmap/TestPng.h"

namespace {

using bmtest::PngFiles;
using bmtest::PngImage;
using Bytes = std::vector<png_byte>;

std::unique_ptr<BM_IBitmap> Decode(const Bytes& png) {
  return std::unique_ptr<BM_IBitmap>(LoadPngMemory(png.data(), static_cast<int32_t>(png.size())));
}

BM_Color32 Pixel(BM_IBitmap& b, int x, int y) { return bmtest::At(b, x, y); }

// An RGBA image whose pixels are given as packed AARRGGBB values.
PngImage Rgba(int w, int h, const std::vector<BM_Color32>& pixels) {
  PngImage image;
  image.width = w;
  image.height = h;
  image.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
  for (int y = 0; y < h; ++y) {
    std::vector<png_byte> row;
    for (int x = 0; x < w; ++x) {
      BM_Color32 c = pixels[y * w + x];
      row.insert(row.end(), {png_byte(c >> 16), png_byte(c >> 8), png_byte(c), png_byte(c >> 24)});
    }
    image.rows.push_back(row);
  }
  return image;
}

std::vector<BM_Color32> RandomPixels(int n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<BM_Color32> pixels(n);
  for (auto& p : pixels) p = rng();
  return pixels;
}

TEST(PngDecode, RgbGetsOpaqueAlphaAndPaddedRows) {
  PngImage image;
  image.width = 578;
  image.height = 299;
  for (int y = 0; y < 299; ++y) {
    std::vector<png_byte> row;
    for (int x = 0; x < 578; ++x) row.insert(row.end(), {png_byte(x), png_byte(y), png_byte(x + y)});
    image.rows.push_back(row);
  }
  auto bitmap = Decode(bmtest::WritePng(image));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->GetWidth(), 578);
  EXPECT_EQ(bitmap->GetHeight(), 299);
  EXPECT_EQ(bitmap->GetRowSpan(), 580);
  for (int y = 0; y < 299; ++y)
    for (int x = 0; x < 578; ++x)
      ASSERT_EQ(Pixel(*bitmap, x, y), BM_PackColor32(255, x, y, x + y)) << x << "," << y;
}

TEST(PngDecode, AlphaStaysStraight) {
  auto bitmap = Decode(bmtest::WritePng(Rgba(2, 1, {0x80102030, 0x00FFFFFF})));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(Pixel(*bitmap, 0, 0), 0x80102030u);
  EXPECT_EQ(Pixel(*bitmap, 1, 0), 0x00FFFFFFu);
}

TEST(PngDecode, PaletteWithTransparencyAtTwoBits) {
  PngImage image;
  image.width = 5;
  image.height = 1;
  image.bitDepth = 2;
  image.colourType = PNG_COLOR_TYPE_PALETTE;
  image.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {16, 32, 48}};
  image.paletteAlpha = {0, 128};  // entries 2 and 3 stay opaque
  image.rows = {{0b00011011, 0b00000000}};  // indices 0 1 2 3 0
  auto bitmap = Decode(bmtest::WritePng(image));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(Pixel(*bitmap, 0, 0), 0x00FF0000u);
  EXPECT_EQ(Pixel(*bitmap, 1, 0), 0x8000FF00u);
  EXPECT_EQ(Pixel(*bitmap, 2, 0), 0xFF0000FFu);
  EXPECT_EQ(Pixel(*bitmap, 3, 0), 0xFF102030u);
  EXPECT_EQ(Pixel(*bitmap, 4, 0), 0x00FF0000u);
}

TEST(PngDecode, OneBitGreyBecomesBlackAndWhite) {
  PngImage image;
  image.width = 9;
  image.height = 2;
  image.bitDepth = 1;
  image.colourType = PNG_COLOR_TYPE_GRAY;
  image.rows = {{0b10110000, 0b10000000}, {0b01001111, 0b00000000}};
  auto bitmap = Decode(bmtest::WritePng(image));
  ASSERT_NE(bitmap, nullptr);
  const char* expected[2] = {"101100001", "010011110"};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 9; ++x)
      EXPECT_EQ(Pixel(*bitmap, x, y), expected[y][x] == '1' ? 0xFFFFFFFFu : 0xFF000000u) << x << "," << y;
}

TEST(PngDecode, GreyWithAlphaAndGreyKeyColour) {
  PngImage ga;
  ga.width = 2;
  ga.height = 1;
  ga.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
  ga.rows = {{0x40, 0x80, 0xFF, 0x00}};
  auto bitmap = Decode(bmtest::WritePng(ga));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(Pixel(*bitmap, 0, 0), 0x80404040u);
  EXPECT_EQ(Pixel(*bitmap, 1, 0), 0x00FFFFFFu);

  PngImage keyed;
  keyed.width = 2;
  keyed.height = 1;
  keyed.colourType = PNG_COLOR_TYPE_GRAY;
  keyed.keyColour = true;
  keyed.key.gray = 50;
  keyed.rows = {{50, 51}};
  bitmap = Decode(bmtest::WritePng(keyed));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(Pixel(*bitmap, 0, 0), 0x00323232u);
  EXPECT_EQ(Pixel(*bitmap, 1, 0), 0xFF333333u);
}

TEST(PngDecode, SixteenBitKeepsTheHighByte) {
  PngImage image;
  image.width = 1;
  image.height = 2;
  image.bitDepth = 16;
  image.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
  image.rows = {{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xFE, 0xFF}, {0, 0xFF, 0xFF, 0, 0x80, 0x80, 0x01, 0x00}};
  auto bitmap = Decode(bmtest::WritePng(image));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(Pixel(*bitmap, 0, 0), 0xFE12569Au);
  EXPECT_EQ(Pixel(*bitmap, 0, 1), 0x0100FF80u);
}

TEST(PngDecode, InterlacedEqualsProgressive) {
  const auto pixels = RandomPixels(13 * 11, 99);
  PngImage image = Rgba(13, 11, pixels);
  image.interlaced = true;
  auto bitmap = Decode(bmtest::WritePng(image));
  ASSERT_NE(bitmap, nullptr);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 13; ++x) ASSERT_EQ(Pixel(*bitmap, x, y), pixels[y * 13 + x]) << x << "," << y;
}

TEST(PngDecode, RefusesBlocksThatAreNotPng) {
  const Bytes good = bmtest::WritePng(Rgba(1, 1, {0xFF000000}));
  EXPECT_EQ(LoadPngMemory(good.data(), 7), nullptr);
  EXPECT_EQ(LoadPngMemory(good.data(), -1), nullptr);
  EXPECT_EQ(LoadPngMemory(nullptr, 100), nullptr);
  Bytes wrong = good;
  wrong[1] = 'J';
  EXPECT_EQ(Decode(wrong), nullptr);
  Bytes signatureOnly(good.begin(), good.begin() + 8);
  EXPECT_EQ(Decode(signatureOnly), nullptr);
}

// Truncated and corrupted streams fail inside libpng; the sanitizer build
// shows that nothing allocated on the way (bitmap, row table) leaks.
TEST(PngDecode, DamagedDataGivesNullAndLeaksNothing) {
  const Bytes good = bmtest::WritePng(Rgba(64, 64, RandomPixels(64 * 64, 5)));
  ASSERT_GT(good.size(), 10000u);  // random pixels do not compress
  for (size_t cut : {good.size() / 2, good.size() - 20, size_t{40}, size_t{33}}) {
    Bytes truncated(good.begin(), good.begin() + cut);
    EXPECT_EQ(Decode(truncated), nullptr) << "cut at " << cut;
  }
  Bytes corrupt = good;
  corrupt[good.size() / 2] ^= 0x55;  // inside the image data: CRC mismatch
  EXPECT_EQ(Decode(corrupt), nullptr);
}

// Decoded a band at a time, as the editor draws down a strip: the rows come
// out as whole decoding gives them. Damage further down keeps the rows before
// it and leaves the rest blank; a damaged interlaced image, read at once, is
// blank (the sanitizer build shows that nothing leaks).
TEST(PngDecode, ProgressiveRowsMatchAndDamageLeavesTheRestBlank) {
  const auto pixels = RandomPixels(64 * 64, 7);
  const Bytes good = bmtest::WritePng(Rgba(64, 64, pixels));
  auto rowsMatch = [&](BM_ProgressiveImage& image, int from, int to) {
    for (int y = from; y < to; ++y)
      for (int x = 0; x < 64; ++x)
        if (Pixel(*image.Bitmap(), x, y) != pixels[y * 64 + x]) return false;
    return true;
  };
  auto rowsBlank = [](BM_ProgressiveImage& image, int from) {
    for (int y = from; y < 64; ++y)
      for (int x = 0; x < 64; ++x)
        if (Pixel(*image.Bitmap(), x, y) != 0) return false;
    return true;
  };

  BM_ProgressiveImage whole(good.data(), static_cast<int32_t>(good.size()));
  ASSERT_NE(whole.Bitmap(), nullptr);
  EXPECT_TRUE(whole.DecodeRows(10));
  EXPECT_EQ(whole.RowsDone(), 10);
  EXPECT_TRUE(rowsMatch(whole, 0, 10));
  EXPECT_TRUE(whole.DecodeRows(64));
  EXPECT_TRUE(rowsMatch(whole, 0, 64));

  const Bytes truncated(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
  BM_ProgressiveImage cut(truncated.data(), static_cast<int32_t>(truncated.size()));
  ASSERT_NE(cut.Bitmap(), nullptr);
  EXPECT_FALSE(cut.DecodeRows(64));
  // Half the bytes hold about half the rows (random pixels do not
  // compress); the decoder may run on a little past them before it finds
  // the damage.
  const int done = cut.RowsDone();
  EXPECT_GE(done, 16);
  EXPECT_LT(done, 64);
  EXPECT_TRUE(rowsMatch(cut, 0, 16));
  EXPECT_TRUE(rowsBlank(cut, done));
  EXPECT_FALSE(cut.DecodeRows(64));
  EXPECT_EQ(cut.RowsDone(), done);

  PngImage interlaced = Rgba(64, 64, pixels);
  interlaced.interlaced = true;
  Bytes damaged = bmtest::WritePng(interlaced);
  damaged.resize(damaged.size() / 2);
  BM_ProgressiveImage passes(damaged.data(), static_cast<int32_t>(damaged.size()));
  ASSERT_NE(passes.Bitmap(), nullptr);
  EXPECT_EQ(passes.RowsDone(), 0);
  EXPECT_TRUE(rowsBlank(passes, 0));
}

TEST(PngDecode, RefusesImagesBeyondTheSizeLimit) {
  PngImage image;
  image.width = 16385;
  image.height = 1;
  image.bitDepth = 1;
  image.colourType = PNG_COLOR_TYPE_GRAY;
  image.rows = {std::vector<png_byte>(2049, 0)};
  EXPECT_EQ(Decode(bmtest::WritePng(image)), nullptr);
  image.width = 16384;
  image.rows = {std::vector<png_byte>(2048, 0xFF)};
  auto bitmap = Decode(bmtest::WritePng(image));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(Pixel(*bitmap, 16383, 0), 0xFFFFFFFFu);
}

// Strips of frames are tall: the height may pass the width's limit as long as
// the image holds no more than 16384 x 16384 pixels.
TEST(PngDecode, TakesTallStripsWithinThePixelLimit) {
  PngImage image;
  image.width = 1;
  image.height = 262144;
  image.bitDepth = 1;
  image.colourType = PNG_COLOR_TYPE_GRAY;
  image.rows.assign(262144, std::vector<png_byte>(1, 0x80));
  auto bitmap = Decode(bmtest::WritePng(image));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(Pixel(*bitmap, 0, 262143), 0xFFFFFFFFu);
  image.height = 262145;
  image.rows.emplace_back(1, 0x80);
  EXPECT_EQ(Decode(bmtest::WritePng(image)), nullptr);

  image.width = 16384;
  image.height = 16385;
  image.rows.assign(16385, std::vector<png_byte>(2048, 0));
  EXPECT_EQ(Decode(bmtest::WritePng(image)), nullptr);
}

TEST_F(PngFiles, LoadIntoANewOrAGivenBitmap) {
  const auto pixels = RandomPixels(5 * 3, 11);
  const std::string path = Write("image.png", bmtest::WritePng(Rgba(5, 3, pixels)));
  std::unique_ptr<BM_IBitmap> fresh(LoadPngFile(path.c_str()));
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(Pixel(*fresh, 4, 2), pixels[14]);

  BM_MemBitmap given(40, 40);
  EXPECT_EQ(LoadPngFile(path.c_str(), &given), &given);
  EXPECT_EQ(given.GetWidth(), 5);
  EXPECT_EQ(Pixel(given, 4, 2), pixels[14]);

  bmtest::FlippedBitmap flipped(1, 1, 1);
  EXPECT_EQ(LoadPngFile(path.c_str(), &flipped), &flipped);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(flipped.At(x, y), pixels[y * 5 + x]) << x << "," << y;
}

TEST_F(PngFiles, PathsBeyondAsciiAreFound) {
  const Bytes png = bmtest::WritePng(Rgba(1, 1, {0xFF654321}));
  const std::string path = Write("Kl\xC3\xA4nge \xE9\x9F\xB3.png", png);  // "Klänge 音.png"
  std::unique_ptr<BM_IBitmap> loaded(LoadPngFile(path.c_str()));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(Pixel(*loaded, 0, 0), 0xFF654321u);
}

TEST_F(PngFiles, UnreadableFilesGiveNullAndGivenBitmapsStayWithTheCaller) {
  EXPECT_EQ(LoadPngFile((mDir + "/missing.png").c_str()), nullptr);
  EXPECT_EQ(LoadPngFile(mDir.c_str()), nullptr);  // a folder
  EXPECT_EQ(LoadPngFile(nullptr), nullptr);
  const Bytes good = bmtest::WritePng(Rgba(8, 8, RandomPixels(64, 3)));
  const std::string cut = Write("cut.png", Bytes(good.begin(), good.begin() + good.size() - 30));
  BM_MemBitmap given(2, 2);
  EXPECT_EQ(LoadPngFile(cut.c_str(), &given), nullptr);
  EXPECT_EQ(given.GetWidth(), 8);  // resized, pixels undefined, still ours
}

TEST_F(PngFiles, ByNameChecksTheExtensionOnlyWhenAsked) {
  const Bytes png = bmtest::WritePng(Rgba(1, 1, {0xFF123456}));
  MakeDir("a");
  MakeDir("a/b");
  const std::string upper = Write("a/b/knob.PNG", png);
  const std::string backup = Write("knob.png.bak", png);
  const std::string bare = Write("knob", png);
  const std::string dotted = MakeDir("x.png") + "/knob";
  Write("x.png/knob", png);

  std::unique_ptr<BM_IBitmap> loaded(LoadPngByName(upper.c_str(), 1, nullptr));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(Pixel(*loaded, 0, 0), 0xFF123456u);
  EXPECT_EQ(LoadPngByName(backup.c_str(), 1, nullptr), nullptr);
  EXPECT_EQ(LoadPngByName(bare.c_str(), 1, nullptr), nullptr);
  EXPECT_EQ(LoadPngByName(dotted.c_str(), 1, nullptr), nullptr);
  EXPECT_EQ(LoadPngByName("knob", 0x101, nullptr), nullptr);
  EXPECT_EQ(LoadPngByName(nullptr, 0, nullptr), nullptr);

  // Only the low byte of the flag counts.
  for (int32_t noCheck : {0, 0x100}) {
    std::unique_ptr<BM_IBitmap> any(LoadPngByName(backup.c_str(), noCheck, nullptr));
    EXPECT_NE(any, nullptr) << noCheck;
  }
}

TEST(PngLoader, IsLinkedIntoTheLoaderList) {
  const ImageLoaderEntry* entry = gImageLoaders;
  while (entry && entry->mLoad != LoadPngByName) entry = entry->mNext;
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->mFilter, PngFileFilter);
  static const char kFilter[] = "PNG files (*.PNG)\0*.PNG\0";
  EXPECT_EQ(std::memcmp(PngFileFilter(), kFilter, sizeof kFilter), 0);
  EXPECT_EQ(sizeof kFilter, 25u);  // two NULs end the list
}

}  // namespace
