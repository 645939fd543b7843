// What the layout checks of the VST 3 headers cannot see: the bytes of the
// ids on this system, the result codes, and the order and signatures of the
// vtable slots, reached the way a host reaches them (a table of function
// pointers read from the object, called with the object as first argument).

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <type_traits>

#include "framework/vst3/Vst3Base.h"
#include "framework/vst3/Vst3Controller.h"
#include "framework/vst3/Vst3Host.h"
#include "framework/vst3/Vst3Processor.h"
#include "framework/vst3/Vst3View.h"

using namespace vst3;

namespace {

// Set by the build from the target system, independently of the headers' own choice.
constexpr bool kWindows = MORVANE_TEST_WINDOWS != 0;

// ---- ids and result codes --------------------------------------------------------------

std::string Hex(const Uid& id) {
  std::string text;
  char byte[3];
  for (int8 b : id.bytes) {
    std::snprintf(byte, sizeof byte, "%02X", static_cast<unsigned>(static_cast<uint8>(b)));
    text += byte;
  }
  return text;
}

struct IdCase {
  const char* name;
  Uid id;
  const char* linuxBytes;    // the four words, each most significant byte first
  const char* windowsBytes;  // COM order; null where Windows hosts have no such interface
};

// The bytes in memory as our interface summary lists them for each system.
const IdCase kIds[] = {
    {"FUnknown", FUnknown::iid, "0000000000000000C000000000000046", "0000000000000000C000000000000046"},
    {"IPluginBase", IPluginBase::iid, "22888DDB156E45AE8358B34808190625", "DB8D88226E15AE458358B34808190625"},
    {"IPluginFactory", IPluginFactory::iid, "7A4D811C52114A1FAED9D2EE0B43BF9F", "1C814D7A11521F4AAED9D2EE0B43BF9F"},
    {"IPluginFactory2", IPluginFactory2::iid, "0007B650F24B4C0BA464EDB9F00B2ABB", "50B607004BF20B4CA464EDB9F00B2ABB"},
    {"IPluginFactory3", IPluginFactory3::iid, "4555A2ABC1234E579B12291036878931", "ABA2554523C1574E9B12291036878931"},
    {"IComponent", IComponent::iid, "E831FF31F2D54301928EBBEE25697802", "31FF31E8D5F20143928EBBEE25697802"},
    {"IAudioProcessor", IAudioProcessor::iid, "42043F99B7DA453CA569E79D9AAEC33D", "993F0442DAB73C45A569E79D9AAEC33D"},
    {"IAudioPresentationLatency", IAudioPresentationLatency::iid, "309ECE78EB7D4FAE8B2225D909FD08B6",
     "78CE9E307DEBAE4F8B2225D909FD08B6"},
    {"IProcessContextRequirements", IProcessContextRequirements::iid, "2A654303EF764E3D95B5FE83730EF6D0",
     "0343652A76EF3D4E95B5FE83730EF6D0"},
    {"IParameterChanges", IParameterChanges::iid, "A47796630BB64A56B44384A8466FEB9D",
     "639677A4B60B564AB44384A8466FEB9D"},
    {"IParamValueQueue", IParamValueQueue::iid, "01263A18ED074F6F98C9D3564686F9BA", "183A260107ED6F4F98C9D3564686F9BA"},
    {"IEditController", IEditController::iid, "DCD7BBE37742448DA874AACC979C759E", "E3BBD7DC42778D44A874AACC979C759E"},
    {"IEditController2", IEditController2::iid, "7F4EFE59F3204967AC27A3AEAFB63038", "59FE4E7F20F36749AC27A3AEAFB63038"},
    {"IComponentHandler", IComponentHandler::iid, "93A0BEA30BD045DB8E890B0CC1E46AC6",
     "A3BEA093D00BDB458E890B0CC1E46AC6"},
    {"IComponentHandler2", IComponentHandler2::iid, "F040B4B3A36045ECABCDC045B4D5A2CC",
     "B3B440F060A3EC45ABCDC045B4D5A2CC"},
    {"IConnectionPoint", IConnectionPoint::iid, "70A4156F6E6E4026989148BFAA60D8D1", "6F15A4706E6E2640989148BFAA60D8D1"},
    {"IMessage", IMessage::iid, "936F033BC6C047DBBB0882F813C1E613", "3B036F93C0C6DB47BB0882F813C1E613"},
    {"IAttributeList", IAttributeList::iid, "1E5F0AEBCC7F4533A254401138AD5EE4", "EB0A5F1E7FCC3345A254401138AD5EE4"},
    {"IHostApplication", IHostApplication::iid, "58E595CCDB2D49698B6AAF8C36A664E5", "CC95E5582DDB69498B6AAF8C36A664E5"},
    {"IPlugInterfaceSupport", IPlugInterfaceSupport::iid, "4FB58B9E9EAA4E0FAB361C1CCCB56FEA",
     "9E8BB54FAA9E0F4EAB361C1CCCB56FEA"},
    {"IBStream", IBStream::iid, "C3BF6EA2309947529B6BF9901EE33E9B", "A26EBFC3993052479B6BF9901EE33E9B"},
    {"ISizeableStream", ISizeableStream::iid, "04F9549EE02F4E6E87E86A8747F4E17F", "9E54F9042FE06E4E87E86A8747F4E17F"},
    {"IStreamAttributes", IStreamAttributes::iid, "D6CE2FFCEFAF4B8C9E74F1BB12DA44B4",
     "FC2FCED6AFEF8C4B9E74F1BB12DA44B4"},
    {"IPlugView", IPlugView::iid, "5BC32507D06049EAA6151B522B755B29", "0725C35B60D0EA49A6151B522B755B29"},
    {"IPlugFrame", IPlugFrame::iid, "367FAF01AFA946938D4DA2A0ED0882A3", "01AF7F36A9AF93468D4DA2A0ED0882A3"},
    {"IPlugViewContentScaleSupport", IPlugViewContentScaleSupport::iid, "65ED96908AC445258AADEF7A72EA703F",
     "9096ED65C48A25458AADEF7A72EA703F"},
    {"IParameterFinder", IParameterFinder::iid, "0F618302215D4587A512073C77B9D383", "0283610F5D218745A512073C77B9D383"},
    {"Linux::IRunLoop", Linux::IRunLoop::iid, "18C3536697764F1A9C5B83857A871389", nullptr},
    {"Linux::IEventHandler", Linux::IEventHandler::iid, "561E65C913A0496F813A2C35654D7983", nullptr},
    {"Linux::ITimerHandler", Linux::ITimerHandler::iid, "10BDD94F41424774821FAD8FECA72CA9", nullptr},
};

TEST(Vst3Ids, EveryInterfaceIdHasThisSystemsBytes) {
  for (const IdCase& c : kIds) {
    const char* expected = kWindows ? c.windowsBytes : c.linuxBytes;
    if (expected == nullptr) continue;
    EXPECT_EQ(Hex(c.id), expected) << c.name;
  }
}

TEST(Vst3Ids, MatchingComparesAllSixteenBytesAndRefusesNull) {
  Uid id = IComponent::iid;
  EXPECT_TRUE(UidMatches(id.bytes, IComponent::iid));
  id.bytes[15] ^= 1;
  EXPECT_FALSE(UidMatches(id.bytes, IComponent::iid));
  EXPECT_FALSE(UidMatches(nullptr, IComponent::iid));
}

TEST(Vst3Results, CodesAreThoseOfThisSystem) {
  EXPECT_EQ(kResultOk, 0);
  EXPECT_EQ(kResultTrue, 0);
  EXPECT_EQ(kResultFalse, 1);
  EXPECT_EQ(static_cast<uint32>(kNoInterface), kWindows ? 0x80004002u : static_cast<uint32>(-1));
  EXPECT_EQ(static_cast<uint32>(kInvalidArgument), kWindows ? 0x80070057u : 2u);
  EXPECT_EQ(static_cast<uint32>(kNotImplemented), kWindows ? 0x80004001u : 3u);
  EXPECT_EQ(static_cast<uint32>(kInternalError), kWindows ? 0x80004005u : 4u);
  EXPECT_EQ(static_cast<uint32>(kNotInitialized), kWindows ? 0x8000FFFFu : 5u);
  EXPECT_EQ(static_cast<uint32>(kOutOfMemory), kWindows ? 0x8007000Eu : 6u);
}

// ---- vtables ------------------------------------------------------------------------------
// Interfaces are a vtable pointer and nothing else.
template <typename... I>
constexpr bool kOnlyVtablePointer = ((sizeof(I) == sizeof(void*) && std::is_abstract_v<I>) && ...);
static_assert(kOnlyVtablePointer<FUnknown, IPluginBase, IBStream, ISizeableStream, IPluginFactory, IPluginFactory2,
                                 IPluginFactory3, IHostApplication, IPlugInterfaceSupport, IAttributeList, IMessage,
                                 IConnectionPoint, IComponent, IParamValueQueue, IParameterChanges, IAudioProcessor,
                                 IProcessContextRequirements, IAudioPresentationLatency, IComponentHandler,
                                 IComponentHandler2, IEditController, IEditController2, IPlugView, IPlugFrame,
                                 IPlugViewContentScaleSupport, IParameterFinder, Linux::IEventHandler,
                                 Linux::ITimerHandler, Linux::IRunLoop>,
              "interfaces carry no data");

// One argument as text: numbers by value, pointers by address.
template <typename T>
std::string ArgText(T value) {
  if constexpr (std::is_pointer_v<T>) {
    return "@" + std::to_string(reinterpret_cast<uintptr_t>(value));
  } else if constexpr (std::is_floating_point_v<T>) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", static_cast<double>(value));
    return text;
  } else {
    return std::to_string(static_cast<long long>(value));
  }
}

