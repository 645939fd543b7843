#include "framework/HostKind.h"

#include <cstdint>
#include <cstring>

namespace {

struct HostWord {
  const char* word;
  EHostKind kind;
};

// The order decides when a name holds several words: the first word found wins.
constexpr HostWord kHostWords[] = {
    {"cubase", kHostCubase},
    {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostCakewalk},
    {"samplitude", kHostSamplitude},
    {"fruity", kHostFruity},
    {"live", kHostLive},
    {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVstManLib},
    {"aulab", kHostAULab},
    {"garageband", kHostGarageBand},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"sawstudio", kHostSAWStudio},
    {"logic", kHostLogic},
    {"digital", kHostDigital},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostPresonus},
    {"vst3plugintesthost", kHostVst3PluginTestHost},
    {"protools", kHostProTools},
    {"ardour", kHostArdour},
    {"standalone", kHostStandalone},
};

}  // namespace

EHostKind LookUpHost(const char* productName) {
  if (!productName || !productName[0]) return kHostUnknown;
  char lower[256];
  size_t i = 0;
  for (; i < sizeof lower - 1 && productName[i]; ++i) {
    const char c = productName[i];
    lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  lower[i] = '\0';
  for (const HostWord& entry : kHostWords) {
    if (std::strstr(lower, entry.word)) return entry.kind;
  }
  return kHostUnknown;
}

int PackHostVersion(int decimalVersion) {
  const int64_t d = decimalVersion;
  const int64_t major = d / 10000;
  const int64_t minor = (d % 10000) / 100;
  const int64_t patch = d - major * 10000 - minor * 100;
  // Computed wide: a major version above 32767 would overflow int32 in the shift.
  return static_cast<int>(static_cast<uint32_t>(major * 65536 + minor * 256 + patch));
}
