// The Linux editor window as a host drives it: the built Morvane.so loaded
// with dlopen and entered through VSTPluginMain, its editor opened in a
// window of the test's own with effEditOpen, idled with effEditIdle and
// given mouse input with XTest. Needs an X display (scripts/test.sh runs it
// under xvfb-run).

#include <gtest/gtest.h>

#include <dirent.h>
#include <dlfcn.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bitmap/Bitmap.h"
#include "bitmap/PngWrite.h"
#include "editor/offscreen/IGraphicsOffscreen.h"
#include "editor/x11/IGraphicsX11.h"
#include "plugin/Morvane.h"
#include "tests/editor/ProcessMetrics.h"
#include "tests/editor/X11TestSupport.h"
#include "tests/vst2/HostScale.h"
#include "tests/vst2/RecordingHost.h"


namespace {

using process_metrics::HeapInUse;
using process_metrics::OpenFiles;
using x11_test::IdleFor;
using x11_test::IdleUntil;
using x11_test::XHost;

constexpr int kWidth = 578;
constexpr int kHeight = 299;
// The Attack knob: 140 x 140 pixels at (38, 56), parameter 0, whose default
// is 0.5 normalised; a full sweep takes 4 x 140 = 560 pixels.
constexpr int kAttackX = 108;
constexpr int kAttackY = 126;

// A state of the parameters, set through setParameter in both editors compared.
const float kState[][2] = {{0, 0.8f}, {1, 0.25f}, {3, 0.9f}, {4, 0.6f}, {7, 0.1f}};

// Morvane with the off-screen editor in the state above, drawn once, at the
// size the host's scale asks for.
struct Reference {
  Morvane plug{nullptr, IGraphicsOffscreen::Make};
  IGraphicsOffscreen* graphics;

