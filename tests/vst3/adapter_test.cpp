// The VST3 adapter on a test plug-in of its own, linked directly: the
// editor's side that Morvane's fixed-size editor does not reach yet. The
// host's content scale reaches the editor, the editor's size requests go
// through the host's frame (and stay refused when the host refuses), the run
// loop calls the editor's idle from its timer and its event descriptor, and
// the controller's gestures reach the host's handler.
#include <gtest/gtest.h>

#include <vector>

#include "framework/vst3/IEffectVST3.h"
#include "framework/vst3/IVst3EditorView.h"
#include "tests/framework/TestEffect.h"
#include "tests/vst3/Vst3TestHost.h"

using namespace vst3test;

namespace {

// An editor 100 x 50 pixels at scale 1 that follows the host's scale as the
// scaled editor does: closed, at once; open, only when the host agrees to
// the new window size. Its window's events arrive on descriptor 42.
class ScalingEditor : public IEditor {
 public:
  explicit ScalingEditor(IEffectBase* plug) : mPlug(plug) {}
  void* OpenWindow(void* parent) override {
    open = true;
    return parent;
  }
  void CloseWindow() override { open = false; }
  void Idle() override { ++idles; }
  int Width() const override { return width; }
  int Height() const override { return height; }
  void SetHostScale(double scale) override {
    const int w = static_cast<int>(100 * scale), h = static_cast<int>(50 * scale);
    if (!open || mPlug->RequestEditorSize(w, h)) {
      width = w;
      height = h;
    }
  }
  void ParamValueChanged(int, double) override {}
  int EventDescriptor() const override { return open ? 42 : -1; }

  bool open = false;
  int idles = 0;
  int width = 100;
  int height = 50;

 private:
  IEffectBase* mPlug;
};

using ControllerSide = IVst3ControllerSide<morvane_test::TestEffect>;

class TestParts : public IVst3Parts {
 public:
  explicit TestParts(IVst3HostEdits* edits) : controller(edits) {
    editor = new ScalingEditor(&controller);
    controller.AttachEditor(editor);
  }
  IEffectBase* Processor() override { return &processor; }
  IEffectBase* Controller() override { return &controller; }

  morvane_test::TestEffect processor;
  ControllerSide controller;
  ScalingEditor* editor;  // owned by the controller
};

TestParts* gParts = nullptr;

IVst3Parts* MakeParts(IVst3HostEdits* edits) { return gParts = new TestParts(edits); }

const IVst3ClassDef kClass = {morvane_test::MorvaneConfig(), {1, 2, 3, 4}, "Fx", "", "", 100, 101, nullptr, MakeParts};

// A host frame that answers resizeView as told, noting the size asked for
// and the size the view reports meanwhile, and lends a run loop whose
// handlers the test calls.
class Frame : public HostObject<IPlugFrame>, public Linux::IRunLoop {
 public:
  tresult PLUGIN_API queryInterface(const TUID id, void** obj) override {
    if (obj && UidMatches(id, Linux::IRunLoop::iid)) {
      *obj = static_cast<Linux::IRunLoop*>(this);
      addRef();
      return kResultOk;
    }
    return Answer(id, obj);
  }
  uint32 PLUGIN_API addRef() override { return HostObject<IPlugFrame>::addRef(); }
  uint32 PLUGIN_API release() override { return HostObject<IPlugFrame>::release(); }

  tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) override {
    asked.push_back(*newSize);
    ViewRect reported = {};
    view->getSize(&reported);
    seenMeanwhile.push_back(reported);
    if (answer != kResultOk) return answer;
    return view->onSize(newSize);
  }
  tresult PLUGIN_API registerEventHandler(Linux::IEventHandler* h, Linux::FileDescriptor fd) override {
    handler = h;
    handlerFd = fd;
    return kResultOk;
  }
  tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler* h) override {
    if (h == handler) handler = nullptr;
    return kResultOk;
  }
  tresult PLUGIN_API registerTimer(Linux::ITimerHandler* h, Linux::TimerInterval) override {
    timer = h;
    return kResultOk;
  }
  tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* h) override {
    if (h == timer) timer = nullptr;
    return kResultOk;
  }

  tresult answer = kResultOk;
  std::vector<ViewRect> asked;
  std::vector<ViewRect> seenMeanwhile;
  Linux::IEventHandler* handler = nullptr;
  int handlerFd = -1;
  Linux::ITimerHandler* timer = nullptr;
};

int Width(IPlugView* view) {
  ViewRect r = {};
  view->getSize(&r);
  return r.right - r.left;
}

