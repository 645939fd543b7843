#include "framework/lv2/Lv2Turtle.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "framework/IEffectBase.h"

namespace lv2 {

namespace {

const char kPrefixes[] =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n"
    "\n";

// A Turtle decimal or double that reads back as the same double: the
// shortest form, with a '.' where it would otherwise read as an integer.
std::string Number(double v) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text - 3, v);
  std::string s(text, result.ptr);
  if (s.find_first_of(".e") == std::string::npos) s += ".0";
  return s;
}

std::string Quoted(const char* text) {
  std::string s = "\"";
  for (const char* c = text; *c; ++c) {
    if (*c == '"' || *c == '\\') s += '\\';
    s += *c;
  }
  return s + "\"";
}

void AudioPort(std::ostringstream& out, const char* direction, int index, const Lv2AudioPort& port) {
  out << "\t\t[\n\t\t\ta lv2:AudioPort , lv2:" << direction << " ;\n"
      << "\t\t\tlv2:index " << index << " ;\n"
      << "\t\t\tlv2:symbol " << Quoted(port.symbol) << " ;\n"
      << "\t\t\tlv2:name " << Quoted(port.name) << "\n\t\t]";
}

}  // namespace

std::string SymbolForName(const char* name) {
  std::string s;
  bool gap = false;
  for (const char* c = name; *c; ++c) {
    const char ch = *c;
    const bool alnum = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
    if (!alnum) {
      gap = !s.empty();
      continue;
    }
    if (gap) s += '_';
    gap = false;
    s += (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
  }
  if (s.empty() || (s[0] >= '0' && s[0] <= '9')) s.insert(s.begin(), '_');
  return s;
}

const char* UnitForLabel(const char* label) {
  static const struct {
    const char* label;
    const char* unit;
  } kUnits[] = {{"%", "units:pc"}, {"ms", "units:ms"}, {"dB", "units:db"}, {"s", "units:s"}, {"Hz", "units:hz"}};
  for (const auto& u : kUnits) {
    if (label && std::strcmp(label, u.label) == 0) return u.unit;
  }
  return "";
}

std::string ManifestTurtle(const Lv2Description& desc) {
  std::ostringstream out;
  out << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
      << "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
      << "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n\n"
      << "<" << desc.uri << ">\n\ta lv2:Plugin ;\n"
      << "\tlv2:binary <" << desc.dspBinary << "> ;\n"
      << "\trdfs:seeAlso <" << desc.dataFile << "> .\n\n"
      << "<" << desc.uiUri << ">\n\ta ui:X11UI ;\n"
      << "\tui:binary <" << desc.uiBinary << "> ;\n"
      << "\trdfs:seeAlso <" << desc.dataFile << "> .\n";
  return out.str();
}

// The version: LV2 keeps the major version in the URI, and reads an odd
// minor or micro version, or minor version 0, as a development release.
std::string PluginTurtle(const Lv2Description& desc, IEffectBase& effect) {
  std::ostringstream out;
  out << kPrefixes;
  out << "<" << desc.uri << ">\n"
      << "\ta lv2:Plugin , lv2:" << desc.pluginClass << " , doap:Project ;\n"
      << "\tdoap:name " << Quoted(effect.GetEffectName()) << " ;\n"
      << "\tdoap:maintainer [\n\t\tfoaf:name " << Quoted(effect.GetMakerName()) << "\n\t] ;\n"
      << "\tlv2:minorVersion " << effect.GetVersionMinor() << " ;\n"
      << "\tlv2:microVersion " << effect.GetVersionPatch() << " ;\n"
      << "\tlv2:optionalFeature lv2:hardRTCapable , urid:map , opts:options ;\n"
      << "\topts:supportedOption bufsz:maxBlockLength , bufsz:nominalBlockLength ;\n"
      << "\tlv2:extensionData state:interface ;\n"
      << "\tui:ui <" << desc.uiUri << "> ;\n"
      << "\tlv2:port\n";
  int index = 0;
  bool first = true;
  auto separator = [&] {
    if (!first) out << " ,\n";
    first = false;
  };
  for (int i = 0; i < desc.nAudioIn; ++i, ++index) {
    separator();
    AudioPort(out, "InputPort", index, desc.audioIn[i]);
  }
  for (int i = 0; i < desc.nAudioOut; ++i, ++index) {
    separator();
    AudioPort(out, "OutputPort", index, desc.audioOut[i]);
  }
  for (int i = 0; i < effect.ParamCount(); ++i, ++index) {
    const IParameter* param = effect.GetParam(i);
    separator();
    out << "\t\t[\n\t\t\ta lv2:ControlPort , lv2:InputPort ;\n"
        << "\t\t\tlv2:index " << index << " ;\n"
        << "\t\t\tlv2:symbol " << Quoted(SymbolForName(param->NameForHost()).c_str()) << " ;\n"
        << "\t\t\tlv2:name " << Quoted(param->NameForHost()) << " ;\n"
        << "\t\t\tlv2:default " << Number(param->Default()) << " ;\n"
        << "\t\t\tlv2:minimum " << Number(param->Min()) << " ;\n"
        << "\t\t\tlv2:maximum " << Number(param->Max());
    const char* unit = UnitForLabel(param->Label());
    if (unit[0]) out << " ;\n\t\t\tunits:unit " << unit;
    out << "\n\t\t]";
  }
  for (int m = 0; m < desc.nMeters; ++m, ++index) {
    const Lv2Meter& meter = desc.meters[m];
    separator();
    out << "\t\t[\n\t\t\ta lv2:ControlPort , lv2:OutputPort ;\n"
        << "\t\t\tlv2:index " << index << " ;\n"
        << "\t\t\tlv2:symbol " << Quoted(meter.symbol) << " ;\n"
        << "\t\t\tlv2:name " << Quoted(meter.name) << " ;\n"
        << "\t\t\tlv2:minimum " << Number(meter.minVal) << " ;\n"
        << "\t\t\tlv2:maximum " << Number(meter.maxVal) << "\n\t\t]";
  }
  out << " .\n\n";

  // The UI: an X11 window inside the host's, driven by the host's idle calls.
  out << "<" << desc.uiUri << ">\n"
      << "\ta ui:X11UI ;\n"
      << "\tui:binary <" << desc.uiBinary << "> ;\n"
      << "\tlv2:requiredFeature ui:parent , ui:idleInterface ;\n"
      << "\tlv2:optionalFeature ui:resize , ui:touch , ui:noUserResize , urid:map , opts:options ;\n"
      << "\topts:supportedOption ui:scaleFactor ;\n"
      << "\tlv2:extensionData ui:idleInterface";
  for (int m = 0; m < desc.nMeters; ++m) {
    out << " ;\n\tui:portNotification [\n\t\tui:plugin <" << desc.uri << "> ;\n"
        << "\t\tlv2:symbol " << Quoted(desc.meters[m].symbol) << " ;\n"
        << "\t\tui:protocol ui:floatProtocol\n\t]";
  }
  out << " .\n";
  return out.str();
}

bool WriteBundleData(const std::string& dir, const Lv2Description& desc, IEffectBase& effect, std::string* error) {
  const std::string files[2][2] = {{"manifest.ttl", ManifestTurtle(desc)},
                                   {desc.dataFile, PluginTurtle(desc, effect)}};
  for (const auto& file : files) {
    const std::string path = dir + "/" + file[0];
    std::FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f && std::fwrite(file[1].data(), 1, file[1].size(), f) == file[1].size();
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) {
      *error = "cannot write " + path;
      return false;
    }
  }
  return true;
}

}  // namespace lv2
