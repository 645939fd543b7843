#include "bitmap/FileOpen.h"

namespace bm {

// POSIX file names are bytes; UTF-8 paths go through unchanged.
std::FILE* OpenFileForReading(const char* utf8Path) { return std::fopen(utf8Path, "rb"); }

std::FILE* OpenFileForWriting(const char* utf8Path) { return std::fopen(utf8Path, "wb"); }

}  // namespace bm
