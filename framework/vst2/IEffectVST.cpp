#include "framework/vst2/IEffectVST.h"

#include <atomic>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "common/CopyText.h"
#include "framework/Trace.h"

namespace {

// Sizes of the host buffers we write texts into. Hosts provide at least these
// in practice, though the interface's nominal limits are smaller (our parameter
// names exceed the nominal 8 bytes).
constexpr int kParamTextSize = 64;      // parameter and program texts
constexpr int kIdentityTextSize = 256;  // effect, vendor and product strings
constexpr int kHostProductSize = 256;   // our buffer for the host's product string

constexpr int kDefaultBlockSize = 1024;

// The time-info bits GetHostTime asks for.
constexpr VstInt32 kTransportFilter =
    kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid;

// Answers of effVendorSpecific and effCanDo that some hosts look for.
constexpr VstIntPtr kVendorSpecificYes = 0xBEEF;
constexpr VstIntPtr kCockosExtensionYes = 0xBEEF0000;
// Vendor-specific requests: the value text of a normalised value, and whether
// a parameter is stepped.
constexpr VstInt32 kVendorParamTextOfValue = 7;
constexpr VstInt32 kVendorParamIsStepped = 8;
// The host's content scale for the editor: index 'PreS', value 'AeCs', the
// scale (1.0 for 100 %) in opt. Hosts that ask first send it only after
// effCanDo "supportsViewDpiScaling" answered 1.
constexpr VstInt32 kVendorEditorScale = VstFourCC('P', 'r', 'e', 'S');
constexpr VstIntPtr kVendorEditorScaleValue = VstFourCC('A', 'e', 'C', 's');

// A host index or value as an int; values outside int's range become -1 so
// that they fail every range check instead of wrapping into range.
int ToIndex(VstIntPtr value) {
  return (value < INT_MIN || value > INT_MAX) ? -1 : static_cast<int>(value);
}

VstInt32 SpeakerArrangementType(int nChannels) {
  switch (nChannels) {
    case 0: return kSpeakerArrEmpty;
    case 1: return kSpeakerArrMono;
    case 2: return kSpeakerArrStereo;
    default: return kSpeakerArrUserDefined;
  }
}

// Recovers the plug-in from the record the host passes; null for a record
// without an object.
IEffectVST* PlugOf(AEffect* effect) {
  return (effect && effect->object) ? static_cast<IEffectVST*>(effect->object) : nullptr;
}

}  // namespace

// ---- the module --------------------------------------------------------------------

namespace {
std::atomic<void*> gModuleInstance{nullptr};
}  // namespace

void* ModuleInstance() { return gModuleInstance.load(); }

void RecordModuleInstance(void* instance) { gModuleInstance.store(instance); }

// ---- entries reached through the effect record -------------------------------------

extern "C" {

static VstIntPtr VSTCALLBACK VstDispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                           void* ptr, float opt) {
  IEffectVST* plug = PlugOf(effect);
  return plug ? plug->Dispatch(opcode, index, value, ptr, opt) : 0;
}

static void VSTCALLBACK VstProcess(AEffect* effect, float** inputs, float** outputs, VstInt32 sampleFrames) {
  if (IEffectVST* plug = PlugOf(effect)) plug->ProcessAccumulating(inputs, outputs, sampleFrames);
}

static void VSTCALLBACK VstProcessReplacing(AEffect* effect, float** inputs, float** outputs,
                                            VstInt32 sampleFrames) {
  if (IEffectVST* plug = PlugOf(effect)) plug->ProcessReplacing(inputs, outputs, sampleFrames);
}

static void VSTCALLBACK VstProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                                  VstInt32 sampleFrames) {
  if (IEffectVST* plug = PlugOf(effect)) plug->ProcessDoubleReplacing(inputs, outputs, sampleFrames);
}

static void VSTCALLBACK VstSetParameter(AEffect* effect, VstInt32 index, float value) {
  if (IEffectVST* plug = PlugOf(effect)) plug->SetParameterFromHost(index, value);
}

static float VSTCALLBACK VstGetParameter(AEffect* effect, VstInt32 index) {
  IEffectVST* plug = PlugOf(effect);
  return plug ? plug->GetParameterForHost(index) : 0.0f;
}

}  // extern "C"

