// Fonts without GDI: fontconfig finds a face for the style, FreeType renders
// its glyphs into the glyph scratch. There is no native string drawing: all
// text goes through the glyph cache.
#include "bitmap/posix/FreeTypeFont.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string>

#include "bitmap/GlyphSource.h"

namespace {

// One FreeType library for all faces, alive while any face is.
std::mutex gLibraryLock;
FT_Library gLibrary = nullptr;
int gFaceCount = 0;

// The default size of a font asked for with height 0.
constexpr int32_t kDefaultEmPixels = 12;
// Far beyond anything the glyph cache renders, and within FreeType's limits.
constexpr int32_t kMaxHeight = 1 << 14;

struct FreeTypeFace {
  FT_Face mFace = nullptr;
  int32_t mLineHeight = 0;  // cell height: ascent + descent
  int32_t mAscent = 0;      // baseline below the cell top
  FT_Int32 mLoadFlags = FT_LOAD_DEFAULT;
  FT_Render_Mode mRenderMode = FT_RENDER_MODE_NORMAL;
  bool mEmbolden = false;
  bool mOblique = false;
};

FT_Face NewFace(const char* path, int index) {
  std::lock_guard<std::mutex> lock(gLibraryLock);
  if (!gLibrary && FT_Init_FreeType(&gLibrary) != 0) {
    gLibrary = nullptr;
    return nullptr;
  }
  FT_Face face = nullptr;
  if (FT_New_Face(gLibrary, path, index, &face) != 0) face = nullptr;
  if (face && !FT_IS_SCALABLE(face)) {
    FT_Done_Face(face);
    face = nullptr;
  }
  if (face) {
    ++gFaceCount;
  } else if (gFaceCount == 0) {
    FT_Done_FreeType(gLibrary);
    gLibrary = nullptr;
  }
  return face;
}

void DoneFace(FT_Face face) {
  std::lock_guard<std::mutex> lock(gLibraryLock);
  FT_Done_Face(face);
  if (--gFaceCount == 0) {
    FT_Done_FreeType(gLibrary);
    gLibrary = nullptr;
  }
}

// Sizes the face the way Windows sizes a TrueType font of that height: the
// cell is the font's Windows ascent plus descent (usWinAscent, usWinDescent;
// the horizontal header's values when there is no OS/2 table). A positive
// height is the cell height, the em scaled to fit it; a negative height is
// the em height, the cell following from it.
bool SizeFace(FreeTypeFace* f, int32_t height) {
  FT_Face face = f->mFace;
  double ascent = face->ascender, descent = -face->descender;
  const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    ascent = os2->usWinAscent;
    descent = os2->usWinDescent;
  }
  const double units = face->units_per_EM > 0 ? face->units_per_EM : 2048;
  if (ascent + descent <= 0) {
    ascent = units * 0.8;
    descent = units * 0.2;
  }
  height = std::max(-kMaxHeight, std::min(height, kMaxHeight));
  double em;
  if (height > 0) {
    em = height * units / (ascent + descent);
    f->mAscent = static_cast<int32_t>(std::lround(ascent * height / (ascent + descent)));
    f->mLineHeight = height;
  } else {
    em = height < 0 ? -height : kDefaultEmPixels;
    f->mAscent = static_cast<int32_t>(std::lround(ascent * em / units));
    f->mLineHeight = f->mAscent + static_cast<int32_t>(std::lround(descent * em / units));
  }
  const FT_UInt pixels = static_cast<FT_UInt>(std::max<long>(1, std::lround(em)));
  return FT_Set_Pixel_Sizes(face, 0, pixels) == 0;
}

BM_FontHandle OpenFace(const char* path, int index, const BM_FontSpec& request, bool embolden, bool oblique) {
  FreeTypeFace* f = new FreeTypeFace;
  f->mFace = NewFace(path, index);
  if (!f->mFace || !SizeFace(f, request.height)) {
    if (f->mFace) DoneFace(f->mFace);
    delete f;
    return nullptr;
  }
  // Quality 3 asks for glyphs without antialiasing.
  if (request.quality == 3) {
    f->mLoadFlags = FT_LOAD_TARGET_MONO;
    f->mRenderMode = FT_RENDER_MODE_MONO;
  } else {
    f->mLoadFlags = FT_LOAD_TARGET_NORMAL;
    f->mRenderMode = FT_RENDER_MODE_NORMAL;
  }
  f->mEmbolden = embolden;
  f->mOblique = oblique;
  return f;
}

class FreeTypeGlyphSource : public BM_GlyphSource {
public:
  explicit FreeTypeGlyphSource(FreeTypeFace* face) : mFace(face) {}

  int32_t LineHeight(BM_IBitmap&) override { return mFace->mLineHeight; }

  void MeasureChar(BM_IBitmap&, uint16_t character, int32_t* advance, int32_t* height) override {
    *advance = 0;
    *height = mFace->mLineHeight;
    if (!Load(character)) return;
    *advance = static_cast<int32_t>((mFace->mFace->glyph->advance.x + 32) >> 6);
  }

