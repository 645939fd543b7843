#include "framework/Trace.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

void Trace(const char* /*funcName*/, int /*line*/, const char* /*format*/, ...) {}

void TraceTimeStamp(char* out, int outSize) {
  if (!out || outSize < 1) return;
  out[0] = '\0';
  // std::localtime and std::gmtime share one static record; serialise our own uses of it.
  static std::mutex timeMutex;
  std::tm local{};
  std::tm utc{};
  {
    std::lock_guard<std::mutex> guard(timeMutex);
    const std::time_t now = std::time(nullptr);
    const std::tm* l = std::localtime(&now);
    if (!l) return;
    local = *l;
    const std::tm* u = std::gmtime(&now);
    utc = u ? *u : *l;
  }
  // Offset from UTC in minutes = local wall time - UTC wall time; the two differ by at most one day.
  int days = local.tm_yday - utc.tm_yday;
  if (local.tm_year != utc.tm_year) days = local.tm_year > utc.tm_year ? 1 : -1;
  const int offset = days * 1440 + (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
  const int magnitude = std::abs(offset);
  char stamp[32];
  if (std::strftime(stamp, sizeof stamp, "%Y%m%d %H:%M ", &local) == 0) return;
  std::snprintf(out, static_cast<size_t>(outSize), "%s%c%02d%02d", stamp, offset < 0 ? '-' : '+', magnitude / 60,
                magnitude % 60);
}
