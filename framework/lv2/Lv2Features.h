#pragma once
// Reading what an LV2 host passes at instantiation: its features by URI and
// the numeric values among its options (opts:options), for the plug-in and
// the UI side alike.
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstring>

namespace lv2 {

// The data of the feature with this URI, or null when the host did not pass
// it (or passed it with no data). features may be null.
inline void* FeatureData(const LV2_Feature* const* features, const char* uri) {
  for (const LV2_Feature* const* f = features; f && *f; ++f) {
    if ((*f)->URI && std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
  }
  return nullptr;
}

// The option with key's URI read as a number (atom:Int, Long, Float or
// Double) into *value; false when there is no such option, no map, or the
// value has another type or size.
inline bool NumericOption(const LV2_Options_Option* options, LV2_URID_Map* map, const char* key, double* value) {
  if (!options || !map) return false;
  const LV2_URID keyId = map->map(map->handle, key);
  const LV2_URID intType = map->map(map->handle, LV2_ATOM__Int);
  const LV2_URID longType = map->map(map->handle, LV2_ATOM__Long);
  const LV2_URID floatType = map->map(map->handle, LV2_ATOM__Float);
  const LV2_URID doubleType = map->map(map->handle, LV2_ATOM__Double);
  for (const LV2_Options_Option* o = options; o->key != 0 || o->value != nullptr; ++o) {
    if (o->key != keyId || !o->value) continue;
    if (o->type == intType && o->size == sizeof(int32_t)) {
      *value = *static_cast<const int32_t*>(o->value);
    } else if (o->type == longType && o->size == sizeof(int64_t)) {
      *value = static_cast<double>(*static_cast<const int64_t*>(o->value));
    } else if (o->type == floatType && o->size == sizeof(float)) {
      *value = *static_cast<const float*>(o->value);
    } else if (o->type == doubleType && o->size == sizeof(double)) {
      *value = *static_cast<const double*>(o->value);
    } else {
      return false;
    }
    return true;
  }
  return false;
}

}  // namespace lv2
