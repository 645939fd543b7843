#pragma once
// The concrete controls: a frame of a strip image chosen by the value, a
// switch, knobs turned by dragging and the wheel, and an invisible web link.
// (The bitmap-font text is in IBitmapTextControl.h.)
#include "editor/IControl.h"

// Shows frame FrameForValue(value, frames) of a strip image. An image that
// failed to load draws nothing.
class IBitmapControl : public IControl {
public:
  // Placed with its top-left corner at (x, y), one frame in size.
  IBitmapControl(IEffectBase* plugin, int x, int y, int paramIdx, const IBitmapRef& bitmap,
                 const IBlend& blend = IBlend());
  IBitmapControl(IEffectBase* plugin, const IBounds& rect, int paramIdx, const IBitmapRef& bitmap,
                 const IBlend& blend = IBlend());

  bool Draw(IGraphics* graphics) override;

  const IBitmapRef& GetBitmap() const { return mBitmap; }

protected:
  IBitmapRef mBitmap;
};

// A bitmap control that steps through its frames: each left click moves to
// the next frame, from the last back to the first, and sends the value.
class ISwitchControl : public IBitmapControl {
public:
  using IBitmapControl::IBitmapControl;

  void OnMouseDown(int x, int y, const IModifiers& mods) override;
};

// A knob: vertical or horizontal drags and the wheel change the value.
class IKnobControl : public IControl {
public:
  enum EDirection { kVertical = 0, kHorizontal = 1 };

  // The control's extent along the drag direction must not be 0.
  IKnobControl(IEffectBase* plugin, const IBounds& rect, int paramIdx, int direction = kVertical,
               double gearing = 4.0, const IBlend& blend = IBlend());

  // Moving by the control's extent along the direction changes the value by
  // 1 / gearing (up and right increase it); Control or Shift make it ten
  // times finer. The value is limited to 0..1 and sent to the plug-in.
  void OnMouseDrag(int x, int y, int dX, int dY, const IModifiers& mods) override;
  // Each step changes the value by 0.01 (0.001 with Control or Shift).
  void OnMouseWheel(int x, int y, const IModifiers& mods, int steps) override;

protected:
  int32_t mDragAxis;
  double mDragRatio;
};

// A knob drawn as frame FrameForValue(value, frames) of a strip image.
class IKnobMultiControl : public IKnobControl {
public:
  // Placed with its top-left corner at (x, y), one frame in size.
  IKnobMultiControl(IEffectBase* plugin, int x, int y, int paramIdx, const IBitmapRef& bitmap,
                    int direction = kVertical, double gearing = 4.0, const IBlend& blend = IBlend());

  bool Draw(IGraphics* graphics) override;

  const IBitmapRef& GetBitmap() const { return mBitmap; }

protected:
  IBitmapRef mBitmap;
};

// An invisible area that opens a web address when clicked, or the fallback
// address when the first cannot be opened.
class IURLControl : public IControl {
public:
  static constexpr int kLinkSize = 256;
  static constexpr int kTitleSize = 1024;

  // Texts longer than their fields are cut.
  IURLControl(IEffectBase* plugin, const IBounds& rect, const char* link, const char* fallbackLink = nullptr,
              const char* messageTitle = nullptr);

  void OnMouseDown(int x, int y, const IModifiers& mods) override;
  bool Draw(IGraphics* graphics) override;

protected:
  char mLink[kLinkSize];
  char mFallbackLink[kLinkSize];
  char mMessageTitle[kTitleSize];
};
