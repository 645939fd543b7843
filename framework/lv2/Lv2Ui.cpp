#include "framework/lv2/Lv2Ui.h"

#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "framework/ConstructionLock.h"
#include "framework/IEditor.h"
#include "framework/IEffectBase.h"
#include "framework/Lock.h"
#include "framework/lv2/Lv2Description.h"
#include "framework/lv2/Lv2Features.h"

namespace {

class Lv2UiInstance : public ILv2UiHost {
public:
  Lv2UiInstance(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2UI_Touch* touch,
                const LV2UI_Resize* resize)
      : mDesc(Lv2PluginDescription()), mWrite(write), mController(controller), mTouch(touch), mResize(resize) {}

  ~Lv2UiInstance() override {
    if (mEditor) mEditor->CloseWindow();
  }

  // The object and its editor's window; the window, or null.
  void* Open(void* parent, double scale) {
    {
      ILockGuard construction(ConstructionLock());
      mEffect.reset(CreateLv2UiEffect(this));
    }
    mEditor = mEffect ? mEffect->GetEditor() : nullptr;
    if (!mEditor) return nullptr;
    {
      // The value texts and the controls start from the defaults until the
      // host's port events come.
      ILockGuard guard(mEffect->Lock());
      mEffect->NotifyAllParams();
    }
    mEditor->SetHostScale(scale);
    void* window = mEditor->OpenWindow(parent);
    if (window && mResize) mResize->ui_resize(mResize->handle, mEditor->Width(), mEditor->Height());
    return window;
  }

  void PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    if (format != 0 || size != sizeof(float) || !buffer) return;
    float value;
    std::memcpy(&value, buffer, sizeof value);
    const int nParams = mEffect->ParamCount();
    const int first = mDesc.FirstParamPort();
    const int index = static_cast<int>(port);
    if (index >= first && index - first < nParams) {
      const int paramIdx = index - first;
      ILockGuard guard(mEffect->Lock());
      IParameter* param = mEffect->GetParam(paramIdx);
      param->Set(value);
      mEffect->ParamChanged(paramIdx);
      mEditor->ParamValueChanged(paramIdx, param->NormalizedValue());
    } else if (index >= mDesc.FirstMeterPort(nParams) && index - mDesc.FirstMeterPort(nParams) < mDesc.nMeters) {
      ShowLv2Meter(mEffect.get(), index - mDesc.FirstMeterPort(nParams), value);
    }
  }

  int Idle() {
    mEditor->Idle();
    return 0;
  }

  void BeginEdit(int paramIdx) override {
    if (mTouch) mTouch->touch(mTouch->handle, Port(paramIdx), true);
  }
  void EndEdit(int paramIdx) override {
    if (mTouch) mTouch->touch(mTouch->handle, Port(paramIdx), false);
  }
  void WriteParam(int paramIdx, double plainValue) override {
    const float value = static_cast<float>(plainValue);
    if (mWrite) mWrite(mController, Port(paramIdx), sizeof value, 0, &value);
  }
  bool RequestSize(int width, int height) override {
    return mResize && mResize->ui_resize(mResize->handle, width, height) == 0;
  }

private:
  uint32_t Port(int paramIdx) const { return static_cast<uint32_t>(mDesc.FirstParamPort() + paramIdx); }

  const Lv2Description& mDesc;
  LV2UI_Write_Function mWrite;
  LV2UI_Controller mController;
  const LV2UI_Touch* mTouch;    // null when the host does not offer it
  const LV2UI_Resize* mResize;  // likewise
  std::unique_ptr<IEffectBase> mEffect;
  IEditor* mEditor = nullptr;   // owned by mEffect
};

Lv2UiInstance* InstanceOf(LV2UI_Handle handle) { return static_cast<Lv2UiInstance*>(handle); }

extern "C" {

static LV2UI_Handle Instantiate(const LV2UI_Descriptor* /*descriptor*/, const char* /*pluginUri*/,
                                const char* /*bundlePath*/, LV2UI_Write_Function write,
                                LV2UI_Controller controller, LV2UI_Widget* widget,
                                const LV2_Feature* const* features) {
  void* parent = lv2::FeatureData(features, LV2_UI__parent);
  if (!parent || !widget) return nullptr;
  auto* map = static_cast<LV2_URID_Map*>(lv2::FeatureData(features, LV2_URID__map));
  const auto* options = static_cast<const LV2_Options_Option*>(lv2::FeatureData(features, LV2_OPTIONS__options));
  double scale = 0.0;
  lv2::NumericOption(options, map, LV2_UI__scaleFactor, &scale);
  auto* instance = new Lv2UiInstance(write, controller,
                                     static_cast<const LV2UI_Touch*>(lv2::FeatureData(features, LV2_UI__touch)),
                                     static_cast<const LV2UI_Resize*>(lv2::FeatureData(features, LV2_UI__resize)));
  void* window = instance->Open(parent, scale);
  if (!window) {
    delete instance;
    return nullptr;
  }
  *widget = window;
  return instance;
}

static void Cleanup(LV2UI_Handle handle) { delete InstanceOf(handle); }

static void PortEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
  InstanceOf(handle)->PortEvent(port, size, format, buffer);
}

static int Idle(LV2UI_Handle handle) { return InstanceOf(handle)->Idle(); }

static const void* ExtensionData(const char* uri) {
  static const LV2UI_Idle_Interface kIdle = {Idle};
  if (uri && std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdle;
  return nullptr;
}

}  // extern "C"

}  // namespace

const LV2UI_Descriptor* Lv2UiDescriptor() {
  static const LV2UI_Descriptor kDescriptor = {Lv2PluginDescription().uiUri, Instantiate, Cleanup, PortEvent,
                                               ExtensionData};
  return &kDescriptor;
}
