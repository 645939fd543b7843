// The VST3 bundle as a host uses it: the built module loaded through its
// entry points, its factory, its instances processing audio beside the VST2
// library given the same settings, its state against the VST2 program chunk,
// automation at its sample offsets, the bypass, the overload lamp's meter,
// and the controller's parameters and texts against the VST2 library's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <functional>

#include "tests/vst3/Vst3TestHost.h"

using namespace vst3test;

namespace {

// Set by the build from the target system.
constexpr bool kWindows = MORVANE_TEST_WINDOWS != 0;

constexpr int kBlock = 512;
constexpr int kFrames = 40 * kBlock;
constexpr ParamID kBypassId = 100;
constexpr ParamID kLampId = 101;
enum { kAttack = 0, kSustain = 1, kAttackLength = 3, kGain = 4, kScHpf = 5, kSustainLength = 7 };

// A setting of every parameter, in values a float holds exactly (the VST2
// library takes floats).
const double kSettings[8] = {0.75, 0.25, 0.5, 0.125, 0.625, 0.25, 0.375, 0.875};

using Channels = std::vector<std::vector<double>>;

Channels StereoInput(int frames = kFrames) { return {DrumInput(frames, 11), DrumInput(frames, 23)}; }

// ---- the two libraries' processing --------------------------------------------------------

void Vst2Block(AEffect* e, float** in, float** out, int n) { e->processReplacing(e, in, out, n); }
void Vst2Block(AEffect* e, double** in, double** out, int n) { e->processDoubleReplacing(e, in, out, n); }

// The input in pieces of the given sizes in turn, each copied as T into
// buffers of its own: `process(k, start, ins, outs, n)` runs piece k, which
// begins at frame `start`, into the render's frames, or in place into the
// piece's buffers, copied into the render afterwards.
template <class T, class Process>
std::vector<std::vector<T>> RenderPieces(const Channels& in, const std::vector<int>& pieces, bool inPlace,
                                         Process process) {
  const size_t channels = in.size(), frames = in[0].size();
  std::vector<std::vector<T>> out(channels, std::vector<T>(frames));
  for (size_t start = 0, k = 0; start < frames; ++k) {
    const int n = static_cast<int>(std::min<size_t>(static_cast<size_t>(pieces[k % pieces.size()]), frames - start));
    std::vector<std::vector<T>> block(channels, std::vector<T>(static_cast<size_t>(n)));
    T* ins[2] = {};
    T* outs[2] = {};
    for (size_t c = 0; c < channels; ++c) {
      for (int i = 0; i < n; ++i) block[c][static_cast<size_t>(i)] = static_cast<T>(in[c][start + static_cast<size_t>(i)]);
      ins[c] = block[c].data();
      outs[c] = inPlace ? block[c].data() : out[c].data() + start;
    }
    process(static_cast<int>(k), static_cast<int>(start), ins, outs, n);
    if (inPlace) {
      for (size_t c = 0; c < channels; ++c) std::copy(block[c].begin(), block[c].end(), out[c].begin() + static_cast<std::ptrdiff_t>(start));
    }
    start += static_cast<size_t>(n);
  }
  return out;
}

// Pieces of the given sizes; before each, `before` may set parameters (start
// frame, length).
template <class T>
std::vector<std::vector<T>> Vst2Render(const Vst2Effect& e, const Channels& in, const std::vector<int>& pieces,
                                       const std::function<void(int, int)>& before = {}) {
  return RenderPieces<T>(in, pieces, false, [&](int, int start, T** ins, T** outs, int n) {
    if (before) before(start, n);
    Vst2Block(e.get(), ins, outs, n);
  });
}

// Blocks of the given sizes, in place or not; `changes` may fill the
// parameter changes of each block (block index, its length).
template <class T>
std::vector<std::vector<T>> Vst3Render(Instance& plug, const Channels& in, const std::vector<int>& blocks,
                                       bool inPlace,
                                       const std::function<void(int, int, ParamChanges&)>& changes = {}) {
  const int channels = static_cast<int>(in.size());
  return RenderPieces<T>(in, blocks, inPlace, [&](int k, int, T** ins, T** outs, int n) {
    ParamChanges queues;
    if (changes) changes(k, n, queues);
    EXPECT_EQ(plug.Process(ins, outs, channels, n, &queues), kResultOk);
  });
}

// The first frame where two renders differ, or -1; both must be alike in shape.
template <class T>
long FirstDifference(const std::vector<std::vector<T>>& a, const std::vector<std::vector<T>>& b, size_t from = 0,
                     size_t to = ~size_t(0)) {
  if (a.size() != b.size()) return 0;
  for (size_t c = 0; c < a.size(); ++c) {
    for (size_t i = from; i < std::min(to, a[c].size()); ++i) {
      if (a[c][i] != b[c][i] && !(std::isnan(a[c][i]) && std::isnan(b[c][i]))) return static_cast<long>(i);
    }
  }
  return -1;
}

// Whether a render carries sound (not silence, not the input passed through).
template <class T>
bool Audible(const std::vector<std::vector<T>>& out) {
  double energy = 0.0;
  for (const auto& channel : out) {
    for (T v : channel) energy += static_cast<double>(v) * static_cast<double>(v);
  }
  return energy > 1.0;
}

class Vst3Host : public testing::Test {
 protected:
  static void SetUpTestSuite() { sModule = new Module(MORVANE_VST3_MODULE_PATH); }
  static void TearDownTestSuite() {
    delete sModule;
    sModule = nullptr;
  }

