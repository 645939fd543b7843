// The plug-in base as a plug-in class and a host adapter see it: channel
// configurations, the editor object, parameters from the editor, the instance
// lock, and the buffer plumbing in both precisions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "framework/IEffectBase.h"
#include "framework/Trace.h"
#include "tests/framework/LockProbe.h"
#include "tests/framework/TestEffect.h"

namespace {

using morvane_test::Call;
using morvane_test::FakeEditor;
using morvane_test::FinishesOrAbort;
using morvane_test::MorvaneConfig;
using morvane_test::TestEffect;
using morvane_test::WaitsForLock;

// ---- configuration ---------------------------------------------------------------

using Pairs = std::vector<std::pair<int, int>>;

Pairs ChannelConfigs(const char* channelIO) {
  TestEffect fx(MorvaneConfig(channelIO));
  Pairs pairs;
  for (int i = 0; i < fx.ChannelConfigCount(); ++i)
    pairs.emplace_back(fx.GetChannelConfig(i)->nIn, fx.GetChannelConfig(i)->nOut);
  EXPECT_EQ(fx.GetChannelConfig(fx.ChannelConfigCount()), nullptr);
  return pairs;
}

// Each pair is read where the previous one's space ends, so a doubled space
// reads the next pair twice and an unreadable field stays 0; the channel
// counts are the largest of each side.
TEST(EffectBase, ChannelConfigurationText) {
  EXPECT_EQ(ChannelConfigs("1-1 2-2"), (Pairs{{1, 1}, {2, 2}}));
  EXPECT_EQ(ChannelConfigs("2-4"), (Pairs{{2, 4}}));
  EXPECT_EQ(ChannelConfigs("1-1  2-2"), (Pairs{{1, 1}, {2, 2}, {2, 2}}));
  EXPECT_EQ(ChannelConfigs("0-2 x"), (Pairs{{0, 2}, {0, 0}}));
  EXPECT_EQ(ChannelConfigs(nullptr), (Pairs{{0, 0}}));

  TestEffect wide(MorvaneConfig("2-4"));
  EXPECT_EQ(wide.InputCount(), 2);
  EXPECT_EQ(wide.OutputCount(), 4);

  TestEffect noInputs(MorvaneConfig("0-2 x"));
  EXPECT_EQ(noInputs.InputCount(), 0);
  ASSERT_EQ(noInputs.OutputCount(), 2);
  float out0[4] = {1, 1, 1, 1}, out1[4] = {1, 1, 1, 1};
  float* outs[2] = {out0, out1};
  noInputs.ProcessHostSingle(nullptr, outs, 4, false);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(out0[i], 0.0f);
    EXPECT_EQ(out1[i], 0.0f);
  }
}

TEST(EffectBase, LegalIOMatchesAConfigurationAndMinusOneMatchesAnyOutput) {
  TestEffect fx;
  EXPECT_TRUE(fx.LegalIO(1, -1));
  EXPECT_TRUE(fx.LegalIO(2, -1));
  EXPECT_TRUE(fx.LegalIO(2, 2));
  EXPECT_FALSE(fx.LegalIO(1, 2));
  EXPECT_FALSE(fx.LegalIO(3, -1));
}

TEST(EffectBase, IdentityTextsAreCutToTheirFields) {
  std::string longName(300, 'n');
  IEffectConfig c = MorvaneConfig();
  c.effectName = longName.c_str();
  c.makerName = nullptr;
  TestEffect fx(c);
  EXPECT_EQ(std::string(fx.GetEffectName()), longName.substr(0, 127));
  EXPECT_STREQ(fx.GetMakerName(), "");
}

