#pragma once
// The sizes an editor is drawn at for high-resolution screens, and the one
// rounding rule for every scaled length and rectangle edge:
// floor(v x scale + 0.5). The editor framework, the plug-in's layout and the
// image generator all use it, so each rectangle, and the image drawn for it at
// that scale, land on the same whole pixels.

namespace editor_scale {

// The scales, as factors and in percent; index 0 is 100 %.
constexpr int kCount = 3;
constexpr double kFactors[kCount] = {1.0, 1.5, 2.0};
constexpr int kPercents[kCount] = {100, 150, 200};

// v at the scale, floor(v x scale + 0.5): halves round up, also below 0.
constexpr int ScaledLength(int v, double scale) {
  const double t = v * scale + 0.5;
  const int whole = static_cast<int>(t);  // toward zero
  return whole > t ? whole - 1 : whole;
}

// The index of the scale nearest to a factor (a tie goes to the smaller);
// a factor that is not a number or not above 0 gives 0.
constexpr int NearestIndex(double factor) {
  if (!(factor > 0.0)) return 0;
  int best = 0;
  for (int i = 1; i < kCount; ++i) {
    const double d = factor > kFactors[i] ? factor - kFactors[i] : kFactors[i] - factor;
    const double bestD = factor > kFactors[best] ? factor - kFactors[best] : kFactors[best] - factor;
    if (d < bestD) best = i;
  }
  return best;
}

// The index of a scale given in percent, or -1 when it is not one of them.
constexpr int IndexOfPercent(int percent) {
  for (int i = 0; i < kCount; ++i) {
    if (kPercents[i] == percent) return i;
  }
  return -1;
}

}  // namespace editor_scale
