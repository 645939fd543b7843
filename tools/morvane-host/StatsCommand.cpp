// morvane-host stats FILE...: one summary line per audio file.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "tools/morvane-host/AudioFiles.h"
#include "tools/morvane-host/Commands.h"
#include "tools/morvane-host/Text.h"

int RunStats(const Args& args) {
  if (args.empty()) {
    PrintError("stats needs at least one audio file (morvane-host --help)");
    return kExitUsage;
  }
  int result = kExitOk;
  for (const std::string& path : args) {
    AudioInput in;
    std::string error;
    if (!in.Open(path, error)) {
      PrintError("%s", error.c_str());
      result = kExitFailure;
      continue;
    }
    const int channels = in.Channels();
    std::vector<double> frames(4096 * static_cast<size_t>(channels));
    double peak = 0.0, sumSquares = 0.0;
    long long count = 0, n;
    while ((n = in.Read(frames.data(), 4096)) > 0) {
      for (long long i = 0; i < n * channels; ++i) {
        peak = std::max(peak, std::fabs(frames[i]));
        sumSquares += frames[i] * frames[i];
      }
      count += n;
    }
    if (n < 0) {
      PrintError("cannot read %s", path.c_str());
      result = kExitFailure;
      continue;
    }
    const double rms = count > 0 ? std::sqrt(sumSquares / (static_cast<double>(count) * channels)) : 0.0;
    std::printf("%s: peak %s dBFS, RMS %s dBFS, %.2f s, %d ch, %d Hz\n", path.c_str(), FormatDb(ToDb(peak)).c_str(),
                FormatDb(ToDb(rms)).c_str(), static_cast<double>(count) / in.SampleRate(), channels,
                in.SampleRate());
  }
  return result;
}
