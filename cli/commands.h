#pragma once
// Runs korvex12-cli's command on each port given, as the window runs its commands.

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/system.h"

namespace cli {

// Exit statuses.
enum Status : int { kDone = 0, kDeviceFailed = 1, kBadInput = 2, kPortFailed = 3 };

struct Streams {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool inIsTerminal = false;   // records clear asks only on a terminal
  bool errIsTerminal = false;  // progress lines only on a terminal
};

// Runs the command line |args| (without the program name); returns the exit status.
int Run(const std::vector<std::string>& args, System& system, Streams io);

}  // namespace cli
