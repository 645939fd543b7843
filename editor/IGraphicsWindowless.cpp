#include "editor/IGraphicsWindowless.h"

IGraphicsWindowless::IGraphicsWindowless(IEffectBase* plugin, int width, int height, int frameRate)
    : IGraphics(plugin, width, height, frameRate) {}

IGraphicsWindowless::~IGraphicsWindowless() {
  DetachPlugin();
  CloseWindow();
}

bool IGraphicsWindowless::PresentArea(const IBounds&) { return true; }
void IGraphicsWindowless::CancelTextEntry() {}
int IGraphicsWindowless::ShowAlert(const char*, const char*, int) { return 0; }
IMenu* IGraphicsWindowless::ShowPopupMenu(IMenu*, const IBounds&) {
  ReleaseCapture();
  return nullptr;
}
void IGraphicsWindowless::OpenTextEntry(IControl*, const ITextStyle&, const IBounds&, const char*, IParameter*) {}
void IGraphicsWindowless::HostFolder(std::string& path) { path.clear(); }
void IGraphicsWindowless::PluginFolder(std::string& path) { path.clear(); }
void IGraphicsWindowless::DesktopFolder(std::string& path) { path.clear(); }
void IGraphicsWindowless::AppDataFolder(std::string& path, bool) { path.clear(); }
void IGraphicsWindowless::UserAppDataFolder(std::string& path) { AppDataFolder(path, false); }
void IGraphicsWindowless::ChooseFile(std::string& file, int, std::string&, const char*) { file.clear(); }
bool IGraphicsWindowless::PickColour(IColorValue*, const char*) { return false; }
bool IGraphicsWindowless::OpenWebLink(const char*, const char*, const char*, const char*) { return false; }
void* IGraphicsWindowless::OpenWindow(void*) { return nullptr; }
void IGraphicsWindowless::CloseWindow() {}
void* IGraphicsWindowless::NativeWindow() { return nullptr; }
bool IGraphicsWindowless::ReadClipboardText(std::string& text) {
  text.clear();
  return false;
}
