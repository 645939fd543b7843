#pragma once
#include <memory>
#include <string>

#include "bitmap/Bitmap.h"
#include "tools/imagegen/Text.h"

// The five images of the Morvane editor, drawn from code.
namespace imagegen {

// The typefaces the labels are set in.
struct Typefaces {
  std::unique_ptr<Typeface> text;     // parameter names
  std::unique_ptr<Typeface> strong;   // the large knobs' names, small capitals
  std::unique_ptr<Typeface> display;  // the product name and the maker's logo
};

// Loads the typefaces from the Inter family files in folder; false (with the
// reason printed) when one is missing.
bool LoadTypefaces(const std::string& folder, Typefaces& faces);

// Where the editor puts its controls (left, top, right, bottom, right and
// bottom exclusive): the background prints the labels around them.
struct Rect {
  int left, top, right, bottom;
  float CentreX() const { return (left + right) * 0.5f; }
  float CentreY() const { return (top + bottom) * 0.5f; }
};
constexpr int kEditorWidth = 578;
constexpr int kEditorHeight = 299;
constexpr int kKnobFrames = 100;
constexpr int kLargeKnobSize = 140;
constexpr int kSmallKnobSize = 48;
constexpr int kLampSize = 10;
constexpr Rect kLamp = {284, 174, 294, 184};
constexpr Rect kLargeKnobs[2] = {{38, 56, 178, 196}, {397, 56, 537, 196}};
constexpr Rect kSmallKnobs[6] = {{40, 215, 88, 263},   {129, 215, 177, 263}, {218, 215, 266, 263},
                                 {309, 215, 357, 263}, {397, 215, 445, 263}, {486, 215, 534, 263}};
constexpr Rect kValueTexts[2] = {{38, 46, 178, 60}, {397, 46, 537, 60}};
constexpr Rect kVersionText = {201, 130, 372, 150};

// The pointer's angle in degrees clockwise from 12 o'clock for frame 1 to
// kKnobFrames: -135 (7:30) to +135 (4:30). A value of 0.5 selects frame 51,
// which points straight up, so that the centre of a bipolar control reads as
// its centre.
float KnobAngle(int frame);

std::unique_ptr<BM_MemBitmap> MakeBackground(const Typefaces& faces);
std::unique_ptr<BM_MemBitmap> MakeLargeKnob();
std::unique_ptr<BM_MemBitmap> MakeSmallKnob();
std::unique_ptr<BM_MemBitmap> MakeLamp();
std::unique_ptr<BM_MemBitmap> MakeGlyphStrip();

}  // namespace imagegen
