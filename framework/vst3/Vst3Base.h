#pragma once
// The types, result codes, ids, base interfaces, streams, factory and module
// entry points of the VST 3 plug-in interface, written from our own summary of
// the published interface. Hosts built against any other declaration of it
// call through these vtables and read these records byte for byte, so:
// - an interface holds only pure virtual methods: no data, no virtual
//   destructor, no overloads; versions extend by single inheritance, and the
//   vtable is the inherited slots followed by the methods in declaration
//   order. Each method's comment starts with its slot.
// - every record carries static_asserts of its size, alignment and field
//   offsets for x86-64 (Linux and Windows) and for x86 Windows. Records have
//   their natural layout: no pack pragma anywhere.
// - what differs between the targets (calling convention, byte order of ids,
//   result codes) is chosen once, below.
// Names follow the interface's own spelling, inside namespace vst3, so that
// the adapter reads like the interface it speaks. Arguments the interface
// passes by reference are declared as the pointers they are in the binary
// interface.
//
// Thread tags on methods, as framework/ThreadTags.h defines them; here they
// name the thread the host calls from (or, on host objects, the thread the
// plug-in must call from).
//
// References: new objects start with a count of 1, owned by their creator.
// Whatever a method returns through queryInterface, createInstance,
// createView or GetPluginFactory carries a reference for the caller, who
// releases it. Interface pointers passed in as arguments are borrowed for the
// call: keep one only with addRef, and release it at the matching teardown.

#include <cstddef>
#include <cstdint>
#include <cstring>

// ---- targets ---------------------------------------------------------------------
// x86-64 Linux, x86-64 Windows and x86 Windows. 32-bit Linux is no VST 3
// target, and its ABI aligns 8-byte fields to 4, so the records below would
// not have the layout any host uses: it is refused rather than assumed.
#if defined(__x86_64__) || defined(_M_X64)
#define MORVANE_VST3_64BIT 1
#elif defined(_WIN32) && (defined(__i386__) || defined(_M_IX86))
#define MORVANE_VST3_64BIT 0
#else
#error "VST 3 declarations: the targets are x86-64 (Linux, Windows) and x86 Windows"
#endif

// The calling convention of every interface method and of GetPluginFactory:
// stdcall on 32-bit Windows (arguments right to left with `this` as the first
// one, on the stack; the callee pops them), the platform's only convention
// elsewhere. GCC's spelling is the attribute itself, which needs none of the
// Windows headers' macros, whatever a file includes first.
#if defined(_WIN32) && defined(__GNUC__) && defined(__i386__)
#define PLUGIN_API __attribute__((__stdcall__))
#elif defined(_M_IX86)
#define PLUGIN_API __stdcall
#else
#define PLUGIN_API
#endif

