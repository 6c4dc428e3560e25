// The command-line program's system on Linux: a poll loop on the monotonic clock, termios
// lines and the port directory the window's list comes from.

#include <unistd.h>

#include <ctime>

#include "cli/system.h"
#include "cli/terminal.h"
#include "platform/posix/poll_loop.h"
#include "platform/posix/ports.h"

namespace cli {

namespace {

class PosixSystem : public System {
 public:
  std::int64_t NowUs() override { return posix::PollLoop::NowUs(); }
  void RunUntil(std::int64_t untilUs, const std::function<bool()>& stop) override {
    m_loop.RunUntilTime(untilUs, stop);
  }

  std::vector<PortInfo> Ports() override {
    m_ports.Refresh();
    std::vector<PortInfo> out;
    for (const posix::PortEntry& p : m_ports.Ports()) out.push_back({p.name, p.device, p.description});
    return out;
  }

  std::unique_ptr<SerialLine> Open(const std::string& port, SerialLineListener* listener, std::string* name,
                                   std::string* error) override {
    const LineSettings settings;  // 9600,n,8,1
    *name = port;
    if (port.find('/') != std::string::npos) return posix::OpenSerialPath(port, port, settings, listener, &m_loop, error);
    m_ports.Refresh();
    const posix::PortEntry* entry = m_ports.FindByName(port);
    if (!entry) {
      *error = port + " does not exist on this system.";
      return nullptr;
    }
    return posix::OpenSerialPath(entry->path, entry->name, settings, listener, &m_loop, error);
  }

  std::int64_t WallClockNow() override { return static_cast<std::int64_t>(std::time(nullptr)); }

 private:
  posix::PollLoop m_loop;
  posix::PortDirectory m_ports;
};

}  // namespace

std::unique_ptr<System> MakeSystem() { return std::make_unique<PosixSystem>(); }

bool StdinIsTerminal() { return ::isatty(STDIN_FILENO) != 0; }
bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }
void PrepareStandardStreams() {}

}  // namespace cli
