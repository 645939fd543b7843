#pragma once
// A small LV2 host for the tests, on lilv: it finds the built bundle, makes
// instances with or without urid:map and options, drives their ports, and
// calls the state interface with store and retrieve functions of its own.
// The VST2 side of the comparisons: the built VST2 library, loaded as a host
// loads it.
#include <lilv/lilv.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/vst2/VstDefs.h"
#include "tests/vst2/LoadedEffect.h"

namespace lv2test {

constexpr const char* kUri = "https://bexo.audio/plugins/morvane";

// URIs to URIDs, for the host and its instances.
class UridMap {
public:
  UridMap();
  LV2_URID Map(const char* uri);
  const char* Unmap(LV2_URID id) const;
  LV2_URID_Map* Feature() { return &mMap; }

private:
  static LV2_URID MapCallback(LV2_URID_Map_Handle handle, const char* uri);
  std::vector<std::string> mUris;
  LV2_URID_Map mMap;
};

// The bundle's data loaded into a world of its own with the LV2 vocabularies.
class World {
public:
  World();
  ~World();
  World(const World&) = delete;
  World& operator=(const World&) = delete;
  const LilvPlugin* Plugin() const { return mPlugin; }
  LilvWorld* Get() const { return mWorld; }
  // The port's index for its symbol, or -1.
  int PortIndex(const char* symbol) const;

private:
  LilvWorld* mWorld;
  const LilvPlugin* mPlugin = nullptr;
};

struct StateValue {
  std::string key;
  std::vector<uint8_t> bytes;
  std::string type;
  uint32_t flags = 0;
};

// One instance with every port connected: two audio inputs and outputs of
// its own, a value per control port.
class Instance {
public:
  // withFeatures: urid:map and options (maxBlockLength) as jalv passes
  // them; without, none, as lv2apply.
  Instance(const World& world, double rate = 44100.0, bool withFeatures = true, int maxBlock = 4096);
  ~Instance();
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  bool Ok() const { return mInstance != nullptr; }
  void Set(const char* symbol, float value);
  float Get(const char* symbol) const;
  // Runs the inputs through, in runs of at most block frames; the outputs
  // are appended to outL, outR.
  void Process(const std::vector<float>& inL, const std::vector<float>& inR, std::vector<float>* outL,
               std::vector<float>* outR, int block = 512);

  // The state interface, called directly.
  LV2_State_Status Save(std::vector<StateValue>* values);
  LV2_State_Status Restore(const StateValue& value);
  UridMap& Urids() { return mUrids; }
  // Called with true just before each run and with false just after it.
  std::function<void(bool running)> aroundRun;

private:
  const World& mWorld;
  UridMap mUrids;
  LilvInstance* mInstance = nullptr;
  std::vector<float> mControls;
  std::vector<float> mAudio[4];
  std::vector<uint8_t> mOptionsStore;
  int32_t mMaxBlock = 0;
};

// The built VST2 library, opened and resumed at a rate and block size as a
// host does, processing in single precision.
class Vst2Instance : public vst2test::LoadedEffect {
public:
  explicit Vst2Instance(const char* path, double rate = 44100.0, int block = 1024)
      : LoadedEffect(path, static_cast<float>(rate), block), mBlock(block) {}
  // A plain value through the host's text entry (effString2Parameter).
  void Set(int paramIdx, float value);
  void Process(const std::vector<float>& inL, const std::vector<float>& inR, std::vector<float>* outL,
               std::vector<float>* outR);

private:
  int mBlock;
};

}  // namespace lv2test
