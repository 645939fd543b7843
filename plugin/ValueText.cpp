#include "plugin/ValueText.h"

#include "common/NumberText.h"

#include "editor/IBitmapTextControl.h"

// Two decimals below 10 in size, one below 100, none at 100; the mark is '.'
// in every locale. (The field width of 2 never pads: every text is longer.)
void FormatValueText(double v, char out[kValueTextSize]) {
  int decimals = 0;
  if (v > -10.0 && v < 10.0) {
    decimals = 2;
  } else if ((v >= 10.0 && v < 100.0) || (v > -100.0 && v <= -10.0)) {
    decimals = 1;
  }
  size_t n = FormatFixed(v, decimals, out, kValueTextSize - 2);
  out[n++] = ' ';
  out[n++] = '%';
  out[n] = '\0';
}

void ShowValueText(double v, IBitmapTextControl* control) {
  if (!control) return;
  char text[kValueTextSize];
  FormatValueText(v, text);
  control->ShowText(text);
}
