// The glyph cache through a glyph source with hand-made glyphs: masks and
// their effects, the row loops that blend them, and what the cache does with
// broken text or metrics.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bitmap/Blit.h"
#include "bitmap/CachedFont.h"
#include "tests/bitmap/TestFonts.h"

namespace {

using bmtest::At;
using bmtest::FakeGlyphSource;

// A font drawing with the source (which it owns) and the font flags.
struct FakeFont {
  FakeGlyphSource* source;
  BM_CachedFont font;
  FakeFont(FakeGlyphSource* s, uint32_t flags) : source(s) { font.SetGlyphSource(s, flags); }
};

// Draws one character at (1, 1) of a cleared bitmap, adding white text and
// grey (128) effect pixels at full weight, so that each pixel's blue byte is
// the mask byte under it. Returns the w x h mask bytes.
std::vector<int> ReadMask(BM_CachedFont& font, char c, int w, int h) {
  BM_MemBitmap b(w + 2, h + 2);
  bmtest::Fill(b, 0);
  font.SetForeColor(0xFFFFFFFF);
  font.SetEffectColor(0xFF808080);
  font.SetCombineMode(BM_BLEND_ADD, 1.0f);
  const char text[2] = {c, 0};
  int32_t rect[4] = {1, 1, w + 2, h + 2};
  font.DrawString(&b, text, -1, rect, 0);
  const bmtest::Box ink = bmtest::InkBox(b, 0);
  EXPECT_TRUE(ink.right <= w + 1 && ink.bottom <= h + 1) << "ink beyond the mask";
  std::vector<int> mask;
  for (int y = 1; y <= h; ++y)
    for (int x = 1; x <= w; ++x) mask.push_back(At(b, x, y) & 0xFF);
  return mask;
}

// A thresholded mask as rows of '.' 0, '+' 128 and '#' 255.
std::vector<std::string> Art(BM_CachedFont& font, char c, int w, int h) {
  const std::vector<int> mask = ReadMask(font, c, w, h);
  std::vector<std::string> rows(h);
  for (int i = 0; i < w * h; ++i) rows[i / w] += mask[i] == 0 ? '.' : mask[i] == 128 ? '+' : mask[i] == 255 ? '#' : '?';
  return rows;
}

using Rows = std::vector<std::string>;

// Sets the fast loops again when it goes out of scope, also after a failed
// assertion.
struct FastLoopsAfterwards {
  ~FastLoopsAfterwards() { BM_SetPixelPath(BM_PixelPath::kFastest); }
};

TEST(FontMasks, MonoShadowAndOutlineMarks) {
  auto make = [](uint32_t flags) {
    auto* s = new FakeGlyphSource(4);
    s->Art('a', 4, {"#...", ".#..", "....", "...."});
    s->Art('t', 4, {"+-#-", "....", "....", "...."});  // 131 is ink, 130 is not
    return new FakeFont(s, flags);
  };
  std::unique_ptr<FakeFont> mono(make(FONT_MONO)), shadow(make(FONT_SHADOW)), outline(make(FONT_OUTLINE));
  EXPECT_EQ(Art(mono->font, 'a', 4, 4), (Rows{"#...", ".#..", "....", "...."}));
  EXPECT_EQ(Art(mono->font, 't', 4, 4), (Rows{"#.#.", "....", "....", "...."}));
  // Shadow: empty pixels right of, below or below-right of ink; outline:
  // empty pixels beside, above or below ink. Marks never spread further.
  EXPECT_EQ(Art(shadow->font, 'a', 4, 4), (Rows{"#+..", "+#+.", ".++.", "...."}));
  EXPECT_EQ(Art(outline->font, 'a', 4, 4), (Rows{"#+..", "+#+.", ".+..", "...."}));
  std::unique_ptr<FakeFont> both(make(FONT_SHADOW | FONT_OUTLINE));
  EXPECT_EQ(Art(both->font, 'a', 4, 4), (Rows{"#+..", "+#+.", ".++.", "...."})) << "shadow wins";
}

TEST(FontMasks, SoftenInvertOverhangAndTurns) {
  auto* s = new FakeGlyphSource(3);
  s->Art('o', 3, {"...", ".#.", "..."});
  FakeFont soft(s, FONT_SOFTEN);
  // Centre/2 with neighbours /8 (/4 at the first and last rows and columns);
  // the last row reads the filtered row above.
  EXPECT_EQ(ReadMask(soft.font, 'o', 3, 3), (std::vector<int>{0, 63, 0, 63, 127, 31, 15, 31, 7}));

  // Inverted, the cleared cell (advance + 2 columns) becomes ink and widens
  // the mask to the whole cell.
  auto* i = new FakeGlyphSource(1);
  i->Art('i', 4, {"#..."});
  FakeFont inverted(i, FONT_INVERT | FONT_MONO);
  EXPECT_EQ(Art(inverted.font, 'i', 6, 1), (Rows{".#####"}));

  // Ink beyond the advance widens the mask.
  auto* o = new FakeGlyphSource(1);
  o->Art('f', 2, {"..#"});
  FakeFont overhang(o, FONT_MONO);
  EXPECT_EQ(Art(overhang.font, 'f', 3, 1), (Rows{"..#"}));

  auto turned = [](uint32_t flags) {
    auto* t = new FakeGlyphSource(2);
    t->Art('L', 3, {"##.", "#.."});
    return new FakeFont(t, flags | FONT_MONO);
  };
  std::unique_ptr<FakeFont> down(turned(FONT_VERTICAL)), up(turned(FONT_VERTICAL | FONT_VERTICAL_UP));
  EXPECT_EQ(Art(down->font, 'L', 2, 3), (Rows{"##", ".#", ".."})) << "glyph tops face right";
  EXPECT_EQ(Art(up->font, 'L', 2, 3), (Rows{"..", "#.", "##"})) << "glyph tops face left";
}

TEST(FontMasks, VerticalPenRunsDownOrUp) {
  auto make = [](uint32_t flags) {
    auto* s = new FakeGlyphSource(2);
    s->Art('a', 3, {"###", "###"});
    s->Art('b', 3, {"#..", "..."});
    return new FakeFont(s, flags | FONT_MONO);
  };
  std::unique_ptr<FakeFont> down(make(FONT_VERTICAL)), up(make(FONT_VERTICAL | FONT_VERTICAL_UP));
  for (FakeFont* f : {down.get(), up.get()}) {
    BM_MemBitmap b(20, 20);
    bmtest::Fill(b, 0);
    f->font.SetForeColor(0xFFFFFFFF);
    int32_t rect[4] = {10, 10, 20, 20};
    EXPECT_EQ(f->font.DrawString(&b, "ab", -1, rect, 0), 2) << "the width covered";
    // Downward: a's block on top, b's pixel below it; upward: a's block at
    // the bottom, b's pixel above it.
    const bool isUp = f == up.get();
    const int aTop = isUp ? 13 : 10;
    EXPECT_EQ(At(b, 10, aTop), 0xFFFFFFFFu);
    EXPECT_EQ(At(b, 11, aTop + 2), 0xFFFFFFFFu);
    EXPECT_EQ(At(b, isUp ? 10 : 11, isUp ? 12 : 13), 0xFFFFFFFFu) << "b's single ink pixel";
    EXPECT_EQ(At(b, isUp ? 11 : 10, isUp ? 12 : 13), 0u);
    EXPECT_EQ(At(b, 10, isUp ? 9 : 16), 0u);
    int32_t box[4] = {0, 0, 0, 0};
    EXPECT_EQ(f->font.DrawString(nullptr, "ab", -1, box, BM_DT_CALCRECT), 2);
    EXPECT_EQ(box[3], 6);
  }
}

// The row loops, fast and reference: every style and mode over a glyph holding
// every coverage value, at weights that take each branch, against the
// operator applied to each pixel by hand.
TEST(GlyphRowLoops, EachStyleAndModeMatchesItsOperator) {
  std::vector<uint8_t> ramp(256);
  for (int i = 0; i < 256; ++i) ramp[i] = static_cast<uint8_t>(i);
  enum Style { kAntialiased, kMono, kEffect };
  const uint32_t styleFlags[3] = {0, FONT_MONO, FONT_OUTLINE};
  const BM_Color32 fore = 0xC0336699, effect = 0x40CC8822;
  const float weights[] = {1.0f, 0.75f, 0.25f, 2.0f, -0.5f, 0.001f};
  std::mt19937 rng(7);
  for (int style = kAntialiased; style <= kEffect; ++style) {
    auto* s = new FakeGlyphSource(16);
    s->Bytes('g', 16, 16, ramp);
    FakeFont f(s, styleFlags[style]);
    const std::vector<int> mask = ReadMask(f.font, 'g', 16, 16);
    f.font.SetForeColor(fore);
    f.font.SetEffectColor(effect);
    for (BM_PixelPath path : {BM_PixelPath::kFastest, BM_PixelPath::kReference}) {
      // The mask above was read with the fast loops.
      const FastLoopsAfterwards restore;
      BM_SetPixelPath(path);
      for (int mode = BM_BLEND_COPY; mode <= BM_BLEND_HSVADJUST; ++mode) {
        for (float weight : weights) {
          BM_MemBitmap got(20, 20);
          bmtest::FillRandom(got, rng);
          BM_MemBitmap want(20, 20);
          BM_BlitRect(&want, &got, 0, 0, nullptr, 1.0f, BM_BLEND_COPY);
          // The source-alpha flag plays no part in glyph drawing.
          f.font.SetCombineMode(mode | BM_BLEND_SOURCE_ALPHA, weight);
          int32_t rect[4] = {2, 2, 20, 20};
          f.font.DrawString(&got, "g", -1, rect, 0);

          const int W = bm::IntegerWeight(weight);
          for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
              const int c = mask[y * 16 + x];
              BM_Color32& px = At(want, x + 2, y + 2);
              if (c == 0) continue;
              const BM_Color32 colour = style == kEffect && c != 255 ? effect : fore;
              const int r = (colour >> 16) & 0xFF, g = (colour >> 8) & 0xFF, b = colour & 0xFF;
              uint8_t* bytes = reinterpret_cast<uint8_t*>(&px);
              if (style == kAntialiased) {
                if (W == 0 || (mode == BM_BLEND_COPY && W < 0)) continue;
                const int w = W == 256 ? c + 1 : std::min(bm::Div256(W * c), 256);
                CombineByMode(mode, bytes, r, g, b, 255, w);
              } else if (weight == 1.0f && mode == BM_BLEND_COPY) {
                px = colour;
              } else {
                const int w = std::min(W, 256);
                if (w == 0 || (mode == BM_BLEND_COPY && w < 0)) continue;
                CombineByMode(mode, bytes, r, g, b, 255, w);
              }
            }
          ASSERT_TRUE(bmtest::SamePixels(got, want))
              << (path == BM_PixelPath::kReference ? "reference" : "fast") << " loops, style " << style << " mode "
              << mode << " weight " << weight;
        }
      }
    }
  }
}

