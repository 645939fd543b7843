// morvane-imagegen: draws the five images of the Morvane editor.
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
      "font-white.png. The labels are set in Inter, read from the fonts folder\n"
      "(default /usr/share/fonts/opentype/inter, Debian's fonts-inter). The same\n"
      "fonts give the same bytes on every run.\n"
      "\n"
      "  --preview FILE   Also writes review pictures: FILE (three editor states\n"
      "                   composed as the editor draws them), FILE-2x (the lit\n"
      "                   state enlarged 2x) and FILE-font-4x (every character).\n"
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
  if (!imagegen::GlyphTableIsConsistent()) {
    std::fprintf(stderr, "morvane-imagegen: the glyph table is malformed\n");
    return 1;
  }
  imagegen::Typefaces faces;
  if (!imagegen::LoadTypefaces(fonts, faces)) return 1;

  const auto background = imagegen::MakeBackground(faces);
  const auto knob = imagegen::MakeLargeKnob();
  const auto knobSmall = imagegen::MakeSmallKnob();
  const auto lamp = imagegen::MakeLamp();
  const auto glyphs = imagegen::MakeGlyphStrip();
  const struct {
    BM_MemBitmap* image;
    const char* name;
  } files[] = {{background.get(), "back.png"},
               {knob.get(), "knob.png"},
               {knobSmall.get(), "knob_small.png"},
               {lamp.get(), "redLight.png"},
               {glyphs.get(), "font-white.png"}};
  for (const auto& f : files)
    if (!imagegen::WriteImage(*f.image, out + "/" + f.name)) return 1;
  if (!preview.empty() &&
      !imagegen::WritePreviews({background.get(), knob.get(), knobSmall.get(), lamp.get(), glyphs.get()}, preview))
    return 1;
  return 0;
}
