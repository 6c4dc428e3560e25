// The command-line program's system on Windows: the thread's message loop carries the serial
// lines' arrivals; ports from the registry's serial-port key, opened as \\.\COMn.

#include <fcntl.h>
#include <io.h>

#include <chrono>
#include <cstdio>
#include <ctime>

#include "cli/system.h"
#include "cli/terminal.h"
#include "platform/win32/native.h"
#include "platform/win32/ports.h"

namespace cli {

namespace {

constexpr const char* kSerialPortKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

// The number of a port named COMn or \\.\COMn; 0 for anything else.
int PortNumber(std::string port) {
  if (port.rfind("\\\\.\\", 0) == 0) port = port.substr(4);
  if (port.size() < 4 || port.size() > 6 || port.compare(0, 3, "COM") != 0) return 0;
  int n = 0;
  for (std::size_t i = 3; i < port.size(); ++i) {
    if (port[i] < '0' || port[i] > '9') return 0;
    n = n * 10 + (port[i] - '0');
  }
  return n >= 1 && n <= 255 ? n : 0;
}

class Win32System : public System {
 public:
  Win32System() { win32native::AttachUiThread(); }

  std::int64_t NowUs() override {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
  }
  void RunUntil(std::int64_t untilUs, const std::function<bool()>& stop) override {
    win32native::PumpUntil(untilUs, stop);
  }

  std::vector<PortInfo> Ports() override {
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> values;
    std::vector<PortInfo> out;
    if (win32native::ReadMachineKey(kSerialPortKey, &values) != 0) return out;
    for (const auto& [device, data] : values) {
      std::string name(data.begin(), data.end());
      name = name.substr(0, name.find('\0'));
      out.push_back({name, device, ""});
    }
    return out;
  }

  std::unique_ptr<SerialLine> Open(const std::string& port, SerialLineListener* listener, std::string* name,
                                   std::string* error) override {
    const int number = PortNumber(port);
    *name = number ? "COM" + std::to_string(number) : port;
    if (!number) {
      *error = port + " is not a port name such as COM5.";
      return nullptr;
    }
    return m_ports.Open(number, LineSettings{}, listener, error);
  }

  std::int64_t WallClockNow() override { return static_cast<std::int64_t>(std::time(nullptr)); }

 private:
  win32backend::ComPorts m_ports;
};

}  // namespace

std::unique_ptr<System> MakeSystem() { return std::make_unique<Win32System>(); }

bool StdinIsTerminal() { return _isatty(_fileno(stdin)) != 0; }
bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }
void PrepareStandardStreams() { _setmode(_fileno(stdout), _O_BINARY); }

}  // namespace cli
