#include "tools/imagegen/Preview.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "bitmap/Blit.h"
#include "tools/imagegen/Artwork.h"
#include "tools/imagegen/PixelFont.h"

namespace imagegen {

namespace {

// One editor state: normalised values of the eight knobs, the two value texts
// and the lamp.
struct State {
  double values[8];  // Attack, Sustain, Attack Link, Attack Length, Gain, SC HPF, Sustain Link, Sustain Length
  const char* attackText;
  const char* sustainText;
  bool lampLit;
};

const State kStates[] = {
    {{0.5, 0.5, 0.0, 0.25, 0.5028, 0.0, 0.0, 500.0 / 750}, "0.00 %", "0.00 %", false},
    {{1.0, 0.0, 0.35, 0.6, 0.7, 0.2, 1.0, 0.9}, "100 %", "-100 %", true},
    {{0.75, 0.3125, 1.0, 0.05, 0.25, 0.55, 0.5, 0.1}, "50.0 %", "-37.5 %", false},
};

// The frame a knob shows for a value: trunc((N - 1) x value + 0.5) + 1.
int FrameFor(double value) {
  const int frame = static_cast<int>((kKnobFrames - 1) * value + 0.5) + 1;
  return frame < 1 ? 1 : (frame > kKnobFrames ? kKnobFrames : frame);
}

void BlitFrame(BM_IBitmap* dest, BM_IBitmap* strip, int frames, int frame, int x, int y) {
  const int w = strip->GetWidth(), h = strip->GetHeight() / frames;
  const int32_t src[4] = {0, h * (frame - 1), w, h * frame};
  BM_BlitRect(dest, strip, x, y, src, 1.0f, BM_BLEND_SOURCE_ALPHA);
}

// The editor's bitmap text: centred in the area, in the font's cells from the top.
void DrawText(BM_IBitmap* dest, BM_IBitmap* glyphs, const PixelFont& font, const Rect& area, const char* text,
              int top) {
  const int n = static_cast<int>(std::strlen(text)), w = font.cellWidth;
  const int x0 = area.left + (area.right - n * w - area.left) / 2;
  for (int k = 0; k < n; ++k) {
    const int frame = static_cast<signed char>(text[k]) - 31;
    const int sx = frame >= 2 ? w * (frame - 1) : 0;
    const int32_t src[4] = {sx, 0, sx + w, font.cellHeight};
    BM_BlitRect(dest, glyphs, x0 + k * w, top, src, 1.0f, BM_BLEND_SOURCE_ALPHA);
  }
}

void DrawState(BM_IBitmap* dest, const EditorImages& im, const State& s, int top) {
  const double scale = im.percent / 100.0;
  const auto R = [scale](const Rect& r) { return layout::ScaledRect(r, scale); };
  BM_BlitRect(dest, im.background, 0, top, nullptr, 1.0f, BM_BLEND_COPY);
  BlitFrame(dest, im.lamp, 2, s.lampLit ? 2 : 1, R(kLamp).left, R(kLamp).top + top);
  for (int i = 0; i < 2; ++i)
    BlitFrame(dest, im.largeKnob, kKnobFrames, FrameFor(s.values[i]), R(kLargeKnobs[i]).left,
              R(kLargeKnobs[i]).top + top);
  for (int i = 0; i < 6; ++i)
    BlitFrame(dest, im.smallKnob, kKnobFrames, FrameFor(s.values[i + 2]), R(kSmallKnobs[i]).left,
              R(kSmallKnobs[i]).top + top);
  const Rect attack = R(kValueTexts[0]), sustain = R(kValueTexts[1]), version = R(kVersionText);
  DrawText(dest, im.glyphs, *im.font, attack, s.attackText, attack.top + top);
  DrawText(dest, im.glyphs, *im.font, sustain, s.sustainText, sustain.top + top);
  DrawText(dest, im.glyphs, *im.font, version, "v1.0.1", version.top + top);
}

std::unique_ptr<BM_MemBitmap> Enlarge(BM_IBitmap& src, int factor) {
  auto out = std::make_unique<BM_MemBitmap>(src.GetWidth() * factor, src.GetHeight() * factor);
  for (int y = 0; y < out->GetHeight(); ++y)
    for (int x = 0; x < out->GetWidth(); ++x)
      out->GetBits()[y * out->GetRowSpan() + x] = src.GetBits()[(y / factor) * src.GetRowSpan() + x / factor];
  return out;
}

std::string WithSuffix(const std::string& file, const std::string& suffix) {
  const size_t dot = file.rfind('.');
  const size_t slash = file.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return file + suffix;
  return file.substr(0, dot) + suffix + file.substr(dot);
}

}  // namespace

bool WriteImage(BM_IBitmap& image, const std::string& path, const BM_PngEncoding& encoding) {
  if (WritePngFile(&image, path.c_str(), encoding)) return true;
  std::fprintf(stderr, "imagegen: cannot write %s\n", path.c_str());
  return false;
}

bool WritePreviews(const EditorImages& im, const std::string& file) {
  const int width = im.background->GetWidth(), height = im.background->GetHeight();
  const int count = sizeof(kStates) / sizeof(kStates[0]), gap = 8;
  BM_MemBitmap sheet(width, count * height + (count - 1) * gap);
  BM_FillArea(&sheet, 0, 0, sheet.GetWidth(), sheet.GetHeight(), 0xFF000000u, 1.0f, BM_BLEND_COPY);
  for (int i = 0; i < count; ++i) DrawState(&sheet, im, kStates[i], i * (height + gap));

  BM_MemBitmap lit(width, height);
  DrawState(&lit, im, kStates[1], 0);

  // Every glyph at 1:1 over the panel colour, then enlarged: two rows of
  // 48 and 47 characters.
  const int cellWidth = im.font->cellWidth, cellHeight = im.font->cellHeight;
  BM_MemBitmap chart(48 * cellWidth + 8, 2 * cellHeight + 8);
  BM_FillArea(&chart, 0, 0, chart.GetWidth(), chart.GetHeight(), 0xFF17191Cu, 1.0f, BM_BLEND_COPY);
  char line[49];
  for (int row = 0; row < 2; ++row) {
    int n = 0;
    for (int code = kFirstGlyph + row * 48; code < kFirstGlyph + kGlyphCount && n < 48; ++code) line[n++] = static_cast<char>(code);
    line[n] = 0;
    DrawText(&chart, im.glyphs, *im.font, {4, 0, 4 + 48 * cellWidth, 0}, line, 4 + row * cellHeight);
  }
  const std::string base = im.percent == 100 ? file : WithSuffix(file, "@" + std::to_string(im.percent));
  return WriteImage(sheet, base) && WriteImage(*Enlarge(lit, 2), WithSuffix(base, "-2x")) &&
         WriteImage(*Enlarge(chart, 4), WithSuffix(base, "-font-4x"));
}

}  // namespace imagegen