namespace vst3 {

// Windows lays out ids in COM's order and answers COM's result codes; the OS
// decides this, not the processor.
#if defined(_WIN32)
constexpr bool kComConventions = true;
#else
constexpr bool kComConventions = false;
#endif

// ---- basic types -------------------------------------------------------------------

typedef char int8;  // plain char, as the interface declares it
typedef uint8_t uint8;
typedef int16_t int16;
typedef uint16_t uint16;
typedef int32_t int32;
typedef uint32_t uint32;
typedef int64_t int64;
typedef uint64_t uint64;

typedef int32 tresult;  // result code, see below: success is exactly kResultOk (0)
typedef uint8 TBool;    // 0 or 1; never a C++ bool in a record or argument
typedef char char8;
typedef char16_t char16;  // UTF-16 code unit; wchar_t is 4 bytes on Linux
typedef char16 TChar;
typedef char16 String128[128];  // NUL-terminated, at most 127 units
typedef const char8* FIDString;
typedef int8 TUID[16];  // an id's 16 raw bytes; passed as a pointer to them
typedef int64 TSize;

typedef uint32 ParamID;          // a parameter's id
typedef double ParamValue;       // a parameter's normalized value, 0 to 1
typedef double SampleRate;       // Hz
typedef int64 TSamples;          // a sample count or position
typedef double TQuarterNotes;    // a musical position or length
typedef float Sample32;
typedef double Sample64;
typedef uint64 Speaker;             // one speaker bit
typedef uint64 SpeakerArrangement;  // a set of speaker bits; the channel count is the number of bits set
typedef int32 MediaType;            // MediaTypes
typedef int32 BusDirection;         // BusDirections
typedef int32 BusType;              // BusTypes
typedef int32 IoMode;               // IoModes
typedef int32 UnitID;               // a unit's id; kRootUnitId without unit support
typedef int32 KnobMode;             // KnobModes

// Parameter ids a plug-in may use; the upper half is reserved for hosts.
constexpr ParamID kMaxPluginParamId = 0x7FFFFFFF;
// "No parameter"; hosts may send it in parameter changes, to be ignored.
constexpr ParamID kNoParamId = 0xFFFFFFFF;

// ---- result codes -------------------------------------------------------------------
// Success is exactly 0, and hosts compare with kResultOk: a C++ true (1) reads
// as kResultFalse. Windows answers COM's HRESULT values, other systems small
// negative and positive numbers.

constexpr tresult kResultOk = 0;
constexpr tresult kResultTrue = kResultOk;
constexpr tresult kResultFalse = 1;
constexpr tresult kNoInterface = kComConventions ? static_cast<tresult>(0x80004002u) : -1;
constexpr tresult kInvalidArgument = kComConventions ? static_cast<tresult>(0x80070057u) : 2;
constexpr tresult kNotImplemented = kComConventions ? static_cast<tresult>(0x80004001u) : 3;
constexpr tresult kInternalError = kComConventions ? static_cast<tresult>(0x80004005u) : 4;
constexpr tresult kNotInitialized = kComConventions ? static_cast<tresult>(0x8000FFFFu) : 5;
constexpr tresult kOutOfMemory = kComConventions ? static_cast<tresult>(0x8007000Eu) : 6;

// ---- ids ------------------------------------------------------------------------------
// Interface and class ids are written as four 32-bit words l1 l2 l3 l4; the
// textual form (32 upper-case hex digits, l1 to l4) is the same on every
// system, the bytes in memory are not.

// An id's 16 bytes as they lie in memory on this target.
struct Uid {
  int8 bytes[16];
};

// Lays out the id l1 l2 l3 l4. Windows uses COM's GUID order: l1, then the high
// and the low half of l2, each least significant byte first, then l3 and l4
// most significant byte first. Other systems put the four words in sequence,
// each most significant byte first.
constexpr Uid MakeUid(uint32 l1, uint32 l2, uint32 l3, uint32 l4) {
  const uint32 words[4] = {l1, l2, l3, l4};
  // Shift of each of the first eight bytes within its word, in COM's order.
  const int comShifts[8] = {0, 8, 16, 24, 16, 24, 0, 8};
  Uid id{};
  for (int i = 0; i < 16; ++i) {
    const int shift = (kComConventions && i < 8) ? comShifts[i] : 24 - 8 * (i % 4);
    id.bytes[i] = static_cast<int8>((words[i / 4] >> shift) & 0xFF);
  }
  return id;
}

// Whether the 16 bytes at `bytes` (an id a host passed in; null never matches)
// are the id `id`.
inline bool UidMatches(const int8* bytes, const Uid& id) {
  return bytes != nullptr && std::memcmp(bytes, id.bytes, sizeof id.bytes) == 0;
}

// ---- FUnknown ------------------------------------------------------------------------------

// The root of every interface (COM's IUnknown). Counts are atomic: hosts may
// addRef and release from the audio thread.
class FUnknown {
 public:
  // 0 [any thread] id: 16 bytes. Success: stores the interface's pointer (the sub-object
  // of that interface), adds a reference and answers kResultOk; otherwise stores
  // null and answers kNoInterface.
  virtual tresult PLUGIN_API queryInterface(const TUID id, void** obj) = 0;
  // 1 [any thread] adds a reference; answers the new count.
  virtual uint32 PLUGIN_API addRef() = 0;
  // 2 [any thread] drops a reference; answers the new count, and the object deletes itself at 0.
  virtual uint32 PLUGIN_API release() = 0;

  static constexpr Uid iid = MakeUid(0x00000000, 0x00000000, 0xC0000000, 0x00000046);
};

// ---- IPluginBase --------------------------------------------------------------------------

// The first interface of the component and of the edit controller.
class IPluginBase : public FUnknown {
 public:
  // 3 [ui] context: the host's object, borrowed, offering IHostApplication.
  // Allocation belongs here, not in the constructor. May follow terminate.
  virtual tresult PLUGIN_API initialize(FUnknown* context) = 0;
  // 4 [ui] releases every host interface held; the object may be initialized again.
  virtual tresult PLUGIN_API terminate() = 0;

  static constexpr Uid iid = MakeUid(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);
};

// ---- streams ----------------------------------------------------------------------------------
// State streams are host objects, borrowed for the call. Reads may come up
// short with kResultOk, and a stream may be a window onto a larger file: read
// sequentially from the current position and check the counts.

class IBStream : public FUnknown {
 public:
  // Origins of seek.
  enum IStreamSeekMode : int32 {
    kIBSeekSet = 0,  // from the start
    kIBSeekCur = 1,  // from the current position
    kIBSeekEnd = 2,  // from the end
  };

