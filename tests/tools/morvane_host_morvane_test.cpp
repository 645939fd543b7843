// Morvane.so in morvane-host: what a user running files through the plug-in
// gets. At the defaults the sound passes unchanged; the settings shape it in
// the expected direction; the result does not depend on the block size or
// the precision; and a saved state gives back the same sound.
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

TEST(MorvaneInfoTest, ShowsIdentityAndTheEightParameters) {
  RunResult r = RunHost({"info", MORVANE_PLUGIN});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_CONTAINS(r.out, "Effect name  Morvane\n");
  EXPECT_CONTAINS(r.out, "Vendor       Bexo\n");
  EXPECT_CONTAINS(r.out, "Unique id    'Mvnq' (0x4D766E71)\n");
  EXPECT_CONTAINS(r.out, "Version      10001 (vendor version 10001)\n");
  EXPECT_CONTAINS(r.out, "Inputs       2\nOutputs      2\n");
  EXPECT_CONTAINS(r.out, "Parameters   8\n");
  const char* names[] = {"Attack",       "Sustain", "Attack Link",  "Attack Length",
                         "Gain",         "SC HPF",  "Sustain Link", "Sustain Length"};
  for (int i = 0; i < 8; ++i) {
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "  %3d  %-24s ", i, names[i]);
    EXPECT_CONTAINS(r.out, prefix);
  }
}

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

TEST_F(MorvaneHostTest, BlockSizeAndPrecisionDoNotChangeTheResult) {
  const std::vector<std::string> settings{"--set", "Attack=60", "--set", "Sustain=-50", "--set", "Attack Link=50"};
  auto with = [&](std::vector<std::string> more) {
    std::vector<std::string> all = settings;
    all.insert(all.end(), more.begin(), more.end());
    return all;
  };
  const Audio reference = Run(stereo, settings, "reference.wav");
  EXPECT_LE(MaxDifference(reference, Run(stereo, with({"--block", "7"}), "block7.wav")), 1e-7);
  EXPECT_LE(MaxDifference(reference, Run(stereo, with({"--block", "1"}), "block1.wav")), 1e-7);
  EXPECT_LE(MaxDifference(reference, Run(stereo, with({"--precision", "single"}), "single.wav")), 1e-6);
  EXPECT_LE(MaxDifference(reference, Run(stereo, with({"--precision", "accumulate", "--block", "300"}), "acc.wav")),
            1e-6);
  EXPECT_LE(MaxDifference(ReadAudio(mono), Run(mono, {"--precision", "accumulate"}, "mono-acc.wav")), 1e-7);
}

}  // namespace
