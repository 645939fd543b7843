#include "tests/tools/HostRun.h"

#include <dirent.h>
#include <fcntl.h>
#include <sndfile.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>

#include <gtest/gtest.h>

extern char** environ;

RunResult RunProgram(const std::vector<std::string>& args, const std::map<std::string, std::string>& extraEnv,
                     const std::string& cwd) {
  ScratchDir io;
  const std::string outPath = io / "stdout", errPath = io / "stderr";

  std::vector<std::string> argStrings = args;
  std::vector<char*> argv;
  for (auto& a : argStrings) argv.push_back(&a[0]);
  argv.push_back(nullptr);

  std::map<std::string, std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string kv = *e;
    size_t eq = kv.find('=');
    if (eq != std::string::npos) env[kv.substr(0, eq)] = kv.substr(eq + 1);
  }
  for (const auto& kv : extraEnv) env[kv.first] = kv.second;
  std::vector<std::string> envStrings;
  for (const auto& kv : env) envStrings.push_back(kv.first + "=" + kv.second);
  std::vector<char*> envp;
  for (auto& s : envStrings) envp.push_back(&s[0]);
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  pid_t pid = 0;
  RunResult r;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    r.err = "cannot start " + args[0] + ": " + std::strerror(rc);
    return r;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.out = ReadText(outPath);
  r.err = ReadText(errPath);
  return r;
}

RunResult RunHost(const std::vector<std::string>& args, const std::map<std::string, std::string>& extraEnv,
                  const std::string& cwd) {
  std::vector<std::string> argv{MORVANE_HOST_EXE};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProgram(argv, extraEnv, cwd);
}

void WriteAudio(const std::string& path, const Audio& audio) {
  SF_INFO info{};
  info.channels = audio.channels;
  info.samplerate = audio.rate;
  info.format = audio.format ? audio.format : (SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
  EXPECT_EQ(sf_writef_double(f, audio.samples.data(), audio.Frames()), audio.Frames());
  sf_close(f);
}

Audio ReadAudio(const std::string& path) {
  Audio a;
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return a;
  a.channels = info.channels;
  a.rate = info.samplerate;
  a.format = info.format;
  a.samples.resize(static_cast<size_t>(info.frames) * info.channels);
  sf_count_t n = sf_readf_double(f, a.samples.data(), info.frames);
  a.samples.resize(static_cast<size_t>(n) * info.channels);
  sf_close(f);
  return a;
}

Audio MakeTestSignal(int channels, int rate, double seconds, int format) {
  Audio a;
  a.channels = channels;
  a.rate = rate;
  a.format = format;
  const long frames = std::lround(seconds * rate);
  a.samples.resize(static_cast<size_t>(frames) * channels);
  uint32_t noise = 12345;
  const double burstPeriod = 0.25;  // seconds between bursts
  for (long i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double sinceBurst = std::fmod(t, burstPeriod);
    for (int c = 0; c < channels; ++c) {
      noise = noise * 1664525u + 1013904223u;
      const double n = (static_cast<double>(noise >> 8) / 8388608.0 - 1.0) * 0.01;
      const double freq = 220.0 * (c + 1);
      const double burst = 0.7 * std::sin(2.0 * M_PI * freq * t) * std::exp(-sinceBurst / (0.03 + 0.02 * c));
      a.samples[static_cast<size_t>(i) * channels + c] = burst + n;
    }
  }
  return a;
}

double MaxDifference(const Audio& a, const Audio& b) {
  if (a.channels != b.channels || a.samples.size() != b.samples.size()) return std::numeric_limits<double>::infinity();
  double d = 0.0;
  for (size_t i = 0; i < a.samples.size(); ++i) d = std::max(d, std::fabs(a.samples[i] - b.samples[i]));
  return d;
}

double Peak(const Audio& a) {
  double p = 0.0;
  for (double v : a.samples) p = std::max(p, std::fabs(v));
  return p;
}

ScratchDir::ScratchDir() {
  std::string base = ::testing::TempDir();
  if (base.empty() || base.back() != '/') base += '/';
  std::string pattern = base + "morvane-host-test-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  char* made = mkdtemp(name.data());
  if (made) mPath = made;
}

ScratchDir::~ScratchDir() {
  if (mPath.empty()) return;
  for (const std::string& entry : List()) {
    const std::string p = mPath + "/" + entry;
    struct stat st{};
    if (lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      rmdir(p.c_str());
    } else {
      unlink(p.c_str());
    }
  }
  rmdir(mPath.c_str());
}

std::vector<std::string> ScratchDir::List() const {
  std::vector<std::string> names;
  DIR* d = opendir(mPath.c_str());
  if (!d) return names;
  while (dirent* e = readdir(d)) {
    std::string n = e->d_name;
    if (n != "." && n != "..") names.push_back(n);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

bool Exists(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0;
}
