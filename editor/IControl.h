#pragma once
#include <string>
#include <vector>

#include "editor/IGraphics.h"

class IBitmapTextControl;

// One rectangle of the editor that draws itself and may follow one plug-in
// parameter. The graphics object owns its controls, routes mouse and key
// events to them, asks them whether they need drawing and calls Draw.
//
// Values are normalised (0..1) throughout; the parameter record converts.
// Dirty cycle: any change sets the needs-draw flag; changes that also set the
// draw-again flag keep the control dirty for one more drawing pass. After each
// pass the graphics object calls MarkDrawn, which moves draw-again into
// needs-draw.
//
// Controls are used on the editor's thread [ui] only. Values from the host's
// threads reach them through the graphics object's hand-off
// (IGraphics::ApplyPendingValues), on the editor's thread.
class IControl {
public:
  // A parameter binding beyond the control's own.
  struct IAuxBinding {
    double value = 0.0;
    int paramIdx = -1;
  };

  // rect is where the control draws and is hit; paramIdx -1 binds none.
  IControl(IEffectBase* plugin, const IBounds& rect, int paramIdx = -1, const IBlend& blend = IBlend());
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // ---- virtual operations, in slot order ----------------------------------------
  virtual ~IControl();                                                            // 0
  // With the right button: OpenValueEntry.
  virtual void OnMouseDown(int x, int y, const IModifiers& mods);                 // 1
  virtual void OnMouseUp(int x, int y, const IModifiers& mods);                   // 2 nothing
  virtual void OnMouseDrag(int x, int y, int dX, int dY, const IModifiers& mods);  // 3 nothing
  // Restores the default value (when one was set) and sends it to the plug-in.
  virtual void OnDoubleClick(int x, int y, const IModifiers& mods);               // 4
  virtual void OnMouseWheel(int x, int y, const IModifiers& mods, int steps);     // 5 nothing
  virtual bool OnKeyDown(int x, int y, int key);                                  // 6 false
  virtual void OnMouseOver(int x, int y, const IModifiers& mods);                 // 7 nothing
  virtual void OnMouseOut();                                                      // 8 nothing
  // Draws into the graphics object's back buffer; every concrete class
  // supplies it.
  virtual bool Draw(IGraphics* graphics) = 0;                                     // 9
  // A value from the plug-in. The first one also becomes the double-click
  // default. A changed value makes the control dirty (twice), nothing is
  // sent back.
  virtual void ApplyPluginValue(double value);                                    // 10
  // A value the user chose (menu, text entry): a changed value makes the
  // control dirty (twice) and goes to the plug-in.
  virtual void ApplyUserValue(double value);                                      // 11
  // The text of a text entry made for a control without a parameter.
  virtual void ApplyUserText(const char* text);                                   // 12 nothing
  virtual void SetHidden(bool hide);                                              // 13
  // A greyed control draws at a quarter weight and ignores the mouse.
  virtual void SetGreyed(bool grey);                                              // 14
  // Inside the hit rectangle; never for an all-zero hit rectangle.
  virtual bool HitTest(int x, int y);                                             // 15
  // Limits the value to its range and marks the control for drawing. Beware:
  // MarkDirty(true) also sends the value on, to the plug-in and so to the
  // host as automation (SetParamFromEditor), when the control is bound, and
  // updates its value and name labels.
  virtual void MarkDirty(bool pushToPlug);                                        // 16
  virtual void MarkDrawn();                                                       // 17
  virtual bool NeedsDraw() const;                                                 // 18
  virtual void UnusedHookSlot19();                                                // 19 nothing; see below
  // A value from the plug-in for auxiliary binding index.
  virtual void ApplyPluginAuxValue(int index, double value);                      // 20
  // Takes what other threads handed the control since the last refresh (a
  // text control's new text, say). Nothing by default.
  virtual void ApplyHandedOver();                                                 // 21
  // Slot 19 holds no operation of this system: nothing calls it and
  // overriding it has no effect. It keeps the operation after it in its slot;
  // removing it renumbers every later slot.

