#include "editor/SettingsFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

namespace {

// $XDG_CONFIG_HOME when it is an absolute path (the XDG rules ignore a
// relative one), else $HOME/.config; empty when neither is known.
std::string ConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config";
  return std::string();
}

// Makes every folder of the path up to its last '/'.
bool MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    const std::string folder = path.substr(0, slash);
    if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  return true;
}

}  // namespace

std::string SettingsFilePath(const char* maker, const char* product) {
  const std::string folder = ConfigFolder();
  if (folder.empty() || !maker || !maker[0] || !product || !product[0]) return std::string();
  return folder + "/" + maker + "/" + product + ".ini";
}

std::FILE* OpenSettingsFile(const std::string& path, bool forWriting) {
  if (path.empty()) return nullptr;
  if (forWriting && !MakeFolders(path)) return nullptr;
  return std::fopen(path.c_str(), forWriting ? "w" : "r");
}
