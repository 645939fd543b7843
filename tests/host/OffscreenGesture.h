#pragma once
// The knob gesture on Morvane's off-screen editor, made through its graphics
// core, and what the editor shows afterwards: the render the host tests
// compare their editor windows with.
#include "editor/offscreen/IGraphicsOffscreen.h"
#include "tests/host/HostRound.h"

namespace hosttest {

// On an open editor: one redraw tick; press, one drag and release with the
// left button; two more ticks. The screen's pixels then.
inline Pixels GestureThenPixels(IGraphicsOffscreen* graphics, const KnobGesture& gesture) {
  graphics->Tick();
  IModifiers left;
  left.left = true;
  graphics->OnMouseDown(gesture.x, gesture.y, left);
  graphics->OnMouseDrag(gesture.x, gesture.y + gesture.dy, left);
  graphics->OnMouseUp(gesture.x, gesture.y + gesture.dy, IModifiers());
  graphics->Tick();
  graphics->Tick();

  BM_MemBitmap& screen = graphics->Screen();
  Pixels pixels;
  pixels.width = screen.GetWidth();
  pixels.height = screen.GetHeight();
  pixels.bgr.resize(static_cast<size_t>(pixels.width) * static_cast<size_t>(pixels.height) * 3);
  for (int y = 0; y < pixels.height; ++y) {
    const int row = screen.IsFlipped() ? pixels.height - 1 - y : y;
    const BM_Color32* from = screen.GetBits() + static_cast<size_t>(row) * screen.GetRowSpan();
    for (int x = 0; x < pixels.width; ++x) {
      unsigned char* to = &pixels.bgr[(static_cast<size_t>(y) * static_cast<size_t>(pixels.width) + x) * 3];
      to[0] = static_cast<unsigned char>(from[x]);
      to[1] = static_cast<unsigned char>(from[x] >> 8);
      to[2] = static_cast<unsigned char>(from[x] >> 16);
    }
  }
  return pixels;
}

}  // namespace hosttest
