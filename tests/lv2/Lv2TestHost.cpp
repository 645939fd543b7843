#include "tests/lv2/Lv2TestHost.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>


namespace lv2test {

// ---- URIDs -------------------------------------------------------------------------------

UridMap::UridMap() : mMap{this, MapCallback} {}

LV2_URID UridMap::Map(const char* uri) {
  for (size_t i = 0; i < mUris.size(); ++i) {
    if (mUris[i] == uri) return static_cast<LV2_URID>(i + 1);
  }
  mUris.emplace_back(uri);
  return static_cast<LV2_URID>(mUris.size());
}

const char* UridMap::Unmap(LV2_URID id) const {
  return id >= 1 && id <= mUris.size() ? mUris[id - 1].c_str() : "";
}

LV2_URID UridMap::MapCallback(LV2_URID_Map_Handle handle, const char* uri) {
  return static_cast<UridMap*>(handle)->Map(uri);
}

// ---- the world ---------------------------------------------------------------------------

World::World() : mWorld(lilv_world_new()) {
  std::string path = MORVANE_LV2_BUNDLE;
  path += '/';
  LilvNode* bundle = lilv_new_file_uri(mWorld, nullptr, path.c_str());
  lilv_world_load_bundle(mWorld, bundle);
  lilv_node_free(bundle);
  LilvNode* uri = lilv_new_uri(mWorld, kUri);
  mPlugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(mWorld), uri);
  lilv_node_free(uri);
}

World::~World() { lilv_world_free(mWorld); }

int World::PortIndex(const char* symbol) const {
  if (!mPlugin) return -1;
  LilvNode* node = lilv_new_string(mWorld, symbol);
  const LilvPort* port = lilv_plugin_get_port_by_symbol(mPlugin, node);
  lilv_node_free(node);
  return port ? static_cast<int>(lilv_port_get_index(mPlugin, port)) : -1;
}

// ---- an instance ---------------------------------------------------------------------------

namespace {

struct StoreTarget {
  std::vector<StateValue>* values;
  UridMap* urids;
};

LV2_State_Status Store(LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t type,
                       uint32_t flags) {
  auto* target = static_cast<StoreTarget*>(handle);
  StateValue v;
  v.key = target->urids->Unmap(key);
  v.bytes.assign(static_cast<const uint8_t*>(value), static_cast<const uint8_t*>(value) + size);
  v.type = target->urids->Unmap(type);
  v.flags = flags;
  target->values->push_back(v);
  return LV2_STATE_SUCCESS;
}

struct RetrieveSource {
  const StateValue* value;
  UridMap* urids;
};

const void* Retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) {
  auto* source = static_cast<RetrieveSource*>(handle);
  if (source->urids->Map(source->value->key.c_str()) != key) return nullptr;
  *size = source->value->bytes.size();
  *type = source->urids->Map(source->value->type.c_str());
  *flags = source->value->flags;
  return source->value->bytes.data();
}

}  // namespace

Instance::Instance(const World& world, double rate, bool withFeatures, int maxBlock) : mWorld(world) {
  if (!world.Plugin()) return;
  // The options, in storage that outlives instantiate: the block length and
  // the terminating zeroed option.
  LV2_Options_Option options[2] = {};
  mMaxBlock = maxBlock;
  options[0].context = LV2_OPTIONS_INSTANCE;
  options[0].key = mUrids.Map(LV2_BUF_SIZE__maxBlockLength);
  options[0].size = sizeof(int32_t);
  options[0].type = mUrids.Map(LV2_ATOM__Int);
  options[0].value = &mMaxBlock;
  mOptionsStore.assign(reinterpret_cast<uint8_t*>(options), reinterpret_cast<uint8_t*>(options) + sizeof options);
  const LV2_Feature mapFeature = {LV2_URID__map, mUrids.Feature()};
  const LV2_Feature optionsFeature = {LV2_OPTIONS__options, mOptionsStore.data()};
  const LV2_Feature* withAll[] = {&mapFeature, &optionsFeature, nullptr};
  const LV2_Feature* none[] = {nullptr};
  mInstance = lilv_plugin_instantiate(world.Plugin(), rate, withFeatures ? withAll : none);
  if (!mInstance) return;

  const uint32_t nPorts = lilv_plugin_get_num_ports(world.Plugin());
  mControls.assign(nPorts, 0.0f);
  std::vector<float> defaults(nPorts, 0.0f);
  lilv_plugin_get_port_ranges_float(world.Plugin(), nullptr, nullptr, defaults.data());
  for (uint32_t p = 0; p < nPorts; ++p) {
    if (p < 4) continue;
    mControls[p] = std::isnan(defaults[p]) ? 0.0f : defaults[p];
    lilv_instance_connect_port(mInstance, p, &mControls[p]);
  }
  lilv_instance_activate(mInstance);
}

