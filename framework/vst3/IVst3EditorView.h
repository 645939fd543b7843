#pragma once
// The plug-in's editor as a VST 3 view: the controller's editor (IEditor)
// opened in the host's window, sized by the editor, scaled by the host's
// content scale, resized through the host's frame.
//
// Linux hosts lend a run loop (IRunLoop, queried on the frame, else on the
// factory's host context): while attached, the view has it call the
// editor's Idle from a timer and whenever the editor's X connection is
// readable, and runs no thread of its own. Windows editors have their own
// timer.
//
// Host sequence and threads: Vst3View.h. Every call here is [ui].
#include "framework/vst3/Vst3Support.h"
#include "framework/vst3/Vst3View.h"

class IEffectVST3;
class IEditor;

class IVst3EditorView final : public vst3::IPlugView,
                              public vst3::IPlugViewContentScaleSupport,
                              public vst3::Linux::IEventHandler,
                              public vst3::Linux::ITimerHandler {
public:
  // How often the run loop's timer idles the editor, in milliseconds: well
  // within the editor's frame interval, which the editor keeps by its clock.
  static constexpr vst3::uint64 kIdleIntervalMs = 10;

  // Holds a reference to owner for its lifetime: a view never outlives its
  // controller.
  explicit IVst3EditorView(IEffectVST3* owner);
  IVst3EditorView(const IVst3EditorView&) = delete;
  IVst3EditorView& operator=(const IVst3EditorView&) = delete;

  // ---- FUnknown ------------------------------------------------------------------------
  vst3::tresult PLUGIN_API queryInterface(const vst3::TUID id, void** obj) override;
  vst3::uint32 PLUGIN_API addRef() override;
  vst3::uint32 PLUGIN_API release() override;

  // ---- IPlugView ---------------------------------------------------------------------------
  vst3::tresult PLUGIN_API isPlatformTypeSupported(vst3::FIDString type) override;
  vst3::tresult PLUGIN_API attached(void* parent, vst3::FIDString type) override;
  vst3::tresult PLUGIN_API removed() override;
  vst3::tresult PLUGIN_API onWheel(float distance) override;
  vst3::tresult PLUGIN_API onKeyDown(vst3::char16 key, vst3::int16 keyCode, vst3::int16 modifiers) override;
  vst3::tresult PLUGIN_API onKeyUp(vst3::char16 key, vst3::int16 keyCode, vst3::int16 modifiers) override;
  vst3::tresult PLUGIN_API getSize(vst3::ViewRect* size) override;
  vst3::tresult PLUGIN_API onSize(vst3::ViewRect* newSize) override;
  vst3::tresult PLUGIN_API onFocus(vst3::TBool state) override;
  vst3::tresult PLUGIN_API setFrame(vst3::IPlugFrame* frame) override;
  vst3::tresult PLUGIN_API canResize() override;
  vst3::tresult PLUGIN_API checkSizeConstraint(vst3::ViewRect* rect) override;

  // ---- IPlugViewContentScaleSupport ---------------------------------------------------------
  vst3::tresult PLUGIN_API setContentScaleFactor(ScaleFactor factor) override;

  // ---- the run loop's calls (Linux) ----------------------------------------------------------
  void PLUGIN_API onFDIsSet(vst3::Linux::FileDescriptor fd) override;
  void PLUGIN_API onTimer() override;

  // The editor asks the host for a window of width x height pixels; true
  // when the host resized it. While the host answers, getSize gives the new
  // size (hosts read it from within resizeView).
  bool RequestSize(int width, int height);

private:
  ~IVst3EditorView();
  // Stops the run loop's calls and lets it go.
  void LeaveRunLoop();

  vst3::RefCount mRefs;
  IEffectVST3* mOwner;                       // held with a reference
  vst3::IPlugFrame* mFrame = nullptr;        // held with a reference
  vst3::Linux::IRunLoop* mRunLoop = nullptr; // held with a reference while attached
  bool mAttached = false;
  bool mTimerRegistered = false;
  bool mHandlerRegistered = false;
  bool mResizing = false;  // within the frame's resizeView
  int mPendingWidth = 0;
  int mPendingHeight = 0;
};

// The platform type of this system's editor windows ("HWND",
// "X11EmbedWindowID"); one definition per platform folder.
const char* Vst3WindowType();

// The run loop the factory's host context offers, held by the factory
// (IVst3Factory.cpp); null when none. A new reference for the caller.
vst3::Linux::IRunLoop* Vst3ContextRunLoop();