// Antialiased copy at full weight, the editor's text, has a fast loop: it
// gives the reference loop's bytes for random masks of every width from 1 to
// 13 (with many empty and full bytes), random colours and destinations, top-
// down and bottom-up bitmaps, and cells clipped at each edge (under the
// sanitizer also: nothing beyond the cell is read or written).
TEST(GlyphRowLoops, FastCopyLoopGivesTheReferenceBytes) {
  std::mt19937 rng(20261109);
  for (int trial = 0; trial < 260; ++trial) {
    const int w = 1 + trial % 13, h = 1 + static_cast<int>(rng() % 9);
    std::vector<uint8_t> bytes(static_cast<size_t>(w) * h);
    for (uint8_t& b : bytes) {
      const uint32_t r = rng();
      b = static_cast<uint8_t>(r % 3 == 0 ? 0 : r % 3 == 1 ? 255 : r >> 8);
    }
    auto* s = new FakeGlyphSource(h);
    s->Bytes('g', w, w, bytes);
    FakeFont f(s, 0);
    f.font.SetForeColor(rng());
    const int x = static_cast<int>(rng() % 20) - 4, y = static_cast<int>(rng() % 16) - 4;
    BM_MemBitmap topDown(16, 12);
    bmtest::FlippedBitmap bottomUp(16, 12, 16);
    BM_IBitmap* bitmap = trial % 2 ? static_cast<BM_IBitmap*>(&topDown) : &bottomUp;
    bmtest::FillRandom(*bitmap, rng);
    BM_MemBitmap want(16, 12);
    for (int py = 0; py < 12; ++py)
      for (int px = 0; px < 16; ++px) At(want, px, py) = At(*bitmap, px, py);

    int32_t rect[4] = {x, y, 16, 12};
    f.font.DrawString(bitmap, "g", -1, rect, 0);
    BM_SetPixelPath(BM_PixelPath::kReference);
    f.font.DrawString(&want, "g", -1, rect, 0);
    BM_SetPixelPath(BM_PixelPath::kFastest);
    for (int py = 0; py < 12; ++py)
      for (int px = 0; px < 16; ++px)
        ASSERT_EQ(At(*bitmap, px, py), At(want, px, py))
            << "trial " << trial << ": " << w << " x " << h << " glyph at " << x << ", " << y << "; pixel " << px
            << ", " << py;
  }
}

