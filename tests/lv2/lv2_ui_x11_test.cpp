// The LV2 UI binary as an LV2 host drives it: found through the bundle's
// data, opened in a window of the test's own (ui:parent), given port events,
// idled through ui:idleInterface, and turned with XTest input. Its window
// must show the pixels of the off-screen render of the same values, and its
// gestures must reach the host as port writes in plain units between
// ui:touch grabs. Needs an X display (scripts/test.sh runs it under
// xvfb-run).

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editor/offscreen/IGraphicsOffscreen.h"
#include "plugin/Morvane.h"
#include "tests/editor/X11TestSupport.h"
#include "tests/lv2/Lv2TestHost.h"

namespace {

using x11_test::IdleFor;
using x11_test::IdleUntil;
using x11_test::XHost;

constexpr int kWidth = 578;
constexpr int kHeight = 299;
constexpr uint32_t kFirstParamPort = 4;
constexpr uint32_t kLampPort = 12;
// The Attack knob's centre (140 x 140 pixels at (38, 56)); a full sweep
// takes 560 pixels.
constexpr int kAttackX = 108;
constexpr int kAttackY = 126;

// Plain values, which floats hold exactly, by parameter index.
const std::pair<int, float> kValues[] = {{0, 60.0f}, {1, -50.0f}, {3, 12.5f}, {4, -3.5f}, {7, 300.0f}};

// What the UI told the host.
struct HostLog {
  struct Event {
    char kind;  // 'w' a port write, 't' touch grabbed, 'r' touch released
    uint32_t port;
    float value;
  };
  std::vector<Event> events;
  std::vector<std::pair<int, int>> sizes;  // ui:resize requests

  static void Write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t protocol,
                    const void* buffer) {
    auto* log = static_cast<HostLog*>(controller);
    if (protocol != 0 || size != sizeof(float)) return;
    log->events.push_back({'w', port, *static_cast<const float*>(buffer)});
  }
  static void Touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed) {
    static_cast<HostLog*>(handle)->events.push_back({grabbed ? 't' : 'r', port, 0.0f});
  }
  static int Resize(LV2UI_Feature_Handle handle, int width, int height) {
    static_cast<HostLog*>(handle)->sizes.emplace_back(width, height);
    return 0;
  }
};

class Lv2Ui : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(host.display, nullptr) << "needs an X display: run under xvfb-run (scripts/test.sh does)";
    // The UI's binary as the bundle's data names it.
    LilvUIs* uis = lilv_plugin_get_uis(world.Plugin());
    ASSERT_NE(uis, nullptr);
    ASSERT_EQ(lilv_uis_size(uis), 1u);
    const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
    const std::string uiUri = lilv_node_as_uri(lilv_ui_get_uri(ui));
    char* path = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
    library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    lilv_free(path);
    lilv_uis_free(uis);
    ASSERT_NE(library, nullptr) << dlerror();
    auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"));
    ASSERT_NE(entry, nullptr);
    descriptor = entry(0);
    ASSERT_NE(descriptor, nullptr);
    EXPECT_EQ(descriptor->URI, uiUri);
    EXPECT_EQ(entry(1), nullptr);
  }
  void TearDown() override {
    if (handle) descriptor->cleanup(handle);
    if (library) dlclose(library);
  }

  // Instantiates the UI in the host's window with every feature a host may
  // offer, at the given scale.
  void Open(float hostScale = 1.0f) {
    scale = hostScale;
    LV2_Options_Option options[2] = {};
    options[0].context = LV2_OPTIONS_INSTANCE;
    options[0].key = urids.Map(LV2_UI__scaleFactor);
    options[0].size = sizeof(float);
    options[0].type = urids.Map(LV2_ATOM__Float);
    options[0].value = &scale;
    // The UI keeps the touch and resize records: they live as long as the test.
    touch = {&log, HostLog::Touch};
    resize = {&log, HostLog::Resize};
    const LV2_Feature parent = {LV2_UI__parent, host.ParentHandle()};
    const LV2_Feature map = {LV2_URID__map, urids.Feature()};
    const LV2_Feature opts = {LV2_OPTIONS__options, options};
    const LV2_Feature touchFeature = {LV2_UI__touch, &touch};
    const LV2_Feature resizeFeature = {LV2_UI__resize, &resize};
    const LV2_Feature idle = {LV2_UI__idleInterface, nullptr};
    const LV2_Feature* features[] = {&parent, &map, &opts, &touchFeature, &resizeFeature, &idle, nullptr};
    LV2UI_Widget widget = nullptr;
    handle = descriptor->instantiate(descriptor, lv2test::kUri, MORVANE_LV2_BUNDLE "/", HostLog::Write, &log,
                                     &widget, features);
    window = static_cast<Window>(reinterpret_cast<uintptr_t>(widget));
    const auto* idleInterface =
        static_cast<const LV2UI_Idle_Interface*>(descriptor->extension_data(LV2_UI__idleInterface));
    ASSERT_NE(idleInterface, nullptr);
    idleCall = [this, idleInterface] { EXPECT_EQ(idleInterface->idle(handle), 0); };
  }

  void PortEvent(uint32_t port, float value) { descriptor->port_event(handle, port, sizeof value, 0, &value); }

  lv2test::World world;
  lv2test::UridMap urids;
  XHost host;
  HostLog log;
  LV2UI_Touch touch{};
  LV2UI_Resize resize{};
  void* library = nullptr;
  const LV2UI_Descriptor* descriptor = nullptr;
  LV2UI_Handle handle = nullptr;
  Window window = 0;
  float scale = 1.0f;
  std::function<void()> idleCall;
};

