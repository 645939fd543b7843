#pragma once
// A host's side of an X11 editor for tests: a connection of its own to the
// display, a parent window for the editor, the editor's idle calls, and mouse
// and keyboard input made with the XTest extension (as a user's would be:
// the server delivers it to whichever window holds or is under the pointer).
// These tests need a display: scripts/test.sh runs them under xvfb-run.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "framework/vst2/VstDefs.h"

namespace x11_test {

// Pixels of the editor window's image, as 0xRRGGBB.
inline uint32_t Rgb(XImage* image, int x, int y) { return static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF; }

// How many pixels of the window's image differ from a render of the
// editor's bitmap (alpha aside); *first tells the first of them.
template <class Bitmap>
int Differences(XImage* window, Bitmap& render, std::string* first) {
  int count = 0;
  for (int y = 0; y < render.GetHeight(); ++y) {
    for (int x = 0; x < render.GetWidth(); ++x) {
      const uint32_t want = render.GetBits()[y * render.GetRowSpan() + x] & 0xFFFFFF;
      const uint32_t got = Rgb(window, x, y);
      if (want != got && count++ == 0) {
        char text[96];
        std::snprintf(text, sizeof text, "(%d, %d): window %06x, render %06x", x, y, got, want);
        *first = text;
      }
    }
  }
  return count;
}

class XHost {
public:
  // A connection and a mapped top-level parent window at (left, top) of the
  // screen; the editor's top left then lies there too.
  XHost(int left = 100, int top = 100, int width = 700, int height = 400) : mLeft(left), mTop(top) {
    display = XOpenDisplay(nullptr);
    if (!display) return;
    XSetWindowAttributes a = {};
    a.override_redirect = True;  // placed where asked, whatever window manager runs
    a.background_pixel = 0x3C3F44;  // a host's grey around the editor
    parent = XCreateWindow(display, DefaultRootWindow(display), left, top, static_cast<unsigned>(width),
                           static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                           CWOverrideRedirect | CWBackPixel, &a);
    XMapRaised(display, parent);
    XSync(display, False);
  }
  ~XHost() {
    if (!display) return;
    if (parent) XDestroyWindow(display, parent);
    XCloseDisplay(display);
  }
  XHost(const XHost&) = delete;
  XHost& operator=(const XHost&) = delete;

  void* ParentHandle() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(parent)); }

  // The parent's first child: the editor's window, or 0.
  Window EditorWindow() const {
    Window root, up, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(display, parent, &root, &up, &children, &count) && count > 0) found = children[0];
    if (children) XFree(children);
    return found;
  }

  // Input at a position of the editor (relative to its top left).
  void MoveTo(int x, int y) {
    XTestFakeMotionEvent(display, -1, mLeft + x, mTop + y, CurrentTime);
    XSync(display, False);
  }
  void Button(unsigned button, bool down) {
    XTestFakeButtonEvent(display, button, down ? True : False, CurrentTime);
    XSync(display, False);
  }
  void Click(unsigned button) {
    Button(button, true);
    Button(button, false);
  }
  void Key(KeySym sym) {
    const KeyCode code = XKeysymToKeycode(display, sym);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    XSync(display, False);
  }

  XImage* Grab(Window window, int width, int height) {
    return XGetImage(display, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes,
                     ZPixmap);
  }

  Display* display = nullptr;
  Window parent = 0;

private:
  int mLeft;
  int mTop;
};

// Calls the editor's idle as a host's timer would, every 5 ms, until done()
// holds or the time is up; whether done() held.
inline bool IdleUntil(const std::function<void()>& idle, const std::function<bool()>& done, int timeoutMs = 3000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    idle();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// Idles for a while: long enough for a few frames at 25 per second.
inline void IdleFor(const std::function<void()>& idle, int ms) {
  IdleUntil(idle, [] { return false; }, ms);
}

}  // namespace x11_test
