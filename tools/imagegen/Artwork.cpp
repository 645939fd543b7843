#include "tools/imagegen/Artwork.h"

#include <cmath>
#include <cstdio>

#include "bitmap/Blit.h"
#include "tools/imagegen/Canvas.h"
#include "tools/imagegen/PixelFont.h"

namespace imagegen {

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kSweep = 135.0f;  // degrees either side of 12 o'clock

// The palette.
const Colour kPanelTop = Hex(0x2C2F35);
const Colour kPanelBottom = Hex(0x1E2024);
const Colour kWell = Hex(0x17191C);
const Colour kAccent = Hex(0x3FC7E4);
const Colour kAccentDeep = Hex(0x1E8FB4);
const Colour kLabel = Hex(0xC3C8CF);
const Colour kLabelDim = Hex(0x7D838C);
const Colour kTrack = Hex(0x0B0C0E);

struct Point {
  float x, y;
};

// The point at radius r and angle degrees (clockwise from 12 o'clock) around (cx, cy).
Point Polar(float cx, float cy, float r, float degrees) {
  const float a = degrees * (kPi / 180.0f);
  return {cx + r * std::sin(a), cy - r * std::cos(a)};
}

// The angle of (x, y) around (cx, cy), clockwise from 12 o'clock, in degrees.
float AngleAt(float cx, float cy, float x, float y) { return std::atan2(x - cx, cy - y) * (180.0f / kPi); }

std::unique_ptr<BM_MemBitmap> ToBitmap(const Canvas& canvas) {
  auto bitmap = std::make_unique<BM_MemBitmap>(canvas.Width(), canvas.Height());
  canvas.CopyTo(*bitmap, 0, 0);
  return bitmap;
}

// Proportions of a knob, in pixels of its frame.
struct KnobStyle {
  float size;           // frame width and height
  float trackRadius;    // centre line of the value ring
  float trackWidth;
  float bodyRadius;     // outer edge of the knob
  float capRadius;      // the top face
  float pointerFrom, pointerTo, pointerWidth;
  float shadowDrop, shadowSigma;
  float glowSigma;
  int ridges;           // grip ridges around the skirt
  bool bipolar;         // the value ring starts at 12 o'clock
  int clearRows;        // top rows left transparent
};

// At 100 %; clearRows there is where the value texts overlap the large knobs.
const KnobStyle kLargeStyle = {140, 58.0f, 4.5f, 45.5f, 36.0f, 15.0f, 32.5f, 3.4f, 4.0f, 4.5f, 2.6f, 48, true, 4};
const KnobStyle kSmallStyle = {48, 20.5f, 3.0f, 15.0f, 11.5f, 4.0f, 10.5f, 2.2f, 1.8f, 1.8f, 1.4f, 24, false, 0};

// The style at a scale: the frame and the rows the value texts cover follow
// the scaled layout, every other length grows by the scale.
KnobStyle ScaledStyle(const KnobStyle& s, double scale) {
  const float k = static_cast<float>(scale);
  KnobStyle out = s;
  out.size = static_cast<float>(layout::ScaledLength(static_cast<int>(s.size), scale));
  for (float* v : {&out.trackRadius, &out.trackWidth, &out.bodyRadius, &out.capRadius, &out.pointerFrom,
                   &out.pointerTo, &out.pointerWidth, &out.shadowDrop, &out.shadowSigma, &out.glowSigma})
    *v *= k;
  if (s.clearRows > 0)
    out.clearRows = layout::ScaledRect(kValueTexts[0], scale).bottom - layout::ScaledRect(kLargeKnobs[0], scale).top;
  return out;
}

// s is already scaled; k scales the few lengths written into the drawing.
void DrawKnob(Canvas& c, const KnobStyle& s, float k, float angle) {
  const float cx = s.size * 0.5f, cy = s.size * 0.5f;

  // The value ring: a groove over the whole travel, lit from the start of the
  // travel (or from 12 o'clock) to the pointer.
  c.Fill(Arc(cx, cy, s.trackRadius, s.trackWidth + 1.0f * k, -kSweep, kSweep, true), Hex(0x000000, 0.35f));
  c.Fill(Arc(cx, cy, s.trackRadius, s.trackWidth, -kSweep, kSweep, true), kTrack);
  const float from = s.bipolar ? std::fmin(0.0f, angle) : -kSweep;
  const float to = s.bipolar ? std::fmax(0.0f, angle) : angle;
  if (to - from > 0.5f) {
    const Shape lit = Arc(cx, cy, s.trackRadius, s.trackWidth - 0.6f * k, from, to, true);
    c.Shadow(lit, WithAlpha(kAccent, 0.55f), s.glowSigma);
    c.Fill(lit, Linear(0, cy - s.trackRadius, 0, cy + s.trackRadius, {{0.0f, Hex(0x7FE3F7)}, {1.0f, kAccent}}));
  }
  if (s.bipolar) {
    // The centre mark, visible while the ring is dark there.
    const Point top = Polar(cx, cy, s.trackRadius, 0);
    c.Fill(Circle(top.x, top.y, 1.1f * k), Hex(0x5A616B));
  }

  // The knob: shadow, ribbed skirt, brushed cap, pointer.
  c.Shadow(Circle(cx, cy + s.shadowDrop, s.bodyRadius), Hex(0x000000, 0.75f), s.shadowSigma);
  const Shape body = Circle(cx, cy, s.bodyRadius);
  c.Fill(body, Linear(0, cy - s.bodyRadius, 0, cy + s.bodyRadius,
                      {{0.0f, Hex(0x585E67)}, {0.5f, Hex(0x30343A)}, {1.0f, Hex(0x16181B)}}));
  const int ridges = s.ridges;
  c.Fill(Ring(cx, cy, s.capRadius, s.bodyRadius - 0.8f * k), [=](float x, float y) {
    const float phase = (AngleAt(cx, cy, x, y) - angle) * (kPi / 180.0f) * ridges;
    const float v = std::cos(phase);
    return v > 0 ? Hex(0xFFFFFF, 0.07f * v) : Hex(0x000000, -0.22f * v);
  });
  // Edge light on the skirt's upper rim.
  c.Fill(Ring(cx, cy, s.bodyRadius - 1.0f * k, s.bodyRadius),
         Linear(0, cy - s.bodyRadius, 0, cy + s.bodyRadius * 0.3f,
                {{0.0f, Hex(0xFFFFFF, 0.28f)}, {1.0f, Hex(0xFFFFFF, 0.0f)}}));
  // The cap, with a soft drop onto the skirt and the sheen of turned metal:
  // the light catches it at two opposite angles.
  c.Shadow(Circle(cx, cy + 1.0f * k, s.capRadius), Hex(0x000000, 0.55f), s.size * 0.012f + 0.6f * k);
  const float capR = s.capRadius;
  c.Fill(Circle(cx, cy, capR), [=](float x, float y) {
    const float t = (y - (cy - capR)) / (2 * capR);
    Colour base = Mix(Hex(0x4A4F57), Hex(0x25282D), t);
    const float a = AngleAt(cx, cy, x, y) * (kPi / 180.0f);
    const float sheen = 0.5f + 0.5f * std::cos(2 * (a + 0.55f));
    const float lift = 0.10f * sheen * sheen;
    base.r += lift;
    base.g += lift;
    base.b += lift;
    return base;
  });
  c.Fill(Ring(cx, cy, capR - 0.9f * k, capR),
         Linear(0, cy - capR, 0, cy + capR,
                {{0.0f, Hex(0xFFFFFF, 0.35f)}, {0.55f, Hex(0xFFFFFF, 0.04f)}, {1.0f, Hex(0x000000, 0.3f)}}));

  const Point a = Polar(cx, cy, s.pointerFrom, angle), b = Polar(cx, cy, s.pointerTo, angle);
  const Shape pointer = Capsule(a.x, a.y, b.x, b.y, s.pointerWidth);
  c.Shadow(Offset(pointer, 0, 0.8f * k), Hex(0x000000, 0.6f), 0.9f * k);
  c.Fill(pointer, Hex(0xF2F4F7));
}

std::unique_ptr<BM_MemBitmap> MakeKnobStrip(const KnobStyle& unscaled, double scale) {
  const KnobStyle style = ScaledStyle(unscaled, scale);
  const int size = static_cast<int>(style.size);
  auto strip = std::make_unique<BM_MemBitmap>(size, size * kKnobFrames);
  for (int frame = 1; frame <= kKnobFrames; ++frame) {
    Canvas c(size, size);
    DrawKnob(c, style, static_cast<float>(scale), KnobAngle(frame));
    const float clear = static_cast<float>(style.clearRows);
    if (clear > 0) c.Clip([=](float, float y) { return clear - y; });
    c.CopyTo(*strip, 0, size * (frame - 1));
  }
  return strip;
}

}  // namespace

