// The bundle through the LV2 tools as a user would run them: lv2_validate
// accepts its data, lv2info lists the plug-in with its ports and UI, and
// lv2apply renders a file to the same samples as morvane-host with the VST2
// library at the same settings.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tools/HostRun.h"

namespace {

constexpr const char* kUri = "https://bexo.audio/plugins/morvane";
const std::string kBundle = MORVANE_LV2_BUNDLE;
// The folder holding the bundle, and the LV2 vocabularies for the plug-in's class.
const std::string kLv2Path = kBundle.substr(0, kBundle.rfind('/')) + ":/usr/lib/lv2";

// Runs a program found on PATH with LV2_PATH set to the bundle's folder;
// its output then its errors in out.
RunResult RunTool(const std::vector<std::string>& args) {
  RunResult r = RunProgram(args, {{"LV2_PATH", kLv2Path}});
  r.out += r.err;
  return r;
}

TEST(Lv2Tools, ValidatorAcceptsTheBundlesData) {
  const RunResult r = RunTool({"lv2_validate", kBundle + "/manifest.ttl", kBundle + "/Morvane.ttl"});
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_CONTAINS(r.out, "Found 0 errors");
}

TEST(Lv2Tools, Lv2infoListsThePluginItsPortsAndItsUi) {
  const RunResult list = RunTool({"lv2ls"});
  EXPECT_CONTAINS(list.out, kUri);
  const RunResult r = RunTool({"lv2info", kUri});
  ASSERT_EQ(r.exitCode, 0) << r.out;
  EXPECT_CONTAINS(r.out, "Name:              Morvane");
  EXPECT_CONTAINS(r.out, "Class:             Dynamics");
  EXPECT_CONTAINS(r.out, "Author:            Bexo");
  EXPECT_CONTAINS(r.out, "Has latency:       no");
  EXPECT_CONTAINS(r.out, "http://lv2plug.in/ns/extensions/ui#X11UI");
  EXPECT_CONTAINS(r.out, "http://lv2plug.in/ns/ext/state#interface");
  EXPECT_CONTAINS(r.out, "http://lv2plug.in/ns/lv2core#hardRTCapable");
  const char* symbols[] = {"in_l",   "in_r",   "out_l",        "out_r",          "attack", "sustain", "attack_link",
                           "attack_length", "gain", "sc_hpf", "sustain_link", "sustain_length", "lamp"};
  for (int i = 0; i < 13; ++i) {
    EXPECT_CONTAINS(r.out, "Port " + std::to_string(i) + ":");
    EXPECT_CONTAINS(r.out, std::string("Symbol:      ") + symbols[i] + "\n");
  }
  EXPECT_EQ(r.out.find("Port 13:"), std::string::npos);
  // The parameter table's ranges and defaults, e.g. Gain and Sustain Length.
  EXPECT_CONTAINS(r.out, "Name:        Gain\n\t\tMinimum:     -94.000000\n\t\tMaximum:     6.000000\n"
                         "\t\tDefault:     0.000000");
  EXPECT_CONTAINS(r.out, "Name:        Sustain Length\n\t\tMinimum:     0.000000\n\t\tMaximum:     750.000000\n"
                         "\t\tDefault:     500.000000");
}

TEST(Lv2Tools, Lv2applyRendersTheSamplesOfTheVst2Library) {
  ScratchDir dir;
  const std::string in = dir / "in.wav";
  ASSERT_EQ(RunHost({"drumloop", in, "--seconds", "3"}).exitCode, 0);
  // Port symbol, VST2 parameter name, plain value.
  const std::vector<std::vector<std::vector<std::string>>> cases = {
      {},
      {{"attack", "Attack", "60"}, {"sustain", "Sustain", "-50"}, {"gain", "Gain", "-3.5"}},
      {{"attack", "Attack", "-75"}, {"sustain", "Sustain", "80"}, {"attack_link", "Attack Link", "100"},
       {"sustain_link", "Sustain Link", "25"}, {"attack_length", "Attack Length", "2.5"},
       {"sustain_length", "Sustain Length", "120"}, {"sc_hpf", "SC HPF", "50"}, {"gain", "Gain", "6"}},
  };
  for (size_t c = 0; c < cases.size(); ++c) {
    SCOPED_TRACE("case " + std::to_string(c));
    const std::string lv2Out = dir / ("lv2-" + std::to_string(c) + ".wav");
    const std::string vst2Out = dir / ("vst2-" + std::to_string(c) + ".wav");
    std::vector<std::string> apply{"lv2apply", "-i", in, "-o", lv2Out};
    std::vector<std::string> process{"process", MORVANE_VST2_PLUGIN, in, vst2Out, "--precision", "single"};
    for (const auto& v : cases[c]) {
      apply.insert(apply.end(), {"-c", v[0], v[2]});
      process.insert(process.end(), {"--set", v[1] + "=" + v[2]});
    }
    apply.push_back(kUri);
    const RunResult a = RunTool(apply);
    ASSERT_EQ(a.exitCode, 0) << a.out;
    const RunResult p = RunHost(process);
    ASSERT_EQ(p.exitCode, 0) << p.err;
    const Audio lv2 = ReadAudio(lv2Out), vst2 = ReadAudio(vst2Out), input = ReadAudio(in);
    ASSERT_EQ(lv2.channels, 2);
    EXPECT_EQ(lv2.Frames(), input.Frames());
    EXPECT_EQ(MaxDifference(lv2, vst2), 0.0);
    if (!cases[c].empty()) {
      EXPECT_GT(MaxDifference(lv2, input), 0.01);  // the settings did something
    }
  }
}

}  // namespace
