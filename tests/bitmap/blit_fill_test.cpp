#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>

#include "bitmap/Blit.h"
#include "common/CpuFeatures.h"
#include "tests/bitmap/TestBitmaps.h"

namespace {

using bmtest::At;
using bmtest::FlippedBitmap;

// Blits one source pixel onto one destination pixel and returns the result.
BM_Color32 BlitOne(BM_Color32 src, BM_Color32 dst, float weight, int32_t mode) {
  BM_MemBitmap s(1, 1), d(1, 1);
  At(s, 0, 0) = src;
  At(d, 0, 0) = dst;
  BM_BlitRect(&d, &s, 0, 0, nullptr, weight, mode);
  return At(d, 0, 0);
}

BM_Color32 FillOne(BM_Color32 colour, BM_Color32 dst, float weight, int32_t mode) {
  BM_MemBitmap d(1, 1);
  At(d, 0, 0) = dst;
  BM_FillArea(&d, 0, 0, 1, 1, colour, weight, mode);
  return At(d, 0, 0);
}

// A source whose pixel (x, y) holds x + 100 y, so every position is recognisable.
std::unique_ptr<BM_MemBitmap> Numbered(int w, int h) {
  auto b = std::make_unique<BM_MemBitmap>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) At(*b, x, y) = static_cast<BM_Color32>(x + 100 * y);
  return b;
}

constexpr BM_Color32 kBlank = 0xDEADBEEF;

TEST(BlitOperators, ByteResults) {
  EXPECT_EQ(BlitOne(0xFF010203, 0x00030303, 0.5f, BM_BLEND_COPY), 0x7F010202u);
  EXPECT_EQ(BlitOne(0x12345678, 0x9ABCDEF0, 1.0f, BM_BLEND_COPY), 0x12345678u);
  EXPECT_EQ(BlitOne(0x12345678, 0x9ABCDEF0, -1.0f, BM_BLEND_COPY), 0x9ABCDEF0u) << "negative copy draws nothing";
  EXPECT_EQ(BlitOne(0x80C8C8C8, 0x80646464, 1.0f, BM_BLEND_ADD), 0xFFFFFFFFu);
  EXPECT_EQ(BlitOne(0x80808080, 0x80808080, 1.0f, BM_BLEND_MULTIPLY), 0x40404040u);
  EXPECT_EQ(BlitOne(0x11FF8080, 0xFFFF0000, 1.0f, BM_BLEND_HSVADJUST), 0x1100FFF7u) << "alpha from the source";
  EXPECT_EQ(BlitOne(0xFF808000, 0x40FF0000, 1.0f, BM_BLEND_HSVADJUST), 0xFF000000u);
  // Channel copy 0xF3: source alpha (byte 3) into destination blue (byte 0).
  EXPECT_EQ(BlitOne(0xAB010203, 0x11223344, 0.0001f, 0xF3), 0x112233ABu);
  EXPECT_EQ(BlitOne(0xAB010203, 0x11223344, 1.0f, 0xFE), 0x01223344u) << "source red into destination alpha";
}

TEST(BlitOperators, SourceAlphaCopy) {
  const int mode = BM_BLEND_SOURCE_ALPHA | BM_BLEND_COPY;
  EXPECT_EQ(BlitOne(0x00FFFFFF, 0x12345678, 1.0f, mode), 0x12345678u) << "alpha 0 leaves the destination";
  EXPECT_EQ(BlitOne(0xFF102030, 0x12345678, 1.0f, mode), 0xFF102030u) << "alpha 255 writes the source";
  // Alpha 128 over alpha 200: alpha 255, colour s + ((D - s) x 127) / 256.
  EXPECT_EQ(BlitOne(0x8000FF10, 0xC8FF0010, 1.0f, mode), 0xFF7E8110u);
  // Weight 0.75: A' = (129 x 192) / 256 = 96, colour s + ((D - s) x 160) / 256.
  EXPECT_EQ(BlitOne(0x8000FF10, 0x10FF0010, 0.75f, mode), 0x709F6010u);
  EXPECT_EQ(BlitOne(0x00FFFFFF, 0x12345678, 0.75f, mode), 0x12345678u);
  // Below weight 1 a transparent pixel gets A' = 0 and changes nothing anyway;
  // at weight 8 (A' = 8) only the skip keeps it out.
  EXPECT_EQ(BlitOne(0x00FFFFFF, 0x12345678, 8.0f, mode), 0x12345678u) << "alpha 0 skipped at any weight";
}

