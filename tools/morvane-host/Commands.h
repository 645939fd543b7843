#pragma once
// The commands of morvane-host. Each takes the arguments after its own name
// and returns the process exit code (see Text.h); errors are already printed.
#include <string>
#include <vector>

using Args = std::vector<std::string>;

int RunInfo(const Args& args);
int RunProcess(const Args& args);
int RunDrumLoop(const Args& args);
int RunStats(const Args& args);

// The full help text, also printed for --help after any command.
void PrintHelp();