  // Opens the graphics object's value entry for the bound parameter: over the
  // control for list parameters, in a 40 x 16 box at its centre otherwise.
  // Nothing when unbound or when prompting is off.
  void OpenValueEntry();

  // ---- state ---------------------------------------------------------------------
  const IBounds& GetBounds() const { return mBounds; }
  const IBounds& GetHitBounds() const { return mHitBounds; }
  int ParamIdx() const { return mParamIndex; }
  double GetValue() const { return mNormValue; }
  void SetValue(double value) { mNormValue = value; }
  double GetDefaultValue() const { return mResetValue; }
  void SetDefaultValue(double value) { mResetValue = value; }
  void SetValueRange(double minNorm, double maxNorm) {
    mMinNorm = minNorm;
    mMaxNorm = maxNorm;
  }
  bool IsHidden() const { return mHidden; }
  bool IsGreyed() const { return mGreyed; }
  bool HoversWhenGreyed() const { return mHoverWhenGreyed; }
  void SetHoverWhenGreyed(bool on) { mHoverWhenGreyed = on; }
  bool DoubleClickAsPress() const { return mDoubleClickAsPress; }
  void SetDoubleClickAsPress(bool on) { mDoubleClickAsPress = on; }
  void SetPrompt(bool on) { mNoPrompt = !on; }
  // Makes the control dirty again after its next drawing pass.
  void SetDrawAgain() { mDrawAgain = true; }
  const IBlend& GetBlend() const { return mBlending; }
  ITextStyle& GetTextStyle() { return mTextStyle; }
  void SetTextStyle(const ITextStyle& style) { mTextStyle = style; }
  int EntryMaxChars() const { return mEntryMaxChars; }
  void SetEntryMaxChars(int n) { mEntryMaxChars = n; }
  const char* HintText() const { return mHintText.c_str(); }
  void SetHintText(const char* text) { mHintText = text ? text : ""; }
  // Text controls that show the bound parameter's value text and name (not owned).
  void SetLabels(IBitmapTextControl* valueLabel, IBitmapTextControl* nameLabel) {
    mValueLabel = valueLabel;
    mNameLabel = nameLabel;
  }
  int AuxBindingCount() const { return static_cast<int>(mAuxBindings.size()); }
  void AddAuxBinding(int paramIdx) { mAuxBindings.push_back(IAuxBinding{0.0, paramIdx}); }
  // The binding at index, or null outside the list.
  const IAuxBinding* GetAuxBinding(int index) const;

  // The graphics object that owns the control; it sets itself when the
  // control is added.
  void SetGraphics(IGraphics* graphics) { mGraphics = graphics; }

protected:
  // The graphics object that owns the control; null before it is added.
  IGraphics* Graphics() const { return mGraphics; }

  int32_t mEntryMaxChars = 7;        // characters the text-entry box accepts
  ITextStyle mTextStyle;
  IEffectBase* mPlugin;              // not owned
  IGraphics* mGraphics = nullptr;    // the owner; not owned
  IBounds mBounds;                   // where the control draws; invalidated when dirty
  IBounds mHitBounds;                // where the mouse hits it
  int32_t mParamIndex;
  std::vector<IAuxBinding> mAuxBindings;
  double mNormValue = 0.0;
  double mResetValue = -1.0;         // the double-click default; negative: none yet
  double mMinNorm = 0.0;
  double mMaxNorm = 1.0;
  bool mNeedsDraw = true;            // a new control draws on the first pass
  bool mHidden = false;
  bool mGreyed = false;
  bool mDrawAgain = false;
  bool mNoPrompt = true;             // a right click opens no value entry
  bool mDoubleClickAsPress = false;
  bool mHoverWhenGreyed = false;
  IBlend mBlending;
  IBitmapTextControl* mValueLabel = nullptr;  // not owned
  IBitmapTextControl* mNameLabel = nullptr;   // not owned
  std::string mHintText;
};

// The frame (1..frames) a value in 0..1 shows: trunc((frames - 1) x value +
// 0.5) + 1, limited to 1..frames; 1 for fewer than 2 frames or a NaN value.
int FrameForValue(double value, int frames);
