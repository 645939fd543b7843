#pragma once
#include "editor/IGraphics.h"

// A graphics object without a window: every platform service answers as when
// it is not available (no window opens, dialogs are cancelled, folders and
// the clipboard are empty). It is the editor on platforms that have no window class
// yet, and the base of the off-screen editor used by tests and tools.
class IGraphicsWindowless : public IGraphics {
public:
  IGraphicsWindowless(IEffectBase* plugin, int width, int height, int frameRate);
  ~IGraphicsWindowless() override;

  bool PresentArea(const IBounds& area) override;  // true; nothing to show on
  void CancelTextEntry() override;
  int ShowAlert(const char* text, const char* caption, int type) override;  // 0: no answer
  IMenu* ShowPopupMenu(IMenu* menu, const IBounds& area) override;          // null: nothing chosen
  void OpenTextEntry(IControl* control, const ITextStyle& style, const IBounds& area, const char* text,
                     IParameter* param) override;                           // nothing opens
  void HostFolder(std::string& path) override;
  void PluginFolder(std::string& path) override;
  void DesktopFolder(std::string& path) override;
  void AppDataFolder(std::string& path, bool shared) override;
  void UserAppDataFolder(std::string& path) override;
  void ChooseFile(std::string& file, int action, std::string& folder, const char* extensions) override;
  bool PickColour(IColorValue* colour, const char* prompt) override;
  bool OpenWebLink(const char* url, const char* caption, const char* confirmText, const char* errorText) override;
  void* OpenWindow(void* parentWindow) override;  // null
  void CloseWindow() override;
  void* NativeWindow() override;                  // null
  bool ReadClipboardText(std::string& text) override;
};
