// The adapter's base-level behaviour, on a small plug-in of its own linked
// directly: host callbacks (automation, edit gestures, time, MIDI and SysEx
// out, identification), the editor attachment, text conversion and the
// limits on what the host hands in. Everything is driven through the effect
// record's function pointers, as a host would.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/IEditor.h"
#include "framework/vst2/IEffectVST.h"
#include "tests/framework/LockProbe.h"
#include "tests/vst2/RecordingHost.h"

// Defined in a file that sees the interface through the Windows headers' macros.
VstIntPtr CallHostWithWindowsMacros(audioMasterCallback callback, AEffect* effect, VstInt32 opcode);

namespace {

using morvane_test::FinishesOrAbort;
using morvane_test::WaitsForLock;

struct ShowCall {
  int paramIdx;
  double value;       // normalised
  double paramValue;  // the parameter's own value when the editor was shown it
};

// An editor that records what the plug-in shows it.
class FakeEditor : public IEditor {
public:
  void SetSize(int width, int height) {
    mWidth = width;
    mHeight = height;
  }
  int closeCount = 0;
  std::vector<ShowCall> shown;
  const IEffectBase* plug = nullptr;  // whose parameter values ShowCall records

  void ParamValueChanged(int paramIdx, double value) override {
    const IParameter* param = plug ? plug->GetParam(paramIdx) : nullptr;
    shown.push_back({paramIdx, value, param ? param->Value() : NAN});
  }
  int Width() const override { return mWidth; }
  int Height() const override { return mHeight; }
  void SetHostScale(double) override {}
  void* OpenWindow(void* parentWindow) override { return parentWindow; }
  void Idle() override {
    ++idleCount;
    if (onIdle) onIdle();
  }
  int idleCount = 0;
  std::function<void()> onIdle;
  void CloseWindow() override {
    ++closeCount;
    if (events) events->push_back("window closed");
  }
  std::vector<std::string>* events = nullptr;  // where CloseWindow is logged, besides the count

private:
  int mWidth = 578;
  int mHeight = 299;
};

struct TestOptions {
  const char* channelIO = "1-1 2-2";
  bool wantsMidi = false;
  bool isInstrument = false;
  bool usesChunks = false;
};

// Parameters: 0 "Level" [-100, 100] %, 1 "Mode" with display texts,
// 2 "Offset" [-50, 50] shown negated, 3 "Switch" (bool).
class TestEffect : public IEffectVST {
public:
  static IEffectConfig Config(const TestOptions& o) {
    IEffectConfig c;
    c.nParams = 4;
    c.channelIOStr = o.channelIO;
    c.nPresets = 2;
    c.effectName = "Test Effect";
    c.productName = "Test Product";
    c.makerName = "Test Maker";
    c.version = 0x00010203;
    c.uniqueID = VstFourCC('T', 's', 't', 'E');
    c.wantsMidi = o.wantsMidi;
    c.isInstrument = o.isInstrument;
    c.usesChunks = o.usesChunks;
    return c;
  }

  TestEffect(audioMasterCallback host, const TestOptions& o = TestOptions()) : IEffectVST(host, Config(o)) {
    GetParam(0)->DefineDouble("Level", 0.0, -100.0, 100.0, 0.01, "%");
    GetParam(1)->DefineEnum("Mode", 0, 3);
    GetParam(1)->SetDisplayText(0, "One");
    GetParam(1)->SetDisplayText(1, "Two");
    GetParam(1)->SetDisplayText(2, "Three");
    GetParam(2)->DefineDouble("Offset", 0.0, -50.0, 50.0, 0.01, "ms");
    GetParam(2)->SetShowNegated(true);
    GetParam(3)->DefineBool("Switch", false);
    FillDefaultPresets("Factory", 1);
  }

  std::vector<int> changed;
  std::vector<double> changedValues;  // the parameter's value when ParamChanged ran
  std::vector<ISysExMessage> sysex;
  std::vector<std::string> lifecycle;
  std::string noteName = "";
  int hostKnownCount = 0;

  void ParamChanged(int paramIdx) override {
    changed.push_back(paramIdx);
    changedValues.push_back(GetParam(paramIdx) ? GetParam(paramIdx)->Value() : NAN);
  }
  void HandleSysEx(const ISysExMessage* msg) override { sysex.push_back(*msg); }
  bool GetNoteName(int noteNumber, char* name) override {
    if (noteName.empty()) return IEffectVST::GetNoteName(noteNumber, name);
    std::strcpy(name, noteName.c_str());
    return true;
  }
  void OnActiveChanged(bool active) override { lifecycle.push_back(active ? "active" : "inactive"); }
  void Reset() override { lifecycle.push_back("reset"); }
  void OnEditorOpened() override { lifecycle.push_back("editor opened"); }
  void OnEditorClosed() override { lifecycle.push_back("editor closed"); }
  void OnHostKnown() override { ++hostKnownCount; }
};

class Adapter : public ::testing::Test {
protected:
  void Make(const TestOptions& o = TestOptions()) {
    plug = new TestEffect(&RecordingHost::Callback, o);
    effect = plug->GetAEffect();
    effect->user = &host;
  }
  void SetUp() override { Make(); }
  void TearDown() override {
    if (effect) Dispatch(effect, effClose);
  }
  // Replaces the plug-in with one made with other options.
  void Remake(const TestOptions& o) {
    Dispatch(effect, effClose);
    Make(o);
  }
  double Value(int idx) const { return plug->GetParam(idx)->Value(); }

