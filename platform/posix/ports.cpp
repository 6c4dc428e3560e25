#include "platform/posix/ports.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string_view>

namespace posix {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSerialPortKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr int kMaxPortNumber = 255;
constexpr std::size_t kReadChunk = 1024;

std::string ReadLine(const fs::path& p) {
  std::ifstream in(p);
  std::string line;
  std::getline(in, line);
  return line;
}

// A family rank and number for ttyS3, ttyUSB0, ttyACM1 and the rest.
struct TtyName {
  int family;
  std::string prefix;
  long number;
};

TtyName ParseTty(const std::string& name) {
  std::size_t digits = name.size();
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
  const std::string prefix = name.substr(0, digits);
  const long number = digits < name.size() ? std::strtol(name.c_str() + digits, nullptr, 10) : -1;
  const int family = prefix == "ttyS" ? 0 : prefix == "ttyUSB" ? 1 : prefix == "ttyACM" ? 2 : 3;
  return {family, prefix, number};
}

bool DefaultUartPresent(const std::string& devicePath) {
  const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == EACCES || errno == EBUSY;  // cannot tell: let the operator try it
  serial_struct info{};
  const bool present = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
  ::close(fd);
  return present;
}

// The USB product behind a tty's device, from the nearest ancestor that names one.
std::string UsbDescription(const fs::path& device) {
  std::error_code ec;
  fs::path p = fs::canonical(device, ec);
  for (int depth = 0; !ec && depth < 6 && p.has_parent_path(); ++depth, p = p.parent_path()) {
    if (fs::exists(p / "product")) {
      const std::string maker = ReadLine(p / "manufacturer");
      const std::string product = ReadLine(p / "product");
      return maker.empty() ? product : maker + " " + product;
    }
  }
  return {};
}

int ComNumber(const std::string& name) {
  if (name.size() < 4 || name.compare(0, 3, "COM") != 0) return 0;
  int n = 0;
  for (std::size_t i = 3; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return 0;
    n = n * 10 + (name[i] - '0');
    if (n > kMaxPortNumber) return 0;
  }
  return n;
}

}  // namespace

std::string VirtualPortsDir() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
    return std::string(runtime) + "/korvex12/ports";
  }
  return "/tmp/korvex12-" + std::to_string(::getuid()) + "/ports";
}

PortDirectory::PortDirectory(DiscoveryRoots roots) : m_roots(std::move(roots)) {
  if (m_roots.virtualPorts.empty()) m_roots.virtualPorts = VirtualPortsDir();
  if (!m_roots.uartPresent) m_roots.uartPresent = DefaultUartPresent;
}

void PortDirectory::Refresh() {
  m_ports.clear();
  std::set<int> taken;
  std::error_code ec;

  std::vector<PortEntry> virtuals;
  for (const auto& e : fs::directory_iterator(m_roots.virtualPorts, ec)) {
    const std::string name = e.path().filename().string();
    const int n = ComNumber(name);
    if (n == 0 || !e.is_symlink(ec) || !fs::exists(e.path(), ec)) continue;  // stale links are skipped
    PortEntry p;
    p.number = n;
    p.name = name;
    p.path = e.path().string();
    p.device = fs::read_symlink(e.path(), ec).string();
    p.description = "Virtual port " + p.device;
    p.isVirtual = true;
    virtuals.push_back(p);
    taken.insert(n);
  }
  std::sort(virtuals.begin(), virtuals.end(), [](const PortEntry& a, const PortEntry& b) { return a.number < b.number; });

  struct Real {
    TtyName tty;
    std::string name;
    std::string description;
  };
  std::vector<Real> reals;
  for (const auto& e : fs::directory_iterator(m_roots.sysClassTty, ec)) {
    const fs::path driver = e.path() / "device" / "driver";
    std::error_code linkError;
    const fs::path target = fs::read_symlink(driver, linkError);
    if (linkError) continue;  // consoles and pseudo-terminals have no driver
    const std::string name = e.path().filename().string();
    const std::string driverName = target.filename().string();
    const std::string node = m_roots.dev + "/" + name;
    if (driverName == "serial8250" && !m_roots.uartPresent(node)) continue;
    std::string description = UsbDescription(e.path() / "device");
    if (description.empty()) description = driverName;
    reals.push_back({ParseTty(name), name, description});
  }
  std::sort(reals.begin(), reals.end(), [](const Real& a, const Real& b) {
    if (a.tty.family != b.tty.family) return a.tty.family < b.tty.family;
    if (a.tty.prefix != b.tty.prefix) return a.tty.prefix < b.tty.prefix;
    return a.tty.number < b.tty.number;
  });

  m_ports = virtuals;
  int next = 1;
  for (const Real& r : reals) {
    while (taken.count(next)) ++next;
    if (next > kMaxPortNumber) break;
    PortEntry p;
    p.number = next;
    p.name = "COM" + std::to_string(next);
    p.path = m_roots.dev + "/" + r.name;
    p.device = p.path;
    p.description = r.description;
    taken.insert(next);
    m_ports.push_back(p);
  }
}

