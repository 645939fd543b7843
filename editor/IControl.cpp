#include "editor/IControl.h"

#include <cmath>

#include "editor/IBitmapTextControl.h"
#include "framework/IEffectBase.h"

IControl::IControl(IEffectBase* plugin, const IBounds& rect, int paramIdx, const IBlend& blend)
    : mPlugin(plugin), mBounds(rect), mHitBounds(rect), mParamIndex(paramIdx), mBlending(blend) {}

IControl::~IControl() = default;

const IControl::IAuxBinding* IControl::GetAuxBinding(int index) const {
  return index >= 0 && index < AuxBindingCount() ? &mAuxBindings[static_cast<size_t>(index)] : nullptr;
}

void IControl::OnMouseDown(int /*x*/, int /*y*/, const IModifiers& mods) {
  if (mods.right) OpenValueEntry();
}

void IControl::OnMouseUp(int, int, const IModifiers&) {}
void IControl::OnMouseDrag(int, int, int, int, const IModifiers&) {}

void IControl::OnDoubleClick(int, int, const IModifiers&) {
  if (mResetValue >= 0.0) {
    mNormValue = mResetValue;
    MarkDirty(true);
  }
}

void IControl::OnMouseWheel(int, int, const IModifiers&, int) {}
bool IControl::OnKeyDown(int, int, int) { return false; }
void IControl::OnMouseOver(int, int, const IModifiers&) {}
void IControl::OnMouseOut() {}

void IControl::ApplyPluginValue(double value) {
  if (mResetValue < 0.0) {
    mNormValue = value;
    mResetValue = value;
  }
  // "Differs" includes values that do not compare (NaN).
  if (!(mNormValue == value)) {
    mNormValue = value;
    MarkDirty(false);
    mDrawAgain = true;
  }
}

void IControl::ApplyUserValue(double value) {
  if (!(mNormValue == value)) {
    mNormValue = value;
    MarkDirty(true);
    mDrawAgain = true;
  }
}

void IControl::ApplyUserText(const char*) {}

void IControl::SetHidden(bool hide) {
  mHidden = hide;
  mDrawAgain = true;
  MarkDirty(false);
}

void IControl::SetGreyed(bool grey) {
  mGreyed = grey;
  mBlending.weight = grey ? 0.25f : 1.0f;
  MarkDirty(false);
}

bool IControl::HitTest(int x, int y) { return !mHitBounds.Empty() && mHitBounds.Contains(x, y); }

void IControl::MarkDirty(bool pushToPlug) {
  // A NaN fails both comparisons and ends at the top of the range.
  if (mNormValue < mMinNorm) {
    mNormValue = mMinNorm;
  } else if (!(mNormValue < mMaxNorm)) {
    mNormValue = mMaxNorm;
  }
  mNeedsDraw = true;
  if (!pushToPlug || !mPlugin || mParamIndex < 0) return;

  mPlugin->SetParamFromEditor(mParamIndex, mNormValue);
  const IParameter* param = mPlugin->GetParam(mParamIndex);
  if (!param) return;
  // The labels' texts are handed over under the instance lock, as every text is.
  ILockGuard guard(mPlugin->Lock());
  if (mValueLabel) {
    char value[IParameter::kTextSize];
    param->FormatForHost(param->Value(), false, value, sizeof value, true);
    std::string text = value;
    text += ' ';
    text += param->LabelForHost();
    mValueLabel->ShowText(text.c_str());
  }
  if (mNameLabel) mNameLabel->ShowText(param->NameForHost());
}

void IControl::MarkDrawn() {
  mNeedsDraw = mDrawAgain;
  mDrawAgain = false;
}

bool IControl::NeedsDraw() const { return mNeedsDraw; }

void IControl::UnusedHookSlot19() {}

void IControl::ApplyHandedOver() {}

void IControl::ApplyPluginAuxValue(int index, double value) {
  if (index < 0 || index >= AuxBindingCount()) return;
  IAuxBinding& binding = mAuxBindings[static_cast<size_t>(index)];
  if (!(binding.value == value)) {
    binding.value = value;
    MarkDirty(false);
    mDrawAgain = true;
  }
}

void IControl::OpenValueEntry() {
  if (mParamIndex < 0 || mNoPrompt || !mPlugin) return;
  IParameter* param = mPlugin->GetParam(mParamIndex);
  IGraphics* graphics = Graphics();
  if (!param || !graphics) return;
  IBounds area = mBounds;
  if (param->NDisplayTexts() == 0) {
    // The centre in single precision, as the entry box has always been placed.
    const int cx = static_cast<int>(static_cast<float>(mBounds.left + mBounds.right) * 0.5f);
    const int cy = static_cast<int>(static_cast<float>(mBounds.top + mBounds.bottom) * 0.5f);
    area = IBounds(cx - 20, cy - 8, cx + 20, cy + 8);
  }
  graphics->OpenValueEntry(this, param, area);
  mDrawAgain = true;
}

int FrameForValue(double value, int frames) {
  if (frames < 2) return 1;
  const double i = std::trunc((frames - 1) * value + 0.5) + 1.0;
  if (!(i >= 1.0)) return 1;
  if (i > frames) return frames;
  return static_cast<int>(i);
}