  RecordingHost host;
  TestEffect* plug = nullptr;
  AEffect* effect = nullptr;
};

// ---- the effect record and the editor ----------------------------------------------

TEST_F(Adapter, RecordWithoutEditorHasNoEditorFlagAndNoRect) {
  EXPECT_EQ(effect->flags, 0x1018);  // replacing, double replacing, mono
  ERect* rect = reinterpret_cast<ERect*>(0x1234);
  EXPECT_EQ(Dispatch(effect, effEditGetRect, 0, 0, &rect), 0);
  EXPECT_EQ(rect, reinterpret_cast<ERect*>(0x1234));
  EXPECT_EQ(Dispatch(effect, effEditOpen, 0, 0, &rect), 0);
  EXPECT_EQ(Dispatch(effect, effEditClose), 0);
  EXPECT_EQ(effect->version, 10203);
  EXPECT_EQ(Dispatch(effect, effGetVendorVersion), 10203);
  EXPECT_EQ(effect->initialDelay, 0);
  plug->SetLatency(64);
  EXPECT_EQ(effect->initialDelay, 64);
  EXPECT_EQ(plug->GetLatency(), 64);
}

TEST_F(Adapter, OneInputConfigurationDecidesTheMonoFlag) {
  Remake(TestOptions{"2-2", false, false});
  EXPECT_EQ(effect->flags, effFlagsCanReplacing | effFlagsCanDoubleReplacing);
}

TEST_F(Adapter, AttachedEditorSetsFlagRectAndOpensWindows) {
  FakeEditor* editor = new FakeEditor;
  plug->AttachEditor(editor);
  EXPECT_EQ(effect->flags, 0x1019);

  ERect* rect = nullptr;
  EXPECT_EQ(Dispatch(effect, effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 299);
  EXPECT_EQ(rect->right, 578);
  EXPECT_EQ(Dispatch(effect, effEditGetRect, 0, 0, nullptr), 0);

  // The rectangle follows the editor's own size, not the arguments; the host is not told.
  editor->SetSize(600, 320);
  host.Clear();
  plug->ResizeEditor(1, 1);
  EXPECT_EQ(rect->right, 600);
  EXPECT_EQ(rect->bottom, 320);
  EXPECT_TRUE(host.calls.empty());

  int parent = 0;
  editor->events = &plug->lifecycle;
  plug->lifecycle.clear();
  EXPECT_EQ(Dispatch(effect, effEditOpen, 0, 0, &parent), 1);
  EXPECT_EQ(Dispatch(effect, effEditOpen, 0, 0, nullptr), 0);  // no window was made: not reported opened
  EXPECT_EQ(Dispatch(effect, effEditClose), 1);
  EXPECT_EQ(editor->closeCount, 1);
  // The plug-in hears of the closing before the window goes.
  EXPECT_EQ(plug->lifecycle, (std::vector<std::string>{"editor opened", "editor closed", "window closed"}));
  editor->events = nullptr;  // the plug-in's list goes before the editor when it is closed
}

TEST_F(Adapter, EditIdleReachesTheEditorWithoutTheInstanceLock) {
  EXPECT_EQ(Dispatch(effect, effEditIdle), 0);  // no editor: nothing to do
  FakeEditor* editor = new FakeEditor;
  plug->AttachEditor(editor);
  // Another thread's entry (the audio thread's, say) must not wait for the
  // editor's redraw: it would if the idle call held the lock.
  editor->onIdle = [this] {
    AEffect* e = effect;
    morvane_test::FinishesOrAbort("an entry on another thread during the editor's idle",
                                  [e] { e->getParameter(e, 0); });
  };
  EXPECT_EQ(Dispatch(effect, effEditIdle), 0);
  EXPECT_EQ(editor->idleCount, 1);
}

// ---- parameters from the host and the editor --------------------------------------------

TEST_F(Adapter, SetParameterShowsEditorThenSetsAndNotifies) {
  FakeEditor* editor = new FakeEditor;
  plug->AttachEditor(editor);
  editor->plug = plug;
  editor->shown.clear();
  plug->changed.clear();
  plug->changedValues.clear();
  host.Clear();

  effect->setParameter(effect, 0, 0.75f);
  ASSERT_EQ(editor->shown.size(), 1u);
  EXPECT_EQ(editor->shown[0].paramIdx, 0);
  EXPECT_DOUBLE_EQ(editor->shown[0].value, 0.75);
  EXPECT_DOUBLE_EQ(editor->shown[0].paramValue, 0.0);  // shown before the parameter is set
  EXPECT_DOUBLE_EQ(Value(0), 50.0);
  EXPECT_EQ(plug->changed, std::vector<int>{0});
  EXPECT_EQ(plug->changedValues, std::vector<double>{50.0});  // and notified after
  EXPECT_FLOAT_EQ(effect->getParameter(effect, 0), 0.75f);
  EXPECT_TRUE(host.calls.empty());  // the host is not told of its own change

  // Out-of-range indices and values that are not numbers change nothing.
  effect->setParameter(effect, -1, 0.5f);
  effect->setParameter(effect, 4, 0.5f);
  effect->setParameter(effect, 0, std::nanf(""));
  effect->setParameter(effect, 0, INFINITY);
  EXPECT_DOUBLE_EQ(Value(0), 50.0);
  EXPECT_EQ(plug->changed.size(), 1u);
  EXPECT_EQ(editor->shown.size(), 1u);
  EXPECT_EQ(effect->getParameter(effect, -1), 0.0f);
  EXPECT_EQ(effect->getParameter(effect, 4), 0.0f);

  effect->setParameter(effect, 0, 7.0f);  // limited to [0, 1]
  EXPECT_DOUBLE_EQ(Value(0), 100.0);
}

TEST_F(Adapter, EditorGesturesAndAutomationReachTheHost) {
  host.Clear();
  plug->BeginHostEdit(2);
  plug->SetParamFromEditor(2, 0.6);
  plug->EndHostEdit(2);
  plug->NotifyHostOfPreset();
  ASSERT_EQ(host.Opcodes(), (std::vector<VstInt32>{audioMasterBeginEdit, audioMasterAutomate, audioMasterEndEdit,
                                                   audioMasterUpdateDisplay}));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(host.calls[i].index, 2);
  EXPECT_FLOAT_EQ(host.calls[1].opt, 0.6f);
  EXPECT_EQ(host.calls[1].value, 0);
  EXPECT_NEAR(Value(2), 10.0, 1e-9);
}

TEST_F(Adapter, TextToValue) {
  FakeEditor* editor = new FakeEditor;
  plug->AttachEditor(editor);
  editor->plug = plug;
  editor->shown.clear();
  plug->changed.clear();
  plug->changedValues.clear();

  char text[32] = "1000";  // every case below fits
  EXPECT_EQ(Dispatch(effect, effString2Parameter, 0, 0, text), 1);
  ASSERT_EQ(editor->shown.size(), 1u);  // the editor sees the typed value, limited to the range
  EXPECT_DOUBLE_EQ(editor->shown[0].value, 1.0);
  EXPECT_DOUBLE_EQ(editor->shown[0].paramValue, 0.0);  // and before the parameter is set
  EXPECT_DOUBLE_EQ(Value(0), 100.0);
  EXPECT_EQ(plug->changed, std::vector<int>{0});
  EXPECT_EQ(plug->changedValues, std::vector<double>{100.0});

  struct Case {
    const char* text;
    double expected;
  };
  const Case numbers[] = {
      {"50", 50.0},    {"  -3.5e1 dB", -35.0}, {"+7.25", 7.25},     {"abc", 0.0},     {".", 0.0},
      {"12.", 12.0},   {".5", 0.5},            {"1e", 1.0},         {"-1e999", -100.0}, {"1e-999", 0.0},
      {"0x10", 0.0},   {"nan", 0.0},           {"inf", 0.0},      {"0.000e400", 0.0}, {"0.00001e-330", 0.0},
  };
  const std::string hugeInteger(400, '9');
  const std::string tinyFraction = "0." + std::string(400, '0') + "1e50";  // 1e-351
  for (const Case& c : numbers) {
    std::strcpy(text, c.text);
    EXPECT_EQ(Dispatch(effect, effString2Parameter, 0, 0, text), 1) << c.text;
    EXPECT_DOUBLE_EQ(Value(0), c.expected) << c.text;
  }
  // Digits beyond double's range: the largest value, or 0 below the smallest.
  std::string longText = "-" + hugeInteger;
  EXPECT_EQ(Dispatch(effect, effString2Parameter, 0, 0, &longText[0]), 1);
  EXPECT_DOUBLE_EQ(Value(0), -100.0);
  longText = hugeInteger;
  Dispatch(effect, effString2Parameter, 0, 0, &longText[0]);
  EXPECT_DOUBLE_EQ(Value(0), 100.0);
  longText = tinyFraction;
  Dispatch(effect, effString2Parameter, 0, 0, &longText[0]);
  EXPECT_DOUBLE_EQ(Value(0), 0.0);

  // Display texts match exactly and whole; no match leaves the value.
  std::strcpy(text, "Three");
  EXPECT_EQ(Dispatch(effect, effString2Parameter, 1, 0, text), 1);
  EXPECT_DOUBLE_EQ(Value(1), 2.0);
  for (const char* miss : {"three", "Thr", "Three ", "2"}) {
    std::strcpy(text, miss);
    EXPECT_EQ(Dispatch(effect, effString2Parameter, 1, 0, text), 0) << miss;
    EXPECT_DOUBLE_EQ(Value(1), 2.0) << miss;
  }

  // A parameter shown negated reads the typed number negated.
  std::strcpy(text, "12.5");
  EXPECT_EQ(Dispatch(effect, effString2Parameter, 2, 0, text), 1);
  EXPECT_DOUBLE_EQ(Value(2), -12.5);

  plug->changed.clear();
  EXPECT_EQ(Dispatch(effect, effString2Parameter, 0, 0, nullptr), 1);
  EXPECT_EQ(Dispatch(effect, effString2Parameter, 4, 0, text), 0);
  EXPECT_EQ(Dispatch(effect, effString2Parameter, -1, 0, text), 0);
  EXPECT_TRUE(plug->changed.empty());
}

TEST_F(Adapter, VendorSpecificParameterQueries) {
  char text[64];
  std::memset(text, 'x', sizeof(text));
  EXPECT_EQ(Dispatch(effect, effVendorSpecific, 7, 0, text, 1.0f), 0xBEEF);
  EXPECT_STREQ(text, "100.00");
  EXPECT_EQ(Dispatch(effect, effVendorSpecific, 7, 1, text, 0.5f), 0xBEEF);
  EXPECT_STREQ(text, "Two");
  std::strcpy(text, "kept");
  EXPECT_EQ(Dispatch(effect, effVendorSpecific, 7, 9, text, 0.5f), 0xBEEF);  // unknown parameter: no text
  EXPECT_STREQ(text, "kept");
  EXPECT_EQ(Dispatch(effect, effVendorSpecific, 7, 0, nullptr, 0.5f), 0);
  // A host told 0xBEEF reads a text, even for a NaN (the texts of values
  // outside [0, 1] are the parameter's own test).
  std::strcpy(text, "kept");
  EXPECT_EQ(Dispatch(effect, effVendorSpecific, 7, 0, text, NAN), 0xBEEF);
  EXPECT_STRNE(text, "kept");

  EXPECT_EQ(Dispatch(effect, effVendorSpecific, 8, 0), 0);       // continuous
  EXPECT_EQ(Dispatch(effect, effVendorSpecific, 8, 1), 0xBEEF);  // stepped
  EXPECT_EQ(Dispatch(effect, effVendorSpecific, 8, 3), 0xBEEF);
  EXPECT_EQ(Dispatch(effect, effVendorSpecific, 8, 4), 0);
  EXPECT_EQ(Dispatch(effect, effVendorSpecific, 8, -1), 0);
  if (sizeof(VstIntPtr) == 8) {  // a value whose low 32 bits alone name a stepped parameter
    EXPECT_EQ(Dispatch(effect, effVendorSpecific, 8, static_cast<VstIntPtr>(int64_t{1} << 40 | 1)), 0);
  }
  EXPECT_EQ(Dispatch(effect, effVendorSpecific, 9, 1, text), 0);
}

// ---- programs ---------------------------------------------------------------------------------

// Preset 0 ("Factory") holds the defaults; preset 1 is blank.
TEST_F(Adapter, SwitchingProgramsFirstStoresTheValuesIntoTheProgramLeft) {
  char name[64];
  effect->setParameter(effect, 0, 0.75f);  // 50
  EXPECT_EQ(Dispatch(effect, effSetProgram, 0, 1), 0);
  EXPECT_EQ(Dispatch(effect, effGetProgram), 1);
  ASSERT_EQ(Dispatch(effect, effGetProgramNameIndexed, 1, 0, name), 1);
  EXPECT_STREQ(name, "user preset 1");  // a blank preset takes the current values
  EXPECT_DOUBLE_EQ(Value(0), 50.0);

  effect->setParameter(effect, 0, 0.25f);  // -50
  Dispatch(effect, effSetProgram, 0, 0);
  EXPECT_EQ(Dispatch(effect, effGetProgram), 0);
  EXPECT_DOUBLE_EQ(Value(0), 50.0);  // stored into preset 0 when it was left
  Dispatch(effect, effSetProgram, 0, 1);
  EXPECT_DOUBLE_EQ(Value(0), -50.0);  // stored into preset 1 when it was left

  // A program outside the list is not loaded; the current values stay current.
  effect->setParameter(effect, 0, 1.0f);
  for (VstIntPtr program : {VstIntPtr(2), VstIntPtr(-1)}) {
    EXPECT_EQ(Dispatch(effect, effSetProgram, 0, program), 0);
    EXPECT_EQ(Dispatch(effect, effGetProgram), 1);
    EXPECT_DOUBLE_EQ(Value(0), 100.0);
  }
}

TEST_F(Adapter, WithStateChunksSwitchingProgramsStoresNothing) {
  TestOptions o;
  o.usesChunks = true;
  Remake(o);
  effect->setParameter(effect, 0, 0.75f);  // 50
  Dispatch(effect, effSetProgram, 0, 1);    // blank: takes the current values
  effect->setParameter(effect, 0, 0.25f);  // -50, not stored on leaving
  Dispatch(effect, effSetProgram, 0, 0);
  EXPECT_DOUBLE_EQ(Value(0), 0.0);  // preset 0 still holds the defaults
  Dispatch(effect, effSetProgram, 0, 1);
  EXPECT_DOUBLE_EQ(Value(0), 50.0);
}

TEST_F(Adapter, RenamingTheProgramStoresItsValuesAndReportsTheEdit) {
  struct Renamed : TestEffect {
    using TestEffect::TestEffect;
    int edited = 0;
    void OnPresetsEdited() override { ++edited; }
  };
  Dispatch(effect, effClose);
  Renamed* renamed = new Renamed(&RecordingHost::Callback);
  plug = renamed;
  effect = plug->GetAEffect();
  effect->user = &host;

  effect->setParameter(effect, 0, 0.75f);  // 50
  char name[] = "Bright";
  EXPECT_EQ(Dispatch(effect, effSetProgramName, 0, 0, name), 0);
  EXPECT_EQ(renamed->edited, 1);
  char shown[64];
  Dispatch(effect, effGetProgramName, 0, 0, shown);
  EXPECT_STREQ(shown, "Bright");
  EXPECT_EQ(Dispatch(effect, effSetProgramName, 0, 0, nullptr), 0);
  EXPECT_EQ(renamed->edited, 1);

  // The values stored with the name come back when the program is loaded again.
  effect->setParameter(effect, 0, 0.25f);
  plug->LoadPreset(0);
  EXPECT_DOUBLE_EQ(Value(0), 50.0);
}

// ---- texts written into host buffers ------------------------------------------------------

// A buffer larger than any text, poisoned so that writes past the bound show.
struct HostBuffer {
  char bytes[512];
  HostBuffer() { std::memset(bytes, 0x5A, sizeof(bytes)); }
  size_t Written() const {
    size_t n = 0;
    while (n < sizeof(bytes) && bytes[n] != '\0') ++n;
    return n;
  }
  bool UntouchedFrom(size_t start) const {
    for (size_t i = start; i < sizeof(bytes); ++i) {
      if (bytes[i] != 0x5A) return false;
    }
    return true;
  }
};

TEST_F(Adapter, ProgramTextsAreCutTo64Bytes) {
  std::string longName(200, 'n');
  EXPECT_EQ(Dispatch(effect, effSetProgramName, 0, 0, &longName[0]), 0);

  HostBuffer name;
  Dispatch(effect, effGetProgramName, 0, 0, name.bytes);
  EXPECT_EQ(name.Written(), 63u);
  EXPECT_TRUE(name.UntouchedFrom(64));

  HostBuffer indexed;
  EXPECT_EQ(Dispatch(effect, effGetProgramNameIndexed, 0, 0, indexed.bytes), 1);
  EXPECT_EQ(indexed.Written(), 63u);
  EXPECT_TRUE(indexed.UntouchedFrom(64));

  HostBuffer outside;
  EXPECT_EQ(Dispatch(effect, effGetProgramNameIndexed, 7, 0, outside.bytes), 0);
  EXPECT_EQ(outside.Written(), 0u);
  EXPECT_EQ(Dispatch(effect, effGetProgramNameIndexed, 0, 0, nullptr), 0);
}

TEST_F(Adapter, PinLabelsAndKeyNamesAreCutToTheirFields) {
  GrowBuffer& label = plug->GetInput(0)->label;
  std::string longLabel(100, 'L');
  label.Resize(static_cast<int>(longLabel.size()) + 1);
  std::memcpy(label.Data(), longLabel.c_str(), longLabel.size() + 1);

  VstPinProperties pin;
  std::memset(&pin, 0x5A, sizeof(pin));
  EXPECT_EQ(Dispatch(effect, effGetInputProperties, 0, 0, &pin), 1);
  EXPECT_EQ(std::strlen(pin.label), 63u);
  EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
  EXPECT_EQ(pin.shortLabel[0], 0x5A);  // no other field is written

  plug->noteName = std::string(150, 'k');
  MidiKeyName key;
  std::memset(&key, 0x5A, sizeof(key));
  key.thisKeyNumber = 60;
  EXPECT_EQ(Dispatch(effect, effGetMidiKeyName, 0, 0, &key), 1);
  EXPECT_EQ(std::strlen(key.keyName), 63u);
  EXPECT_EQ(key.reserved, 0x5A5A5A5A);
  EXPECT_EQ(key.flags, 0x5A5A5A5A);

  plug->noteName.clear();  // the base names no notes
  EXPECT_EQ(Dispatch(effect, effGetMidiKeyName, 0, 0, &key), 0);
  EXPECT_STREQ(key.keyName, "");
  EXPECT_EQ(Dispatch(effect, effGetMidiKeyName, 0, 0, nullptr), 0);
}

TEST_F(Adapter, IdentityStringsAreCopiedWhole) {
  HostBuffer name, vendor, product;
  EXPECT_EQ(Dispatch(effect, effGetEffectName, 0, 0, name.bytes), 1);
  EXPECT_EQ(Dispatch(effect, effGetVendorString, 0, 0, vendor.bytes), 1);
  EXPECT_EQ(Dispatch(effect, effGetProductString, 0, 0, product.bytes), 1);
  EXPECT_STREQ(name.bytes, "Test Effect");
  EXPECT_STREQ(vendor.bytes, "Test Maker");
  EXPECT_STREQ(product.bytes, "Test Product");
  EXPECT_TRUE(name.UntouchedFrom(std::strlen("Test Effect") + 1));
}

// ---- state chunks the host hands in ------------------------------------------------------------

TEST_F(Adapter, SetChunkRefusesSizesTheChunkCannotHoldWithoutReading) {
  effect->setParameter(effect, 0, 0.75f);
  plug->changed.clear();
  // Sixteen readable bytes; any read beyond them is caught by the address sanitizer.
  std::unique_ptr<unsigned char[]> bytes(new unsigned char[16]());
  for (VstIntPtr size : {VstIntPtr(-1), VstIntPtr(INT_MIN), VstIntPtr(INT_MAX)}) {
    EXPECT_EQ(Dispatch(effect, effSetChunk, 1, size, bytes.get()), 0) << size;
    EXPECT_EQ(Dispatch(effect, effSetChunk, 0, size, bytes.get()), 0) << size;
  }
  if (sizeof(VstIntPtr) == 8) {
    VstIntPtr huge = static_cast<VstIntPtr>(static_cast<int64_t>(1) << 40);
    EXPECT_EQ(Dispatch(effect, effSetChunk, 1, huge, bytes.get()), 0);
  }
  EXPECT_DOUBLE_EQ(Value(0), 50.0);
  EXPECT_TRUE(plug->changed.empty());
  EXPECT_EQ(Dispatch(effect, effSetChunk, 1, 16, nullptr), 0);
  EXPECT_EQ(Dispatch(effect, effGetChunk, 1, 0, nullptr), 0);
}

// A host may hand back the very bytes effGetChunk gave it, or a part of them:
// they live in the chunk being restored into. The address sanitizer catches
// an overlapping copy and a read from a buffer that moved.
TEST_F(Adapter, SetChunkTakesBackTheBytesItHandedOut) {
  for (VstInt32 oneProgram : {1, 0}) {
    effect->setParameter(effect, 0, 0.75f);
    void* data = nullptr;
    const VstIntPtr size = Dispatch(effect, effGetChunk, oneProgram, 0, &data);
    ASSERT_GT(size, 8) << oneProgram;
    ASSERT_NE(data, nullptr);

    effect->setParameter(effect, 0, 0.25f);
    EXPECT_EQ(Dispatch(effect, effSetChunk, oneProgram, size, data), 1) << oneProgram;
    EXPECT_DOUBLE_EQ(Value(0), 50.0) << oneProgram;

    // More bytes than were handed out: refused, nothing read or restored.
    effect->setParameter(effect, 0, 0.25f);
    plug->changed.clear();
    EXPECT_EQ(Dispatch(effect, effSetChunk, oneProgram, size + 100000, data), 0) << oneProgram;
    EXPECT_EQ(Dispatch(effect, effSetChunk, oneProgram, size, static_cast<char*>(data) + 1), 0) << oneProgram;
    EXPECT_DOUBLE_EQ(Value(0), -50.0) << oneProgram;
    EXPECT_TRUE(plug->changed.empty()) << oneProgram;
  }

  // The program's values without their header: a header-less chunk from within our own bytes.
  effect->setParameter(effect, 0, 0.75f);
  void* data = nullptr;
  const VstIntPtr size = Dispatch(effect, effGetChunk, 1, 0, &data);
  ASSERT_EQ(size, 8 + 4 * 8);
  effect->setParameter(effect, 0, 0.25f);
  EXPECT_EQ(Dispatch(effect, effSetChunk, 1, size - 8, static_cast<char*>(data) + 8), 1);
  EXPECT_DOUBLE_EQ(Value(0), 50.0);
}

// ---- events in and out ----------------------------------------------------------------------

TEST_F(Adapter, MidiAndSysExOutSendOneRecordOfTheInterfaceSize) {
  static_assert(sizeof(void*) != 8 || sizeof(VstMidiSysexEvent) == 48, "64-bit SysEx record");
  IMidiMessage note;
  note.offset = 17;
  note.status = 0x90;
  note.data1 = 60;
  note.data2 = 100;
  host.Clear();
  EXPECT_TRUE(plug->SendMidi(&note));
  ASSERT_EQ(host.events.size(), 1u);
  const RecordedEvent& m = host.events[0];
  EXPECT_EQ(m.numEvents, 1);
  EXPECT_EQ(m.type, kVstMidiType);
  EXPECT_EQ(m.byteSize, 32);
  EXPECT_EQ(m.deltaFrames, 17);
  EXPECT_EQ(m.midiData[0], 0x90);
  EXPECT_EQ(m.midiData[1], 60);
  EXPECT_EQ(m.midiData[2], 100);
  EXPECT_EQ(m.midiData[3], 0);

  const uint8_t dump[] = {0xF0, 0x7E, 0x01, 0xF7};
  ISysExMessage sx;
  sx.offset = 5;
  sx.size = 4;
  sx.data = dump;
  EXPECT_TRUE(plug->SendSysExMessage(&sx));
  ASSERT_EQ(host.events.size(), 2u);
  const RecordedEvent& s = host.events[1];
  EXPECT_EQ(s.type, kVstSysExType);
  EXPECT_EQ(s.byteSize, sizeof(void*) == 8 ? 48 : 32);
  EXPECT_EQ(s.deltaFrames, 5);
  EXPECT_EQ(s.dumpBytes, 4);
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(s.sysexDump), dump);

  // Only an answer of exactly 1 counts as delivered.
  host.processEventsAnswer = 0;
  EXPECT_FALSE(plug->SendMidi(&note));
  EXPECT_FALSE(plug->SendSysExMessage(&sx));
  host.processEventsAnswer = 2;
  EXPECT_FALSE(plug->SendMidi(&note));
}

TEST_F(Adapter, IncomingEventsReachTheHandlersAndMidiPassesThrough) {
  VstMidiEvent note;
  std::memset(&note, 0, sizeof(note));
  note.type = kVstMidiType;
  note.byteSize = sizeof(note);
  note.deltaFrames = 9;
  note.midiData[0] = static_cast<char>(0x80);
  note.midiData[1] = 64;
  note.midiData[2] = 1;
  char dumpBytes[3] = {1, 2, 3};
  VstMidiSysexEvent sx;
  std::memset(&sx, 0, sizeof(sx));
  sx.type = kVstSysExType;
  sx.byteSize = sizeof(sx);
  sx.deltaFrames = 4;
  sx.dumpBytes = 3;
  sx.sysexDump = dumpBytes;
  VstMidiSysexEvent badSx = sx;
  badSx.dumpBytes = -20;
  VstEvent other;
  std::memset(&other, 0, sizeof(other));
  other.type = kVstParameterType;

  struct {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[5];
  } list = {5, 0,
            {reinterpret_cast<VstEvent*>(&note), nullptr, reinterpret_cast<VstEvent*>(&sx), &other,
             reinterpret_cast<VstEvent*>(&badSx)}};
  host.Clear();
  EXPECT_EQ(Dispatch(effect, effProcessEvents, 0, 0, &list), 1);

  // The base's MIDI handler sends the message on to the host unchanged.
  ASSERT_EQ(host.events.size(), 1u);
  EXPECT_EQ(host.events[0].deltaFrames, 9);
  EXPECT_EQ(host.events[0].midiData[0], 0x80);
  EXPECT_EQ(host.events[0].midiData[1], 64);
  EXPECT_EQ(host.events[0].midiData[2], 1);

  ASSERT_EQ(plug->sysex.size(), 2u);
  EXPECT_EQ(plug->sysex[0].offset, 4);
  EXPECT_EQ(plug->sysex[0].size, 3);
  EXPECT_EQ(plug->sysex[0].data, reinterpret_cast<const uint8_t*>(dumpBytes));
  EXPECT_EQ(plug->sysex[1].size, 0);  // a negative count arrives as an empty message
  EXPECT_EQ(plug->sysex[1].data, nullptr);

  list.numEvents = -3;
  EXPECT_EQ(Dispatch(effect, effProcessEvents, 0, 0, &list), 1);
  EXPECT_EQ(Dispatch(effect, effProcessEvents, 0, 0, nullptr), 0);
  EXPECT_EQ(plug->sysex.size(), 2u);
}

TEST_F(Adapter, MidiPluginAsksForMidiInEveryProcessingCall) {
  float in0[4] = {}, in1[4] = {}, out0[4] = {}, out1[4] = {};
  float* ins[2] = {in0, in1};
  float* outs[2] = {out0, out1};
  double din0[4] = {}, din1[4] = {}, dout0[4] = {}, dout1[4] = {};
  double* dins[2] = {din0, din1};
  double* douts[2] = {dout0, dout1};
  auto processAll = [&] {
    effect->process(effect, ins, outs, 4);
    effect->processReplacing(effect, ins, outs, 4);
    effect->processDoubleReplacing(effect, dins, douts, 4);
  };

  host.Clear();
  processAll();
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(Dispatch(effect, effCanDo, 0, 0, const_cast<char*>("receiveVstEvents")), 0);

  Remake(TestOptions{"1-1 2-2", true, false});
  processAll();
  EXPECT_EQ(host.Opcodes(), (std::vector<VstInt32>{audioMasterWantMidi, audioMasterWantMidi, audioMasterWantMidi}));
  for (const char* cap : {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent"}) {
    EXPECT_EQ(Dispatch(effect, effCanDo, 0, 0, const_cast<char*>(cap)), 1) << cap;
  }
  EXPECT_EQ(Dispatch(effect, effGetPlugCategory), kPlugCategEffect);

  Remake(TestOptions{"0-2", false, true});
  EXPECT_EQ(Dispatch(effect, effGetPlugCategory), kPlugCategSynth);
}

// ---- host time ------------------------------------------------------------------------------

TEST_F(Adapter, HostSamplePositionRoundsAndRefusesNegatives) {
  struct Case {
    double samplePos;
    int expected;
  };
  const Case cases[] = {{1000.4, 1000}, {1000.5, 1001}, {0.0, 0}, {-5.0, 0}, {NAN, 0}, {1e12, INT_MAX}};
  host.hasTime = true;
  for (const Case& c : cases) {
    host.time.samplePos = c.samplePos;
    host.Clear();
    EXPECT_EQ(plug->GetHostSamplePos(), c.expected) << c.samplePos;
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0].opcode, audioMasterGetTime);
    EXPECT_EQ(host.calls[0].value, 0);
  }
  host.hasTime = false;
  EXPECT_EQ(plug->GetHostSamplePos(), 0);
}