class Vst3Adapter : public testing::Test {
 protected:
  void SetUp() override {
    effect = new IEffectVST3(kClass);
    ASSERT_TRUE(effect->IsValid());
    view = effect->createView(kEditorViewType);
    ASSERT_NE(view, nullptr);
    void* found = nullptr;
    ASSERT_EQ(view->queryInterface(IPlugViewContentScaleSupport::iid.bytes, &found), kResultOk);
    scale = static_cast<IPlugViewContentScaleSupport*>(found);
  }
  void TearDown() override {
    scale->release();
    view->setFrame(nullptr);
    view->release();
    effect->release();
  }

  Frame frame;  // outlives the view's reference, dropped in TearDown
  IEffectVST3* effect = nullptr;
  IPlugView* view = nullptr;
  IPlugViewContentScaleSupport* scale = nullptr;
  int parent = 0;
};

TEST_F(Vst3Adapter, TheHostsScaleSizesTheEditorThroughTheFrame) {
  // Closed, the editor takes the scale without asking.
  EXPECT_EQ(scale->setContentScaleFactor(2.0f), kResultTrue);
  EXPECT_EQ(Width(view), 200);

  view->setFrame(&frame);
  ASSERT_EQ(view->attached(&parent, Vst3WindowType()), kResultOk);
  EXPECT_TRUE(frame.asked.empty());

  // Open: the host is asked, reads the new size meanwhile, and agrees.
  EXPECT_EQ(scale->setContentScaleFactor(1.5f), kResultTrue);
  ASSERT_EQ(frame.asked.size(), 1u);
  EXPECT_EQ(frame.asked[0].right, 150);
  EXPECT_EQ(frame.asked[0].bottom, 75);
  EXPECT_EQ(frame.seenMeanwhile[0].right, 150);
  EXPECT_EQ(Width(view), 150);

  // The host refuses: the editor keeps its size.
  frame.answer = kResultFalse;
  scale->setContentScaleFactor(1.0f);
  ASSERT_EQ(frame.asked.size(), 2u);
  EXPECT_EQ(frame.asked[1].right, 100);
  EXPECT_EQ(Width(view), 150);
  EXPECT_EQ(gParts->editor->width, 150);

  // The user cannot stretch it: a size asked for comes back as the editor's.
  ViewRect wanted = {0, 0, 400, 400};
  EXPECT_EQ(view->checkSizeConstraint(&wanted), kResultOk);
  EXPECT_EQ(wanted.right, 150);
  EXPECT_EQ(wanted.bottom, 75);
  EXPECT_EQ(view->removed(), kResultOk);
}

TEST_F(Vst3Adapter, TheRunLoopIdlesTheEditorWhileAttached) {
  view->setFrame(&frame);
  ASSERT_EQ(view->attached(&parent, Vst3WindowType()), kResultOk);
  ASSERT_NE(frame.timer, nullptr);
  ASSERT_NE(frame.handler, nullptr);
  EXPECT_EQ(frame.handlerFd, 42);
  frame.timer->onTimer();
  frame.handler->onFDIsSet(42);
  EXPECT_EQ(gParts->editor->idles, 2);

  EXPECT_EQ(view->removed(), kResultOk);
  EXPECT_EQ(frame.timer, nullptr);
  EXPECT_EQ(frame.handler, nullptr);
  EXPECT_FALSE(gParts->editor->open);
  EXPECT_EQ(view->removed(), kResultFalse);
  EXPECT_EQ(frame.ExtraReferences(), 1u);  // the view's, until setFrame(null)
}

TEST_F(Vst3Adapter, GesturesReachTheHandlerAsEdits) {
  IEditController* controller = nullptr;
  void* found = nullptr;
  ASSERT_EQ(effect->queryInterface(IEditController::iid.bytes, &found), kResultOk);
  controller = static_cast<IEditController*>(found);

  // Without a handler the edits go nowhere.
  gParts->controller.BeginHostEdit(3);
  gParts->controller.EndHostEdit(3);

  ComponentHandler handler;
  controller->setComponentHandler(&handler);
  gParts->controller.BeginHostEdit(3);
  gParts->controller.SetParamFromEditor(3, 0.25);
  gParts->controller.EndHostEdit(3);
  ASSERT_EQ(handler.edits.size(), 3u);
  EXPECT_EQ(handler.edits[0].what, 'b');
  EXPECT_EQ(handler.edits[1].what, 'p');
  EXPECT_EQ(handler.edits[1].value, 0.25);
  EXPECT_EQ(handler.edits[2].what, 'e');
  for (const auto& e : handler.edits) EXPECT_EQ(e.id, 3u);
  EXPECT_EQ(controller->getParamNormalized(3), 0.25);
  controller->setComponentHandler(nullptr);
  controller->release();
}

}  // namespace
