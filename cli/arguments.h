#pragma once
// The command line of korvex12-cli: ports, one command with its arguments, and options.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cli {

enum class Command {
  Help,
  Version,
  Ports,
  PasswordSet,
  PasswordRead,
  ClockSet,
  AngleSet,
  ZeroSet,
  ZeroReset,
  RecordsClear,
  RecordsRead,
};

// A date and time for the device clock, as the window's pickers give it.
struct ClockValue {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

struct Invocation {
  Command command = Command::Help;
  std::vector<std::string> ports;  // in the order given
  std::int32_t password = 0;       // password set
  std::optional<ClockValue> clock;  // clock set; nothing: the time now
  std::string angle;                // angle set: the accepted text, such as 7.5
  int retries = 0;                  // further attempts of a setting the device refused
  bool yes = false;                 // records clear without asking
  std::optional<std::string> output;  // records read: the file ({port} for each port's own)
};

// Parses |args| (without the program name). False with a one-line |error| for the first
// argument that is wrong; the input rules are the window's.
bool ParseArguments(const std::vector<std::string>& args, Invocation* out, std::string* error);

// Parses "YYYY-MM-DD HH:MM:SS" into a date and time the window's pickers could hold.
bool ParseClock(const std::string& text, ClockValue* out);

// The help text.
const char* HelpText();

}  // namespace cli
