// Morvane's editor at 150 % and 200 %, as a host meets it: the rectangle it
// reports, what it draws, how the mouse works on it, the user's zoom menu,
// and the host's scale message.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "bitmap/PngWrite.h"
#include "editor/IMenu.h"
#include "editor/offscreen/IGraphicsOffscreen.h"
#include "plugin/Morvane.h"
#include "tests/bitmap/TestBitmaps.h"
#include "tests/vst2/HostScale.h"
#include "tests/vst2/RecordingHost.h"

namespace {

constexpr float kScales[3] = {1.0f, 1.5f, 2.0f};
constexpr int kSizes[3][2] = {{578, 299}, {867, 449}, {1156, 598}};

// An off-screen editor that answers its popup menus with a prepared choice:
// the item `choice` of the first submenu.
class MenuEditor : public IGraphicsOffscreen {
public:
  using IGraphicsOffscreen::IGraphicsOffscreen;
  static IGraphics* Make(IEffectBase* plugin, int width, int height, int frameRate) {
    return new MenuEditor(plugin, width, height, frameRate);
  }
  IMenu* ShowPopupMenu(IMenu* menu, const IBounds&) override {
    ++menusShown;
    shownLabels.clear();
    IMenu* sub = menu->GetItem(0) ? menu->GetItem(0)->submenu : nullptr;
    if (!sub) return nullptr;
    shownLabels = menu->GetItem(0)->text + ":";
    for (int i = 0; i < sub->ItemCount(); ++i) {
      shownLabels += " " + sub->GetItem(i)->text + ((sub->GetItem(i)->flags & IMenuItem::kChecked) ? "*" : "");
    }
    if (choice < 0) return nullptr;
    sub->chosenIndex = choice;
    return sub;
  }
  int choice = -1;
  int menusShown = 0;
  std::string shownLabels;
};

// An off-screen editor whose "screen" the test sets, as a platform window
// tells the editor its screen's scale.
class ScreenEditor : public IGraphicsOffscreen {
public:
  using IGraphicsOffscreen::IGraphicsOffscreen;
  static IGraphics* Make(IEffectBase* plugin, int width, int height, int frameRate) {
    return new ScreenEditor(plugin, width, height, frameRate);
  }
  void MoveToScreen(double scale) { SetPlatformScale(scale); }
};

// A configuration folder of the test's own ($XDG_CONFIG_HOME), which must
// stay empty: the plug-in writes no settings.
class ConfigFolder {
public:
  ConfigFolder() {
    char pattern[] = "/tmp/morvane-config-XXXXXX";
    mPath = mkdtemp(pattern);
    setenv("XDG_CONFIG_HOME", mPath.c_str(), 1);
  }
  ~ConfigFolder() { rmdir(mPath.c_str()); }
  // Whether the folder was still empty: only then can it be removed.
  bool RemovedEmpty() const { return rmdir(mPath.c_str()) == 0; }

private:
  std::string mPath;
};

// A plug-in as a host makes and opens it, with an off-screen editor.
struct Plugin {
  explicit Plugin(EditorGraphicsMaker maker = IGraphicsOffscreen::Make) : plug(&RecordingHost::Callback, maker) {
    effect = plug.GetAEffect();
    effect->user = &host;
    Dispatch(effect, effOpen);
    graphics = static_cast<IGraphicsOffscreen*>(plug.GetEditor());
  }
  std::pair<int, int> Rect() {
    ERect* rect = nullptr;
    Dispatch(effect, effEditGetRect, 0, 0, &rect);
    return rect ? std::make_pair(rect->right - rect->left, rect->bottom - rect->top) : std::make_pair(0, 0);
  }
  void Open() {
    Dispatch(effect, effEditOpen);
    graphics->Tick();
  }

