#pragma once
// The editor's window on Windows: a child window of class "IEffectWndClass"
// inside the window the host gives, a redraw timer, the window messages
// turned into the graphics core's mouse and key calls, the back buffer copied
// to the screen, and the operating system's services of the core's virtual
// interface (text entry, popup menus, message boxes, file and colour
// dialogs, web addresses, folders, clipboard, images from the module's
// resources).
//
// Everything here runs on the thread that opened the window, the host's
// user-interface thread [ui]; modal dialogs and menus run nested message
// loops on it, during which the timer keeps firing.
//
// Files: IGraphicsWin.cpp the window's life, its messages, tooltips and the
// resizing of the host's windows; WinTextEntry.cpp the entry box;
// WinPopupMenu.cpp popup menus; WinDesktopServices.cpp message boxes, web
// addresses, folders, file and colour dialogs, the clipboard and the cursor.
#include <windows.h>

#include "editor/IEditorWindowLogic.h"
#include "editor/IGraphics.h"

class IGraphicsWin : public IGraphics {
public:
  IGraphicsWin(IEffectBase* plugin, int width, int height, int frameRate);
  // Closes the window, frees the colour dialog's custom colours.
  ~IGraphicsWin() override;

  // ---- the core's virtual interface --------------------------------------------------
  bool PresentArea(const IBounds& area) override;                                     // 0
  // Cancels an open text entry on the next timer tick.
  void CancelTextEntry() override;                                                    // 2
  // Resizes the editor and its window by the change in size; the host's
  // windows holding it (parent and grandparent child windows) grow with it.
  void Resize(int width, int height) override;                                        // 3
  bool HasWindow() override;                                                          // 4
  const char* GetDrawingApiName() override;                                           // 5 "Windows GDI"
  // A message box over the host's main window; MessageBoxA's answer.
  int ShowAlert(const char* text, const char* caption, int type) override;            // 6
  IMenu* ShowPopupMenu(IMenu* menu, const IBounds& area) override;                    // 7
  // An EDIT box over area (text selected, focused) that ends on the timer
  // tick after Return, Escape, a click or the loss of focus. Nothing when the
  // control is null, a box is already open or no window is open.
  void OpenTextEntry(IControl* control, const ITextStyle& style, const IBounds& area, const char* text,
                     IParameter* param) override;                                     // 8
  void HostFolder(std::string& path) override;                                        // 9
  void PluginFolder(std::string& path) override;                                      // 10
  void DesktopFolder(std::string& path) override;                                     // 11
  void AppDataFolder(std::string& path, bool shared) override;                        // 12
  void UserAppDataFolder(std::string& path) override;                                 // 13
  void ChooseFile(std::string& file, int action, std::string& folder, const char* extensions) override;  // 14
  bool PickColour(IColorValue* colour, const char* prompt) override;                  // 15
  bool OpenWebLink(const char* url, const char* caption, const char* confirmText,
                   const char* errorText) override;                                   // 16
  // Opens the editor as a child window of parentWindow (an HWND); reopening
  // keeps the open window's place and size. The window, or null.
  void* OpenWindow(void* parentWindow) override;                                      // 18
  void CloseWindow() override;                                                        // 21
  void* NativeWindow() override;                                                      // 22 the HWND
  bool ReadClipboardText(std::string& text) override;                                 // 23
  void HideCursor() override;                                                         // 25
  void ResizeWindowToScale() override;
  void RestoreCursor() override;                                                      // 26

  // The host's top-level window: the topmost ancestor of the window given to
  // OpenWindow, found once and kept; later found again among this process's
  // top-level windows by its class name. May be null.
  HWND GetMainWindow();

  // The window procedures of the editor window and of the entry box.
  static LRESULT CALLBACK EditorWindowProc(HWND window, UINT message, WPARAM w, LPARAM l);
  static LRESULT CALLBACK EditWindowProc(HWND window, UINT message, WPARAM w, LPARAM l);

  // For tests: the entry box (null when none is open) and the entry's state
  // (ITextEntryLogic::EState).
  HWND EntryWindow() const { return mEntryWindow; }
  int32_t EntryState() const { return mEntry.State(); }
  // The number of editor windows open in the process.
  static int OpenWindowCount();

private:
  HINSTANCE Module() const { return static_cast<HINSTANCE>(mModule); }
  LRESULT HandleMessage(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT HandleEntryMessage(HWND box, UINT message, WPARAM w, LPARAM l);
  void OnTimerTick();
  // The text entry's part of a timer tick: applies a committed text or drops
  // a cancelled one and ends the entry. True when the tick goes on to redraw.
  bool TickTextEntry();
  // Restores the box's own procedure, destroys it and its font; the entry is
  // idle afterwards.
  void EndTextEntry();
  void SetTooltipText(const char* text);  // null hides the tooltip
  void HideTooltip();
  // Removes the editor window's share of the window class.
  void ReleaseWindowClass();

  HWND mWindow = nullptr;
  HWND mEntryWindow = nullptr;
  HWND mTooltipWindow = nullptr;
  ITextEntryLogic mEntry;                 // what the entry box edits, and its state
  WNDPROC mEntryDefaultProc = nullptr;    // the box's own procedure
  HFONT mEntryFont = nullptr;             // the box's font, deleted with it
  bool mTooltipShown = false;
  bool mMenuOpen = false;                 // a popup menu holds the mouse
  // Buttons whose press ended a text entry: their releases reach no control,
  // which would otherwise end a host edit that never began.
  unsigned mSwallowedReleases = 0;
  int32_t mTooltipIndex = -1;
  COLORREF* mCustomColors = nullptr;      // 16, made on the first colour prompt
  DWORD mProcessId;
  HWND mParentWindow = nullptr;
  HWND mMainWindow = nullptr;
  char mMainWindowClass[128] = {};
};
