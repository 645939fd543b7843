#pragma once
#include <memory>
#include <string>

#include "bitmap/Bitmap.h"
#include "plugin/EditorLayout.h"
#include "tools/imagegen/Text.h"

// The five images of the Morvane editor, drawn from code at any scale (1 for
// 100 %): the same drawing over the scaled layout, so every scale is sharp.
namespace imagegen {

struct PixelFont;

// The typefaces the labels are set in.
struct Typefaces {
  std::unique_ptr<Typeface> text;     // parameter names
  std::unique_ptr<Typeface> strong;   // the large knobs' names, small capitals
  std::unique_ptr<Typeface> display;  // the product name and the maker's logo
};

// Loads the typefaces from the Inter family files in folder; false (with the
// reason printed) when one is missing.
bool LoadTypefaces(const std::string& folder, Typefaces& faces);

// Where the editor puts its controls: the background prints the labels
// around them.
using layout::Rect;
using layout::kEditorWidth;
using layout::kEditorHeight;
using layout::kKnobFrames;
using layout::kLargeKnobSize;
using layout::kSmallKnobSize;
using layout::kLampSize;
using layout::kLamp;
using layout::kLargeKnobs;
using layout::kSmallKnobs;
using layout::kValueTexts;
using layout::kVersionText;

// The pointer's angle in degrees clockwise from 12 o'clock for frame 1 to
// kKnobFrames: -135 (7:30) to +135 (4:30). A value of 0.5 selects frame 51,
// which points straight up, so that the centre of a bipolar control reads as
// its centre.
float KnobAngle(int frame);

std::unique_ptr<BM_MemBitmap> MakeBackground(const Typefaces& faces, double scale);
std::unique_ptr<BM_MemBitmap> MakeLargeKnob(double scale);
std::unique_ptr<BM_MemBitmap> MakeSmallKnob(double scale);
std::unique_ptr<BM_MemBitmap> MakeLamp(double scale);
// The font's glyphs side by side, one cell width each.
std::unique_ptr<BM_MemBitmap> MakeGlyphStrip(const PixelFont& font);

}  // namespace imagegen
