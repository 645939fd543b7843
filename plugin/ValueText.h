#pragma once

class IBitmapTextControl;

// The "Attack" and "Sustain" value texts of the editor: the value with two
// decimals below 10 in magnitude, one below 100, none at +-100, then " %".
// Examples: 0 -> "0.00 %", -5.5 -> "-5.50 %", 50 -> "50.0 %", -100 -> "-100 %".
constexpr int kValueTextSize = 16;  // at most 15 characters and the NUL

// Writes the text for v into out (kValueTextSize bytes).
void FormatValueText(double v, char out[kValueTextSize]);

// [any thread, instance lock held] Shows the text for v in the control; a
// text equal to the one shown changes nothing and leaves the control clean.
// Does nothing without a control.
void ShowValueText(double v, IBitmapTextControl* control);