TEST(BlitOperators, SourceAlphaWithTheOtherOperators) {
  const int sa = BM_BLEND_SOURCE_ALPHA;
  // Add with w = (128 x 256) / 256 = 128: 100 + 200 / 2.
  EXPECT_EQ(BlitOne(0x7FC8C8C8, 0x10646464, 1.0f, sa | BM_BLEND_ADD), 0x4FC8C8C8u);
  EXPECT_EQ(BlitOne(0x00C8C8C8, 0x10646464, 1.0f, sa | BM_BLEND_ADD), 0x10646464u) << "transparent skipped";
  EXPECT_EQ(BlitOne(0x00000000, 0x10646464, 1.0f, sa | BM_BLEND_MULTIPLY), 0x10646464u) << "transparent skipped";
  // Overlay and HSV adjust apply transparent pixels at w = 1; HSV writes
  // alpha 0, overlay with s = 0, w = 1 takes alpha 255 to 254.
  EXPECT_EQ(BlitOne(0x00808080, 0xFFC08040, 1.0f, sa | BM_BLEND_HSVADJUST), 0x00C08040u);
  EXPECT_EQ(BlitOne(0x00FFFFFF, 0xFF808080, 1.0f, sa | BM_BLEND_OVERLAY), 0xFE808080u);
  // Dodge with w = 1 of a transparent white: q = 256 - 255 / 256 = 256.
  EXPECT_EQ(BlitOne(0x00FFFFFF, 0x40404040, 1.0f, sa | BM_BLEND_DODGE), 0x40404040u);
  // At weight 8 a transparent source pixel weighs w = 2048 / 256 = 8, enough
  // to show which operators skip it: add does, dodge does not (colour q = 256
  // - (255 x 8) / 256 = 249, 64 x 256 / 249 = 65; alpha s = 0 leaves 64).
  EXPECT_EQ(BlitOne(0x00C8C8C8, 0x10646464, 8.0f, sa | BM_BLEND_ADD), 0x10646464u) << "transparent skipped";
  EXPECT_EQ(BlitOne(0x00FFFFFF, 0x40404040, 8.0f, sa | BM_BLEND_DODGE), 0x40414141u) << "transparent applied";
}

TEST(BlitModes, OnlyBits0x100FFCountAndUnknownModesDrawNothing) {
  EXPECT_EQ(BlitOne(0x80C8C8C8, 0x80646464, 1.0f, 0x7F00 | BM_BLEND_ADD), 0xFFFFFFFFu);
  EXPECT_EQ(BlitOne(0x00C8C8C8, 0x80646464, 1.0f, 0x40000 | BM_BLEND_SOURCE_ALPHA | BM_BLEND_ADD), 0x80646464u);
  for (int mode : {6, 0x20, 0xEF, 0x10006, 0x100EF}) {
    EXPECT_EQ(BlitOne(0x80C8C8C8, kBlank, 1.0f, mode), kBlank) << mode;
    EXPECT_EQ(FillOne(0x80C8C8C8, kBlank, 1.0f, mode), kBlank) << mode;
  }
  EXPECT_EQ(FillOne(0x80C8C8C8, kBlank, 1.0f, 0xF3), kBlank) << "fills have no channel copy";
}

TEST(BlitModes, ZeroNaNAndHugeWeights) {
  EXPECT_EQ(BlitOne(0x80C8C8C8, kBlank, 0.0f, BM_BLEND_ADD), kBlank);
  EXPECT_EQ(BlitOne(0x80C8C8C8, kBlank, 0.003f, BM_BLEND_ADD), kBlank) << "W = 0";
  EXPECT_EQ(BlitOne(0x80C8C8C8, kBlank, std::nanf(""), BM_BLEND_ADD), kBlank);
  EXPECT_EQ(FillOne(0x80C8C8C8, kBlank, std::nanf(""), BM_BLEND_ADD), kBlank);
  // Weights beyond 8 act as 8 instead of overflowing the operators' arithmetic.
  for (int mode = 0; mode <= 5; ++mode) {
    for (int sa : {0, BM_BLEND_SOURCE_ALPHA}) {
      EXPECT_EQ(BlitOne(0x80102030, 0x40FF8001, 1e30f, sa | mode), BlitOne(0x80102030, 0x40FF8001, 200.0f, sa | mode));
      EXPECT_EQ(BlitOne(0x80102030, 0x40FF8001, -1e30f, sa | mode),
                BlitOne(0x80102030, 0x40FF8001, -200.0f, sa | mode));
      EXPECT_EQ(FillOne(0x80102030, 0x40FF8001, 1e30f, sa | mode), FillOne(0x80102030, 0x40FF8001, 200.0f, sa | mode));
    }
  }
}

