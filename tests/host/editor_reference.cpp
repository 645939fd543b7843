// editor_reference OUTPUT [PNG] [--scale PERCENT]: the Linux side of the test host's editor
// check. Runs the same session on Morvane built into this program with the
// off-screen editor, makes the same knob gesture through the graphics core,
// and writes what the editor shows (HostRound.h's pixel file; a PNG too when
// asked), for the Windows host to compare its window with.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bitmap/PngWrite.h"
#include "plugin/Morvane.h"
#include "tests/host/OffscreenGesture.h"
#include "tests/vst2/HostScale.h"

using namespace hosttest;

int main(int argc, char** argv) {
  int percent = 100;
  if (argc >= 4 && std::strcmp(argv[argc - 2], "--scale") == 0) {
    percent = std::atoi(argv[argc - 1]);
    argc -= 2;
  }
  if ((argc != 2 && argc != 3) || editor_scale::IndexOfPercent(percent) < 0) {
    std::fprintf(stderr, "usage: editor_reference OUTPUT [PNG] [--scale 100|150|200]\n");
    return 2;
  }
  const KnobGesture gesture = GestureAt(percent);
  Morvane plug(&RecordingHost, IGraphicsOffscreen::Make);
  AEffect* effect = plug.GetAEffect();
  AEffect* twin = (new Morvane(&RecordingHost, IGraphicsOffscreen::Make))->GetAEffect();
  std::string what;
  const bool ran = RunRound(effect, twin, &what);
  twin->dispatcher(twin, effClose, 0, 0, nullptr, 0.0f);  // deletes it
  if (!ran) {
    std::fprintf(stderr, "editor_reference: the session failed: %s\n", what.c_str());
    return 1;
  }
  auto* graphics = static_cast<IGraphicsOffscreen*>(plug.GetEditor());
  SendHostScale(effect, percent / 100.0f);
  if (!graphics || effect->dispatcher(effect, effEditOpen, 0, 0, nullptr, 0.0f) != 1) {
    std::fprintf(stderr, "editor_reference: the editor cannot be opened\n");
    return 1;
  }
  const Pixels pixels = GestureThenPixels(graphics, gesture);
  if (!WritePixels(pixels, argv[1]) || (argc == 3 && !WritePngFile(&graphics->Screen(), argv[2]))) {
    std::fprintf(stderr, "editor_reference: cannot write the output\n");
    return 1;
  }
  effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
  return 0;
}
