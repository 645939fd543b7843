#pragma once
// The editor's graphics object: the platform-neutral half of the plug-in's
// editor. It owns the ordered list of controls, the off-screen drawing
// bitmap, the editor's size and frame rate; it routes mouse and key events to
// the controls, draws the dirty ones and binds controls and parameters both
// ways. A platform class derives from it and supplies the window, its timer
// and the operating system's dialogs (the slots marked "platform" below).
// To the plug-in base it is an IEditor (framework/IEditor.h).
//
// The plug-in creates one graphics object in its constructor, adds its
// controls and hands it to the base with AttachEditor; from then on the base
// owns it and deletes it with itself.
//
// Threads (framework/ThreadTags.h): everything here runs on the editor's
// thread [ui], except ParamValueChanged, ShowParamInEditor and
// ApplyParamToControls [any thread, instance lock held]. The two
// process-wide caches (bitmaps by resource id, fonts by description) have a
// lock each.
#include <atomic>
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/EditorScale.h"
#include "editor/IGraphicsTypes.h"
#include "framework/IEditor.h"

class IEffectBase;
class IParameter;
class IControl;
class BM_SysBitmap;
class BM_MemBitmap;
class BM_ProgressiveImage;
struct IMenu;

class IGraphics : public IEditor {
public:
  // The control list starts empty. width x height is the layout's size in
  // editor pixels at 100 %: controls are placed and hit in these units at
  // every scale. Nothing is drawn or decoded until the editor is shown.
  IGraphics(IEffectBase* plugin, int width, int height, int frameRate);

  // The images for 150 % and 200 % have the resource id of the 100 % image
  // plus this step times the scale's index (1 and 2).
  static constexpr int kScaledImageIdStep = 1000;

  // ---- virtual operations, in slot order (after the editor interface's) -------
  // Shows the area of the back buffer on the screen. [platform]
  virtual bool PresentArea(const IBounds& area) = 0;                                       // 0
  // Fits area to the text: the width and height of the text in the style's
  // system font, placed by the style's alignment. False when no font can be
  // made for the style; true (area unchanged) for a null or empty text.
  virtual bool MeasureSystemText(ITextStyle* style, const char* text, IBounds* area);      // 1
  virtual void CancelTextEntry() = 0;                                                       // 2 [platform]
  // Changes the editor's size: every control is deleted (the caller adds its
  // controls again), the drawing bitmaps are made anew, and the plug-in is
  // told (ResizeEditor). Platform classes extend it to resize their window.
  virtual void Resize(int width, int height);                                               // 3
  virtual bool HasWindow();                                                                 // 4 NativeWindow() != null
  virtual const char* GetDrawingApiName();                                                  // 5 ""
  virtual int ShowAlert(const char* text, const char* caption, int type) = 0;               // 6 [platform]
  // Shows the menu below area; returns the menu (or submenu) whose
  // chosenIndex is the chosen item, or null when nothing was chosen.
  virtual IMenu* ShowPopupMenu(IMenu* menu, const IBounds& area) = 0;                       // 7 [platform]
  // Opens a text-entry box over area for the control (and its parameter, or
  // null); the entered text comes back through the control's ApplyUserValue
  // or ApplyUserText.
  virtual void OpenTextEntry(IControl* control, const ITextStyle& style, const IBounds& area,
                             const char* text, IParameter* param) = 0;                      // 8 [platform]
  // Folders, with a trailing separator; empty when unknown.
  virtual void HostFolder(std::string& path) = 0;                                           // 9 [platform]
  virtual void PluginFolder(std::string& path) = 0;                                         // 10 [platform]
  virtual void DesktopFolder(std::string& path) = 0;                                        // 11 [platform]
  virtual void AppDataFolder(std::string& path, bool shared) = 0;                           // 12 [platform]
  virtual void UserAppDataFolder(std::string& path) = 0;                                    // 13 [platform]
  // A file dialog: action 1 saves, any other opens. extensions are separated
  // by spaces ("wav aif"). On cancel the file name becomes empty.
  virtual void ChooseFile(std::string& file, int action, std::string& folder, const char* extensions) = 0;  // 14
  virtual bool PickColour(IColorValue* colour, const char* prompt) = 0;                     // 15 [platform]
  // Opens a web address, after the confirmation text is answered yes when one
  // is given; shows the error text when that fails and one is given.
  virtual bool OpenWebLink(const char* url, const char* caption, const char* confirmText,
                           const char* errorText) = 0;                                      // 16 [platform]
  virtual void* UnusedQuerySlot17();                                                        // 17 null; see below
  // Opens the editor as a child of the host's window; the new window, or null.
  void* OpenWindow(void* parentWindow) override = 0;                                        // 18 [platform]
  virtual void UnusedHookSlot19();                                                          // 19 empty; see below
  virtual void UnusedHookSlot20();                                                          // 20 empty; see below
  // Closes the window, if one is open; controls, bitmaps and fonts stay.
  void CloseWindow() override = 0;                                                          // 21 [platform]
  virtual void* NativeWindow() = 0;                                                         // 22 [platform]
  // The clipboard's text as UTF-8; false (and an empty text) when there is none.
  virtual bool ReadClipboardText(std::string& text) = 0;                                    // 23 [platform]
  // Deletes the key fallback, the controls (last to first) and the drawing
  // bitmaps. Platform classes close their window first. Cached bitmaps and
  // fonts stay for later instances.
  ~IGraphics() override;                                                                    // 24
  virtual void HideCursor();                                                                // 25 empty
  virtual void RestoreCursor();                                                             // 26 empty
  virtual void UnusedHookSlot27();                                                          // 27 empty; see below
  // Loads the image with this resource id from the plug-in's module (see
  // SetModule): for a name ending in ".png" (any letter case), the module's
  // PNG resource with that id. A new bitmap the caller owns, or null.
  virtual BM_IBitmap* LoadPlatformBitmap(int resourceId, const char* name);                // 28

