// morvane-host drumloop OUT [--seconds N] [--rate HZ] [--peak DB]
#include "tools/morvane-host/DrumLoop.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <string>

#include "tools/morvane-host/AudioFiles.h"
#include "tools/morvane-host/Commands.h"
#include "tools/morvane-host/Text.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTempo = 120.0;
constexpr int kStepsPerBar = 16;

class Noise {
 public:
  // xorshift32: a fixed, portable sequence.
  double Next() {
    mState ^= mState << 13;
    mState ^= mState >> 17;
    mState ^= mState << 5;
    return static_cast<double>(mState) / 2147483648.0 - 1.0;
  }

 private:
  uint32_t mState = 0x9E3779B9u;
};

// One-pole high-pass: y[n] = a (y[n-1] + x[n] - x[n-1]), a = rc / (rc + dt).
class HighPass {
 public:
  HighPass(double cutoff, double rate) : mA(1.0 / (1.0 + 2.0 * kPi * cutoff / rate)) {}
  double Run(double x) {
    mY = mA * (mY + x - mX);
    mX = x;
    return mY;
  }

 private:
  double mA, mX = 0.0, mY = 0.0;
};

struct Stereo {
  std::vector<double> l, r;
};

// Adds a mono voice at start with the given left and right gains; render
// gives sample i of the voice, for i < length.
template <typename Render>
void Mix(Stereo& out, long start, long length, double gainL, double gainR, Render render) {
  const long total = static_cast<long>(out.l.size());
  for (long i = 0; i < length && start + i < total; ++i) {
    double v = render(i);
    out.l[start + i] += gainL * v;
    out.r[start + i] += gainR * v;
  }
}

// Kick: a sine falling from about 160 Hz to 48 Hz in the first tens of
// milliseconds, a 250 ms body decay and a short click, gently saturated.
void Kick(Stereo& out, long start, double velocity, double rate, Noise& noise) {
  double phase = 0.0;
  Mix(out, start, static_cast<long>(0.7 * rate), velocity, velocity, [&](long i) {
    double t = i / rate;
    double freq = 48.0 + 110.0 * std::exp(-t / 0.035);
    phase += 2.0 * kPi * freq / rate;
    double body = std::sin(phase) * std::exp(-t / 0.25);
    double click = 0.35 * noise.Next() * std::exp(-t / 0.002);
    return std::tanh(1.6 * (body + click)) / std::tanh(1.6);
  });
}

// Snare: two drum-head modes (180 and 330 Hz) and high-passed noise for the
// wires, which ring longer than the head.
void Snare(Stereo& out, long start, double velocity, double rate, Noise& noise) {
  HighPass wires(1800.0, rate);
  Mix(out, start, static_cast<long>(0.5 * rate), 0.8 * velocity, 0.8 * velocity, [&](long i) {
    double t = i / rate;
    double head = 0.6 * std::sin(2.0 * kPi * 180.0 * t) * std::exp(-t / 0.08) +
                  0.3 * std::sin(2.0 * kPi * 330.0 * t) * std::exp(-t / 0.05);
    double snares = 0.9 * wires.Run(noise.Next()) * std::exp(-t / 0.15);
    return head + snares;
  });
}

// Hi-hat: twice high-passed noise; decay 40 ms closed, 350 ms open. Panned right.
void Hat(Stereo& out, long start, double velocity, bool open, double rate, Noise& noise) {
  HighPass a(7000.0, rate), b(7000.0, rate);
  const double decay = open ? 0.35 : 0.04;
  Mix(out, start, static_cast<long>((open ? 1.2 : 0.25) * rate), 0.22 * velocity, 0.4 * velocity, [&](long i) {
    double t = i / rate;
    return b.Run(a.Run(noise.Next())) * std::exp(-t / decay);
  });
}

// Rim click: two short tones and a tick. Panned left.
void Rim(Stereo& out, long start, double velocity, double rate, Noise& noise) {
  Mix(out, start, static_cast<long>(0.12 * rate), 0.45 * velocity, 0.2 * velocity, [&](long i) {
    double t = i / rate;
    return (0.7 * std::sin(2.0 * kPi * 1720.0 * t) + 0.4 * std::sin(2.0 * kPi * 820.0 * t)) *
               std::exp(-t / 0.012) +
           0.3 * noise.Next() * std::exp(-t / 0.001);
  });
}

// A small room: four damped feedback combs and two all-passes per channel,
// with slightly different delays left and right for width. Returns the wet
// signal only.
class Room {
 public:
  Room(double rate, double spread) {
    static const double kCombMs[4] = {29.7, 37.1, 41.1, 43.7};
    static const double kAllPassMs[2] = {5.0, 1.7};
    for (int i = 0; i < 4; ++i) mCombs[i].Init(static_cast<size_t>((kCombMs[i] + spread) * rate / 1000.0));
    for (int i = 0; i < 2; ++i) mAllPasses[i].Init(static_cast<size_t>((kAllPassMs[i] + spread * 0.3) * rate / 1000.0));
  }
  double Run(double x) {
    double sum = 0.0;
    for (auto& c : mCombs) sum += c.Run(x);
    sum *= 0.25;
    for (auto& a : mAllPasses) sum = a.Run(sum);
    return sum;
  }