  RecordingHost host;
  Morvane plug;
  AEffect* effect;
  IGraphicsOffscreen* graphics;
};

// The mean of each 2 x 2 block, channel by channel: the 200 % image at 100 %.
void Halve(BM_MemBitmap& big, BM_MemBitmap& half) {
  half.Resize(big.GetWidth() / 2, big.GetHeight() / 2);
  for (int y = 0; y < half.GetHeight(); ++y) {
    for (int x = 0; x < half.GetWidth(); ++x) {
      uint32_t sum[4] = {0, 0, 0, 0};
      for (int dy = 0; dy < 2; ++dy) {
        for (int dx = 0; dx < 2; ++dx) {
          const BM_Color32 c = bmtest::At(big, 2 * x + dx, 2 * y + dy);
          for (int k = 0; k < 4; ++k) sum[k] += (c >> (8 * k)) & 0xFF;
        }
      }
      BM_Color32 mean = 0;
      for (int k = 0; k < 4; ++k) mean |= ((sum[k] + 2) / 4) << (8 * k);
      bmtest::At(half, x, y) = mean;
    }
  }
}

// Peak signal to noise ratio of b against a over the colour channels, in dB.
double Psnr(BM_MemBitmap& a, BM_MemBitmap& b) {
  double squares = 0.0;
  long count = 0;
  for (int y = 0; y < a.GetHeight(); ++y) {
    for (int x = 0; x < a.GetWidth(); ++x) {
      const BM_Color32 p = bmtest::At(a, x, y), q = bmtest::At(b, x, y);
      for (int k = 0; k < 3; ++k) {
        const double d = static_cast<double>((p >> (8 * k)) & 0xFF) - static_cast<double>((q >> (8 * k)) & 0xFF);
        squares += d * d;
        ++count;
      }
    }
  }
  return squares == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 * count / squares);
}

TEST(ScaledEditor, EachSizeReportsItsRectangleAndDrawsTheSameLayout) {
  BM_MemBitmap renders[3];
  for (int i = 0; i < 3; ++i) {
    Plugin p;
    SendHostScale(p.effect, kScales[i]);
    EXPECT_EQ(p.Rect(), std::make_pair(kSizes[i][0], kSizes[i][1])) << kScales[i];
    p.effect->setParameter(p.effect, Morvane::kAttack, 0.8f);
    p.effect->setParameter(p.effect, Morvane::kSustain, 0.25f);
    p.Open();
    BM_MemBitmap& screen = p.graphics->Screen();
    ASSERT_EQ(screen.GetWidth(), kSizes[i][0]);
    ASSERT_EQ(screen.GetHeight(), kSizes[i][1]);
    renders[i].Resize(screen.GetWidth(), screen.GetHeight());
    for (int y = 0; y < screen.GetHeight(); ++y) {
      for (int x = 0; x < screen.GetWidth(); ++x) bmtest::At(renders[i], x, y) = bmtest::At(screen, x, y);
    }
  }
  // The 200 % editor, box-filtered to 100 %, is the 100 % one: the same layout
  // drawn sharper.
  BM_MemBitmap half;
  Halve(renders[2], half);
  const double psnr = Psnr(renders[0], half);
  std::printf("200 %% editor halved against the 100 %% one: PSNR %.1f dB\n", psnr);
  EXPECT_GE(psnr, 30.0);
  if (psnr < 30.0) {
    WritePngFile(&renders[2], (testing::TempDir() + "morvane-editor-200.png").c_str());
    WritePngFile(&half, (testing::TempDir() + "morvane-editor-200-halved.png").c_str());
  }
}

// A knob turns by the same amount for the same movement of the hand: at
// 200 % the pointer moves twice as many pixels.
TEST(ScaledEditor, ADragAtTwiceTheSizeTurnsTheKnobAsAtOneSize) {
  double values[2];
  for (int i = 0; i < 2; ++i) {
    const int s = i + 1;  // 100 % and 200 %
    Plugin p;
    SendHostScale(p.effect, static_cast<float>(s));
    p.Open();
    IModifiers left;
    left.left = true;
    // The Attack knob's centre (108, 126 in the layout), then up by three
    // quarters of its height in small steps.
    p.graphics->OnMouseDown(108 * s, 126 * s, left);
    for (int step = 1; step <= 21; ++step) p.graphics->OnMouseDrag(108 * s, (126 - 5 * step) * s, left);
    p.graphics->OnMouseUp(108 * s, 21 * s, left);
    values[i] = p.plug.GetParam(Morvane::kAttack)->Value();
    EXPECT_EQ(p.host.Count(audioMasterBeginEdit), 1);
    EXPECT_EQ(p.host.Count(audioMasterEndEdit), 1);
  }
  EXPECT_DOUBLE_EQ(values[0], values[1]);
  // From the middle (0 %), 105 of the 560 layout pixels of a full sweep up:
  // 0.5 + 105 / 560 = 0.6875 of -100..100 %.
  EXPECT_NEAR(values[0], 37.5, 1e-9);
}

