#pragma once
// The small value types every part of the editor shares: rectangles,
// colours, blends, text styles, images with their frame layout and the
// buttons and keys of a mouse event. Plain records, copied by value.
#include <cstdint>

class BM_IBitmap;
class BM_IFont;

// A rectangle in editor pixels, origin top left; right and bottom exclusive.
// A point is inside when left <= x < right and top <= y < bottom. A rectangle
// is empty only when all four fields are 0: one with right <= left but some
// field non-zero is not empty.
struct IBounds {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  IBounds() = default;
  IBounds(int32_t l, int32_t t, int32_t r, int32_t b) : left(l), top(t), right(r), bottom(b) {}

  bool Empty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  bool Contains(int32_t x, int32_t y) const { return left <= x && x < right && top <= y && y < bottom; }
  int32_t W() const { return right - left; }
  int32_t H() const { return bottom - top; }
};

inline bool operator==(const IBounds& a, const IBounds& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const IBounds& a, const IBounds& b) { return !(a == b); }

// Whether a and b overlap. Not symmetric at the edges: touching on a's right
// or bottom edge counts, touching on its left or top edge does not.
inline bool Intersects(const IBounds& a, const IBounds& b) {
  return !a.Empty() && !b.Empty() && a.right >= b.left && a.left < b.right && a.bottom >= b.top &&
         a.top < b.bottom;
}

// The overlap of a and b when Intersects(a, b), else the empty rectangle.
inline IBounds Intersection(const IBounds& a, const IBounds& b) {
  if (!Intersects(a, b)) return IBounds();
  return IBounds(a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
                 a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom);
}

// The smallest rectangle holding both; an empty one adds nothing.
inline IBounds Union(const IBounds& a, const IBounds& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return IBounds(a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
                 a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom);
}

// A colour, each channel 0..255.
struct IColorValue {
  int32_t alpha = 255;
  int32_t red = 0;
  int32_t green = 0;
  int32_t blue = 0;

  IColorValue() = default;
  IColorValue(int32_t a, int32_t r, int32_t g, int32_t b) : alpha(a), red(r), green(g), blue(b) {}

  // The bitmap library's pixel: alpha << 24 | red << 16 | green << 8 | blue.
  uint32_t ToColor32() const {
    return (static_cast<uint32_t>(alpha & 0xFF) << 24) | (static_cast<uint32_t>(red & 0xFF) << 16) |
           (static_cast<uint32_t>(green & 0xFF) << 8) | static_cast<uint32_t>(blue & 0xFF);
  }
  // A Windows colour reference: red | green << 8 | blue << 16, alpha dropped.
  uint32_t ToColorRef() const {
    return static_cast<uint32_t>(red & 0xFF) | (static_cast<uint32_t>(green & 0xFF) << 8) |
           (static_cast<uint32_t>(blue & 0xFF) << 16);
  }
};

// How an image is drawn: the method selects the blit mode, any value not
// listed counts as kBlendDefault. The weight goes to the blitter unchanged.
enum EBlendMethod : int32_t {
  kBlendDefault = 0,  // copy weighted by the source's alpha
  kBlendCopy = 1,     // plain copy, the source's alpha ignored
  kBlendAdd = 2,      // add, weighted by the source's alpha
  kBlendDodge = 3,    // dodge, weighted by the source's alpha
};

struct IBlend {
  EBlendMethod method = kBlendDefault;
  float weight = 1.0f;

  IBlend() = default;
  IBlend(EBlendMethod m, float w) : method(m), weight(w) {}
};

// The blit mode of a blend; a null blend is kBlendDefault at weight 1.0.
int32_t BlendMode(const IBlend* blend);

enum ETextWeight : int32_t { kTextNormal = 0, kTextBold = 1, kTextItalic = 2 };
enum ETextAlign : int32_t { kAlignLeft = 0, kAlignCenter = 1, kAlignRight = 2 };
enum ETextQuality : int32_t {
  kQualityDefault = 0,
  kQualityNonAntialiased = 1,
  kQualityAntialiased = 2,
  kQualityClearType = 3,
};

// A text's look. Only the alignment matters to bitmap fonts; system-font text
// uses all of it. cachedFont is filled in the first time the style is drawn
// and belongs to the process-wide font cache.
struct ITextStyle {
  char font[32] = "Verdana";   // face name, NUL-terminated
  int32_t size = 12;           // pixel height
  IColorValue color{255, 0, 0, 0};
  IColorValue entryBackground{255, 255, 255, 255};  // the text-entry box
  IColorValue entryForeground{255, 0, 0, 0};
  ETextWeight style = kTextNormal;
  ETextAlign align = kAlignCenter;
  int32_t orientation = 0;     // degrees counter-clockwise
  ETextQuality quality = kQualityDefault;
  BM_IFont* cachedFont = nullptr;
};

// An image of the plug-in's module with its frame layout: frames images of
// width / frames x height side by side, or width x height / frames stacked
// top to bottom. The size is the image's at 100 %, read from its file's
// header; the pixels are decoded, for the scale the editor is drawn at, the
// first time it is drawn (IGraphics keeps them in its process-wide cache).
// An image that could not be found has no size and draws nothing.
struct IBitmapRef {
  int32_t id = 0;              // the resource id at 100 %
  const char* name = nullptr;  // its file name (static text), whose extension chooses the decoder
  int32_t width = 0;
  int32_t height = 0;
  int32_t frames = 1;
  bool framesHorizontal = false;

  bool Exists() const { return width > 0 && height > 0; }
  int32_t FrameWidth() const { return framesHorizontal && frames > 0 ? width / frames : width; }
  int32_t FrameHeight() const { return !framesHorizontal && frames > 0 ? height / frames : height; }
};

// Buttons and keys held during a mouse event.
struct IModifiers {
  bool left = false;
  bool right = false;
  bool shift = false;
  bool control = false;
  bool alt = false;
};

// The key codes controls receive (OnKeyDown): space, the four arrows, the
// digits 0..9 as kKeyDigit0 + n and the letters as kKeyLetterA + n (upper
// and lower case alike).
enum EKey : int32_t {
  kKeySpace = 0,
  kKeyUp = 1,
  kKeyDown = 2,
  kKeyLeft = 3,
  kKeyRight = 4,
  kKeyDigit0 = 5,    // to 14 for '9'
  kKeyLetterA = 15,  // to 40 for 'Z'
};
