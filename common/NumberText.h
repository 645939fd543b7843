#pragma once
// Numbers as text, the same whatever locale the host runs in (hosts built on
// GTK or Qt set the user's, which may use ',' as the decimal mark): written
// always with '.', read with '.' or ',' as the mark. Nothing here reads the
// locale.
#include <cstddef>

// Writes value with `decimals` digits after the point, rounded to nearest as
// "%.*f" does in the C locale, into out (outSize bytes; cut to fit, always
// NUL-terminated). Returns the length written.
size_t FormatFixed(double value, int decimals, char* out, size_t outSize);

// Reads a decimal number the way a user types it: leading white space, then
// the longest prefix of the form [sign] digits [mark digits] [e|E [sign]
// digits], the mark being '.' or ','; 0.0 when there is none (a null text
// included). Magnitudes beyond double's range give the largest double of
// that sign, and ones below it give 0.
double ParseNumber(const char* text);