TEST(BlitClipping, SourceRectBeforeTheSourceShiftsTheDestination) {
  auto src = Numbered(8, 4);
  BM_MemBitmap dst(40, 10);
  bmtest::Fill(dst, kBlank);
  const int32_t rect[4] = {-5, 0, 8, 4};
  BM_BlitRect(&dst, src.get(), 10, 0, rect, 1.0f, BM_BLEND_COPY);
  EXPECT_EQ(At(dst, 14, 0), kBlank);
  EXPECT_EQ(At(dst, 15, 0), 0u);
  EXPECT_EQ(At(dst, 22, 3), 307u);
  EXPECT_EQ(At(dst, 23, 0), kBlank);

  bmtest::Fill(dst, kBlank);
  const int32_t above[4] = {2, -3, 5, 100};  // bottom cut to the source height
  BM_BlitRect(&dst, src.get(), 0, 0, above, 1.0f, BM_BLEND_COPY);
  EXPECT_EQ(At(dst, 0, 2), kBlank);
  EXPECT_EQ(At(dst, 0, 3), 2u);
  EXPECT_EQ(At(dst, 2, 6), 304u);
  EXPECT_EQ(At(dst, 0, 7), kBlank);
}

TEST(BlitClipping, NegativeDestinationSkipsSourceColumnsAndRows) {
  auto src = Numbered(8, 4);
  BM_MemBitmap dst(5, 5);
  bmtest::Fill(dst, kBlank);
  BM_BlitRect(&dst, src.get(), -3, -1, nullptr, 1.0f, BM_BLEND_COPY);
  EXPECT_EQ(At(dst, 0, 0), 103u);
  EXPECT_EQ(At(dst, 4, 2), 307u);
  EXPECT_EQ(At(dst, 0, 3), kBlank);
}

TEST(BlitClipping, BeyondTheEdgesDrawsNothingAndPartialRowsAreCut) {
  auto src = Numbered(8, 4);
  BM_MemBitmap dst(5, 5);
  for (auto pos : {std::pair<int, int>{5, 0}, {0, 5}, {6, 6}, {-8, 0}, {0, -4}, {INT32_MAX, 0}, {INT32_MIN, 0}}) {
    bmtest::Fill(dst, kBlank);
    BM_BlitRect(&dst, src.get(), pos.first, pos.second, nullptr, 1.0f, BM_BLEND_COPY);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 5; ++x) ASSERT_EQ(At(dst, x, y), kBlank) << pos.first << "," << pos.second;
  }
  bmtest::Fill(dst, kBlank);
  BM_BlitRect(&dst, src.get(), 3, 2, nullptr, 0.5f, BM_BLEND_ADD);
  EXPECT_NE(At(dst, 4, 4), kBlank);
  const int32_t empty[4] = {3, 0, 3, 4}, wild[4] = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  bmtest::Fill(dst, kBlank);
  BM_BlitRect(&dst, src.get(), 0, 0, empty, 1.0f, BM_BLEND_COPY);
  EXPECT_EQ(At(dst, 0, 0), kBlank);
  BM_BlitRect(&dst, src.get(), 0, 0, wild, 1.0f, BM_BLEND_COPY);  // starts far outside: nothing lands
  EXPECT_EQ(At(dst, 0, 0), kBlank);
}

TEST(BlitClipping, NullAndEmptyBitmapsDrawNothing) {
  auto src = Numbered(4, 4);
  BM_MemBitmap empty, dst(4, 4);
  bmtest::Fill(dst, kBlank);
  BM_BlitRect(nullptr, src.get(), 0, 0, nullptr, 1.0f, 0);
  BM_BlitRect(&dst, nullptr, 0, 0, nullptr, 1.0f, 0);
  BM_BlitRect(&dst, &empty, 0, 0, nullptr, 1.0f, 0);
  BM_BlitRect(&empty, src.get(), 0, 0, nullptr, 1.0f, 0);
  BM_FillArea(nullptr, 0, 0, 4, 4, 0, 1.0f, 0);
  BM_FillArea(&empty, 0, 0, 4, 4, 0, 1.0f, 0);
  EXPECT_EQ(At(dst, 0, 0), kBlank);
}

