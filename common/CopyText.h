#pragma once
#include <cstddef>
#include <cstring>

// Copies text into dest, a buffer of destSize bytes: cut to destSize - 1
// bytes if longer, always NUL-terminated; no more of text is read than can
// be copied. A null text copies as "", and a null dest or a destSize of 0
// writes nothing. Only the bytes of the copy and its NUL are written.
inline void CopyTextBounded(char* dest, size_t destSize, const char* text) {
  if (!dest || destSize == 0) return;
  if (!text) text = "";
  const void* nul = std::memchr(text, '\0', destSize - 1);
  const size_t n = nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : destSize - 1;
  std::memmove(dest, text, n);
  dest[n] = '\0';
}

// As CopyTextBounded, with every byte of dest after the text set to 0: for
// fixed fields of our own that are compared or copied whole.
inline void CopyTextZeroFilled(char* dest, size_t destSize, const char* text) {
  if (!dest || destSize == 0) return;
  std::memset(dest, 0, destSize);
  CopyTextBounded(dest, destSize, text);
}
