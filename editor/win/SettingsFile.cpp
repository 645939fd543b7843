#include "editor/SettingsFile.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace {

std::wstring Wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &wide[0], n);
  wide.resize(static_cast<size_t>(n - 1));
  return wide;
}

std::string Utf8(const wchar_t* wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, &utf8[0], n, nullptr, nullptr);
  utf8.resize(static_cast<size_t>(n - 1));
  return utf8;
}

}  // namespace

std::string SettingsFilePath(const char* maker, const char* product) {
  if (!maker || !maker[0] || !product || !product[0]) return std::string();
  wchar_t folder[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, folder))) return std::string();
  folder[MAX_PATH] = L'\0';
  return Utf8(folder) + "\\" + maker + "\\" + product + ".ini";
}

std::FILE* OpenSettingsFile(const std::string& path, bool forWriting) {
  const std::wstring wide = Wide(path);
  if (wide.empty()) return nullptr;
  if (forWriting) {
    const size_t slash = wide.find_last_of(L"\\/");
    if (slash != std::wstring::npos) CreateDirectoryW(wide.substr(0, slash).c_str(), nullptr);
  }
  return _wfopen(wide.c_str(), forWriting ? L"w" : L"r");
}
