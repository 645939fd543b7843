#include <vector>

#include "plugin/Morvane.h"
#include "tests/host/OffscreenGesture.h"
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
  *pixels = hosttest::GestureThenPixels(static_cast<IGraphicsOffscreen*>(plug.GetEditor()), kGesture);
  e->dispatcher(e, effEditClose, 0, 0, nullptr, 0.0f);
  return true;
}

}  // namespace vst3test
