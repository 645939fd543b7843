#include "plugin/lv2/MorvaneLv2.h"

#include "framework/lv2/Lv2Description.h"

namespace {

// The plug-in's URI is in every session that uses it: it never changes.
#define MORVANE_LV2_URI "https://bexo.audio/plugins/morvane"

constexpr Lv2AudioPort kInputs[] = {{"in_l", "Left in"}, {"in_r", "Right in"}};
constexpr Lv2AudioPort kOutputs[] = {{"out_l", "Left out"}, {"out_r", "Right out"}};
constexpr Lv2Meter kMeters[] = {{"lamp", "Overload", 0.0, 1.0}};
static_assert(morvane_lv2::kLampMeter == 0, "the lamp is the first meter");

// The binaries' file names come from the build (MORVANE_LV2_DSP_BINARY,
// MORVANE_LV2_UI_BINARY), which names the files it makes.
constexpr Lv2Description kDescription = {
    MORVANE_LV2_URI,
    MORVANE_LV2_URI "#ui",
    MORVANE_LV2_URI "#program",
    "DynamicsPlugin",
    MORVANE_LV2_DSP_BINARY,
    MORVANE_LV2_UI_BINARY,
    "Morvane.ttl",
    2,
    kInputs,
    2,
    kOutputs,
    1,
    kMeters,
};

}  // namespace

const Lv2Description& Lv2PluginDescription() { return kDescription; }
