#pragma once
// The editor's window on Linux, over Xlib.
//
// Linux hosts open a plug-in's editor by handing effEditOpen the id of an X11
// window and then call effEditIdle regularly from their user-interface
// thread; nothing here starts a thread. Each open window has a display
// connection of its own (opened from $DISPLAY by OpenWindow, closed by
// CloseWindow), so several editors of one process, and the host's own
// connection, never share a queue.
//
// 1. OpenWindow (parent id): opens the connection, registers it with the
//    library's X error handler, creates a child window of the editor's size
//    at the parent's top left, maps it and makes the image that carries the
//    back buffer to it (MIT-SHM where offered). Every control is marked dirty.
// 2. Idle (effEditIdle): handles the queued events (mouse, keys, exposure,
//    focus, the window's destruction); when a frame is due by the monotonic
//    clock (1000 / frame rate ms after the last), runs the redraw tick; and
//    repaints what Expose reported lost.
// 3. CloseWindow: ends a text entry unapplied, destroys the window unless the
//    host already destroyed it with its parent, closes the connection.
//
// Input follows the Windows editor: a press of the left, middle or right
// button grabs the pointer until the last button is released, so a drag
// that leaves the window still turns its knob and a release outside ends the
// gesture; a second left press within 400 ms and 5 pixels is a double click;
// wheel buttons 4 and 5 are steps of +1 and -1. Keys the editor does not take
// are passed on to the host's window.
//
// Services without a Linux counterpart here answer "not available":
// ShowAlert returns 0 (no button was pressed, so a confirmation is never
// given), ChooseFile empties the file name, PickColour and ReadClipboardText
// return false. Tooltips are not shown.
#include <X11/Xlib.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "editor/IGraphicsWindowless.h"
#include "editor/x11/XImageSurface.h"

class IGraphicsX11 : public IGraphicsWindowless {
public:
  IGraphicsX11(IEffectBase* plugin, int width, int height, int frameRate);
  ~IGraphicsX11() override;

  bool PresentArea(const IBounds& area) override;
  void CancelTextEntry() override;
  void Resize(int width, int height) override;
  const char* GetDrawingApiName() override;  // "Xlib"
  // A menu window of the editor's own below area, held until an item is
  // chosen or the menu is dismissed (a press outside it, Escape).
  IMenu* ShowPopupMenu(IMenu* menu, const IBounds& area) override;
  // A box drawn by the editor over area, edited with the keyboard; see
  // the entry's states in XTextEntry.h.
  void OpenTextEntry(IControl* control, const ITextStyle& style, const IBounds& area, const char* text,
                     IParameter* param) override;
  void HostFolder(std::string& path) override;
  void PluginFolder(std::string& path) override;
  void DesktopFolder(std::string& path) override;
  void AppDataFolder(std::string& path, bool shared) override;
  // Opens the address with xdg-open. A confirmation text cannot be asked
  // (no message box): with one, nothing opens and the result is false.
  bool OpenWebLink(const char* url, const char* caption, const char* confirmText, const char* errorText) override;
  // parentWindow is the X11 window id (an XID) given as a pointer. Null when
  // there is no display, the parent does not exist or no window can be made.
  void* OpenWindow(void* parentWindow) override;
  void CloseWindow() override;
  // The window id as a pointer; null when closed or destroyed by the host.
  void* NativeWindow() override;
  // The open window's X connection; -1 while closed.
  int EventDescriptor() const override;
  // Hides the pointer over the editor (and during its grab), remembering where
  // it was; RestoreCursor puts it back there.
  void HideCursor() override;
  void RestoreCursor() override;
  void Idle() override;
  // Claims the editor like the host's other entries (a size change resizes
  // the window).
  void SetHostScale(double scale) override;
  void ResizeWindowToScale() override;

  // For tests: whether windows opened from now on may use MIT-SHM (they do
  // by default), and whether the open window does.
  static void AllowSharedMemory(bool allowed);
  bool UsesSharedMemory() const { return mSurface.UsesSharedMemory(); }

  struct TextEntry;  // XTextEntry.h

private:

  // The host may call OpenWindow, CloseWindow and Idle from different
  // threads at once and without the instance lock. Each of them claims the
  // editor for its whole run: opening and closing wait for the claim, an
  // idle call that finds it taken returns at once. The claim is a flag under
  // a small lock, which is never held across a call into the host.
  // While claimed, the editor calls the host (a size request, an edit), and
  // the host may answer on the same thread with a close or a scale: those
  // cannot wait for a claim their own thread holds, so they are deferred to
  // the end of the claim (ClaimedHere, Unclaim).
  bool Claim(bool wait);
  void Unclaim();
  bool ClaimedHere();
  void* DoOpenWindow(void* parentWindow);
  void DoCloseWindow();
  void DoIdle();

  void HandleEvent(XEvent& event);
  void OnButtonPress(const XButtonEvent& event);
  void OnButtonRelease(const XButtonEvent& event);
  void OnMotion(const XMotionEvent& event);
  void OnKeyPress(XKeyEvent& event);
  void PassKeyToHost(XKeyEvent& event);
  void OnFocus(const XFocusChangeEvent& event);
  void OnWindowDestroyed();
  // One redraw timer tick: ends a text entry that was committed or cancelled,
  // else draws the dirty area together with what was exposed.
  void Tick();
  // Draws area and everything dirty (the core marks every control drawn).
  void Repaint(const IBounds& area);
  // time: the event that starts the grab, so that the server's notice of a
  // grab ended before it is not taken for this one's.
  void GrabPointer(Time time);
  void UngrabPointer();
  // The server ended the grab: the gesture ends without its release.
  void LoseGrab();
  // Whether the window is mapped and so are all its ancestors (a round trip).
  bool Viewable();

  // Text entry (XTextEntry.cpp).
  void EntryKey(XKeyEvent& event);
  void DrawEntryBox();
  void EndTextEntry(bool apply);

  Display* mDisplay = nullptr;
  Window mWindow = 0;
  Window mParent = 0;
  bool mWindowAlive = false;      // false once the host destroyed it with its parent
  GC mGC = nullptr;
  Colormap mColormap = 0;         // made when the visual is not the screen's default
  Visual* mVisual = nullptr;
  int mDepth = 0;
  Cursor mBlankCursor = 0;
  x11::XImageSurface mSurface;
  std::mutex mClaimLock;
  std::condition_variable mClaimFree;
  bool mClaimed = false;          // an entry of the host is at work (under mClaimLock)
  std::thread::id mClaimOwner;    // the thread that holds the claim (under mClaimLock)
  // Entries deferred by the claim's own thread, run before it lets go; only
  // that thread touches them.
  bool mDeferredClose = false;
  bool mHasDeferredScale = false;
  double mDeferredScale = 0.0;
  Window mRoot = 0;
  IBounds mDamage;                // to repaint: lost by the server, or uncovered by the text entry
  std::chrono::steady_clock::time_point mNextFrame;
  bool mCapture = false;          // a gesture holds the pointer (the window has the capture)
  // The last press of the left button, for double clicks.
  bool mClickPending = false;
  Time mClickTime = 0;
  int mClickX = 0;
  int mClickY = 0;
  Time mGrabTime = 0;             // when the current grab began
  TextEntry* mEntry = nullptr;    // the open text entry, or null
  unsigned mSwallowedReleases = 0;  // buttons whose press went to the entry, not to a control
};
