// morvane-render: draws the editor of Morvane, as a host shows it once opened,
// for given parameter values and lamp state, into a PNG file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "bitmap/PngWrite.h"
#include "common/EditorScale.h"
#include "editor/offscreen/IGraphicsOffscreen.h"
#include "plugin/Morvane.h"

namespace {

const char kUsage[] =
    "usage: morvane-render OUT.png [--set NAME=VALUE]... [--lamp on|off] [--scale S]\n"
    "                      [--zoom N]\n"
    "\n"
    "Draws Morvane's editor into the PNG file OUT.png as it shows once a host has\n"
    "opened the plug-in, set the values and opened the editor.\n"
    "\n"
    "  --set NAME=VALUE   Sets a parameter (repeatable; in the order given). NAME\n"
    "                     is a parameter name, whole, ignoring case (\"Attack\",\n"
    "                     \"Sustain Length\"). VALUE is a value as typed into a\n"
    "                     host, e.g. Attack=50 for 50 %, or norm:X for the\n"
    "                     normalised value X from 0 to 1.\n"
    "  --lamp on|off      on: the plug-in first processes a short overload (samples\n"
    "                     of 1.5), so the overload lamp is lit. Default off.\n"
    "  --scale S          The editor's size: 100 (578 x 299 pixels, the default),\n"
    "                     150 (867 x 449) or 200 (1156 x 598) percent, drawn with\n"
    "                     the images made for that size.\n"
    "  --zoom N           Writes every pixel as N x N pixels (1 to 8; default 1),\n"
    "                     for looking at details.\n"
    "\n"
    "Exit status: 0 on success, 1 when the file could not be written, 2 for a\n"
    "command line that could not be understood.\n";

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int UsageError(const char* format, const char* detail) {
  std::fprintf(stderr, "morvane-render: error: ");
  std::fprintf(stderr, format, detail);
  std::fprintf(stderr, "\n\n%s", kUsage);
  return kExitUsage;
}

bool EqualsIgnoreCase(const char* a, const std::string& b) {
  size_t i = 0;
  for (; a[i] && i < b.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return a[i] == '\0' && i == b.size();
}

int FindParam(Morvane& plug, const std::string& name) {
  for (int i = 0; i < plug.ParamCount(); ++i) {
    if (EqualsIgnoreCase(plug.GetParam(i)->NameForHost(), name)) return i;
  }
  return -1;
}

// Sets one parameter the way a host does; false (with a message) when the
// name or value is not understood.
bool ApplySet(Morvane& plug, const std::string& name, const std::string& value) {
  const int index = FindParam(plug, name);
  if (index < 0) {
    std::string known;
    for (int i = 0; i < plug.ParamCount(); ++i) {
      known += (i ? ", \"" : "\"") + std::string(plug.GetParam(i)->NameForHost()) + "\"";
    }
    std::fprintf(stderr, "morvane-render: error: no parameter \"%s\"; the parameters are: %s\n", name.c_str(),
                 known.c_str());
    return false;
  }
  if (value.rfind("norm:", 0) == 0) {
    char* end = nullptr;
    const double norm = std::strtod(value.c_str() + 5, &end);
    if (end == value.c_str() + 5 || *end != '\0' || !(norm >= 0.0 && norm <= 1.0)) {
      std::fprintf(stderr, "morvane-render: error: \"%s\": a normalised value must be a number from 0 to 1\n",
                   value.c_str());
      return false;
    }
    plug.SetParameterFromHost(index, static_cast<float>(norm));
    return true;
  }
  char* end = nullptr;
  std::strtod(value.c_str(), &end);
  if (value.empty() || *end != '\0') {
    std::fprintf(stderr, "morvane-render: error: \"%s\" is not a value for \"%s\"\n", value.c_str(), name.c_str());
    return false;
  }
  std::vector<char> text(value.begin(), value.end());
  text.push_back('\0');
  plug.Dispatch(effString2Parameter, index, 0, text.data(), 0.0f);
  return true;
}

// Samples of 1.5 on both channels: the overload follower rises above 1.0
// within a few samples.
void Overload(Morvane& plug) {
  constexpr int kFrames = 441;
  std::vector<double> in(kFrames, 1.5), outL(kFrames), outR(kFrames);
  double* inputs[2] = {in.data(), in.data()};
  double* outputs[2] = {outL.data(), outR.data()};
  plug.ProcessBlock(inputs, outputs, kFrames);
}

// The bitmap enlarged zoom times, each pixel a square.
BM_MemBitmap* Enlarge(BM_IBitmap& source, int zoom) {
  BM_MemBitmap* big = new BM_MemBitmap(source.GetWidth() * zoom, source.GetHeight() * zoom);
  for (int y = 0; y < big->GetHeight(); ++y) {
    const BM_Color32* from = source.GetBits() + static_cast<size_t>(y / zoom) * source.GetRowSpan();
    BM_Color32* to = big->GetBits() + static_cast<size_t>(y) * big->GetRowSpan();
    for (int x = 0; x < big->GetWidth(); ++x) to[x] = from[x / zoom];
  }
  return big;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out;
  std::vector<std::pair<std::string, std::string>> sets;
  bool lamp = false;
  int zoom = 1;
  int scale = 0;  // the index of 100 %
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "-h" || a == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (a.rfind("--", 0) == 0) {
      std::string value;
      const size_t eq = a.find('=');
      if (eq != std::string::npos) {
        value = a.substr(eq + 1);
        a = a.substr(0, eq);
      } else if (i + 1 < argc) {
        value = argv[++i];
      } else {
        return UsageError("%s needs a value", a.c_str());
      }
      if (a == "--set") {
        const size_t eq2 = value.find('=');
        if (eq2 == std::string::npos || eq2 == 0) {
          return UsageError("--set needs NAME=VALUE, got \"%s\"", value.c_str());
        }
        sets.emplace_back(value.substr(0, eq2), value.substr(eq2 + 1));
      } else if (a == "--lamp") {
        if (value != "on" && value != "off") return UsageError("--lamp must be on or off, got \"%s\"", value.c_str());
        lamp = value == "on";
      } else if (a == "--scale") {
        scale = editor_scale::IndexOfPercent(std::atoi(value.c_str()));
        if (scale < 0 || value != std::to_string(editor_scale::kPercents[scale])) {
          return UsageError("--scale must be 100, 150 or 200, got \"%s\"", value.c_str());
        }
      } else if (a == "--zoom") {
        if (value.size() != 1 || value[0] < '1' || value[0] > '8') {
          return UsageError("--zoom must be a number from 1 to 8, got \"%s\"", value.c_str());
        }
        zoom = value[0] - '0';
      } else {
        return UsageError("unknown option %s", a.c_str());
      }
    } else if (out.empty()) {
      out = a;
    } else {
      return UsageError("give one output file; \"%s\" is one too many", a.c_str());
    }
  }
  if (out.empty()) return UsageError("%s", "no output file given");

  // 1. The plug-in, as a host makes and opens it, with an off-screen editor.
  Morvane plug(nullptr, IGraphicsOffscreen::Make);
  plug.Dispatch(effOpen, 0, 0, nullptr, 0.0f);
  // 2. The values, then the overload if asked for.
  for (const auto& set : sets) {
    if (!ApplySet(plug, set.first, set.second)) return kExitUsage;
  }
  if (lamp) Overload(plug);
  // 3. The editor at its size, opened and drawn once.
  auto* graphics = static_cast<IGraphicsOffscreen*>(plug.GetEditor());
  if (graphics) graphics->ChooseZoom(scale);
  if (!graphics || plug.Dispatch(effEditOpen, 0, 0, nullptr, 0.0f) != 1) {
    std::fprintf(stderr, "morvane-render: error: the editor could not be opened\n");
    return kExitFailure;
  }
  graphics->Tick();
  BM_MemBitmap* big = zoom > 1 ? Enlarge(graphics->Screen(), zoom) : nullptr;
  const bool written = WritePngFile(big ? big : &graphics->Screen(), out.c_str());
  delete big;
  if (!written) {
    std::fprintf(stderr, "morvane-render: error: could not write %s\n", out.c_str());
    return kExitFailure;
  }
  return 0;
}
