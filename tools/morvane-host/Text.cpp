#include "tools/morvane-host/Text.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

void PrintPrefixed(const char* prefix, const char* format, va_list args) {
  std::fputs(prefix, stderr);
  std::vfprintf(stderr, format, args);
  std::fputc('\n', stderr);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string Trim(const std::string& text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return text.substr(b, e - b);
}

}  // namespace

void PrintError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  PrintPrefixed("morvane-host: error: ", format, args);
  va_end(args);
}

void PrintNote(const char* format, ...) {
  va_list args;
  va_start(args, format);
  PrintPrefixed("morvane-host: ", format, args);
  va_end(args);
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(&out[0], out.size(), format, args);
    out.resize(static_cast<size_t>(n));
  }
  va_end(args);
  return out;
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

bool ParseNumber(const std::string& text, double& value) {
  std::string t = Trim(text);
  if (t.empty()) return false;
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || errno == ERANGE || !std::isfinite(v)) return false;
  value = v;
  return true;
}

bool ParseInt(const std::string& text, long minValue, long maxValue, long& value) {
  std::string t = Trim(text);
  if (t.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(t.c_str(), &end, 10);
  if (end != t.c_str() + t.size() || errno == ERANGE || v < minValue || v > maxValue) return false;
  value = v;
  return true;
}

double ToDb(double linear) {
  return linear > 0.0 ? 20.0 * std::log10(linear) : -HUGE_VAL;
}

std::string FormatDb(double db) {
  return std::isfinite(db) ? Format("%.1f", db) : std::string("-inf");
}

bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }
