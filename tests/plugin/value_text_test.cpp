#include <gtest/gtest.h>

#include <string>

#include "editor/IBitmapTextControl.h"
#include "plugin/ValueText.h"

namespace {

std::string Text(double v) {
  char text[kValueTextSize];
  FormatValueText(v, text);
  return text;
}

TEST(ValueText, ThreeFormatsByMagnitude) {
  EXPECT_EQ(Text(-100.0), "-100 %");
  EXPECT_EQ(Text(-99.99), "-100.0 %");
  EXPECT_EQ(Text(-10.0), "-10.0 %");
  EXPECT_EQ(Text(-9.99), "-9.99 %");
  EXPECT_EQ(Text(-5.5), "-5.50 %");
  EXPECT_EQ(Text(0.0), "0.00 %");
  EXPECT_EQ(Text(9.999), "10.00 %");
  EXPECT_EQ(Text(10.0), "10.0 %");
  EXPECT_EQ(Text(50.0), "50.0 %");
  EXPECT_EQ(Text(100.0), "100 %");
}

TEST(ValueText, NeverExceedsFifteenCharacters) {
  EXPECT_EQ(Text(1e300).size(), 15u);
  EXPECT_EQ(Text(-1e300).size(), 15u);
}

// The text reaches the editor's thread at its next refresh (ApplyHandedOver).
TEST(ValueText, SameValueTwiceChangesTheTextAndMarksDirtyOnce) {
  IBitmapTextControl control;
  control.MarkDrawn();
  ASSERT_FALSE(control.NeedsDraw());
  EXPECT_STREQ(control.GetText(), "");

  ShowValueText(-9.99, &control);
  EXPECT_STREQ(control.GetText(), "");  // not before the refresh
  control.ApplyHandedOver();
  EXPECT_STREQ(control.GetText(), "-9.99 %");
  EXPECT_TRUE(control.NeedsDraw());
  control.MarkDrawn();

  ShowValueText(-9.99, &control);
  control.ApplyHandedOver();
  EXPECT_STREQ(control.GetText(), "-9.99 %");
  EXPECT_FALSE(control.NeedsDraw());

  // A different value that prints the same changes nothing either.
  ShowValueText(-9.9900001, &control);
  control.ApplyHandedOver();
  EXPECT_FALSE(control.NeedsDraw());

  // Of two texts given before a refresh, the editor shows the later.
  ShowValueText(50.0, &control);
  ShowValueText(100.0, &control);
  control.ApplyHandedOver();
  EXPECT_STREQ(control.GetText(), "100 %");
  EXPECT_TRUE(control.NeedsDraw());
}

}  // namespace
