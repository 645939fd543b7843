// morvane-host: a command-line VST 2.4 host for Linux.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/morvane-host/Commands.h"
#include "tools/morvane-host/Text.h"

void PrintHelp() {
  std::fputs(
      "usage: morvane-host COMMAND ...\n"
      "\n"
      "A command-line host for VST 2.4 plug-in libraries (.so) on Linux.\n"
      "\n"
      "  morvane-host info PLUGIN\n"
      "      Loads PLUGIN and prints its identity (name, vendor, product, unique id,\n"
      "      version, category, flags, channels), its parameters (index, name,\n"
      "      label, value text and normalised value at the default), programs,\n"
      "      input and output pins, and its answers to a few capability queries.\n"
      "\n"
      "  morvane-host process PLUGIN IN OUT [options]\n"
      "      Runs the audio file IN through PLUGIN and writes OUT, keeping the\n"
      "      sample rate and the channel count. OUT has the format its extension\n"
      "      names (wav, flac, aiff, au, caf, w64, rf64, ogg, opus, mp3), else the\n"
      "      format of IN; floating-point input stays floating point, integer input\n"
      "      becomes 24-bit (32-bit stays 32-bit), lossy input keeps its codec; what\n"
      "      libsndfile cannot write becomes WAV, and a note says so.\n"
      "      Integer formats clip at full scale (a warning counts the clipped\n"
      "      samples); samples the plug-in makes NaN or infinite are written as 0,\n"
      "      with a warning.\n"
      "      OUT is written under a temporary name in its own directory and renamed\n"
      "      into place only when everything succeeded: after an error or an\n"
      "      interrupt OUT is as it was before (absent, or its old content).\n"
      "      The plug-in is opened at the file's sample rate, told the block size,\n"
      "      given a one-channel speaker arrangement for a mono file, resumed, fed\n"
      "      the file block by block with a transport playing from the start at\n"
      "      120 BPM, 4/4, then suspended and closed. It gets max(file channels,\n"
      "      plug-in inputs) inputs (the extra ones silent) and all its outputs;\n"
      "      channel c of OUT is plug-in output c (a mono file: output 0).\n"
      "      Progress is shown on stderr when it is a terminal or the file is longer\n"
      "      than 10 seconds.\n"
      "\n"
      "      --set NAME=VALUE   Sets a parameter before processing (repeatable; in\n"
      "                         the order given). NAME is matched against the\n"
      "                         plug-in's parameter names, whole, ignoring case.\n"
      "                         VALUE is handed to the plug-in's own text entry\n"
      "                         (effString2Parameter), e.g. Attack=50 for 50 %.\n"
      "                         If the plug-in does not take text, a plain number\n"
      "                         from 0 to 1 is set as a normalised value instead.\n"
      "                         VALUE norm:X (X from 0 to 1) always sets the\n"
      "                         normalised value X directly (setParameter).\n"
      "      --precision P      double (processDoubleReplacing, the default),\n"
      "                         single (processReplacing) or accumulate (process,\n"
      "                         into outputs cleared to silence). When the plug-in\n"
      "                         cannot, single precision is used and a note says so.\n"
      "      --block N          Frames per processing call, 1 to 65536 (default 1024).\n"
      "      --state FILE       If FILE exists, the plug-in's program state is\n"
      "                         restored from it (effSetChunk) before the --set\n"
      "                         values are applied; if it does not, the state after\n"
      "                         processing (effGetChunk) is saved into FILE. The\n"
      "                         file holds the plug-in's chunk bytes as they are.\n"
      "\n"
      "  morvane-host drumloop OUT [--seconds N] [--rate HZ] [--peak DB]\n"
      "      Writes a synthesised stereo drum loop (kick, snare, hats, rim click in a\n"
      "      small room; 120 BPM; default 8 s at 44100 Hz, peak -7 dBFS) as a float\n"
      "      WAV file. The same arguments always give the same samples.\n"
      "\n"
      "  morvane-host stats FILE...\n"
      "      Prints one line per audio file: peak and RMS level in dBFS over all\n"
      "      channels, length, channels and sample rate.\n"
      "\n"
      "  morvane-host --help\n"
      "\n"
      "Exit status: 0 on success, 1 when the work failed (the message says why),\n"
      "2 for a command line that could not be understood.\n",
      stdout);
}

int main(int argc, char** argv) {
  Args args(argv + 1, argv + argc);
  if (args.empty()) {
    PrintError("no command given (morvane-host --help)");
    return kExitUsage;
  }
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      PrintHelp();
      return kExitOk;
    }
  }
  const std::string command = args.front();
  args.erase(args.begin());
  if (command == "help") {
    PrintHelp();
    return kExitOk;
  }
  if (command == "info") return RunInfo(args);
  if (command == "process") return RunProcess(args);
  if (command == "drumloop") return RunDrumLoop(args);
  if (command == "stats") return RunStats(args);
  PrintError("unknown command \"%s\" (morvane-host --help)", command.c_str());
  return kExitUsage;
}