  void SetUp() override { ASSERT_TRUE(sModule->Factory()) << sModule->Error(); }

  // The settings on both: the VST3 processor through a flush with a point
  // per parameter at offset 0, its controller as a host tells it; the VST2
  // effect through setParameter.
  static void ApplySettings(Instance& plug, const Vst2Effect& vst2, const double* values) {
    ParamChanges changes;
    for (int i = 0; i < 8; ++i) {
      changes.Queue(static_cast<ParamID>(i)).addPoint(0, values[i], nullptr);
      plug.controller->setParamNormalized(static_cast<ParamID>(i), values[i]);
      vst2->setParameter(vst2.get(), i, static_cast<float>(values[i]));
    }
    float* none[2] = {};
    ASSERT_EQ(plug.Process(none, none, 2, 0, &changes), kResultOk);
  }

  static Module* sModule;
};

Module* Vst3Host::sModule = nullptr;

// ---- the module and its factory -----------------------------------------------------------------

TEST_F(Vst3Host, FactoryListsTheOneClassAlikeInEveryForm) {
  if (!kWindows) {
    EXPECT_NE(sModule->Symbol("ModuleEntry"), nullptr);
    EXPECT_NE(sModule->Symbol("ModuleExit"), nullptr);
  }
  IPluginFactory* factory = sModule->Factory();
  PFactoryInfo info;
  ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
  EXPECT_STREQ(info.vendor, "Bexo");
  EXPECT_EQ(info.flags & PFactoryInfo::kUnicode, PFactoryInfo::kUnicode);
  ASSERT_EQ(factory->countClasses(), 1);

  void* found = nullptr;
  ASSERT_EQ(factory->queryInterface(IPluginFactory3::iid.bytes, &found), kResultOk);
  auto* factory3 = static_cast<IPluginFactory3*>(found);
  PClassInfo one;
  PClassInfo2 two;
  PClassInfoW wide;
  ASSERT_EQ(factory3->getClassInfo(0, &one), kResultOk);
  ASSERT_EQ(factory3->getClassInfo2(0, &two), kResultOk);
  ASSERT_EQ(factory3->getClassInfoUnicode(0, &wide), kResultOk);
  EXPECT_EQ(factory3->getClassInfo(1, &one), kInvalidArgument);
  char cid[33];
  for (const int8* id : {one.cid, two.cid, wide.cid}) {
    UidText(id, cid);
    EXPECT_STREQ(cid, "1DD26F6DA531D314BA22DD82D8F20588");
  }
  EXPECT_STREQ(one.name, "Morvane");
  EXPECT_STREQ(two.name, "Morvane");
  EXPECT_EQ(Utf8(wide.name), "Morvane");
  for (const char* category : {one.category, two.category, wide.category}) {
    EXPECT_STREQ(category, kVstAudioEffectClass);
  }
  EXPECT_STREQ(two.subCategories, "Fx|Dynamics");
  EXPECT_STREQ(wide.subCategories, "Fx|Dynamics");
  EXPECT_STREQ(two.version, "1.0.1");
  EXPECT_EQ(Utf8(wide.version), "1.0.1");
  EXPECT_STREQ(two.vendor, "Bexo");
  EXPECT_EQ(Utf8(wide.vendor), "Bexo");
  EXPECT_EQ(Utf8(wide.sdkVersion), two.sdkVersion);
  EXPECT_EQ(two.classFlags, 0u);
  EXPECT_EQ(one.cardinality, kManyInstances);
  factory3->release();

  // A second GetPluginFactory gives the same factory, with a reference.
  auto getFactory = reinterpret_cast<GetFactoryProc>(sModule->Symbol(kGetFactoryProcName));
  IPluginFactory* again = getFactory();
  EXPECT_EQ(again, factory);
  again->release();

  // Another class id, or an interface the class lacks: no object.
  const Uid other = MakeUid(1, 2, 3, 4);
  void* made = &found;
  EXPECT_EQ(factory->createInstance(other.bytes, IComponent::iid.bytes, &made), kNoInterface);
  EXPECT_EQ(made, nullptr);
  made = &found;
  EXPECT_EQ(factory->createInstance(MorvaneCid().bytes, IPlugView::iid.bytes, &made), kNoInterface);
  EXPECT_EQ(made, nullptr);
}

TEST_F(Vst3Host, OneObjectIsComponentProcessorAndController) {
  Instance plug(sModule->Factory());
  ASSERT_TRUE(plug.Ok());
  void* unknown1 = nullptr;
  void* unknown2 = nullptr;
  ASSERT_EQ(plug.component->queryInterface(FUnknown::iid.bytes, &unknown1), kResultOk);
  ASSERT_EQ(plug.controller->queryInterface(FUnknown::iid.bytes, &unknown2), kResultOk);
  EXPECT_EQ(unknown1, unknown2);
  static_cast<FUnknown*>(unknown1)->release();
  static_cast<FUnknown*>(unknown2)->release();
  TUID classId;
  EXPECT_EQ(plug.component->getControllerClassId(classId), kNotImplemented);

  // Host objects lent to it are given back at the matching teardown.
  ComponentHandler handler;
  EXPECT_EQ(plug.controller->setComponentHandler(&handler), kResultOk);
  EXPECT_EQ(handler.ExtraReferences(), 1u);
  EXPECT_EQ(plug.component->terminate(), kResultOk);
  EXPECT_EQ(handler.ExtraReferences(), 0u);
  EXPECT_EQ(plug.component->initialize(&plug.host), kResultOk);
  EXPECT_EQ(plug.host.ExtraReferences(), 0u);
}

// ---- audio against the VST2 library ------------------------------------------------------------

TEST_F(Vst3Host, BothSampleSizesSoundAsTheVst2Library) {
  const Channels in = StereoInput();
  for (int32 size : {kSample32, kSample64}) {
    SCOPED_TRACE(size == kSample32 ? "32-bit" : "64-bit");
    Vst2Effect vst2(MORVANE_VST2_PATH);
    ASSERT_TRUE(vst2.Ok());
    Instance plug(sModule->Factory());
    ASSERT_TRUE(plug.Ok());
    ASSERT_EQ(plug.processor->canProcessSampleSize(size), kResultTrue);
    ASSERT_TRUE(plug.Start(size));
    ApplySettings(plug, vst2, kSettings);
    // The VST2 library in blocks of 512; the VST3 instance in other sizes,
    // in place: the blocks' lengths change nothing.
    const std::vector<int> vst3Blocks = {512, 100, 37, 1, 374};
    if (size == kSample64) {
      auto want = Vst2Render<double>(vst2, in, {kBlock});
      auto got = Vst3Render<double>(plug, in, vst3Blocks, true);
      EXPECT_TRUE(Audible(want));
      EXPECT_EQ(FirstDifference(got, want), -1);
    } else {
      auto want = Vst2Render<float>(vst2, in, {kBlock});
      auto got = Vst3Render<float>(plug, in, vst3Blocks, false);
      EXPECT_TRUE(Audible(want));
      EXPECT_EQ(FirstDifference(got, want), -1);
    }
    plug.Stop();
  }
}

TEST_F(Vst3Host, MonoSoundsAsTheVst2LibraryInMono) {
  const Channels in = {DrumInput(kFrames, 5)};
  Vst2Effect vst2(MORVANE_VST2_PATH);
  ASSERT_TRUE(vst2.Ok());
  vst2.SetChannels(1);
  Instance plug(sModule->Factory());
  ASSERT_TRUE(plug.Ok());
  SpeakerArrangement mono = SpeakerArr::kMono, stereo = SpeakerArr::kStereo;
  // Only mono to mono and stereo to stereo.
  EXPECT_EQ(plug.processor->setBusArrangements(&mono, 1, &stereo, 1), kResultFalse);
  ASSERT_EQ(plug.processor->setBusArrangements(&mono, 1, &mono, 1), kResultTrue);
  BusInfo bus;
  ASSERT_EQ(plug.component->getBusInfo(kAudio, kOutput, 0, &bus), kResultOk);
  EXPECT_EQ(bus.channelCount, 1);
  ASSERT_TRUE(plug.Start(kSample64));
  // Arrangements change only while inactive.
  EXPECT_EQ(plug.processor->setBusArrangements(&stereo, 1, &stereo, 1), kResultFalse);
  ApplySettings(plug, vst2, kSettings);
  auto want = Vst2Render<double>(vst2, in, {kBlock});
  auto got = Vst3Render<double>(plug, in, {kBlock}, false);
  EXPECT_TRUE(Audible(want));
  EXPECT_EQ(FirstDifference(got, want), -1);
}

// ---- automation ---------------------------------------------------------------------------------

// Per block, points at these offsets for these parameters; the values change
// from block to block (multiples of 1/16, which floats hold).
struct AutomationPoint {
  ParamID id;
  int32 offset;
};
const AutomationPoint kPoints[] = {{kAttack, 0}, {kAttack, 100},        {kGain, 200},
                                   {kSustainLength, 300}, {kAttack, 300}, {kScHpf, 511}};

double PointValue(int block, int point) { return static_cast<double>((block * 7 + point * 5) % 17) / 16.0; }

TEST_F(Vst3Host, AutomationAppliesAtItsSampleOffsets) {
  const Channels in = StereoInput();
  for (int32 size : {kSample32, kSample64}) {
    SCOPED_TRACE(size == kSample32 ? "32-bit" : "64-bit");
    Vst2Effect vst2(MORVANE_VST2_PATH);
    Instance plug(sModule->Factory());
    ASSERT_TRUE(vst2.Ok() && plug.Ok() && plug.Start(size));
    ApplySettings(plug, vst2, kSettings);

    auto fill = [](int block, int, ParamChanges& changes) {
      for (size_t p = 0; p < sizeof kPoints / sizeof kPoints[0]; ++p) {
        changes.Queue(kPoints[p].id).addPoint(kPoints[p].offset, std::fmin(PointValue(block, static_cast<int>(p)), 1.0),
                                              nullptr);
      }
      // Ids the plug-in does not know, one with no points: ignored.
      changes.Queue(kNoParamId);
      changes.Queue(5000).addPoint(0, 1.0, nullptr);
    };
    // The VST2 library in pieces between the same offsets, the values set
    // with setParameter before each piece.
    std::vector<int> pieces = {100, 100, 100, 211, 1};
    auto before = [&](int start, int) {
      const int block = start / kBlock, offset = start % kBlock;
      for (size_t p = 0; p < sizeof kPoints / sizeof kPoints[0]; ++p) {
        if (kPoints[p].offset == offset) {
          vst2->setParameter(vst2.get(), static_cast<VstInt32>(kPoints[p].id),
                             static_cast<float>(std::fmin(PointValue(block, static_cast<int>(p)), 1.0)));
        }
      }
    };
    if (size == kSample64) {
      auto want = Vst2Render<double>(vst2, in, pieces, before);
      auto got = Vst3Render<double>(plug, in, {kBlock}, false, fill);
      EXPECT_EQ(FirstDifference(got, want), -1);
    } else {
      auto want = Vst2Render<float>(vst2, in, pieces, before);
      auto got = Vst3Render<float>(plug, in, {kBlock}, true, fill);
      EXPECT_EQ(FirstDifference(got, want), -1);
    }
    // The processor ends with the last points' values.
    EXPECT_EQ(plug.State(), vst2.ProgramChunk());
  }
}

TEST_F(Vst3Host, BypassPassesTheInputThroughUnchanged) {
  const Channels in = StereoInput(kBlock);
  for (int32 size : {kSample32, kSample64}) {
    SCOPED_TRACE(size == kSample32 ? "32-bit" : "64-bit");
    Vst2Effect vst2(MORVANE_VST2_PATH);
    Instance plug(sModule->Factory());
    ASSERT_TRUE(vst2.Ok() && plug.Ok() && plug.Start(size));
    ApplySettings(plug, vst2, kSettings);
    // On at frame 128, off at 384, in one block.
    auto bypass = [](int, int, ParamChanges& changes) {
      changes.Queue(kBypassId).addPoint(128, 1.0, nullptr);
      changes.Queue(kBypassId).addPoint(384, 0.0, nullptr);
    };
    if (size == kSample64) {
      auto want = Vst2Render<double>(vst2, in, {kBlock});
      auto got = Vst3Render<double>(plug, in, {kBlock}, true, bypass);
      EXPECT_EQ(FirstDifference(got, want, 0, 128), -1);
      for (size_t c = 0; c < 2; ++c) {
        for (size_t i = 128; i < 384; ++i) ASSERT_EQ(got[c][i], in[c][i]) << "frame " << i;
      }
    } else {
      auto want = Vst2Render<float>(vst2, in, {kBlock});
      auto got = Vst3Render<float>(plug, in, {kBlock}, false, bypass);
      EXPECT_EQ(FirstDifference(got, want, 0, 128), -1);
      for (size_t c = 0; c < 2; ++c) {
        for (size_t i = 128; i < 384; ++i) ASSERT_EQ(got[c][i], static_cast<float>(in[c][i])) << "frame " << i;
      }
    }
  }
}

// ---- state ----------------------------------------------------------------------------------

TEST_F(Vst3Host, StateIsTheVst2ProgramChunkAndMovesBetweenTheFormats) {
  Vst2Effect vst2(MORVANE_VST2_PATH);
  Instance plug(sModule->Factory());
  ASSERT_TRUE(vst2.Ok() && plug.Ok() && plug.Start(kSample64));
  ApplySettings(plug, vst2, kSettings);
  const std::vector<unsigned char> chunk = vst2.ProgramChunk();
  ASSERT_EQ(chunk.size(), 72u);
  EXPECT_EQ(plug.State(), chunk);

  // A preset of the VST2 library, other values, read in by the VST3 bundle
  // from a stream that gives 5 bytes a read: both sides take it.
  Vst2Effect other(MORVANE_VST2_PATH);
  const double otherValues[8] = {0.125, 0.875, 0.0, 1.0, 0.25, 0.5, 1.0, 0.0};
  for (int i = 0; i < 8; ++i) other->setParameter(other.get(), i, static_cast<float>(otherValues[i]));
  const std::vector<unsigned char> preset = other.ProgramChunk();
  MemoryStream pieces(preset);
  pieces.readPiece = 5;
  ASSERT_EQ(plug.component->setState(&pieces), kResultOk);
  EXPECT_EQ(plug.State(), preset);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(static_cast<float>(plug.controller->getParamNormalized(static_cast<ParamID>(i))),
              other->getParameter(other.get(), i))
        << "parameter " << i;
  }
  MemoryStream again(preset);
  EXPECT_EQ(plug.controller->setComponentState(&again), kResultOk);
  // ... and sounds as that library instance does.
  const Channels in = StereoInput(8 * kBlock);
  EXPECT_EQ(FirstDifference(Vst3Render<double>(plug, in, {kBlock}, false), Vst2Render<double>(other, in, {kBlock})),
            -1);

