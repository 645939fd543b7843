#include "framework/vst3/ModuleInfo.h"

#include <cstdio>
#include <cstring>

#include "framework/vst3/Vst3Support.h"

using namespace vst3;

namespace {

// A JSON string of UTF-8 text.
std::string Quoted(const char* text) {
  std::string out = "\"";
  for (const char* p = text; *p; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

// A NUL-terminated field that may fill its array.
std::string Field(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

std::string Bool(bool v) { return v ? "true" : "false"; }

}  // namespace

// The layout of the file: its keys in the order hosts' own tools write them,
// indented by two spaces.
std::string ModuleInfoJson(IPluginFactory* factory, const char* bundleName) {
  PFactoryInfo factoryInfo;
  if (!factory || factory->getFactoryInfo(&factoryInfo) != kResultOk) return "";
  void* found = nullptr;
  IPluginFactory3* factory3 = nullptr;
  if (factory->queryInterface(IPluginFactory3::iid.bytes, &found) == kResultOk && found) {
    factory3 = static_cast<IPluginFactory3*>(found);
  }
  if (!factory3) return "";

  std::string classes;
  std::string moduleVersion;
  const int32 count = factory3->countClasses();
  bool ok = true;
  for (int32 i = 0; i < count && ok; ++i) {
    PClassInfoW info;
    if (factory3->getClassInfoUnicode(i, &info) != kResultOk) {
      ok = false;
      break;
    }
    char cid[33];
    UidText(info.cid, cid);
    char name[256], vendor[256], version[256], sdkVersion[256];
    CopyFromUtf16(name, sizeof name, info.name, kClassNameSize);
    CopyFromUtf16(vendor, sizeof vendor, info.vendor, kClassVendorSize);
    CopyFromUtf16(version, sizeof version, info.version, kClassVersionSize);
    CopyFromUtf16(sdkVersion, sizeof sdkVersion, info.sdkVersion, kClassVersionSize);
    if (moduleVersion.empty()) moduleVersion = version;
    if (!vendor[0]) std::snprintf(vendor, sizeof vendor, "%s", Field(factoryInfo.vendor, sizeof factoryInfo.vendor).c_str());

    std::string subCategories;
    const std::string all = Field(info.subCategories, sizeof info.subCategories);
    for (size_t start = 0; !all.empty() && start <= all.size();) {
      const size_t bar = all.find('|', start);
      const std::string part = all.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
      subCategories += (subCategories.empty() ? "\n        " : ",\n        ") + Quoted(part.c_str());
      if (bar == std::string::npos) break;
      start = bar + 1;
    }
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, "      \"Class Flags\": %u,\n      \"Cardinality\": %d,\n",
                  static_cast<unsigned>(info.classFlags), static_cast<int>(info.cardinality));
    classes += std::string(classes.empty() ? "" : ",\n") + "    {\n" +
               "      \"CID\": " + Quoted(cid) + ",\n" +
               "      \"Category\": " + Quoted(Field(info.category, sizeof info.category).c_str()) + ",\n" +
               "      \"Name\": " + Quoted(name) + ",\n" +
               "      \"Vendor\": " + Quoted(vendor) + ",\n" +
               "      \"Version\": " + Quoted(version) + ",\n" +
               "      \"SDKVersion\": " + Quoted(sdkVersion) + ",\n" +
               "      \"Sub Categories\": [" + subCategories + (subCategories.empty() ? "" : "\n      ") + "],\n" +
               numbers +
               "      \"Snapshots\": []\n" +
               "    }";
  }
  factory3->release();
  if (!ok) return "";

  const int32 flags = factoryInfo.flags;
  return std::string("{\n") +
         "  \"Name\": " + Quoted(bundleName ? bundleName : "") + ",\n" +
         "  \"Version\": " + Quoted(moduleVersion.c_str()) + ",\n" +
         "  \"Factory Info\": {\n" +
         "    \"Vendor\": " + Quoted(Field(factoryInfo.vendor, sizeof factoryInfo.vendor).c_str()) + ",\n" +
         "    \"URL\": " + Quoted(Field(factoryInfo.url, sizeof factoryInfo.url).c_str()) + ",\n" +
         "    \"E-Mail\": " + Quoted(Field(factoryInfo.email, sizeof factoryInfo.email).c_str()) + ",\n" +
         "    \"Flags\": {\n" +
         "      \"Unicode\": " + Bool(flags & PFactoryInfo::kUnicode) + ",\n" +
         "      \"Classes Discardable\": " + Bool(flags & PFactoryInfo::kClassesDiscardable) + ",\n" +
         "      \"Component Non Discardable\": " + Bool(flags & PFactoryInfo::kComponentNonDiscardable) + "\n" +
         "    }\n" +
         "  },\n" +
         "  \"Classes\": [\n" + classes + "\n  ]\n" +
         "}\n";
}
