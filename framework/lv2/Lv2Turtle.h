#pragma once
// The data of an LV2 bundle, written at build time: manifest.ttl (the
// plug-in and its UI, their binaries) and the data file (the plug-in's
// identity, version, features, ports and UI). Name, maker, version and the
// control inputs come from the plug-in object's IEffectBase (its parameter
// definitions); the rest from its Lv2Description.
#include <string>

#include "framework/lv2/Lv2Description.h"

class IEffectBase;

namespace lv2 {

// The port symbol for a parameter name: lower case, every run of other
// characters than letters and digits one '_' ("SC HPF" -> "sc_hpf"), and a
// leading '_' before a digit.
std::string SymbolForName(const char* name);

// The units-extension unit for a parameter label ("%", "ms", "dB", "s",
// "Hz"), as a prefixed name; "" when none fits.
const char* UnitForLabel(const char* label);

// The two files' text.
std::string ManifestTurtle(const Lv2Description& desc);
std::string PluginTurtle(const Lv2Description& desc, IEffectBase& effect);

// Writes both into the bundle folder dir; false with a message in *error.
bool WriteBundleData(const std::string& dir, const Lv2Description& desc, IEffectBase& effect, std::string* error);

}  // namespace lv2