TEST_F(Adapter, HostTempoAndTimeSignatureNeedTheirValidBits) {
  host.hasTime = true;
  host.time.tempo = 128.0;
  host.time.timeSigNumerator = 7;
  host.time.timeSigDenominator = 8;

  host.time.flags = kVstTempoValid | kVstTimeSigValid;
  host.Clear();
  EXPECT_DOUBLE_EQ(plug->GetHostTempo(), 128.0);
  EXPECT_EQ(host.calls[0].value, kVstTempoValid);
  int num = -1, den = -1;
  plug->GetHostTimeSig(&num, &den);
  EXPECT_EQ(host.calls[1].value, kVstTimeSigValid);
  EXPECT_EQ(num, 7);
  EXPECT_EQ(den, 8);

  host.time.flags = 0;
  EXPECT_DOUBLE_EQ(plug->GetHostTempo(), 0.0);
  num = den = -1;
  plug->GetHostTimeSig(&num, &den);
  EXPECT_EQ(num, 0);
  EXPECT_EQ(den, 0);

  host.time.flags = kVstTempoValid | kVstTimeSigValid;
  host.time.tempo = -1.0;
  host.time.timeSigDenominator = -4;
  EXPECT_DOUBLE_EQ(plug->GetHostTempo(), 0.0);
  plug->GetHostTimeSig(&num, &den);
  EXPECT_EQ(num, 0);
  EXPECT_EQ(den, 0);

  host.hasTime = false;
  EXPECT_DOUBLE_EQ(plug->GetHostTempo(), 0.0);
}

