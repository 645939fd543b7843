#include "framework/vst3/IVst3EditorView.h"

// The Linux editor opens its window as a child of an X11 window id.
const char* Vst3WindowType() { return vst3::kPlatformTypeX11EmbedWindowID; }
