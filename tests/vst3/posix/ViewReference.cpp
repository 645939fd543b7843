#include <vector>

#include "editor/offscreen/IGraphicsOffscreen.h"
#include "plugin/Morvane.h"
#include "tests/vst3/ViewSession.h"

namespace vst3test {

// Morvane built into the program with the off-screen editor, given the
// session's values through its VST2 entries, lit by processing the same
// overload, opened, and given the gesture through the graphics core.
bool RenderViewReference(hosttest::Pixels* pixels) {
  Morvane plug(nullptr, IGraphicsOffscreen::Make);
  AEffect* e = plug.GetAEffect();
  e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
  for (const ViewValue& v : kViewState) e->setParameter(e, v.param, static_cast<float>(v.value));
  std::vector<double> loud(4096, 1.5), outL(4096), outR(4096);
  double* ins[2] = {loud.data(), loud.data()};
  double* outs[2] = {outL.data(), outR.data()};
  e->processDoubleReplacing(e, ins, outs, 4096);
  if (e->dispatcher(e, effEditOpen, 0, 0, nullptr, 0.0f) != 1) return false;
  auto* graphics = static_cast<IGraphicsOffscreen*>(plug.GetEditor());
  graphics->Tick();
  IModifiers left;
  left.left = true;
  graphics->OnMouseDown(kGestureX, kGestureY, left);
  graphics->OnMouseDrag(kGestureX, kGestureY + kGestureDy, left);
  graphics->OnMouseUp(kGestureX, kGestureY + kGestureDy, IModifiers());
  graphics->Tick();
  graphics->Tick();

  BM_MemBitmap& screen = graphics->Screen();
  pixels->width = screen.GetWidth();
  pixels->height = screen.GetHeight();
  pixels->bgr.resize(static_cast<size_t>(pixels->width) * static_cast<size_t>(pixels->height) * 3);
  for (int y = 0; y < pixels->height; ++y) {
    const int row = screen.IsFlipped() ? pixels->height - 1 - y : y;
    const BM_Color32* from = screen.GetBits() + static_cast<size_t>(row) * screen.GetRowSpan();
    for (int x = 0; x < pixels->width; ++x) {
      unsigned char* to = &pixels->bgr[(static_cast<size_t>(y) * static_cast<size_t>(pixels->width) + x) * 3];
      to[0] = static_cast<unsigned char>(from[x]);
      to[1] = static_cast<unsigned char>(from[x] >> 8);
      to[2] = static_cast<unsigned char>(from[x] >> 16);
    }
  }
  e->dispatcher(e, effEditClose, 0, 0, nullptr, 0.0f);
  return true;
}

}  // namespace vst3test