TEST_F(Adapter, HostTimeCopiesOnlyValidFields) {
  const ITransportInfo before = [] {
    ITransportInfo t;
    t.tempo = 1.0;
    t.samplePos = 2.0;
    t.ppqPos = 3.0;
    t.lastBar = 4.0;
    t.cycleStart = 5.0;
    t.cycleEnd = 6.0;
    t.numerator = 7;
    t.denominator = 8;
    t.transportIsRunning = true;
    t.transportLoopEnabled = true;
    return t;
  }();
  host.hasTime = true;
  host.time.samplePos = 44100.0;
  host.time.ppqPos = 16.5;
  host.time.tempo = 90.0;
  host.time.barStartPos = 16.0;
  host.time.cycleStartPos = 8.0;
  host.time.cycleEndPos = 24.0;
  host.time.timeSigNumerator = 3;
  host.time.timeSigDenominator = 4;

  // None of the asked-for bits: the caller's values stay, even the transport.
  host.time.flags = kVstTransportPlaying | kVstNanosValid;
  ITransportInfo info = before;
  host.Clear();
  plug->GetHostTime(&info);
  EXPECT_EQ(host.calls[0].value, 0x3E00);
  EXPECT_DOUBLE_EQ(info.samplePos, 2.0);
  EXPECT_TRUE(info.transportLoopEnabled);

  host.time.flags = kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid |
                    kVstTransportPlaying;
  info = before;
  plug->GetHostTime(&info);
  EXPECT_DOUBLE_EQ(info.samplePos, 44100.0);
  EXPECT_DOUBLE_EQ(info.ppqPos, 16.5);
  EXPECT_DOUBLE_EQ(info.tempo, 90.0);
  EXPECT_DOUBLE_EQ(info.lastBar, 16.0);
  EXPECT_DOUBLE_EQ(info.cycleStart, 8.0);
  EXPECT_DOUBLE_EQ(info.cycleEnd, 24.0);
  EXPECT_EQ(info.numerator, 3);
  EXPECT_EQ(info.denominator, 4);
  EXPECT_TRUE(info.transportIsRunning);
  EXPECT_FALSE(info.transportLoopEnabled);

  // Only the tempo bit; negative or zero values and a zero denominator are not copied.
  host.time.flags = kVstTempoValid | kVstCyclePosValid | kVstTimeSigValid | kVstTransportCycleActive;
  host.time.tempo = 0.0;
  host.time.cycleStartPos = -1.0;
  host.time.timeSigDenominator = 0;
  info = before;
  plug->GetHostTime(&info);
  EXPECT_DOUBLE_EQ(info.samplePos, 44100.0);
  EXPECT_DOUBLE_EQ(info.ppqPos, 3.0);
  EXPECT_DOUBLE_EQ(info.tempo, 1.0);
  EXPECT_DOUBLE_EQ(info.lastBar, 4.0);
  EXPECT_DOUBLE_EQ(info.cycleStart, 5.0);
  EXPECT_DOUBLE_EQ(info.cycleEnd, 6.0);
  EXPECT_EQ(info.numerator, 7);
  EXPECT_EQ(info.denominator, 8);
  EXPECT_FALSE(info.transportIsRunning);
  EXPECT_TRUE(info.transportLoopEnabled);

  // Values that are not finite count as not supplied, whatever their bits say.
  host.time.flags = kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid;
  host.time.samplePos = NAN;
  host.time.ppqPos = INFINITY;
  host.time.tempo = INFINITY;
  host.time.barStartPos = NAN;
  host.time.cycleStartPos = 8.0;
  host.time.cycleEndPos = INFINITY;
  info = before;
  plug->GetHostTime(&info);
  EXPECT_DOUBLE_EQ(info.samplePos, 2.0);
  EXPECT_DOUBLE_EQ(info.ppqPos, 3.0);
  EXPECT_DOUBLE_EQ(info.tempo, 1.0);
  EXPECT_DOUBLE_EQ(info.lastBar, 4.0);
  EXPECT_DOUBLE_EQ(info.cycleStart, 5.0);
  EXPECT_DOUBLE_EQ(info.cycleEnd, 6.0);
  EXPECT_DOUBLE_EQ(plug->GetHostTempo(), 0.0);

  host.hasTime = false;
  info = before;
  plug->GetHostTime(&info);
  EXPECT_DOUBLE_EQ(info.samplePos, 2.0);
}