// Indices outside the lists and null messages are refused without effect;
// what only a host can give (a key name, an offline run, sending SysEx) the
// base's defaults answer with nothing rather than a false success.
TEST(EffectBase, RefusedAndUnservedRequestsChangeNothing) {
  TestEffect fx;
  fx.calls.clear();
  EXPECT_EQ(fx.GetParam(8), nullptr);
  EXPECT_EQ(fx.GetParam(-1), nullptr);
  EXPECT_STREQ(fx.GetPresetName(1), "");
  EXPECT_STREQ(fx.GetPresetName(-1), "");
  fx.SetParamFromEditor(8, 0.5);
  fx.SetParamFromEditor(-1, 0.5);
  fx.HandleMidi(nullptr);
  fx.SetInputConnected(5, false);
  fx.SetOutputConnected(-1, false);
  EXPECT_FALSE(fx.StateMatches(nullptr, 0));
  EXPECT_TRUE(fx.calls.empty());
  char name[8] = "junk";
  EXPECT_FALSE(fx.GetNoteName(60, name));
  EXPECT_STREQ(name, "");
  EXPECT_FALSE(fx.IsOffline());
  ISysExMessage sysex;
  EXPECT_FALSE(fx.SendSysExMessage(&sysex));
}

// ---- the editor object ---------------------------------------------------------------

// The base owns its editor: a replaced one and the last one are deleted. The
// editor is shown every parameter's value when attached and on each refresh.
TEST(EffectBase, EditorIsOwnedAndShownEveryValue) {
  std::vector<Call> log;
  bool firstDeleted = false, secondDeleted = false;
  auto expectEveryValue = [&](const TestEffect& fx) {
    ASSERT_EQ(log.size(), 8u);
    for (int i = 0; i < 8; ++i)
      EXPECT_EQ(log[i], (Call{"ParamValueChanged", i, fx.GetParam(i)->NormalizedValue(), true}));
    log.clear();
  };
  {
    TestEffect fx;
    fx.GetParam(0)->Set(50.0);
    fx.RefreshParamControls();  // no editor yet: nothing to show
    fx.AttachEditor(nullptr);
    EXPECT_EQ(fx.GetEditor(), nullptr);

    fx.AttachEditor(new FakeEditor(&log, &firstDeleted));
    expectEveryValue(fx);
    auto* second = new FakeEditor(&log, &secondDeleted);
    fx.AttachEditor(second);
    EXPECT_TRUE(firstDeleted);
    log.clear();
    fx.AttachEditor(second);  // the same object again: kept
    EXPECT_FALSE(secondDeleted);
    EXPECT_EQ(fx.GetEditor(), second);
    log.clear();

    fx.GetParam(7)->Set(100.0);
    fx.RefreshParamControls();
    expectEveryValue(fx);
  }
  EXPECT_TRUE(secondDeleted);
}

// ---- parameters from the editor ---------------------------------------------------------

// The parameter takes the value, then the host is told the value as the editor
// gave it (before any snapping) and the plug-in hears of the change. A NaN
// reaches neither.
TEST(EffectBase, EditorValuesReachTheParameterTheHostAndThePlugin) {
  TestEffect fx;
  fx.calls.clear();
  fx.SetParamFromEditor(0, 0.75);
  EXPECT_DOUBLE_EQ(fx.GetParam(0)->Value(), 50.0);
  EXPECT_EQ(fx.calls, (std::vector<Call>{{"NotifyHostOfParam", 0, 0.75}, {"ParamChanged", 0, 50.0}}));

  fx.GetParam(2)->DefineEnum("Mode", 0, 5);
  fx.calls.clear();
  fx.SetParamFromEditor(2, 0.3);  // 1.2 snaps to 1
  EXPECT_EQ(fx.GetParam(2)->Value(), 1.0);
  EXPECT_EQ(fx.CallsNamed("NotifyHostOfParam")[0].value, 0.3);

  fx.calls.clear();
  fx.SetParamFromEditor(0, std::nan(""));
  EXPECT_DOUBLE_EQ(fx.GetParam(0)->Value(), 50.0);
  EXPECT_TRUE(fx.calls.empty());
}