  // A state cut short, one too long, or one whose header is not the chunk's
  // changes nothing on either side.
  std::vector<unsigned char> shorter(preset.begin(), preset.end() - 1);
  std::vector<unsigned char> longer = chunk;
  longer.push_back(0);
  std::vector<unsigned char> foreign = chunk;
  foreign[0] ^= 0xFF;
  for (const auto& bad : {shorter, longer, foreign, std::vector<unsigned char>()}) {
    EXPECT_EQ(plug.SetState(bad), kResultFalse);
    MemoryStream stream(bad);
    EXPECT_EQ(plug.controller->setComponentState(&stream), kResultFalse);
    EXPECT_EQ(plug.State(), preset);
    EXPECT_EQ(static_cast<float>(plug.controller->getParamNormalized(kAttack)), other->getParameter(other.get(), 0));
  }
  // A stream that takes no more bytes is told.
  MemoryStream full;
  full.writeLimit = 40;
  EXPECT_EQ(plug.component->getState(&full), kResultFalse);

  // And back into the VST2 library.
  std::vector<unsigned char> back = plug.State();
  ASSERT_EQ(vst2.Dispatch(effSetChunk, 1, static_cast<VstIntPtr>(back.size()), back.data()), 1);
  EXPECT_EQ(vst2.ProgramChunk(), preset);
}