  // 3 [ui] reads up to numBytes into buffer; numBytesRead (may be null) receives the count.
  virtual tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) = 0;
  // 4 [ui] writes numBytes from buffer; numBytesWritten (may be null) receives the count.
  virtual tresult PLUGIN_API write(void* buffer, int32 numBytes, int32* numBytesWritten) = 0;
  // 5 [ui] moves the position shared by read and write; newPos (may be null) receives it.
  virtual tresult PLUGIN_API seek(int64 pos, int32 mode, int64* newPos) = 0;
  // 6 [ui] the current position.
  virtual tresult PLUGIN_API tell(int64* pos) = 0;

  static constexpr Uid iid = MakeUid(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);
};

// Optional on a stream (query it); nothing may rely on it.
class ISizeableStream : public FUnknown {
 public:
  // 3 [ui] the stream's size in bytes.
  virtual tresult PLUGIN_API getStreamSize(int64* size) = 0;
  // 4 [ui] sets the stream's size in bytes.
  virtual tresult PLUGIN_API setStreamSize(int64 size) = 0;

  static constexpr Uid iid = MakeUid(0x04F9549E, 0xE02F4E6E, 0x87E86A87, 0x47F4E17F);
};

// Optional attributes of a state stream. Only its id is declared: this
// plug-in neither queries nor calls it.
class IStreamAttributes : public FUnknown {
 public:
  static constexpr Uid iid = MakeUid(0xD6CE2FFC, 0xEFAF4B8C, 0x9E74F1BB, 0x12DA44B4);
};

// ---- factory ------------------------------------------------------------------------------------
// Text fields are NUL-terminated within their arrays.

// The factory's identity.
struct PFactoryInfo {
  // Bits of flags.
  enum FactoryFlags : int32 {
    kNoFlags = 0,
    kClassesDiscardable = 1 << 0,       // classes may be unloaded while no instance lives
    kLicenseCheck = 1 << 1,             // deprecated
    kComponentNonDiscardable = 1 << 3,  // the module stays loaded while a component lives
    kUnicode = 1 << 4,                  // text comes from getClassInfoUnicode; VST 3 factories set it
  };
  // Array sizes in bytes.
  enum : int32 { kNameSize = 64, kURLSize = 256, kEmailSize = 128 };

  char8 vendor[kNameSize];
  char8 url[kURLSize];
  char8 email[kEmailSize];
  int32 flags;  // FactoryFlags
};

// Values of a class's cardinality.
enum ClassCardinality : int32 {
  kManyInstances = 0x7FFFFFFF,  // any number of instances
};

// Bits of a class's classFlags.
enum ComponentFlags : uint32 {
  kDistributable = 1 << 0,        // processor and controller may run on different machines
  kSimpleModeSupported = 1 << 1,  // usable in a host's simple mode
};

// Array sizes of the class records, in units of their text type.
enum ClassInfoSizes : int32 {
  kClassCategorySize = 32,
  kClassNameSize = 64,
  kClassSubCategoriesSize = 128,  // '|'-joined, at most 127 characters
  kClassVendorSize = 64,
  kClassVersionSize = 64,
};

// A class, as the first factory version describes it.
struct PClassInfo {
  TUID cid;          // the class id, in this target's byte order
  int32 cardinality; // ClassCardinality
  char8 category[kClassCategorySize];  // kVstAudioEffectClass or kVstComponentControllerClass
  char8 name[kClassNameSize];
};

// A class with vendor, versions and subcategories (IPluginFactory2).
struct PClassInfo2 {
  TUID cid;
  int32 cardinality;
  char8 category[kClassCategorySize];
  char8 name[kClassNameSize];
  uint32 classFlags;                              // ComponentFlags; 0 for a controller class
  char8 subCategories[kClassSubCategoriesSize];   // e.g. "Fx|Dynamics"; empty for a controller class
  char8 vendor[kClassVendorSize];                 // empty: the factory's vendor
  char8 version[kClassVersionSize];               // e.g. "1.0.0"
  char8 sdkVersion[kClassVersionSize];            // kVstVersionString
};

// PClassInfo2 with UTF-16 names (IPluginFactory3); subCategories stay 8-bit.
struct PClassInfoW {
  TUID cid;
  int32 cardinality;
  char8 category[kClassCategorySize];
  char16 name[kClassNameSize];
  uint32 classFlags;
  char8 subCategories[kClassSubCategoriesSize];
  char16 vendor[kClassVendorSize];
  char16 version[kClassVersionSize];
  char16 sdkVersion[kClassVersionSize];
};

