#pragma once
// Binds a plug-in to the VST 3 interface: one object that is the component
// (IComponent, IAudioProcessor, IProcessContextRequirements) and its own edit
// controller (IEditController), which hosts find by querying the component.
// It drives the plug-in's two objects (IVst3Plugin.h): the processor, which
// takes the host's audio, parameter queues and state, and the controller,
// which takes the host's parameter values and shows the editor
// (IVst3EditorView.h).
//
// Parameters: the plug-in's own, whose ids are their indices; a bypass
// (kIsBypass) that passes the input through unchanged; and, when the class
// has one, a meter: a read-only parameter the processor reports through the
// host to the controller. Automation is applied at the sample offsets of the
// host's points: a block is processed in pieces between them.
//
// State: the component's is the plug-in's program chunk, as the VST2
// adapter's effGetChunk gives it for one program, so that a preset moves
// between the formats; the controller's own holds the bypass.
//
// Threads and locks: process runs on the audio thread under the processor's
// instance lock, as does everything else that touches the processor
// (setState and getState may come from any thread while it processes). The
// controller's calls come from the user-interface thread and take the
// controller's lock where they touch its values. Thread tags: Vst3Base.h.
#include <atomic>
#include <memory>
#include <vector>

#include "framework/vst3/IVst3Plugin.h"
#include "framework/vst3/Vst3Controller.h"
#include "framework/vst3/Vst3Processor.h"
#include "framework/vst3/Vst3Support.h"

class IVst3EditorView;

namespace vst3 {

// IComponent and IEditController declare setState and getState alike, so in
// one object a single override would serve both. These bases give each pair
// a name of its own.
class IComponentStateRoute : public IComponent {
 public:
  tresult PLUGIN_API setState(IBStream* state) final { return ProcessorSetState(state); }
  tresult PLUGIN_API getState(IBStream* state) final { return ProcessorGetState(state); }

 protected:
  virtual tresult ProcessorSetState(IBStream* state) = 0;
  virtual tresult ProcessorGetState(IBStream* state) = 0;
};

class IEditControllerStateRoute : public IEditController {
 public:
  tresult PLUGIN_API setState(IBStream* state) final { return ControllerSetState(state); }
  tresult PLUGIN_API getState(IBStream* state) final { return ControllerGetState(state); }

 protected:
  virtual tresult ControllerSetState(IBStream* state) = 0;
  virtual tresult ControllerGetState(IBStream* state) = 0;
};

}  // namespace vst3

