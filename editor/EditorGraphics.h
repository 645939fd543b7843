#pragma once
// The editor's graphics object of the platform the library is built for: the
// window class where the platform has one, a windowless editor otherwise (no
// window opens, so hosts are told the editor cannot open). One
// implementation per platform folder, chosen by the build.
#include "editor/IGraphics.h"

// Makes a graphics object of width x height pixels, redrawn frameRate times a
// second, for the plug-in. The caller owns it until it is attached to the
// plug-in; the module handle is set afterwards (SetModule).
IGraphics* MakeEditorGraphics(IEffectBase* plugin, int width, int height, int frameRate);

// The signature of MakeEditorGraphics, for plug-ins that let a test or a tool
// choose the editor's graphics object.
typedef IGraphics* (*EditorGraphicsMaker)(IEffectBase* plugin, int width, int height, int frameRate);
