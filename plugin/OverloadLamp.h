#pragma once
#include "editor/IControls.h"

class Morvane;

// The overload lamp: a two-frame image (dark, lit) over the background's lamp,
// drawn at every refresh of the editor from the signal path's lamp value.
// Each drawing also clears the output peaks the signal path holds, so they
// span one refresh interval. Bound to no parameter.
class MyIBitmapControl : public IBitmapControl {
public:
  // Placed at the layout's lamp (plugin/EditorLayout.h), one frame of the
  // image in size.
  MyIBitmapControl(Morvane* plugin, const IBitmapRef& bitmap);
  ~MyIBitmapControl() override;

  // [ui] Shows the lit frame while the lamp value is 1.0 or more, marks itself
  // dirty for the next refresh and clears the held peaks. Reads the signal
  // path without the instance lock.
  bool Draw(IGraphics* graphics) override;

private:
  Morvane* mMorvane;  // not owned
};