// A call as text: name(arg,arg,...).
template <typename... A>
std::string CallText(const char* name, A... args) {
  std::string text = std::string(name) + "(";
  ((text += ArgText(args) + ","), ...);
  return text + ")";
}

// What the probe's method at a slot answers: distinct per slot and per result type.
template <typename R>
R Answer(int slot) {
  if constexpr (std::is_void_v<R>) {
    return;
  } else if constexpr (std::is_pointer_v<R>) {
    return reinterpret_cast<R>(static_cast<uintptr_t>(0x1000 + 16 * slot));
  } else if constexpr (std::is_floating_point_v<R>) {
    return static_cast<R>(slot + 0.5);
  } else {
    return static_cast<R>(100 + slot);
  }
}

// A pointer of type T that is only passed on, never followed.
template <class T>
T* Token(int n) {
  return reinterpret_cast<T*>(static_cast<uintptr_t>(0x2000 + 16 * n));
}

// An implementation of Interface whose methods record their call and answer Answer(slot).
template <class Interface>
class Probe : public Interface {
 public:
  void* Object() { return static_cast<Interface*>(this); }
  std::string mLastCall;

  tresult PLUGIN_API queryInterface(const TUID id, void** obj) override {
    return Hit<tresult>(0, "queryInterface", id, obj);
  }
  uint32 PLUGIN_API addRef() override { return Hit<uint32>(1, "addRef"); }
  uint32 PLUGIN_API release() override { return Hit<uint32>(2, "release"); }

