// The VST3 adapter on a test plug-in of its own, linked directly: the
// editor's side that Morvane's editor does not reach in the view tests. The
// host's content scale reaches the editor, and the editor's size requests go
// through the host's frame, while it opens too (and stay refused when the
// host refuses).
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
// the new window size.
class ScalingEditor : public IEditor {
 public:
  explicit ScalingEditor(IEffectBase* plug) : mPlug(plug) {}
  // A size chosen while opening (the screen's scale) is asked for first.
  void* OpenWindow(void* parent) override {
    if (openingScale > 0.0 && mPlug->RequestEditorSize(static_cast<int>(100 * openingScale),
                                                       static_cast<int>(50 * openingScale))) {
      width = static_cast<int>(100 * openingScale);
      height = static_cast<int>(50 * openingScale);
    }
    open = true;
    return parent;
  }
  void CloseWindow() override { open = false; }
  void Idle() override {}
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

  bool open = false;
  double openingScale = 0.0;
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
// and the size the view reports meanwhile.
class Frame : public HostObject<IPlugFrame> {
 public:
  tresult PLUGIN_API queryInterface(const TUID id, void** obj) override { return Answer(id, obj); }
  tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) override {
    asked.push_back(*newSize);
    ViewRect reported = {};
    view->getSize(&reported);
    seenMeanwhile.push_back(reported);
    if (answer != kResultOk) return answer;
    return view->onSize(newSize);
  }

  tresult answer = kResultOk;
  std::vector<ViewRect> asked;
  std::vector<ViewRect> seenMeanwhile;
};

int Width(IPlugView* view) {
  ViewRect r = {};
  view->getSize(&r);
  return r.right - r.left;
}

class Vst3Adapter : public testing::Test {
 protected:
  void SetUp() override {
    effect = IEffectVST3::Create(kClass);
    ASSERT_NE(effect, nullptr);
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

TEST_F(Vst3Adapter, ASizeChosenWhileOpeningIsAskedOfTheFrame) {
  gParts->editor->openingScale = 2.0;
  view->setFrame(&frame);
  ASSERT_EQ(view->attached(&parent, Vst3WindowType()), kResultOk);
  ASSERT_EQ(frame.asked.size(), 1u);
  EXPECT_EQ(frame.asked[0].right, 200);
  EXPECT_EQ(Width(view), 200);
  EXPECT_EQ(view->removed(), kResultOk);
}

}  // namespace
