#pragma once
// Where the Morvane editor puts its controls, in pixels of the editor: the
// plug-in places its controls at these rectangles, and the image generator
// (tools/imagegen) prints the background's labels, scales and read-out plates
// around the same ones, so the two cannot drift apart. Plain data, for code
// on either side. Rectangles are left, top, right, bottom, right and bottom
// exclusive.
//
// For high-resolution screens the editor is drawn larger: every length and
// every edge of the layout is multiplied by the scale and rounded by the one
// rule of ScaledLength, so each rectangle, and the image drawn for it at that
// scale, land on whole pixels.
#include "common/EditorScale.h"

namespace layout {

struct Rect {
  int left, top, right, bottom;
  constexpr float CentreX() const { return (left + right) * 0.5f; }
  constexpr float CentreY() const { return (top + bottom) * 0.5f; }
  constexpr int Width() const { return right - left; }
  constexpr int Height() const { return bottom - top; }
};

// The scales the editor's images are drawn for, in percent, and the one
// rounding rule, floor(v x scale + 0.5), shared with the editor framework.
inline constexpr const int (&kScalePercents)[editor_scale::kCount] = editor_scale::kPercents;
using editor_scale::ScaledLength;

// Each edge scaled by ScaledLength. A width that scales to a whole number of
// pixels stays that width wherever the rectangle stands.
constexpr Rect ScaledRect(const Rect& r, double scale) {
  return {ScaledLength(r.left, scale), ScaledLength(r.top, scale), ScaledLength(r.right, scale),
          ScaledLength(r.bottom, scale)};
}

constexpr int kEditorWidth = 578;
constexpr int kEditorHeight = 299;

// The knob images: square frames stacked vertically.
constexpr int kKnobFrames = 100;
constexpr int kLargeKnobSize = 140;
constexpr int kSmallKnobSize = 48;

// The overload lamp's image: two square frames (dark, lit) stacked vertically.
constexpr int kLampSize = 10;
constexpr Rect kLamp = {284, 174, 284 + kLampSize, 174 + kLampSize};

constexpr Rect LargeKnobAt(int x, int y) { return {x, y, x + kLargeKnobSize, y + kLargeKnobSize}; }
constexpr Rect SmallKnobAt(int x, int y) { return {x, y, x + kSmallKnobSize, y + kSmallKnobSize}; }

// "Attack" and "Sustain".
constexpr Rect kLargeKnobs[2] = {LargeKnobAt(38, 56), LargeKnobAt(397, 56)};
// "Attack Link", "Attack Length", "Gain", "SC HPF", "Sustain Link" and
// "Sustain Length", left to right.
constexpr Rect kSmallKnobs[6] = {SmallKnobAt(40, 215),  SmallKnobAt(129, 215), SmallKnobAt(218, 215),
                                 SmallKnobAt(309, 215), SmallKnobAt(397, 215), SmallKnobAt(486, 215)};
// The values of "Attack" and "Sustain", over the top rows of their knobs.
constexpr Rect kValueTexts[2] = {{38, 46, 178, 60}, {397, 46, 537, 60}};
constexpr Rect kVersionText = {201, 130, 372, 150};

}  // namespace layout
