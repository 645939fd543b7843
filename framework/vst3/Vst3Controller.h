#pragma once
// The controller side of the VST 3 interface: parameters, the host's handler
// of edits, and the way to the editor. Conventions as in Vst3Base.h.
//
// The controller is either a class of its own (the component names its class
// id; the host creates, initializes and connects both) or the component
// itself, found by querying it for IEditController. IComponent and
// IEditController declare setState and getState with the same signature, so
// in one object a single override would fill both pairs of slots: route them
// deliberately.

#include "framework/vst3/Vst3Base.h"

namespace vst3 {

class IPlugView;

// The unit of every parameter when the plug-in does not describe units.
constexpr UnitID kRootUnitId = 0;

// The name createView answers.
constexpr char kEditorViewType[] = "editor";

// Description of one parameter.
struct ParameterInfo {
  // Bits of flags.
  enum ParameterFlags : int32 {
    kNoFlags = 0,
    kCanAutomate = 1 << 0,        // never together with kIsReadOnly
    kIsReadOnly = 1 << 1,         // set by the processor only (meters)
    kIsWrapAround = 1 << 2,       // the value wraps from the maximum to the minimum
    kIsList = 1 << 3,             // shown as a list of stepCount + 1 texts
    kIsHidden = 1 << 4,           // not shown to the user
    kIsProgramChange = 1 << 15,   // selects a program
    kIsBypass = 1 << 16,          // the one bypass; may add only kCanAutomate
  };

  ParamID id;  // unique, at most kMaxPluginParamId
  String128 title;  // non-empty
  String128 shortTitle;
  String128 units;
  int32 stepCount;  // 0 continuous, 1 toggle, N > 1: N + 1 values at step / N
  ParamValue defaultNormalizedValue;  // 0 to 1
  UnitID unitId;  // kRootUnitId without unit support
  int32 flags;  // ParameterFlags
};

// Bits of restartComponent's argument.
enum RestartFlags : int32 {
  kReloadComponent = 1 << 0,            // the host reloads the component
  kIoChanged = 1 << 1,                  // buses or arrangements changed
  kParamValuesChanged = 1 << 2,         // the host rereads every parameter's value
  kLatencyChanged = 1 << 3,             // the host deactivates, reactivates and rereads the latency
  kParamTitlesChanged = 1 << 4,         // the host rereads the parameter descriptions
  kMidiCCAssignmentChanged = 1 << 5,
  kNoteExpressionChanged = 1 << 6,
  kIoTitlesChanged = 1 << 7,            // bus names changed
  kPrefetchableSupportChanged = 1 << 8,
  kRoutingInfoChanged = 1 << 9,
  kKeyswitchChanged = 1 << 10,
  kParamIDMappingChanged = 1 << 11,
};

enum KnobModes : KnobMode {
  kCircularMode = 0,
  kRelativCircularMode = 1,
  kLinearMode = 2,
};

// The host's receiver of the user's edits. A gesture is beginEdit, any number
// of performEdit, then endEdit.
class IComponentHandler : public FUnknown {
 public:
  // 3 [ui] a gesture on parameter id begins.
  virtual tresult PLUGIN_API beginEdit(ParamID id) = 0;
  // 4 [ui] the user set parameter id to a normalized value.
  virtual tresult PLUGIN_API performEdit(ParamID id, ParamValue valueNormalized) = 0;
  // 5 [ui] the gesture on parameter id ends.
  virtual tresult PLUGIN_API endEdit(ParamID id) = 0;
  // 6 [ui] RestartFlags: what the host must reread or redo.
  virtual tresult PLUGIN_API restartComponent(int32 flags) = 0;

  static constexpr Uid iid = MakeUid(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);
};

// Optional on the handler (query it).
class IComponentHandler2 : public FUnknown {
 public:
  // 3 [ui] marks the host's project as changed (1) or not (0).
  virtual tresult PLUGIN_API setDirty(TBool state) = 0;
  // 4 [ui] asks the host to open the view called name.
  virtual tresult PLUGIN_API requestOpenEditor(FIDString name) = 0;
  // 5 [ui] the edits that follow, up to finishGroupEdit, form one undo step.
  virtual tresult PLUGIN_API startGroupEdit() = 0;
  // 6 [ui] ends the group started by startGroupEdit.
  virtual tresult PLUGIN_API finishGroupEdit() = 0;

