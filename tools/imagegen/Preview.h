#pragma once
#include <string>

#include "bitmap/Bitmap.h"
#include "bitmap/PngWrite.h"

// Review pictures of the images as the editor shows them: a few editor states
// composed with the editor's own blits and text layout, a 2x enlargement, and
// the bitmap font enlarged 4x.
namespace imagegen {

struct EditorImages {
  BM_IBitmap* background;
  BM_IBitmap* largeKnob;
  BM_IBitmap* smallKnob;
  BM_IBitmap* lamp;
  BM_IBitmap* glyphs;
};

// Writes the image as a PNG file; false, with the path printed, when it
// cannot be written.
bool WriteImage(BM_IBitmap& image, const std::string& path, const BM_PngEncoding& encoding = {});

// Writes FILE, FILE's name with "-2x" before the extension and "-font-4x".
bool WritePreviews(const EditorImages& images, const std::string& file);

}  // namespace imagegen
