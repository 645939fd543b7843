#pragma once
// What a plug-in gives the VST 3 adapter (IEffectVST3.h): its class as the
// factory lists it, and for each instance a pair of its plug-in objects:
// - the processor, made with no editor and no host, processes audio and
//   holds the state hosts save;
// - the controller, made with its editor, holds the values the host's user
//   interface shows and reports the user's edits. Its class derives through
//   IVst3ControllerSide, so that the base's host-facing slots reach the host.
// The two share nothing. The host carries the user's edits from the
// controller to the processor (the handler's edits, then the processor's
// parameter queues), automation to both, and the processor's state to the
// controller (setComponentState). Thread tags: framework/ThreadTags.h.
#include <utility>

#include "framework/IEffectBase.h"
#include "framework/vst3/Vst3Base.h"

// The controller's calls for the host, which the adapter passes on.
class IVst3HostEdits {
public:
  // [ui] A gesture on parameter paramIdx: begin, any number of values, end
  // (IComponentHandler's beginEdit, performEdit and endEdit).
  virtual void BeginEdit(int paramIdx) = 0;
  virtual void PerformEdit(int paramIdx, double normalizedValue) = 0;
  virtual void EndEdit(int paramIdx) = 0;
  // [ui] The open editor asks for a window of width x height pixels
  // (IPlugFrame::resizeView); true when the host resized it.
  virtual bool ResizeView(int width, int height) = 0;

protected:
  ~IVst3HostEdits() = default;
};

// A plug-in class Plug as the controller: its base's host-facing slots go to
// the adapter. Plug's other host calls (VST2's, when Plug is a VST2 plug-in
// made without a host) answer nothing.
template <class Plug>
class IVst3ControllerSide : public Plug {
public:
  template <class... Args>
  explicit IVst3ControllerSide(IVst3HostEdits* host, Args&&... args)
      : Plug(std::forward<Args>(args)...), mHost(host) {}

  void BeginHostEdit(int paramIdx) override { mHost->BeginEdit(paramIdx); }
  void NotifyHostOfParam(int paramIdx, double normalizedValue) override {
    mHost->PerformEdit(paramIdx, normalizedValue);
  }
  void EndHostEdit(int paramIdx) override { mHost->EndEdit(paramIdx); }
  bool RequestEditorSize(int width, int height) override { return mHost->ResizeView(width, height); }

private:
  IVst3HostEdits* mHost;  // the adapter, which outlives this object
};

// One instance's plug-in objects, owned by the adapter.
class IVst3Parts {
public:
  virtual ~IVst3Parts() = default;
  // The processor and the controller; both live as long as the parts.
  virtual IEffectBase* Processor() = 0;
  virtual IEffectBase* Controller() = 0;
  // [audio, the processor's lock held] The meter's normalised value (0..1)
  // after nFrames more frames were processed; it reaches the controller as a
  // read-only parameter. Asked only of classes with a meter.
  virtual double ReadMeter(int /*nFrames*/) { return 0.0; }
  // [ui] Shows a meter value the host relayed to the controller.
  virtual void ShowMeter(double /*normalizedValue*/) {}
};

// The plug-in's class. Its name, vendor and version are those of config.
struct IVst3ClassDef {
  IEffectConfig config;
  vst3::uint32 cid[4];        // the class id's words l1 to l4: chosen once, never changed
  const char* subCategories;  // e.g. "Fx|Dynamics"
  const char* url;
  const char* email;
  // Ids of the parameters the adapter adds to the plug-in's own (whose ids
  // are their indices): these must lie beyond them, and never change.
  vst3::ParamID bypassId;
  vst3::ParamID meterId;
  const char* meterTitle;  // null: the class has no meter
  // Makes an instance's parts; the controller's edits go to edits. Null when
  // they cannot be made.
  IVst3Parts* (*makeParts)(IVst3HostEdits* edits);
};

// Defined by the plug-in: the module's one class.
const IVst3ClassDef& Vst3PluginClass();