// ---- construction ------------------------------------------------------------------

IEffectVST::IEffectVST(audioMasterCallback hostCallback, const IEffectConfig& config)
    : IEffectBase(config), mHostCall(hostCallback), mHostInitDone(false) {
  std::memset(&mEffect, 0, sizeof(mEffect));
  mEffect.magic = kEffectMagic;
  mEffect.dispatcher = VstDispatcher;
  mEffect.process = VstProcess;
  mEffect.setParameter = VstSetParameter;
  mEffect.getParameter = VstGetParameter;
  mEffect.numPrograms = PresetCount();
  mEffect.numParams = ParamCount();
  mEffect.numInputs = InputCount();
  mEffect.numOutputs = OutputCount();
  mEffect.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
  if (LegalIO(1, -1)) mEffect.flags |= effFlagsCanMono;
  mEffect.initialDelay = GetLatency();
  mEffect.ioRatio = 1.0f;
  mEffect.object = static_cast<void*>(this);
  mEffect.uniqueID = GetUniqueID();
  mEffect.version = GetVersionMajor() * 10000 + GetVersionMinor() * 100 + GetVersionPatch();
  mEffect.processReplacing = VstProcessReplacing;
  mEffect.processDoubleReplacing = VstProcessDoubleReplacing;

  std::memset(&mEditorRect, 0, sizeof(mEditorRect));

  std::memset(&mInputArrangement, 0, sizeof(mInputArrangement));
  std::memset(&mOutputArrangement, 0, sizeof(mOutputArrangement));
  mInputArrangement.numChannels = InputCount();
  mInputArrangement.type = SpeakerArrangementType(InputCount());
  mOutputArrangement.numChannels = OutputCount();
  mOutputArrangement.type = SpeakerArrangementType(OutputCount());

  for (int i = 0; i < InputCount(); ++i) SetInputConnected(i, true);
  for (int i = 0; i < OutputCount(); ++i) SetOutputConnected(i, true);

  SetBlockSize(kDefaultBlockSize);
}

// An editor still open (hosts may close a plug-in without effEditClose) is
// closed while the adapter can still tell the host of a gesture it ends.
IEffectVST::~IEffectVST() {
  if (IEditor* editor = GetEditor()) editor->CloseWindow();
}

// ---- calls to the host -------------------------------------------------------------

VstIntPtr IEffectVST::CallHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return mHostCall ? mHostCall(&mEffect, opcode, index, value, ptr, opt) : 0;
}

void IEffectVST::BeginHostEdit(int paramIdx) { CallHost(audioMasterBeginEdit, paramIdx); }

void IEffectVST::NotifyHostOfParam(int paramIdx, double normalizedValue) {
  CallHost(audioMasterAutomate, paramIdx, 0, nullptr, static_cast<float>(normalizedValue));
}

void IEffectVST::EndHostEdit(int paramIdx) { CallHost(audioMasterEndEdit, paramIdx); }

void IEffectVST::NotifyHostOfPreset() { CallHost(audioMasterUpdateDisplay); }

bool IEffectVST::IsOffline() { return CallHost(audioMasterGetCurrentProcessLevel) == kVstProcessLevelOffline; }

const VstTimeInfo* IEffectVST::HostTimeInfo(VstInt32 filter) {
  return reinterpret_cast<const VstTimeInfo*>(CallHost(audioMasterGetTime, 0, filter));
}

int IEffectVST::GetHostSamplePos() {
  const VstTimeInfo* t = HostTimeInfo(0);
  if (!t || !(t->samplePos >= 0.0)) return 0;
  double rounded = t->samplePos + 0.5;
  // Positions past the int range (over 13 hours at 44.1 kHz) saturate.
  return rounded < static_cast<double>(INT_MAX) ? static_cast<int>(rounded) : INT_MAX;
}

double IEffectVST::GetHostTempo() {
  if (!mHostCall) return 0.0;
  const VstTimeInfo* t = HostTimeInfo(kVstTempoValid);
  if (t && (t->flags & kVstTempoValid) && t->tempo >= 0.0 && std::isfinite(t->tempo)) return t->tempo;
  return 0.0;
}