 protected:
  template <typename R, typename... A>
  R Hit(int slot, const char* name, A... args) {
    mLastCall = CallText(name, args...);
    return Answer<R>(slot);
  }
};

// Calls slot `slot` of the object's vtable as a host does and checks that the
// method `name` received the arguments and that its answer came back.
template <typename R, class P, typename... A>
void ExpectSlot(P& probe, int slot, const char* name, A... args) {
  typedef R(PLUGIN_API * Method)(void*, A...);
  void* object = probe.Object();
  Method method = reinterpret_cast<Method>((*static_cast<void***>(object))[slot]);
  probe.mLastCall.clear();
  if constexpr (std::is_void_v<R>) {
    method(object, args...);
  } else {
    EXPECT_EQ(method(object, args...), Answer<R>(slot)) << "slot " << slot << " " << name;
  }
  EXPECT_EQ(probe.mLastCall, CallText(name, args...)) << "slot " << slot;
}

struct ComponentProbe : Probe<IComponent> {
  tresult PLUGIN_API initialize(FUnknown* c) override { return Hit<tresult>(3, "initialize", c); }
  tresult PLUGIN_API terminate() override { return Hit<tresult>(4, "terminate"); }
  tresult PLUGIN_API getControllerClassId(TUID id) override { return Hit<tresult>(5, "getControllerClassId", id); }
  tresult PLUGIN_API setIoMode(IoMode m) override { return Hit<tresult>(6, "setIoMode", m); }
  int32 PLUGIN_API getBusCount(MediaType t, BusDirection d) override { return Hit<int32>(7, "getBusCount", t, d); }
  tresult PLUGIN_API getBusInfo(MediaType t, BusDirection d, int32 i, BusInfo* b) override {
    return Hit<tresult>(8, "getBusInfo", t, d, i, b);
  }
  tresult PLUGIN_API getRoutingInfo(RoutingInfo* in, RoutingInfo* out) override {
    return Hit<tresult>(9, "getRoutingInfo", in, out);
  }
  tresult PLUGIN_API activateBus(MediaType t, BusDirection d, int32 i, TBool s) override {
    return Hit<tresult>(10, "activateBus", t, d, i, s);
  }
  tresult PLUGIN_API setActive(TBool s) override { return Hit<tresult>(11, "setActive", s); }
  tresult PLUGIN_API setState(IBStream* s) override { return Hit<tresult>(12, "setState", s); }
  tresult PLUGIN_API getState(IBStream* s) override { return Hit<tresult>(13, "getState", s); }
};