  // The parameter binding.
  // The plug-in or the host tells the editor a parameter's value: normalised
  // (0..1), or plain, which the parameter normalises first (an index without
  // a parameter is then ignored). [any thread, instance lock held]
  virtual void ShowParamInEditor(int paramIdx, double value, bool normalized);              // 29
  // Pushes a normalised value into every control bound to the parameter, and
  // into the first auxiliary binding naming it, in control order.
  // [any thread, instance lock held]
  virtual void ApplyParamToControls(int paramIdx, double normalizedValue);                  // 30
  // Makes the back buffer (the window's size at the current scale) and the
  // scratch bitmap anew.
  virtual void PrepareDrawing();                                                            // 31
  // The host's regular idle call for the open editor (effEditIdle). A window
  // that has no timer of its own handles its events and redraws here; one
  // with a timer ignores it. Empty by default. [ui]
  void Idle() override;                                                                     // 32
  // The scale changed while the window is open: the window takes the new
  // Width() x Height(). Nothing by default. [platform]
  virtual void ResizeWindowToScale();                                                       // 33
  // The size of the image with this resource id without decoding it (the PNG
  // resource's header, like LoadPlatformBitmap); false when there is none.
  virtual bool PlatformImageSize(int resourceId, const char* name, int32_t* width, int32_t* height);  // 34
  // Starts decoding the image with this resource id: the module's PNG
  // resource is decoded a band of rows at a time, as drawing reaches down the
  // image (a strip of frames only as far as the frames shown); anything else
  // comes whole from LoadPlatformBitmap. Null when there is no such image.
  virtual BM_ProgressiveImage* OpenPlatformImage(int resourceId, const char* name);        // 35
  // Slots 17, 19, 20 and 27 hold no operation of this system: nothing calls
  // them and overriding them has no effect. They keep the operations after
  // them in their slots; removing one renumbers every later slot.

  // ---- setup ---------------------------------------------------------------------
  // The plug-in library's module handle, from which LoadPlatformBitmap loads
  // images (an HINSTANCE on Windows; unused where images are compiled in).
  // The plug-in sets it right after construction.
  void SetModule(void* module) { mModule = module; }
  void* GetModule() const { return mModule; }

