#include "plugin/ValueText.h"

#include <cstdio>

#include "editor/IBitmapTextControl.h"

void FormatValueText(double v, char out[kValueTextSize]) {
  const char* format = "%2.0f %s";
  if (v > -10.0 && v < 10.0) {
    format = "%2.2f %s";
  } else if ((v >= 10.0 && v < 100.0) || (v > -100.0 && v <= -10.0)) {
    format = "%2.1f %s";
  }
  std::snprintf(out, kValueTextSize, format, v, "%");
}

void ShowValueText(double v, IBitmapTextControl* control) {
  if (!control) return;
  char text[kValueTextSize];
  FormatValueText(v, text);
  control->ShowText(text);
}
