#pragma once
#include <string>

#include "bitmap/Bitmap.h"

namespace imagegen {

// Writes the bitmap as an 8-bit RGBA PNG, with nothing in the file but the
// pixels (no time stamp or text), so that the same pixels give the same bytes.
// False, with the reason printed, when the file cannot be written.
bool WritePng(BM_IBitmap& bitmap, const std::string& path);

}  // namespace imagegen
