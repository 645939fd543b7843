// morvane-host process PLUGIN IN OUT [options]: runs an audio file through a
// plug-in the way a host plays it, block by block, and writes the result.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tools/morvane-host/AudioFiles.h"
#include "tools/morvane-host/Commands.h"
#include "tools/morvane-host/PluginHost.h"
#include "tools/morvane-host/Text.h"

namespace {

constexpr long kMaxBlock = 65536;
constexpr VstInt32 kProgramChunk = 1;  // effGetChunk/effSetChunk index: one program, not the bank

struct ProcessOptions {
  std::string plugin, input, output, state;
  std::vector<std::pair<std::string, std::string>> sets;
  Precision precision = Precision::kDouble;
  long block = 1024;
};

// Accepts "--name value" and "--name=value"; positional arguments anywhere.
bool ParseOptions(const Args& args, ProcessOptions& o) {
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string a = args[i], value;
    bool hasInlineValue = false;
    if (a.rfind("--", 0) == 0) {
      size_t eq = a.find('=');
      if (eq != std::string::npos) {
        value = a.substr(eq + 1);
        a = a.substr(0, eq);
        hasInlineValue = true;
      }
      if (a != "--set" && a != "--precision" && a != "--block" && a != "--state") {
        PrintError("unknown option %s (morvane-host --help)", a.c_str());
        return false;
      }
      if (!hasInlineValue) {
        if (i + 1 >= args.size()) {
          PrintError("%s needs a value", a.c_str());
          return false;
        }
        value = args[++i];
      }
      if (a == "--set") {
        size_t eq2 = value.find('=');
        if (eq2 == std::string::npos || eq2 == 0) {
          PrintError("--set needs NAME=VALUE, got \"%s\"", value.c_str());
          return false;
        }
        o.sets.emplace_back(value.substr(0, eq2), value.substr(eq2 + 1));
      } else if (a == "--precision") {
        if (value == "double") o.precision = Precision::kDouble;
        else if (value == "single") o.precision = Precision::kSingle;
        else if (value == "accumulate") o.precision = Precision::kAccumulate;
        else {
          PrintError("--precision must be double, single or accumulate, got \"%s\"", value.c_str());
          return false;
        }
      } else if (a == "--block") {
        if (!ParseInt(value, 1, kMaxBlock, o.block)) {
          PrintError("--block must be a whole number from 1 to %ld, got \"%s\"", kMaxBlock, value.c_str());
          return false;
        }
      } else {
        if (value.empty()) {
          PrintError("--state needs a file name");
          return false;
        }
        o.state = value;
      }
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() != 3) {
    PrintError("process takes PLUGIN IN OUT, got %zu file argument%s (morvane-host --help)", positional.size(),
               positional.size() == 1 ? "" : "s");
    return false;
  }
  o.plugin = positional[0];
  o.input = positional[1];
  o.output = positional[2];
  return true;
}

// Sets one parameter by name; see the help text for the rule.
bool ApplySet(PluginHost& host, const std::string& name, const std::string& value) {
  AEffect* e = host.Effect();
  int index = host.FindParam(name);
  if (index < 0) {
    std::string known;
    for (VstInt32 i = 0; i < e->numParams; ++i) known += (i ? ", \"" : "\"") + host.ParamName(i) + "\"";
    PrintError("the plug-in has no parameter \"%s\"; its parameters are: %s", name.c_str(),
               known.empty() ? "(none)" : known.c_str());
    return false;
  }
  double norm = 0.0;
  bool viaNorm = false;
  if (value.rfind("norm:", 0) == 0) {
    if (!ParseNumber(value.substr(5), norm) || norm < 0.0 || norm > 1.0) {
      PrintError("\"%s\": a normalised value must be a number from 0 to 1, got \"%s\"", name.c_str(),
                 value.c_str());
      return false;
    }
    viaNorm = true;
  } else {
    std::vector<char> text(value.begin(), value.end());
    text.push_back('\0');
    if (host.Dispatch(effString2Parameter, index, 0, text.data()) == 0) {
      if (!ParseNumber(value, norm) || norm < 0.0 || norm > 1.0) {
        PrintError("the plug-in does not take \"%s\" as text for \"%s\"; give a normalised value instead "
                   "(norm:0..1)", value.c_str(), name.c_str());
        return false;
      }
      viaNorm = true;
    }
  }
  if (viaNorm) {
    if (!e->setParameter) {
      PrintError("the plug-in has no setParameter function");
      return false;
    }
    e->setParameter(e, index, static_cast<float>(norm));
  }
  double now = e->getParameter ? static_cast<double>(e->getParameter(e, index)) : norm;
  std::string label = host.ParamLabel(index);
  PrintNote("\"%s\" = %s%s%s (normalised %.4f%s)", host.ParamName(index).c_str(), host.ParamDisplay(index).c_str(),
            label.empty() ? "" : " ", label.c_str(), now, viaNorm ? ", set directly" : "");
  return true;
}

// Progress on stderr: redrawn in place on a terminal, one line per report
// otherwise; a report for every tenth of the file, and every second while a
// slow plug-in works on one tenth.
class Progress {
 public:
  Progress(long long totalFrames, int sampleRate)
      : mTotal(totalFrames),
        mTerminal(StderrIsTerminal()),
        mEnabled(totalFrames > 0 && (mTerminal || totalFrames > 10LL * sampleRate)),
        mLast(std::chrono::steady_clock::now()) {}

