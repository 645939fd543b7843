#pragma once
// Audio files through libsndfile, and output that appears only when complete:
// every file the tool writes goes to a temporary file in the target's own
// directory and is renamed over the target only after the last byte is
// written, so a failure (or an interrupt) never leaves a half-written or
// truncated target behind, and an existing target stays as it was.
#include <sndfile.h>

#include <string>
#include <vector>

// A file being written under a temporary name next to its target.
// Commit() renames it into place; destruction without Commit() removes it,
// and so does a signal that ends the process (interrupt, crash) meanwhile.
class TempFile {
 public:
  TempFile() = default;
  ~TempFile() { Discard(); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  // Creates ".<target name>.XXXXXX" in the target's directory, mode 0666
  // less the umask (what a plain create would give). False with a message
  // when the directory is missing or not writable, or the target is a directory.
  bool Create(const std::string& target, std::string& error);
  int Fd() const { return mFd; }
  const std::string& Path() const { return mTempPath; }
  // Flushes to disk, closes and renames over the target.
  bool Commit(std::string& error);
  // Closes and removes the temporary file; harmless when there is none.
  void Discard();
  // For writers that close the descriptor themselves (libsndfile): the
  // descriptor is no longer ours, but the file name still is.
  void ReleaseFd() { mFd = -1; }

 private:
  int mFd = -1;
  std::string mTempPath;
  std::string mTarget;
  int mSignalSlot = -1;  // registration for removal when a signal ends the process
};

class AudioInput {
 public:
  AudioInput() = default;
  ~AudioInput();
  AudioInput(const AudioInput&) = delete;
  AudioInput& operator=(const AudioInput&) = delete;

  bool Open(const std::string& path, std::string& error);
  const SF_INFO& Info() const { return mInfo; }
  int Channels() const { return mInfo.channels; }
  int SampleRate() const { return mInfo.samplerate; }
  long long Frames() const { return static_cast<long long>(mInfo.frames); }
  // Reads up to frames interleaved frames; returns the count read, -1 on a read error.
  long long Read(double* interleaved, long long frames);

 private:
  SNDFILE* mFile = nullptr;
  SF_INFO mInfo{};
};

// The format of a processed file: the major format named by the output's
// extension when it has a known one (out.flac is FLAC), else the input's
// major format; samples stay floating point when the input's are (32-bit
// integers stay 32-bit), other integer input becomes 24-bit PCM, and a lossy
// input keeps its codec. What libsndfile cannot write for this channel count
// and rate becomes WAV with the same sample type (else float WAV), and
// fallbackNote then says so.
int ChooseOutputFormat(const SF_INFO& input, const std::string& outputPath, std::string& fallbackNote);

// A short human name such as "WAV float" or "FLAC 24-bit".
std::string DescribeFormat(int format);

class AudioOutput {
 public:
  AudioOutput() = default;
  ~AudioOutput() { Discard(); }
  AudioOutput(const AudioOutput&) = delete;
  AudioOutput& operator=(const AudioOutput&) = delete;

  // Starts writing path (under a temporary name) with the given format,
  // rate and channel count. Integer formats clip at full scale instead of
  // wrapping; Write counts the samples that clipped.
  bool Create(const std::string& path, int format, int sampleRate, int channels, std::string& error);
  bool Write(const double* interleaved, long long frames, std::string& error);
  bool Commit(std::string& error);
  void Discard();
  long long ClippedSamples() const { return mClipped; }
  int FileFormat() const { return mInfo.format; }

 private:
  SNDFILE* mFile = nullptr;
  SF_INFO mInfo{};
  TempFile mTemp;
  int mSyncFd = -1;  // a duplicate kept to flush to disk after libsndfile closes its own
  bool mClips = false;
  long long mClipped = 0;
};

// Whole-file helpers for state files. StageWholeFile writes the bytes under
// temp's temporary name; the caller commits it once everything else succeeded.
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes, std::string& error);
bool StageWholeFile(TempFile& temp, const std::string& path, const void* data, size_t size, std::string& error);
bool FileExists(const std::string& path);
