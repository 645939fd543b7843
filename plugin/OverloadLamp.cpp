#include "plugin/OverloadLamp.h"

#include <cmath>

#include "plugin/EditorLayout.h"
#include "plugin/Morvane.h"

MyIBitmapControl::MyIBitmapControl(Morvane* plugin, const IBitmapRef& bitmap)
    : IBitmapControl(plugin, layout::kLamp.left, layout::kLamp.top, -1, bitmap), mMorvane(plugin) {}

MyIBitmapControl::~MyIBitmapControl() = default;

bool MyIBitmapControl::Draw(IGraphics* graphics) {
  // Half the lamp value: with two frames the lit one shows from 1.0 on.
  mNormValue = std::fabs(mMorvane->LampValue()) * 0.5;
  const bool drawn = graphics->BlitFrame(mBitmap, mBounds, FrameForValue(mNormValue, mBitmap.frames), &mBlending);
  MarkDirty(true);
  SetDrawAgain();
  mMorvane->ClearHeldPeaks();
  return drawn;
}
