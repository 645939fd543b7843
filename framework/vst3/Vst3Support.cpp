#include "framework/vst3/Vst3Support.h"

#include <cstdio>

namespace vst3 {

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

// The code point of the UTF-8 sequence at *p, advancing *p past it; a byte
// that starts no valid sequence is taken alone as U+FFFD.
uint32_t NextCodePoint(const unsigned char** p) {
  const unsigned char* s = *p;
  const unsigned lead = s[0];
  int extra;
  uint32_t cp;
  if (lead < 0x80) {
    *p = s + 1;
    return lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2;
    cp = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3;
    cp = lead & 0x07;
  } else {
    *p = s + 1;
    return kReplacement;
  }
  for (int i = 1; i <= extra; ++i) {
    if ((s[i] & 0xC0) != 0x80) {
      *p = s + 1;
      return kReplacement;
    }
    cp = (cp << 6) | (s[i] & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are no characters.
  const uint32_t smallest[4] = {0, 0x80, 0x800, 0x10000};
  if (cp < smallest[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
    *p = s + 1;
    return kReplacement;
  }
  *p = s + 1 + extra;
  return cp;
}

}  // namespace

void UidText(const int8* bytes, char* text) {
  // Where each byte of the text's order lies in memory: MakeUid's layout.
  static const int kComOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  for (int i = 0; i < 16; ++i) {
    const int at = kComConventions ? kComOrder[i] : i;
    std::snprintf(text + 2 * i, 3, "%02X", static_cast<unsigned>(static_cast<uint8>(bytes[at])));
  }
}

void CopyToUtf16(char16* dest, int destUnits, const char* text) {
  if (!dest || destUnits < 1) return;
  int n = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(text ? text : "");
  while (*p) {
    const uint32_t cp = NextCodePoint(&p);
    const int units = cp >= 0x10000 ? 2 : 1;
    if (n + units > destUnits - 1) break;
    if (units == 2) {
      dest[n++] = static_cast<char16>(0xD800 + ((cp - 0x10000) >> 10));
      dest[n++] = static_cast<char16>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      dest[n++] = static_cast<char16>(cp);
    }
  }
  dest[n] = 0;
}

void CopyFromUtf16(char* dest, int destSize, const char16* text, int maxUnits) {
  if (!dest || destSize < 1) return;
  int n = 0;
  for (int i = 0; text && i < maxUnits && text[i] != 0; ++i) {
    uint32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < maxUnits && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<uint32_t>(text[i + 1]) - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    char bytes[4];
    int count;
    if (cp < 0x80) {
      bytes[0] = static_cast<char>(cp);
      count = 1;
    } else if (cp < 0x800) {
      bytes[0] = static_cast<char>(0xC0 | (cp >> 6));
      bytes[1] = static_cast<char>(0x80 | (cp & 0x3F));
      count = 2;
    } else if (cp < 0x10000) {
      bytes[0] = static_cast<char>(0xE0 | (cp >> 12));
      bytes[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      bytes[2] = static_cast<char>(0x80 | (cp & 0x3F));
      count = 3;
    } else {
      bytes[0] = static_cast<char>(0xF0 | (cp >> 18));
      bytes[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      bytes[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      bytes[3] = static_cast<char>(0x80 | (cp & 0x3F));
      count = 4;
    }
    if (n + count > destSize - 1) break;
    for (int b = 0; b < count; ++b) dest[n++] = bytes[b];
  }
  dest[n] = '\0';
}

int32 ReadStream(IBStream* stream, void* buffer, int32 size) {
  if (!stream || !buffer || size <= 0) return 0;
  auto* bytes = static_cast<char*>(buffer);
  int32 total = 0;
  while (total < size) {
    int32 got = 0;
    if (stream->read(bytes + total, size - total, &got) != kResultOk || got <= 0 || got > size - total) break;
    total += got;
  }
  return total;
}

bool WriteStream(IBStream* stream, const void* buffer, int32 size) {
  if (!stream || (!buffer && size > 0)) return false;
  // The interface's write takes a pointer to modifiable bytes; it only reads them.
  auto* bytes = static_cast<char*>(const_cast<void*>(buffer));
  int32 total = 0;
  while (total < size) {
    int32 put = 0;
    if (stream->write(bytes + total, size - total, &put) != kResultOk || put <= 0 || put > size - total) return false;
    total += put;
  }
  return true;
}

}  // namespace vst3