TEST_F(Vst3Host, ControllerStateKeepsTheBypass) {
  Instance plug(sModule->Factory());
  ASSERT_TRUE(plug.Ok());
  ASSERT_EQ(plug.controller->setParamNormalized(kBypassId, 1.0), kResultOk);
  MemoryStream saved;
  ASSERT_EQ(plug.controller->getState(&saved), kResultOk);
  plug.controller->setParamNormalized(kBypassId, 0.0);
  saved.position = 0;
  ASSERT_EQ(plug.controller->setState(&saved), kResultOk);
  EXPECT_EQ(plug.controller->getParamNormalized(kBypassId), 1.0);
  // The processor follows: the input passes through.
  ASSERT_TRUE(plug.Start(kSample64));
  const Channels in = StereoInput(kBlock);
  auto out = Vst3Render<double>(plug, in, {kBlock}, false);
  for (size_t i = 0; i < in[0].size(); ++i) ASSERT_EQ(out[0][i], in[0][i]);

  // Something else changes nothing.
  MemoryStream foreign(std::vector<unsigned char>(20, 7));
  EXPECT_EQ(plug.controller->setState(&foreign), kResultFalse);
  EXPECT_EQ(plug.controller->getParamNormalized(kBypassId), 1.0);
}

// ---- the overload lamp's meter -------------------------------------------------------------------

