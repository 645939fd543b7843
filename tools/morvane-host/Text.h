#pragma once
// Messages and small text helpers shared by the commands of morvane-host.
#include <string>

#if defined(__GNUC__)
#define HOST_PRINTF_FORMAT(fmtIdx, argIdx) __attribute__((format(printf, fmtIdx, argIdx)))
#else
#define HOST_PRINTF_FORMAT(fmtIdx, argIdx)
#endif

// Exit codes of the tool: 0 success, 1 a failure while doing the work, 2 a
// command line that could not be understood (usage text follows the message).
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Writes "morvane-host: error: <message>" and a newline to stderr.
void PrintError(const char* format, ...) HOST_PRINTF_FORMAT(1, 2);
// Writes "morvane-host: <message>" and a newline to stderr (notes, warnings).
void PrintNote(const char* format, ...) HOST_PRINTF_FORMAT(1, 2);

std::string Format(const char* format, ...) HOST_PRINTF_FORMAT(1, 2);

// ASCII case-insensitive equality of whole texts.
bool EqualsIgnoreCase(const std::string& a, const std::string& b);

// Parses the whole text as a decimal number (leading and trailing blanks
// allowed). False for an empty text, trailing garbage, NaN or infinity.
bool ParseNumber(const std::string& text, double& value);
// Parses the whole text as a decimal integer in [minValue, maxValue].
bool ParseInt(const std::string& text, long minValue, long maxValue, long& value);

// Decibels of a linear amplitude; -inf for 0, printed by FormatDb as "-inf".
double ToDb(double linear);
std::string FormatDb(double db);

// Whether stderr is a terminal (progress is redrawn in place there).
bool StderrIsTerminal();
