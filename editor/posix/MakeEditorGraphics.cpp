#include "editor/EditorGraphics.h"
#include "editor/IGraphicsWindowless.h"

// No window class on this platform yet: the editor draws, but opens no window.
IGraphics* MakeEditorGraphics(IEffectBase* plugin, int width, int height, int frameRate) {
  return new IGraphicsWindowless(plugin, width, height, frameRate);
}