TEST_F(Vst3Host, MeterReportsTheOverloadThroughTheOutputQueue) {
  Instance plug(sModule->Factory());
  ASSERT_TRUE(plug.Ok() && plug.Start(kSample64));
  std::vector<double> loud(kBlock, 1.5), silent(kBlock, 0.0), outL(kBlock), outR(kBlock);
  auto block = [&](std::vector<double>& input) {
    double* ins[2] = {input.data(), input.data()};
    double* outs[2] = {outL.data(), outR.data()};
    ParamChanges out;
    EXPECT_EQ(plug.Process(ins, outs, 2, kBlock, nullptr, &out), kResultOk);
    ParamQueue* meter = out.Find(kLampId);
    EXPECT_EQ(out.getParameterCount(), meter ? 1 : 0);
    if (!meter) return -1.0;
    EXPECT_EQ(meter->points.size(), 1u);
    EXPECT_EQ(meter->points.back().first, kBlock - 1);
    return meter->points.back().second;
  };
  double lit = -1.0;
  for (int i = 0; i < 8; ++i) lit = std::fmax(lit, block(loud));
  EXPECT_GE(lit, 0.5);
  // After the overload, silence: within a few seconds the lamp goes dark,
  // and then nothing more is reported.
  double last = lit;
  int reports = 0;
  const int blocksPerSecond = 44100 / kBlock;
  for (int i = 0; i < 12 * blocksPerSecond; ++i) {
    const double v = block(silent);
    if (v >= 0.0) last = v;
    if (v >= 0.0 && i >= 11 * blocksPerSecond) ++reports;
  }
  EXPECT_EQ(last, 0.0);
  EXPECT_EQ(reports, 0);
  // Silent output is marked so.
  EXPECT_EQ(plug.silenceFlags, 3u);

  // The host relays the value to the controller, which reads it back.
  EXPECT_EQ(plug.controller->setParamNormalized(kLampId, 0.75), kResultOk);
  EXPECT_EQ(plug.controller->getParamNormalized(kLampId), 0.75);
}

