#include "bitmap/Font.h"

// Until the glyph-caching font exists no system font can be made: system text
// draws nothing.
BM_IFont* BM_MakeCachedFont(const BM_FontSpec& /*spec*/) { return nullptr; }
