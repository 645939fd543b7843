#pragma once
#include <cstdio>

namespace bm {

// Opens the file at a UTF-8 path for binary reading; null when it cannot be
// opened. The caller closes it with fclose.
std::FILE* OpenFileForReading(const char* utf8Path);

// Creates or empties the file at a UTF-8 path for binary writing; null when it
// cannot be opened. The caller closes it with fclose.
std::FILE* OpenFileForWriting(const char* utf8Path);

}  // namespace bm