  // The image with this resource id and the given frame layout, its size read
  // from its header (PlatformImageSize): nothing is decoded until it is drawn,
  // and then only at the scale drawn. An image that cannot be found has no
  // size (IBitmapRef::Exists) and draws nothing.
  IBitmapRef LoadImageStrip(int resourceId, const char* name, int frames = 1, bool framesHorizontal = false);
  // Loads the image and inserts a background control (plain copy) of its size
  // at index 0, under every other control.
  void AddBackground(int resourceId, const char* name);
  // Appends the control, which the graphics object owns from then on (null is
  // ignored); returns its index, or -1.
  int AddControl(IControl* control);

  // ---- scale ----------------------------------------------------------------------
  // Turns on the sizes 150 % and 200 % (their images must exist, see
  // kScaledImageIdStep); off, the editor stays at 100 %. The size is, in
  // order: the user's own choice (the zoom menu, a right click on the
  // background; it stays with this editor, through every opening, while the
  // plug-in lives: the plug-in keeps no settings of its own, and its state
  // holds only what a preset holds), the host's scale (SetHostScale), the
  // screen's (SetPlatformScale), else 100 %; each snapped to the nearest size.
  void EnableScaling(bool on);
  bool ScalingEnabled() const { return mScalingEnabled; }
  double Scale() const { return editor_scale::kFactors[mScaleIndex]; }
  int ScaleIndex() const { return mScaleIndex; }
  // The user's choice: -1 automatic, else the scale's index.
  int ZoomChoice() const { return mZoomChoice; }
  // [ui] The user chose a size (-1 automatic): kept, and applied.
  void ChooseZoom(int index);
  // The layout's size at 100 %.
  int LayoutWidth() const { return mWidth; }
  int LayoutHeight() const { return mHeight; }
  // A rectangle of the layout in the window's pixels, each edge by the one
  // rounding rule; and a window pixel back in the layout, floor(pixel / scale).
  IBounds ToPixels(const IBounds& layout) const;
  int ToLayout(int pixel) const;

  // ---- the editor interface --------------------------------------------------------
  // The window's size at the current scale.
  int Width() const override { return editor_scale::ScaledLength(mWidth, Scale()); }
  int Height() const override { return editor_scale::ScaledLength(mHeight, Scale()); }
  // [any thread, instance lock held] Records the value for the editor's
  // thread and returns at once; ApplyPendingValues shows it. An index
  // outside the parameters is ignored.
  void ParamValueChanged(int paramIdx, double normalizedValue) override;
  void SetHostScale(double scale) override;
  // [ui] Shows what the host's threads handed over since the last call: each
  // parameter's latest value (ShowParamInEditor) and the controls' own
  // hand-offs (ApplyHandedOver). The redraw tick, the idle call and the
  // opening of the window run it first; the plug-in runs it once after
  // attaching the editor, so the controls start from the parameters' values.
  void ApplyPendingValues();

  // ---- state ---------------------------------------------------------------------
  int FrameRate() const { return mFrameRate; }
  IEffectBase* GetPlugin() const { return mPlugin; }
  int ControlCount() const { return static_cast<int>(mControls.size()); }
  // The control at index, or null outside the list.
  IControl* GetControl(int index) const;
  // The drawing bitmap of the window's size, made when first needed.
  BM_SysBitmap* BackBuffer();
  const IBounds& DrawArea() const { return mDrawArea; }

  // Options (defaults: no hover tracking, strict redraw, no tooltips).
  void SetTrackHover(bool on) { mTrackHover = on; }
  void SetStrictRedraw(bool on) { mStrictRedraw = on; }
  void SetTooltipsOn(bool on) { mTooltipsOn = on; }
  bool TooltipsOn() const { return mTooltipsOn; }
  // A control (owned from then on) that receives keys no other control takes.
  void SetKeyFallback(IControl* control);

  // ---- parameter binding -----------------------------------------------------------
  // Opens a value editor for a bound control: a menu of the display texts for
  // list parameters, otherwise a text entry holding the current value.
  void OpenValueEntry(IControl* control, IParameter* param, const IBounds& area);

