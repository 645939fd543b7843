#pragma once
// What the LV2 adapter needs to know of a plug-in beyond its IEffectBase
// (name, maker, version and parameters come from there): its URIs, its class,
// the files of its bundle, its audio ports and its meters. The plug-in
// defines one description (Lv2PluginDescription); the plug-in binary, the UI
// binary and the build's Turtle writer all read it, so the ports a host
// reads in the bundle's data are the ports the binaries serve.
//
// The ports, in index order (hosts keep port indices and symbols in their
// sessions, so neither may change):
//   1. the audio inputs, then the audio outputs;
//   2. one control input per parameter, in parameter order, in the
//      parameter's plain units;
//   3. the meters: control outputs the plug-in writes after each run.

struct Lv2AudioPort {
  const char* symbol;  // a C identifier, unique among the plug-in's ports
  const char* name;
};

struct Lv2Meter {
  const char* symbol;
  const char* name;
  double minVal;
  double maxVal;
};

struct Lv2Description {
  const char* uri;          // the plug-in's URI: chosen once, never changed
  const char* uiUri;        // its X11 UI's URI
  const char* stateKey;     // the URI under which the program state is stored
  const char* pluginClass;  // an lv2: class name, e.g. "DynamicsPlugin"
  const char* dspBinary;    // file names in the bundle
  const char* uiBinary;
  const char* dataFile;     // the Turtle file beside manifest.ttl
  int nAudioIn;
  const Lv2AudioPort* audioIn;
  int nAudioOut;
  const Lv2AudioPort* audioOut;
  int nMeters;
  const Lv2Meter* meters;

  int FirstParamPort() const { return nAudioIn + nAudioOut; }
  int FirstMeterPort(int nParams) const { return FirstParamPort() + nParams; }
};

// Defined by the plug-in. [any thread]
const Lv2Description& Lv2PluginDescription();