const PortEntry* PortDirectory::Find(int number) const {
  for (const auto& p : m_ports) {
    if (p.number == number) return &p;
  }
  return nullptr;
}

const PortEntry* PortDirectory::FindByName(const std::string& name) const {
  for (const auto& p : m_ports) {
    if (p.name == name) return &p;
  }
  return nullptr;
}

LONG PortRegistry::OpenKey(const std::string& path, std::vector<RegistryValue>* values) {
  if (path != kSerialPortKey) return ERROR_FILE_NOT_FOUND;
  m_ports->Refresh();
  values->clear();
  for (const PortEntry& p : m_ports->Ports()) {
    RegistryValue v{p.device, std::vector<std::uint8_t>(p.name.begin(), p.name.end())};
    v.data.push_back(0);
    values->push_back(std::move(v));
  }
  return ERROR_SUCCESS;
}

termios RawTermios(termios t, const LineSettings& settings) {
  ::cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  switch (settings.dataBits) {
    case 5: t.c_cflag |= CS5; break;
    case 6: t.c_cflag |= CS6; break;
    case 7: t.c_cflag |= CS7; break;
    default: t.c_cflag |= CS8; break;
  }
  switch (settings.parity) {
    case 'e': t.c_cflag |= PARENB; break;
    case 'o': t.c_cflag |= PARENB | PARODD; break;
    case 'm': t.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case 's': t.c_cflag |= PARENB | CMSPAR; break;
    default: break;
  }
  if (settings.stopBits == 2) t.c_cflag |= CSTOPB;
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  // VMIN 1: a non-blocking read with nothing waiting fails with EAGAIN; with VMIN 0 it would
  // return 0, which cannot be told from a hang-up.
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  speed_t speed = B9600;
  switch (settings.baud) {
    case 110: speed = B110; break;
    case 300: speed = B300; break;
    case 600: speed = B600; break;
    case 1200: speed = B1200; break;
    case 2400: speed = B2400; break;
    case 4800: speed = B4800; break;
    case 19200: speed = B19200; break;
    case 38400: speed = B38400; break;
    case 57600: speed = B57600; break;
    case 115200: speed = B115200; break;
    case 230400: speed = B230400; break;
    default: speed = B9600; break;
  }
  ::cfsetispeed(&t, speed);
  ::cfsetospeed(&t, speed);
  return t;
}

bool ApplyRawSettings(int fd, const LineSettings& settings) {
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return false;
  t = RawTermios(t, settings);
  if (::tcsetattr(fd, TCSANOW, &t) != 0) return false;
  ::tcflush(fd, TCIOFLUSH);
  return true;
}

namespace {

class PosixLine : public SerialLine {
 public:
  PosixLine(int fd, std::string name, SerialLineListener* listener, FdWatcher* watcher)
      : m_fd(fd), m_name(std::move(name)), m_listener(listener), m_watcher(watcher) {
    m_token = m_watcher->Watch(m_fd, [this] { OnReadable(); });
  }
  ~PosixLine() override {
    *m_alive = false;
    Shut();
  }

  bool Write(const std::uint8_t* data, std::size_t n, std::string* error) override {
    if (m_fd < 0) {
      *error = "The port is not open.";
      return false;
    }
    std::size_t done = 0;
    while (done < n) {
      const ssize_t w = ::write(m_fd, data + done, n - done);
      if (w > 0) {
        done += static_cast<std::size_t>(w);
        continue;
      }
      if (w < 0 && errno == EINTR) continue;
      if (w < 0 && errno == EAGAIN) {
        pollfd p{m_fd, POLLOUT, 0};
        if (::poll(&p, 1, 100) > 0) continue;
      }
      *error = "The write to " + m_name + " failed: " + std::strerror(errno ? errno : EIO) + ".";
      return false;
    }
    return true;
  }

 private:
  void OnReadable() {
    std::uint8_t buffer[kReadChunk];
    // The listener's handlers run nested loops in which the operator may close the port and
    // so destroy this line; |alive| tells.
    const std::shared_ptr<bool> alive = m_alive;
    for (;;) {
      const ssize_t r = ::read(m_fd, buffer, sizeof buffer);
      if (r > 0) {
        m_listener->OnLineData(buffer, static_cast<std::size_t>(r));
        if (!*alive || m_fd < 0) return;
        continue;
      }
      if (r < 0 && errno == EINTR) continue;
      if (r < 0 && errno == EAGAIN) return;
      // End of file or EIO: the far side is gone. Close once and tell the listener, which
      // may destroy this line: nothing of it is touched afterwards.
      Shut();
      m_listener->OnLineHangup();
      return;
    }
  }

  void Shut() {
    if (m_fd < 0) return;
    m_watcher->Unwatch(m_token);
    ::ioctl(m_fd, TIOCNXCL);  // the exclusive flag outlives this descriptor otherwise
    ::close(m_fd);
    m_fd = -1;
  }