  // ---- drawing ---------------------------------------------------------------------
  // Controls draw in layout units; the drawing lands in the window's pixels
  // at the current scale, from the images drawn for that scale.
  // The union of the rectangles of every control that needs drawing (hidden
  // ones included), in window pixels, into *area; false when none does.
  bool CollectDirtyArea(IBounds* area) const;
  // Redraws the controls that meet area (window pixels) into the back
  // buffer, cleans every control and shows the area (PresentArea).
  bool Draw(const IBounds& area);
  // Copies the part of the image that starts at (srcX, srcY) and has dest's
  // size to dest, clipped to the area being drawn. Draws nothing for an image
  // that failed to load.
  bool BlitImage(const IBitmapRef& image, const IBounds& dest, int srcX, int srcY, const IBlend* blend);
  // Draws frame (1-based; 1 for anything below 2) of the image into dest.
  bool BlitFrame(const IBitmapRef& image, const IBounds& dest, int frame, const IBlend* blend);
  // The image's pixels at the current scale, decoded at least down to row
  // `rows` (of the scaled image), or null.
  BM_IBitmap* ImageAtScale(const IBitmapRef& image, int32_t rows = INT32_MAX);
  // Text in a bitmap font whose frames are the characters from 32 (space)
  // upward, in cells of charWidth x charHeight with charSpacing pixels between
  // cells. Characters 0 to 32 and above 127 draw as a space; characters past
  // the strip's end draw nothing. With multiLine a text wider than the area
  // wraps onto further lines, and stops at the area's last line.
  void DrawGlyphText(const IBitmapRef& font, const IBounds& area, const ITextStyle& style, const IBlend* blend,
                     const char* text, bool vCenter, bool multiLine, int charWidth, int charHeight,
                     int charSpacing);
  // Text in the style's system font into the back buffer, at area in window
  // pixels with the style's size as it is (callers in layout units scale
  // both). False when no font can be made for the style; true (nothing
  // drawn) for a null or empty text. MeasureSystemText measures alike.
  bool DrawSystemText(ITextStyle* style, const char* text, const IBounds& area);
  // The process-wide font for the style's size, orientation, style and face
  // name, made on first use; null when the platform cannot make it.
  BM_IFont* FindOrMakeFont(const ITextStyle& style);

  // ---- mouse and keys (x, y in window pixels: mapped onto the layout) ----------------
  // The platform's window calls these. A press captures the topmost control
  // under the pointer; on a control bound to a parameter it begins a gesture
  // (BeginHostEdit), which the release ends (EndHostEdit). Every begin gets
  // exactly one end and no end comes without a begin: the window sends the
  // first press of a gesture only, and its last release.
  void OnMouseDown(int x, int y, const IModifiers& mods);
  void OnMouseUp(int x, int y, const IModifiers& mods);
  // A double click on a bound control restores its default as a gesture of
  // its own (begin, the value, end). True when the click was taken as a press
  // (the window then captures the mouse, and the release ends it).
  bool OnDoubleClick(int x, int y, const IModifiers& mods);
  // Ends the gesture the window can no longer see end (the capture lost, the
  // window hidden or closed): the captured control gets its release, the host
  // its end-edit. Nothing when no gesture is under way.
  void EndMouseGesture();
  void OnMouseWheel(int x, int y, const IModifiers& mods, int steps);
  // True when the hover tracking is on and the pointer is over a control or
  // a control holds the capture.
  bool OnMouseOver(int x, int y, const IModifiers& mods);
  void OnMouseOut();
  bool OnKeyDown(int x, int y, int key);
  // A move with a button held: delivered to the captured control with the
  // distance from the last position delivered, when there is a captured
  // control and the pointer moved. The window calls it only while it holds
  // the mouse capture and no text entry is open. True when delivered.
  bool OnMouseDrag(int x, int y, const IModifiers& mods);

