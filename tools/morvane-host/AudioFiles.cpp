#include "tools/morvane-host/AudioFiles.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/morvane-host/Text.h"

namespace {

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string LowerExtension(const std::string& path) {
  std::string base = BaseNameOf(path);
  size_t dot = base.rfind('.');
  if (dot == std::string::npos || dot == 0) return "";
  std::string ext = base.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

bool WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool CanWrite(int format, int channels, int sampleRate) {
  SF_INFO info{};
  info.format = format;
  info.channels = channels;
  info.samplerate = sampleRate;
  return sf_format_check(&info) == SF_TRUE;
}

// Temporary files are removed also when the process dies of a signal: an
// interrupt, or a crash inside a plug-in. The handler unlinks the registered
// names (unlink is async-signal-safe), puts back the previous disposition and
// raises the signal again, so the process still ends the way it would have
// (and a sanitizer's own handler still reports a crash).
constexpr int kTempSlots = 4;
constexpr size_t kTempPathMax = 4096;
char gTempPaths[kTempSlots][kTempPathMax];
volatile sig_atomic_t gTempInUse[kTempSlots];

const int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kCleanupSignalCount = sizeof kCleanupSignals / sizeof kCleanupSignals[0];
struct sigaction gPreviousActions[kCleanupSignalCount];

void RemoveTempFilesOnSignal(int sig) {
  for (int i = 0; i < kTempSlots; ++i) {
    if (gTempInUse[i]) ::unlink(gTempPaths[i]);
  }
  for (int i = 0; i < kCleanupSignalCount; ++i) {
    if (kCleanupSignals[i] == sig) ::sigaction(sig, &gPreviousActions[i], nullptr);
  }
  ::raise(sig);
}

void InstallSignalCleanup() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  struct sigaction action{};
  action.sa_handler = RemoveTempFilesOnSignal;
  sigemptyset(&action.sa_mask);
  for (int i = 0; i < kCleanupSignalCount; ++i) ::sigaction(kCleanupSignals[i], &action, &gPreviousActions[i]);
}

int RegisterTempPath(const std::string& path) {
  InstallSignalCleanup();
  if (path.size() >= kTempPathMax) return -1;
  for (int i = 0; i < kTempSlots; ++i) {
    if (!gTempInUse[i]) {
      std::memcpy(gTempPaths[i], path.c_str(), path.size() + 1);
      gTempInUse[i] = 1;
      return i;
    }
  }
  return -1;
}

void UnregisterTempPath(int slot) {
  if (slot >= 0 && slot < kTempSlots) gTempInUse[slot] = 0;
}

}  // namespace

// ---------------------------------------------------------------- TempFile

bool TempFile::Create(const std::string& target, std::string& error) {
  Discard();
  struct stat st{};
  if (::stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    error = Format("cannot write %s: it is a directory", target.c_str());
    return false;
  }
  std::string base = BaseNameOf(target);
  if (base.empty()) {
    error = Format("cannot write %s: no file name", target.c_str());
    return false;
  }
  std::string pattern = DirectoryOf(target) + "/." + base + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) {
    error = Format("cannot write %s: %s", target.c_str(), std::strerror(errno));
    return false;
  }
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  mFd = fd;
  mTempPath = name.data();
  mTarget = target;
  mSignalSlot = RegisterTempPath(mTempPath);
  return true;
}

bool TempFile::Commit(std::string& error) {
  if (mTempPath.empty()) {
    error = "internal: nothing to commit";
    return false;
  }
  if (mFd >= 0) {
    bool synced = ::fsync(mFd) == 0;
    bool closed = ::close(mFd) == 0;
    mFd = -1;
    if (!synced || !closed) {
      error = Format("cannot write %s: %s", mTarget.c_str(), std::strerror(errno));
      Discard();
      return false;
    }
  }
  if (::rename(mTempPath.c_str(), mTarget.c_str()) != 0) {
    error = Format("cannot write %s: %s", mTarget.c_str(), std::strerror(errno));
    Discard();
    return false;
  }
  UnregisterTempPath(mSignalSlot);
  mSignalSlot = -1;
  mTempPath.clear();
  return true;
}

