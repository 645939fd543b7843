#pragma once
// The bundle's Contents/Resources/moduleinfo.json: what a factory lists, as
// JSON that hosts may read instead of loading the module. It must describe
// the module's factory exactly, so it is written from the factory itself (the
// build runs the module for it) and tests compare the two.
#include <string>

#include "framework/vst3/Vst3Base.h"

// The file's text for the module's factory; bundleName is the bundle's name
// without ".vst3". Empty when the factory cannot describe itself.
std::string ModuleInfoJson(vst3::IPluginFactory* factory, const char* bundleName);