  void Update(long long done) {
    if (!mEnabled) return;
    int tenth = static_cast<int>(done * 10 / mTotal);
    auto now = std::chrono::steady_clock::now();
    if (tenth == mLastTenth && now - mLast < std::chrono::seconds(1)) return;
    mLastTenth = tenth;
    mLast = now;
    int percent = static_cast<int>(done * 100 / mTotal);
    if (mTerminal)
      std::fprintf(stderr, "\rmorvane-host: %3d %% processed", percent);
    else
      std::fprintf(stderr, "morvane-host: %3d %% processed\n", percent);
    mShown = true;
  }
  void Finish() {
    if (mEnabled && mTerminal && mShown) std::fputc('\n', stderr);
  }

 private:
  long long mTotal;
  bool mTerminal, mEnabled, mShown = false;
  int mLastTenth = 0;
  std::chrono::steady_clock::time_point mLast;
};

}  // namespace

int RunProcess(const Args& args) {
  ProcessOptions o;
  if (!ParseOptions(args, o)) return kExitUsage;
  std::string error;

  AudioInput input;
  if (!input.Open(o.input, error)) {
    PrintError("%s", error.c_str());
    return kExitFailure;
  }
  const int channels = input.Channels();

  PluginHost host;
  if (!host.Load(o.plugin, error)) {
    PrintError("%s", error.c_str());
    return kExitFailure;
  }
  AEffect* e = host.Effect();
  const VstInt32 block = static_cast<VstInt32>(o.block);

  // The host sequence:
  // 1. Open, then sample rate and block size; for a mono file a one-channel
  //    arrangement, so a stereo plug-in knows its second channel is unused.
  host.Open(input.SampleRate(), block);
  // Plug-ins may settle their channel counts only when opened.
  if (e->numOutputs < 1) {
    PrintError("plug-in %s has no audio outputs", o.plugin.c_str());
    return kExitFailure;
  }
  if (channels > e->numOutputs) {
    PrintError("plug-in %s has %d output%s, %s has %d channels", o.plugin.c_str(), e->numOutputs,
               e->numOutputs == 1 ? "" : "s", o.input.c_str(), channels);
    return kExitFailure;
  }
  if (channels == 1) host.DeclareMono();

  // 2. The saved state, then the --set values on top of it.
  const bool restoreState = !o.state.empty() && FileExists(o.state);
  if (restoreState) {
    std::vector<unsigned char> chunk;
    if (!ReadWholeFile(o.state, chunk, error)) {
      PrintError("%s", error.c_str());
      return kExitFailure;
    }
    if (chunk.empty() ||
        host.Dispatch(effSetChunk, kProgramChunk, static_cast<VstIntPtr>(chunk.size()), chunk.data()) == 0) {
      PrintError("the plug-in did not accept the state in %s", o.state.c_str());
      return kExitFailure;
    }
    PrintNote("state restored from %s (%zu bytes)", o.state.c_str(), chunk.size());
  }
  for (const auto& set : o.sets) {
    if (!ApplySet(host, set.first, set.second)) return kExitFailure;
  }

  // 3. The processing entry: the one asked for when the plug-in has it.
  Precision precision = o.precision;
  if (!host.CanProcess(precision)) {
    Precision fallback = host.CanProcess(Precision::kSingle) ? Precision::kSingle : Precision::kAccumulate;
    if (!host.CanProcess(fallback)) {
      PrintError("plug-in %s offers no processing function", o.plugin.c_str());
      return kExitFailure;
    }
    PrintNote("the plug-in cannot process in %s precision; using %s", PrecisionName(precision),
              fallback == Precision::kSingle ? "single (processReplacing)" : "accumulate (process)");
    precision = fallback;
  }

  // 4. The output, under its temporary name, before any audio is processed.
  AudioOutput output;
  std::string formatNote;
  int format = ChooseOutputFormat(input.Info(), o.output, formatNote);
  if (!formatNote.empty()) PrintNote("%s", formatNote.c_str());
  if (!output.Create(o.output, format, input.SampleRate(), channels, error)) {
    PrintError("%s", error.c_str());
    return kExitFailure;
  }

  // The plug-in gets max(file channels, its inputs) inputs, the ones beyond
  // the file silent, and all of its outputs; file channel c comes from output c.
  const int nIn = std::max<int>(channels, e->numInputs);
  const int nOut = e->numOutputs;
  std::vector<std::vector<double>> inD(nIn, std::vector<double>(block)), outD(nOut, std::vector<double>(block));
  std::vector<std::vector<float>> inF, outF;
  std::vector<double*> inDP(nIn), outDP(nOut);
  std::vector<float*> inFP, outFP;
  for (int c = 0; c < nIn; ++c) inDP[c] = inD[c].data();
  for (int c = 0; c < nOut; ++c) outDP[c] = outD[c].data();
  const bool single = precision != Precision::kDouble;
  if (single) {
    inF.assign(nIn, std::vector<float>(block));
    outF.assign(nOut, std::vector<float>(block));
    for (int c = 0; c < nIn; ++c) inFP.push_back(inF[c].data());
    for (int c = 0; c < nOut; ++c) outFP.push_back(outF[c].data());
  }
  std::vector<double> frames(static_cast<size_t>(block) * channels);

  Progress progress(input.Frames(), input.SampleRate());
  long long position = 0, nonFinite = 0;
  // 5. Resume, the blocks, suspend.
  host.Resume();
  for (;;) {
    long long n = input.Read(frames.data(), block);
    if (n < 0) {
      PrintError("cannot read %s after frame %lld", o.input.c_str(), position);
      return kExitFailure;
    }
    if (n == 0) break;
    const VstInt32 count = static_cast<VstInt32>(n);
    for (VstInt32 i = 0; i < count; ++i) {
      for (int c = 0; c < channels; ++c) inD[c][i] = frames[static_cast<size_t>(i) * channels + c];
    }
    if (single) {
      for (int c = 0; c < nIn; ++c) {
        for (VstInt32 i = 0; i < count; ++i) inF[c][i] = static_cast<float>(inD[c][i]);
      }
      if (precision == Precision::kSingle)
        host.ProcessReplacing(inFP.data(), outFP.data(), count, static_cast<double>(position));
      else
        host.ProcessAccumulating(inFP.data(), outFP.data(), nOut, count, static_cast<double>(position));
      for (int c = 0; c < channels; ++c) {
        for (VstInt32 i = 0; i < count; ++i) outD[c][i] = outF[c][i];
      }
    } else {
      host.ProcessDouble(inDP.data(), outDP.data(), count, static_cast<double>(position));
    }
    for (VstInt32 i = 0; i < count; ++i) {
      for (int c = 0; c < channels; ++c) {
        double v = outD[c][i];
        if (!std::isfinite(v)) {
          ++nonFinite;
          v = 0.0;
        }
        frames[static_cast<size_t>(i) * channels + c] = v;
      }
    }
    if (!output.Write(frames.data(), n, error)) {
      PrintError("%s", error.c_str());
      return kExitFailure;
    }
    position += n;
    progress.Update(position);
  }
  progress.Finish();
  host.Suspend();

  // 6. The state after processing, while the plug-in is still open; then close.
  TempFile stateFile;
  if (!o.state.empty() && !restoreState) {
    void* data = nullptr;
    VstIntPtr size = host.Dispatch(effGetChunk, kProgramChunk, 0, &data);
    if (size <= 0 || !data) {
      PrintError("the plug-in gave no state chunk to save in %s", o.state.c_str());
      return kExitFailure;
    }
    if (!StageWholeFile(stateFile, o.state, data, static_cast<size_t>(size), error)) {
      PrintError("%s", error.c_str());
      return kExitFailure;
    }
  }
  host.Close();

  // 7. Only now does anything appear under the names the user gave.
  if (!output.Commit(error)) {
    PrintError("%s", error.c_str());
    return kExitFailure;
  }
  if (!o.state.empty() && !restoreState) {
    if (!stateFile.Commit(error)) {
      PrintError("%s", error.c_str());
      return kExitFailure;
    }
    PrintNote("state saved to %s", o.state.c_str());
  }
  if (nonFinite > 0)
    PrintNote("warning: the plug-in produced %lld samples that were not finite; they were written as 0", nonFinite);
  if (output.ClippedSamples() > 0)
    PrintNote("warning: %lld samples exceeded full scale and were clipped (%s); use a float output to keep them",
              output.ClippedSamples(), DescribeFormat(output.FileFormat()).c_str());
  return kExitOk;
}