// Categories of factory classes.
constexpr char kVstAudioEffectClass[] = "Audio Module Class";                // the processor (component)
constexpr char kVstComponentControllerClass[] = "Component Controller Class";  // a separate controller

// Subcategories of effects, joined with '|' and optionally followed by a
// channel tag, e.g. "Fx|Dynamics|Stereo".
namespace PlugType {
constexpr char kFx[] = "Fx";
constexpr char kFxAnalyzer[] = "Fx|Analyzer";
constexpr char kFxDelay[] = "Fx|Delay";
constexpr char kFxDistortion[] = "Fx|Distortion";
constexpr char kFxDynamics[] = "Fx|Dynamics";
constexpr char kFxEQ[] = "Fx|EQ";
constexpr char kFxFilter[] = "Fx|Filter";
constexpr char kFxMastering[] = "Fx|Mastering";
constexpr char kFxModulation[] = "Fx|Modulation";
constexpr char kFxReverb[] = "Fx|Reverb";
constexpr char kFxSpatial[] = "Fx|Spatial";
constexpr char kFxTools[] = "Fx|Tools";
constexpr char kMono[] = "Mono";
constexpr char kStereo[] = "Stereo";
constexpr char kSurround[] = "Surround";
}  // namespace PlugType

// The interface version a class declares in sdkVersion. From 3.7 on, hosts and
// the validator require IProcessContextRequirements on the component.
constexpr char kVstVersionString[] = "VST 3.8.0";

// Hosts try getClassInfoUnicode, then getClassInfo2, then getClassInfo: the
// three must describe the same classes. A bad index answers kInvalidArgument.
class IPluginFactory : public FUnknown {
 public:
  // 3 [ui] fills the factory's identity.
  virtual tresult PLUGIN_API getFactoryInfo(PFactoryInfo* info) = 0;
  // 4 [ui] the number of classes.
  virtual int32 PLUGIN_API countClasses() = 0;
  // 5 [ui] fills class index's description.
  virtual tresult PLUGIN_API getClassInfo(int32 index, PClassInfo* info) = 0;
  // 6 [ui] cid and iid: 16 raw bytes each, not text. Creates the class and answers
  // its interface iid with one reference for the caller; on failure stores null
  // and answers kNoInterface.
  virtual tresult PLUGIN_API createInstance(FIDString cid, FIDString iid, void** obj) = 0;

  static constexpr Uid iid = MakeUid(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);
};

class IPluginFactory2 : public IPluginFactory {
 public:
  // 7 [ui] fills class index's extended description.
  virtual tresult PLUGIN_API getClassInfo2(int32 index, PClassInfo2* info) = 0;

  static constexpr Uid iid = MakeUid(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);
};

class IPluginFactory3 : public IPluginFactory2 {
 public:
  // 8 [ui] fills class index's description with UTF-16 names.
  virtual tresult PLUGIN_API getClassInfoUnicode(int32 index, PClassInfoW* info) = 0;
  // 9 [ui] context: any host object, borrowed (on Linux it may offer only
  // IRunLoop); query what is needed and answer kResultOk.
  virtual tresult PLUGIN_API setHostContext(FUnknown* context) = 0;

  static constexpr Uid iid = MakeUid(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);
};

// ---- module entry points ----------------------------------------------------------------------
// All are extern "C". Hosts call them in this order:
// 1. on Windows InitDll (optional) right after loading; on Linux ModuleEntry
//    (mandatory) right after dlopen. False aborts the load.
// 2. GetPluginFactory, possibly more than once.
// 3. after releasing the factory, ExitDll (Windows, optional) or ModuleExit
//    (Linux, mandatory), before unloading.
// Entry and exit calls may repeat: only the first entry initializes and only
// the last exit cleans up. The Linux host refuses a module missing any of
// GetPluginFactory, ModuleEntry and ModuleExit.

// GetPluginFactory: the factory with a reference for the caller (a singleton
// made once and addRef'ed on later calls), or null. Exported undecorated on
// x86 Windows as well.
typedef IPluginFactory*(PLUGIN_API* GetFactoryProc)();
// InitDll and ExitDll (Windows, cdecl): true lets the load or unload go on.
typedef bool (*InitModuleProc)();
typedef bool (*ExitModuleProc)();
// ModuleEntry (Linux): takes the dlopen handle; true lets the load go on.
typedef bool (*ModuleEntryProc)(void* sharedLibraryHandle);
// ModuleExit (Linux): true when done.
typedef bool (*ModuleExitProc)();

