// morvane-lv2-data DIR: writes the LV2 bundle's Turtle files (manifest.ttl,
// Morvane.ttl) into DIR, from the plug-in's parameter definitions and its
// LV2 description. Run by the build.
#include <cstdio>
#include <string>

#include "framework/lv2/Lv2Turtle.h"
#include "plugin/Morvane.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: morvane-lv2-data BUNDLE-DIR\n");
    return 2;
  }
  Morvane plug(nullptr, nullptr);
  std::string error;
  if (!lv2::WriteBundleData(argv[1], Lv2PluginDescription(), plug, &error)) {
    std::fprintf(stderr, "morvane-lv2-data: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