  explicit Reference(float scale = 1.0f) {
    AEffect* e = plug.GetAEffect();
    Dispatch(e, effOpen);
    SendHostScale(e, scale);
    for (const auto& v : kState) e->setParameter(e, static_cast<VstInt32>(v[0]), v[1]);
    Dispatch(e, effEditOpen);
    graphics = static_cast<IGraphicsOffscreen*>(plug.GetEditor());
    graphics->Tick();
  }
};

// Everything written to stderr while it lives.
class StderrCapture {
public:
  StderrCapture() {
    std::fflush(stderr);
    mFile = std::tmpfile();
    mSaved = dup(2);
    dup2(fileno(mFile), 2);
  }
  std::string Text() {
    std::fflush(stderr);
    dup2(mSaved, 2);
    close(mSaved);
    std::string text;
    std::rewind(mFile);
    for (int c; (c = std::fgetc(mFile)) != EOF;) text += static_cast<char>(c);
    std::fclose(mFile);
    return text;
  }

private:
  std::FILE* mFile;
  int mSaved;
};


// Shared-memory segments mapped into this process.
int SharedSegments() {
  std::ifstream maps("/proc/self/maps");
  int count = 0;
  for (std::string line; std::getline(maps, line);) count += line.find("SYSV") != std::string::npos;
  return count;
}


class X11Editor : public testing::Test {
protected:
  static void SetUpTestSuite() {
    sLibrary = dlopen(MORVANE_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (sLibrary) sEntry = reinterpret_cast<VstPluginMainProc>(dlsym(sLibrary, "VSTPluginMain"));
  }
  static void TearDownTestSuite() {
    if (sLibrary) dlclose(sLibrary);
  }

  void SetUp() override {
    ASSERT_NE(host.display, nullptr) << "needs an X display: run under xvfb-run (scripts/test.sh does)";
    ASSERT_NE(sEntry, nullptr) << dlerror();
    effect = Make(recorder);
  }
  void TearDown() override {
    for (AEffect* e : {effect, second}) {
      if (!e) continue;
      Dispatch(e, effEditClose);
      Dispatch(e, effClose);
    }
  }

  AEffect* Make(RecordingHost& h) {
    AEffect* e = sEntry(&RecordingHost::Callback);
    e->user = &h;
    Dispatch(e, effOpen);
    return e;
  }
  static bool Open(AEffect* e, XHost& h) { return Dispatch(e, effEditOpen, 0, 0, h.ParentHandle()) == 1; }
  static std::function<void()> Idler(AEffect* e) {
    return [e] { Dispatch(e, effEditIdle); };
  }
  float Value(int param, AEffect* e = nullptr) {
    e = e ? e : effect;
    return e->getParameter(e, param);
  }
  // The edit calls the host received (begin, automate, end), in order.
  static std::vector<RecordedCall> Edits(const RecordingHost& h) {
    std::vector<RecordedCall> edits;
    for (const RecordedCall& c : h.calls) {
      if (c.opcode == audioMasterBeginEdit || c.opcode == audioMasterAutomate || c.opcode == audioMasterEndEdit) {
        edits.push_back(c);
      }
    }
    return edits;
  }

  static void* sLibrary;
  static VstPluginMainProc sEntry;
  XHost host;
  RecordingHost recorder;
  AEffect* effect = nullptr;
  AEffect* second = nullptr;
};

void* X11Editor::sLibrary = nullptr;
VstPluginMainProc X11Editor::sEntry = nullptr;

// ---- gestures ----------------------------------------------------------------------------

TEST_F(X11Editor, DragLeavingTheWindowTurnsTheKnobInOneGesture) {
  ASSERT_TRUE(Open(effect, host));
  const auto idle = Idler(effect);
  IdleFor(idle, 100);
  recorder.Clear();

  host.MoveTo(kAttackX, kAttackY);
  host.Button(1, true);
  for (int step = 1; step <= 5; ++step) {
    host.MoveTo(kAttackX, kAttackY - 20 * step);
    IdleFor(idle, 15);
  }
  host.MoveTo(kAttackX + 300, -30);  // outside the editor and its parent
  IdleFor(idle, 15);
  host.Button(1, false);  // released there
  ASSERT_TRUE(IdleUntil(idle, [&] { return recorder.Count(audioMasterEndEdit) > 0; }));

  // 156 pixels up, at 560 pixels a sweep.
  const double expected = 0.5 + (kAttackY + 30) / 560.0;
  EXPECT_NEAR(Value(0), expected, 1e-6);
  const std::vector<RecordedCall> edits = Edits(recorder);
  ASSERT_GE(edits.size(), 3u);
  EXPECT_EQ(edits.front().opcode, audioMasterBeginEdit);
  EXPECT_EQ(edits.back().opcode, audioMasterEndEdit);
  for (size_t i = 1; i + 1 < edits.size(); ++i) EXPECT_EQ(edits[i].opcode, audioMasterAutomate) << i;
  for (const RecordedCall& c : edits) EXPECT_EQ(c.index, 0);
  EXPECT_NEAR(edits[edits.size() - 2].opt, expected, 1e-6);

  // The gesture is over: moving again turns nothing.
  host.MoveTo(kAttackX, kAttackY);
  IdleFor(idle, 60);
  EXPECT_NEAR(Value(0), expected, 1e-6);
}

// A host hides its plug-in window mid-drag (another tab, a minimised
// mixer): the server ends the editor's grab, the release never comes, and
// the gesture must end then, not stay open for touch automation to write.
TEST_F(X11Editor, HostHidingTheWindowMidDragEndsTheGesture) {
  ASSERT_TRUE(Open(effect, host));
  const auto idle = Idler(effect);
  IdleFor(idle, 100);
  recorder.Clear();

  host.MoveTo(kAttackX, kAttackY);
  host.Button(1, true);
  host.MoveTo(kAttackX, kAttackY - 40);
  ASSERT_TRUE(IdleUntil(idle, [&] { return recorder.Count(audioMasterAutomate) > 0; }));
  ASSERT_EQ(recorder.Count(audioMasterBeginEdit), 1);

  XUnmapWindow(host.display, host.parent);
  XSync(host.display, False);
  ASSERT_TRUE(IdleUntil(idle, [&] { return recorder.Count(audioMasterEndEdit) > 0; }))
      << "the gesture stayed open after the host hid the editor";
  const float ended = Value(0);

  // Shown again, the button still down and then released: nothing more.
  XMapRaised(host.display, host.parent);
  XSync(host.display, False);
  IdleFor(idle, 60);
  host.MoveTo(kAttackX, kAttackY - 120);
  IdleFor(idle, 30);
  host.Button(1, false);
  IdleFor(idle, 60);
  EXPECT_EQ(recorder.Count(audioMasterBeginEdit), 1);
  EXPECT_EQ(recorder.Count(audioMasterEndEdit), 1);
  EXPECT_EQ(Value(0), ended);
  const std::vector<RecordedCall> edits = Edits(recorder);
  EXPECT_EQ(edits.back().opcode, audioMasterEndEdit);
}

TEST_F(X11Editor, QuickCloseSecondClickRestoresTheDefault) {
  ASSERT_TRUE(Open(effect, host));
  const auto idle = Idler(effect);
  effect->setParameter(effect, 0, 0.9f);
  IdleFor(idle, 60);

  // Too slow, then too far apart: two clicks, not a double click.
  host.MoveTo(kAttackX, kAttackY);
  host.Click(1);
  IdleFor(idle, 450);
  host.Click(1);
  IdleFor(idle, 60);
  host.MoveTo(kAttackX + 12, kAttackY);
  host.Click(1);
  IdleFor(idle, 60);
  EXPECT_FLOAT_EQ(Value(0), 0.9f);

  recorder.Clear();
  host.Click(1);
  host.Click(1);
  ASSERT_TRUE(IdleUntil(idle, [&] { return recorder.Count(audioMasterEndEdit) > 1; }));
  EXPECT_FLOAT_EQ(Value(0), 0.5f);
  // Restoring the default is a gesture of its own: begin, the value, end;
  // and every begin has its end.
  const std::vector<RecordedCall> edits = Edits(recorder);
  int begins = 0, ends = 0, automated = -1;
  for (size_t i = 0; i < edits.size(); ++i) {
    begins += edits[i].opcode == audioMasterBeginEdit;
    ends += edits[i].opcode == audioMasterEndEdit;
    if (edits[i].opcode == audioMasterAutomate) automated = static_cast<int>(i);
  }
  EXPECT_EQ(begins, ends);
  ASSERT_GT(automated, 0);
  ASSERT_LT(automated + 1, static_cast<int>(edits.size()));
  EXPECT_EQ(edits[automated - 1].opcode, audioMasterBeginEdit);
  EXPECT_FLOAT_EQ(edits[automated].opt, 0.5f);
  EXPECT_EQ(edits[automated + 1].opcode, audioMasterEndEdit);
}

TEST_F(X11Editor, WheelStepsAndMiddleButtonGesture) {
  ASSERT_TRUE(Open(effect, host));
  const auto idle = Idler(effect);
  IdleFor(idle, 60);
  host.MoveTo(kAttackX, kAttackY);

  host.Click(4);  // one notch up: 1 %
  ASSERT_TRUE(IdleUntil(idle, [&] { return Value(0) > 0.5f; }));
  EXPECT_NEAR(Value(0), 0.51, 1e-6);
  host.Click(5);
  host.Click(5);
  host.Click(6);  // sideways: nothing
  host.Click(7);
  IdleFor(idle, 100);
  EXPECT_NEAR(Value(0), 0.49, 1e-6);

  recorder.Clear();
  host.Button(2, true);
  IdleFor(idle, 30);
  host.Button(2, false);
  ASSERT_TRUE(IdleUntil(idle, [&] { return recorder.Count(audioMasterEndEdit) > 0; }));
  const std::vector<RecordedCall> edits = Edits(recorder);
  ASSERT_EQ(edits.size(), 2u);
  EXPECT_EQ(edits[0].opcode, audioMasterBeginEdit);
  EXPECT_EQ(edits[1].opcode, audioMasterEndEdit);
  EXPECT_NEAR(Value(0), 0.49, 1e-6);
}

TEST_F(X11Editor, KeysTheEditorDoesNotTakeGoOnToTheHostsWindow) {
  XSelectInput(host.display, host.parent, KeyPressMask | KeyReleaseMask);
  ASSERT_TRUE(Open(effect, host));
  IdleFor(Idler(effect), 60);
  host.MoveTo(kAttackX, kAttackY);  // keys go to the window under the pointer
  host.Key(XK_space);
  XEvent press = {};
  const auto keyEvent = [&](int type, XEvent* event) {
    return IdleUntil(Idler(effect), [&] { return XCheckTypedWindowEvent(host.display, host.parent, type, event); });
  };
  ASSERT_TRUE(keyEvent(KeyPress, &press));
  EXPECT_EQ(press.xkey.keycode, XKeysymToKeycode(host.display, XK_space));
  XEvent release = {};
  EXPECT_TRUE(keyEvent(KeyRelease, &release));
}

TEST_F(X11Editor, TwoEditorsAtOnceEachTakeTheirOwnInput) {
  RecordingHost otherRecorder;
  second = Make(otherRecorder);
  XHost below(100, 520);
  ASSERT_TRUE(Open(effect, host));
  ASSERT_TRUE(Open(second, below));
  const auto idleBoth = [&] {
    Dispatch(effect, effEditIdle);
    Dispatch(second, effEditIdle);
  };
  IdleFor(idleBoth, 60);

  below.MoveTo(kAttackX, kAttackY);
  below.Click(4);
  ASSERT_TRUE(IdleUntil(idleBoth, [&] { return Value(0, second) > 0.5f; }));
  EXPECT_FLOAT_EQ(Value(0), 0.5f);

  // Closing the first leaves the second working.
  Dispatch(effect, effEditClose);
  below.Click(4);
  ASSERT_TRUE(IdleUntil(Idler(second), [&] { return Value(0, second) > 0.515f; }));
  EXPECT_NEAR(Value(0, second), 0.52, 1e-6);
}

// ---- pixels ------------------------------------------------------------------------------

TEST_F(X11Editor, WindowShowsTheOffscreenRenderAndRepaintsWhatWasLost) {
  for (const auto& v : kState) effect->setParameter(effect, static_cast<VstInt32>(v[0]), v[1]);
  ASSERT_TRUE(Open(effect, host));
  const auto idle = Idler(effect);
  IdleFor(idle, 120);
  const Window window = host.EditorWindow();
  ASSERT_NE(window, 0u);

  Reference reference;
  XImage* shown = host.Grab(window, kWidth, kHeight);
  ASSERT_NE(shown, nullptr);
  std::string first;
  EXPECT_EQ(x11_test::Differences(shown, reference.graphics->Screen(), &first), 0) << first;

  XDestroyImage(shown);
  // What a user sees in the host's window, for looking at.
  const int shotWidth = kWidth + 60;
  const int shotHeight = kHeight + 40;
  if (XImage* parent = host.Grab(host.parent, shotWidth, shotHeight)) {
    BM_MemBitmap shot(shotWidth, shotHeight);
    for (int y = 0; y < shotHeight; ++y) {
      for (int x = 0; x < shotWidth; ++x) {
        shot.GetBits()[y * shot.GetRowSpan() + x] = 0xFF000000u | x11_test::Rgb(parent, x, y);
      }
    }
    WritePngFile(&shot, MORVANE_X11_SHOT_PATH);
    XDestroyImage(parent);
  }

  // A window over part of the editor, then gone: the server keeps nothing
  // of what was under it, and the editor paints it again.
  XSetWindowAttributes a = {};
  a.override_redirect = True;
  a.background_pixel = 0xFF0000;
  const Window cover = XCreateWindow(host.display, DefaultRootWindow(host.display), 250, 150, 200, 150, 0,
                                     CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &a);
  XMapRaised(host.display, cover);
  XSync(host.display, False);
  XDestroyWindow(host.display, cover);
  XSync(host.display, False);
  XImage* lost = host.Grab(window, kWidth, kHeight);
  const bool somethingLost = x11_test::Differences(lost, reference.graphics->Screen(), &first) > 0;
  XDestroyImage(lost);
  EXPECT_TRUE(somethingLost);  // the repaint below has work to do

  IdleFor(idle, 60);
  XImage* repainted = host.Grab(window, kWidth, kHeight);
  EXPECT_EQ(x11_test::Differences(repainted, reference.graphics->Screen(), &first), 0) << first;
  XDestroyImage(repainted);
}

// The same through the editor class linked directly, with and without MIT-SHM.
// At 150 % and 200 % the window has the size of the scale and shows the
// off-screen render of that size; a new scale while open resizes it.
TEST_F(X11Editor, AtEachSizeTheWindowShowsTheOffscreenRender) {
  XHost big(40, 40, 1200, 640);
  for (const auto& v : kState) effect->setParameter(effect, static_cast<VstInt32>(v[0]), v[1]);
  for (float scale : {1.5f, 2.0f}) {
    SendHostScale(effect, scale);
    ASSERT_TRUE(Open(effect, big));
    IdleFor(Idler(effect), 120);
    const Window window = big.EditorWindow();
    ASSERT_NE(window, 0u);
    Reference reference(scale);
    const int width = reference.graphics->Screen().GetWidth();
    const int height = reference.graphics->Screen().GetHeight();
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(big.display, window, &attributes));
    EXPECT_EQ(attributes.width, width);
    EXPECT_EQ(attributes.height, height);
    XImage* shown = big.Grab(window, width, height);
    ASSERT_NE(shown, nullptr);
    std::string first;
    EXPECT_EQ(x11_test::Differences(shown, reference.graphics->Screen(), &first), 0) << scale << ": " << first;
    XDestroyImage(shown);
    Dispatch(effect, effEditClose);
  }

