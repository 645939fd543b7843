// morvane-host info PLUGIN: everything a host can learn about a plug-in
// without processing audio.
#include <cctype>
#include <cstdio>
#include <string>

#include "tools/morvane-host/Commands.h"
#include "tools/morvane-host/PluginHost.h"
#include "tools/morvane-host/Text.h"

namespace {

std::string FourChars(VstInt32 id) {
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8) {
    unsigned char c = static_cast<unsigned char>((static_cast<uint32_t>(id) >> shift) & 0xFF);
    s += std::isprint(c) ? static_cast<char>(c) : '.';
  }
  return s;
}

const char* CategoryName(VstIntPtr category) {
  switch (category) {
    case kPlugCategUnknown: return "unknown";
    case kPlugCategEffect: return "effect";
    case kPlugCategSynth: return "instrument";
    case kPlugCategAnalysis: return "analysis";
    case kPlugCategMastering: return "mastering";
    case kPlugCategSpacializer: return "spatialiser";
    case kPlugCategRoomFx: return "room effect";
    case kPlugSurroundFx: return "surround effect";
    case kPlugCategRestoration: return "restoration";
    case kPlugCategOfflineProcess: return "offline process";
    case kPlugCategShell: return "shell";
    case kPlugCategGenerator: return "generator";
    default: return "?";
  }
}

std::string FlagNames(VstInt32 flags) {
  static const struct {
    VstInt32 bit;
    const char* name;
  } kFlags[] = {
      {effFlagsHasEditor, "HasEditor"},       {effFlagsHasClip, "HasClip"},
      {effFlagsHasVu, "HasVu"},               {effFlagsCanMono, "CanMono"},
      {effFlagsCanReplacing, "CanReplacing"}, {effFlagsProgramChunks, "ProgramChunks"},
      {effFlagsIsSynth, "IsSynth"},           {effFlagsNoSoundInStop, "NoSoundInStop"},
      {effFlagsExtIsAsync, "ExtIsAsync"},     {effFlagsExtHasBuffer, "ExtHasBuffer"},
      {effFlagsCanDoubleReplacing, "CanDoubleReplacing"},
  };
  std::string s;
  VstInt32 known = 0;
  for (const auto& f : kFlags) {
    known |= f.bit;
    if (flags & f.bit) s += std::string(s.empty() ? "" : " ") + f.name;
  }
  if (flags & ~known) s += Format("%sunknown 0x%X", s.empty() ? "" : " ", static_cast<unsigned>(flags & ~known));
  return s.empty() ? "none" : s;
}

std::string PinFlags(VstInt32 flags) {
  std::string s;
  if (flags & kVstPinIsActive) s += "active";
  if (flags & kVstPinIsStereo) s += s.empty() ? "stereo" : ", stereo";
  if (flags & kVstPinUseSpeaker) s += s.empty() ? "speaker" : ", speaker";
  return s.empty() ? "none" : s;
}

std::string CanDoAnswer(VstIntPtr answer) {
  if (answer == 1) return "yes";
  if (answer == -1) return "no";
  if (answer == 0) return "don't know";
  return Format("0x%llX", static_cast<unsigned long long>(answer));
}

void PrintPins(PluginHost& host, bool inputs) {
  const VstInt32 count = inputs ? host.Effect()->numInputs : host.Effect()->numOutputs;
  const char* kind = inputs ? "input" : "output";
  for (VstInt32 i = 0; i < count; ++i) {
    VstPinProperties pin{};
    VstIntPtr ok = host.Dispatch(inputs ? effGetInputProperties : effGetOutputProperties, i, 0, &pin);
    pin.label[sizeof pin.label - 1] = '\0';
    if (ok)
      std::printf("  %-6s %2d  \"%s\"  flags 0x%X (%s)\n", kind, i, pin.label, static_cast<unsigned>(pin.flags),
                  PinFlags(pin.flags).c_str());
    else
      std::printf("  %-6s %2d  (no properties)\n", kind, i);
  }
}

}  // namespace

int RunInfo(const Args& args) {
  if (args.size() != 1) {
    PrintError("info takes one argument, the plug-in library (morvane-host --help)");
    return kExitUsage;
  }
  const std::string& path = args[0];
  PluginHost host;
  std::string error;
  if (!host.Load(path, error)) {
    PrintError("%s", error.c_str());
    return kExitFailure;
  }
  host.Open(44100.0, 1024);
  AEffect* e = host.Effect();

  std::printf("Plug-in      %s\n", path.c_str());
  std::printf("Effect name  %s\n", host.Text(effGetEffectName).c_str());
  std::printf("Vendor       %s\n", host.Text(effGetVendorString).c_str());
  std::printf("Product      %s\n", host.Text(effGetProductString).c_str());
  std::printf("Unique id    '%s' (0x%08X)\n", FourChars(e->uniqueID).c_str(), static_cast<unsigned>(e->uniqueID));
  std::printf("Version      %d (vendor version %lld)\n", e->version,
              static_cast<long long>(host.Dispatch(effGetVendorVersion)));
  std::printf("VST version  %lld\n", static_cast<long long>(host.Dispatch(effGetVstVersion)));
  VstIntPtr category = host.Dispatch(effGetPlugCategory);
  std::printf("Category     %s (%lld)\n", CategoryName(category), static_cast<long long>(category));
  std::printf("Flags        0x%X %s\n", static_cast<unsigned>(e->flags), FlagNames(e->flags).c_str());
  std::printf("Inputs       %d\n", e->numInputs);
  std::printf("Outputs      %d\n", e->numOutputs);
  std::printf("Latency      %d samples\n", e->initialDelay);
  std::printf("Tail         %lld samples\n", static_cast<long long>(host.Dispatch(effGetTailSize)));

  std::printf("\nParameters   %d\n", e->numParams);
  if (e->numParams > 0) std::printf("  %3s  %-24s %-8s %-16s %s\n", "#", "name", "label", "display", "normalised");
  for (VstInt32 i = 0; i < e->numParams; ++i) {
    float norm = e->getParameter ? e->getParameter(e, i) : 0.0f;
    std::printf("  %3d  %-24s %-8s %-16s %.6f\n", i, host.ParamName(i).c_str(), host.ParamLabel(i).c_str(),
                host.ParamDisplay(i).c_str(), static_cast<double>(norm));
  }

  std::printf("\nPrograms     %d\n", e->numPrograms);
  for (VstInt32 i = 0; i < e->numPrograms; ++i)
    std::printf("  %3d  %s\n", i, host.Text(effGetProgramNameIndexed, i).c_str());

  std::printf("\nPins\n");
  PrintPins(host, true);
  PrintPins(host, false);

  std::printf("\nCapabilities\n");
  static const char* const kCanDo[] = {
      "receiveVstTimeInfo", "receiveVstEvents", "receiveVstMidiEvent", "sendVstEvents", "sendVstMidiEvent",
      "offline",            "bypass",           "1in1out",             "2in2out",       "hasCockosExtensions",
  };
  for (const char* text : kCanDo) {
    VstIntPtr answer = host.Dispatch(effCanDo, 0, 0, const_cast<char*>(text));
    std::printf("  %-22s %s\n", text, CanDoAnswer(answer).c_str());
  }
  std::fflush(stdout);
  return kExitOk;
}
