#include "framework/IParameter.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/CopyText.h"
#include "common/NumberText.h"

namespace {

// The value truncated toward zero, when it is representable as an int.
bool TruncToInt(double v, int* out) {
  if (!(v > static_cast<double>(INT_MIN) - 1.0 && v < static_cast<double>(INT_MAX) + 1.0)) return false;
  *out = static_cast<int>(v);
  return true;
}

}  // namespace

IParameter::IParameter()
    : mType(kParamNone),
      mValue(0.0),
      mMin(0.0),
      mMax(1.0),
      mStep(1.0),
      mShape(1.0),
      mDefault(0.0),
      mPrecision(0),
      mName(),
      mLabel(),
      mExtraText(),
      mShowNegated(false) {}

void IParameter::DefineDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                              const char* label, const char* extraText) {
  if (mType == kParamNone) mType = kParamDouble;
  CopyTextBounded(mName, sizeof mName, name);
  CopyTextBounded(mLabel, sizeof mLabel, label);
  CopyTextBounded(mExtraText, sizeof mExtraText, extraText);
  mValue = defaultVal;
  mMin = minVal;
  mMax = maxVal;
  mStep = step;
  mDefault = defaultVal;
  int p = 0;
  double s = step;
  while (p < kMaxPrecision && std::floor(s) != s) {
    ++p;
    s *= 10.0;
  }
  mPrecision = p;
  mShape = 1.0;
}

void IParameter::DefineBool(const char* name, bool defaultVal, const char* label, const char* offText,
                            const char* onText) {
  mType = kParamBool;
  DefineDouble(name, defaultVal ? 1.0 : 0.0, 0.0, 1.0, 1.0, label, "");
  mValueTexts.Resize(0);
  SetDisplayText(0, offText);
  SetDisplayText(1, onText);
}

void IParameter::DefineEnum(const char* name, int defaultVal, int nItems, const char* label) {
  mType = kParamEnum;
  const double maxVal = nItems > 1 ? static_cast<double>(nItems - 1) : 0.0;
  const double def = std::min(std::max(static_cast<double>(defaultVal), 0.0), maxVal);
  DefineDouble(name, def, 0.0, maxVal, 1.0, label, "");
  mValueTexts.Resize(0);
}

void IParameter::SetDisplayText(int value, const char* text) {
  ValueText entry{};
  entry.value = value;
  CopyTextBounded(entry.text, sizeof entry.text, text);
  const int n = NDisplayTexts();
  auto* base = static_cast<unsigned char*>(mValueTexts.Data());
  for (int i = 0; i < n; ++i) {
    ValueText existing;
    std::memcpy(&existing, base + i * sizeof(ValueText), sizeof existing);
    if (existing.value == value) {
      std::memcpy(base + i * sizeof(ValueText), &entry, sizeof entry);
      return;
    }
  }
  const int64_t bytes = (static_cast<int64_t>(n) + 1) * static_cast<int64_t>(sizeof(ValueText));
  if (bytes > INT32_MAX || !mValueTexts.Resize(static_cast<int>(bytes)) || mValueTexts.Size() != bytes) return;
  std::memcpy(static_cast<unsigned char*>(mValueTexts.Data()) + n * sizeof(ValueText), &entry, sizeof entry);
}

void IParameter::SetShape(double shape) { mShape = shape; }

void IParameter::Set(double value) {
  if (std::isnan(value)) return;
  mValue = std::min(std::max(value, mMin), mMax);
}

double IParameter::FromNormalized(double normalizedValue) const {
  return mMin + (mMax - mMin) * std::pow(normalizedValue, mShape);
}

void IParameter::SetFromNormalized(double normalizedValue) {
  if (std::isnan(normalizedValue)) return;
  const double n = std::min(std::max(normalizedValue, 0.0), 1.0);
  double v = FromNormalized(n);
  if (mType != kParamDouble && mStep > 0.0) v = std::floor(v / mStep + 0.5) * mStep;
  if (std::isnan(v)) return;
  mValue = std::min(v, mMax);
}

double IParameter::ToNormalized(double value) const {
  if (!(mMax > mMin)) return 0.0;
  const double c = std::min(std::max(value, mMin), mMax);
  return std::pow((c - mMin) / (mMax - mMin), 1.0 / mShape);
}

int IParameter::NDisplayTexts() const { return mValueTexts.Size() / static_cast<int>(sizeof(ValueText)); }

const char* IParameter::GetDisplayText(int i, int* value) const {
  if (i < 0 || i >= NDisplayTexts()) return nullptr;
  const auto* entry = reinterpret_cast<const ValueText*>(static_cast<const unsigned char*>(mValueTexts.Data()) +
                                                         i * sizeof(ValueText));
  if (value) *value = entry->value;
  return entry->text;
}

const char* IParameter::DisplayTextForValue(int value) const {
  const int n = NDisplayTexts();
  for (int i = 0; i < n; ++i) {
    int v = 0;
    const char* text = GetDisplayText(i, &v);
    if (v == value) return text;
  }
  return nullptr;
}

bool IParameter::ParseForHost(const char* text, double* value) const {
  if (NDisplayTexts() > 0) return MapDisplayText(text, value);
  *value = ParseNumber(text);
  if (mShowNegated) *value = -*value;
  return true;
}

bool IParameter::MapDisplayText(const char* text, double* value) const {
  if (!text) return false;
  const int n = NDisplayTexts();
  for (int i = 0; i < n; ++i) {
    int v = 0;
    const char* entry = GetDisplayText(i, &v);
    if (std::strcmp(entry, text) == 0) {
      if (value) *value = v;
      return true;
    }
  }
  return false;
}

const char* IParameter::LabelForHost() const {
  int iv = 0;
  if (NDisplayTexts() > 0 && TruncToInt(mValue, &iv)) {
    const char* text = DisplayTextForValue(iv);
    if (text && text[0]) return "";
  }
  return mLabel;
}

void IParameter::FormatForHost(double value, bool normalized, char* out, int outSize, bool withDisplayText) const {
  if (!out || outSize < 1) return;
  // Limited like SetFromNormalized, so the text shows what the parameter would hold.
  if (normalized) value = FromNormalized(std::isnan(value) ? value : std::min(std::max(value, 0.0), 1.0));
  int iv = 0;
  if (withDisplayText && NDisplayTexts() > 0 && TruncToInt(value, &iv)) {
    const char* text = DisplayTextForValue(iv);
    if (text && text[0]) {
      CopyTextBounded(out, static_cast<size_t>(outSize), text);
      return;
    }
  }
  if (mShowNegated) value = -value;
  // The decimal mark is '.' whatever the host's locale: hosts and stored
  // projects keep these texts, and hand them back to effString2Parameter.
  if (mPrecision > 0) {
    FormatFixed(value, mPrecision, out, static_cast<size_t>(outSize));
  } else if (TruncToInt(value, &iv)) {
    std::snprintf(out, static_cast<size_t>(outSize), "%d", iv);
  } else {
    // Beyond int (or not finite): the same digits "%d" would give, without the undefined conversion.
    FormatFixed(std::trunc(value), 0, out, static_cast<size_t>(outSize));
  }
}
