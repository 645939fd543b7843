#include "editor/EditorGraphics.h"
#include "editor/x11/IGraphicsX11.h"

// The editor's window on Linux; its images come from the library itself
// (compiled in), whatever the module handle.
IGraphics* MakeEditorGraphics(IEffectBase* plugin, int width, int height, int frameRate) {
  return new IGraphicsX11(plugin, width, height, frameRate);
}