void IEffectVST::GetHostTimeSig(int* numerator, int* denominator) {
  if (!numerator || !denominator) return;
  *numerator = 0;
  *denominator = 0;
  const VstTimeInfo* t = HostTimeInfo(kVstTimeSigValid);
  if (t && (t->flags & kVstTimeSigValid) && t->timeSigNumerator >= 0 && t->timeSigDenominator >= 0) {
    *numerator = t->timeSigNumerator;
    *denominator = t->timeSigDenominator;
  }
}

void IEffectVST::GetHostTime(ITransportInfo* info) {
  if (!info) return;
  const VstTimeInfo* t = HostTimeInfo(kTransportFilter);
  if (!t || !(t->flags & kTransportFilter)) return;
  // Non-finite values from a host are treated as not supplied.
  auto usable = [](double v) { return std::isfinite(v); };
  if (usable(t->samplePos)) info->samplePos = t->samplePos;
  if ((t->flags & kVstPpqPosValid) && usable(t->ppqPos) && t->ppqPos >= 0.0) info->ppqPos = t->ppqPos;
  if ((t->flags & kVstTempoValid) && usable(t->tempo) && t->tempo > 0.0) info->tempo = t->tempo;
  if ((t->flags & kVstBarsValid) && usable(t->barStartPos) && t->barStartPos >= 0.0) {
    info->lastBar = t->barStartPos;
  }
  if ((t->flags & kVstCyclePosValid) && usable(t->cycleStartPos) && usable(t->cycleEndPos) &&
      t->cycleStartPos >= 0.0 && t->cycleEndPos >= 0.0) {
    info->cycleStart = t->cycleStartPos;
    info->cycleEnd = t->cycleEndPos;
  }
  if ((t->flags & kVstTimeSigValid) && t->timeSigNumerator > 0 && t->timeSigDenominator > 0) {
    info->numerator = t->timeSigNumerator;
    info->denominator = t->timeSigDenominator;
  }
  info->transportIsRunning = (t->flags & kVstTransportPlaying) != 0;
  info->transportLoopEnabled = (t->flags & kVstTransportCycleActive) != 0;
}

EHostKind IEffectVST::IdentifyHost() {
  if (mHost != -1) return static_cast<EHostKind>(mHost);
  char product[kHostProductSize];
  std::memset(product, 0, sizeof(product));
  CallHost(audioMasterGetProductString, 0, 0, product);
  product[kHostProductSize - 1] = '\0';  // a host that fills the buffer may leave no NUL
  if (product[0] != '\0') {
    VstIntPtr decimal = CallHost(audioMasterGetVendorVersion);
    mHostVersion = (decimal < 0 || decimal > INT_MAX) ? 0 : PackHostVersion(static_cast<int>(decimal));
  } else {
    mHostVersion = 0;
  }
  mHost = LookUpHost(product);
  return static_cast<EHostKind>(mHost);
}

bool IEffectVST::SendMidi(const IMidiMessage* msg) {
  if (!msg) return false;
  VstMidiEvent event;
  std::memset(&event, 0, sizeof(event));
  event.type = kVstMidiType;
  event.byteSize = sizeof(VstMidiEvent);
  event.deltaFrames = msg->offset;
  event.midiData[0] = static_cast<char>(msg->status);
  event.midiData[1] = static_cast<char>(msg->data1);
  event.midiData[2] = static_cast<char>(msg->data2);
  VstEvents list;
  std::memset(&list, 0, sizeof(list));
  list.numEvents = 1;
  list.events[0] = reinterpret_cast<VstEvent*>(&event);
  return CallHost(audioMasterProcessEvents, 0, 0, &list) == 1;
}

bool IEffectVST::SendSysExMessage(const ISysExMessage* msg) {
  if (!msg) return false;
  VstMidiSysexEvent event;
  std::memset(&event, 0, sizeof(event));
  event.type = kVstSysExType;
  event.byteSize = sizeof(VstMidiSysexEvent);
  event.deltaFrames = msg->offset;
  event.dumpBytes = msg->size;
  event.sysexDump = reinterpret_cast<char*>(const_cast<uint8_t*>(msg->data));
  VstEvents list;
  std::memset(&list, 0, sizeof(list));
  list.numEvents = 1;
  list.events[0] = reinterpret_cast<VstEvent*>(&event);
  return CallHost(audioMasterProcessEvents, 0, 0, &list) == 1;
}