TEST_F(Adapter, HostCallbackTypeDoesNotDependOnTheWindowsHeaders) {
  host.processLevel = kVstProcessLevelOffline;
  host.Clear();
  EXPECT_EQ(CallHostWithWindowsMacros(&RecordingHost::Callback, effect, audioMasterGetCurrentProcessLevel),
            kVstProcessLevelOffline);
  EXPECT_EQ(host.Opcodes(), std::vector<VstInt32>{audioMasterGetCurrentProcessLevel});
}

TEST_F(Adapter, OfflineOnlyWhenTheHostSaysOffline) {
  for (VstIntPtr level = 0; level <= 5; ++level) {
    host.processLevel = level;
    EXPECT_EQ(plug->IsOffline(), level == kVstProcessLevelOffline) << level;
  }
}

// ---- host identification ---------------------------------------------------------------------

TEST_F(Adapter, HostWithoutProductNameIsUnknownAndNotAskedItsVersion) {
  host.product = "";
  host.vendorVersion = 50201;
  host.Clear();
  EXPECT_EQ(plug->IdentifyHost(), kHostUnknown);
  EXPECT_EQ(host.Opcodes(), std::vector<VstInt32>{audioMasterGetProductString});
  EXPECT_EQ(plug->GetHostVersion(), 0);
  host.Clear();
  plug->IdentifyHost();
  EXPECT_TRUE(host.calls.empty());
}

