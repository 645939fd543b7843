#pragma once
#include <string>

#include "bitmap/Bitmap.h"
#include "bitmap/PngWrite.h"

// Review pictures of the images of one scale as the editor shows them: a few
// editor states composed with the editor's own blits and text layout over the
// scaled layout, a 2x enlargement, and the bitmap font enlarged 4x.
namespace imagegen {

struct PixelFont;

struct EditorImages {
  int percent;
  const PixelFont* font;
  BM_IBitmap* background;
  BM_IBitmap* largeKnob;
  BM_IBitmap* smallKnob;
  BM_IBitmap* lamp;
  BM_IBitmap* glyphs;
};

// Writes the image as a PNG file; false, with the path printed, when it
// cannot be written.
bool WriteImage(BM_IBitmap& image, const std::string& path, const BM_PngEncoding& encoding = {});

// Writes FILE, FILE's name with "-2x" before the extension and "-font-4x";
// at another scale than 100 % "@<percent>" comes first: preview@150-2x.png.
bool WritePreviews(const EditorImages& images, const std::string& file);

}  // namespace imagegen
