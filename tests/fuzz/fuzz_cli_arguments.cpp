// korvex12-cli's command line: any arguments either are refused with a message or give an
// invocation that keeps the window's input rules.

#include <string>
#include <vector>

#include "cli/arguments.h"
#include "protocol/input_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Arguments are separated by zero bytes.
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) args.emplace_back();
    else args.back().push_back(static_cast<char>(data[i]));
  }
  cli::Invocation inv;
  std::string error;
  if (!cli::ParseArguments(args, &inv, &error)) {
    if (error.empty() || error.find('\n') != std::string::npos) __builtin_trap();
    return 0;
  }
  using cli::Command;
  const bool device = inv.command != Command::Help && inv.command != Command::Version && inv.command != Command::Ports;
  if (device && inv.ports.empty()) __builtin_trap();               // a device command names its port
  if (inv.command == Command::Ports && !inv.ports.empty()) __builtin_trap();
  if (inv.password < 0 || inv.password > 999999 || inv.retries < 0 || inv.retries > 99) __builtin_trap();
  if (inv.command == Command::AngleSet && !AlarmAngleFromEntry(inv.angle)) __builtin_trap();
  if (inv.clock && (inv.clock->month < 1 || inv.clock->month > 12 || inv.clock->hour > 23)) __builtin_trap();
  return 0;
}