// The product name's lookup itself is the host-kind table's; here, what the
// adapter asks the host and when.
TEST_F(Adapter, OpenIdentifiesTheHostOnceAndNotifiesEveryParameter) {
  host.product = "REAPER";
  host.vendorVersion = 50201;
  host.Clear();
  plug->changed.clear();
  EXPECT_EQ(Dispatch(effect, effOpen), 0);
  EXPECT_EQ(host.Opcodes(), (std::vector<VstInt32>{audioMasterGetProductString, audioMasterGetVendorVersion}));
  EXPECT_EQ(plug->IdentifyHost(), kHostReaper);
  EXPECT_EQ(plug->GetHostVersion(), 0x00050201);
  EXPECT_EQ(plug->changed, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(plug->hostKnownCount, 1);
  host.Clear();
  Dispatch(effect, effOpen);
  EXPECT_EQ(plug->IdentifyHost(), kHostReaper);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(plug->hostKnownCount, 1);
}

TEST_F(Adapter, HostsThatMishandleMoreChannelsGetOnlyTwoInputs) {
  for (const char* product : {"FORTE", "Adobe Audition", "Orion", "SAWStudio", "REAPER", ""}) {
    Remake(TestOptions{"4-4", false, false});
    host.product = product;
    Dispatch(effect, effOpen);
    double in[4][8], out[4][8];
    double* ins[4];
    double* outs[4];
    for (int c = 0; c < 4; ++c) {
      for (int i = 0; i < 8; ++i) in[c][i] = c + 1;
      ins[c] = in[c];
      outs[c] = out[c];
    }
    effect->processDoubleReplacing(effect, ins, outs, 8);
    const bool limited = std::string(product) != "REAPER" && product[0] != '\0';
    EXPECT_EQ(out[1][7], 2.0) << product;
    EXPECT_EQ(out[2][7], limited ? 0.0 : 3.0) << product;  // inputs 2 and 3 read their silent scratch
    EXPECT_EQ(out[3][7], limited ? 0.0 : 4.0) << product;
    EXPECT_EQ(effect->numInputs, 4);
    EXPECT_EQ(effect->numOutputs, 4);
  }
}

// ---- lifecycle opcodes, speaker arrangement ---------------------------------------------------

TEST_F(Adapter, MainsAndConfigurationOpcodes) {
  Dispatch(effect, effMainsChanged, 0, 1);
  Dispatch(effect, effMainsChanged, 0, 0);
  EXPECT_EQ(plug->lifecycle, (std::vector<std::string>{"active", "inactive", "reset"}));

  plug->lifecycle.clear();
  Dispatch(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
  EXPECT_EQ(plug->GetSampleRate(), 48000.0);
  Dispatch(effect, effSetBlockSize, 0, 256);
  EXPECT_EQ(plug->GetBlockSize(), 256);
  EXPECT_EQ(plug->lifecycle, (std::vector<std::string>{"reset", "reset"}));

  // Rates and sizes nothing can run with are ignored.
  plug->lifecycle.clear();
  for (float rate : {0.0f, -44100.0f, NAN, INFINITY}) Dispatch(effect, effSetSampleRate, 0, 0, nullptr, rate);
  for (VstIntPtr size : {VstIntPtr(0), VstIntPtr(-1), VstIntPtr(INT_MAX)}) Dispatch(effect, effSetBlockSize, 0, size);
  EXPECT_EQ(plug->GetSampleRate(), 48000.0);
  EXPECT_EQ(plug->GetBlockSize(), 256);
  EXPECT_TRUE(plug->lifecycle.empty());
}

// A host that declares one channel leaves channel 1 to its scratch buffers:
// a mono input reads the scratch buffer's silence, a mono output writes where
// nobody reads, and the host's second buffer is neither read nor written.
TEST_F(Adapter, MonoArrangementsLeaveChannelOneOnItsScratchBuffers) {
  Dispatch(effect, effSetBlockSize, 0, 64);  // zeroes the scratch buffers
  VstSpeakerArrangement mono = MakeArrangement(kSpeakerArrMono, 1);
  VstSpeakerArrangement stereo = MakeArrangement(kSpeakerArrStereo, 2);
  const VstIntPtr monoIn = reinterpret_cast<VstIntPtr>(&mono);
  const VstIntPtr stereoIn = reinterpret_cast<VstIntPtr>(&stereo);

  double in0[16], in1[16], out0[16], out1[16];
  float fin0[16], fin1[16], fout0[16], fout1[16];
  double* ins[2] = {in0, in1};
  double* outs[2] = {out0, out1};
  float* fins[2] = {fin0, fin1};
  float* fouts[2] = {fout0, fout1};
  auto fill = [&] {
    for (int i = 0; i < 16; ++i) {
      in0[i] = fin0[i] = 0.25f;
      in1[i] = fin1[i] = 0.5f;
      out0[i] = out1[i] = fout0[i] = fout1[i] = 9.0f;
    }
  };

  EXPECT_EQ(Dispatch(effect, effSetSpeakerArrangement, 0, monoIn, &stereo), 1);
  fill();
  effect->processDoubleReplacing(effect, ins, outs, 16);
  effect->processReplacing(effect, fins, fouts, 16);
  for (int i = 0; i < 16; ++i) {
    ASSERT_EQ(out0[i], 0.25);
    ASSERT_EQ(out1[i], 0.0);  // the pass-through copies input 1's silent scratch buffer
    ASSERT_EQ(fout0[i], 0.25f);
    ASSERT_EQ(fout1[i], 0.0f);
  }

  EXPECT_EQ(Dispatch(effect, effSetSpeakerArrangement, 0, stereoIn, &mono), 1);
  fill();
  effect->processDoubleReplacing(effect, ins, outs, 16);
  effect->processReplacing(effect, fins, fouts, 16);
  effect->process(effect, fins, fouts, 16);
  for (int i = 0; i < 16; ++i) {
    ASSERT_EQ(out0[i], 0.25);
    ASSERT_EQ(out1[i], 9.0);
    ASSERT_EQ(fout0[i], 0.5f);  // replaced, then accumulated
    ASSERT_EQ(fout1[i], 9.0f);
  }

  EXPECT_EQ(effect->numInputs, 2);
  EXPECT_EQ(effect->numOutputs, 2);
  VstSpeakerArrangement* inArr = nullptr;
  VstSpeakerArrangement* outArr = nullptr;
  EXPECT_EQ(Dispatch(effect, effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&inArr), &outArr), 1);
  ASSERT_NE(inArr, nullptr);
  ASSERT_NE(outArr, nullptr);
  EXPECT_EQ(inArr->numChannels, 2);  // the stored arrangements are not changed
  EXPECT_EQ(outArr->type, kSpeakerArrStereo);
  EXPECT_EQ(Dispatch(effect, effGetSpeakerArrangement, 0, 0, nullptr), 1);
}

// Channels pair up as stereo from the first; an even channel without a
// partner is a single pin.
TEST_F(Adapter, PinFlagsPairChannelsFromTheFirst) {
  const struct {
    const char* channelIO;
    std::vector<VstInt32> flags;
  } cases[] = {{"1-1 2-2", {3, 1}}, {"3-3", {3, 1, 1}}, {"4-4", {3, 1, 3, 1}}};
  for (const auto& c : cases) {
    Remake(TestOptions{c.channelIO, false, false});
    for (VstInt32 op : {effGetInputProperties, effGetOutputProperties}) {
      const std::string kind = op == effGetInputProperties ? "Input " : "Output ";
      for (int i = 0; i < static_cast<int>(c.flags.size()); ++i) {
        VstPinProperties pin;
        std::memset(&pin, 0x5A, sizeof(pin));
        EXPECT_EQ(Dispatch(effect, op, i, 0, &pin), 1);
        EXPECT_EQ(pin.flags, c.flags[i]) << c.channelIO << " pin " << i;
        EXPECT_EQ(pin.label, kind + std::to_string(i + 1));
        EXPECT_EQ(pin.arrangementType, 0x5A5A5A5A);  // no other field is written
        EXPECT_EQ(pin.shortLabel[0], 0x5A);
      }
      VstPinProperties beyond;
      EXPECT_EQ(Dispatch(effect, op, static_cast<VstInt32>(c.flags.size()), 0, &beyond), 0);
    }
  }
}

TEST_F(Adapter, ProcessingIgnoresMissingBuffersAndEmptyBlocks) {
  float out0[4] = {7, 7, 7, 7}, out1[4] = {7, 7, 7, 7};
  float* outs[2] = {out0, out1};
  effect->processReplacing(effect, nullptr, outs, 4);
  effect->processReplacing(effect, outs, outs, -4);
  effect->processReplacing(effect, outs, nullptr, 4);
  effect->process(effect, nullptr, outs, 4);
  effect->processDoubleReplacing(effect, nullptr, nullptr, 4);
  EXPECT_EQ(out0[3], 7.0f);
}

// ---- the instance lock ------------------------------------------------------------------

// Every host entry holds the instance lock for its whole duration: while
// another thread holds it, the entry waits.
TEST_F(Adapter, EveryHostEntryWaitsForTheInstanceLock) {
  float f[4] = {}, g0[4] = {}, g1[4] = {};
  double d[4] = {}, h0[4] = {}, h1[4] = {};
  float* fins[2] = {f, f};
  float* fouts[2] = {g0, g1};
  double* dins[2] = {d, d};
  double* douts[2] = {h0, h1};
  const struct {
    const char* name;
    std::function<void()> call;
  } entries[] = {
      {"dispatcher", [&] { Dispatch(effect, effGetVstVersion); }},
      {"setParameter", [&] { effect->setParameter(effect, 0, 0.5f); }},
      {"getParameter", [&] { effect->getParameter(effect, 0); }},
      {"process", [&] { effect->process(effect, fins, fouts, 4); }},
      {"processReplacing", [&] { effect->processReplacing(effect, fins, fouts, 4); }},
      {"processDoubleReplacing", [&] { effect->processDoubleReplacing(effect, dins, douts, 4); }},
  };
  for (const auto& entry : entries) EXPECT_TRUE(WaitsForLock(plug->Lock(), entry.call)) << entry.name;

  // effClose too, so that the object is not deleted under a running entry.
  EXPECT_TRUE(WaitsForLock(plug->Lock(), [&] { Dispatch(effect, effClose); }));
  effect = nullptr;
}

// A host may answer the automation of a knob by setting the parameter back
// from inside the callback, on the same thread and with the lock held.
TEST_F(Adapter, HostMaySetTheParameterFromInsideAutomation) {
  host.onCall = [&](VstInt32 opcode, VstInt32 index, float) {
    if (opcode == audioMasterAutomate) effect->setParameter(effect, index, 0.25f);
  };
  plug->changed.clear();
  FinishesOrAbort("setParameter inside audioMasterAutomate", [&] { plug->SetParamFromEditor(0, 0.75); });
  EXPECT_DOUBLE_EQ(Value(0), -50.0);  // the host's value, set last
  EXPECT_EQ(plug->changed, (std::vector<int>{0, 0}));
  EXPECT_EQ(host.Count(audioMasterAutomate), 1);
}

// ---- a missing host, a record without an object ---------------------------------------------

TEST(AdapterWithoutHost, HostCallsAnswerNothing) {
  TestEffect* plug = new TestEffect(nullptr);
  AEffect* effect = plug->GetAEffect();
  EXPECT_EQ(Dispatch(effect, effOpen), 0);
  EXPECT_EQ(plug->IdentifyHost(), kHostUnknown);
  EXPECT_EQ(plug->GetHostVersion(), 0);
  EXPECT_EQ(plug->GetHostSamplePos(), 0);
  EXPECT_EQ(plug->GetHostTempo(), 0.0);
  EXPECT_FALSE(plug->IsOffline());
  IMidiMessage msg;
  EXPECT_FALSE(plug->SendMidi(&msg));
  plug->SetParamFromEditor(0, 0.5);
  plug->BeginHostEdit(0);
  EXPECT_DOUBLE_EQ(plug->GetParam(0)->Value(), 0.0);
  Dispatch(effect, effClose);
}

TEST(AdapterWithoutHost, RecordWithoutObjectIsIgnored) {
  TestEffect plug(nullptr);
  AEffect copy = *plug.GetAEffect();
  copy.object = nullptr;
  char text[64] = "kept";
  EXPECT_EQ(Dispatch(&copy, effGetEffectName, 0, 0, text), 0);
  EXPECT_STREQ(text, "kept");
  EXPECT_EQ(Dispatch(&copy, effGetVstVersion), 0);
  EXPECT_EQ(Dispatch(&copy, effClose), 0);
  copy.setParameter(&copy, 0, 1.0f);
  EXPECT_EQ(copy.getParameter(&copy, 0), 0.0f);
  float* none[2] = {nullptr, nullptr};
  copy.processReplacing(&copy, none, none, 16);
  EXPECT_EQ(plug.GetParam(0)->Value(), 0.0);
}

}  // namespace
