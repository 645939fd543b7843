// The real-peer test: morvane-host loads third-party Linux VST2 plug-ins
// from Debian's zam-plugins and lsp-plugins-vst packages, lists their
// parameters and runs audio through them, so the host is known to speak VST2
// the way other plug-ins expect, not only the way our own adapter does.
// Where a package is not installed the test is skipped, except under CI
// (CI set in the environment), where the packages are installed and the
// test must run.
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "tests/tools/HostRun.h"

namespace {

struct Peer {
  const char* package;
  const char* library;
  int channels;         // of the test file: the plug-in's main outputs
  const char* setting;  // a --set that must change the sound
};

const Peer kPeers[] = {
    {"zam-plugins", "/usr/lib/vst/ZamCompX2-vst.so", 2, "Threshold=norm:0.2"},
    {"zam-plugins", "/usr/lib/vst/ZamEQ2-vst.so", 1, "Master Gain=norm:0.2"},
    {"lsp-plugins-vst", "/usr/lib/vst/lsp-plugins/compressor-stereo.so", 2, "g_out=norm:0.2"},
    {"lsp-plugins-vst", "/usr/lib/vst/lsp-plugins/gate-mono.so", 1, "g_out=norm:0.2"},
};

// Third-party code in a sanitizer build of the host: its own leaks are not ours.
const std::map<std::string, std::string> kPeerEnv = {
    {"ASAN_OPTIONS", std::string(std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "") +
                         ":detect_leaks=0"},
};

void PrintTo(const Peer& peer, std::ostream* os) { *os << peer.library; }

class RealPeerTest : public ::testing::TestWithParam<Peer> {
 protected:
  void SetUp() override {
    if (!Exists(GetParam().library)) {
      if (std::getenv("CI")) FAIL() << GetParam().library << " is missing; CI must install " << GetParam().package;
      GTEST_SKIP() << GetParam().library << " is missing: install the Debian package " << GetParam().package
                   << " (scripts/install-deps.sh does)";
    }
  }
};

TEST_P(RealPeerTest, InfoListsParameters) {
  RunResult r = RunHost({"info", GetParam().library}, kPeerEnv);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const size_t at = r.out.find("Parameters   ");
  ASSERT_NE(at, std::string::npos) << r.out;
  EXPECT_GT(std::atoi(r.out.c_str() + at + 13), 0) << r.out;
  EXPECT_CONTAINS(r.out, "    0  ");  // the first parameter's line
  EXPECT_CONTAINS(r.out, "Pins\n");
}

TEST_P(RealPeerTest, ProcessesAFileInEveryPrecisionAndHonoursASetting) {
  const Peer& peer = GetParam();
  ScratchDir dir;
  const std::string in = dir / "in.wav";
  WriteAudio(in, MakeTestSignal(peer.channels, 44100, 1.5, 0));
  const Audio input = ReadAudio(in);

  Audio plain;
  for (const char* precision : {"double", "single", "accumulate"}) {
    const std::string out = dir / (std::string(precision) + ".wav");
    RunResult r = RunHost({"process", peer.library, in, out, "--precision", precision, "--block", "512"}, kPeerEnv);
    ASSERT_EQ(r.exitCode, 0) << precision << ": " << r.err;
    Audio result = ReadAudio(out);
    ASSERT_EQ(result.channels, peer.channels) << precision;
    ASSERT_EQ(result.rate, 44100) << precision;
    ASSERT_EQ(result.Frames(), input.Frames()) << precision;
    for (double v : result.samples) ASSERT_TRUE(std::isfinite(v)) << precision;
    EXPECT_GT(Peak(result), 1e-3) << precision << ": the signal did not come through";
    if (plain.channels == 0) plain = result;
  }

  RunResult r = RunHost({"process", peer.library, in, dir / "set.wav", "--set", peer.setting}, kPeerEnv);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_GT(MaxDifference(plain, ReadAudio(dir / "set.wav")), 1e-3) << peer.setting << " changed nothing";
}

std::string PeerName(const ::testing::TestParamInfo<Peer>& info) {
  std::string name = info.param.library;
  name = name.substr(name.rfind('/') + 1);
  std::string clean;
  for (char c : name.substr(0, name.rfind('.'))) clean += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return clean;
}

INSTANTIATE_TEST_SUITE_P(DebianPlugins, RealPeerTest, ::testing::ValuesIn(kPeers), PeerName);

}  // namespace
