// korvex12-sim: the simulated device on a pseudo-terminal, registered as a virtual COM port.
// Prints "COMn <pty path>" once ready and runs until SIGINT or SIGTERM, then removes its link.

#include <fcntl.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <filesystem>
#include <string>

#include "platform/posix/poll_loop.h"
#include "platform/posix/ports.h"
#include "sim/device_model.h"

namespace {

constexpr int kBaud = 9600;

struct Options {
  int records = 0;
  sim::Fault fault = sim::Fault::None;
  int com = 0;  // 0: the lowest number no port uses
  std::string clock;  // "YYYY-MM-DD HH:MM:SS"; empty: local time now
  bool trace = false;  // print every request received
};

void Usage(std::FILE* to) {
  std::fprintf(to,
               "usage: korvex12-sim [--records N] [--fault MODE] [--com N] [--clock \"YYYY-MM-DD HH:MM:SS\"] [--trace]\n"
               "  --records N   preload the event log with N records (0 to 4000)\n"
               "  --fault MODE  none, silent, late, split, extra, garbled or setting-error\n"
               "  --com N       register as COMN (1 to 255) instead of the lowest free number\n"
               "  --clock T     the device clock at start (default: local time now)\n"
               "  --trace       print every request received, as \"rx\" and its bytes in hex\n");
}

bool Parse(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--help" || a == "-h") {
      Usage(stdout);
      std::exit(0);
    } else if (a == "--records" && hasValue) {
      char* end = nullptr;
      const long n = std::strtol(argv[++i], &end, 10);
      if (*end || n < 0 || n > sim::DeviceModel::kMaxRecords) return false;
      o->records = static_cast<int>(n);
    } else if (a == "--fault" && hasValue) {
      if (!sim::ParseFault(argv[++i], &o->fault)) return false;
    } else if (a == "--com" && hasValue) {
      char* end = nullptr;
      const long n = std::strtol(argv[++i], &end, 10);
      if (*end || n < 1 || n > 255) return false;
      o->com = static_cast<int>(n);
    } else if (a == "--clock" && hasValue) {
      o->clock = argv[++i];
    } else if (a == "--trace") {
      o->trace = true;
    } else {
      return false;
    }
  }
  return true;
}

// The device clock at start as seconds since 2000-01-01 in the device's (local) wall time.
bool StartClock(const std::string& text, std::int64_t* out) {
  sim::Civil c{};
  if (text.empty()) {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    c = {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
  } else if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &c.year, &c.month, &c.day, &c.hour, &c.minute,
                         &c.second) != 6 ||
             c.month < 1 || c.month > 12 || c.day < 1 || c.day > 31 || c.hour > 23 || c.minute > 59 ||
             c.second > 59) {
    return false;
  }
  *out = sim::SecondsFromCivil(c);
  return true;
}

// Bytes leave the device one at a time at the line's speed.
class PacedOutput {
 public:
  PacedOutput(int fd, posix::PollLoop* loop) : m_fd(fd), m_loop(loop) {}

  void Send(const std::vector<sim::Burst>& bursts, std::int64_t afterUs) {
    std::int64_t cursor = afterUs;
    for (const sim::Burst& b : bursts) {
      std::int64_t start = std::max(cursor + b.gapUs, m_lineFreeUs);
      for (std::size_t k = 0; k < b.bytes.size(); ++k) {
        m_queue.push_back({start + static_cast<std::int64_t>(k + 1) * 10'000'000 / kBaud, b.bytes[k]});
      }
      cursor = m_lineFreeUs = start + static_cast<std::int64_t>(b.bytes.size()) * 10'000'000 / kBaud;
    }
    Arm();
  }