TEST(GlyphRowLoops, OpaqueCellsClipsAndFlippedBitmaps) {
  auto* s = new FakeGlyphSource(3);
  s->Art('x', 3, {"#.#", ".#.", "#.#"});
  FakeFont f(s, 0);
  f.font.SetForeColor(0xFF000000);
  f.font.SetBackMode(2);
  f.font.SetBackColor(0xFF00FF00);
  BM_MemBitmap top(8, 8);
  bmtest::FlippedBitmap flipped(8, 8, 9);
  for (BM_IBitmap* b : {static_cast<BM_IBitmap*>(&top), static_cast<BM_IBitmap*>(&flipped)}) {
    bmtest::Fill(*b, 0xFFFFFFFF);
    int32_t rect[4] = {2, 3, 8, 8};
    f.font.DrawString(b, "x", -1, rect, 0);
  }
  EXPECT_TRUE(bmtest::SamePixels(top, flipped)) << "image rows, whatever the memory order";
  EXPECT_EQ(At(top, 2, 3), 0xFF000000u);
  EXPECT_EQ(At(top, 3, 3), 0xFF00FF00u) << "the cell's empty pixels take the background";
  EXPECT_EQ(bmtest::InkBox(top, 0xFFFFFFFF).right, 5);

  // DrawGlyph clips to its rectangle and to the bitmap, whatever it is given.
  BM_MemBitmap b(4, 4);
  bmtest::Fill(b, 0xFFFFFFFF);
  const int32_t inside[4] = {3, 3, 4, 4}, outside[4] = {-100, -100, 1000, 1000}, past[4] = {4, 0, 8, 8};
  EXPECT_TRUE(f.font.DrawGlyph(&b, 'x', 1, 1, inside));
  EXPECT_EQ(bmtest::InkBox(b, 0xFFFFFFFF).left, 3) << "only the clip's pixel";
  EXPECT_EQ(bmtest::InkBox(b, 0xFFFFFFFF).top, 3);
  EXPECT_TRUE(f.font.DrawGlyph(&b, 'x', 2, -1, outside));
  EXPECT_FALSE(f.font.DrawGlyph(&b, 'x', 0, 0, past));
  EXPECT_FALSE(f.font.DrawGlyph(&b, 'y', 0, 0, outside)) << "a character never rendered";
}