TEST(Vst3Vtables, ComponentAfterUnknownAndPluginBase) {
  ComponentProbe p;
  char id[16] = {};
  void* obj = nullptr;
  BusInfo bus{};
  RoutingInfo routing[2] = {};
  ExpectSlot<tresult>(p, 0, "queryInterface", static_cast<const char*>(id), &obj);
  ExpectSlot<uint32>(p, 1, "addRef");
  ExpectSlot<uint32>(p, 2, "release");
  ExpectSlot<tresult>(p, 3, "initialize", static_cast<FUnknown*>(&p));
  ExpectSlot<tresult>(p, 4, "terminate");
  ExpectSlot<tresult>(p, 5, "getControllerClassId", static_cast<char*>(id));
  ExpectSlot<tresult>(p, 6, "setIoMode", int32{kAdvanced});
  ExpectSlot<int32>(p, 7, "getBusCount", int32{kAudio}, int32{kOutput});
  ExpectSlot<tresult>(p, 8, "getBusInfo", int32{kEvent}, int32{kOutput}, int32{-7}, &bus);
  ExpectSlot<tresult>(p, 9, "getRoutingInfo", &routing[0], &routing[1]);
  ExpectSlot<tresult>(p, 10, "activateBus", int32{kAudio}, int32{kOutput}, int32{3}, TBool{1});
  ExpectSlot<tresult>(p, 11, "setActive", TBool{1});
  ExpectSlot<tresult>(p, 12, "setState", Token<IBStream>(1));
  ExpectSlot<tresult>(p, 13, "getState", Token<IBStream>(2));
}