// Positions count whole doubles: in a program chunk the header fills
// position 0 and parameter i is the double at position 1 + i. Values compare
// as floats.
TEST(EffectBase, StateMatchesReadsWholeDoublesFromItsPosition) {
  TestEffect fx;
  std::vector<uint8_t> chunk = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  const double values[8] = {0, 0, 0, 5, 0, 0, 0, 500.000001};
  for (double v : values) {
    uint8_t bytes[8];
    std::memcpy(bytes, &v, 8);
    chunk.insert(chunk.end(), bytes, bytes + 8);
  }
  EXPECT_TRUE(fx.StateMatches(chunk.data(), 1));
  EXPECT_FALSE(fx.StateMatches(chunk.data(), 0));
  fx.GetParam(7)->Set(501.0);
  EXPECT_FALSE(fx.StateMatches(chunk.data(), 1));
}

// ---- the instance lock --------------------------------------------------------------------

// Another thread waits while the lock is held, and so do the no-op defaults of
// the hooks: a plug-in that keeps them never sees one run during a block.
TEST(EffectBase, LockExcludesOtherThreadsAndTheDefaultHooksWaitForIt) {
  TestEffect fx;
  EXPECT_TRUE(WaitsForLock(fx.Lock(), [&] { ILockGuard g(fx.Lock()); }));
  EXPECT_TRUE(WaitsForLock(fx.Lock(), [&] { fx.IEffectBase::Reset(); }));
  EXPECT_TRUE(WaitsForLock(fx.Lock(), [&] { fx.IEffectBase::ParamChanged(0); }));
  EXPECT_TRUE(WaitsForLock(fx.Lock(), [&] { fx.IEffectBase::OnActiveChanged(true); }));
}

// ParamChanged takes the instance lock itself; the base calls it with the lock
// already held, so the lock must be re-entrant on the calling thread.
class LockingEffect : public TestEffect {
public:
  void ParamChanged(int paramIdx) override {
    ILockGuard guard(Lock());
    ILockGuard again(Lock());
    TestEffect::ParamChanged(paramIdx);
  }
};

TEST(EffectBase, ParamChangedMayTakeTheLockAgain) {
  LockingEffect fx;
  FinishesOrAbort("nested holds of the instance lock", [&] {
    ILockGuard held(fx.Lock());
    fx.NotifyAllParams();
    fx.SetParamFromEditor(1, 0.25);
    StateChunk c;
    fx.SaveState(&c);
    fx.LoadState(&c, 0);  // restoring takes the lock and calls every ParamChanged
  });
  EXPECT_EQ(fx.CallsNamed("ParamChanged").size(), 8u + 1u + 8u);
  EXPECT_EQ(fx.GetParam(1)->Value(), -50.0);
}

// ---- buffer plumbing --------------------------------------------------------------------

TEST(EffectBase, DefaultProcessBlockPassesThroughAndSilencesOutputsWithoutInput) {
  TestEffect fx(MorvaneConfig("1-2"));
  double in[4] = {1, 2, 3, 4};
  double out0[4] = {9, 9, 9, 9}, out1[4] = {9, 9, 9, 9};
  double* ins[1] = {in};
  double* outs[2] = {out0, out1};
  fx.IEffectBase::ProcessBlock(ins, outs, 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(out0[i], in[i]);
    EXPECT_EQ(out1[i], 0.0);
  }
  float fin[2] = {1, 2}, fout0[2] = {9, 9}, fout1[2] = {9, 9};
  float* fins[1] = {fin};
  float* fouts[2] = {fout0, fout1};
  fx.ProcessBlockSingle(fins, fouts, 2);
  EXPECT_EQ(fout0[1], 2.0f);
  EXPECT_EQ(fout1[1], 0.0f);
}

// The host's arrays hold buffers for the connected channels only, in channel
// order; a disconnected input reads its scratch buffer's silence.
TEST(EffectBase, HostBuffersGoToTheConnectedChannelsInOrder) {
  TestEffect fx;
  double a[3] = {1, 2, 3}, b[3] = {4, 5, 6}, oa[3] = {9, 9, 9}, ob[3] = {9, 9, 9};
  double* ins[2] = {a, b};
  double* outs[2] = {oa, ob};
  fx.BindInputBuffers(ins);
  fx.BindOutputBuffers(outs);
  fx.RunBlock(3);
  EXPECT_EQ(oa[0], 1.0);
  EXPECT_EQ(ob[2], 6.0);

  fx.SetInputConnected(0, false);
  double* onlyB[1] = {b};
  fx.BindInputBuffers(onlyB);
  fx.RunBlock(3);
  EXPECT_EQ(oa[2], 0.0);
  EXPECT_EQ(ob[2], 6.0);

  fx.SetInputConnected(0, true);
  fx.BindInputBuffers(ins);
  fx.RunBlock(3);
  EXPECT_EQ(oa[2], 3.0);
}

