#pragma once

// The editor's bitmap font: one 6 x 11 pixel frame for each printable
// character from 32 (space) to 126, designed on the pixel grid so that it
// reads at 1:1 in the 6-pixel cells the editor draws it in.
namespace imagegen {

constexpr int kFirstGlyph = 32;
constexpr int kGlyphCount = 95;
constexpr int kGlyphWidth = 6;
constexpr int kGlyphHeight = 11;

// Whether pixel (x, y) of the glyph of code is lit; false outside the glyph
// table and in the cell's sixth column, the gap between letters.
bool GlyphPixel(int code, int x, int y);

// True when the table holds codes 32 to 126 in order, each row five pixels.
bool GlyphTableIsConsistent();

}  // namespace imagegen
