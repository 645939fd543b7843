// The parameter record, its conversions and its texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "framework/IParameter.h"

namespace {

void DefineAttack(IParameter& p) { p.DefineDouble("Attack", 0.0, -100.0, 100.0, 0.01, "%", ""); }

std::string Format(const IParameter& p, double v, bool normalized, bool withDisplayText = true) {
  char out[64];
  std::memset(out, 'x', sizeof out);
  p.FormatForHost(v, normalized, out, sizeof out, withDisplayText);
  return out;
}

TEST(Parameter, BlankRecord) {
  IParameter p;
  EXPECT_EQ(p.Type(), IParameter::kParamNone);
  EXPECT_EQ(p.Value(), 0.0);
  EXPECT_EQ(p.Min(), 0.0);
  EXPECT_EQ(p.Max(), 1.0);
  EXPECT_EQ(p.Step(), 1.0);
  EXPECT_EQ(p.Shape(), 1.0);
  EXPECT_EQ(p.Default(), 0.0);
  EXPECT_EQ(p.Precision(), 0);
  EXPECT_STREQ(p.NameForHost(), "");
  EXPECT_STREQ(p.Label(), "");
  EXPECT_FALSE(p.ShowNegated());
  EXPECT_EQ(p.NDisplayTexts(), 0);
}

TEST(Parameter, DefineDoubleSetsEverything) {
  IParameter p;
  p.SetShape(3.0);
  p.DefineDouble("Sustain Length", 500.0, 0.0, 750.0, 0.01, "ms", "extra");
  EXPECT_EQ(p.Type(), IParameter::kParamDouble);
  EXPECT_STREQ(p.NameForHost(), "Sustain Length");
  EXPECT_STREQ(p.LabelForHost(), "ms");
  EXPECT_EQ(p.Value(), 500.0);
  EXPECT_EQ(p.Default(), 500.0);
  EXPECT_EQ(p.Min(), 0.0);
  EXPECT_EQ(p.Max(), 750.0);
  EXPECT_EQ(p.Step(), 0.01);
  EXPECT_EQ(p.Shape(), 1.0);  // reset by the definition
  EXPECT_EQ(p.Precision(), 2);
}

TEST(Parameter, DefineDoubleKeepsAnExistingType) {
  IParameter p;
  p.DefineEnum("Mode", 0, 3);
  p.DefineDouble("Mode", 1.0, 0.0, 2.0, 1.0);
  EXPECT_EQ(p.Type(), IParameter::kParamEnum);
}

TEST(Parameter, PrecisionFromStep) {
  const struct {
    double step;
    int precision;
  } cases[] = {{0.01, 2}, {0.1, 1}, {1.0, 0}, {5.0, 0}, {0.5, 1}, {0.001, 3}, {1e-9, 6}, {0.0, 0}};
  for (const auto& c : cases) {
    IParameter p;
    p.DefineDouble("p", 0.0, 0.0, 1.0, c.step);
    EXPECT_EQ(p.Precision(), c.precision) << "step " << c.step;
  }
}

TEST(Parameter, AttackAtHalfAndQuarter) {
  IParameter p;
  DefineAttack(p);
  p.SetFromNormalized(0.5);
  EXPECT_DOUBLE_EQ(p.Value(), 0.0);
  EXPECT_EQ(Format(p, p.Value(), false), "0.00");
  p.SetFromNormalized(0.25);
  EXPECT_DOUBLE_EQ(p.Value(), -50.0);
  EXPECT_EQ(Format(p, p.Value(), false), "-50.00");
}

TEST(Parameter, GainShape) {
  IParameter p;
  p.DefineDouble("Gain", 0.0, -94.0, 6.0, 0.01, "dB", "");
  p.SetShape(0.09);
  EXPECT_NEAR(p.ToNormalized(0.0), std::pow(0.94, 1.0 / 0.09), 1e-12);
  EXPECT_NEAR(p.ToNormalized(0.0), 0.5028, 1e-4);
  EXPECT_NEAR(p.NormalizedValue(), 0.5028, 1e-4);
  p.SetFromNormalized(1.0);
  EXPECT_DOUBLE_EQ(p.Value(), 6.0);
  p.SetFromNormalized(0.0);
  EXPECT_DOUBLE_EQ(p.Value(), -94.0);
  // The mapping round-trips.
  p.SetFromNormalized(std::pow(0.94, 1.0 / 0.09));
  EXPECT_NEAR(p.Value(), 0.0, 1e-9);
}

TEST(Parameter, ContinuousKeepsUnsnappedValues) {
  IParameter p;
  DefineAttack(p);
  p.SetFromNormalized(0.123456);
  EXPECT_NEAR(p.Value(), -75.3088, 1e-9);
  EXPECT_NE(p.Value(), -75.31);
}

TEST(Parameter, SetLimitsToRange) {
  IParameter p;
  p.DefineDouble("Sustain Length", 500.0, 0.0, 750.0, 0.01, "ms", "");
  p.Set(1000.0);
  EXPECT_EQ(p.Value(), 750.0);
  p.Set(-5.0);
  EXPECT_EQ(p.Value(), 0.0);
  p.Set(123.456);  // no snapping
  EXPECT_EQ(p.Value(), 123.456);
}

TEST(Parameter, NaNIsIgnored) {
  IParameter p;
  DefineAttack(p);
  p.Set(12.5);
  p.Set(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(p.Value(), 12.5);
  p.SetFromNormalized(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(p.Value(), 12.5);
}

TEST(Parameter, SetFromNormalizedLimitsItsInput) {
  IParameter p;
  p.DefineDouble("Gain", 0.0, -94.0, 6.0, 0.01, "dB", "");
  p.SetShape(0.09);
  p.SetFromNormalized(-0.5);  // would be a NaN power without the limit
  EXPECT_EQ(p.Value(), -94.0);
  p.SetFromNormalized(7.0);
  EXPECT_EQ(p.Value(), 6.0);
  p.SetFromNormalized(std::numeric_limits<double>::infinity());
  EXPECT_EQ(p.Value(), 6.0);
  p.SetFromNormalized(-std::numeric_limits<double>::infinity());
  EXPECT_EQ(p.Value(), -94.0);
}

TEST(Parameter, ToNormalizedLimitsFirst) {
  IParameter p;
  DefineAttack(p);
  EXPECT_EQ(p.ToNormalized(-1000.0), 0.0);
  EXPECT_EQ(p.ToNormalized(1000.0), 1.0);
  EXPECT_DOUBLE_EQ(p.ToNormalized(50.0), 0.75);
}

TEST(Parameter, StepOneDisplaysIntegers) {
  IParameter p;
  p.DefineDouble("Count", 0.0, -10.0, 10.0, 1.0);
  EXPECT_EQ(p.Precision(), 0);
  EXPECT_EQ(Format(p, 3.9, false), "3");
  EXPECT_EQ(Format(p, -3.9, false), "-3");
}

TEST(Parameter, FormatNormalizedConvertsWithoutSnapping) {
  IParameter p;
  DefineAttack(p);
  EXPECT_EQ(Format(p, 0.75, true), "50.00");
  IParameter stepped;
  stepped.DefineEnum("Mode", 0, 5);
  // Normalised 0.3 of [0, 4] is 1.2: no snapping, so "%d" shows 1.
  EXPECT_EQ(Format(stepped, 0.3, true), "1");
}

TEST(Parameter, FormatNormalizedIsLimitedToTheRange) {
  IParameter p;
  DefineAttack(p);
  EXPECT_EQ(Format(p, 1.5, true), "100.00");
  EXPECT_EQ(Format(p, -0.5, true), "-100.00");
  EXPECT_EQ(Format(p, std::numeric_limits<double>::infinity(), true), "100.00");
  EXPECT_EQ(Format(p, -std::numeric_limits<double>::infinity(), true), "-100.00");
  p.SetShape(0.09);
  EXPECT_EQ(Format(p, -0.5, true), "-100.00");  // not a NaN power
}

TEST(Parameter, FormatNegated) {
  IParameter p;
  DefineAttack(p);
  p.SetShowNegated(true);
  EXPECT_EQ(Format(p, 25.0, false), "-25.00");
  EXPECT_EQ(Format(p, -25.0, false), "25.00");
}

TEST(Parameter, FormatCutsToTheOutBuffer) {
  IParameter p;
  DefineAttack(p);
  char out[4];
  std::memset(out, 'x', sizeof out);
  p.FormatForHost(-50.0, false, out, sizeof out);
  EXPECT_STREQ(out, "-50");
  char one[1] = {'x'};
  p.FormatForHost(-50.0, false, one, 1);
  EXPECT_EQ(one[0], '\0');
  p.FormatForHost(-50.0, false, nullptr, 10);  // no crash
  p.FormatForHost(-50.0, false, out, 0);       // no write
  EXPECT_STREQ(out, "-50");
}

TEST(Parameter, FormatNonFiniteDoesNotCrash) {
  IParameter p;
  p.DefineDouble("Count", 0.0, 0.0, 10.0, 1.0);
  p.SetDisplayText(0, "zero");
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(Format(p, inf, false).empty());
  EXPECT_FALSE(Format(p, -inf, false).empty());
  EXPECT_FALSE(Format(p, nan, false).empty());
  EXPECT_FALSE(Format(p, 1e300, false).empty());
  EXPECT_FALSE(Format(p, -2.0, true).empty());  // a negative normalised value: NaN power for shape 0.5
  p.SetShape(0.5);
  EXPECT_FALSE(Format(p, -2.0, true).empty());
  IParameter q;
  DefineAttack(q);
  EXPECT_FALSE(Format(q, nan, false).empty());
  EXPECT_EQ(Format(p, 3e9, false), "3000000000");
}

TEST(Parameter, DisplayTextsReplaceValues) {
  IParameter p;
  p.DefineDouble("Mode", 0.0, 0.0, 3.0, 1.0, "x");
  p.SetDisplayText(0, "Off");
  p.SetDisplayText(2, "");
  p.SetDisplayText(3, "Max");
  EXPECT_EQ(p.NDisplayTexts(), 3);
  EXPECT_EQ(Format(p, 0.0, false), "Off");
  EXPECT_EQ(Format(p, 0.7, false), "Off");  // truncated toward zero
  EXPECT_EQ(Format(p, 1.0, false), "1");
  EXPECT_EQ(Format(p, 2.0, false), "2");  // empty text: the number
  EXPECT_EQ(Format(p, 3.0, false), "Max");
  EXPECT_EQ(Format(p, 3.0, false, false), "3");
  EXPECT_EQ(Format(p, 1.0, true), "Max");

  // Label: "" when a display text names the current value.
  p.Set(0.0);
  EXPECT_STREQ(p.LabelForHost(), "");
  p.Set(1.0);
  EXPECT_STREQ(p.LabelForHost(), "x");
  p.Set(2.0);
  EXPECT_STREQ(p.LabelForHost(), "x");

  double v = -1.0;
  EXPECT_TRUE(p.MapDisplayText("Max", &v));
  EXPECT_EQ(v, 3.0);
  EXPECT_FALSE(p.MapDisplayText("max", &v));
  EXPECT_FALSE(p.MapDisplayText("Ma", &v));
  EXPECT_EQ(v, 3.0);

  int value = -1;
  EXPECT_STREQ(p.GetDisplayText(1, &value), "");
  EXPECT_EQ(value, 2);
  EXPECT_EQ(p.GetDisplayText(3), nullptr);
  EXPECT_EQ(p.GetDisplayText(-1), nullptr);
  EXPECT_STREQ(p.DisplayTextForValue(3), "Max");
  EXPECT_EQ(p.DisplayTextForValue(1), nullptr);

  p.SetDisplayText(3, "Top");  // replaces
  EXPECT_EQ(p.NDisplayTexts(), 3);
  EXPECT_STREQ(p.DisplayTextForValue(3), "Top");
}

TEST(Parameter, DisplayTextIsCutTo31Characters) {
  IParameter p;
  p.DefineDouble("Mode", 0.0, 0.0, 3.0, 1.0);
  p.SetDisplayText(1, "0123456789012345678901234567890123456789");
  EXPECT_STREQ(p.DisplayTextForValue(1), "0123456789012345678901234567890");
}

TEST(Parameter, BoolAndEnum) {
  IParameter b;
  b.DefineBool("Bypass", true);
  EXPECT_EQ(b.Type(), IParameter::kParamBool);
  EXPECT_EQ(b.Min(), 0.0);
  EXPECT_EQ(b.Max(), 1.0);
  EXPECT_EQ(b.Step(), 1.0);
  EXPECT_EQ(b.Value(), 1.0);
  EXPECT_EQ(Format(b, b.Value(), false), "on");
  EXPECT_EQ(Format(b, 0.0, false), "off");
  EXPECT_STREQ(b.LabelForHost(), "");
  b.SetFromNormalized(0.4);  // stepped: snaps to 0
  EXPECT_EQ(b.Value(), 0.0);
  b.SetFromNormalized(0.5);  // halves upward
  EXPECT_EQ(b.Value(), 1.0);

  IParameter e;
  e.DefineEnum("Shape", 2, 4, "st");
  EXPECT_EQ(e.Type(), IParameter::kParamEnum);
  EXPECT_EQ(e.Min(), 0.0);
  EXPECT_EQ(e.Max(), 3.0);
  EXPECT_EQ(e.Value(), 2.0);
  EXPECT_EQ(e.NDisplayTexts(), 0);
  e.SetFromNormalized(0.4);  // 1.2 snaps to 1
  EXPECT_EQ(e.Value(), 1.0);
  e.SetFromNormalized(0.999);
  EXPECT_EQ(e.Value(), 3.0);
  e.SetDisplayText(0, "Sine");
  EXPECT_EQ(Format(e, 0.0, false), "Sine");
}

TEST(Parameter, ValueTextLayout) {
  // ValueText entries lie back to back: int32 value, then 32 characters.
  static_assert(sizeof(IParameter::ValueText) == 36, "int32 + char[32]");
  IParameter p;
  p.DefineDouble("Mode", 0.0, 0.0, 3.0, 1.0);
  p.SetDisplayText(7, "seven");
  p.SetDisplayText(-2, "minus two");
  int v = 0;
  EXPECT_STREQ(p.GetDisplayText(0, &v), "seven");
  EXPECT_EQ(v, 7);
  EXPECT_STREQ(p.GetDisplayText(1, &v), "minus two");
  EXPECT_EQ(v, -2);
  EXPECT_EQ(p.GetDisplayText(1) - p.GetDisplayText(0), 36);
}

}  // namespace
