#pragma once
// Morvane as an LV2 plug-in: its description for the adapter
// (framework/lv2) and the index of its one meter.

namespace morvane_lv2 {

// The overload lamp's control output: 0 dark to 1 lit.
constexpr int kLampMeter = 0;

}  // namespace morvane_lv2