 private:
  struct Comb {
    std::vector<double> line;
    size_t pos = 0;
    double damped = 0.0;
    void Init(size_t n) { line.assign(std::max<size_t>(n, 1), 0.0); }
    double Run(double x) {
      double y = line[pos];
      damped = 0.6 * y + 0.4 * damped;
      line[pos] = x + 0.78 * damped;
      pos = (pos + 1) % line.size();
      return y;
    }
  };
  struct AllPass {
    std::vector<double> line;
    size_t pos = 0;
    void Init(size_t n) { line.assign(std::max<size_t>(n, 1), 0.0); }
    double Run(double x) {
      double d = line[pos];
      double y = d - 0.5 * x;
      line[pos] = x + 0.5 * d;
      pos = (pos + 1) % line.size();
      return y;
    }
  };
  Comb mCombs[4];
  AllPass mAllPasses[2];
};

}  // namespace

std::vector<float> SynthesizeDrumLoop(int sampleRate, double seconds, double peakDb) {
  const double rate = sampleRate;
  const long frames = std::max(1L, std::lround(seconds * rate));
  Stereo dry{std::vector<double>(frames, 0.0), std::vector<double>(frames, 0.0)};
  Noise noise;

  // Sixteenth-note grid, 16 steps a bar; one character per step, upper case
  // accented: K kick, S snare, h closed hat, o open hat, r rim click.
  static const char* const kBars[2][4] = {
      {"K.....K.K.k.....", "....S.......S..s", "H.h.H.h.H.h.H.o.", "...........r...."},
      {"K.....K.K.....kK", "....S..s....S.s.", "H.h.H.hhH.h.H.o.", "...r.......r...r"},
  };
  const double stepSeconds = 60.0 / kTempo / 4.0;
  const long steps = static_cast<long>(std::ceil(seconds / stepSeconds));
  for (long s = 0; s < steps; ++s) {
    const long start = std::lround(s * stepSeconds * rate);
    const auto& bar = kBars[(s / kStepsPerBar) % 2];
    const int step = static_cast<int>(s % kStepsPerBar);
    // A little deterministic variation so repeated hits are not identical.
    const double humanise = 1.0 + 0.06 * noise.Next();
    for (int lane = 0; lane < 4; ++lane) {
      const char c = bar[lane][step];
      if (c == '.') continue;
      const double velocity = (std::isupper(static_cast<unsigned char>(c)) ? 1.0 : 0.55) * humanise;
      switch (lane) {
        case 0: Kick(dry, start, velocity, rate, noise); break;
        case 1: Snare(dry, start, velocity, rate, noise); break;
        case 2: Hat(dry, start, velocity, c == 'o', rate, noise); break;
        default: Rim(dry, start, velocity, rate, noise); break;
      }
    }
  }

  Room roomL(rate, 0.0), roomR(rate, 1.3);
  std::vector<double> l(frames), r(frames);
  double peak = 0.0;
  for (long i = 0; i < frames; ++i) {
    l[i] = dry.l[i] + 0.35 * roomL.Run(0.7 * dry.l[i] + 0.3 * dry.r[i]);
    r[i] = dry.r[i] + 0.35 * roomR.Run(0.3 * dry.l[i] + 0.7 * dry.r[i]);
    peak = std::max({peak, std::fabs(l[i]), std::fabs(r[i])});
  }
  const double gain = peak > 0.0 ? std::pow(10.0, peakDb / 20.0) / peak : 0.0;
  std::vector<float> out(static_cast<size_t>(frames) * 2);
  for (long i = 0; i < frames; ++i) {
    out[2 * i] = static_cast<float>(l[i] * gain);
    out[2 * i + 1] = static_cast<float>(r[i] * gain);
  }
  return out;
}

int RunDrumLoop(const Args& args) {
  std::string path;
  double seconds = 8.0;
  long rate = 44100;
  // Morvane's gain changes grow with the level: at -7 dBFS an attack boost
  // is plainly audible and its peaks still stay below full scale.
  double peakDb = -7.0;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if ((a == "--seconds" || a == "--rate" || a == "--peak") && i + 1 < args.size()) {
      const std::string& v = args[++i];
      if (a == "--seconds" && (!ParseNumber(v, seconds) || seconds <= 0.0 || seconds > 3600.0)) {
        PrintError("--seconds must be a number of seconds from above 0 to 3600, got \"%s\"", v.c_str());
        return kExitUsage;
      }
      if (a == "--peak" && (!ParseNumber(v, peakDb) || peakDb < -60.0 || peakDb > 0.0)) {
        PrintError("--peak must be a level from -60 to 0 dBFS, got \"%s\"", v.c_str());
        return kExitUsage;
      }
      if (a == "--rate" && !ParseInt(v, 8000, 384000, rate)) {
        PrintError("--rate must be a sample rate from 8000 to 384000 Hz, got \"%s\"", v.c_str());
        return kExitUsage;
      }
    } else if (a.rfind("--", 0) == 0) {
      PrintError("unknown or incomplete option %s (morvane-host --help)", a.c_str());
      return kExitUsage;
    } else if (path.empty()) {
      path = a;
    } else {
      PrintError("drumloop takes one output file");
      return kExitUsage;
    }
  }
  if (path.empty()) {
    PrintError("drumloop needs an output file (morvane-host --help)");
    return kExitUsage;
  }

  std::vector<float> loop = SynthesizeDrumLoop(static_cast<int>(rate), seconds, peakDb);
  std::vector<double> frames(loop.begin(), loop.end());
  AudioOutput out;
  std::string error;
  if (!out.Create(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, static_cast<int>(rate), 2, error) ||
      !out.Write(frames.data(), static_cast<long long>(frames.size() / 2), error) || !out.Commit(error)) {
    PrintError("%s", error.c_str());
    return kExitFailure;
  }
  return kExitOk;
}
