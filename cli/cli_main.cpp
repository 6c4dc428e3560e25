// korvex12-cli: the device's commands from a terminal or a script, on one or many ports.

#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/system.h"
#include "cli/terminal.h"

int main(int argc, char** argv) {
  cli::PrepareStandardStreams();
  const std::vector<std::string> args(argv + 1, argv + argc);
  const auto system = cli::MakeSystem();
  return cli::Run(args, *system, {std::cin, std::cout, std::cerr, cli::StdinIsTerminal(), cli::StderrIsTerminal()});
}
