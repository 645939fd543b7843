// The built plug-in library as a host sees it: loaded as a host loads it, entered
// through its exported VSTPluginMain and main, driven through the effect
// record with a recording host callback.

#include <gtest/gtest.h>

#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/vst2/VstDefs.h"
#include "tests/vst2/PluginLibrary.h"
#include "tests/vst2/RecordingHost.h"

namespace {

const int kParams = 8;
// Default plain values in index order: Attack, Sustain, Attack Link, Attack
// Length, Gain, SC HPF, Sustain Link, Sustain Length.
const double kDefaults[kParams] = {0.0, 0.0, 0.0, 5.0, 0.0, 0.0, 0.0, 500.0};
const unsigned char kHeader[8] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};

std::vector<unsigned char> Doubles(const std::vector<double>& values) {
  std::vector<unsigned char> bytes(values.size() * 8);
  std::memcpy(bytes.data(), values.data(), bytes.size());
  return bytes;
}

std::vector<unsigned char> Concat(std::vector<unsigned char> a, const std::vector<unsigned char>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<unsigned char> kHeaderBytes(kHeader, kHeader + 8);

class Module : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    sLibrary = vst2test::OpenLibrary(MORVANE_PLUGIN_PATH);
    ASSERT_NE(sLibrary, nullptr) << vst2test::LibraryError();
    sEntry = reinterpret_cast<VstPluginMainProc>(vst2test::FindSymbol(sLibrary, "VSTPluginMain"));
    sMain = reinterpret_cast<VstPluginMainProc>(vst2test::FindSymbol(sLibrary, "main"));
  }
  static void TearDownTestSuite() {
    if (sLibrary) vst2test::CloseLibrary(sLibrary);
    sLibrary = nullptr;
  }

  AEffect* Open(RecordingHost& h) {
    AEffect* e = sEntry(&RecordingHost::Callback);
    if (e) e->user = &h;
    return e;
  }
  void SetUp() override {
    ASSERT_NE(sEntry, nullptr);
    effect = Open(host);
    ASSERT_NE(effect, nullptr);
  }
  void TearDown() override {
    if (effect) Dispatch(effect, effClose);
  }

  static std::vector<unsigned char> Chunk(AEffect* e, bool oneProgram) {
    void* data = nullptr;
    VstIntPtr size = Dispatch(e, effGetChunk, oneProgram ? 1 : 0, 0, &data);
    if (size <= 0 || !data) return {};
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    return std::vector<unsigned char>(bytes, bytes + size);
  }
  static VstIntPtr SetChunk(AEffect* e, bool oneProgram, std::vector<unsigned char> bytes) {
    return Dispatch(e, effSetChunk, oneProgram ? 1 : 0, static_cast<VstIntPtr>(bytes.size()), bytes.data());
  }
  // The plain parameter values, read from the program chunk.
  static std::vector<double> Values(AEffect* e) {
    std::vector<unsigned char> chunk = Chunk(e, true);
    std::vector<double> values(kParams, NAN);
    if (chunk.size() == 8 + 8 * kParams) std::memcpy(values.data(), chunk.data() + 8, 8 * kParams);
    return values;
  }
  static std::string Text(AEffect* e, VstInt32 opcode, VstInt32 index = 0) {
    char buffer[256];
    std::memset(buffer, 0, sizeof(buffer));
    Dispatch(e, opcode, index, 0, buffer);
    return buffer;
  }

  static void* sLibrary;
  static VstPluginMainProc sEntry;
  static VstPluginMainProc sMain;
  RecordingHost host;
  AEffect* effect = nullptr;
};

void* Module::sLibrary = nullptr;
VstPluginMainProc Module::sEntry = nullptr;
VstPluginMainProc Module::sMain = nullptr;

// ---- entry points and identity -------------------------------------------------------------

