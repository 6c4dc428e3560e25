#include "cli/arguments.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/ctime.h"
#include "platform/exceptions.h"
#include "protocol/input_checks.h"

namespace cli {

namespace {

bool IsOption(const std::string& a) { return a.size() > 1 && a[0] == '-'; }

// An argument as an error message quotes it: control characters show as '?', so that the
// message stays one line.
std::string Shown(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return text;
}

// A whole-number argument of 0 to 99.
bool SmallCount(const std::string& text, int* out) {
  if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  *out = std::atoi(text.c_str());
  return true;
}

}  // namespace

const char* HelpText() {
  return "usage: korvex12-cli [--port PORT]... COMMAND [ARGS]\n"
         "\n"
         "Commands of the angle alarm device, without a window. PORT is a port name as the window\n"
         "lists it (COM5) or the port's device (/dev/ttyUSB0; on Windows COM12 or \\\\.\\COM12).\n"
         "With --port given several times, the command runs on each port in turn and prints one\n"
         "line per port: the port, a TAB, and ok, the value read or what went wrong.\n"
         "\n"
         "  ports                       the serial ports: name, device, description (TAB-separated)\n"
         "  password set DDDDDD         set the password (six decimal digits)\n"
         "  password read               print the password as the device reports it\n"
         "  clock set [--now | \"YYYY-MM-DD HH:MM:SS\"]\n"
         "                              set the device clock (default: the time now)\n"
         "  angle set X.Y               set the alarm angle, 2.0 to 9.9\n"
         "  zero set | zero reset       zero the angle sensor, or reset the zero\n"
         "  records read [--output FILE]\n"
         "                              read the event log as the window saves it; to standard\n"
         "                              output, or to FILE ({port} in FILE stands for the port,\n"
         "                              needed with several ports)\n"
         "  records clear [--yes]       delete the event log (asks first; --yes when not asked)\n"
         "\n"
         "Options:\n"
         "  --port PORT                 the port to use; may be given several times\n"
         "  --retries N                 repeat a setting the device refused or did not answer,\n"
         "                              up to N more times (0 to 99; default 0)\n"
         "  --help, --version\n"
         "\n"
         "Exit status: 0 done; 1 the device answered with a failure or not at all; 2 bad\n"
         "arguments or input; 3 the port could not be opened or was lost. With several ports,\n"
         "the worst of them.\n";
}

bool ParseClock(const std::string& text, ClockValue* out) {
  ClockValue c;
  int consumed = 0;
  if (text.size() != 19 ||
      std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &c.year, &c.month, &c.day, &c.hour, &c.minute, &c.second,
                  &consumed) != 6 ||
      consumed != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' || text[16] != ':') {
    return false;
  }
  // The framework's own limits, as for the window's pickers, and a day the calendar has.
  try {
    const CTime value(c.year, c.month, c.day, 12, 0, 0);
    std::tm t{};
    if (!value.GetLocalTm(&t) || t.tm_mday != c.day || t.tm_mon + 1 != c.month) return false;
    (void)CTime(c.year, c.month, c.day, c.hour, c.minute, c.second);
  } catch (const CException&) {
    return false;
  }
  *out = c;
  return true;
}

