#pragma once
// Helpers for tests that drive the morvane-host executable (or other
// programs): run it, make and read audio files, and look at what it left in
// a directory.
#include <map>
#include <string>
#include <vector>

// Expects text to contain part, printing the text when it does not.
#define EXPECT_CONTAINS(text, part)                                                  \
  EXPECT_NE(std::string(text).find(part), std::string::npos) << "expected \"" << (part) \
                                                             << "\" in:\n" << (text)

struct RunResult {
  int exitCode = -1;  // 128 + signal number when a signal ended the process
  std::string out, err;
};

// Runs the program args[0] (looked up on PATH when the name has no '/')
// with the arguments after it; extraEnv entries are added to (or replace
// entries of) the test's own environment; cwd, when given, is its working
// directory.
RunResult RunProgram(const std::vector<std::string>& args, const std::map<std::string, std::string>& extraEnv = {},
                     const std::string& cwd = "");

// RunProgram on morvane-host with args.
RunResult RunHost(const std::vector<std::string>& args, const std::map<std::string, std::string>& extraEnv = {},
                  const std::string& cwd = "");

struct Audio {
  int channels = 0;
  int rate = 0;
  int format = 0;               // libsndfile format of the file
  std::vector<double> samples;  // interleaved
  long long Frames() const { return channels ? static_cast<long long>(samples.size()) / channels : 0; }
};

// Writes interleaved samples with the given libsndfile format (float WAV by default).
void WriteAudio(const std::string& path, const Audio& audio);
// Reads a file; an empty Audio (channels 0) when it cannot be read.
Audio ReadAudio(const std::string& path);

// A test signal: decaying tone bursts on a noise floor, different per
// channel, deterministic, peaking below full scale.
Audio MakeTestSignal(int channels, int rate, double seconds, int format);

// The largest absolute difference of two files' samples; infinity when
// their shapes differ.
double MaxDifference(const Audio& a, const Audio& b);
double Peak(const Audio& a);

// A fresh, empty directory for one test, removed with its content on destruction.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::string& Path() const { return mPath; }
  std::string operator/(const std::string& name) const { return mPath + "/" + name; }
  // Names of the directory's entries (hidden ones included), sorted.
  std::vector<std::string> List() const;

 private:
  std::string mPath;
};

std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
bool Exists(const std::string& path);