void TempFile::Discard() {
  if (mFd >= 0) {
    ::close(mFd);
    mFd = -1;
  }
  if (!mTempPath.empty()) {
    ::unlink(mTempPath.c_str());
    UnregisterTempPath(mSignalSlot);
    mSignalSlot = -1;
    mTempPath.clear();
  }
}

// ---------------------------------------------------------------- AudioInput

AudioInput::~AudioInput() {
  if (mFile) sf_close(mFile);
}

bool AudioInput::Open(const std::string& path, std::string& error) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) {
    error = Format("cannot read %s: %s", path.c_str(), std::strerror(errno));
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    error = Format("cannot read %s: it is a directory", path.c_str());
    return false;
  }
  mInfo = SF_INFO{};
  mFile = sf_open(path.c_str(), SFM_READ, &mInfo);
  if (!mFile) {
    error = Format("cannot read %s: %s", path.c_str(), sf_strerror(nullptr));
    return false;
  }
  if (mInfo.channels < 1 || mInfo.samplerate < 1) {
    error = Format("cannot read %s: no channels or no sample rate", path.c_str());
    return false;
  }
  return true;
}

long long AudioInput::Read(double* interleaved, long long frames) {
  sf_count_t n = sf_readf_double(mFile, interleaved, frames);
  if (n < frames && sf_error(mFile) != SF_ERR_NO_ERROR) return -1;
  return n;
}

// ---------------------------------------------------------------- formats

int ChooseOutputFormat(const SF_INFO& input, const std::string& outputPath, std::string& fallbackNote) {
  static const struct {
    const char* ext;
    int major;
  } kExtensions[] = {
      {"wav", SF_FORMAT_WAV},   {"wave", SF_FORMAT_WAV}, {"flac", SF_FORMAT_FLAC}, {"aif", SF_FORMAT_AIFF},
      {"aiff", SF_FORMAT_AIFF}, {"aifc", SF_FORMAT_AIFF}, {"au", SF_FORMAT_AU},    {"snd", SF_FORMAT_AU},
      {"caf", SF_FORMAT_CAF},   {"w64", SF_FORMAT_W64},  {"rf64", SF_FORMAT_RF64}, {"ogg", SF_FORMAT_OGG},
      {"oga", SF_FORMAT_OGG},   {"opus", SF_FORMAT_OGG}, {"mp3", SF_FORMAT_MPEG},
  };
  int major = input.format & SF_FORMAT_TYPEMASK;
  const std::string ext = LowerExtension(outputPath);
  for (const auto& e : kExtensions) {
    if (ext == e.ext) major = e.major;
  }

  const int inSub = input.format & SF_FORMAT_SUBMASK;
  const bool inOggCodec = inSub == SF_FORMAT_VORBIS || inSub == SF_FORMAT_OPUS;
  const bool inMpegCodec =
      inSub == SF_FORMAT_MPEG_LAYER_I || inSub == SF_FORMAT_MPEG_LAYER_II || inSub == SF_FORMAT_MPEG_LAYER_III;
  const bool inWide = inSub == SF_FORMAT_FLOAT || inSub == SF_FORMAT_DOUBLE || inSub == SF_FORMAT_PCM_32;
  // Lossy codecs live only in their own containers, and FLAC has no float
  // and no 32-bit samples.
  int sub;
  if (major == SF_FORMAT_OGG)
    sub = inOggCodec ? inSub : (ext == "opus" ? SF_FORMAT_OPUS : SF_FORMAT_VORBIS);
  else if (major == SF_FORMAT_MPEG)
    sub = inMpegCodec ? inSub : SF_FORMAT_MPEG_LAYER_III;
  else if (inWide && major != SF_FORMAT_FLAC)
    sub = inSub;
  else
    sub = SF_FORMAT_PCM_24;

  const int channels = input.channels, rate = input.samplerate;
  if (CanWrite(major | sub, channels, rate)) return major | sub;
  const int wavSub = sub == SF_FORMAT_FLOAT || sub == SF_FORMAT_DOUBLE || sub == SF_FORMAT_PCM_32 ? sub
                                                                                                   : SF_FORMAT_PCM_24;
  const int fallback = CanWrite(SF_FORMAT_WAV | wavSub, channels, rate) ? SF_FORMAT_WAV | wavSub
                                                                        : SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  fallbackNote = Format("libsndfile cannot write %s with %d channels at %d Hz; %s is written as %s",
                        DescribeFormat(major | sub).c_str(), channels, rate, outputPath.c_str(),
                        DescribeFormat(fallback).c_str());
  return fallback;
}