bool ParseArguments(const std::vector<std::string>& args, Invocation* out, std::string* error) {
  Invocation inv;
  std::vector<std::string> words;
  bool now = false;
  bool help = false, version = false;
  bool retriesGiven = false, yesGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](const char* option) -> const std::string* {
      if (i + 1 >= args.size()) {
        *error = std::string(option) + " needs a value";
        return nullptr;
      }
      return &args[++i];
    };
    if (a == "--help" || a == "-h") {
      help = true;
    } else if (a == "--version") {
      version = true;
    } else if (a == "--port" || a == "-p") {
      const std::string* v = value("--port");
      if (!v) return false;
      if (v->empty()) {
        *error = "--port needs a port name, such as COM5";
        return false;
      }
      inv.ports.push_back(*v);
    } else if (a == "--retries") {
      const std::string* v = value("--retries");
      if (!v) return false;
      if (!SmallCount(*v, &inv.retries)) {
        *error = "--retries takes a whole number from 0 to 99, not '" + Shown(*v) + "'";
        return false;
      }
      retriesGiven = true;
    } else if (a == "--output" || a == "-o") {
      const std::string* v = value("--output");
      if (!v) return false;
      if (v->empty()) {
        *error = "--output needs a file name";
        return false;
      }
      inv.output = *v;
    } else if (a == "--yes" || a == "-y") {
      inv.yes = yesGiven = true;
    } else if (a == "--now") {
      now = true;
    } else if (a == "--") {
      words.insert(words.end(), args.begin() + static_cast<long>(i) + 1, args.end());
      break;
    } else if (IsOption(a) && !(a.size() > 1 && (std::isdigit(static_cast<unsigned char>(a[1])) != 0))) {
      *error = "unknown option '" + Shown(a) + "'; see korvex12-cli --help";
      return false;
    } else {
      words.push_back(a);
    }
  }
  if (help || version) {
    inv.command = help ? Command::Help : Command::Version;
    *out = inv;
    return true;
  }
  if (words.empty()) {
    *error = "no command given; see korvex12-cli --help";
    return false;
  }
  const std::string& noun = words[0];
  const std::string verb = words.size() > 1 ? words[1] : "";
  std::size_t used = 2;
  if (noun == "ports") {
    inv.command = Command::Ports;
    used = 1;
  } else if (noun == "password" && verb == "set") {
    inv.command = Command::PasswordSet;
    if (words.size() < 3) {
      *error = "password set needs the password: six decimal digits";
      return false;
    }
    const std::string& entry = words[2];
    const auto value = PasswordFromEntry(entry);
    if (!PasswordCharactersValid(entry) || !value) {
      *error = "the password must be six decimal digits (000000 to 999999), not '" + Shown(entry) + "'";
      return false;
    }
    inv.password = *value;
    used = 3;
  } else if (noun == "password" && verb == "read") {
    inv.command = Command::PasswordRead;
  } else if (noun == "clock" && verb == "set") {
    inv.command = Command::ClockSet;
    std::string text;
    if (words.size() == 3) text = words[2];
    if (words.size() == 4) text = words[2] + " " + words[3];  // date and time as two arguments
    used = words.size();
    if (!text.empty()) {
      if (now) {
        *error = "clock set takes either --now or a date and time, not both";
        return false;
      }
      ClockValue c;
      if (!ParseClock(text, &c)) {
        *error = "the clock must be a date and time as \"YYYY-MM-DD HH:MM:SS\" that exists, not '" + Shown(text) + "'";
        return false;
      }
      inv.clock = c;
    }
  } else if (noun == "angle" && verb == "set") {
    inv.command = Command::AngleSet;
    if (words.size() < 3) {
      *error = "angle set needs the alarm angle, 2.0 to 9.9";
      return false;
    }
    if (!AlarmAngleFromEntry(words[2])) {
      *error = "the alarm angle must be a digit, a point and a digit from 2.0 to 9.9, not '" + Shown(words[2]) + "'";
      return false;
    }
    inv.angle = words[2];
    used = 3;
  } else if (noun == "zero" && (verb == "set" || verb == "reset")) {
    inv.command = verb == "set" ? Command::ZeroSet : Command::ZeroReset;
  } else if (noun == "records" && verb == "read") {
    inv.command = Command::RecordsRead;
  } else if (noun == "records" && verb == "clear") {
    inv.command = Command::RecordsClear;
  } else {
    const std::string given = verb.empty() || noun == "ports" ? noun : noun + " " + verb;
    *error = "unknown command '" + Shown(given) + "'; see korvex12-cli --help";
    return false;
  }
  if (words.size() > used) {
    *error = "unexpected argument '" + Shown(words[used]) + "'";
    return false;
  }
  // Options that belong to one command only.
  if (now && inv.command != Command::ClockSet) {
    *error = "--now belongs to clock set";
    return false;
  }
  if (inv.output && inv.command != Command::RecordsRead) {
    *error = "--output belongs to records read";
    return false;
  }
  if (yesGiven && inv.command != Command::RecordsClear) {
    *error = "--yes belongs to records clear";
    return false;
  }
  const bool setting = inv.command == Command::PasswordSet || inv.command == Command::PasswordRead ||
                       inv.command == Command::ClockSet || inv.command == Command::AngleSet;
  if (retriesGiven && !setting) {
    *error = "--retries belongs to the settings: password, clock and angle";
    return false;
  }
  if (inv.command == Command::Ports) {
    if (!inv.ports.empty()) {
      *error = "ports lists every port; it takes no --port";
      return false;
    }
  } else if (inv.ports.empty()) {
    *error = "no port given: add --port PORT (korvex12-cli ports lists them)";
    return false;
  }
  if (inv.command == Command::RecordsRead && inv.ports.size() > 1 &&
      (!inv.output || inv.output->find("{port}") == std::string::npos)) {
    *error = "records read from several ports needs --output with {port} in it, such as logs/{port}.txt";
    return false;
  }
  *out = inv;
  return true;
}

}  // namespace cli
