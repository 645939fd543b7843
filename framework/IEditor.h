#pragma once
// What a plug-in base needs from its editor, and nothing more. The plug-in
// makes the editor (editor/IGraphics.h implements this interface), hands it
// to the base with AttachEditor, and the base owns it from then on and
// deletes it with itself. Thread tags: framework/ThreadTags.h.
//
// The host calls OpenWindow, CloseWindow and Idle without the instance lock
// (the audio thread must not wait for the window system), possibly from
// different user-interface threads at once: the editor keeps its own state
// safe for that, and holds no lock of its own across a call into the host.
class IEditor {
public:
  IEditor() = default;
  IEditor(const IEditor&) = delete;
  IEditor& operator=(const IEditor&) = delete;
  virtual ~IEditor() = default;

  // [ui] Opens the editor as a child of the host's window (an HWND on
  // Windows, an X11 window id on Linux, passed as a pointer). The editor's
  // own window, or null when none could be opened.
  virtual void* OpenWindow(void* parentWindow) = 0;
  // [ui] Closes the window, if one is open; the editor keeps its controls,
  // images and values for the next opening.
  virtual void CloseWindow() = 0;
  // [ui] The host's regular idle call while the window is open: a window
  // without a timer of its own handles its events and redraws here.
  virtual void Idle() = 0;
  // [ui] The size of the editor's window in pixels, at its scale.
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // [ui] The host's content scale (1.0 for 100 %), from the host's own
  // message (a VST2 vendor request, LV2's ui:scaleFactor, VST3's content
  // scale). Unless the user chose a size, the editor takes the nearest of its
  // sizes; absurd values (not a number, 0 or less, beyond 8) are ignored. An
  // open editor whose size changes asks the host first
  // (IEffectBase::RequestEditorSize) and keeps its size when the host
  // refuses.
  virtual void SetHostScale(double scale) = 0;
  // [ui] A file descriptor that turns readable whenever the open window has
  // events waiting for Idle (the Linux window's X connection), or -1: no
  // window is open, or its events need no idle call. A host's run loop
  // watches it and calls Idle when it is readable.
  virtual int EventDescriptor() const { return -1; }
  // [any thread, instance lock held] A parameter's normalised value (0..1)
  // changed: from the host, a preset, a state chunk or the editor itself.
  virtual void ParamValueChanged(int paramIdx, double normalizedValue) = 0;
};
