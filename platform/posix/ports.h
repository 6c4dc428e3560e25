#pragma once
// Serial ports on Linux: discovery under COMn names, the registry view of them, and termios
// lines watched by the event loop.

#include <termios.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/fd_watcher.h"
#include "platform/registry.h"
#include "platform/serial_line.h"

namespace posix {

struct PortEntry {
  int number = 0;            // n of COMn
  std::string name;          // COMn
  std::string path;          // what is opened: /dev/ttyUSB0, or the virtual port's link
  std::string device;        // the device node: /dev/ttyUSB0, /dev/pts/4
  std::string description;   // for the operator: driver, USB product
  bool isVirtual = false;
};

// Where discovery looks; tests point it at a fake tree.
struct DiscoveryRoots {
  std::string sysClassTty = "/sys/class/tty";
  std::string dev = "/dev";
  std::string virtualPorts;  // empty: VirtualPortsDir()
  // Whether an 8250 UART is really present at a device node.
  std::function<bool(const std::string& devicePath)> uartPresent;
};

// $XDG_RUNTIME_DIR/korvex12/ports, or /tmp/korvex12-<uid>/ports without a runtime directory.
std::string VirtualPortsDir();

// Virtual ports (links COMn -> /dev/pts/N) keep their n; real ports from sysfs take the lowest
// free numbers in the order ttyS, ttyUSB, ttyACM, others, each family by its own number.
class PortDirectory {
 public:
  explicit PortDirectory(DiscoveryRoots roots = {});
  void Refresh();
  const std::vector<PortEntry>& Ports() const { return m_ports; }
  const PortEntry* Find(int number) const;
  const PortEntry* FindByName(const std::string& name) const;

 private:
  DiscoveryRoots m_roots;
  std::vector<PortEntry> m_ports;
};

// HARDWARE\DEVICEMAP\SERIALCOMM: one value per port, named after its device node, data COMn.
class PortRegistry : public RegistrySource {
 public:
  explicit PortRegistry(PortDirectory* ports) : m_ports(ports) {}
  LONG OpenKey(const std::string& path, std::vector<RegistryValue>* values) override;

 private:
  PortDirectory* m_ports;
};

// Another process holding a device open, as fuser finds it in /proc.
struct DeviceHolder {
  int pid = 0;
  std::string program;  // empty when it cannot be read
};

// The first process other than this one that holds |path| open. A process that also holds
// the master side of the same pseudo-terminal is the device's own end (a simulator keeping
// its line up), not another program. Processes this user may not look into are not seen.
std::optional<DeviceHolder> FindOtherHolder(const std::string& path);

// Opens COMn as a raw termios line, exclusively, watched by |watcher|: the port the directory
// listed under that number when it was last read, so that a port list the operator sees and
// the device opened cannot drift apart.
class SerialPorts : public SerialPortProvider {
 public:
  SerialPorts(PortDirectory* ports, FdWatcher* watcher) : m_ports(ports), m_watcher(watcher) {}
  std::unique_ptr<SerialLine> Open(int portNumber, const LineSettings& settings, SerialLineListener* listener,
                                   std::string* error) override;

 private:
  PortDirectory* m_ports;
  FdWatcher* m_watcher;
};

// Opens |path| as SerialPorts does; for tests and tools that have a path rather than a number.
std::unique_ptr<SerialLine> OpenSerialPath(const std::string& path, const std::string& name, const LineSettings& settings,
                                           SerialLineListener* listener, FdWatcher* watcher, std::string* error);

// |base| made raw with |settings|: framing, speed, no flow control, reads wait for one byte.
termios RawTermios(termios base, const LineSettings& settings);
// Puts |fd| (a tty) into raw mode with |settings|; false with errno set on failure.
bool ApplyRawSettings(int fd, const LineSettings& settings);

}  // namespace posix