// Single precision: the host's samples from `start` are widened, processed
// and narrowed back into the host's outputs from the same offset.
TEST(EffectBase, SingleBindingWidensAndNarrowsFromTheOffset) {
  TestEffect fx;
  float a[3] = {0.5f, 0.25f, -1.0f}, b[3] = {1, 2, 3};
  float oa[3] = {9, 9, 9}, ob[3] = {9, 9, 9};
  float* ins[2] = {a, b};
  float* outs[2] = {oa, ob};
  fx.BindInputBuffers(ins, 1, 2);
  fx.BindOutputBuffers(outs, 1);
  fx.RunBlockSingle(2);
  EXPECT_EQ(oa[0], 9.0f);
  EXPECT_EQ(oa[1], 0.25f);
  EXPECT_EQ(oa[2], -1.0f);
  EXPECT_EQ(ob[2], 3.0f);
}

// Disconnecting a channel and changing the block size (which moves the
// scratch buffers) both take effect on buffers already bound: the plug-in
// reads a disconnected input's silence and writes a disconnected output's
// samples where the host does not look.
TEST(EffectBase, DisconnectedChannelsFollowTheirScratchOnBoundBuffers) {
  TestEffect fx;
  std::vector<double> in0(4096, 0.5), in1(4096, 0.25), out0(4096, 9.0), out1(4096, 9.0);
  double* ins[2] = {in0.data(), in1.data()};
  double* outs[2] = {out0.data(), out1.data()};
  fx.BindInputBuffers(ins);
  fx.BindOutputBuffers(outs);
  fx.SetInputConnected(1, false);
  fx.SetOutputConnected(0, false);
  for (int blockSize : {1024, 100000, 0}) {
    fx.SetBlockSize(blockSize);
    std::fill(out1.begin(), out1.end(), 9.0);
    const int n = blockSize == 1024 ? 1024 : 4096;
    fx.RunBlock(n);
    for (int i = 0; i < n; ++i) ASSERT_EQ(out1[i], 0.0) << blockSize << " " << i;
    for (double v : out0) ASSERT_EQ(v, 9.0) << blockSize;
  }
}

TEST(EffectBase, HugeBlockSizeKeepsTheOldOne) {
  TestEffect fx;
  fx.SetBlockSize(INT32_MAX);  // INT32_MAX doubles cannot be represented
  EXPECT_EQ(fx.GetBlockSize(), 1024);
  float in[2048], out[2048];
  for (int i = 0; i < 2048; ++i) in[i] = static_cast<float>(i);
  float* ins[2] = {in, in};
  float* outs[2] = {out, out};
  fx.ProcessHostSingle(ins, outs, 2048, false);
  for (int i = 0; i < 2048; ++i) ASSERT_EQ(out[i], in[i]);
}

// Inputs after the first two are disconnected; outputs after the first two
// are marked connected, even one that was disconnected, and take a host buffer.
TEST(EffectBase, LimitToStereo) {
  TestEffect fx(MorvaneConfig("4-4"));
  fx.SetOutputConnected(3, false);
  fx.LimitToStereo();
  double in0[2] = {1, 1}, in1[2] = {2, 2}, out[4][2];
  for (auto& o : out) o[0] = o[1] = 9.0;
  double* ins[2] = {in0, in1};
  double* outs[4] = {out[0], out[1], out[2], out[3]};
  fx.ProcessHostDouble(ins, outs, 2);
  EXPECT_EQ(out[0][1], 1.0);
  EXPECT_EQ(out[1][1], 2.0);
  EXPECT_EQ(out[2][1], 0.0);
  EXPECT_EQ(out[3][1], 0.0);
}