  int CapturedIndex() const { return mCapturedIndex; }
  int HoverIndex() const { return mHoverIndex; }
  // The parameter whose gesture is under way (its begin-edit sent), or -1.
  int GestureParam() const { return mGestureParam; }

protected:
  // A popup menu shown during a press (control: the one that had the
  // mouse) has closed. With a button still held the control keeps the
  // gesture, whose release ends it as usual: true, the window takes the
  // pointer again. Else the menu took the release: the gesture ends once the
  // press has been handled (the menu's choice applied).
  bool ResumeGestureAfterMenu(int control, bool buttonHeld);
  // The topmost control under (x, y) that is neither hidden nor greyed (for
  // the mouse-over search, greyed ones that hover when greyed count too);
  // -1 when none.
  int FindControl(int x, int y, bool forMouseOver = false) const;
  void ReleaseCapture();
  // The release that ends a gesture, at a position of the layout.
  void ReleaseGesture(int x, int y, const IModifiers& mods);
  // The scale the editor should have now; applying it asks the host first
  // when the window is open (false when it refused; the size stays).
  int DesiredScaleIndex() const;
  bool UpdateScale(bool opening = false);
  // The scale the screen asks for where the editor is (its DPI / 96; 0 when
  // the platform cannot tell), and the size it makes applied. The platform's
  // window tells it at each opening, before the window is made (opening: a
  // new size is asked of the host, whose window is already made for the old
  // one), and whenever the host's window moves to another screen.
  void SetPlatformScale(double scale, bool opening = false);
  // The window has just opened: what the host's threads handed over is
  // applied and every control marked for the first tick, which draws the
  // whole editor.
  void ShowEverything();
  void MarkAllDirty();
  void ShowZoomMenu(int x, int y);
  BM_IBitmap* CachedImage(int resourceId, const char* name, int32_t rows);
  // Copies from a bitmap in pixels, clipped to the area being drawn.
  bool BlitPixels(BM_IBitmap* bitmap, const IBounds& dest, int srcX, int srcY, const IBlend* blend);
  // The editor is being destroyed, by the plug-in base's destructor: closing
  // its window must not call into a plug-in that is already half gone.
  void DetachPlugin() {
    mPlugin = nullptr;
    mDetached = true;
  }
  void BeginGesture(int paramIdx);
  void EndGesture();
  void DeleteControls();
  void MakeDrawingBitmaps();
  void DeleteDrawingBitmaps();

  std::vector<IControl*> mControls;  // owned; index 0 the background, later ones on top
  IEffectBase* mPlugin;              // not owned
  IBounds mDrawArea;                 // drawing clips to it
  bool mCursorHidden = false;
  int32_t mCursorX = -1;             // where the hidden cursor was
  int32_t mCursorY = -1;
  BM_SysBitmap* mBackBuffer = nullptr;
  BM_MemBitmap* mScratchBitmap = nullptr;
  int32_t mWidth;
  int32_t mHeight;
  int32_t mFrameRate;
  int32_t mCapturedIndex = -1;       // the control that owns the mouse gesture
  int32_t mHoverIndex = -1;          // the control last sent a mouse-over
  int32_t mLastDragX = 0;
  int32_t mLastDragY = 0;
  bool mTrackHover = false;
  bool mStrictRedraw = true;
  bool mTooltipsOn = false;
  int32_t mGestureParam = -1;        // the parameter whose begin-edit was sent
  bool mEndGestureAfterPress = false;
  bool mDetached = false;            // being destroyed (DetachPlugin)
  double mHostScale = 0.0;           // the host's content scale; 0 until it gives one
  double mPlatformScale = 0.0;       // the screen's, as last told; 0 when unknown
  bool mScalingEnabled = false;
  int mScaleIndex = 0;               // of editor_scale::kFactors
  int mZoomChoice = -1;              // the user's: -1 automatic
  IControl* mKeyFallback = nullptr;  // owned
  void* mModule = nullptr;           // the plug-in library's module handle

private:
  // The latest value of each parameter from the host's threads, and whether
  // it has been shown yet.
  struct PendingValue {
    std::atomic<double> value{0.0};
    std::atomic<bool> fresh{false};
  };
  std::unique_ptr<PendingValue[]> mPending;
  int mPendingCount = 0;
  std::atomic<bool> mAnyPending{false};
};
