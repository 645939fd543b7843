#pragma once
#include <cstddef>
#include <cstring>

// Copies text into dest, a buffer of destSize bytes: cut to destSize - 1
// bytes if longer, always NUL-terminated. A null text copies as "", and a
// null dest or a destSize of 0 writes nothing.
inline void CopyTextBounded(char* dest, size_t destSize, const char* text) {
  if (!dest || destSize == 0) return;
  if (!text) text = "";
  size_t n = std::strlen(text);
  if (n > destSize - 1) n = destSize - 1;
  std::memmove(dest, text, n);
  dest[n] = '\0';
}
