#pragma once
// The LV2 UI side of the adapter: the plug-in's editor as an X11 UI in a
// binary of its own. The UI holds a plug-in object of its own, made with its
// editor (CreateLv2UiEffect), and talks to the plug-in instance only through
// the host's port protocol:
//   - a gesture on the editor writes the parameter's control input (plain
//     units) with the host's write function, between ui:touch grabbed and
//     released when the host offers ui:touch;
//   - port events set the parameter's plain value, apply it and tell the
//     editor, or show a meter's value (ShowLv2Meter).
//
// The host's sequence, all on its user-interface thread:
//   1. instantiate: needs ui:parent (the X11 window to open in). Takes
//      urid:map and opts:options (ui:scaleFactor, given to the editor before
//      its window opens), ui:resize (told the editor's size once open, and
//      asked for each new size the editor wants) and ui:touch when offered.
//      The editor's window (its own display connection) is the widget.
//   2. port_event per control port change; idle (ui:idleInterface) at the
//      host's pace: the editor handles its events and redraws; it answers 0
//      always, as the window lives in the host's and the host closes the UI.
//   3. cleanup: the window closes and the object is deleted.
#include <lv2/ui/ui.h>

class IEffectBase;

// What the UI's plug-in object calls instead of a VST2 host. [ui]
class ILv2UiHost {
public:
  virtual ~ILv2UiHost() = default;
  // A gesture on the parameter begins or ends (ui:touch; nothing without it).
  virtual void BeginEdit(int paramIdx) = 0;
  virtual void EndEdit(int paramIdx) = 0;
  // Writes the parameter's control input with its plain value.
  virtual void WriteParam(int paramIdx, double plainValue) = 0;
  // Asks for a window of width x height pixels (ui:resize); true when the
  // host took the size.
  virtual bool RequestSize(int width, int height) = 0;
};

// The descriptor lv2ui_descriptor hands out. [any thread]
const LV2UI_Descriptor* Lv2UiDescriptor();

// Defined by the plug-in: the UI's plug-in object with its editor attached,
// whose host-facing slots (BeginHostEdit, NotifyHostOfParam, EndHostEdit,
// RequestEditorSize) go to host; null when it cannot be made. host outlives
// the object. [ui]
IEffectBase* CreateLv2UiEffect(ILv2UiHost* host);
// Defined by the plug-in: shows a meter's value (from its control output) in
// the editor. [ui]
void ShowLv2Meter(IEffectBase* effect, int meter, float value);