struct ProcessorProbe : Probe<IAudioProcessor> {
  tresult PLUGIN_API setBusArrangements(SpeakerArrangement* i, int32 ni, SpeakerArrangement* o, int32 no) override {
    return Hit<tresult>(3, "setBusArrangements", i, ni, o, no);
  }
  tresult PLUGIN_API getBusArrangement(BusDirection d, int32 i, SpeakerArrangement* a) override {
    return Hit<tresult>(4, "getBusArrangement", d, i, a);
  }
  tresult PLUGIN_API canProcessSampleSize(int32 s) override { return Hit<tresult>(5, "canProcessSampleSize", s); }
  uint32 PLUGIN_API getLatencySamples() override { return Hit<uint32>(6, "getLatencySamples"); }
  tresult PLUGIN_API setupProcessing(ProcessSetup* s) override { return Hit<tresult>(7, "setupProcessing", s); }
  tresult PLUGIN_API setProcessing(TBool s) override { return Hit<tresult>(8, "setProcessing", s); }
  tresult PLUGIN_API process(ProcessData* d) override { return Hit<tresult>(9, "process", d); }
  uint32 PLUGIN_API getTailSamples() override { return Hit<uint32>(10, "getTailSamples"); }
};

TEST(Vst3Vtables, AudioProcessor) {
  ProcessorProbe p;
  SpeakerArrangement arr[3] = {};
  ProcessSetup setup{};
  ProcessData data{};
  ExpectSlot<tresult>(p, 3, "setBusArrangements", &arr[0], int32{1}, &arr[1], int32{2});
  ExpectSlot<tresult>(p, 4, "getBusArrangement", int32{kOutput}, int32{5}, &arr[2]);
  ExpectSlot<tresult>(p, 5, "canProcessSampleSize", int32{kSample64});
  ExpectSlot<uint32>(p, 6, "getLatencySamples");
  ExpectSlot<tresult>(p, 7, "setupProcessing", &setup);
  ExpectSlot<tresult>(p, 8, "setProcessing", TBool{0});
  ExpectSlot<tresult>(p, 9, "process", &data);
  ExpectSlot<uint32>(p, 10, "getTailSamples");
}

struct QueueProbe : Probe<IParamValueQueue> {
  ParamID PLUGIN_API getParameterId() override { return Hit<ParamID>(3, "getParameterId"); }
  int32 PLUGIN_API getPointCount() override { return Hit<int32>(4, "getPointCount"); }
  tresult PLUGIN_API getPoint(int32 i, int32* o, ParamValue* v) override {
    return Hit<tresult>(5, "getPoint", i, o, v);
  }
  tresult PLUGIN_API addPoint(int32 o, ParamValue v, int32* i) override { return Hit<tresult>(6, "addPoint", o, v, i); }
};

TEST(Vst3Vtables, ParamValueQueue) {
  QueueProbe p;
  int32 offset = 0;
  ParamValue value = 0;
  ExpectSlot<ParamID>(p, 3, "getParameterId");
  ExpectSlot<int32>(p, 4, "getPointCount");
  ExpectSlot<tresult>(p, 5, "getPoint", int32{2}, &offset, &value);
  ExpectSlot<tresult>(p, 6, "addPoint", int32{63}, ParamValue{0.125}, &offset);
}

struct ControllerProbe : Probe<IEditController> {
  tresult PLUGIN_API initialize(FUnknown* c) override { return Hit<tresult>(3, "initialize", c); }
  tresult PLUGIN_API terminate() override { return Hit<tresult>(4, "terminate"); }
  tresult PLUGIN_API setComponentState(IBStream* s) override { return Hit<tresult>(5, "setComponentState", s); }
  tresult PLUGIN_API setState(IBStream* s) override { return Hit<tresult>(6, "setState", s); }
  tresult PLUGIN_API getState(IBStream* s) override { return Hit<tresult>(7, "getState", s); }
  int32 PLUGIN_API getParameterCount() override { return Hit<int32>(8, "getParameterCount"); }
  tresult PLUGIN_API getParameterInfo(int32 i, ParameterInfo* info) override {
    return Hit<tresult>(9, "getParameterInfo", i, info);
  }
  tresult PLUGIN_API getParamStringByValue(ParamID id, ParamValue v, String128 s) override {
    return Hit<tresult>(10, "getParamStringByValue", id, v, s);
  }
  tresult PLUGIN_API getParamValueByString(ParamID id, TChar* s, ParamValue* v) override {
    return Hit<tresult>(11, "getParamValueByString", id, s, v);
  }
  ParamValue PLUGIN_API normalizedParamToPlain(ParamID id, ParamValue v) override {
    return Hit<ParamValue>(12, "normalizedParamToPlain", id, v);
  }
  ParamValue PLUGIN_API plainParamToNormalized(ParamID id, ParamValue v) override {
    return Hit<ParamValue>(13, "plainParamToNormalized", id, v);
  }
  ParamValue PLUGIN_API getParamNormalized(ParamID id) override {
    return Hit<ParamValue>(14, "getParamNormalized", id);
  }
  tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue v) override {
    return Hit<tresult>(15, "setParamNormalized", id, v);
  }
  tresult PLUGIN_API setComponentHandler(IComponentHandler* h) override {
    return Hit<tresult>(16, "setComponentHandler", h);
  }
  IPlugView* PLUGIN_API createView(FIDString name) override { return Hit<IPlugView*>(17, "createView", name); }
};

