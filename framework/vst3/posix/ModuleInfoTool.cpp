// vst3_moduleinfo MODULE OUTPUT NAME: loads a built VST 3 module as a host
// does (dlopen, ModuleEntry, GetPluginFactory) and writes the moduleinfo.json
// of its bundle NAME.vst3 to OUTPUT. A build step of the Linux bundle.
#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "framework/vst3/ModuleInfo.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: vst3_moduleinfo MODULE OUTPUT NAME\n");
    return 2;
  }
  void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    std::fprintf(stderr, "vst3_moduleinfo: cannot load %s: %s\n", argv[1], dlerror());
    return 1;
  }
  auto entry = reinterpret_cast<vst3::ModuleEntryProc>(dlsym(library, vst3::kModuleEntryProcName));
  auto exit = reinterpret_cast<vst3::ModuleExitProc>(dlsym(library, vst3::kModuleExitProcName));
  auto getFactory = reinterpret_cast<vst3::GetFactoryProc>(dlsym(library, vst3::kGetFactoryProcName));
  if (!entry || !exit || !getFactory || !entry(library)) {
    std::fprintf(stderr, "vst3_moduleinfo: %s has not the module's entry points\n", argv[1]);
    return 1;
  }
  vst3::IPluginFactory* factory = getFactory();
  const std::string json = ModuleInfoJson(factory, argv[3]);
  if (factory) factory->release();
  exit();
  dlclose(library);
  if (json.empty()) {
    std::fprintf(stderr, "vst3_moduleinfo: the factory of %s cannot describe itself\n", argv[1]);
    return 1;
  }
  std::FILE* file = std::fopen(argv[2], "wb");
  const bool written = file && std::fwrite(json.data(), 1, json.size(), file) == json.size();
  if (file && std::fclose(file) != 0) return 1;
  if (!written) {
    std::fprintf(stderr, "vst3_moduleinfo: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