// ---- host set-up, editor, latency ----------------------------------------------------

void IEffectVST::InitForHost() {
  if (mHostInitDone) return;
  mHostInitDone = true;
  switch (IdentifyHost()) {
    // These hosts mishandle plug-ins with more than two channels.
    case kHostForte:
    case kHostAudition:
    case kHostOrion:
    case kHostSAWStudio:
      LimitToStereo();
      break;
    default:
      break;
  }
  mEffect.numInputs = mInputArrangement.numChannels = InputCount();
  mEffect.numOutputs = mOutputArrangement.numChannels = OutputCount();
  OnHostKnown();
}

void IEffectVST::UpdateEditorRect() {
  IEditor* editor = GetEditor();
  SetEditorRect(editor->Width(), editor->Height());
}

void IEffectVST::SetEditorRect(int width, int height) {
  auto toInt16 = [](int v) { return static_cast<VstInt16>(v < 0 ? 0 : (v > SHRT_MAX ? SHRT_MAX : v)); };
  mEditorRect.top = 0;
  mEditorRect.left = 0;
  mEditorRect.bottom = toInt16(height);
  mEditorRect.right = toInt16(width);
}

void IEffectVST::AttachEditor(IEditor* editor) {
  if (!editor) return;
  IEffectBase::AttachEditor(editor);
  mEffect.flags |= effFlagsHasEditor;
  UpdateEditorRect();
}

void IEffectVST::ResizeEditor(int /*width*/, int /*height*/) {
  if (!GetEditor()) return;
  {
    // The host reads the rectangle through effEditGetRect, under the lock.
    ILockGuard guard(mLock);
    UpdateEditorRect();
  }
  OnEditorResized();
}

bool IEffectVST::RequestEditorSize(int width, int height) {
  if (!GetEditor()) return false;
  ERect before;
  {
    // Hosts ask effEditGetRect while they resize: it already tells the new size.
    ILockGuard guard(mLock);
    before = mEditorRect;
    SetEditorRect(width, height);
  }
  if (CallHost(audioMasterSizeWindow, width, height) == 1) return true;
  ILockGuard guard(mLock);
  mEditorRect = before;
  return false;
}

VstIntPtr IEffectVST::DoEditorScale(float scale) {
  IEditor* editor = GetEditor();
  if (!editor) return 0;
  editor->SetHostScale(scale);
  return 1;
}

void IEffectVST::SetLatency(int samples) {
  IEffectBase::SetLatency(samples);
  mEffect.initialDelay = samples;
}

// ---- processing and parameters -------------------------------------------------------

bool IEffectVST::CanProcess(const void* inputs, const void* outputs, VstInt32 sampleFrames) const {
  // A host may pass no buffer arrays for a side without channels, never for one with channels.
  return sampleFrames > 0 && (inputs || InputCount() == 0) && (outputs || OutputCount() == 0);
}

void IEffectVST::ProcessAccumulating(float** inputs, float** outputs, VstInt32 sampleFrames) {
  ILockGuard guard(mLock);
  if (WantsMidi()) CallHost(audioMasterWantMidi);
  if (!CanProcess(inputs, outputs, sampleFrames)) return;
  ProcessHostSingle(inputs, outputs, sampleFrames, true);
}

void IEffectVST::ProcessReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
  ILockGuard guard(mLock);
  if (WantsMidi()) CallHost(audioMasterWantMidi);
  if (!CanProcess(inputs, outputs, sampleFrames)) return;
  ProcessHostSingle(inputs, outputs, sampleFrames, false);
}

void IEffectVST::ProcessDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) {
  ILockGuard guard(mLock);
  if (WantsMidi()) CallHost(audioMasterWantMidi);
  if (!CanProcess(inputs, outputs, sampleFrames)) return;
  ProcessHostDouble(inputs, outputs, sampleFrames);
}

void IEffectVST::SetParameterFromHost(VstInt32 index, float value) {
  ILockGuard guard(mLock);
  IParameter* param = GetParam(index);
  if (!param || !std::isfinite(value)) return;
  if (IEditor* editor = GetEditor()) editor->ParamValueChanged(index, value);
  param->SetFromNormalized(value);
  ParamChanged(index);
}

