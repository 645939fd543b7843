#include <windows.h>
#include <cstdio>
#include "bitmap/FileOpen.h"

namespace bm {

namespace {

// Narrow fopen would read the path in the ANSI code page, so the UTF-8 path
// is widened first. If it is not valid UTF-8, longer than the buffer, or the
// wide open fails, the bytes are tried as they are.
std::FILE* OpenUtf8(const char* utf8Path, const wchar_t* wideMode, const char* mode) {
  wchar_t wide[2048];
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path, -1, wide, 2048) > 0) {
    if (std::FILE* f = _wfopen(wide, wideMode)) return f;
  }
  return std::fopen(utf8Path, mode);
}

}  // namespace

std::FILE* OpenFileForReading(const char* utf8Path) { return OpenUtf8(utf8Path, L"rb", "rb"); }

std::FILE* OpenFileForWriting(const char* utf8Path) { return OpenUtf8(utf8Path, L"wb", "wb"); }

}  // namespace bm
