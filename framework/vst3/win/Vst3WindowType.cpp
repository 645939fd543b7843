#include "framework/vst3/IVst3EditorView.h"

// The Windows editor opens its window as a child of an HWND.
const char* Vst3WindowType() { return vst3::kPlatformTypeHWND; }