// A bitmap whose rows would overlap (span below the width) cannot be drawn
// into or from safely: both operations leave it alone.
class OverlappingRows : public BM_MemBitmap {
public:
  OverlappingRows() : BM_MemBitmap(8, 2) {}
  int32_t GetRowSpan() const override { return mSpan; }
  int32_t mSpan = 7;
};

TEST(BlitClipping, RowSpanBelowTheWidthDrawsNothing) {
  for (int32_t span : {7, 0, -8}) {
    OverlappingRows bad;
    bad.mSpan = span;
    for (int i = 0; i < 16; ++i) bad.GetBits()[i] = kBlank;
    auto src = Numbered(8, 2);
    BM_BlitRect(&bad, src.get(), 0, 0, nullptr, 1.0f, BM_BLEND_COPY);
    BM_FillArea(&bad, 0, 0, 8, 2, 0, 1.0f, BM_BLEND_COPY);
    for (int i = 0; i < 16; ++i) ASSERT_EQ(bad.GetBits()[i], kBlank) << span;
    BM_MemBitmap dst(8, 2);
    bmtest::Fill(dst, kBlank);
    BM_BlitRect(&dst, &bad, 0, 0, nullptr, 1.0f, BM_BLEND_COPY);
    EXPECT_EQ(At(dst, 7, 1), kBlank) << span;
  }
}

TEST(BlitFlipped, SourceAndDestinationKeepImageCoordinates) {
  FlippedBitmap flipped(6, 5, 9);
  auto src = Numbered(4, 3);
  bmtest::Fill(flipped, kBlank);
  for (float weight : {1.0f, 1.001f}) {
    BM_BlitRect(&flipped, src.get(), 1, 2, nullptr, weight, BM_BLEND_COPY);
    EXPECT_EQ(flipped.At(1, 2), 0u);
    EXPECT_EQ(flipped.At(4, 4), 203u);
    EXPECT_EQ(flipped.At(0, 2), kBlank);
  }

  BM_MemBitmap back(6, 5);
  bmtest::Fill(back, kBlank);
  const int32_t rect[4] = {1, 3, 5, 5};
  BM_BlitRect(&back, &flipped, 0, 0, rect, 1.0f, BM_BLEND_COPY);
  EXPECT_EQ(At(back, 0, 0), 100u);
  EXPECT_EQ(At(back, 3, 1), 203u);
  EXPECT_EQ(At(back, 0, 2), kBlank);

  BM_FillArea(&flipped, -1, 3, 3, 10, 0xFF000000, 1.0f, BM_BLEND_COPY);
  EXPECT_EQ(flipped.At(1, 3), 0xFF000000u);
  EXPECT_EQ(flipped.At(0, 4), 0xFF000000u);
  EXPECT_EQ(flipped.At(1, 2), 0u);
  EXPECT_EQ(flipped.At(2, 3), 101u);
}

TEST(BlitSameBitmap, OverlappingRowsMoveAsBlocksAtFullWeight) {
  auto b = Numbered(6, 2);
  const int32_t rect[4] = {0, 0, 5, 2};
  BM_BlitRect(b.get(), b.get(), 1, 0, rect, 1.0f, BM_BLEND_COPY);
  EXPECT_EQ(At(*b, 0, 0), 0u);
  EXPECT_EQ(At(*b, 1, 0), 0u);
  EXPECT_EQ(At(*b, 5, 1), 104u);
}