 private:
  void Arm() {
    if (m_queue.empty() || m_armed) return;
    m_armed = true;
    const std::int64_t wait = std::max<std::int64_t>(0, m_queue.front().first - posix::PollLoop::NowUs());
    m_loop->After(std::chrono::microseconds(wait), [this] {
      m_armed = false;
      Pump();
    });
  }
  void Pump() {
    std::uint8_t due[1024];
    std::size_t n = 0;
    const std::int64_t now = posix::PollLoop::NowUs();
    while (!m_queue.empty() && m_queue.front().first <= now && n < sizeof due) {
      due[n++] = m_queue.front().second;
      m_queue.pop_front();
    }
    std::size_t done = 0;
    while (done < n) {
      const ssize_t w = ::write(m_fd, due + done, n - done);
      if (w > 0) done += static_cast<std::size_t>(w);
      else if (errno != EINTR && errno != EAGAIN) break;  // nobody reads: the bytes are lost
    }
    Arm();
  }

  int m_fd;
  posix::PollLoop* m_loop;
  std::deque<std::pair<std::int64_t, std::uint8_t>> m_queue;
  std::int64_t m_lineFreeUs = 0;
  bool m_armed = false;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!Parse(argc, argv, &options)) {
    Usage(stderr);
    return 2;
  }
  std::int64_t clock = 0;
  if (!StartClock(options.clock, &clock)) {
    std::fprintf(stderr, "korvex12-sim: the clock must be given as \"YYYY-MM-DD HH:MM:SS\"\n");
    return 2;
  }

  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
    std::fprintf(stderr, "korvex12-sim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
    return 1;
  }
  const std::string slave = ::ptsname(master);
  // Keep one slave descriptor open, raw, so that the line stays up between the program's
  // openings and carries bytes unchanged.
  const int keepalive = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  LineSettings settings;
  if (keepalive < 0 || !posix::ApplyRawSettings(keepalive, settings)) {
    std::fprintf(stderr, "korvex12-sim: cannot set up %s: %s\n", slave.c_str(), std::strerror(errno));
    return 1;
  }
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

  const std::string dir = posix::VirtualPortsDir();
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  ::chmod(dir.c_str(), 0700);
  int com = options.com;
  if (com == 0) {
    posix::PortDirectory ports;
    ports.Refresh();
    for (com = 1; ports.Find(com) || std::filesystem::is_symlink(dir + "/COM" + std::to_string(com), ec); ++com) {
    }
  }
  const std::string link = dir + "/COM" + std::to_string(com);
  std::filesystem::remove(link, ec);  // a stale link of a simulator that did not stop cleanly
  if (::symlink(slave.c_str(), link.c_str()) != 0) {
    std::fprintf(stderr, "korvex12-sim: cannot register %s: %s\n", link.c_str(), std::strerror(errno));
    return 1;
  }

  sigset_t mask;
  sigemptyset(&mask);
  sigaddset(&mask, SIGINT);
  sigaddset(&mask, SIGTERM);
  sigaddset(&mask, SIGHUP);
  sigprocmask(SIG_BLOCK, &mask, nullptr);
  signal(SIGPIPE, SIG_IGN);
  const int signals = ::signalfd(-1, &mask, SFD_CLOEXEC);

  posix::PollLoop loop;
  const std::int64_t startUs = posix::PollLoop::NowUs();
  sim::DeviceModel device(clock);
  device.SetFault(options.fault);
  device.PreloadLog(options.records, 0);
  PacedOutput output(master, &loop);

  bool stop = false;
  loop.Watch(signals, [&] {
    signalfd_siginfo info{};
    if (::read(signals, &info, sizeof info) > 0) stop = true;
  });
  loop.Watch(master, [&] {
    std::uint8_t buffer[256];
    const ssize_t n = ::read(master, buffer, sizeof buffer);
    for (ssize_t i = 0; i < n; ++i) {
      const std::int64_t now = posix::PollLoop::NowUs();
      const int frames = device.FramesReceived();
      output.Send(device.Receive(buffer[i], now - startUs), now);
      if (options.trace && device.FramesReceived() != frames) {
        std::printf("rx");
        for (std::uint8_t b : device.LastFrame()) std::printf(" %02X", b);
        std::printf("\n");
        std::fflush(stdout);
      }
    }
  });

  std::printf("COM%d %s\n", com, slave.c_str());
  std::fflush(stdout);
  while (!stop) loop.RunFor(std::chrono::milliseconds(500));

  std::filesystem::remove(link, ec);
  ::close(keepalive);
  ::close(master);
  return 0;
}
