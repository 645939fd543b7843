#pragma once
// What Morvane declares to its base: its identity, channel configurations,
// presets and the eight parameters. The plug-in class builds itself from
// these, and so do tests that need a plug-in configured like Morvane.
#include <cstdint>

#include "framework/IEffectBase.h"

namespace morvane {

enum EParam {
  kAttack = 0,
  kSustain = 1,
  kAttackLink = 2,
  kAttackLength = 3,
  kGain = 4,
  kScHpf = 5,
  kSustainLink = 6,
  kSustainLength = 7,
  kNumParams
};

constexpr int32_t kVersion = 0x00010001;  // 1.0.1
constexpr int32_t kUniqueID = ('M' << 24) | ('v' << 16) | ('n' << 8) | 'q';

struct ParamDef {
  const char* name;
  const char* label;
  double minVal;
  double maxVal;
  double defaultVal;
  double shape;
};

// In index order. Every parameter is continuous with a step of 0.01 (two
// decimals on display). The shape of "Gain" puts 0 dB in the middle of the
// knob's travel (normalised 0.94^(1/0.09) = 0.5028).
constexpr ParamDef kParams[kNumParams] = {
    {"Attack", "%", -100.0, 100.0, 0.0, 1.0},       {"Sustain", "%", -100.0, 100.0, 0.0, 1.0},
    {"Attack Link", "%", 0.0, 100.0, 0.0, 1.0},     {"Attack Length", "ms", 0.0, 20.0, 5.0, 1.0},
    {"Gain", "dB", -94.0, 6.0, 0.0, 0.09},          {"SC HPF", "%", 0.0, 100.0, 0.0, 1.0},
    {"Sustain Link", "%", 0.0, 100.0, 0.0, 1.0},    {"Sustain Length", "ms", 0.0, 750.0, 500.0, 1.0},
};
constexpr double kParamStep = 0.01;
// The order in which the parameters are defined.
constexpr int kDefineOrder[kNumParams] = {kAttack,      kSustain,       kAttackLink, kAttackLength,
                                          kSustainLink, kSustainLength, kGain,       kScHpf};

inline IEffectConfig Config() {
  IEffectConfig config;
  config.nParams = kNumParams;
  config.channelIOStr = "1-1 2-2";
  config.nPresets = 1;
  config.effectName = "Morvane";
  config.productName = "";
  config.makerName = "Bexo";
  config.version = kVersion;
  config.uniqueID = kUniqueID;
  config.makerID = kUniqueID;
  config.latency = 0;
  config.usesChunks = false;
  config.isInstrument = false;
  config.wantsMidi = false;
  return config;
}

// Defines the parameters of a base made with Config(), in the defining order.
inline void DefineParams(IEffectBase& base) {
  for (int idx : kDefineOrder) {
    IParameter* param = base.GetParam(idx);
    if (!param) continue;
    const ParamDef& def = kParams[idx];
    param->DefineDouble(def.name, def.defaultVal, def.minVal, def.maxVal, kParamStep, def.label, "");
    param->SetShape(def.shape);
  }
}

}  // namespace morvane
