#pragma once
// What the command-line program needs of the operating system: a clock that only moves
// forward, a loop that carries the serial lines' arrivals, the serial ports, the wall clock.
// One implementation per system (system_posix.cpp, system_win32.cpp), chosen by the build;
// tests run the program on the headless backend's virtual clock.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/serial_line.h"

namespace cli {

struct PortInfo {
  std::string name;         // COMn, as the window lists it
  std::string device;       // what it stands for: /dev/ttyUSB0, \Device\Serial0
  std::string description;  // driver or product, where known
};

class System {
 public:
  virtual ~System() = default;
  virtual std::int64_t NowUs() = 0;
  // Carries the open lines' arrivals and hang-ups to their listeners until |untilUs| (NowUs),
  // or until |stop| holds after one of them.
  virtual void RunUntil(std::int64_t untilUs, const std::function<bool()>& stop) = 0;
  // The machine's serial ports as the window lists them.
  virtual std::vector<PortInfo> Ports() = 0;
  // Opens |port| (a name as listed, or a device path) at 9600 baud, 8N1, for |listener|.
  // |name| receives what reports call the port; nullptr with the operator's message in |error|.
  virtual std::unique_ptr<SerialLine> Open(const std::string& port, SerialLineListener* listener, std::string* name,
                                           std::string* error) = 0;
  // Seconds since 1970.
  virtual std::int64_t WallClockNow() = 0;
};

// The system this program runs on.
std::unique_ptr<System> MakeSystem();

}  // namespace cli