float IEffectVST::GetParameterForHost(VstInt32 index) {
  ILockGuard guard(mLock);
  IParameter* param = GetParam(index);
  return param ? static_cast<float>(param->NormalizedValue()) : 0.0f;
}

// ---- the dispatcher ----------------------------------------------------------------------

VstIntPtr IEffectVST::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  if (opcode == effClose) {
    // Wait for an entry still running on another thread, but do not hold the
    // lock while it is destroyed with the object.
    { ILockGuard guard(mLock); }
    delete this;
    return 0;
  }
  // The editor's entries run without the instance lock, which every
  // processing call takes: opening and closing a window cost round trips to
  // the window system, and redrawing takes time, none of which may hold up
  // the audio thread. The editor keeps its own state safe; editing from it
  // takes the lock where a value reaches the plug-in.
  switch (opcode) {
    case effEditOpen: return DoEditOpen(ptr);
    case effEditClose: return DoEditClose();
    case effEditIdle: return DoEditIdle();
    case effVendorSpecific:
      // A new scale may resize the open window: not under the instance lock.
      if (index == kVendorEditorScale && value == kVendorEditorScaleValue) return DoEditorScale(opt);
      break;
    default: break;
  }

  ILockGuard guard(mLock);
  switch (opcode) {
    case effOpen: return DoOpen();
    case effSetProgram: return DoSetProgram(value);
    case effGetProgram: return GetPresetIndex();
    case effSetProgramName: return DoSetProgramName(static_cast<const char*>(ptr));
    case effGetProgramName: return DoGetProgramName(static_cast<char*>(ptr));
    case effGetParamLabel: return DoGetParamLabel(index, static_cast<char*>(ptr));
    case effGetParamDisplay: return DoGetParamDisplay(index, static_cast<char*>(ptr));
    case effGetParamName: return DoGetParamName(index, static_cast<char*>(ptr));
    case effSetSampleRate: return DoSetSampleRate(opt);
    case effSetBlockSize: return DoSetBlockSize(value);
    case effMainsChanged: return DoMainsChanged(value);
    case effEditGetRect: return DoEditGetRect(ptr);
    case effIdentify: return kEffectIdentify;
    case effGetChunk: return DoGetChunk(index != 0, ptr);
    case effSetChunk: return DoSetChunk(index != 0, value, ptr);
    case effProcessEvents: return DoProcessEvents(static_cast<const VstEvents*>(ptr));
    case effCanBeAutomated: return 1;
    case effString2Parameter: return DoString2Parameter(index, static_cast<const char*>(ptr));
    case effGetProgramNameIndexed: return DoGetProgramNameIndexed(index, static_cast<char*>(ptr));
    case effGetInputProperties: return DoGetPinProperties(true, index, static_cast<VstPinProperties*>(ptr));
    case effGetOutputProperties: return DoGetPinProperties(false, index, static_cast<VstPinProperties*>(ptr));
    case effGetPlugCategory: return IsInstrument() ? kPlugCategSynth : kPlugCategEffect;
    case effSetSpeakerArrangement: return DoSetSpeakerArrangement(value, ptr);
    case effGetEffectName: return DoCopyText(GetEffectName(), ptr, kIdentityTextSize);
    case effGetVendorString: return DoCopyText(GetMakerName(), ptr, kIdentityTextSize);
    case effGetProductString: return DoCopyText(GetProductName(), ptr, kIdentityTextSize);
    case effGetVendorVersion: return mEffect.version;
    case effVendorSpecific: return DoVendorSpecific(index, value, ptr, opt);
    case effCanDo: return DoCanDo(static_cast<const char*>(ptr));
    case effGetTailSize: return GetTailSize();
    case effIdle: return 0;
    case effGetVstVersion: return kVstVersion;
    case effGetMidiKeyName: return DoGetMidiKeyName(static_cast<MidiKeyName*>(ptr));
    case effGetSpeakerArrangement: return DoGetSpeakerArrangement(value, ptr);
    default: return 0;
  }
}

VstIntPtr IEffectVST::DoOpen() {
  InitForHost();
  NotifyAllParams();
  return 0;
}

