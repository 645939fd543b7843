// vst3_editor_reference OUTPUT: writes the off-screen render of the view
// tests' session (ViewSession.h) as a pixel file (tests/host/HostRound.h),
// for the Windows view test to compare its window with.
#include <cstdio>

#include "tests/vst3/ViewSession.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vst3_editor_reference OUTPUT\n");
    return 2;
  }
  hosttest::Pixels pixels;
  if (!vst3test::RenderViewReference(&pixels) || !hosttest::WritePixels(pixels, argv[1])) {
    std::fprintf(stderr, "vst3_editor_reference: cannot render or write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