// ---- the controller's parameters ---------------------------------------------------------------

TEST_F(Vst3Host, ParametersShowAndReadTextsAsTheVst2Library) {
  Vst2Effect vst2(MORVANE_VST2_PATH);
  Instance plug(sModule->Factory());
  ASSERT_TRUE(vst2.Ok() && plug.Ok());
  ComponentHandler handler;
  plug.controller->setComponentHandler(&handler);
  ASSERT_EQ(plug.controller->getParameterCount(), 10);

  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE("parameter " + std::to_string(i));
    ParameterInfo info;
    ASSERT_EQ(plug.controller->getParameterInfo(i, &info), kResultOk);
    char name[64] = {}, label[64] = {};
    vst2.Dispatch(effGetParamName, i, 0, name);
    vst2.Dispatch(effGetParamLabel, i, 0, label);
    EXPECT_EQ(info.id, static_cast<ParamID>(i));
    EXPECT_EQ(Utf8(info.title), name);
    EXPECT_EQ(Utf8(info.units), label);
    EXPECT_EQ(info.flags, ParameterInfo::kCanAutomate);
    EXPECT_EQ(info.stepCount, 0);
    EXPECT_EQ(static_cast<float>(info.defaultNormalizedValue), vst2->getParameter(vst2.get(), i));

    for (double v : {0.0, 0.0625, 0.5, 0.5028285, 0.75, 1.0}) {
      vst2->setParameter(vst2.get(), i, static_cast<float>(v));
      char display[64] = {};
      vst2.Dispatch(effGetParamDisplay, i, 0, display);
      String128 text;
      ASSERT_EQ(plug.controller->getParamStringByValue(static_cast<ParamID>(i), static_cast<float>(v), text), kResultOk);
      EXPECT_EQ(Utf8(text), display) << "at " << v;
    }
    for (const char* typed : {"12.5", "-40,25", "3", "1e1", "", "abc", "99999"}) {
      String128 text;
      CopyToUtf16(text, 128, typed);
      ParamValue value = -1.0;
      ASSERT_EQ(plug.controller->getParamValueByString(static_cast<ParamID>(i), text, &value), kResultOk);
      vst2.Dispatch(effString2Parameter, i, 0, const_cast<char*>(typed));
      EXPECT_EQ(static_cast<float>(value), vst2->getParameter(vst2.get(), i)) << "typed \"" << typed << "\"";
    }
    const double plain = plug.controller->normalizedParamToPlain(static_cast<ParamID>(i), 0.75);
    EXPECT_NEAR(plug.controller->plainParamToNormalized(static_cast<ParamID>(i), plain), 0.75, 1e-12);
  }
  // "Gain" is shaped: 0 dB sits at 0.5028 of its travel.
  EXPECT_NEAR(plug.controller->normalizedParamToPlain(kGain, std::pow(0.94, 1.0 / 0.09)), 0.0, 1e-9);

  ParameterInfo bypass, lamp;
  ASSERT_EQ(plug.controller->getParameterInfo(8, &bypass), kResultOk);
  ASSERT_EQ(plug.controller->getParameterInfo(9, &lamp), kResultOk);
  EXPECT_EQ(bypass.id, kBypassId);
  EXPECT_EQ(bypass.flags, ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass);
  EXPECT_EQ(bypass.stepCount, 1);
  EXPECT_EQ(lamp.id, kLampId);
  EXPECT_EQ(lamp.flags, ParameterInfo::kIsReadOnly);
  ParameterInfo none;
  EXPECT_EQ(plug.controller->getParameterInfo(10, &none), kInvalidArgument);
  String128 text;
  EXPECT_NE(plug.controller->getParamStringByValue(999, 0.5, text), kResultOk);

  // The host's values reach the controller without coming back as edits.
  ASSERT_EQ(plug.controller->setParamNormalized(kAttackLength, 0.3), kResultOk);
  EXPECT_EQ(plug.controller->getParamNormalized(kAttackLength), 0.3);
  EXPECT_TRUE(handler.edits.empty());
  plug.controller->setComponentHandler(nullptr);
  EXPECT_EQ(handler.ExtraReferences(), 0u);
}

}  // namespace
