#include "common/NumberText.h"

#include <charconv>
#include <cstring>
#include <limits>
#include <string>

size_t FormatFixed(double value, int decimals, char* out, size_t outSize) {
  if (!out || outSize == 0) return 0;
  if (decimals < 0) decimals = 0;
  // The longest fixed text of a double: sign, 309 digits, point, decimals.
  char text[512];
  const std::to_chars_result r =
      std::to_chars(text, text + sizeof text - 1, value, std::chars_format::fixed, decimals > 100 ? 100 : decimals);
  size_t n = r.ec == std::errc() ? static_cast<size_t>(r.ptr - text) : 0;
  if (n > outSize - 1) n = outSize - 1;
  std::memcpy(out, text, n);
  out[n] = '\0';
  return n;
}

double ParseNumber(const char* text) {
  if (!text) return 0.0;
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');

  // The number's text with '.' as its mark, for the conversion. Its decimal
  // magnitude is the position of its first non-zero digit relative to the
  // mark, plus the exponent: above 0 it is at least 1.
  std::string number;
  int nDigits = 0;
  long magnitude = 0;
  bool nonZero = false;
  for (; isDigit(*p); ++p, ++nDigits) {
    nonZero = nonZero || *p != '0';
    if (nonZero) ++magnitude;
    number += *p;
  }
  if (*p == '.' || *p == ',') {
    number += '.';
    for (++p; isDigit(*p); ++p, ++nDigits) {
      if (!nonZero && *p == '0') --magnitude;
      nonZero = nonZero || *p != '0';
      number += *p;
    }
  }
  if (nDigits == 0) return 0.0;
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    bool negativeExponent = false;
    if (*q == '+' || *q == '-') negativeExponent = (*q++ == '-');
    if (isDigit(*q)) {
      number += 'e';
      if (negativeExponent) number += '-';
      long exponent = 0;
      for (; isDigit(*q); ++q) {
        exponent = exponent < 100000 ? exponent * 10 + (*q - '0') : exponent;
        number += *q;
      }
      magnitude += negativeExponent ? -exponent : exponent;
    }
  }

  double value = 0.0;
  const std::from_chars_result r =
      std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    value = magnitude > 0 ? std::numeric_limits<double>::max() : 0.0;
  } else if (r.ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}
