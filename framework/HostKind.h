#pragma once
// Identified hosts. Some hosts need special treatment; the adapter finds out
// once which host loaded the plug-in and stores it in the base.

enum EHostKind : int {
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostCakewalk = 5,
  kHostFruity = 7,
  kHostSamplitude = 8,
  kHostLive = 9,
  kHostMelodyne = 12,
  kHostVstManLib = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostSAWStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigital = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostPresonus = 26,
  kHostVst3PluginTestHost = 27,
  kHostArdour = 28,
};

// Maps a host's product name to the host kind by searching it, lower-cased,
// for known words; the first word of the search order that is found decides.
// A null or empty name gives kHostUnknown.
EHostKind LookUpHost(const char* productName);

// Packs a decimal host version (major * 10000 + minor * 100 + patch) like the
// plug-in's own version: major in bits 16-31, minor in 8-15, patch in 0-7.
int PackHostVersion(int decimalVersion);
