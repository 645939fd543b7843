#include "editor/IControls.h"

#include "common/CopyText.h"

namespace {

IBounds FrameAt(int x, int y, const IBitmapRef& bitmap) {
  return IBounds(x, y, x + bitmap.FrameWidth(), y + bitmap.FrameHeight());
}

bool IsModified(const IModifiers& mods) { return mods.control || mods.shift; }

}  // namespace

// ---- IBitmapControl ---------------------------------------------------------------------

IBitmapControl::IBitmapControl(IEffectBase* plugin, int x, int y, int paramIdx, const IBitmapRef& bitmap,
                               const IBlend& blend)
    : IControl(plugin, FrameAt(x, y, bitmap), paramIdx, blend), mBitmap(bitmap) {}

IBitmapControl::IBitmapControl(IEffectBase* plugin, const IBounds& rect, int paramIdx, const IBitmapRef& bitmap,
                               const IBlend& blend)
    : IControl(plugin, rect, paramIdx, blend), mBitmap(bitmap) {}

bool IBitmapControl::Draw(IGraphics* graphics) {
  graphics->BlitFrame(mBitmap, mBounds, FrameForValue(mNormValue, mBitmap.frames), &mBlending);
  return true;
}

// ---- ISwitchControl ---------------------------------------------------------------------

void ISwitchControl::OnMouseDown(int x, int y, const IModifiers& mods) {
  if (mods.right) {
    IControl::OnMouseDown(x, y, mods);
    return;
  }
  const int frames = mBitmap.frames;
  if (frames < 2) {
    mNormValue = mNormValue < 0.5 ? 1.0 : 0.0;
  } else {
    const int next = FrameForValue(mNormValue, frames) % frames;  // 0-based index of the next frame
    mNormValue = static_cast<double>(next) / (frames - 1);
  }
  MarkDirty(true);
}

// ---- IKnobControl -----------------------------------------------------------------------

IKnobControl::IKnobControl(IEffectBase* plugin, const IBounds& rect, int paramIdx, int direction, double gearing,
                           const IBlend& blend)
    : IControl(plugin, rect, paramIdx, blend), mDragAxis(direction), mDragRatio(gearing) {}

void IKnobControl::OnMouseDrag(int /*x*/, int /*y*/, int dX, int dY, const IModifiers& mods) {
  double gearing = mDragRatio;
  if (IsModified(mods)) gearing *= 10.0;
  if (mDragAxis == kVertical) {
    // Minus the height: moving up (negative dY) increases the value.
    mNormValue += static_cast<double>(dY) / static_cast<double>(mBounds.top - mBounds.bottom) / gearing;
  } else {
    mNormValue += static_cast<double>(dX) / static_cast<double>(mBounds.right - mBounds.left) / gearing;
  }
  MarkDirty(true);
}

void IKnobControl::OnMouseWheel(int /*x*/, int /*y*/, const IModifiers& mods, int steps) {
  mNormValue += steps * (IsModified(mods) ? 0.001 : 0.01);
  MarkDirty(true);
}

// ---- IKnobMultiControl ------------------------------------------------------------------

IKnobMultiControl::IKnobMultiControl(IEffectBase* plugin, int x, int y, int paramIdx, const IBitmapRef& bitmap,
                                     int direction, double gearing, const IBlend& blend)
    : IKnobControl(plugin, FrameAt(x, y, bitmap), paramIdx, direction, gearing, blend), mBitmap(bitmap) {}

bool IKnobMultiControl::Draw(IGraphics* graphics) {
  graphics->BlitFrame(mBitmap, mBounds, FrameForValue(mNormValue, mBitmap.frames), &mBlending);
  return true;
}

// ---- IURLControl ------------------------------------------------------------------------

IURLControl::IURLControl(IEffectBase* plugin, const IBounds& rect, const char* link, const char* fallbackLink,
                         const char* messageTitle)
    : IControl(plugin, rect) {
  CopyTextZeroFilled(mLink, sizeof mLink, link);
  CopyTextZeroFilled(mFallbackLink, sizeof mFallbackLink, fallbackLink);
  CopyTextZeroFilled(mMessageTitle, sizeof mMessageTitle, messageTitle);
}

void IURLControl::OnMouseDown(int /*x*/, int /*y*/, const IModifiers& /*mods*/) {
  IGraphics* graphics = Graphics();
  if (!graphics) return;
  bool opened = false;
  if (mLink[0]) opened = graphics->OpenWebLink(mLink, mMessageTitle, nullptr, nullptr);
  if (!opened && mFallbackLink[0]) graphics->OpenWebLink(mFallbackLink, mMessageTitle, nullptr, nullptr);
}

bool IURLControl::Draw(IGraphics* /*graphics*/) { return true; }