class IEffectVST3 final : public vst3::IComponentStateRoute,
                          public vst3::IAudioProcessor,
                          public vst3::IProcessContextRequirements,
                          public vst3::IEditControllerStateRoute,
                          private IVst3HostEdits {
public:
  // A new object holding one reference, its creator's, with the plug-in's
  // parts made by def.makeParts (this object their host); null when the
  // parts cannot be made. No object without its parts ever exists outside.
  static IEffectVST3* Create(const IVst3ClassDef& def);
  IEffectVST3(const IEffectVST3&) = delete;
  IEffectVST3& operator=(const IEffectVST3&) = delete;

  // ---- FUnknown ------------------------------------------------------------------
  vst3::tresult PLUGIN_API queryInterface(const vst3::TUID id, void** obj) override;
  vst3::uint32 PLUGIN_API addRef() override;
  vst3::uint32 PLUGIN_API release() override;

  // ---- IPluginBase (component and controller alike) ------------------------------------
  vst3::tresult PLUGIN_API initialize(vst3::FUnknown* context) override;
  vst3::tresult PLUGIN_API terminate() override;

  // ---- IComponent ----------------------------------------------------------------------
  vst3::tresult PLUGIN_API getControllerClassId(vst3::TUID classId) override;
  vst3::tresult PLUGIN_API setIoMode(vst3::IoMode mode) override;
  vst3::int32 PLUGIN_API getBusCount(vst3::MediaType type, vst3::BusDirection dir) override;
  vst3::tresult PLUGIN_API getBusInfo(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 index,
                                      vst3::BusInfo* bus) override;
  vst3::tresult PLUGIN_API getRoutingInfo(vst3::RoutingInfo* inInfo, vst3::RoutingInfo* outInfo) override;
  vst3::tresult PLUGIN_API activateBus(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 index,
                                       vst3::TBool state) override;
  vst3::tresult PLUGIN_API setActive(vst3::TBool state) override;

  // ---- IAudioProcessor ----------------------------------------------------------------
  vst3::tresult PLUGIN_API setBusArrangements(vst3::SpeakerArrangement* inputs, vst3::int32 numIns,
                                              vst3::SpeakerArrangement* outputs, vst3::int32 numOuts) override;
  vst3::tresult PLUGIN_API getBusArrangement(vst3::BusDirection dir, vst3::int32 index,
                                             vst3::SpeakerArrangement* arr) override;
  vst3::tresult PLUGIN_API canProcessSampleSize(vst3::int32 symbolicSampleSize) override;
  vst3::uint32 PLUGIN_API getLatencySamples() override;
  vst3::tresult PLUGIN_API setupProcessing(vst3::ProcessSetup* setup) override;
  vst3::tresult PLUGIN_API setProcessing(vst3::TBool state) override;
  vst3::tresult PLUGIN_API process(vst3::ProcessData* data) override;
  vst3::uint32 PLUGIN_API getTailSamples() override;

  // ---- IProcessContextRequirements -----------------------------------------------------
  vst3::uint32 PLUGIN_API getProcessContextRequirements() override;

  // ---- IEditController ------------------------------------------------------------------
  vst3::tresult PLUGIN_API setComponentState(vst3::IBStream* state) override;
  vst3::int32 PLUGIN_API getParameterCount() override;
  vst3::tresult PLUGIN_API getParameterInfo(vst3::int32 paramIndex, vst3::ParameterInfo* info) override;
  vst3::tresult PLUGIN_API getParamStringByValue(vst3::ParamID id, vst3::ParamValue valueNormalized,
                                                 vst3::String128 string) override;
  vst3::tresult PLUGIN_API getParamValueByString(vst3::ParamID id, vst3::TChar* string,
                                                 vst3::ParamValue* valueNormalized) override;
  vst3::ParamValue PLUGIN_API normalizedParamToPlain(vst3::ParamID id, vst3::ParamValue valueNormalized) override;
  vst3::ParamValue PLUGIN_API plainParamToNormalized(vst3::ParamID id, vst3::ParamValue plainValue) override;
  vst3::ParamValue PLUGIN_API getParamNormalized(vst3::ParamID id) override;
  vst3::tresult PLUGIN_API setParamNormalized(vst3::ParamID id, vst3::ParamValue value) override;
  vst3::tresult PLUGIN_API setComponentHandler(vst3::IComponentHandler* handler) override;
  vst3::IPlugView* PLUGIN_API createView(vst3::FIDString name) override;

  // ---- for the view (IVst3EditorView) [ui] -------------------------------------------------
  IEditor* Editor() const;
  // Opens the editor in the host's window for view; false when another view
  // has it open or no window could be opened.
  bool OpenEditor(void* parent, IVst3EditorView* view);
  // Closes the editor view opened; nothing for another view.
  void CloseEditor(IVst3EditorView* view);

private:
  explicit IEffectVST3(const IVst3ClassDef& def);
  ~IEffectVST3();

  // The kinds of parameter ids.
  enum class EParamKind { kPlugin, kBypass, kMeter, kNone };
  EParamKind KindOf(vst3::ParamID id) const;

  // ---- state routes ----------------------------------------------------------------------
  vst3::tresult ProcessorSetState(vst3::IBStream* state) override;
  vst3::tresult ProcessorGetState(vst3::IBStream* state) override;
  vst3::tresult ControllerSetState(vst3::IBStream* state) override;
  vst3::tresult ControllerGetState(vst3::IBStream* state) override;
  // Reads a component state from the stream: exactly the program chunk's
  // size, with its header. False (chunk unusable) otherwise.
  bool ReadComponentState(vst3::IBStream* state, StateChunk* chunk) const;

  // ---- the host edits (IVst3HostEdits) -----------------------------------------------------
  void BeginEdit(int paramIdx) override;
  void PerformEdit(int paramIdx, double normalizedValue) override;
  void EndEdit(int paramIdx) override;
  bool ResizeView(int width, int height) override;

  // ---- processing [audio, the processor's lock held] ----------------------------------------
  // Where processing stands in a host queue of one of our parameters.
  struct QueueCursor {
    vst3::IParamValueQueue* queue = nullptr;  // null: no queue for the slot
    vst3::int32 points = 0;
    vst3::int32 next = 0;    // the point not applied yet, loaded below; points: none left
    vst3::int32 offset = 0;  // its sample offset and value
    double value = 0.0;
  };
  // Loads the cursor's next readable point, skipping those the host cannot give.
  static void LoadPoint(QueueCursor& cursor);
  // Sets the processor's parameter (or the bypass) of slot.
  void ApplyProcessorValue(int slot, double normalizedValue);
  // Applies the queues' points at or before offset; returns the offset of
  // the next point after it, or limit.
  vst3::int32 ApplyPointsUpTo(vst3::int32 offset, vst3::int32 limit);
  void ProcessPiece(vst3::ProcessData& data, vst3::int32 start, vst3::int32 frames);
  void MarkSilence(vst3::ProcessData& data);
  void ReportMeter(vst3::ProcessData& data);
  // Sets the processor's channel count (1 or 2) on both sides.
  void ApplyChannels(int channels);

  vst3::RefCount mRefs;
  const IVst3ClassDef& mDef;
  std::unique_ptr<IVst3Parts> mParts;
  IEffectBase* mProcessor = nullptr;   // owned by mParts
  IEffectBase* mController = nullptr;  // owned by mParts
  int mParamCount = 0;                 // the plug-in's own parameters

  // The processor's side, under its lock.
  int mChannels = 2;
  bool mActive = false;
  bool mBypass = false;
  double mMeterSent = -1.0;             // the last meter value reported; -1: none since activation
  std::vector<QueueCursor> mCursors;    // per slot: the plug-in's parameters, then the bypass

  // The controller's side [ui].
  vst3::IComponentHandler* mHandler = nullptr;  // held with a reference
  IVst3EditorView* mEditorView = nullptr;        // the view with the editor open; not owned
  std::atomic<double> mControllerBypass{0.0};
  std::atomic<double> mControllerMeter{0.0};
};