TEST_F(Module, BothEntryPointsMakeAnInstanceWithoutCallingTheHost) {
  ASSERT_NE(sMain, nullptr);
  RecordingHost other;
  AEffect* viaMain = sMain(&RecordingHost::Callback);
  ASSERT_NE(viaMain, nullptr);
  EXPECT_NE(viaMain, effect);
  EXPECT_EQ(viaMain->magic, kEffectMagic);
  Dispatch(viaMain, effClose);
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(Module, IdentityFields) {
  EXPECT_EQ(effect->magic, 0x56737450);
  EXPECT_EQ(effect->numPrograms, 1);
  EXPECT_EQ(effect->numParams, kParams);
  EXPECT_EQ(effect->numInputs, 2);
  EXPECT_EQ(effect->numOutputs, 2);
  // The editor: 578 x 299 pixels.
  EXPECT_EQ(effect->flags, 0x1019);
  ERect* rect = nullptr;
  ASSERT_EQ(Dispatch(effect, effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 299);
  EXPECT_EQ(rect->right, 578);
  EXPECT_EQ(effect->initialDelay, 0);
  EXPECT_EQ(effect->ioRatio, 1.0f);
  EXPECT_EQ(effect->uniqueID, 0x4D766E71);
  EXPECT_EQ(effect->version, 10001);
  EXPECT_EQ(effect->resvd1, 0);
  EXPECT_EQ(effect->resvd2, 0);
  EXPECT_EQ(effect->realQualities, 0);
  EXPECT_EQ(effect->offQualities, 0);
  for (char c : effect->future) EXPECT_EQ(c, 0);
  EXPECT_NE(effect->object, nullptr);
  EXPECT_NE(effect->process, nullptr);
  EXPECT_NE(effect->processReplacing, nullptr);
  EXPECT_NE(effect->processDoubleReplacing, nullptr);

  EXPECT_EQ(Dispatch(effect, effGetVendorVersion), 10001);
  EXPECT_EQ(Dispatch(effect, effGetVstVersion), 2400);
  EXPECT_EQ(Dispatch(effect, effIdentify), 0x4E764566);
  EXPECT_EQ(Dispatch(effect, effGetPlugCategory), kPlugCategEffect);
  EXPECT_EQ(Dispatch(effect, effGetTailSize), 0);
  EXPECT_EQ(Dispatch(effect, effGetProgram), 0);
}

TEST_F(Module, IdentityStrings) {
  EXPECT_EQ(Text(effect, effGetEffectName), "Morvane");
  EXPECT_EQ(Text(effect, effGetVendorString), "Bexo");
  char product[16] = "unchanged";
  EXPECT_EQ(Dispatch(effect, effGetProductString, 0, 0, product), 1);
  EXPECT_STREQ(product, "");
  for (VstInt32 op : {effGetEffectName, effGetVendorString, effGetProductString}) {
    EXPECT_EQ(Dispatch(effect, op, 0, 0, nullptr), 0) << op;
  }
  EXPECT_EQ(Text(effect, effGetProgramName), "-");
  char name[64];
  EXPECT_EQ(Dispatch(effect, effGetProgramNameIndexed, 0, 0, name), 1);
  EXPECT_STREQ(name, "-");
}

TEST_F(Module, ParameterNamesLabelsAndTexts) {
  const char* names[kParams] = {"Attack", "Sustain", "Attack Link", "Attack Length",
                                "Gain",   "SC HPF",  "Sustain Link", "Sustain Length"};
  const char* labels[kParams] = {"%", "%", "%", "ms", "dB", "%", "%", "ms"};
  const char* displays[kParams] = {"0.00", "0.00", "0.00", "5.00", "0.00", "0.00", "0.00", "500.00"};
  const char* lowest[kParams] = {"-100.00", "-100.00", "0.00", "0.00", "-94.00", "0.00", "0.00", "0.00"};
  const char* highest[kParams] = {"100.00", "100.00", "100.00", "20.00", "6.00", "100.00", "100.00", "750.00"};
  for (int i = 0; i < kParams; ++i) {
    EXPECT_EQ(Text(effect, effGetParamName, i), names[i]);
    EXPECT_EQ(Text(effect, effGetParamLabel, i), labels[i]);
    EXPECT_EQ(Text(effect, effGetParamDisplay, i), displays[i]);
    EXPECT_EQ(Dispatch(effect, effCanBeAutomated, i), 1);
    effect->setParameter(effect, i, 0.0f);
    EXPECT_EQ(Text(effect, effGetParamDisplay, i), lowest[i]);
    effect->setParameter(effect, i, 1.0f);
    EXPECT_EQ(Text(effect, effGetParamDisplay, i), highest[i]);
  }
}

// ---- every opcode with arguments a host should not send ---------------------------------------

TEST_F(Module, OutOfRangeIndicesWriteNothing) {
  for (VstInt32 op : {effGetParamLabel, effGetParamDisplay, effGetParamName}) {
    for (VstInt32 index : {-1, kParams, 1 << 30}) {
      char text[32] = "kept";
      EXPECT_EQ(Dispatch(effect, op, index, 0, text), 0);
      EXPECT_STREQ(text, "kept") << op << " " << index;
    }
  }
  char name[64] = "kept";
  EXPECT_EQ(Dispatch(effect, effGetProgramNameIndexed, 1, 0, name), 0);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(Dispatch(effect, effGetProgramNameIndexed, -1, 0, name), 0);

  for (VstInt32 op : {effGetInputProperties, effGetOutputProperties}) {
    for (VstInt32 index : {-1, 2, 100}) {
      VstPinProperties pin;
      std::memset(&pin, 0x5A, sizeof(pin));
      EXPECT_EQ(Dispatch(effect, op, index, 0, &pin), 0);
      EXPECT_EQ(pin.flags, 0x5A5A5A5A);
    }
  }
  char text[8] = "5";
  EXPECT_EQ(Dispatch(effect, effString2Parameter, kParams, 0, text), 0);
  EXPECT_EQ(Dispatch(effect, effString2Parameter, -1, 0, text), 0);
  effect->setParameter(effect, kParams, 1.0f);
  effect->setParameter(effect, -1, 1.0f);
  EXPECT_EQ(effect->getParameter(effect, kParams), 0.0f);
  EXPECT_EQ(effect->getParameter(effect, -1), 0.0f);
  EXPECT_EQ(Values(effect), std::vector<double>(kDefaults, kDefaults + kParams));

  // Programs that do not exist are not selected.
  std::vector<VstIntPtr> programs = {1, -1};
  if (sizeof(VstIntPtr) == 8) programs.push_back(static_cast<VstIntPtr>(int64_t{1} << 32));
  for (VstIntPtr program : programs) {
    Dispatch(effect, effSetProgram, 0, program);
    EXPECT_EQ(Dispatch(effect, effGetProgram), 0) << program;
  }
}

TEST_F(Module, NullPointersAreNeitherReadNorWritten) {
  const VstInt32 nullAnswersZero[] = {
      effSetProgramName,     effGetProgramName,      effGetParamLabel,         effGetParamDisplay,
      effGetParamName,       effEditGetRect,         effGetChunk,              effSetChunk,
      effProcessEvents,      effGetProgramNameIndexed, effGetInputProperties,  effGetOutputProperties,
      effGetEffectName,      effGetVendorString,     effGetProductString,      effCanDo,
      effGetMidiKeyName,     effVendorSpecific,
  };
  for (VstInt32 op : nullAnswersZero) {
    EXPECT_EQ(Dispatch(effect, op, 0, 0, nullptr), 0) << op;
  }
  EXPECT_EQ(Dispatch(effect, effVendorSpecific, 7, 0, nullptr, 0.5f), 0);
  // A valid index with no text changes nothing but is not refused.
  EXPECT_EQ(Dispatch(effect, effString2Parameter, 0, 0, nullptr), 1);
  EXPECT_EQ(Dispatch(effect, effSetSpeakerArrangement, 0, 0, nullptr), 1);
  EXPECT_EQ(Dispatch(effect, effGetSpeakerArrangement, 0, 0, nullptr), 1);
  EXPECT_EQ(Values(effect), std::vector<double>(kDefaults, kDefaults + kParams));
  EXPECT_EQ(Text(effect, effGetProgramName), "-");
}

TEST_F(Module, UnknownAndIdleOpcodesAnswerZero) {
  const VstInt32 ops[] = {effEditIdle,     effIdle,         effGetParameterProperties, effShellGetNextPlugin,
                          effSetBypass,    effStartProcess, effSetProcessPrecision,    effGetNumMidiInputChannels,
                          80,              1000,            -1};
  for (VstInt32 op : ops) {
    char buffer[256] = "kept";
    EXPECT_EQ(Dispatch(effect, op, 0, 0, buffer), 0) << op;
    EXPECT_STREQ(buffer, "kept") << op;
  }
  MidiKeyName key;
  std::memset(&key, 0, sizeof(key));
  std::strcpy(key.keyName, "kept");
  key.thisKeyNumber = 60;
  EXPECT_EQ(Dispatch(effect, effGetMidiKeyName, 0, 0, &key), 0);
  EXPECT_STREQ(key.keyName, "");
}

// ---- programs and chunks -------------------------------------------------------------------

TEST_F(Module, ProgramChunkIsHeaderAndEightDoubles) {
  std::vector<unsigned char> expected =
      Concat(kHeaderBytes, Doubles(std::vector<double>(kDefaults, kDefaults + kParams)));
  ASSERT_EQ(expected.size(), 72u);
  EXPECT_EQ(Chunk(effect, true), expected);
}

TEST_F(Module, BankChunkHoldsTheCurrentValuesUnderThePresetName) {
  char text[8] = "50";
  Dispatch(effect, effString2Parameter, 0, 0, text);
  std::vector<double> values(kDefaults, kDefaults + kParams);
  values[0] = 50.0;
  std::vector<unsigned char> expected = kHeaderBytes;
  const unsigned char entry[] = {0x01, 0x00, 0x00, 0x00, 0x2D, 0x01};  // name length 1, "-", initialised
  expected.insert(expected.end(), entry, entry + sizeof(entry));
  expected = Concat(expected, Doubles(values));
  ASSERT_EQ(expected.size(), 78u);
  EXPECT_EQ(Chunk(effect, false), expected);
}

// A host that goes from stereo to mono leaves the right input out: the
// plug-in must hear silence there, not the last right block again. Two
// instances hear the same stereo blocks; then one is told it is mono, the
// other goes on in stereo with a silent right input; their left outputs stay
// the same, sample for sample, in both precisions. The last stereo block is
// single precision in both runs: its widening leaves the loud right block in
// the scratch buffer that the disconnected input then reads from.
TEST_F(Module, ADisconnectedInputReadsSilence) {
  constexpr int kFrames = 64;
  for (bool doublePrecision : {false, true}) {
    RecordingHost otherHost;
    AEffect* stereo = Open(otherHost);
    ASSERT_NE(stereo, nullptr);
    for (AEffect* e : {effect, stereo}) {
      Dispatch(e, effOpen);
      Dispatch(e, effSetBlockSize, 0, kFrames);
      e->setParameter(e, 2, 1.0f);  // Attack Link 100 %
      e->setParameter(e, 5, 0.5f);  // SC HPF 50 %
      e->setParameter(e, 0, 1.0f);  // Attack +100 %
    }
    std::vector<double> left(kFrames), right(kFrames), silence(kFrames, 0.0);
    auto process = [&](AEffect* e, int nChannels, bool inDouble, std::vector<double>& out) {
      std::vector<double> outR(kFrames);
      double* ins[2] = {left.data(), nChannels == 2 ? right.data() : nullptr};
      double* outs[2] = {out.data(), outR.data()};
      if (inDouble) {
        e->processDoubleReplacing(e, ins, outs, kFrames);
        return;
      }
      std::vector<float> inL(left.begin(), left.end()), inR(ins[1] ? ins[1] : silence.data(),
                                                           (ins[1] ? ins[1] : silence.data()) + kFrames);
      std::vector<float> oL(kFrames), oR(kFrames);
      float* fin[2] = {inL.data(), inR.data()};
      float* fout[2] = {oL.data(), oR.data()};
      e->processReplacing(e, fin, fout, kFrames);
      out.assign(oL.begin(), oL.end());
    };
    std::vector<double> outA(kFrames), outB(kFrames);
    for (int block = 0; block < 8; ++block) {
      for (int i = 0; i < kFrames; ++i) {
        left[i] = 0.2 * std::sin(0.05 * (block * kFrames + i));
        right[i] = (i % 7 == 0) ? 0.95 : -0.6;  // loud and spiky
      }
      const bool inDouble = doublePrecision && block < 7;
      process(effect, 2, inDouble, outA);
      process(stereo, 2, inDouble, outB);
    }
    VstSpeakerArrangement mono{};
    mono.type = kSpeakerArrMono;
    mono.numChannels = 1;
    Dispatch(effect, effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &mono);
    for (int block = 0; block < 8; ++block) {
      for (int i = 0; i < kFrames; ++i) left[i] = 0.3 * std::sin(0.11 * (block * kFrames + i));
      right = silence;
      process(effect, 1, doublePrecision, outA);
      process(stereo, 2, doublePrecision, outB);
      ASSERT_EQ(outA, outB) << (doublePrecision ? "double" : "single") << " block " << block;
    }
    Dispatch(stereo, effClose);
    Dispatch(effect, effClose);
    effect = Open(host);
    ASSERT_NE(effect, nullptr);
  }
}

// A host told that a chunk was refused must find the plug-in as it was:
// values, the preset slot, and the state it hands out again.
TEST_F(Module, RefusedChunksChangeNothing) {
  effect->setParameter(effect, 2, 0.5f);
  effect->setParameter(effect, 3, 0.5f);
  const std::vector<double> before = Values(effect);
  const std::vector<unsigned char> programBefore = Chunk(effect, true);
  const std::vector<unsigned char> bankBefore = Chunk(effect, false);
  char nameBefore[64] = "";
  Dispatch(effect, effGetProgramName, 0, 0, nameBefore);

  // A program chunk with three of its eight values, the third cut short.
  std::vector<unsigned char> program = Concat(kHeaderBytes, Doubles({30.0, -40.0, 77.0}));
  program.resize(8 + 20);
  // A bank whose one preset's state ends early.
  std::vector<unsigned char> bank = bankBefore;
  bank.resize(bank.size() - 12);
  const struct {
    bool oneProgram;
    std::vector<unsigned char> bytes;
  } refused[] = {{true, program}, {false, bank}};
  for (const auto& r : refused) {
    EXPECT_EQ(SetChunk(effect, r.oneProgram, r.bytes), 0);
    EXPECT_EQ(Values(effect), before);
    EXPECT_EQ(Chunk(effect, true), programBefore);
    EXPECT_EQ(Chunk(effect, false), bankBefore);
    char name[64] = "";
    Dispatch(effect, effGetProgramName, 0, 0, name);
    EXPECT_STREQ(name, nameBefore);
  }
}

TEST_F(Module, ProgramChunkValuesAreLimitedToTheirRanges) {
  std::vector<double> values(kDefaults, kDefaults + kParams);
  values[1] = 1000.0;
  values[4] = -1000.0;
  values[7] = 600.0;
  EXPECT_EQ(SetChunk(effect, true, Concat(kHeaderBytes, Doubles(values))), 1);
  std::vector<double> after = Values(effect);
  EXPECT_EQ(after[1], 100.0);
  EXPECT_EQ(after[4], -94.0);
  EXPECT_EQ(after[7], 600.0);
}

// A bank whose header carries a version older than the bank format is read
// as one program from after the header.
TEST_F(Module, BankWithAnOldHeaderVersionRestoresOneProgram) {
  const unsigned char oldHeader[8] = {0x74, 0x66, 0x66, 0x70, 0xFF, 0xFF, 0x00, 0x00};
  std::vector<double> values = {10.0, -20.0, 30.0, 4.0, -6.0, 50.0, 60.0, 250.0};
  const std::vector<unsigned char> header(oldHeader, oldHeader + 8);
  EXPECT_EQ(SetChunk(effect, false, Concat(header, Doubles(values))), 1);
  EXPECT_EQ(Values(effect), values);
  EXPECT_EQ(Text(effect, effGetProgramName), "-");
  std::vector<unsigned char> bank = Chunk(effect, false);
  ASSERT_EQ(bank.size(), 78u);
  EXPECT_EQ(std::vector<unsigned char>(bank.begin() + 14, bank.end()), Doubles(values));
}

TEST_F(Module, HeaderlessChunksRestoreParametersAndTheCurrentPreset) {
  std::vector<double> values = {10.0, -20.0, 30.0, 4.0, -6.0, 50.0, 60.0, 250.0};
  EXPECT_EQ(SetChunk(effect, true, Doubles(values)), 1);
  EXPECT_EQ(Values(effect), values);

  std::vector<double> other = {-10.0, 20.0, 0.0, 1.0, 3.0, 5.0, 7.0, 9.0};
  EXPECT_EQ(SetChunk(effect, false, Doubles(other)), 1);
  EXPECT_EQ(Values(effect), other);
  EXPECT_EQ(Text(effect, effGetProgramName), "-");
  std::vector<unsigned char> bank = Chunk(effect, false);
  ASSERT_EQ(bank.size(), 78u);
  EXPECT_EQ(std::vector<unsigned char>(bank.begin() + 14, bank.end()), Doubles(other));
}

TEST_F(Module, BankChunkRestoresNameAndValuesAndRoundTrips) {
  std::vector<double> values = {-25.0, 75.0, 10.0, 2.5, -3.0, 40.0, 20.0, 100.0};
  std::vector<unsigned char> bank = kHeaderBytes;
  const unsigned char entry[] = {0x04, 0x00, 0x00, 0x00, 'M', 'i', 'n', 'e', 0x01};
  bank.insert(bank.end(), entry, entry + sizeof(entry));
  bank = Concat(bank, Doubles(values));
  EXPECT_EQ(SetChunk(effect, false, bank), 1);
  EXPECT_EQ(Values(effect), values);
  EXPECT_EQ(Text(effect, effGetProgramName), "Mine");
  EXPECT_EQ(Chunk(effect, false), bank);

  // Another instance given this one's chunks produces the same bytes.
  RecordingHost otherHost;
  AEffect* other = Open(otherHost);
  std::vector<unsigned char> program = Chunk(effect, true);
  EXPECT_EQ(SetChunk(other, false, bank), 1);
  EXPECT_EQ(Chunk(other, true), program);
  EXPECT_EQ(Chunk(other, false), bank);
  Dispatch(other, effClose);
}

TEST_F(Module, ChunkPointerStaysValidUntilTheNextChunkCall) {
  void* program = nullptr;
  void* bank = nullptr;
  ASSERT_EQ(Dispatch(effect, effGetChunk, 1, 0, &program), 72);
  ASSERT_EQ(Dispatch(effect, effGetChunk, 0, 0, &bank), 78);
  EXPECT_NE(program, bank);
  EXPECT_EQ(std::memcmp(program, kHeader, 8), 0);
  EXPECT_EQ(std::memcmp(bank, kHeader, 8), 0);
}

// ---- capabilities ---------------------------------------------------------------

TEST_F(Module, Capabilities) {
  const VstIntPtr kCockosYes = static_cast<VstIntPtr>(0xBEEF0000u);  // the same 32 bits in 32-bit builds
  struct Case {
    const char* text;
    VstIntPtr answer;
  };
  const Case cases[] = {{"receiveVstTimeInfo", 1},           {"sendVstEvents", 0},
                        {"sendVstMidiEvent", 0},             {"receiveVstEvents", 0},
                        {"receiveVstMidiEvent", 0},          {"hasCockosExtensions", kCockosYes},
                        {"hasCockosViewAsConfig", kCockosYes}, {"receiveVstTimeInfo ", 0},
                        {"ReceiveVstTimeInfo", 0},           {"bypass", 0},
                        {"", 0}};
  for (const Case& c : cases) {
    char text[64];
    std::strcpy(text, c.text);
    EXPECT_EQ(Dispatch(effect, effCanDo, 0, 0, text), c.answer) << c.text;
  }
}

// Host threads that entered the plug-in end after it was closed, some while
// the library is still loaded and some only after it was unloaded; the
// library then loads and works again. (On Windows the static runtime's
// thread-local-storage callbacks run at every one of these thread ends.)
VstIntPtr VSTCALLBACK QuietHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) { return 0; }

TEST(ModuleLifetime, HostThreadsOutliveThePlugInAndItsLibrary) {
  auto load = [](void*& library) -> AEffect* {
    library = vst2test::OpenLibrary(MORVANE_PLUGIN_PATH);
    if (!library) return nullptr;
    auto entry = reinterpret_cast<VstPluginMainProc>(vst2test::FindSymbol(library, "VSTPluginMain"));
    AEffect* e = entry ? entry(&QuietHost) : nullptr;
    if (!e) return nullptr;
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    e->dispatcher(e, effSetBlockSize, 0, 64, nullptr, 0.0f);
    e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
    return e;
  };
  auto work = [](AEffect* e) {
    std::vector<float> in(64, 0.5f), out(64);
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {out.data(), out.data()};
    e->processReplacing(e, ins, outs, 64);
    char text[64] = "";
    e->dispatcher(e, effGetParamDisplay, 3, 0, text, 0.0f);
    return out[63];
  };

  void* library = nullptr;
  AEffect* effect = load(library);
  ASSERT_NE(effect, nullptr) << vst2test::LibraryError();
  const float expected = work(effect);
  std::thread([&] { work(effect); }).join();

  std::mutex m;
  std::condition_variable changed;
  bool worked = false, unloaded = false;
  std::thread late([&] {
    work(effect);
    std::unique_lock<std::mutex> lock(m);
    worked = true;
    changed.notify_all();
    changed.wait(lock, [&] { return unloaded; });
  });
  {
    std::unique_lock<std::mutex> lock(m);
    changed.wait(lock, [&] { return worked; });
  }
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
  vst2test::CloseLibrary(library);
  {
    std::lock_guard<std::mutex> lock(m);
    unloaded = true;
    changed.notify_all();
  }
  late.join();

  effect = load(library);
  ASSERT_NE(effect, nullptr) << vst2test::LibraryError();
  float again = 0.0f;
  std::thread([&] { again = work(effect); }).join();
  EXPECT_EQ(again, expected);
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
  vst2test::CloseLibrary(library);
}

}  // namespace
