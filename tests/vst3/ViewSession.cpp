#include "tests/vst3/ViewSession.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace vst3test {

bool PrepareViewSession(Instance& plug, std::string* failure) {
  for (const ViewValue& v : kViewState) plug.controller->setParamNormalized(static_cast<ParamID>(v.param), v.value);
  if (!plug.Start(kSample64)) {
    *failure = "the instance does not start";
    return false;
  }
  std::vector<double> loud(512, 1.5), outL(512), outR(512);
  double lamp = -1.0;
  for (int block = 0; block < 8; ++block) {
    double* ins[2] = {loud.data(), loud.data()};
    double* outs[2] = {outL.data(), outR.data()};
    ParamChanges out;
    plug.Process(ins, outs, 2, 512, nullptr, &out);
    if (ParamQueue* meter = out.Find(kViewLampId)) lamp = meter->points.back().second;
  }
  plug.Stop();
  if (!(lamp >= 0.5)) {
    *failure = "the overload lamp reported " + std::to_string(lamp) + ", not lit";
    return false;
  }
  plug.controller->setParamNormalized(kViewLampId, lamp);
  return true;
}

ViewHost::ViewHost() : module(MORVANE_VST3_MODULE_PATH), plug(module.Factory()) {
  if (!module.Factory()) {
    failure = module.Error();
  } else if (!plug.Ok()) {
    failure = "the factory made no instance";
  } else if (PrepareViewSession(plug, &failure)) {
    plug.controller->setComponentHandler(&handler);
    view = plug.controller->createView(kEditorViewType);
    if (!view) failure = "the controller made no editor view";
  }
}

ViewHost::~ViewHost() {
  if (plug.controller) plug.controller->setComponentHandler(nullptr);
}

bool GestureEditsSeen(const ComponentHandler& handler, Instance& plug, double before, std::string* failure) {
  std::string seen;
  bool ok = handler.edits.size() >= 3 && handler.edits.front().what == 'b' && handler.edits.back().what == 'e';
  double last = -1.0;
  for (size_t i = 0; i < handler.edits.size(); ++i) {
    const ComponentHandler::Edit& e = handler.edits[i];
    char text[64];
    std::snprintf(text, sizeof text, "%s%c(%u%s", i ? ", " : "", e.what, static_cast<unsigned>(e.id),
                  e.what == 'p' ? "" : ")");
    seen += text;
    if (e.what == 'p') {
      std::snprintf(text, sizeof text, ", %.6f)", e.value);
      seen += text;
      last = e.value;
    }
    ok = ok && e.id == static_cast<ParamID>(kGesture.param) &&
         (e.what == 'p' || i == 0 || i + 1 == handler.edits.size());
  }
  const double now = plug.controller->getParamNormalized(kGesture.param);
  ok = ok && last > before && now > last - 1e-12 && now < last + 1e-12;
  if (!ok) {
    char text[96];
    std::snprintf(text, sizeof text, "; the value went from %.6f to %.6f", before, now);
    *failure = "the handler saw " + (seen.empty() ? std::string("no edits") : seen) + text;
  }
  return ok;
}

}  // namespace vst3test
