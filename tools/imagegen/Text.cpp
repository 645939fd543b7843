#include "tools/imagegen/Text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>

namespace imagegen {

struct Typeface::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

std::unique_ptr<Typeface> Typeface::Open(const std::string& path) {
  auto* impl = new Impl;
  if (FT_Init_FreeType(&impl->library) != 0) {
    std::fprintf(stderr, "imagegen: FreeType did not start\n");
    delete impl;
    return nullptr;
  }
  if (FT_New_Face(impl->library, path.c_str(), 0, &impl->face) != 0) {
    std::fprintf(stderr, "imagegen: cannot open the font %s\n", path.c_str());
    FT_Done_FreeType(impl->library);
    delete impl;
    return nullptr;
  }
  return std::unique_ptr<Typeface>(new Typeface(impl));
}

Typeface::~Typeface() {
  FT_Done_Face(mImpl->face);
  FT_Done_FreeType(mImpl->library);
  delete mImpl;
}

float Typeface::Measure(const std::string& text, float size, float tracking) const {
  FT_Face face = mImpl->face;
  FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(size * 64)), 72, 72);
  float width = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const FT_UInt index = FT_Get_Char_Index(face, static_cast<unsigned char>(text[i]));
    if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP) != 0) continue;
    width += face->glyph->linearHoriAdvance / 65536.0f;
    if (i + 1 < text.size()) width += tracking;
  }
  return width;
}

void Typeface::Draw(Canvas& canvas, const std::string& text, float size, float x, float baseline,
                    const Colour& colour, float tracking) const {
  FT_Face face = mImpl->face;
  FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(size * 64)), 72, 72);
  const int base = static_cast<int>(std::lround(baseline));
  float pen = x;
  for (char ch : text) {
    const FT_UInt index = FT_Get_Char_Index(face, static_cast<unsigned char>(ch));
    const int whole = static_cast<int>(std::floor(pen));
    FT_Vector delta = {static_cast<FT_Pos>(std::lround((pen - whole) * 64)), 0};
    FT_Set_Transform(face, nullptr, &delta);
    if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP) == 0 &&
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0) {
      const FT_GlyphSlot slot = face->glyph;
      const FT_Bitmap& bm = slot->bitmap;
      for (unsigned row = 0; row < bm.rows; ++row) {
        const int py = base - slot->bitmap_top + static_cast<int>(row);
        if (py < 0 || py >= canvas.Height()) continue;
        for (unsigned col = 0; col < bm.width; ++col) {
          const int px = whole + slot->bitmap_left + static_cast<int>(col);
          if (px < 0 || px >= canvas.Width()) continue;
          const float cover = bm.buffer[row * bm.pitch + col] / 255.0f;
          const float a = cover * colour.a;
          if (a <= 0) continue;
          float* p = canvas.At(px, py);
          p[0] = colour.r * a + p[0] * (1 - a);
          p[1] = colour.g * a + p[1] * (1 - a);
          p[2] = colour.b * a + p[2] * (1 - a);
          p[3] = a + p[3] * (1 - a);
        }
      }
      pen += slot->linearHoriAdvance / 65536.0f + tracking;
    }
  }
  FT_Set_Transform(face, nullptr, nullptr);
}

void Typeface::DrawCentred(Canvas& canvas, const std::string& text, float size, float x, float baseline,
                           const Colour& colour, float tracking) const {
  Draw(canvas, text, size, x - Measure(text, size, tracking) * 0.5f, baseline, colour, tracking);
}

}  // namespace imagegen