std::string DescribeFormat(int format) {
  SF_FORMAT_INFO major{}, sub{};
  major.format = format & SF_FORMAT_TYPEMASK;
  sub.format = format & SF_FORMAT_SUBMASK;
  std::string a = sf_command(nullptr, SFC_GET_FORMAT_INFO, &major, sizeof(major)) == 0 && major.extension
                      ? major.extension
                      : "?";
  std::string b = sf_command(nullptr, SFC_GET_FORMAT_INFO, &sub, sizeof(sub)) == 0 && sub.name ? sub.name : "?";
  for (char& c : a) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return a + " " + b;
}

// ---------------------------------------------------------------- AudioOutput

bool AudioOutput::Create(const std::string& path, int format, int sampleRate, int channels, std::string& error) {
  Discard();
  mInfo = SF_INFO{};
  mInfo.format = format;
  mInfo.samplerate = sampleRate;
  mInfo.channels = channels;
  if (sf_format_check(&mInfo) != SF_TRUE) {
    error = Format("cannot write %s: libsndfile cannot write %s with %d channels at %d Hz", path.c_str(),
                   DescribeFormat(format).c_str(), channels, sampleRate);
    return false;
  }
  if (!mTemp.Create(path, error)) return false;
  mSyncFd = ::dup(mTemp.Fd());
  mFile = sf_open_fd(mTemp.Fd(), SFM_WRITE, &mInfo, SF_TRUE);
  mTemp.ReleaseFd();  // libsndfile closes it now, also when sf_open_fd fails
  if (!mFile) {
    error = Format("cannot write %s: %s", path.c_str(), sf_strerror(nullptr));
    Discard();
    return false;
  }
  // The PEAK chunk of float files carries a time stamp: without it the same
  // input and settings always give the same bytes.
  sf_command(mFile, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  int sub = format & SF_FORMAT_SUBMASK;
  mClips = sub != SF_FORMAT_FLOAT && sub != SF_FORMAT_DOUBLE;
  // Without clipping libsndfile converts out-of-range samples to integers
  // that wrap around to the opposite polarity: a loud click instead of a clip.
  if (mClips) sf_command(mFile, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  mClipped = 0;
  return true;
}

bool AudioOutput::Write(const double* interleaved, long long frames, std::string& error) {
  if (mClips) {
    const long long n = frames * mInfo.channels;
    for (long long i = 0; i < n; ++i) {
      if (std::fabs(interleaved[i]) > 1.0) ++mClipped;
    }
  }
  if (sf_writef_double(mFile, interleaved, frames) != frames) {
    error = Format("cannot write the output: %s", sf_strerror(mFile));
    return false;
  }
  return true;
}

bool AudioOutput::Commit(std::string& error) {
  if (!mFile) {
    error = "internal: no output open";
    return false;
  }
  int closeResult = sf_close(mFile);
  mFile = nullptr;
  if (closeResult != 0) {
    error = Format("cannot write the output: %s", sf_error_number(closeResult));
    Discard();
    return false;
  }
  if (mSyncFd >= 0) {
    ::fsync(mSyncFd);
    ::close(mSyncFd);
    mSyncFd = -1;
  }
  return mTemp.Commit(error);
}

void AudioOutput::Discard() {
  if (mFile) {
    sf_close(mFile);
    mFile = nullptr;
  }
  if (mSyncFd >= 0) {
    ::close(mSyncFd);
    mSyncFd = -1;
  }
  mTemp.Discard();
}

// ---------------------------------------------------------------- whole files

bool FileExists(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0;
}

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes, std::string& error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    error = Format("cannot read %s: %s", path.c_str(), std::strerror(errno));
    return false;
  }
  bytes.clear();
  unsigned char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  if (!ok) error = Format("cannot read %s", path.c_str());
  return ok;
}

bool StageWholeFile(TempFile& temp, const std::string& path, const void* data, size_t size, std::string& error) {
  if (!temp.Create(path, error)) return false;
  if (!WriteAll(temp.Fd(), data, size)) {
    error = Format("cannot write %s: %s", path.c_str(), std::strerror(errno));
    temp.Discard();
    return false;
  }
  return true;
}