TEST(ScaledEditor, TheZoomMenuChangesTheSizeOfThisInstanceAlone) {
  ConfigFolder config;
  Plugin p(MenuEditor::Make);
  auto* editor = static_cast<MenuEditor*>(p.graphics);
  p.Open();
  p.host.Clear();
  IModifiers right;
  right.right = true;

  // A right click on the background (not on a control): the menu, with
  // "Automatic" checked; "150 %" chosen.
  editor->choice = 2;
  editor->OnMouseDown(300, 20, right);
  editor->OnMouseUp(300, 20, IModifiers());
  EXPECT_EQ(editor->shownLabels, "Zoom: Automatic* 100 % 150 % 200 %");
  // The host was asked first, then the editor took the new size.
  ASSERT_EQ(p.host.Count(audioMasterSizeWindow), 1);
  EXPECT_EQ(p.host.calls[0].index, 867);
  EXPECT_EQ(p.host.calls[0].value, 449);
  EXPECT_EQ(p.Rect(), std::make_pair(867, 449));
  editor->Tick();
  EXPECT_EQ(editor->Screen().GetWidth(), 867);

  // The choice outlasts closing and opening again, whatever the host asks.
  Dispatch(p.effect, effEditClose);
  SendHostScale(p.effect, 2.0f);
  p.Open();
  EXPECT_EQ(p.Rect(), std::make_pair(867, 449));
  // Another instance goes by the host's scale, and nothing was written.
  Plugin other;
  SendHostScale(other.effect, 2.0f);
  EXPECT_EQ(other.Rect(), std::make_pair(1156, 598));
  EXPECT_TRUE(config.RemovedEmpty());

  // A host that cannot resize keeps the editor at its size.
  p.host.sizeWindowAnswer = 0;
  editor->choice = 3;
  editor->OnMouseDown(300, 20, right);
  EXPECT_EQ(p.Rect(), std::make_pair(867, 449));

  // "Automatic": the host's scale decides again.
  p.host.sizeWindowAnswer = 1;
  editor->choice = 0;
  editor->OnMouseDown(300, 20, right);
  EXPECT_EQ(p.Rect(), std::make_pair(1156, 598));
}

TEST(ScaledEditor, TheHostsScaleMessageIgnoresAbsurdValues) {
  Plugin p;
  EXPECT_EQ(Dispatch(p.effect, effCanDo, 0, 0, const_cast<char*>("supportsViewDpiScaling")), 1);
  SendHostScale(p.effect, 1.4f);  // the nearest size
  EXPECT_EQ(p.Rect(), std::make_pair(867, 449));
  for (float absurd : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                       1e9f}) {
    SendHostScale(p.effect, absurd);
    EXPECT_EQ(p.Rect(), std::make_pair(867, 449)) << absurd;
  }
  // Another vendor request with the same index changes nothing.
  Dispatch(p.effect, effVendorSpecific, VstFourCC('P', 'r', 'e', 'S'), 0, nullptr, 2.0f);
  EXPECT_EQ(p.Rect(), std::make_pair(867, 449));
}

// The host's window moves to a screen of another density while the editor
// is open: the editor asks the host and takes the size for that screen,
// unless the host's own scale or the user's choice decides.
TEST(ScaledEditor, AnOpenEditorFollowsItsWindowToAnotherScreen) {
  Plugin p(ScreenEditor::Make);
  auto* editor = static_cast<ScreenEditor*>(p.graphics);
  p.Open();
  p.host.Clear();
  editor->MoveToScreen(1.5);
  ASSERT_EQ(p.host.Count(audioMasterSizeWindow), 1);
  EXPECT_EQ(p.host.calls[0].index, 867);
  EXPECT_EQ(p.Rect(), std::make_pair(867, 449));
  editor->MoveToScreen(1.0);
  EXPECT_EQ(p.Rect(), std::make_pair(578, 299));

  SendHostScale(p.effect, 2.0f);
  editor->MoveToScreen(1.5);
  EXPECT_EQ(p.Rect(), std::make_pair(1156, 598));
}

}  // namespace