float KnobAngle(int frame) {
  const int middle = kKnobFrames / 2 + 1;
  if (frame <= middle) return -kSweep + kSweep * static_cast<float>(frame - 1) / (middle - 1);
  return kSweep * static_cast<float>(frame - middle) / (kKnobFrames - middle);
}

bool LoadTypefaces(const std::string& folder, Typefaces& faces) {
  faces.text = Typeface::Open(folder + "/Inter-Medium.otf");
  faces.strong = Typeface::Open(folder + "/Inter-SemiBold.otf");
  faces.display = Typeface::Open(folder + "/InterDisplay-Bold.otf");
  return faces.text && faces.strong && faces.display;
}

std::unique_ptr<BM_MemBitmap> MakeBackground(const Typefaces& faces, double scale) {
  // Lengths of the drawing grow by the scale (L); coordinates that must stay
  // on whole pixels, and the layout's rectangles, scale by the layout's
  // rounding (E, R). The plates are centred on their scaled rectangles, so
  // that they stay sharp where the 100 % centre falls between pixels.
  const float k = static_cast<float>(scale);
  const auto L = [k](float v) { return v * k; };
  const auto E = [scale](int v) { return static_cast<float>(layout::ScaledLength(v, scale)); };
  const auto R = [scale](const Rect& r) { return layout::ScaledRect(r, scale); };

  Canvas c(layout::ScaledLength(kEditorWidth, scale), layout::ScaledLength(kEditorHeight, scale));
  const float w = static_cast<float>(c.Width()), h = static_cast<float>(c.Height());

  // Panel: a dark, slightly grained face, lit from above.
  c.Flood(Linear(0, 0, 0, h, {{0.0f, kPanelTop}, {1.0f, kPanelBottom}}));
  c.Grain(0.010f, 1);
  c.Fill(Subtract(RoundRect(0, 0, w, h, 0), RoundRect(0, E(1), w, h, 0)), Hex(0xFFFFFF, 0.10f));

  // Recessed wells: the Attack section, the Sustain section and the output section.
  const Shape wells[] = {RoundRect(E(14), E(12), E(202), E(288), L(9)), RoundRect(E(373), E(12), E(561), E(288), L(9)),
                         RoundRect(E(209), E(204), E(366), E(288), L(9))};
  for (const Shape& well : wells) {
    c.Fill(Offset(well, 0, E(1)), Hex(0xFFFFFF, 0.06f));  // lower lip catches the light
    c.Fill(well, Linear(0, E(12), 0, E(288), {{0.0f, Hex(0x15171A)}, {1.0f, kWell}}));
    c.InnerShadow(well, Hex(0x000000, 0.7f), L(3.0f), 0, L(2.0f));
  }

  // Read-outs behind the value texts and the version.
  for (const Rect& text : kValueTexts) {
    const Rect r = R(text);
    const Shape plate = RoundRect(r.CentreX() - L(38), E(text.top - 3), r.CentreX() + L(38), E(text.top + 13), L(4));
    c.Fill(Offset(plate, 0, E(1)), Hex(0xFFFFFF, 0.05f));
    c.Fill(plate, Hex(0x0B0C0E));
    c.InnerShadow(plate, Hex(0x000000, 0.8f), L(1.5f), 0, L(1.0f));
  }

  // Scales around the large knobs.
  for (const Rect& knob : kLargeKnobs) {
    const Rect r = R(knob);
    const float cx = r.CentreX(), cy = r.CentreY();
    for (int i = 0; i <= 10; ++i) {
      const float a = -kSweep + 27.0f * i;
      if (i == 5) continue;
      const Point p = Polar(cx, cy, L(63.5f), a), q = Polar(cx, cy, L(i % 5 == 0 ? 67.5f : 66.0f), a);
      c.Fill(Capsule(p.x, p.y, q.x, q.y, L(1.2f)), kLabelDim);
    }
    // Minus and plus beyond the ends of the travel.
    const Point lo = Polar(cx, cy, L(62.0f), -kSweep - 12), hi = Polar(cx, cy, L(62.0f), kSweep + 12);
    c.Fill(Capsule(lo.x - L(2.5f), lo.y + L(4), lo.x + L(2.5f), lo.y + L(4), L(1.3f)), kLabelDim);
    c.Fill(Capsule(hi.x - L(2.5f), hi.y + L(4), hi.x + L(2.5f), hi.y + L(4), L(1.3f)), kLabelDim);
    c.Fill(Capsule(hi.x, hi.y + L(1.5f), hi.x, hi.y + L(6.5f), L(1.3f)), kLabelDim);
  }

  // Names: the large knobs above their read-outs, the small ones below.
  const char* largeNames[2] = {"Attack", "Sustain"};
  for (int i = 0; i < 2; ++i)
    faces.strong->DrawCentred(c, largeNames[i], L(13.0f), R(kLargeKnobs[i]).CentreX(), E(34), kLabel, L(0.4f));
  const char* smallNames[6] = {"Attack Link", "Attack Length", "Gain", "SC HPF", "Sustain Link", "Sustain Length"};
  for (int i = 0; i < 6; ++i) {
    const Rect r = R(kSmallKnobs[i]);
    faces.text->DrawCentred(c, smallNames[i], L(10.5f), r.CentreX(), r.bottom + L(14.0f), kLabel, L(0.2f));
  }

  // The product and its maker, in the centre column.
  const float mid = (R(kLargeKnobs[0]).right + R(kLargeKnobs[1]).left) * 0.5f;
  faces.display->DrawCentred(c, "Morvane", L(26.0f), mid, E(92), Hex(0xEEF1F4), L(0.2f));
  faces.text->DrawCentred(c, "TRANSIENT SHAPER", L(8.5f), mid, E(108), kAccent, L(1.6f));
  {
    // Logo: a hexagon holding three bars that fall away like a transient;
    // the name beside it.
    const float lx = mid - L(26), ly = L(29);
    const Shape hex = Hexagon(lx, ly, L(9.5f), L(1.5f));
    c.Shadow(Offset(hex, 0, L(1)), Hex(0x000000, 0.5f), L(1.2f));
    c.Fill(hex, Linear(0, ly - L(10), 0, ly + L(10), {{0.0f, Hex(0x72DCF2)}, {1.0f, kAccentDeep}}));
    const float heights[3] = {11.0f, 7.0f, 4.0f};
    for (int i = 0; i < 3; ++i) {
      const float x = lx - L(4.0f) + L(4.0f) * i, bottom = ly + L(5.5f);
      c.Fill(RoundRect(x - L(1.1f), bottom - L(heights[i]), x + L(1.1f), bottom, L(0.6f)), Hex(0x15171A));
    }
    faces.display->Draw(c, "Bexo", L(18.0f), lx + L(15), ly + L(6.5f), Hex(0xE4E8EC), L(0.2f));
  }

  // The version read-out.
  {
    const Rect r = R(kVersionText);
    const Shape plate = RoundRect(r.CentreX() - L(30), E(kVersionText.top - 3), r.CentreX() + L(30),
                                  E(kVersionText.top + 13), L(4));
    c.Fill(Offset(plate, 0, E(1)), Hex(0xFFFFFF, 0.05f));
    c.Fill(plate, Hex(0x0B0C0E));
    c.InnerShadow(plate, Hex(0x000000, 0.8f), L(1.5f), 0, L(1.0f));
  }

  // The overload lamp's socket and name.
  {
    const Rect r = R(kLamp);
    const float lx = r.CentreX(), ly = r.CentreY();
    c.Shadow(Circle(lx, ly + L(1), L(7.0f)), Hex(0x000000, 0.6f), L(1.2f));
    c.Fill(Circle(lx, ly, L(7.0f)),
           Linear(0, ly - L(7), 0, ly + L(7), {{0.0f, Hex(0x5B6068)}, {1.0f, Hex(0x1A1C1F)}}));
    c.Fill(Circle(lx, ly, L(5.2f)),
           Linear(0, ly - L(5), 0, ly + L(5), {{0.0f, Hex(0x120606)}, {1.0f, Hex(0x2A0E0E)}}));
    c.Fill(Circle(lx - L(1.4f), ly - L(1.8f), L(1.2f)), Hex(0xFFFFFF, 0.18f));
    faces.strong->DrawCentred(c, "CLIP", L(8.0f), lx, ly + L(17), kLabelDim, L(1.2f));
  }

  return ToBitmap(c);
}