float TestInput(int channel, int i) { return channel == 0 ? std::sin(0.01f * i) : std::cos(0.03f * i); }

// Processes `total` frames in host calls of `hostBlock` frames, in single
// precision with scratch buffers of `blockSize` frames, and returns the two
// outputs one after the other.
std::vector<float> RunSingle(int blockSize, int hostBlock, int total, bool accumulating,
                             std::vector<int>* lengths = nullptr) {
  TestEffect fx;
  fx.processing = TestEffect::Processing::kStatefulFilter;
  fx.SetBlockSize(blockSize);
  std::vector<float> in0(total), in1(total), out(2 * total, 0.25f);
  for (int i = 0; i < total; ++i) {
    in0[i] = TestInput(0, i);
    in1[i] = TestInput(1, i);
  }
  for (int start = 0; start < total; start += hostBlock) {
    const int n = std::min(hostBlock, total - start);
    float* ins[2] = {in0.data() + start, in1.data() + start};
    float* outs[2] = {out.data() + start, out.data() + total + start};
    fx.ProcessHostSingle(ins, outs, n, accumulating);
  }
  if (lengths) *lengths = fx.blockLengths;
  return out;
}

// Host calls longer than the scratch buffers run in pieces, and give exactly
// the narrowed result of one double-precision block of the widened input.
TEST(EffectBase, LongSingleBlocksGiveTheNarrowedDoubleResult) {
  const int total = 5000;
  TestEffect fx;
  fx.processing = TestEffect::Processing::kStatefulFilter;
  std::vector<double> in0(total), in1(total), out0(total), out1(total);
  for (int i = 0; i < total; ++i) {
    in0[i] = TestInput(0, i);
    in1[i] = TestInput(1, i);
  }
  double* ins[2] = {in0.data(), in1.data()};
  double* outs[2] = {out0.data(), out1.data()};
  fx.ProcessHostDouble(ins, outs, total);
  EXPECT_EQ(fx.blockLengths, (std::vector<int>{total}));  // all connected: one piece
  std::vector<float> replaced(2 * total), accumulated(2 * total);
  for (int i = 0; i < total; ++i) {
    replaced[i] = static_cast<float>(out0[i]);
    replaced[total + i] = static_cast<float>(out1[i]);
    accumulated[i] = 0.25f + replaced[i];
    accumulated[total + i] = 0.25f + replaced[total + i];
  }

  for (bool accumulating : {false, true}) {
    const std::vector<float>& expected = accumulating ? accumulated : replaced;
    std::vector<int> lengths;
    EXPECT_EQ(RunSingle(1024, total, total, accumulating, &lengths), expected) << accumulating;
    EXPECT_EQ(lengths, (std::vector<int>{1024, 1024, 1024, 1024, 904}));
    EXPECT_EQ(RunSingle(7, 333, total, accumulating), expected) << accumulating;
  }
}

TEST(EffectBase, DoubleWithADisconnectedChannelRunsInPieces) {
  const int total = 3000;
  std::vector<double> in0(total), ref0(total), ref1(total), out0(total);
  for (int i = 0; i < total; ++i) in0[i] = std::sin(0.02 * i);
  {
    // Reference: one long block with both channels and a silent second input.
    TestEffect fx;
    fx.processing = TestEffect::Processing::kStatefulFilter;
    std::vector<double> zero(total, 0.0);
    double* ins[2] = {in0.data(), zero.data()};
    double* outs[2] = {ref0.data(), ref1.data()};
    fx.ProcessHostDouble(ins, outs, total);
  }
  TestEffect fx;
  fx.processing = TestEffect::Processing::kStatefulFilter;
  fx.SetInputConnected(1, false);
  fx.SetOutputConnected(1, false);
  double* ins[1] = {in0.data()};
  double* outs[1] = {out0.data()};
  fx.ProcessHostDouble(ins, outs, total);
  EXPECT_EQ(fx.blockLengths, (std::vector<int>{1024, 1024, 952}));
  EXPECT_EQ(out0, ref0);

  fx.SetBlockSize(0);
  std::fill(out0.begin(), out0.end(), 7.0);
  fx.ProcessHostDouble(ins, outs, total);
  for (double v : out0) ASSERT_EQ(v, 0.0);
}