TEST(Vst3Vtables, EditControllerAfterPluginBase) {
  ControllerProbe p;
  ParameterInfo info{};
  String128 text = {};
  ParamValue value = 0;
    ExpectSlot<tresult>(p, 3, "initialize", static_cast<FUnknown*>(&p));
  ExpectSlot<tresult>(p, 4, "terminate");
  ExpectSlot<tresult>(p, 5, "setComponentState", Token<IBStream>(3));
  ExpectSlot<tresult>(p, 6, "setState", Token<IBStream>(4));
  ExpectSlot<tresult>(p, 7, "getState", Token<IBStream>(5));
  ExpectSlot<int32>(p, 8, "getParameterCount");
  ExpectSlot<tresult>(p, 9, "getParameterInfo", int32{4}, &info);
  ExpectSlot<tresult>(p, 10, "getParamStringByValue", ParamID{0x7FFFFFFF}, ParamValue{0.75}, &text[0]);
  ExpectSlot<tresult>(p, 11, "getParamValueByString", ParamID{9}, &text[0], &value);
  ExpectSlot<ParamValue>(p, 12, "normalizedParamToPlain", ParamID{1}, ParamValue{0.25});
  ExpectSlot<ParamValue>(p, 13, "plainParamToNormalized", ParamID{2}, ParamValue{-12.5});
  ExpectSlot<ParamValue>(p, 14, "getParamNormalized", ParamID{kNoParamId});
  ExpectSlot<tresult>(p, 15, "setParamNormalized", ParamID{3}, ParamValue{1.0 / 3.0});
  ExpectSlot<tresult>(p, 16, "setComponentHandler", Token<IComponentHandler>(1));
  ExpectSlot<IPlugView*>(p, 17, "createView", static_cast<FIDString>(kEditorViewType));
}

struct ViewProbe : Probe<IPlugView> {
  tresult PLUGIN_API isPlatformTypeSupported(FIDString t) override {
    return Hit<tresult>(3, "isPlatformTypeSupported", t);
  }
  tresult PLUGIN_API attached(void* parent, FIDString t) override { return Hit<tresult>(4, "attached", parent, t); }
  tresult PLUGIN_API removed() override { return Hit<tresult>(5, "removed"); }
  tresult PLUGIN_API onWheel(float d) override { return Hit<tresult>(6, "onWheel", d); }
  tresult PLUGIN_API onKeyDown(char16 k, int16 c, int16 m) override { return Hit<tresult>(7, "onKeyDown", k, c, m); }
  tresult PLUGIN_API onKeyUp(char16 k, int16 c, int16 m) override { return Hit<tresult>(8, "onKeyUp", k, c, m); }
  tresult PLUGIN_API getSize(ViewRect* r) override { return Hit<tresult>(9, "getSize", r); }
  tresult PLUGIN_API onSize(ViewRect* r) override { return Hit<tresult>(10, "onSize", r); }
  tresult PLUGIN_API onFocus(TBool s) override { return Hit<tresult>(11, "onFocus", s); }
  tresult PLUGIN_API setFrame(IPlugFrame* f) override { return Hit<tresult>(12, "setFrame", f); }
  tresult PLUGIN_API canResize() override { return Hit<tresult>(13, "canResize"); }
  tresult PLUGIN_API checkSizeConstraint(ViewRect* r) override { return Hit<tresult>(14, "checkSizeConstraint", r); }
};

