#include "editor/IEditorSettings.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "editor/SettingsFile.h"

namespace {

// A line without the white space around it.
std::string Trimmed(const char* line) {
  std::string text(line);
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::string();
  const size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

}  // namespace

int ReadZoomSetting(const char* maker, const char* product) {
  const std::string path = SettingsFilePath(maker, product);
  if (path.empty()) return 0;
  std::FILE* file = OpenSettingsFile(path, false);
  if (!file) return 0;
  int percent = 0;
  bool inEditor = false;
  char line[256];
  while (std::fgets(line, sizeof line, file)) {
    const std::string text = Trimmed(line);
    if (!text.empty() && text[0] == '[') {
      inEditor = text == "[Editor]";
      continue;
    }
    const size_t equals = text.find('=');
    if (!inEditor || equals == std::string::npos || Trimmed(text.substr(0, equals).c_str()) != "Zoom") continue;
    const std::string value = Trimmed(text.substr(equals + 1).c_str());
    percent = value == "100" ? 100 : value == "150" ? 150 : value == "200" ? 200 : 0;
  }
  std::fclose(file);
  return percent;
}

bool WriteZoomSetting(const char* maker, const char* product, int percent) {
  const std::string path = SettingsFilePath(maker, product);
  if (path.empty()) return false;
  std::FILE* file = OpenSettingsFile(path, true);
  if (!file) return false;
  const bool known = percent == 100 || percent == 150 || percent == 200;
  const int written = std::fprintf(file, "; The editor's settings for this user.\n[Editor]\nZoom=%s\n",
                                   known ? std::to_string(percent).c_str() : "Automatic");
  const bool closed = std::fclose(file) == 0;
  return written > 0 && closed;
}