// The codes a text is rendered as, in the order first met.
std::vector<uint16_t> Codes(const char* text, int32_t byteCount) {
  FakeFont f(new FakeGlyphSource(4), 0);
  int32_t rect[4] = {0, 0, 0, 0};
  f.font.DrawString(nullptr, text, byteCount, rect, BM_DT_CALCRECT);
  return f.source->Measured();
}

TEST(FontDecoding, SequencesAndTheirEnds) {
  using Codes16 = std::vector<uint16_t>;
  EXPECT_EQ(Codes("\xC3\xA9\xE2\x82\xAC", -1), (Codes16{0xE9, 0x20AC}));
  EXPECT_EQ(Codes("\xF0\x9F\x98\x80", -1), (Codes16{0x20})) << "beyond 16 bits: a space";
  EXPECT_EQ(Codes("\xC0\x80\xF5", -1), (Codes16{0xC0, 0x80, 0xF5})) << "overlong and invalid leads";
  EXPECT_EQ(Codes("\xE9", -1), (Codes16{0xE9})) << "a lone Latin-1 byte";
  EXPECT_EQ(Codes("ABCD", 2), (Codes16{'A', 'B'}));
  EXPECT_EQ(Codes("ABCD", 0), (Codes16{}));
  EXPECT_EQ(Codes("A\0B", 3), (Codes16{'A'})) << "the NUL ends the text within the count";

  // A lead byte whose continuation bytes lie past the count or the NUL: the
  // bytes are taken one by one and nothing beyond is read. The buffers are
  // exactly as long as the count, so a read past them is a fault.
  std::unique_ptr<char[]> two(new char[2]{'\xE2', '\x82'});
  EXPECT_EQ(Codes(two.get(), 2), (Codes16{0xE2, 0x82}));
  std::unique_ptr<char[]> one(new char[1]{'\xF0'});
  EXPECT_EQ(Codes(one.get(), 1), (Codes16{0xF0}));
  std::unique_ptr<char[]> cut(new char[3]{'\xF0', '\x9F', '\0'});
  EXPECT_EQ(Codes(cut.get(), -1), (Codes16{0xF0, 0x9F}));
}