VstIntPtr IEffectVST::DoSetProgram(VstIntPtr presetIdx) {
  if (!UsesChunks()) ModifyCurrentPreset();
  LoadPreset(ToIndex(presetIdx));
  return 0;
}

VstIntPtr IEffectVST::DoSetProgramName(const char* name) {
  if (!name) return 0;
  ModifyCurrentPreset(name);
  OnPresetsEdited();
  return 0;
}

VstIntPtr IEffectVST::DoGetProgramName(char* text) {
  if (text) CopyTextBounded(text, kParamTextSize, GetPresetName(GetPresetIndex()));
  return 0;
}

VstIntPtr IEffectVST::DoGetParamLabel(VstInt32 index, char* text) {
  IParameter* param = GetParam(index);
  if (param && text) CopyTextBounded(text, kParamTextSize, param->LabelForHost());
  return 0;
}

VstIntPtr IEffectVST::DoGetParamDisplay(VstInt32 index, char* text) {
  IParameter* param = GetParam(index);
  if (param && text) param->FormatForHost(param->Value(), false, text, kParamTextSize, true);
  return 0;
}

VstIntPtr IEffectVST::DoGetParamName(VstInt32 index, char* text) {
  IParameter* param = GetParam(index);
  if (param && text) CopyTextBounded(text, kParamTextSize, param->NameForHost());
  return 0;
}

VstIntPtr IEffectVST::DoSetSampleRate(float rate) {
  // A rate the signal path cannot use (zero, negative, NaN) is ignored.
  if (!(rate > 0.0f) || !std::isfinite(rate)) return 0;
  SetSampleRate(rate);
  Reset();
  return 0;
}

VstIntPtr IEffectVST::DoSetBlockSize(VstIntPtr blockSize) {
  // The scratch buffers keep their size for a block size they cannot hold.
  if (blockSize < 1 || blockSize > kMaxBlockSize) return 0;
  SetBlockSize(static_cast<int>(blockSize));
  Reset();
  return 0;
}

VstIntPtr IEffectVST::DoMainsChanged(VstIntPtr active) {
  if (active != 0) {
    OnActiveChanged(true);
  } else {
    OnActiveChanged(false);
    Reset();
  }
  return 0;
}

VstIntPtr IEffectVST::DoEditGetRect(void* ptr) {
  if (!ptr || !GetEditor()) return 0;
  *static_cast<ERect**>(ptr) = &mEditorRect;
  return 1;
}

VstIntPtr IEffectVST::DoEditOpen(void* parentWindow) {
  IEditor* editor = GetEditor();
  if (!editor || !editor->OpenWindow(parentWindow)) return 0;
  ILockGuard guard(mLock);
  OnEditorOpened();
  return 1;
}

VstIntPtr IEffectVST::DoEditIdle() {
  if (IEditor* editor = GetEditor()) editor->Idle();
  return 0;
}

VstIntPtr IEffectVST::DoEditClose() {
  IEditor* editor = GetEditor();
  if (!editor) return 0;
  {
    ILockGuard guard(mLock);
    OnEditorClosed();
  }
  editor->CloseWindow();
  return 1;
}

VstIntPtr IEffectVST::DoGetChunk(bool oneProgram, void* ptr) {
  if (!ptr) return 0;
  StateChunk& chunk = oneProgram ? mProgramChunk : mBankChunk;
  bool saved;
  if (oneProgram) {
    saved = GetProgramChunk(&chunk);
  } else {
    StateChunk::StartChunk(chunk);
    ModifyCurrentPreset();
    saved = SerializePresets(&chunk);
  }
  if (!saved || chunk.Size() <= 0) return 0;
  *static_cast<void**>(ptr) = chunk.GetBytes();
  return chunk.Size();
}

