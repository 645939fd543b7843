#pragma once
// Diagnostic trace hook. The framework reports what it does here: a qualified
// function name, a line number and a printf-style message. In Morvane the hook
// records nothing (there is no log file and no console output); it exists so
// that a debugging build can route the messages somewhere without touching the
// callers.

#if defined(__GNUC__)
#define MORVANE_PRINTF_FORMAT(fmtIdx, argIdx) __attribute__((format(printf, fmtIdx, argIdx)))
#else
#define MORVANE_PRINTF_FORMAT(fmtIdx, argIdx)
#endif

// [any thread] Records nothing.
void Trace(const char* funcName, int line, const char* format, ...) MORVANE_PRINTF_FORMAT(3, 4);

// Formats the current local time as "%Y%m%d %H:%M " followed by the sign and
// "%02d%02d" hours and minutes of the offset from UTC into out (at least 32 bytes).
void TraceTimeStamp(char* out, int outSize);