  ASSERT_TRUE(Open(effect, big));
  recorder.Clear();
  SendHostScale(effect, 1.0f);
  EXPECT_EQ(recorder.Count(audioMasterSizeWindow), 1);
  IdleFor(Idler(effect), 120);
  XWindowAttributes attributes;
  ASSERT_TRUE(XGetWindowAttributes(big.display, big.EditorWindow(), &attributes));
  EXPECT_EQ(attributes.width, kWidth);
  EXPECT_EQ(attributes.height, kHeight);
  XImage* shown = big.Grab(big.EditorWindow(), kWidth, kHeight);
  ASSERT_NE(shown, nullptr);
  Reference reference;
  std::string first;
  EXPECT_EQ(x11_test::Differences(shown, reference.graphics->Screen(), &first), 0) << first;
  XDestroyImage(shown);
}

TEST_F(X11Editor, SharedAndPlainImagesShowTheSamePixels) {
  Reference reference;
  for (bool shared : {true, false}) {
    IGraphicsX11::AllowSharedMemory(shared);
    Morvane plug(nullptr);
    AEffect* e = plug.GetAEffect();
    Dispatch(e, effOpen);
    for (const auto& v : kState) e->setParameter(e, static_cast<VstInt32>(v[0]), v[1]);
    XHost parent;
    ASSERT_TRUE(Open(e, parent));
    EXPECT_EQ(static_cast<IGraphicsX11*>(plug.GetEditor())->UsesSharedMemory(), shared);
    IdleFor(Idler(e), 100);
    XImage* shown = parent.Grab(parent.EditorWindow(), kWidth, kHeight);
    ASSERT_NE(shown, nullptr);
    std::string first;
    EXPECT_EQ(x11_test::Differences(shown, reference.graphics->Screen(), &first), 0)
        << (shared ? "shared: " : "plain: ") << first;
    XDestroyImage(shown);
    Dispatch(e, effEditClose);
  }
  IGraphicsX11::AllowSharedMemory(true);
}

// ---- the host's window going first, and many openings ----------------------------------------

// The host's error handler: counts the errors of its own connection and of
// any other (which the editor's own handler must have kept from it). Set up
// after an editor in this process installed its handler (an earlier test's),
// it passes other connections' errors on to that one, as a host that saved
// the previous handler does.
Display* gHostDisplay = nullptr;
int gHostErrors = 0;
int gOtherErrors = 0;
XErrorHandler gEditorsHandler = nullptr;
int CountHostError(Display* display, XErrorEvent* error) {
  if (display == gHostDisplay) {
    ++gHostErrors;
  } else if (gEditorsHandler) {
    return gEditorsHandler(display, error);
  } else {
    ++gOtherErrors;
  }
  return 0;
}
// Whether handler is an editor's (this test's own editors or the library's)
// rather than Xlib's default.
bool IsAnEditorsHandler(XErrorHandler handler) {
  Dl_info info;
  return handler && dladdr(reinterpret_cast<void*>(handler), &info) && info.dli_fname &&
         std::strstr(info.dli_fname, "libX11") == nullptr;
}

TEST_F(X11Editor, ParentDestroyedBeforeEditCloseIsQuietAndLeavesTheHostsHandler) {
  const XErrorHandler previous = XSetErrorHandler(CountHostError);
  gEditorsHandler = IsAnEditorsHandler(previous) ? previous : nullptr;
  gOtherErrors = 0;
  StderrCapture capture;
  for (bool idleBetween : {true, false}) {
    XHost doomed;
    ASSERT_TRUE(Open(effect, doomed));
    IdleFor(Idler(effect), 60);

    // Meanwhile the host's own errors still reach the host's handler.
    gHostDisplay = doomed.display;
    gHostErrors = 0;
    const Window gone = XCreateSimpleWindow(doomed.display, doomed.parent, 0, 0, 1, 1, 0, 0, 0);
    XDestroyWindow(doomed.display, gone);
    XMapWindow(doomed.display, gone);
    XSync(doomed.display, False);
    EXPECT_EQ(gHostErrors, 1);

    XDestroyWindow(doomed.display, doomed.parent);
    doomed.parent = 0;
    XSync(doomed.display, False);
    effect->setParameter(effect, 0, idleBetween ? 0.3f : 0.7f);  // a redraw is due
    if (idleBetween) IdleFor(Idler(effect), 100);
    EXPECT_EQ(Dispatch(effect, effEditClose), 1);
  }
  // The editor opens and draws again in a window that lives.
  ASSERT_TRUE(Open(effect, host));
  IdleFor(Idler(effect), 60);
  Dispatch(effect, effEditClose);

  EXPECT_EQ(capture.Text(), "");
  EXPECT_EQ(gOtherErrors, 0);
  // With every editor closed, the host's errors still reach the host's handler.
  gHostDisplay = host.display;
  gHostErrors = 0;
  XMapWindow(host.display, static_cast<Window>(0x7FFFFF));
  XSync(host.display, False);
  EXPECT_EQ(gHostErrors, 1);
  XSetErrorHandler(previous);
  gEditorsHandler = nullptr;
}

TEST_F(X11Editor, WithoutAServerOrAParentTheEditorDoesNotOpen) {
  const int filesAtStart = OpenFiles();
  const std::string display = std::getenv("DISPLAY");
  unsetenv("DISPLAY");
  EXPECT_EQ(Dispatch(effect, effEditOpen, 0, 0, host.ParentHandle()), 0);
  setenv("DISPLAY", display.c_str(), 1);
  EXPECT_EQ(Dispatch(effect, effEditIdle), 0);

  const Window gone = XCreateSimpleWindow(host.display, host.parent, 0, 0, 1, 1, 0, 0, 0);
  XDestroyWindow(host.display, gone);
  XSync(host.display, False);
  EXPECT_EQ(Dispatch(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(gone))), 0);
  EXPECT_EQ(Dispatch(effect, effEditOpen, 0, 0, nullptr), 0);
  EXPECT_EQ(OpenFiles(), filesAtStart);  // nothing left open by the failures
}

TEST_F(X11Editor, ThousandOpenCloseCyclesKeepFilesAndMemory) {
  const auto cycle = [&] {
    ASSERT_TRUE(Open(effect, host));
    Dispatch(effect, effEditIdle);  // the first frame is due at once: it draws everything
    Dispatch(effect, effEditClose);
  };
  for (int i = 0; i < 20; ++i) cycle();
  const int files = OpenFiles();
  const int segments = SharedSegments();
  const size_t heap = HeapInUse();
  for (int i = 0; i < 1000 && !HasFatalFailure(); ++i) cycle();
  EXPECT_EQ(OpenFiles(), files);
  EXPECT_EQ(SharedSegments(), segments);
  const size_t grown = HeapInUse() > heap ? HeapInUse() - heap : 0;
  EXPECT_LT(grown, 64u * 1024u) << "bytes";
}

}  // namespace