TEST(Vst3Vtables, PlugView) {
  ViewProbe p;
  ViewRect rect[3] = {};
  int parent = 0;
  ExpectSlot<tresult>(p, 3, "isPlatformTypeSupported", static_cast<FIDString>(kPlatformTypeHWND));
  ExpectSlot<tresult>(p, 4, "attached", static_cast<void*>(&parent),
                      static_cast<FIDString>(kPlatformTypeX11EmbedWindowID));
  ExpectSlot<tresult>(p, 5, "removed");
  ExpectSlot<tresult>(p, 6, "onWheel", -1.5f);
  ExpectSlot<tresult>(p, 7, "onKeyDown", char16{u'\u00e9'}, int16{-3}, int16{kShiftKey | kCommandKey});
  ExpectSlot<tresult>(p, 8, "onKeyUp", char16{u'a'}, int16{27}, int16{kControlKey});
  ExpectSlot<tresult>(p, 9, "getSize", &rect[0]);
  ExpectSlot<tresult>(p, 10, "onSize", &rect[1]);
  ExpectSlot<tresult>(p, 11, "onFocus", TBool{1});
  ExpectSlot<tresult>(p, 12, "setFrame", Token<IPlugFrame>(1));
  ExpectSlot<tresult>(p, 13, "canResize");
  ExpectSlot<tresult>(p, 14, "checkSizeConstraint", &rect[2]);
}

struct FactoryProbe : Probe<IPluginFactory3> {
  tresult PLUGIN_API getFactoryInfo(PFactoryInfo* i) override { return Hit<tresult>(3, "getFactoryInfo", i); }
  int32 PLUGIN_API countClasses() override { return Hit<int32>(4, "countClasses"); }
  tresult PLUGIN_API getClassInfo(int32 n, PClassInfo* i) override { return Hit<tresult>(5, "getClassInfo", n, i); }
  tresult PLUGIN_API createInstance(FIDString cid, FIDString iid, void** obj) override {
    return Hit<tresult>(6, "createInstance", cid, iid, obj);
  }
  tresult PLUGIN_API getClassInfo2(int32 n, PClassInfo2* i) override { return Hit<tresult>(7, "getClassInfo2", n, i); }
  tresult PLUGIN_API getClassInfoUnicode(int32 n, PClassInfoW* i) override {
    return Hit<tresult>(8, "getClassInfoUnicode", n, i);
  }
  tresult PLUGIN_API setHostContext(FUnknown* c) override { return Hit<tresult>(9, "setHostContext", c); }
};

TEST(Vst3Vtables, PluginFactoryThroughVersionThree) {
  FactoryProbe p;
  PFactoryInfo factory{};
  PClassInfo info1{};
  PClassInfo2 info2{};
  PClassInfoW infoW{};
  void* obj = nullptr;
  ExpectSlot<tresult>(p, 3, "getFactoryInfo", &factory);
  ExpectSlot<int32>(p, 4, "countClasses");
  ExpectSlot<tresult>(p, 5, "getClassInfo", int32{1}, &info1);
  ExpectSlot<tresult>(p, 6, "createInstance", static_cast<FIDString>(IComponent::iid.bytes),
                      static_cast<FIDString>(IAudioProcessor::iid.bytes), &obj);
  ExpectSlot<tresult>(p, 7, "getClassInfo2", int32{2}, &info2);
  ExpectSlot<tresult>(p, 8, "getClassInfoUnicode", int32{3}, &infoW);
  ExpectSlot<tresult>(p, 9, "setHostContext", static_cast<FUnknown*>(&p));
}

}  // namespace