// A null host buffer is replaced by the channel's scratch buffer for the
// call; a later call never writes into an earlier call's buffers.
TEST(EffectBase, NullHostBuffersUseScratch) {
  TestEffect fx;
  fx.processing = TestEffect::Processing::kStatefulFilter;  // reads and writes every channel
  std::vector<double> a(3000, 0.5), oa(3000, 9.0);
  double* ins[2] = {a.data(), nullptr};
  double* outs[2] = {oa.data(), nullptr};
  fx.ProcessHostDouble(ins, outs, 3000);
  EXPECT_EQ(fx.blockLengths, (std::vector<int>{1024, 1024, 952}));
  EXPECT_NE(oa[2999], 9.0);
  std::fill(oa.begin(), oa.end(), 9.0);
  fx.ProcessHostDouble(nullptr, nullptr, 100);
  for (double v : oa) ASSERT_EQ(v, 9.0);
  float f[4] = {1, 2, 3, 4};
  float* fins[2] = {nullptr, f};
  float* fouts[2] = {nullptr, nullptr};
  fx.ProcessHostSingle(fins, fouts, 4, false);
  fx.ProcessHostSingle(nullptr, nullptr, 4, true);
}

TEST(EffectBase, NoScratchWritesSilenceOrLeavesAccumulatingOutputs) {
  for (int blockSize : {0, -5}) {
    TestEffect fx;
    fx.SetBlockSize(blockSize);
    float in[4] = {1, 2, 3, 4};
    float oa[4] = {9, 9, 9, 9}, ob[4] = {9, 9, 9, 9};
    float* ins[2] = {in, in};
    float* outs[2] = {oa, ob};
    fx.ProcessHostSingle(ins, outs, 4, true);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(oa[i], 9.0f);
    fx.ProcessHostSingle(ins, outs, 4, false);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ob[i], 0.0f);
    EXPECT_TRUE(fx.blockLengths.empty());
    // The plain operations do not crash either.
    fx.BindInputBuffers(ins, 0, 4);
    fx.BindOutputBuffers(outs, 0);
    fx.RunBlockSingle(4);
    fx.RunBlockAccumulating(4);
    EXPECT_TRUE(fx.blockLengths.empty());
  }
}

TEST(EffectBase, NonPositiveFrameCountsDoNothing) {
  TestEffect fx;
  float in[1] = {1}, out[1] = {9};
  float* ins[2] = {in, in};
  float* outs[2] = {out, out};
  double din[1] = {1}, dout[1] = {9};
  double* dins[2] = {din, din};
  double* douts[2] = {dout, dout};
  for (int n : {0, -3}) {
    fx.ProcessHostSingle(ins, outs, n, false);
    fx.ProcessHostDouble(dins, douts, n);
  }
  EXPECT_EQ(out[0], 9.0f);
  EXPECT_EQ(dout[0], 9.0);
  EXPECT_TRUE(fx.blockLengths.empty());
}

// ---- trace ---------------------------------------------------------------------------

TEST(Trace, TimeStampFormat) {
  char stamp[32];
  TraceTimeStamp(stamp, sizeof stamp);
  // "%Y%m%d %H:%M " + sign + "%02d%02d": 8 + 1 + 5 + 1 + 1 + 4 = 20 characters.
  ASSERT_EQ(std::strlen(stamp), 20u) << stamp;
  for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 12, 13, 16, 17, 18, 19}) EXPECT_TRUE(isdigit(stamp[i])) << stamp;
  EXPECT_EQ(stamp[8], ' ');
  EXPECT_EQ(stamp[11], ':');
  EXPECT_EQ(stamp[14], ' ');
  EXPECT_TRUE(stamp[15] == '+' || stamp[15] == '-');
  char tiny[5];
  TraceTimeStamp(tiny, sizeof tiny);
  EXPECT_EQ(std::strlen(tiny), 4u);
  Trace("Test", __LINE__, "%d:%s", 1, "records nothing");
}

}  // namespace