TEST(Fill, ClippingAndSourceAlphaWeight) {
  BM_MemBitmap dst(8, 3);
  bmtest::Fill(dst, kBlank);
  BM_FillArea(&dst, -10, 1, 15, 100, 0xFF112233, 1.0f, BM_BLEND_COPY);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(At(dst, x, 1), x < 5 ? 0xFF112233u : kBlank) << x;
  EXPECT_EQ(At(dst, 0, 0), kBlank);
  EXPECT_EQ(At(dst, 4, 2), 0xFF112233u);

  // Above the top edge: y -2 and height 3 leave row 0 alone to fill.
  bmtest::Fill(dst, kBlank);
  BM_FillArea(&dst, 2, -2, 3, 3, 0xFF445566, 1.0f, BM_BLEND_COPY);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(At(dst, x, y), y == 0 && x >= 2 && x < 5 ? 0xFF445566u : kBlank) << x << "," << y;

  bmtest::Fill(dst, kBlank);
  BM_FillArea(&dst, 0, 0, 8, 3, 0x00FFFFFF, 1.0f, BM_BLEND_SOURCE_ALPHA | BM_BLEND_COPY);
  BM_FillArea(&dst, 0, 0, 8, 3, 0x00FFFFFF, 1.0f, BM_BLEND_SOURCE_ALPHA | BM_BLEND_ADD);
  BM_FillArea(&dst, 8, 0, 1, 1, 0xFFFFFFFF, 1.0f, BM_BLEND_COPY);
  BM_FillArea(&dst, 0, 3, 1, 1, 0xFFFFFFFF, 1.0f, BM_BLEND_COPY);
  BM_FillArea(&dst, 0, 0, 0, 1, 0xFFFFFFFF, 1.0f, BM_BLEND_COPY);
  BM_FillArea(&dst, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0xFFFFFFFF, 1.0f, BM_BLEND_COPY);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(At(dst, x, y), kBlank);

  // Colour alpha 0x80 halves the weight: the 128 average.
  EXPECT_EQ(FillOne(0x80FF0000, 0x00000000, 1.0f, BM_BLEND_SOURCE_ALPHA), 0x407F0000u);
}

TEST(Fill, WordWideWeightsAndOperators) {
  const BM_Color32 p = 0xFF804020, c = 0x00FF00FF;
  EXPECT_EQ(FillOne(c, p, 1.0f, BM_BLEND_COPY), c);
  EXPECT_EQ(FillOne(c, p, 0.5f, BM_BLEND_COPY), 0x7FBF208Fu);     // (c>>1) + (p>>1)
  EXPECT_EQ(FillOne(c, p, 0.25f, BM_BLEND_COPY), 0xBE9F3057u);    // (p>>1) + (p>>2) + (c>>2)
  EXPECT_EQ(FillOne(c, p, 0.75f, BM_BLEND_COPY), 0x3FDE10C6u);    // (c>>2) + (p>>2) + (c>>1)
  // Other weights: the operator with W as the alpha value and the weight.
  // W = 76: alpha 76 + ((255 - 76) x 180) / 256 = 201.
  EXPECT_EQ(FillOne(0x00000000, 0xFF000000, 0.3f, BM_BLEND_COPY), 0xC9000000u);
  EXPECT_EQ(FillOne(c, p, -0.3f, BM_BLEND_COPY), p);
  EXPECT_EQ(FillOne(0x00000000, 0x10000000, 1.0f, BM_BLEND_ADD), 0xFF000000u) << "adds 256 x 256 / 256 to alpha";
  EXPECT_EQ(FillOne(0x00000000, 0x10000000, 0.5f, BM_BLEND_ADD), 0x50000000u) << "adds 64 to alpha";
  EXPECT_EQ(FillOne(0xFF808080, 0xFFC08040, 0.5f, BM_BLEND_HSVADJUST), 0x80C08040u) << "alpha is W's low byte";
  EXPECT_EQ(FillOne(0xFF808080, 0xFFC08040, 1.0f, BM_BLEND_HSVADJUST), 0x00C08040u);
}

// The fast paths (row copies, word-wide averages, vector source alpha, loops
// specialised per mode) against the per-pixel reference loops, over random
// images, clip positions, flips, modes and weights.
// "baseline" is the fast loops in the build's baseline instruction set.
const BM_PixelPath kPaths[3] = {BM_PixelPath::kReference, BM_PixelPath::kFastest, BM_PixelPath::kFastest};
const CpuLevel kLevels[3] = {CpuLevel::kAvx512, CpuLevel::kGeneric, CpuLevel::kAvx512};
const char* const kPathNames[3] = {"reference", "baseline", "fastest"};

