// morvane-imagegen: draws the five images of the Morvane editor at each of
// its scales.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/imagegen/Artwork.h"
#include "tools/imagegen/PixelFont.h"
#include "tools/imagegen/Preview.h"

namespace {

void PrintHelp() {
  std::fputs(
      "usage: morvane-imagegen [--fonts DIR] [--out DIR] [--preview FILE]\n"
      "\n"
      "Draws the editor's images and writes them as PNG files into DIR (default\n"
      "plugin/resources/img): back.png, knob.png, knob_small.png, redLight.png and\n"
      "font-white.png for 100 %, and each again for 150 % and 200 % with \"@150\"\n"
      "or \"@200\" before \".png\" (back@150.png). The labels are set in Inter, read\n"
      "from the fonts folder (default /usr/share/fonts/opentype/inter, Debian's\n"
      "fonts-inter). The same fonts give the same bytes on every run.\n"
      "\n"
      "  --preview FILE   Also writes review pictures of each scale: FILE (three\n"
      "                   editor states composed as the editor draws them),\n"
      "                   FILE-2x (the lit state enlarged 2x) and FILE-font-4x\n"
      "                   (every character); FILE@150 and so on for the others.\n"
      "\n"
      "Exit status: 0 on success, 1 when an image could not be made or written,\n"
      "2 for a command line that could not be understood.\n",
      stdout);
}

}  // namespace

int main(int argc, char** argv) {
  std::string fonts = "/usr/share/fonts/opentype/inter";
  std::string out = "plugin/resources/img";
  std::string preview;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (!std::strcmp(arg, "-h") || !std::strcmp(arg, "--help")) {
      PrintHelp();
      return 0;
    }
    std::string* target = !std::strcmp(arg, "--fonts")     ? &fonts
                          : !std::strcmp(arg, "--out")     ? &out
                          : !std::strcmp(arg, "--preview") ? &preview
                                                           : nullptr;
    if (!target || i + 1 >= argc) {
      std::fprintf(stderr, "morvane-imagegen: %s %s (morvane-imagegen --help)\n",
                   target ? "a value is missing after" : "unknown option", arg);
      return 2;
    }
    *target = argv[++i];
  }
  const std::string fontProblem = imagegen::CheckPixelFonts();
  if (!fontProblem.empty()) {
    std::fprintf(stderr, "morvane-imagegen: the bitmap font is malformed: %s\n", fontProblem.c_str());
    return 1;
  }
  imagegen::Typefaces faces;
  if (!imagegen::LoadTypefaces(fonts, faces)) return 1;

  for (const int percent : layout::kScalePercents) {
    const double scale = percent / 100.0;
    const imagegen::PixelFont* font = imagegen::PixelFontFor(percent);
    if (!font) {
      std::fprintf(stderr, "morvane-imagegen: no bitmap font for %d %%\n", percent);
      return 1;
    }
    const auto background = imagegen::MakeBackground(faces, scale);
    const auto knob = imagegen::MakeLargeKnob(scale);
    const auto knobSmall = imagegen::MakeSmallKnob(scale);
    const auto lamp = imagegen::MakeLamp(scale);
    const auto glyphs = imagegen::MakeGlyphStrip(*font);
    const std::string suffix = percent == 100 ? ".png" : "@" + std::to_string(percent) + ".png";
    // Unfiltered rows decode fastest and, for these images, cost little or
    // no size (png_decode_bench); the 100 % images keep the encoding they
    // were first committed with, so their bytes stay the same.
    BM_PngEncoding encoding;
    if (percent != 100) encoding.filters = BM_PNG_FILTER_NONE;
    const struct {
      BM_MemBitmap* image;
      const char* name;
    } files[] = {{background.get(), "back"},
                 {knob.get(), "knob"},
                 {knobSmall.get(), "knob_small"},
                 {lamp.get(), "redLight"},
                 {glyphs.get(), "font-white"}};
    for (const auto& f : files)
      if (!imagegen::WriteImage(*f.image, out + "/" + f.name + suffix, encoding)) return 1;
    if (!preview.empty() && !imagegen::WritePreviews({percent, font, background.get(), knob.get(), knobSmall.get(),
                                                      lamp.get(), glyphs.get()},
                                                     preview))
      return 1;
  }
  return 0;
}