std::unique_ptr<BM_MemBitmap> MakeLargeKnob(double scale) { return MakeKnobStrip(kLargeStyle, scale); }
std::unique_ptr<BM_MemBitmap> MakeSmallKnob(double scale) { return MakeKnobStrip(kSmallStyle, scale); }

std::unique_ptr<BM_MemBitmap> MakeLamp(double scale) {
  // Frame 1 stays fully transparent: the background's dark socket shows.
  const float k = static_cast<float>(scale);
  const int size = layout::ScaledLength(kLampSize, scale);
  Canvas c(size, size * 2);
  const float cx = size * 0.5f, cy = size * 1.5f;
  c.Fill(Circle(cx, cy, 5.0f * k), Radial(cx, cy, 5.0f * k,
                                          {{0.0f, Hex(0xFF3B2F, 0.55f)}, {0.7f, Hex(0xFF2A1F, 0.45f)}, {1.0f, Hex(0xFF2A1F, 0.0f)}}));
  c.Fill(Circle(cx, cy, 4.0f * k), Radial(cx - 0.6f * k, cy - 0.8f * k, 4.0f * k,
                                          {{0.0f, Hex(0xFFE0D0)}, {0.35f, Hex(0xFF6A50)}, {1.0f, Hex(0xE0180E, 0.9f)}}));
  return ToBitmap(c);
}

std::unique_ptr<BM_MemBitmap> MakeGlyphStrip(const PixelFont& font) {
  auto strip = std::make_unique<BM_MemBitmap>(font.cellWidth * kGlyphCount, font.rows);
  BM_FillArea(strip.get(), 0, 0, strip->GetWidth(), strip->GetHeight(), 0, 1.0f, BM_BLEND_COPY);
  for (int i = 0; i < kGlyphCount; ++i)
    for (int y = 0; y < font.rows; ++y)
      for (int x = 0; x < font.cellWidth; ++x)
        if (font.Lit(kFirstGlyph + i, x, y))
          BM_FillArea(strip.get(), i * font.cellWidth + x, y, 1, 1, 0xFFFFFFFFu, 1.0f, BM_BLEND_COPY);
  return strip;
}

}  // namespace imagegen
