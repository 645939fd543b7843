// Morvane.so in morvane-host: what a user running files through the plug-in
// gets. At the defaults the sound passes unchanged; the settings shape it in
// the expected direction; and a saved state gives back the same sound. (That
// block sizes and precisions do not change the result is the plug-in's own
// test; the host's use of each entry is tested with the probe plug-in.)
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/tools/HostRun.h"

namespace {

double Rms(const Audio& a) {
  double sum = 0.0;
  for (double v : a.samples) sum += v * v;
  return a.samples.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(a.samples.size()));
}

class MorvaneHostTest : public ::testing::Test {
 protected:
  ScratchDir dir;
  std::string stereo = dir / "stereo.wav", mono = dir / "mono.wav";

  void SetUp() override {
    WriteAudio(stereo, MakeTestSignal(2, 44100, 2.0, 0));
    WriteAudio(mono, MakeTestSignal(1, 48000, 2.0, 0));
  }
  // Processes in through Morvane with the extra arguments; the result, or an empty Audio.
  Audio Run(const std::string& in, std::vector<std::string> extra, const std::string& name) {
    std::vector<std::string> args{"process", MORVANE_PLUGIN, in, dir / name};
    args.insert(args.end(), extra.begin(), extra.end());
    RunResult r = RunHost(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return ReadAudio(dir / name);
  }
};

TEST_F(MorvaneHostTest, DefaultsLeaveMonoAndStereoUnchanged) {
  EXPECT_LE(MaxDifference(ReadAudio(stereo), Run(stereo, {}, "stereo-out.wav")), 1e-7);
  Audio monoOut = Run(mono, {}, "mono-out.wav");
  EXPECT_EQ(monoOut.channels, 1);
  EXPECT_EQ(monoOut.rate, 48000);
  EXPECT_LE(MaxDifference(ReadAudio(mono), monoOut), 1e-7);
}

TEST_F(MorvaneHostTest, SettingsByNameShapeTheSound) {
  const Audio input = ReadAudio(stereo);
  const Audio boost = Run(stereo, {"--set", "Attack=100"}, "boost.wav");
  const Audio cut = Run(stereo, {"--set", "attack=-100"}, "cut.wav");
  const Audio dry = Run(stereo, {"--set", "SUSTAIN=-100"}, "dry.wav");
  EXPECT_GT(Peak(boost), Peak(input) * 1.1) << "an attack boost raises the peaks";
  EXPECT_LT(Peak(cut), Peak(input) * 0.9) << "an attack cut lowers the peaks";
  EXPECT_LT(Rms(dry), Rms(input) * 0.9) << "a sustain cut shortens the decays";
  const Audio quiet = Run(stereo, {"--set", "Gain=-6"}, "quiet.wav");
  EXPECT_NEAR(Peak(quiet) / Peak(input), std::pow(10.0, -6.0 / 20.0), 1e-3);
}

TEST_F(MorvaneHostTest, StateRoundTripGivesTheSameSound) {
  const std::string state = dir / "morvane.state";
  const Audio first = Run(stereo,
                          {"--set", "Attack=60", "--set", "Attack Link=100", "--set", "Sustain=-50", "--set",
                           "Sustain Link=100", "--state", state},
                          "first.wav");
  ASSERT_TRUE(Exists(state));
  EXPECT_EQ(ReadText(state).size(), 72u);  // header and eight values
  const Audio again = Run(stereo, {"--state", state}, "again.wav");
  EXPECT_EQ(MaxDifference(first, again), 0.0);
  EXPECT_GT(MaxDifference(first, ReadAudio(stereo)), 1e-3);
}

}  // namespace