VstIntPtr IEffectVST::DoSetChunk(bool oneProgram, VstIntPtr size, const void* data) {
  if (!data) return 0;
  // A size the chunk cannot hold is refused before the host's bytes are read.
  if (size < 0 || size > INT_MAX) return 0;
  StateChunk& chunk = oneProgram ? mProgramChunk : mBankChunk;
  const int n = static_cast<int>(size);
  // A host may hand back (part of) the bytes effGetChunk gave it, which live in
  // this very chunk: they move to its front in place, and a size beyond what we
  // handed out is refused, since growing the chunk could move the bytes away.
  const uintptr_t own = reinterpret_cast<uintptr_t>(chunk.GetBytes());
  const uintptr_t from = reinterpret_cast<uintptr_t>(data);
  if (own && from >= own && from - own < static_cast<uintptr_t>(chunk.Size())) {
    const int offset = static_cast<int>(from - own);
    if (n > chunk.Size() - offset) return 0;
    if (n > 0) std::memmove(chunk.GetBytes(), data, static_cast<size_t>(n));
    chunk.Resize(n);  // not above the current size: only the size changes
  } else {
    chunk.Resize(n);
    if (chunk.Size() != n) return 0;
    if (n > 0) std::memcpy(chunk.GetBytes(), data, static_cast<size_t>(n));
  }

  int pos = 0;
  int version = StateChunk::ReadChunkHeader(chunk, &pos);
  if (oneProgram || version < StateChunk::kFormatVersion) return SetProgramChunk(chunk) ? 1 : 0;
  if (UnserializePresets(&chunk, pos) < 0) return 0;
  RefreshParamControls();
  return 1;
}

VstIntPtr IEffectVST::DoProcessEvents(const VstEvents* events) {
  if (!events) return 0;
  // The list holds numEvents pointers, past the two its record declares: they
  // are reached through a pointer to the first, not the declared array.
  VstEvent* const* list = events->events;
  for (int i = 0; i < events->numEvents; ++i) {
    const VstEvent* event = list[i];
    if (!event) continue;
    if (event->type == kVstMidiType) {
      const VstMidiEvent* midi = reinterpret_cast<const VstMidiEvent*>(event);
      IMidiMessage msg;
      msg.offset = midi->deltaFrames;
      msg.status = static_cast<uint8_t>(midi->midiData[0]);
      msg.data1 = static_cast<uint8_t>(midi->midiData[1]);
      msg.data2 = static_cast<uint8_t>(midi->midiData[2]);
      HandleMidi(&msg);
    } else if (event->type == kVstSysExType) {
      const VstMidiSysexEvent* sysex = reinterpret_cast<const VstMidiSysexEvent*>(event);
      ISysExMessage msg;
      msg.offset = sysex->deltaFrames;
      // A negative count or missing bytes arrive as an empty message.
      bool hasBytes = sysex->dumpBytes > 0 && sysex->sysexDump;
      msg.size = hasBytes ? sysex->dumpBytes : 0;
      msg.data = hasBytes ? reinterpret_cast<const uint8_t*>(sysex->sysexDump) : nullptr;
      HandleSysEx(&msg);
    }
  }
  return 1;
}

VstIntPtr IEffectVST::DoString2Parameter(VstInt32 index, const char* text) {
  IParameter* param = GetParam(index);
  if (!param) return 0;
  if (!text) return 1;
  double value;
  if (!param->ParseForHost(text, &value)) return 0;
  if (IEditor* editor = GetEditor()) editor->ParamValueChanged(index, param->ToNormalized(value));
  param->Set(value);
  ParamChanged(index);
  return 1;
}

VstIntPtr IEffectVST::DoGetProgramNameIndexed(VstInt32 index, char* text) {
  if (!text) return 0;
  CopyTextBounded(text, kParamTextSize, GetPresetName(index));
  return text[0] != '\0' ? 1 : 0;
}

VstIntPtr IEffectVST::DoGetPinProperties(bool input, VstInt32 index, VstPinProperties* pin) {
  int count = input ? InputCount() : OutputCount();
  if (!pin || index < 0 || index >= count) return 0;
  pin->flags = kVstPinIsActive;
  // Channels pair up as stereo from the first: 0-1, 2-3, ...
  if (index % 2 == 0 && index < count - 1) pin->flags |= kVstPinIsStereo;
  const GrowBuffer& label = input ? GetInput(index)->label : GetOutput(index)->label;
  const char* text = static_cast<const char*>(label.Data());
  if (text && label.Size() > 0 && text[0] != '\0') {
    // The label buffer need not end in a NUL within its size.
    const void* nul = std::memchr(text, '\0', static_cast<size_t>(label.Size()));
    int n = nul ? static_cast<int>(static_cast<const char*>(nul) - text) : label.Size();
    if (n > kVstMaxLabelLen - 1) n = kVstMaxLabelLen - 1;
    std::memcpy(pin->label, text, static_cast<size_t>(n));
    pin->label[n] = '\0';
  } else {
    std::snprintf(pin->label, kVstMaxLabelLen, input ? "Input %d" : "Output %d", index + 1);
  }
  return 1;
}