  int m_fd;
  std::string m_name;
  SerialLineListener* m_listener;
  FdWatcher* m_watcher;
  FdWatcher::Token m_token = 0;
  std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

std::string InUse(const std::string& where, const std::optional<DeviceHolder>& holder) {
  if (!holder) return where + " is in use by another program.";
  const std::string pid = "process " + std::to_string(holder->pid);
  return where + " is in use by another program (" + (holder->program.empty() ? pid : holder->program + ", " + pid) +
         ").";
}

// The index N of /dev/pts/N, or -1 for any other device.
long PtsIndex(const std::string& devicePath) {
  constexpr std::string_view kPts = "/dev/pts/";
  if (devicePath.compare(0, kPts.size(), kPts) != 0) return -1;
  char* end = nullptr;
  const long n = std::strtol(devicePath.c_str() + kPts.size(), &end, 10);
  return *end == '\0' && end != devicePath.c_str() + kPts.size() ? n : -1;
}

// Whether process directory |proc| holds the master side of pseudo-terminal |index|.
bool HoldsPtyMaster(const fs::path& proc, long index) {
  std::error_code ec;
  for (const auto& fd : fs::directory_iterator(proc / "fd", ec)) {
    const std::string target = fs::read_symlink(fd.path(), ec).string();
    if (ec || (target != "/dev/ptmx" && target != "/dev/pts/ptmx")) continue;
    std::ifstream info(proc / "fdinfo" / fd.path().filename());
    std::string line;
    while (std::getline(info, line)) {
      if (line.rfind("tty-index:", 0) == 0 && std::strtol(line.c_str() + 10, nullptr, 10) == index) return true;
    }
  }
  return false;
}

// How messages name a port: "COM3 (/dev/ttyUSB0)", or the path alone when it is the name.
std::string Where(const std::string& name, const std::string& path) {
  return name.empty() || name == path ? path : name + " (" + path + ")";
}

std::string OpenError(int err, const std::string& name, const std::string& path) {
  const std::string where = Where(name, path);
  switch (err) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
      return where + " is not available: no such port.";
    case EACCES:
    case EPERM:
      return "Permission denied for " + where +
             ": add your user to the dialout group (sudo usermod -aG dialout $USER), then log in again.";
    case EBUSY:
    case EWOULDBLOCK:
      return InUse(where, std::nullopt);
    case ENOTTY:
      return where + " is not a serial port.";
    default:
      return where + " cannot be opened: " + std::strerror(err) + ".";
  }
}

}  // namespace

std::optional<DeviceHolder> FindOtherHolder(const std::string& path) {
  struct stat device {};
  if (::stat(path.c_str(), &device) != 0 || !S_ISCHR(device.st_mode)) return std::nullopt;
  std::error_code ec;
  const long ptsIndex = PtsIndex(fs::canonical(path, ec).string());
  const std::string self = std::to_string(::getpid());
  for (const auto& proc : fs::directory_iterator("/proc", ec)) {
    const std::string pid = proc.path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos || pid == self) continue;
    bool holds = false;
    std::error_code fdError;
    for (const auto& fd : fs::directory_iterator(proc.path() / "fd", fdError)) {
      // Only descriptors of devices; sockets, pipes and the like are not looked at further.
      if (fs::read_symlink(fd.path(), fdError).string().rfind("/dev/", 0) != 0) continue;
      struct stat held {};
      if (::stat(fd.path().c_str(), &held) == 0 && S_ISCHR(held.st_mode) && held.st_rdev == device.st_rdev) {
        holds = true;
        break;
      }
    }
    if (!holds || (ptsIndex >= 0 && HoldsPtyMaster(proc.path(), ptsIndex))) continue;
    return DeviceHolder{std::atoi(pid.c_str()), ReadLine(proc.path() / "comm")};
  }
  return std::nullopt;
}

std::unique_ptr<SerialLine> OpenSerialPath(const std::string& path, const std::string& name, const LineSettings& settings,
                                           SerialLineListener* listener, FdWatcher* watcher, std::string* error) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *error = OpenError(errno, name, path);
    return nullptr;
  }
  auto fail = [&](int err) {
    ::close(fd);
    *error = OpenError(err, name, path);
    return nullptr;
  };
  if (!::isatty(fd)) return fail(ENOTTY);
  // The exclusive flag and the lock bind only programs that ask for them, and root not at all.
  if (const auto holder = FindOtherHolder(path)) {
    ::close(fd);
    *error = InUse(Where(name, path), holder);
    return nullptr;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(errno);
  if (::ioctl(fd, TIOCEXCL) != 0) return fail(errno);
  if (!ApplyRawSettings(fd, settings)) {
    const int err = errno;
    ::ioctl(fd, TIOCNXCL);
    return fail(err);
  }
  return std::make_unique<PosixLine>(fd, name, listener, watcher);
}

std::unique_ptr<SerialLine> SerialPorts::Open(int portNumber, const LineSettings& settings,
                                              SerialLineListener* listener, std::string* error) {
  const PortEntry* entry = m_ports->Find(portNumber);
  if (!entry) {
    *error = "COM" + std::to_string(portNumber) + " does not exist on this system.";
    return nullptr;
  }
  return OpenSerialPath(entry->path, entry->name, settings, listener, m_watcher, error);
}

}  // namespace posix
