#include "editor/EditorGraphics.h"
#include "editor/win/IGraphicsWin.h"

IGraphics* MakeEditorGraphics(IEffectBase* plugin, int width, int height, int frameRate) {
  return new IGraphicsWin(plugin, width, height, frameRate);
}
