#pragma once
#include "bitmap/Font.h"

namespace bm {

// Opens face 0 of a font file at the request's height (the same pixel height as
// a Windows font of that height: positive is the cell height with internal
// leading, negative the em height), synthesising bold and slant when the request
// asks for them. No font matching takes place. Null when the file cannot be
// opened as a scalable font. Delete with DeleteFontHandle.
BM_FontHandle OpenFontFile(const char* path, const BM_FontSpec& request);

}  // namespace bm
