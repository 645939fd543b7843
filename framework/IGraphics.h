#pragma once
// The editor's graphics object as the plug-in framework sees it. The editor
// library supplies the implementation (controls, drawing, the platform
// window); the plug-in base owns the object once it is attached and deletes it
// with itself. All calls come from the host's user-interface thread, except
// ShowParamInEditor and ApplyParamToControls, which the host's parameter calls
// reach with the instance lock held.
class IGraphics {
public:
  virtual ~IGraphics() = default;

  virtual int Width() const = 0;
  virtual int Height() const = 0;

  // The plug-in or the host tells the editor a parameter's value: normalised
  // (0..1) or plain (normalised by the parameter first).
  virtual void ShowParamInEditor(int paramIdx, double value, bool normalized) = 0;
  // Pushes a normalised value into every control bound to the parameter
  // (and the first auxiliary binding naming it), in control order.
  virtual void ApplyParamToControls(int paramIdx, double normalizedValue) = 0;
  // Creates the drawing surfaces at the editor's size.
  virtual void PrepareDrawing() = 0;

  // Opens the editor as a child of the host's window; returns the new window,
  // or null. Closing does nothing when no window is open.
  virtual void* OpenWindow(void* parentWindow) = 0;
  virtual void CloseWindow() = 0;
};
