#pragma once
#include <string>
#include <vector>

// The editor's bitmap font: one frame for each printable character from 32
// (space) to 126, designed on the pixel grid of each scale so that it reads at
// 1:1 in the character cells the editor draws it in. A frame is the cell's
// width and a little less than its height; its last columns stay clear as
// the gap between letters.
//
//   scale   cell      frame     ink columns   strokes
//   100 %   6 x 12    6 x 11    5             1 pixel
//   150 %   9 x 18    9 x 17    8             2 pixels upright, 1 level
//   200 %   12 x 24   12 x 22   10            2 pixels
//
// Cells and frame heights are the 100 % ones scaled by the layout's rounding.
namespace imagegen {

constexpr int kFirstGlyph = 32;
constexpr int kGlyphCount = 95;

struct PixelFont {
  int percent;
  int cellWidth, cellHeight;  // the editor's character cell; the frame's width
  int rows;                   // the frame's height
  int inkWidth;               // the columns a glyph may light
  std::vector<std::string> glyphRows;  // rows rows per glyph from code 32 on, '#' lit, '.' not

  // Whether pixel (x, y) of the frame of code is lit; false outside the table
  // and in the gap.
  bool Lit(int code, int x, int y) const;
};

// The design for a scale in percent (100, 150 or 200); null for another or
// for a design that is malformed (CheckPixelFonts says why).
const PixelFont* PixelFontFor(int percent);

// Empty when every design holds the codes 32 to 126 in full rows of its ink
// width; otherwise what is wrong.
std::string CheckPixelFonts();

// The designs at 150 % and 200 %, drawn as text: bands of glyphs side by
// side, separated by one space, in code order; lines starting with '|' name
// the characters of the band below them.
extern const char kGlyphs150[];
extern const char kGlyphs200[];

}  // namespace imagegen