Instance::~Instance() {
  if (!mInstance) return;
  lilv_instance_deactivate(mInstance);
  lilv_instance_free(mInstance);
}

void Instance::Set(const char* symbol, float value) {
  const int p = mWorld.PortIndex(symbol);
  if (p >= 0) mControls[static_cast<size_t>(p)] = value;
}

float Instance::Get(const char* symbol) const {
  const int p = mWorld.PortIndex(symbol);
  return p >= 0 ? mControls[static_cast<size_t>(p)] : -1.0f;
}

void Instance::Process(const std::vector<float>& inL, const std::vector<float>& inR, std::vector<float>* outL,
                       std::vector<float>* outR, int block) {
  const size_t total = std::min(inL.size(), inR.size());
  for (auto& buffer : mAudio) buffer.assign(static_cast<size_t>(block), 0.0f);
  for (uint32_t p = 0; p < 4; ++p) lilv_instance_connect_port(mInstance, p, mAudio[p].data());
  for (size_t done = 0; done < total;) {
    const size_t n = std::min(total - done, static_cast<size_t>(block));
    std::copy(inL.begin() + static_cast<long>(done), inL.begin() + static_cast<long>(done + n), mAudio[0].begin());
    std::copy(inR.begin() + static_cast<long>(done), inR.begin() + static_cast<long>(done + n), mAudio[1].begin());
    if (aroundRun) aroundRun(true);
    lilv_instance_run(mInstance, static_cast<uint32_t>(n));
    if (aroundRun) aroundRun(false);
    outL->insert(outL->end(), mAudio[2].begin(), mAudio[2].begin() + static_cast<long>(n));
    outR->insert(outR->end(), mAudio[3].begin(), mAudio[3].begin() + static_cast<long>(n));
    done += n;
  }
}

LV2_State_Status Instance::Save(std::vector<StateValue>* values) {
  const auto* state =
      static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(mInstance, LV2_STATE__interface));
  if (!state) return LV2_STATE_ERR_UNKNOWN;
  StoreTarget target{values, &mUrids};
  return state->save(lilv_instance_get_handle(mInstance), Store, &target, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE,
                     nullptr);
}

LV2_State_Status Instance::Restore(const StateValue& value) {
  const auto* state =
      static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(mInstance, LV2_STATE__interface));
  if (!state) return LV2_STATE_ERR_UNKNOWN;
  RetrieveSource source{&value, &mUrids};
  return state->restore(lilv_instance_get_handle(mInstance), Retrieve, &source, 0, nullptr);
}

// ---- the VST2 library ------------------------------------------------------------------------

void Vst2Instance::Set(int paramIdx, float value) {
  std::string text = std::to_string(static_cast<double>(value));
  Dispatch(effString2Parameter, paramIdx, 0, &text[0]);
}

void Vst2Instance::Process(const std::vector<float>& inL, const std::vector<float>& inR, std::vector<float>* outL,
                           std::vector<float>* outR) {
  const size_t total = std::min(inL.size(), inR.size());
  std::vector<float> in[2], out[2];
  for (size_t done = 0; done < total;) {
    const size_t n = std::min(total - done, static_cast<size_t>(mBlock));
    in[0].assign(inL.begin() + static_cast<long>(done), inL.begin() + static_cast<long>(done + n));
    in[1].assign(inR.begin() + static_cast<long>(done), inR.begin() + static_cast<long>(done + n));
    out[0].assign(n, 0.0f);
    out[1].assign(n, 0.0f);
    float* inputs[2] = {in[0].data(), in[1].data()};
    float* outputs[2] = {out[0].data(), out[1].data()};
    get()->processReplacing(get(), inputs, outputs, static_cast<VstInt32>(n));
    outL->insert(outL->end(), out[0].begin(), out[0].end());
    outR->insert(outR->end(), out[1].begin(), out[1].end());
    done += n;
  }
}

}  // namespace lv2test