  void DrawChar(BM_IBitmap& scratch, uint16_t character, int32_t, int32_t) override {
    FT_GlyphSlot slot = mFace->mFace->glyph;
    if (!Load(character)) return;
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, mFace->mRenderMode) != 0) return;
    mLoaded = -1;  // the slot now holds a bitmap, not the outline
    const FT_Bitmap& b = slot->bitmap;
    BM_Color32* bits = scratch.GetBits();
    if (!bits || !b.buffer) return;
    const int sw = scratch.GetWidth(), sh = scratch.GetHeight(), span = scratch.GetRowSpan();
    const int left = slot->bitmap_left, top = mFace->mAscent - slot->bitmap_top;
    const bool mono = b.pixel_mode == FT_PIXEL_MODE_MONO;
    if (!mono && b.pixel_mode != FT_PIXEL_MODE_GRAY) return;
    for (int row = 0; row < static_cast<int>(b.rows); ++row) {
      const int y = top + row;
      if (y < 0 || y >= sh) continue;
      const unsigned char* src = b.buffer + static_cast<ptrdiff_t>(row) * b.pitch;
      BM_Color32* dst = bits + static_cast<ptrdiff_t>(y) * span;
      for (int col = 0; col < static_cast<int>(b.width); ++col) {
        const int x = left + col;
        if (x < 0 || x >= sw) continue;
        unsigned v = mono ? ((src[col >> 3] >> (7 - (col & 7))) & 1) * 255u : src[col];
        if (!mono && b.num_grays > 1 && b.num_grays != 256) v = v * 255u / (b.num_grays - 1);
        // White ink on black, as a platform text renderer leaves it.
        dst[x] = v | (v << 8) | (v << 16);
      }
    }
  }

private:
  // Loads the character's outline into the face's slot, emboldened or
  // slanted where the face itself is not bold or italic.
  bool Load(uint16_t character) {
    if (mLoaded == character) return true;
    mLoaded = -1;
    FT_Face face = mFace->mFace;
    if (FT_Load_Char(face, character, mFace->mLoadFlags) != 0) return false;
    if (mFace->mEmbolden) FT_GlyphSlot_Embolden(face->glyph);
    if (mFace->mOblique) FT_GlyphSlot_Oblique(face->glyph);
    mLoaded = character;
    return true;
  }

  FreeTypeFace* mFace;
  int32_t mLoaded = -1;  // the character whose outline the slot holds
};

// Looks a face up by family, weight and slant; fontconfig answers with the
// closest installed face (for "Verdana" or "Arial" where they are absent, a
// sans face such as DejaVu Sans).
BM_FontHandle MatchFace(const char* family, const BM_FontSpec& request) {
  if (!FcInit()) return nullptr;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return nullptr;
  if (family[0]) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  const int weight = request.weight <= 0 ? 400 : std::min(request.weight, 1000);
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  const int32_t height = std::max(-kMaxHeight, std::min(request.height, kMaxHeight));
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, height == 0 ? kDefaultEmPixels : std::abs(height));
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return nullptr;

  BM_FontHandle handle = nullptr;
  FcChar8* file = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
    int index = 0, matchedWeight = FC_WEIGHT_REGULAR, matchedSlant = FC_SLANT_ROMAN;
    FcBool embolden = FcFalse;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &matchedWeight);
    FcPatternGetInteger(match, FC_SLANT, 0, &matchedSlant);
    FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
    const bool bold = weight >= 600 && (embolden || matchedWeight < FC_WEIGHT_DEMIBOLD);
    const bool slant = request.italic && matchedSlant == FC_SLANT_ROMAN;
    handle = OpenFace(reinterpret_cast<const char*>(file), index, request, bold, slant);
  }
  FcPatternDestroy(match);
  return handle;
}

}  // namespace

namespace bm {

BM_FontHandle OpenFontFile(const char* path, const BM_FontSpec& request) {
  if (!path) return nullptr;
  return OpenFace(path, 0, request, request.weight >= 600, request.italic);
}

BM_FontHandle CreateFontHandle(const BM_FontSpec& request) {
  const std::string family(request.face, strnlen(request.face, sizeof request.face));
  BM_FontHandle handle = MatchFace(family.c_str(), request);
  // A match that cannot be opened (a damaged or bitmap-only file) falls back
  // to the system's sans face.
  if (!handle) handle = MatchFace("sans-serif", request);
  return handle;
}

void DeleteFontHandle(BM_FontHandle font) {
  if (!font) return;
  FreeTypeFace* f = static_cast<FreeTypeFace*>(font);
  DoneFace(f->mFace);
  delete f;
}

BM_GlyphSource* MakeGlyphSource(BM_FontHandle font) {
  return font ? new FreeTypeGlyphSource(static_cast<FreeTypeFace*>(font)) : nullptr;
}

}  // namespace bm