TEST(FastPaths, MatchTheReferenceLoopsBitForBit) {
  const uint32_t seed = 20240611;
  std::mt19937 rng(seed);
  const int32_t modes[] = {0, 1, 2, 3, 4, 5, 6, 0xEF, 0xF0, 0xF3, 0xF6, 0xFE, 0x10000, 0x10001, 0x10002,
                           0x10003, 0x10004, 0x10005, 0x10006, 0x12301, 0x100F9};
  const float weights[] = {1.0f, 0.5f, 0.75f, 0.25f, 0.999f, 1.0001f, 2.0f, 0.003f, 1.0f / 256, -0.5f, -1.0f, 100.0f, 8.0f, -8.0f};
  for (int iter = 0; iter < 3000; ++iter) {
    const int32_t mode = modes[rng() % (sizeof modes / sizeof *modes)];
    float weight = weights[rng() % (sizeof weights / sizeof *weights)];
    if (rng() % 4 == 0) weight = std::uniform_real_distribution<float>(-1.5f, 1.5f)(rng);
    const int sw = 1 + rng() % 23, sh = 1 + rng() % 7, dw = 1 + rng() % 23, dh = 1 + rng() % 7;
    const bool flipSrc = rng() % 3 == 0, flipDst = rng() % 3 == 0;
    const int dx = static_cast<int>(rng() % 30) - 8, dy = static_cast<int>(rng() % 10) - 3;
    int32_t rect[4] = {static_cast<int32_t>(rng() % 8) - 3, static_cast<int32_t>(rng() % 4) - 1,
                       static_cast<int32_t>(rng() % 30), static_cast<int32_t>(rng() % 9)};
    const bool useRect = rng() % 2;
    const BM_Color32 colour = rng();
    SCOPED_TRACE(testing::Message() << "seed " << seed << " iteration " << iter << " mode 0x" << std::hex << mode
                                    << std::dec << " weight " << weight << " src " << sw << "x" << sh
                                    << (flipSrc ? " flipped" : "") << " dst " << dw << "x" << dh
                                    << (flipDst ? " flipped" : "") << " at " << dx << "," << dy);

    std::unique_ptr<BM_IBitmap> src, out[3];
    if (flipSrc)
      src = std::make_unique<FlippedBitmap>(sw, sh, sw + 3);
    else
      src = std::make_unique<BM_MemBitmap>(sw, sh);
    for (auto& target : out) {
      if (flipDst)
        target = std::make_unique<FlippedBitmap>(dw, dh, dw + 1);
      else
        target = std::make_unique<BM_MemBitmap>(dw, dh);
    }
    bmtest::FillRandom(*src, rng);
    bmtest::FillRandom(*out[0], rng);
    for (int y = 0; y < dh; ++y)
      for (int x = 0; x < dw; ++x) At(*out[1], x, y) = At(*out[2], x, y) = At(*out[0], x, y);

    for (int i = 0; i < 3; ++i) {
      BM_SetPixelPath(kPaths[i]);
      LimitCpuLevel(kLevels[i]);
      BM_BlitRect(out[i].get(), src.get(), dx, dy, useRect ? rect : nullptr, weight, mode);
      BM_FillArea(out[i].get(), dx, dy, rect[2], rect[3], colour, weight, mode);
    }
    BM_SetPixelPath(BM_PixelPath::kFastest);
    LimitCpuLevel(CpuLevel::kAvx512);
    for (int i = 1; i < 3; ++i)
      for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x)
          ASSERT_EQ(At(*out[i], x, y), At(*out[0], x, y)) << kPathNames[i] << " pixel " << x << "," << y;
  }
}

// A full-size image exercises the vector loop's main body and its tails.
TEST(FastPaths, SourceAlphaOverAnEditorSizedImage) {
  const uint32_t seed = 7;
  std::mt19937 rng(seed);
  BM_MemBitmap src(578, 299), fast(578, 299), ref(578, 299);
  bmtest::FillRandom(src, rng);
  bmtest::FillRandom(fast, rng);
  for (float weight : {1.0f, 0.75f, 0.3f}) {
    for (CpuLevel level : {CpuLevel::kGeneric, CpuLevel::kAvx512}) {
      SCOPED_TRACE(testing::Message() << "seed " << seed << " weight " << weight << " level " << int(level));
      for (int y = 0; y < 299; ++y)
        for (int x = 0; x < 578; ++x) At(ref, x, y) = At(fast, x, y);
      LimitCpuLevel(level);
      BM_BlitRect(&fast, &src, 1, 0, nullptr, weight, BM_BLEND_SOURCE_ALPHA);
      LimitCpuLevel(CpuLevel::kAvx512);
      BM_SetPixelPath(BM_PixelPath::kReference);
      BM_BlitRect(&ref, &src, 1, 0, nullptr, weight, BM_BLEND_SOURCE_ALPHA);
      BM_SetPixelPath(BM_PixelPath::kFastest);
      for (int y = 0; y < 299; ++y)
        for (int x = 0; x < 578; ++x) ASSERT_EQ(At(fast, x, y), At(ref, x, y)) << x << "," << y;
    }
  }
}

}  // namespace