VstIntPtr IEffectVST::DoSetSpeakerArrangement(VstIntPtr inputArrangement, void* outputArrangement) {
  // A host that declares fewer channels than we have leaves the rest to their
  // scratch buffers: disconnected inputs read scratch, disconnected outputs write it.
  if (const VstSpeakerArrangement* in = reinterpret_cast<const VstSpeakerArrangement*>(inputArrangement)) {
    int n = in->numChannels;
    for (int i = 0; i < InputCount(); ++i) SetInputConnected(i, i < n);
  }
  if (const VstSpeakerArrangement* out = static_cast<const VstSpeakerArrangement*>(outputArrangement)) {
    int n = out->numChannels;
    for (int i = 0; i < OutputCount(); ++i) SetOutputConnected(i, i < n);
  }
  return 1;
}

VstIntPtr IEffectVST::DoGetSpeakerArrangement(VstIntPtr inputTarget, void* outputTarget) {
  if (VstSpeakerArrangement** in = reinterpret_cast<VstSpeakerArrangement**>(inputTarget)) {
    *in = &mInputArrangement;
  }
  if (VstSpeakerArrangement** out = static_cast<VstSpeakerArrangement**>(outputTarget)) {
    *out = &mOutputArrangement;
  }
  return 1;
}

VstIntPtr IEffectVST::DoCopyText(const char* source, void* ptr, int bufferSize) {
  if (!ptr) return 0;
  CopyTextBounded(static_cast<char*>(ptr), static_cast<size_t>(bufferSize), source);
  return 1;
}

VstIntPtr IEffectVST::DoVendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  switch (index) {
    case kVendorParamTextOfValue: {
      if (!ptr) return 0;
      // The text of any normalised value; FormatForHost limits it to [0, 1] first.
      IParameter* param = GetParam(ToIndex(value));
      if (param) param->FormatForHost(opt, true, static_cast<char*>(ptr), kParamTextSize, true);
      return kVendorSpecificYes;
    }
    case kVendorParamIsStepped: {
      IParameter* param = GetParam(ToIndex(value));
      return (param && param->Type() != IParameter::kParamDouble) ? kVendorSpecificYes : 0;
    }
    default:
      return 0;
  }
}

VstIntPtr IEffectVST::DoCanDo(const char* capability) {
  if (!capability) return 0;
  Trace("IEffectVST::DoCanDo", __LINE__, "VSTCanDo(%s)", capability);
  if (!std::strcmp(capability, "receiveVstTimeInfo")) return 1;
  if (!std::strcmp(capability, "sendVstEvents") || !std::strcmp(capability, "sendVstMidiEvent") ||
      !std::strcmp(capability, "receiveVstEvents") || !std::strcmp(capability, "receiveVstMidiEvent")) {
    return WantsMidi() ? 1 : 0;
  }
  if (!std::strcmp(capability, "hasCockosExtensions") || !std::strcmp(capability, "hasCockosViewAsConfig")) {
    return kCockosExtensionYes;
  }
  // The host's content scale (effVendorSpecific 'PreS').
  if (!std::strcmp(capability, "supportsViewDpiScaling")) return 1;
  return 0;
}

VstIntPtr IEffectVST::DoGetMidiKeyName(MidiKeyName* key) {
  if (!key) return 0;
  key->keyName[0] = '\0';
  // The plug-in writes into a buffer of our own, copied into the host's
  // fixed-size field cut to fit.
  char name[kIdentityTextSize];
  std::memset(name, 0, sizeof(name));
  bool named = GetNoteName(key->thisKeyNumber, name);
  name[kIdentityTextSize - 1] = '\0';
  CopyTextBounded(key->keyName, kVstMaxNameLen, name);
  return named ? 1 : 0;
}
