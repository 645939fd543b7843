#include "editor/win/IGraphicsWin.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "common/CopyText.h"

namespace {

// The folder of a module's file, with its trailing backslash; empty when the
// name cannot be had whole or holds no folder.
void ModuleFolder(HMODULE module, std::string& path) {
  path.clear();
  char name[256];
  const DWORD n = GetModuleFileNameA(module, name, sizeof name);
  if (n == 0 || n >= sizeof name) return;  // failed, or cut short
  name[n] = '\0';
  const char* slash = std::strrchr(name, '\\');
  if (!slash || slash[1] == '\0') return;
  path.assign(name, static_cast<size_t>(slash - name + 1));
}

// The drive and directory of a path (everything up to its last separator,
// or its drive alone), at most 256 characters.
std::string FolderOf(const char* path) {
  size_t end = 0;
  for (size_t i = 0; path[i]; ++i) {
    if (path[i] == '\\' || path[i] == '/') end = i + 1;
  }
  if (end == 0 && path[0] && path[1] == ':') end = 2;
  char folder[257];
  CopyTextBounded(folder, end + 1 < sizeof folder ? end + 1 : sizeof folder, path);
  return folder;
}

UINT_PTR CALLBACK ColourDialogHook(HWND dialog, UINT message, WPARAM, LPARAM l) {
  if (message == WM_INITDIALOG && l) {
    const auto* choose = reinterpret_cast<const CHOOSECOLORA*>(l);
    const char* prompt = reinterpret_cast<const char*>(choose->lCustData);
    if (prompt && prompt[0]) SetWindowTextA(dialog, prompt);
  }
  return 0;
}

struct MainWindowSearch {
  DWORD processId;
  const char* className;
  HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM l) {
  auto* search = reinterpret_cast<MainWindowSearch*>(l);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search->processId) return TRUE;
  char name[128];
  if (GetClassNameA(window, name, sizeof name) == 0) return TRUE;
  name[sizeof name - 1] = '\0';
  if (std::strcmp(name, search->className) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

// ---- dialogs and services -------------------------------------------------------------

int IGraphicsWin::ShowAlert(const char* text, const char* caption, int type) {
  return MessageBoxA(GetMainWindow(), text, caption, static_cast<UINT>(type));
}

bool IGraphicsWin::OpenWebLink(const char* url, const char* caption, const char* confirmText, const char* errorText) {
  if (confirmText && MessageBoxA(mWindow, confirmText, caption, MB_YESNO) != IDYES) return false;
  DWORD connection = 0;
  if (url && url[0] && InternetGetConnectedState(&connection, 0) &&
      reinterpret_cast<INT_PTR>(ShellExecuteA(mWindow, "open", url, nullptr, nullptr, SW_SHOWNORMAL)) > 32) {
    return true;
  }
  if (errorText) MessageBoxA(mWindow, errorText, caption, MB_OK);
  return false;
}

HWND IGraphicsWin::GetMainWindow() {
  if (mMainWindow) return mMainWindow;
  if (mParentWindow) {
    HWND top = mParentWindow;
    while (HWND up = GetParent(top)) top = up;
    mMainWindow = top;
    if (GetClassNameA(top, mMainWindowClass, sizeof mMainWindowClass) == 0) mMainWindowClass[0] = '\0';
    mMainWindowClass[sizeof mMainWindowClass - 1] = '\0';
  } else if (mMainWindowClass[0]) {
    MainWindowSearch search = {mProcessId, mMainWindowClass, nullptr};
    EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
    mMainWindow = search.found;
  }
  return mMainWindow;
}

void IGraphicsWin::HostFolder(std::string& path) { ModuleFolder(nullptr, path); }

void IGraphicsWin::PluginFolder(std::string& path) { ModuleFolder(Module(), path); }

// The shell's folder functions write up to MAX_PATH characters.
void IGraphicsWin::DesktopFolder(std::string& path) {
  char folder[MAX_PATH + 1] = {};
  path.clear();
  if (SHGetSpecialFolderPathA(nullptr, folder, CSIDL_DESKTOP, FALSE)) {
    folder[MAX_PATH] = '\0';
    path = folder;
  }
}

void IGraphicsWin::AppDataFolder(std::string& path, bool shared) {
  char folder[MAX_PATH + 1] = {};
  path.clear();
  const int which = shared ? CSIDL_COMMON_APPDATA : CSIDL_LOCAL_APPDATA;
  if (SUCCEEDED(SHGetFolderPathA(nullptr, which, nullptr, 0, folder))) {
    folder[MAX_PATH] = '\0';
    path = folder;
  }
}

void IGraphicsWin::UserAppDataFolder(std::string& path) { AppDataFolder(path, false); }

void IGraphicsWin::ChooseFile(std::string& file, int action, std::string& folder, const char* extensions) {
  if (!mWindow) {
    file.clear();
    return;
  }
  char name[256];
  CopyTextBounded(name, sizeof name, file.c_str());
  std::string initialFolder = folder;
  if (initialFolder.empty()) DesktopFolder(initialFolder);

  // "*.wav;*.aif" as both the description and the pattern.
  std::string patterns;
  char defaultExtension[16] = {};
  if (extensions) {
    const char* p = extensions;
    while (*p) {
      while (*p == ' ') ++p;
      const char* end = p;
      while (*end && *end != ' ') ++end;
      if (end > p) {
        const std::string extension(p, static_cast<size_t>(end - p));
        if (patterns.empty()) CopyTextBounded(defaultExtension, sizeof defaultExtension, extension.c_str());
        if (!patterns.empty()) patterns += ';';
        patterns += "*." + extension;
      }
      p = end;
    }
  }
  std::string filter;
  if (!patterns.empty()) {
    filter = patterns;
    filter += '\0';
    filter += patterns;
    filter += '\0';
    filter += '\0';
  }

  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = mWindow;
  dialog.lpstrFile = name;
  dialog.nMaxFile = sizeof name;
  dialog.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
  if (!filter.empty()) {
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrDefExt = defaultExtension;
  }
  BOOL chosen;
  if (action == 1) {
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
    chosen = GetSaveFileNameA(&dialog);
  } else {
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    chosen = GetOpenFileNameA(&dialog);
  }
  if (!chosen) {
    file.clear();
    return;
  }
  name[sizeof name - 1] = '\0';
  folder = FolderOf(name);
  file = name;
}

bool IGraphicsWin::PickColour(IColorValue* colour, const char* prompt) {
  if (!mWindow || !colour) return false;
  if (!mCustomColors) mCustomColors = new COLORREF[16]();
  CHOOSECOLORA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = mWindow;
  dialog.rgbResult = RGB(colour->red, colour->green, colour->blue);
  dialog.lpCustColors = mCustomColors;
  dialog.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK | CC_SOLIDCOLOR | CC_ANYCOLOR;
  dialog.lCustData = reinterpret_cast<LPARAM>(prompt);
  dialog.lpfnHook = ColourDialogHook;
  if (!ChooseColorA(&dialog)) return false;
  colour->red = GetRValue(dialog.rgbResult);
  colour->green = GetGValue(dialog.rgbResult);
  colour->blue = GetBValue(dialog.rgbResult);
  return true;
}

// The clipboard's text may lack its terminating NUL: it is read no further
// than its memory block.
bool IGraphicsWin::ReadClipboardText(std::string& text) {
  text.clear();
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return false;
  if (!OpenClipboard(nullptr)) return false;
  bool ok = false;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
      const size_t capacity = GlobalSize(data) / sizeof(wchar_t);
      const int length = static_cast<int>(wcsnlen(wide, capacity));
      if (length == 0) {
        ok = true;
      } else {
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
        if (bytes > 0) {
          text.resize(static_cast<size_t>(bytes));
          ok = WideCharToMultiByte(CP_UTF8, 0, wide, length, &text[0], bytes, nullptr, nullptr) == bytes;
        }
      }
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  if (!ok) text.clear();
  return ok;
}

void IGraphicsWin::HideCursor() {
  if (mCursorHidden) return;
  POINT p;
  if (GetCursorPos(&p)) {
    mCursorX = p.x;
    mCursorY = p.y;
  }
  ShowCursor(FALSE);
  mCursorHidden = true;
}

void IGraphicsWin::RestoreCursor() {
  if (!mCursorHidden) return;
  SetCursorPos(mCursorX, mCursorY);
  ShowCursor(TRUE);
  mCursorHidden = false;
}