// Metrics no real font has: the cache cuts them to its scratch, skips what
// cannot be rendered, and never reads or writes outside its buffers.
TEST(FontCacheSafety, AbsurdMetricsAndPositions) {
  auto* s = new FakeGlyphSource(10);
  s->Art('a', 4, {"####"});
  s->Metrics('w', INT32_MAX, INT32_MAX);
  s->Metrics('n', -7, 10);
  s->Metrics('h', 4, INT32_MIN);
  FakeFont f(s, 0);
  BM_MemBitmap b(40, 30);
  bmtest::Fill(b, 0);
  f.font.SetForeColor(0xFFFFFFFF);
  int32_t rect[4] = {0, 0, 40, 30};
  // 'n' and 'h' are empty and do not move the pen; 'w' is cut to the
  // scratch, far wider than the bitmap.
  f.font.DrawString(&b, "nha", -1, rect, 0);
  EXPECT_EQ(bmtest::InkBox(b, 0).left, 0);
  EXPECT_EQ(bmtest::InkBox(b, 0).right, 4);
  int32_t wide[4] = {0, 0, 0, 0};
  f.font.DrawString(nullptr, "w", -1, wide, BM_DT_CALCRECT);
  EXPECT_GE(wide[2], 28);
  EXPECT_LE(wide[2], 4096);
  bmtest::Fill(b, 0);
  f.font.DrawString(&b, "wa", -1, rect, 0);
  EXPECT_TRUE(bmtest::InkBox(b, 0).Empty());
  int32_t edge[4] = {INT32_MAX - 5, INT32_MIN, INT32_MAX, INT32_MAX};
  f.font.DrawString(&b, "aaaa", -1, edge, BM_DT_CENTER | BM_DT_VCENTER);
  f.font.DrawString(&b, "aaaa", -1, edge, BM_DT_RIGHT | BM_DT_BOTTOM | BM_DT_NOCLIP);
  int32_t measured[4] = {INT32_MAX - 5, 0, 0, 0};
  f.font.DrawString(nullptr, "aaaa", -1, measured, BM_DT_CALCRECT);
  EXPECT_EQ(measured[2], INT32_MAX) << "saturated, not wrapped";

  for (int lineHeight : {1024, INT32_MAX}) {
    auto* tall = new FakeGlyphSource(lineHeight);
    tall->Art('a', 4, {"####"});
    FakeFont big(tall, 0);
    BM_MemBitmap c(8, 8);
    int32_t r[4] = {0, 0, 8, 8};
    EXPECT_EQ(big.font.DrawString(&c, "aa", -1, r, 0), 0);
    EXPECT_TRUE(tall->Measured().empty()) << "line height " << lineHeight << " renders nothing";
  }
}

}  // namespace
