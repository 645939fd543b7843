// morvane-host through its executable: failures that must leave the output
// alone, the host's side of the plug-in conversation (seen by a probe
// plug-in that logs what the host does), parameters, state, formats, and the
// drum loop and stats commands.
#include <sndfile.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/tools/HostRun.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> WithPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
  std::vector<std::string> out;
  for (const auto& l : lines) {
    if (l.rfind(prefix, 0) == 0) out.push_back(l);
  }
  return out;
}

// The protocol lines of a probe log, in order, without the per-block ones.
std::vector<std::string> Protocol(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const auto& l : lines) {
    if (l.rfind("process ", 0) != 0) out.push_back(l);
  }
  return out;
}

double DbToGain(double db) { return std::pow(10.0, db / 20.0); }

// Checks that in is out scaled by gain, sample by sample, within tolerance.
void ExpectScaled(const Audio& in, const Audio& out, double gain, double tolerance) {
  ASSERT_EQ(out.channels, in.channels);
  ASSERT_EQ(out.samples.size(), in.samples.size());
  for (size_t i = 0; i < in.samples.size(); ++i) {
    ASSERT_NEAR(out.samples[i], in.samples[i] * gain, tolerance) << "sample " << i;
  }
}

class HostTest : public ::testing::Test {
 protected:
  ScratchDir dir;
  std::string in = dir / "in.wav", out = dir / "out.wav", log = dir / "probe.log";

  void SetUp() override { WriteAudio(in, MakeTestSignal(2, 48000, 0.5, 0)); }

  RunResult Process(std::vector<std::string> extra, const std::string& probeOptions = "",
                    const std::string& input = "") {
    std::vector<std::string> args{"process", PROBE_PLUGIN, input.empty() ? in : input, out};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunHost(args, {{"MORVANE_PROBE", probeOptions}, {"MORVANE_PROBE_LOG", log}});
  }
  std::vector<std::string> Log() const { return Lines(ReadText(log)); }
};

// ---------------------------------------------------------------------------
// Failures: a non-zero exit, a message saying what went wrong, and OUT as it
// was (absent, or with its old content), with no temporary file left behind.

class HostFailureTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    WriteText(out, "previous content");
  }
  void ExpectUntouched(const RunResult& r) {
    EXPECT_NE(r.exitCode, 0);
    EXPECT_EQ(ReadText(out), "previous content");
    for (const std::string& name : dir.List()) {
      EXPECT_TRUE(name == "in.wav" || name == "out.wav" || name == "probe.log" || name == "state.bin" ||
                  name == "not-audio.txt" || name == "fake.so" || name == "probe.so")
          << "left behind: " << name;
    }
  }
};

TEST_F(HostFailureTest, MissingPluginLibrary) {
  RunResult r = RunHost({"process", dir / "nowhere.so", in, out});
  ExpectUntouched(r);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_CONTAINS(r.err, "cannot load plug-in");
  EXPECT_CONTAINS(r.err, "No such file");
  EXPECT_NE(RunHost({"info", dir / "nowhere.so"}).exitCode, 0);
}

TEST_F(HostFailureTest, FileThatIsNotALibraryGivesTheLoaderMessage) {
  WriteText(dir / "fake.so", std::string(200, 'x'));
  RunResult r = RunHost({"process", dir / "fake.so", in, out});
  ExpectUntouched(r);
  EXPECT_CONTAINS(r.err, "cannot load plug-in");
  EXPECT_CONTAINS(r.err, "invalid ELF header");  // the loader's own words
}

TEST_F(HostFailureTest, LibraryWithoutEntryPoint) {
  RunResult r = RunHost({"process", NO_ENTRY_PLUGIN, in, out});
  ExpectUntouched(r);
  EXPECT_CONTAINS(r.err, "exports neither VSTPluginMain nor main");
  EXPECT_NE(RunHost({"info", NO_ENTRY_PLUGIN}).exitCode, 0);
}

TEST_F(HostFailureTest, EntryPointReturningNoRecord) {
  RunResult r = Process({}, "null");
  ExpectUntouched(r);
  EXPECT_CONTAINS(r.err, "returned no effect");
}

TEST_F(HostFailureTest, RecordWithBadMagic) {
  RunResult r = Process({}, "badmagic");
  ExpectUntouched(r);
  EXPECT_CONTAINS(r.err, "not a VST2 effect");
  EXPECT_CONTAINS(r.err, "0x4A756E6B");
}