  static constexpr Uid iid = MakeUid(0xF040B4B3, 0xA36045EC, 0xABCDC045, 0xB4D5A2CC);
};

class IEditController : public IPluginBase {
 public:
  // 5 [ui] state: borrowed, holds the component's getState bytes; sets every parameter from them.
  virtual tresult PLUGIN_API setComponentState(IBStream* state) = 0;
  // 6 [ui] state: borrowed, holds what the controller's getState wrote.
  virtual tresult PLUGIN_API setState(IBStream* state) = 0;
  // 7 [ui] writes the controller-only state, which may be nothing.
  virtual tresult PLUGIN_API getState(IBStream* state) = 0;
  // 8 [ui] the number of parameters.
  virtual int32 PLUGIN_API getParameterCount() = 0;
  // 9 [ui] fills parameter paramIndex's description; kResultOk for every index below the count.
  virtual tresult PLUGIN_API getParameterInfo(int32 paramIndex, ParameterInfo* info) = 0;
  // 10 [ui] fills string with the text of parameter id at a normalized value.
  virtual tresult PLUGIN_API getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) = 0;
  // 11 [ui] parses a NUL-terminated text of parameter id into a normalized value.
  virtual tresult PLUGIN_API getParamValueByString(ParamID id, TChar* string, ParamValue* valueNormalized) = 0;
  // 12 [ui] parameter id's plain value for a normalized one.
  virtual ParamValue PLUGIN_API normalizedParamToPlain(ParamID id, ParamValue valueNormalized) = 0;
  // 13 [ui] parameter id's normalized value for a plain one.
  virtual ParamValue PLUGIN_API plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
  // 14 [ui] parameter id's current normalized value.
  virtual ParamValue PLUGIN_API getParamNormalized(ParamID id) = 0;
  // 15 [ui] the host sets parameter id: update the model and the editor, never echo through the handler.
  virtual tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue value) = 0;
  // 16 [ui] handler: borrowed, kept with addRef; null releases the one held.
  virtual tresult PLUGIN_API setComponentHandler(IComponentHandler* handler) = 0;
  // 17 [ui] a new view with a reference for the caller for name kEditorViewType; null otherwise.
  virtual IPlugView* PLUGIN_API createView(FIDString name) = 0;

  static constexpr Uid iid = MakeUid(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);
};

// Optional on the controller; each method answers kResultFalse when unsupported.
class IEditController2 : public FUnknown {
 public:
  // 3 [ui] KnobModes: how knobs follow the mouse.
  virtual tresult PLUGIN_API setKnobMode(KnobMode mode) = 0;
  // 4 [ui] opens the help; onlyCheck 1 only asks whether there is one.
  virtual tresult PLUGIN_API openHelp(TBool onlyCheck) = 0;
  // 5 [ui] opens the about box; onlyCheck 1 only asks whether there is one.
  virtual tresult PLUGIN_API openAboutBox(TBool onlyCheck) = 0;

  static constexpr Uid iid = MakeUid(0x7F4EFE59, 0xF3204967, 0xAC27A3AE, 0xAFB63038);
};

// ---- binary layout checks ------------------------------------------------------------------

MORVANE_VST3_LAYOUT(ParameterInfo, 792, 8, 792, 8);
MORVANE_VST3_OFFSET(ParameterInfo, id, 0, 0);
MORVANE_VST3_OFFSET(ParameterInfo, title, 4, 4);
MORVANE_VST3_OFFSET(ParameterInfo, shortTitle, 260, 260);
MORVANE_VST3_OFFSET(ParameterInfo, units, 516, 516);
MORVANE_VST3_OFFSET(ParameterInfo, stepCount, 772, 772);
MORVANE_VST3_OFFSET(ParameterInfo, defaultNormalizedValue, 776, 776);
MORVANE_VST3_OFFSET(ParameterInfo, unitId, 784, 784);
MORVANE_VST3_OFFSET(ParameterInfo, flags, 788, 788);

}  // namespace vst3
