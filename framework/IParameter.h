#pragma once
#include <cstdint>
#include "framework/GrowBuffer.h"

// One automatable value of the plug-in: the plain value in the units the user
// sees, its range, step and shape, the texts a host shows for it, and the
// conversions to and from the normalised value in [0, 1] that hosts and
// controls exchange. A record has no lock of its own: its value changes only
// under the plug-in's instance lock.
class IParameter {
public:
  enum EParamType : int32_t {
    kParamNone = 0,
    kParamBool = 1,
    kParamEnum = 3,
    kParamDouble = 4,
  };

  // One display text: a value (compared as an integer) and the text shown
  // instead of the number.
  struct ValueText {
    int32_t value;
    char text[32];
  };

  static constexpr int kTextSize = 32;
  static constexpr int kMaxPrecision = 6;

  IParameter();

  // Continuous parameter; the display precision is derived from the step.
  void DefineDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                    const char* label = "", const char* extraText = "");
  // Stepped parameters: a boolean (range [0, 1], step 1, display texts
  // offText / onText) and an enumeration of nItems values (range
  // [0, nItems - 1], step 1). Their display texts are offered as a menu.
  void DefineBool(const char* name, bool defaultVal, const char* label = "", const char* offText = "off",
                  const char* onText = "on");
  void DefineEnum(const char* name, int defaultVal, int nItems, const char* label = "");
  // Adds (or replaces) the display text for an integer value.
  void SetDisplayText(int value, const char* text);
  void SetShowNegated(bool negated) { mShowNegated = negated; }
  void SetShape(double shape);

  // Plain value limited to [min, max]; not snapped. NaN is ignored.
  void Set(double value);
  // Normalised input limited to [0, 1], mapped through the shape, snapped to
  // the step unless continuous, then limited at the maximum. NaN is ignored.
  void SetFromNormalized(double normalizedValue);
  double NormalizedValue() const { return ToNormalized(mValue); }
  double ToNormalized(double value) const;
  double FromNormalized(double normalizedValue) const;  // the shape mapping only
  double Value() const { return mValue; }

  const char* NameForHost() const { return mName; }
  // The label, or "" when a display text already names the current value.
  const char* LabelForHost() const;
  // Writes the value's text (the display text, or the number with the
  // parameter's precision) into out, which holds outSize bytes (at least 1);
  // the text is cut to fit and always NUL-terminated. A normalised value is
  // limited to [0, 1] and mapped through the shape, without step snapping.
  void FormatForHost(double value, bool normalized, char* out, int outSize, bool withDisplayText = true) const;
  // The value a host's text names (text not null): one of the display texts
  // where the parameter has them (false for any other text), else a number
  // with '.' or ',' as its mark, negated where values are shown negated.
  bool ParseForHost(const char* text, double* value) const;

  EParamType Type() const { return static_cast<EParamType>(mType); }
  double Min() const { return mMin; }
  double Max() const { return mMax; }
  double Step() const { return mStep; }
  double Shape() const { return mShape; }
  double Default() const { return mDefault; }
  int Precision() const { return mPrecision; }
  const char* Label() const { return mLabel; }
  bool ShowNegated() const { return mShowNegated; }

  int NDisplayTexts() const;
  // The i-th display text and its value; null outside the list.
  const char* GetDisplayText(int i, int* value = nullptr) const;
  // The display text for an integer value, or null when there is none.
  const char* DisplayTextForValue(int value) const;
  // Exact whole-text match against the display texts; true and *value set on
  // a match.
  bool MapDisplayText(const char* text, double* value) const;

private:
  int32_t mType;
  double mValue;
  double mMin;
  double mMax;
  double mStep;
  double mShape;
  double mDefault;
  int32_t mPrecision;
  char mName[kTextSize];
  char mLabel[kTextSize];
  char mExtraText[kTextSize];
  bool mShowNegated;
  GrowBuffer mValueTexts{GrowBuffer::kDefaultGranularity};  // ValueText entries, back to back
};