// The exported names.
constexpr char kGetFactoryProcName[] = "GetPluginFactory";
constexpr char kInitModuleProcName[] = "InitDll";
constexpr char kExitModuleProcName[] = "ExitDll";
constexpr char kModuleEntryProcName[] = "ModuleEntry";
constexpr char kModuleExitProcName[] = "ModuleExit";

// ---- binary layout checks ---------------------------------------------------------------------

}  // namespace vst3

// Size and alignment of a record, and the offset of a field, on x86-64 and on
// x86 Windows.
#define MORVANE_VST3_LAYOUT(Rec, size64, align64, size86, align86)                                  \
  static_assert(sizeof(Rec) == (MORVANE_VST3_64BIT ? (size64) : (size86)), "sizeof (" #Rec ")"); \
  static_assert(alignof(Rec) == (MORVANE_VST3_64BIT ? (align64) : (align86)), "alignof (" #Rec ")")
#define MORVANE_VST3_OFFSET(Rec, field, off64, off86) \
  static_assert(offsetof(Rec, field) == (MORVANE_VST3_64BIT ? (off64) : (off86)), #Rec "::" #field " offset")

namespace vst3 {

static_assert(sizeof(void*) == (MORVANE_VST3_64BIT ? 8 : 4), "pointer size of the target");
static_assert(sizeof(float) == 4 && sizeof(double) == 8, "IEEE single and double");
static_assert(sizeof(TBool) == 1 && sizeof(char16) == 2 && sizeof(String128) == 256, "text and flag types");
static_assert(sizeof(TUID) == 16 && sizeof(Uid) == 16 && alignof(Uid) == 1, "ids are 16 bytes");
static_assert(sizeof(ParamValue) == 8 && sizeof(SpeakerArrangement) == 8 && sizeof(TSamples) == 8,
              "8-byte types");
static_assert(kNoInterface != kResultOk && kResultTrue == kResultOk, "result codes");

MORVANE_VST3_LAYOUT(PFactoryInfo, 452, 4, 452, 4);
MORVANE_VST3_OFFSET(PFactoryInfo, vendor, 0, 0);
MORVANE_VST3_OFFSET(PFactoryInfo, url, 64, 64);
MORVANE_VST3_OFFSET(PFactoryInfo, email, 320, 320);
MORVANE_VST3_OFFSET(PFactoryInfo, flags, 448, 448);

MORVANE_VST3_LAYOUT(PClassInfo, 116, 4, 116, 4);
MORVANE_VST3_OFFSET(PClassInfo, cid, 0, 0);
MORVANE_VST3_OFFSET(PClassInfo, cardinality, 16, 16);
MORVANE_VST3_OFFSET(PClassInfo, category, 20, 20);
MORVANE_VST3_OFFSET(PClassInfo, name, 52, 52);

MORVANE_VST3_LAYOUT(PClassInfo2, 440, 4, 440, 4);
MORVANE_VST3_OFFSET(PClassInfo2, cid, 0, 0);
MORVANE_VST3_OFFSET(PClassInfo2, cardinality, 16, 16);
MORVANE_VST3_OFFSET(PClassInfo2, category, 20, 20);
MORVANE_VST3_OFFSET(PClassInfo2, name, 52, 52);
MORVANE_VST3_OFFSET(PClassInfo2, classFlags, 116, 116);
MORVANE_VST3_OFFSET(PClassInfo2, subCategories, 120, 120);
MORVANE_VST3_OFFSET(PClassInfo2, vendor, 248, 248);
MORVANE_VST3_OFFSET(PClassInfo2, version, 312, 312);
MORVANE_VST3_OFFSET(PClassInfo2, sdkVersion, 376, 376);

MORVANE_VST3_LAYOUT(PClassInfoW, 696, 4, 696, 4);
MORVANE_VST3_OFFSET(PClassInfoW, cid, 0, 0);
MORVANE_VST3_OFFSET(PClassInfoW, cardinality, 16, 16);
MORVANE_VST3_OFFSET(PClassInfoW, category, 20, 20);
MORVANE_VST3_OFFSET(PClassInfoW, name, 52, 52);
MORVANE_VST3_OFFSET(PClassInfoW, classFlags, 180, 180);
MORVANE_VST3_OFFSET(PClassInfoW, subCategories, 184, 184);
MORVANE_VST3_OFFSET(PClassInfoW, vendor, 312, 312);
MORVANE_VST3_OFFSET(PClassInfoW, version, 440, 440);
MORVANE_VST3_OFFSET(PClassInfoW, sdkVersion, 568, 568);

}  // namespace vst3
