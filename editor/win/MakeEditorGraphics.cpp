#include "editor/EditorGraphics.h"
#include "editor/IGraphicsWindowless.h"

// Until the Windows window class exists the editor draws, but opens no
// window; its images come from the module's resources (SetModule).
IGraphics* MakeEditorGraphics(IEffectBase* plugin, int width, int height, int frameRate) {
  return new IGraphicsWindowless(plugin, width, height, frameRate);
}
