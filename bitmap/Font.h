#pragma once
#include <cstdint>
#include "bitmap/Bitmap.h"

// A platform font handle: an HFONT on Windows, the glyph source's face object
// elsewhere; null for none.
typedef void* BM_FontHandle;

// Font flags (SetSystemFont).
constexpr uint32_t FONT_VERTICAL = 0x1;         // glyphs turned 90 degrees, the pen advances downward
constexpr uint32_t FONT_VERTICAL_UP = 0x2;      // with FONT_VERTICAL: the other turn, the pen advances upward
constexpr uint32_t FONT_ASCII_ONLY = 0x4;       // codes 0..127 rendered up front, no others ever
constexpr uint32_t FONT_SOFTEN = 0x10;          // glyphs blurred a little before the mask is taken
constexpr uint32_t FONT_INVERT = 0x20;          // masks inverted
constexpr uint32_t FONT_MONO = 0x40;            // masks thresholded to 0 or 255
constexpr uint32_t FONT_SHADOW = 0x80;          // thresholded, with effect pixels right of and below ink
constexpr uint32_t FONT_OUTLINE = 0x100;        // thresholded, with effect pixels around ink
constexpr uint32_t FONT_OWNS_HFONT = 0x200;     // the font deletes its platform handle
constexpr uint32_t FONT_NATIVE = 0x400;         // the platform may draw whole strings itself

// Text flags (DrawString): the platform's text format values, which the native
// path passes on, plus two of the library's own in the top bits.
constexpr uint32_t BM_DT_CENTER = 0x1;
constexpr uint32_t BM_DT_RIGHT = 0x2;
constexpr uint32_t BM_DT_VCENTER = 0x4;
constexpr uint32_t BM_DT_BOTTOM = 0x8;
constexpr uint32_t BM_DT_SINGLELINE = 0x20;
constexpr uint32_t BM_DT_NOCLIP = 0x100;
constexpr uint32_t BM_DT_CALCRECT = 0x400;
constexpr uint32_t BM_DT_NOPREFIX = 0x800;
constexpr uint32_t TEXT_USE_FORE_ALPHA = 0x40000000;  // weight x the text colour's alpha / 255; glyph cache only
constexpr uint32_t TEXT_NO_NATIVE = 0x80000000;       // glyph cache only

// The QueryExtension code (the characters Y, U, V, x) by which a bitmap that
// answers non-zero asks for text through the glyph cache only.
constexpr int32_t BM_EXT_CACHED_TEXT_ONLY = 0x59555678;

// The font interface the editor draws and measures text through. Colours are
// BM_Color32 values. Fonts have no locks: [ui] thread only.
class BM_IFont {
public:
  virtual ~BM_IFont() {}                                                    // 0
  // Takes a platform font handle and the font flags (FONT_* above).
  virtual void SetSystemFont(BM_FontHandle font, uint32_t flags) = 0;      // 1
  // The setters return the previous value.
  virtual BM_Color32 SetForeColor(BM_Color32 colour) = 0;                  // 2
  virtual BM_Color32 SetBackColor(BM_Color32 colour) = 0;                  // 3
  virtual BM_Color32 SetEffectColor(BM_Color32 colour) = 0;                // 4
  virtual int32_t SetBackMode(int32_t mode) = 0;                           // 5  1 transparent, 2 opaque
  virtual void SetCombineMode(int32_t mode, float weight) = 0;             // 6  BM_BlitRect mode and weight
  // Draws UTF-8 text (byteCount < 0: up to the NUL; 0: nothing) into rect
  // (left, top, right, bottom), or measures it into rect with the measuring
  // flag; returns the height drawn or measured, 0 when nothing was.
  virtual int32_t DrawString(BM_IBitmap* bitmap, const char* text, int32_t byteCount, int32_t* rect,
                             uint32_t textFlags) = 0;                       // 7
  virtual BM_Color32 GetForeColor() const = 0;                             // 8
  virtual BM_FontHandle GetSystemFont() const = 0;                         // 9
  virtual int32_t GetLineHeight() const = 0;                               // 10
};

// What the editor asks a font to be made of.
struct BM_FontSpec {
  char face[32] = "";       // face name, NUL-terminated
  int32_t height = 0;       // pixel height
  int32_t weight = 400;     // 400 normal, 700 bold
  bool italic = false;
  int32_t escapement = 0;   // tenths of a degree, counter-clockwise
  int32_t quality = 0;      // 0 default, 3 not antialiased, 4 antialiased, 5 ClearType
};

// Makes a cached font for the request with a platform font of its own (the font
// owns the handle and may draw natively). Null when the platform cannot make
// the font; the caller owns the result.
BM_IFont* BM_MakeCachedFont(const BM_FontSpec& request);