TEST_F(HostFailureTest, UnreadableInput) {
  ExpectUntouched(Process({}, "", dir / "missing.wav"));
  WriteText(dir / "not-audio.txt", "plain text, not audio");
  RunResult r = Process({}, "", dir / "not-audio.txt");
  ExpectUntouched(r);
  EXPECT_CONTAINS(r.err, "cannot read");
}

TEST_F(HostFailureTest, UnknownParameterListsTheKnownNames) {
  RunResult r = Process({"--set", "Loudness=3"});
  ExpectUntouched(r);
  EXPECT_CONTAINS(r.err, "no parameter \"Loudness\"");
  EXPECT_CONTAINS(r.err, "\"Level\", \"Mix\"");
}

TEST_F(HostFailureTest, TextThePluginCannotTakeAndNoNormalisedValue) {
  RunResult r = Process({"--set", "Mix=half"});
  ExpectUntouched(r);
  EXPECT_CONTAINS(r.err, "norm:");
  ExpectUntouched(Process({"--set", "Mix=1.5"}));
  ExpectUntouched(Process({"--set", "Level=norm:2"}));
}

TEST_F(HostFailureTest, UnwritableOutput) {
  RunResult r = RunHost({"process", PROBE_PLUGIN, in, dir / "no-such-dir/out.wav"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_CONTAINS(r.err, "cannot write");
  EXPECT_FALSE(Exists(dir / "no-such-dir"));

  r = RunHost({"process", PROBE_PLUGIN, in, dir.Path()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_CONTAINS(r.err, "is a directory");
  ExpectUntouched(r);
}

TEST_F(HostFailureTest, PluginCrashLeavesNoTemporaryFile) {
  RunResult r = Process({"--block", "64"}, "crash");
  ExpectUntouched(r);
}

TEST_F(HostFailureTest, StateThePluginRejects) {
  WriteText(dir / "state.bin", "not a state of this plug-in");
  RunResult r = Process({"--state", dir / "state.bin"});
  ExpectUntouched(r);
  EXPECT_CONTAINS(r.err, "did not accept the state");
  EXPECT_EQ(ReadText(dir / "state.bin"), "not a state of this plug-in");
}

TEST_F(HostFailureTest, MoreFileChannelsThanPluginOutputs) {
  RunResult r = Process({}, "mono");
  ExpectUntouched(r);
  EXPECT_CONTAINS(r.err, "has 1 output");
}

TEST(HostUsageTest, BadCommandLinesExitWithTwo) {
  EXPECT_EQ(RunHost({}).exitCode, 2);
  EXPECT_EQ(RunHost({"frobnicate"}).exitCode, 2);
  EXPECT_EQ(RunHost({"info"}).exitCode, 2);
  EXPECT_EQ(RunHost({"process", PROBE_PLUGIN, "a.wav"}).exitCode, 2);
  EXPECT_EQ(RunHost({"process", PROBE_PLUGIN, "a.wav", "b.wav", "--precision", "half"}).exitCode, 2);
  EXPECT_EQ(RunHost({"process", PROBE_PLUGIN, "a.wav", "b.wav", "--block", "0"}).exitCode, 2);
  EXPECT_EQ(RunHost({"process", PROBE_PLUGIN, "a.wav", "b.wav", "--set", "NoValue"}).exitCode, 2);
  RunResult help = RunHost({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_CONTAINS(help.out, "effString2Parameter");
  EXPECT_CONTAINS(help.out, "--state FILE");
}

// ---------------------------------------------------------------------------
// The host's side of the conversation, as the probe plug-in saw it.

TEST_F(HostTest, StereoRunFollowsTheHostSequence) {
  RunResult r = Process({"--block", "100"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::vector<std::string> log = Log();
  EXPECT_EQ(Protocol(log), (std::vector<std::string>{
                               "main version=2400",
                               "open product=morvane-host vendor=Bexo vendorVersion=10001 currentId=0x50726265",
                               "rate 48000",
                               "block 100",
                               "mains 1",
                               "mains 0",
                               "close",
                           }));
  // 0.5 s at 48 kHz = 24000 frames = 240 blocks of 100, each reported at its position.
  std::vector<std::string> blocks = WithPrefix(log, "process ");
  ASSERT_EQ(blocks.size(), 240u);
  EXPECT_EQ(blocks[0].rfind("process double frames=100 pos=0 rate=48000 block=100 tempo=120 sig=4/4 flags=0x2F02 ", 0),
            0u)
      << blocks[0];
  EXPECT_CONTAINS(blocks[1], "pos=100 ");
  EXPECT_CONTAINS(blocks[239], "pos=23900 ");
  ExpectScaled(ReadAudio(in), ReadAudio(out), 1.0, 1e-7);
}

TEST_F(HostTest, LastBlockIsShortAndOutputKeepsTheLength) {
  ASSERT_EQ(Process({"--block", "7000"}).exitCode, 0);
  std::vector<std::string> blocks = WithPrefix(Log(), "process ");
  ASSERT_EQ(blocks.size(), 4u);  // 3 x 7000 + 3000
  EXPECT_CONTAINS(blocks[3], "frames=3000 pos=21000 ");
  EXPECT_EQ(ReadAudio(out).Frames(), 24000);
}

TEST_F(HostTest, MonoFileIsDeclaredAsOneChannelBeforeResume) {
  const std::string mono = dir / "mono.wav";
  WriteAudio(mono, MakeTestSignal(1, 44100, 0.25, 0));
  for (const char* options : {"", "mono"}) {
    std::remove(log.c_str());
    RunResult r = Process({"--set", "Level=-6"}, options, mono);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> protocol = Protocol(Log());
    ASSERT_GE(protocol.size(), 7u);
    EXPECT_EQ(protocol[2], "rate 44100");
    EXPECT_EQ(protocol[4], "arrangement in=1/0 out=1/0");
    EXPECT_EQ(protocol[5], "text 0 -6");
    EXPECT_EQ(protocol[6], "mains 1");
    // The plug-in's second input, if it has one, carries silence.
    for (const auto& b : WithPrefix(Log(), "process ")) ASSERT_EQ(b.substr(b.rfind(' ')), " in1peak=0") << b;
    Audio result = ReadAudio(out);
    EXPECT_EQ(result.channels, 1);
    EXPECT_EQ(result.rate, 44100);
    ExpectScaled(ReadAudio(mono), result, DbToGain(-6), 1e-6);
  }
}

TEST_F(HostTest, EachPrecisionUsesItsOwnEntryAndGivesTheSameSamples) {
  Audio input = ReadAudio(in);
  for (const char* precision : {"double", "single", "accumulate"}) {
    std::remove(log.c_str());
    RunResult r = Process({"--precision", precision, "--block", "256", "--set", "Level=-12"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> blocks = WithPrefix(Log(), "process ");
    ASSERT_FALSE(blocks.empty());
    for (const auto& b : blocks) ASSERT_EQ(b.rfind(std::string("process ") + precision + " ", 0), 0u) << b;
    // Accumulating into outputs not cleared per block would add up the blocks.
    ExpectScaled(input, ReadAudio(out), DbToGain(-12), 1e-6);
  }
}

TEST_F(HostTest, ProgressIsShownForFilesLongerThanTenSeconds) {
  const std::string longFile = dir / "long.wav";
  WriteAudio(longFile, MakeTestSignal(1, 8000, 10.5, 0));
  RunResult r = Process({"--block", "4096"}, "", longFile);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // One line per tenth of the file (blocks of about 5 % each), the last at 100 %.
  std::vector<std::string> progress;
  for (const auto& line : Lines(r.err)) {
    if (line.find(" % processed") != std::string::npos) progress.push_back(line);
  }
  EXPECT_GE(progress.size(), 9u) << r.err;
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), "morvane-host: 100 % processed");
  // Short files stay quiet when stderr is not a terminal.
  r = Process({});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err.find("processed"), std::string::npos) << r.err;
}

TEST_F(HostTest, PluginWithoutDoublePrecisionFallsBackToSingleAndSaysSo) {
  RunResult r = Process({}, "nodouble");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_CONTAINS(r.err, "cannot process in double precision; using single");
  for (const auto& b : WithPrefix(Log(), "process ")) ASSERT_EQ(b.rfind("process single ", 0), 0u) << b;
}

TEST_F(HostTest, SetByNameThroughTextEntryOrNormalisedValue) {
  // Names match whole, ignoring case; the text goes to the plug-in's text entry.
  RunResult r = Process({"--set", "level=-20"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(WithPrefix(Log(), "text ")[0], "text 0 -20");
  EXPECT_CONTAINS(r.err, "\"Level\" = -20.00 dB");
  ExpectScaled(ReadAudio(in), ReadAudio(out), DbToGain(-20), 1e-6);

  // "Mix" has no text entry: a plain number from 0 to 1 is set normalised.
  std::remove(log.c_str());
  ASSERT_EQ(Process({"--set", "Mix=0.5"}).exitCode, 0);
  EXPECT_EQ(WithPrefix(Log(), "text ")[0], "text 1 refused");
  EXPECT_EQ(WithPrefix(Log(), "param ")[0], "param 1 0.5000");
  ExpectScaled(ReadAudio(in), ReadAudio(out), 0.5, 1e-6);

  // norm: sets the normalised value directly, without the text entry.
  std::remove(log.c_str());
  ASSERT_EQ(Process({"--set", "Level=norm:0.5", "--set", "MIX=norm:0.25"}).exitCode, 0);
  EXPECT_TRUE(WithPrefix(Log(), "text ").empty());
  ExpectScaled(ReadAudio(in), ReadAudio(out), DbToGain(-24) * 0.25, 1e-6);
}

TEST_F(HostTest, StateIsSavedAfterProcessingAndRestoredBeforeTheSets) {
  const std::string state = dir / "state.bin";
  ASSERT_EQ(Process({"--set", "Level=-9", "--state", state}).exitCode, 0);
  ASSERT_TRUE(Exists(state));
  EXPECT_EQ(ReadText(state).size(), 20u);
  EXPECT_EQ(WithPrefix(Log(), "chunk ")[0], "chunk get 1");
  Audio first = ReadAudio(out);

  std::remove(log.c_str());
  RunResult r = Process({"--state", state});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(WithPrefix(Log(), "chunk "), std::vector<std::string>{"chunk set 1 size=20 ok"});
  EXPECT_EQ(MaxDifference(first, ReadAudio(out)), 0.0);

  // The restored state comes first, --set values override it.
  std::remove(log.c_str());
  ASSERT_EQ(Process({"--state", state, "--set", "Level=0"}).exitCode, 0);
  ExpectScaled(ReadAudio(in), ReadAudio(out), 1.0, 1e-6);
}

// ---------------------------------------------------------------------------
// Output formats and levels.

TEST_F(HostTest, OutputFormatFollowsTheInputOrTheExtension) {
  struct Case {
    const char* input;
    int inputFormat;
    const char* output;
    int expected;
  } cases[] = {
      {"a.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, "a-out.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
      {"b.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, "b-out.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
      {"c.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, "c-out.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
      {"d.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, "d-out.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
      {"e.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, "e-out.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
      {"f.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, "f-out.data", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
  };
  for (const Case& c : cases) {
    Audio a = MakeTestSignal(2, 44100, 0.1, c.inputFormat);
    WriteAudio(dir / c.input, a);
    RunResult r = RunHost({"process", PROBE_PLUGIN, dir / c.input, dir / c.output});
    ASSERT_EQ(r.exitCode, 0) << c.input << ": " << r.err;
    Audio result = ReadAudio(dir / c.output);
    EXPECT_EQ(result.format, c.expected) << c.output;
    EXPECT_EQ(result.Frames(), a.Frames()) << c.output;
    EXPECT_LT(MaxDifference(ReadAudio(dir / c.input), result), 1e-4) << c.output;
  }
}

TEST_F(HostTest, IntegerOutputClipsInsteadOfWrappingAndWarns) {
  const std::string pcm = dir / "pcm.wav";
  WriteAudio(pcm, MakeTestSignal(2, 44100, 0.2, SF_FORMAT_WAV | SF_FORMAT_PCM_24));
  RunResult r = Process({"--set", "Level=12"}, "", pcm);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_CONTAINS(r.err, "were clipped");
  Audio input = ReadAudio(pcm), result = ReadAudio(out);
  ASSERT_EQ(result.samples.size(), input.samples.size());
  for (size_t i = 0; i < input.samples.size(); ++i) {
    // A wrapped sample would come out with the opposite sign.
    if (std::fabs(input.samples[i]) > 0.01) {
      ASSERT_GT(result.samples[i] * input.samples[i], 0.0) << i;
    }
  }
  EXPECT_GT(Peak(result), 0.99);
}

TEST_F(HostTest, NonFiniteSamplesFromThePluginAreWrittenAsZeroWithAWarning) {
  RunResult r = Process({"--block", "64"}, "nan");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_CONTAINS(r.err, "480 samples that were not finite");  // 240 frames x 2 channels
  Audio input = ReadAudio(in), result = ReadAudio(out);
  ASSERT_EQ(result.samples.size(), input.samples.size());
  for (size_t i = 0; i < result.samples.size(); ++i) {
    const long long frame = static_cast<long long>(i) / 2;
    ASSERT_EQ(result.samples[i], frame % 100 == 0 ? 0.0 : static_cast<double>(static_cast<float>(input.samples[i])))
        << i;
  }
}

TEST_F(HostTest, PluginNamedWithoutADirectoryIsTakenFromTheWorkingDirectory) {
  // dlopen would search the library path for a bare name, not the working directory.
  WriteText(dir / "probe.so", ReadText(PROBE_PLUGIN));
  RunResult r = RunHost({"info", "probe.so"}, {}, dir.Path());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_CONTAINS(r.out, "Effect name  Probe\n");
}

TEST(HostDrumLoopTest, IsDeterministicStereoAndNormalisedToItsPeak) {
  ScratchDir dir;
  ASSERT_EQ(RunHost({"drumloop", dir / "a.wav"}).exitCode, 0);
  ASSERT_EQ(RunHost({"drumloop", dir / "b.wav", "--seconds", "8"}).exitCode, 0);
  EXPECT_TRUE(ReadText(dir / "a.wav") == ReadText(dir / "b.wav")) << "two runs gave different bytes";
  Audio a = ReadAudio(dir / "a.wav");
  EXPECT_EQ(a.channels, 2);
  EXPECT_EQ(a.rate, 44100);
  EXPECT_EQ(a.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  EXPECT_EQ(a.Frames(), 8 * 44100);
  EXPECT_NEAR(20.0 * std::log10(Peak(a)), -7.0, 0.01);
  ASSERT_EQ(RunHost({"drumloop", dir / "c.wav", "--seconds", "1.5", "--peak", "-20", "--rate", "48000"}).exitCode, 0);
  Audio c = ReadAudio(dir / "c.wav");
  EXPECT_EQ(c.rate, 48000);
  EXPECT_EQ(c.Frames(), 72000);
  EXPECT_NEAR(20.0 * std::log10(Peak(c)), -20.0, 0.01);
  // The channels differ (panned hats and rim, a wide room).
  double diff = 0.0;
  for (long long i = 0; i < a.Frames(); ++i) diff = std::max(diff, std::fabs(a.samples[2 * i] - a.samples[2 * i + 1]));
  EXPECT_GT(diff, 0.02);
  // Drums, not a drone: a crest factor (peak over RMS) above 11 dB, where a
  // steady tone has 3 dB.
  double sum = 0.0;
  for (double v : a.samples) sum += v * v;
  EXPECT_GT(Peak(a) / std::sqrt(sum / static_cast<double>(a.samples.size())), 3.5);
}

TEST(HostStatsTest, ReportsPeakAndRmsInDbfs) {
  ScratchDir dir;
  Audio square;
  square.channels = 1;
  square.rate = 8000;
  for (int i = 0; i < 8000; ++i) square.samples.push_back(i % 2 ? 0.5 : -0.5);
  WriteAudio(dir / "square.wav", square);
  RunResult r = RunHost({"stats", dir / "square.wav"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, dir / "square.wav" + ": peak -6.0 dBFS, RMS -6.0 dBFS, 1.00 s, 1 ch, 8000 Hz\n");
  EXPECT_EQ(RunHost({"stats", dir / "missing.wav"}).exitCode, 1);
}

TEST(HostInfoTest, ListsIdentityParametersPinsAndCapabilities) {
  RunResult r = RunHost({"info", PROBE_PLUGIN});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_CONTAINS(r.out, "Effect name  Probe\n");
  EXPECT_CONTAINS(r.out, "Unique id    'Prbe' (0x50726265)\n");
  EXPECT_CONTAINS(r.out, "Flags        0x1010 CanReplacing CanDoubleReplacing\n");
  EXPECT_CONTAINS(r.out, "Parameters   2\n");
  EXPECT_CONTAINS(r.out, "    0  Level                    dB       0.00             0.833333\n");
  EXPECT_CONTAINS(r.out, "    1  Mix                               1.00             1.000000\n");
  EXPECT_CONTAINS(r.out, "  input   0  (no properties)\n");
  EXPECT_CONTAINS(r.out, "  receiveVstTimeInfo     don't know\n");
}

}  // namespace
