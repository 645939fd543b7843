#pragma once
#include <cstdint>
#include "bitmap/Bitmap.h"

// A platform font handle: an HFONT on Windows, the glyph source's face object
// elsewhere; null for none.
typedef void* BM_FontHandle;

// The font interface the editor draws and measures text through. Colours are
// BM_Color32 values. Fonts have no locks: [ui] thread only.
class BM_IFont {
public:
  virtual ~BM_IFont() {}                                                    // 0
  // Takes a platform font handle and the font flags (FONT_* of CachedFont.h).
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

// Makes a cached font for the spec with a platform font of its own (the font
// owns the handle and may draw natively). Null when the platform cannot make
// the font; the caller owns the result.
BM_IFont* BM_MakeCachedFont(const BM_FontSpec& spec);