TEST_F(Lv2Ui, ShowsTheOffscreenRenderOfThePortValuesWithTheLampLit) {
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_NE(handle, nullptr);
  ASSERT_NE(window, 0u);
  EXPECT_EQ(host.EditorWindow(), window);
  ASSERT_FALSE(log.sizes.empty());
  EXPECT_EQ(log.sizes.back(), std::make_pair(kWidth, kHeight));

  for (const auto& v : kValues) PortEvent(kFirstParamPort + static_cast<uint32_t>(v.first), v.second);
  PortEvent(kLampPort, 1.0f);
  IdleFor(idleCall, 150);

  // The same values set as plain numbers through a host's text entry, an
  // overload to light the lamp, the editor drawn off-screen.
  Morvane reference(nullptr, IGraphicsOffscreen::Make);
  reference.Dispatch(effOpen, 0, 0, nullptr, 0.0f);
  for (const auto& v : kValues) {
    std::string text = std::to_string(static_cast<double>(v.second));
    reference.Dispatch(effString2Parameter, v.first, 0, &text[0], 0.0f);
  }
  std::vector<double> loud(441, 1.5), outL(441), outR(441);
  double* in[2] = {loud.data(), loud.data()};
  double* out[2] = {outL.data(), outR.data()};
  reference.ProcessBlock(in, out, 441);
  ASSERT_EQ(reference.Dispatch(effEditOpen, 0, 0, nullptr, 0.0f), 1);
  auto* graphics = static_cast<IGraphicsOffscreen*>(reference.GetEditor());
  graphics->Tick();

  XImage* shown = host.Grab(window, kWidth, kHeight);
  ASSERT_NE(shown, nullptr);
  std::string first;
  EXPECT_EQ(x11_test::Differences(shown, graphics->Screen(), &first), 0) << first;
  XDestroyImage(shown);

  // The lamp's port back at 0: the lamp goes dark.
  PortEvent(kLampPort, 0.0f);
  IdleFor(idleCall, 100);
  shown = host.Grab(window, kWidth, kHeight);
  EXPECT_GT(x11_test::Differences(shown, graphics->Screen(), &first), 0);
  XDestroyImage(shown);
  // No port was written for values that came from the host.
  for (const HostLog::Event& e : log.events) EXPECT_NE(e.kind, 'w') << "port " << e.port;
}

// The editor takes the host's scale; whatever size that gives, the host is
// asked for the size of the window the editor opened.
TEST_F(Lv2Ui, AsksTheHostForTheSizeOfTheWindowAtTheHostsScale) {
  ASSERT_NO_FATAL_FAILURE(Open(2.0f));
  ASSERT_NE(handle, nullptr);
  IdleFor(idleCall, 60);
  XWindowAttributes attributes;
  ASSERT_TRUE(XGetWindowAttributes(host.display, window, &attributes));
  ASSERT_FALSE(log.sizes.empty());
  EXPECT_EQ(log.sizes.back(), std::make_pair(attributes.width, attributes.height));
  EXPECT_GE(attributes.width, kWidth);
  EXPECT_GE(attributes.height, kHeight);
}

TEST_F(Lv2Ui, ADragWritesThePortInPlainUnitsBetweenTouches) {
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_NE(handle, nullptr);
  PortEvent(kFirstParamPort + 0, 60.0f);  // Attack at 60 %: normalised 0.8
  IdleFor(idleCall, 100);
  log.events.clear();

  host.MoveTo(kAttackX, kAttackY);
  host.Button(1, true);
  for (int step = 1; step <= 4; ++step) {
    host.MoveTo(kAttackX, kAttackY - 20 * step);
    IdleFor(idleCall, 15);
  }
  host.Button(1, false);
  ASSERT_TRUE(IdleUntil(idleCall, [&] { return !log.events.empty() && log.events.back().kind == 'r'; }));

  // 80 pixels up at 560 a sweep: normalised 0.8 + 1/7, -100 + 200 x that.
  const double expected = -100.0 + 200.0 * (0.8 + 80.0 / 560.0);
  ASSERT_GE(log.events.size(), 3u);
  EXPECT_EQ(log.events.front().kind, 't');
  EXPECT_EQ(log.events.back().kind, 'r');
  for (size_t i = 1; i + 1 < log.events.size(); ++i) {
    EXPECT_EQ(log.events[i].kind, 'w') << i;
    EXPECT_GE(log.events[i].value, 60.0f) << i;
    EXPECT_LE(log.events[i].value, 100.0f) << i;
  }
  for (const HostLog::Event& e : log.events) EXPECT_EQ(e.port, kFirstParamPort + 0);
  EXPECT_NEAR(log.events[log.events.size() - 2].value, expected, 1e-4);
}

}  // namespace
