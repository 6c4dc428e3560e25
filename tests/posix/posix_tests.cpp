// Serial ports on Linux: discovery and numbering over a fake sysfs, and the termios line over
// a pseudo-terminal.

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/file_system.h"
#include "platform/posix/poll_loop.h"
#include "platform/posix/ports.h"

namespace {

namespace fs = std::filesystem;
using posix::PortDirectory;

class FakeMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    char t[] = "/tmp/korvex-posix-XXXXXX";
    root = ::mkdtemp(t);
    fs::create_directories(root / "sys/class/tty");
    fs::create_directories(root / "devices");
    fs::create_directories(root / "ports");
    fs::create_directories(root / "dev");
  }
  void TearDown() override { fs::remove_all(root); }
  // A tty in sysfs with a driver; |usbProduct| puts a USB device above it.
  void AddTty(const std::string& name, const std::string& driver, const std::string& usbProduct = {}) {
    const fs::path dev = root / "devices" / name / "port";
    fs::create_directories(dev);
    fs::create_directories(root / "drivers" / driver);
    fs::create_directory_symlink(root / "drivers" / driver, dev / "driver");
    if (!usbProduct.empty()) {
      std::ofstream(root / "devices" / name / "product") << usbProduct << "\n";
      std::ofstream(root / "devices" / name / "manufacturer") << "Acme\n";
    }
    fs::create_directories(root / "sys/class/tty" / name);
    fs::create_directory_symlink(dev, root / "sys/class/tty" / name / "device");
    std::ofstream(root / "dev" / name) << "";
  }
  void AddVirtual(int n, const fs::path& target) {
    fs::create_symlink(target, root / "ports" / ("COM" + std::to_string(n)));
  }
  PortDirectory Directory() {
    return PortDirectory({(root / "sys/class/tty").string(), (root / "dev").string(), (root / "ports").string(),
                          [this](const std::string& node) { return present.count(fs::path(node).filename().string()) > 0; }});
  }
  fs::path root;
  std::set<std::string> present;
};

TEST_F(FakeMachine, VirtualPortsKeepTheirNumberAndRealPortsTakeTheLowestFreeOnesByFamily) {
  AddTty("ttyUSB1", "ftdi_sio", "FT232R USB UART");
  AddTty("ttyS1", "serial8250");
  AddTty("ttyS0", "serial8250");
  AddTty("ttyACM0", "cdc_acm");
  AddTty("ttyUSB0", "cp210x");
  AddTty("ttyAMA0", "uart-pl011");
  fs::create_directories(root / "sys/class/tty/tty0");  // a console: no driver link
  present = {"ttyS0"};                                   // ttyS1 is a UART that is not there
  AddVirtual(2, root / "dev" / "ttyS0");
  AddVirtual(9, root / "dev" / "missing");  // a stale link of a simulator that died
  PortDirectory d = Directory();
  d.Refresh();
  std::vector<std::pair<std::string, std::string>> got;
  for (const auto& p : d.Ports()) got.emplace_back(p.name, fs::path(p.device).filename().string());
  EXPECT_EQ(got, (std::vector<std::pair<std::string, std::string>>{
                     {"COM2", "ttyS0"}, {"COM1", "ttyS0"}, {"COM3", "ttyUSB0"}, {"COM4", "ttyUSB1"},
                     {"COM5", "ttyACM0"}, {"COM6", "ttyAMA0"}}));
  EXPECT_TRUE(d.FindByName("COM2")->isVirtual);
  EXPECT_EQ(d.FindByName("COM4")->description, "Acme FT232R USB UART");
  EXPECT_EQ(d.FindByName("COM5")->description, "cdc_acm");
  EXPECT_EQ(d.Find(9), nullptr);
}

TEST_F(FakeMachine, TheRegistryViewNamesValuesAfterDevicesWithComNamesAsData) {
  AddTty("ttyUSB0", "cp210x");
  PortDirectory d = Directory();
  posix::PortRegistry registry(&d);
  std::vector<RegistryValue> values;
  ASSERT_EQ(registry.OpenKey("HARDWARE\\DEVICEMAP\\SERIALCOMM", &values), ERROR_SUCCESS);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].name, (root / "dev" / "ttyUSB0").string());
  EXPECT_EQ(values[0].data, (std::vector<std::uint8_t>{'C', 'O', 'M', '1', 0}));
  EXPECT_EQ(registry.OpenKey("HARDWARE\\OTHER", &values), ERROR_FILE_NOT_FOUND);
}

TEST_F(FakeMachine, APortOpensAsItWasListedEvenWhenTheMachineHasChangedSince) {
  AddTty("ttyUSB0", "cp210x");
  PortDirectory d = Directory();
  posix::PortRegistry registry(&d);
  std::vector<RegistryValue> values;
  ASSERT_EQ(registry.OpenKey("HARDWARE\\DEVICEMAP\\SERIALCOMM", &values), ERROR_SUCCESS);  // COM1 is ttyUSB0
  AddTty("ttyS0", "serial8250");  // a port that would now be numbered first
  present = {"ttyS0"};
  posix::PollLoop loop;
  posix::SerialPorts lines(&d, &loop);
  struct : SerialLineListener {
    void OnLineData(const std::uint8_t*, std::size_t) override {}
    void OnLineHangup() override {}
  } listener;
  std::string error;
  // The fake devices are plain files, so the message names the path that was tried.
  EXPECT_FALSE(lines.Open(1, {}, &listener, &error));
  EXPECT_EQ(error, "COM1 (" + (root / "dev" / "ttyUSB0").string() + ") is not a serial port.");
  ASSERT_EQ(registry.OpenKey("HARDWARE\\DEVICEMAP\\SERIALCOMM", &values), ERROR_SUCCESS);  // listed again
  EXPECT_FALSE(lines.Open(1, {}, &listener, &error));
  EXPECT_EQ(error, "COM1 (" + (root / "dev" / "ttyS0").string() + ") is not a serial port.");
}

TEST_F(FakeMachine, AReplacementKeepsTheOwnerWhenRootReplacesAnotherUsersFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file away";
  const fs::path target = root / "theirs.txt", source = root / ".theirs.txt.new";
  std::ofstream(target) << "old";
  std::ofstream(source) << "new";
  ASSERT_EQ(::chown(target.c_str(), 1234, 5678), 0);
  ASSERT_EQ(filesystem_api::ReplaceFile(source.c_str(), target.c_str()), 0);
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 1234u);
  EXPECT_EQ(st.st_gid, 5678u);
}

TEST(VirtualPortsDir, FollowsTheRuntimeDirectory) {
  const char* old = std::getenv("XDG_RUNTIME_DIR");
  const std::string keep = old ? old : "";
  setenv("XDG_RUNTIME_DIR", "/run/user/1234", 1);
  EXPECT_EQ(posix::VirtualPortsDir(), "/run/user/1234/korvex12/ports");
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(posix::VirtualPortsDir(), "/tmp/korvex12-" + std::to_string(::getuid()) + "/ports");
  if (old) setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
}

struct Listener : SerialLineListener {
  std::vector<std::uint8_t> data;
  int hangups = 0;
  std::unique_ptr<SerialLine>* owner = nullptr;
  void OnLineData(const std::uint8_t* d, std::size_t n) override { data.insert(data.end(), d, d + n); }
  void OnLineHangup() override {
    ++hangups;
    if (owner) owner->reset();  // as the serial control does
  }
};

class Pty : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[128];
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    path = name;
  }
  void TearDown() override {
    if (master >= 0) ::close(master);
    if (slave >= 0) ::close(slave);
  }
  std::unique_ptr<SerialLine> Open(Listener* l, std::string* error, LineSettings s = {}) {
    return posix::OpenSerialPath(path, "COM9", s, l, &loop, error);
  }
  posix::PollLoop loop;
  int master = -1;
  int slave = -1;
  std::string path;
};

TEST_F(Pty, OpensRawWithTheSettingsAndNoFlowControl) {
  Listener l;
  std::string error;
  LineSettings s;
  s.baud = 19200;
  s.parity = 'e';
  s.dataBits = 7;
  s.stopBits = 2;
  auto line = Open(&l, &error, s);
  ASSERT_TRUE(line) << error;
  termios t{};
  ASSERT_EQ(::tcgetattr(slave, &t), 0);
  // A pseudo-terminal forces eight data bits without parity; what it keeps is checked here.
  EXPECT_TRUE(t.c_cflag & CSTOPB);
  EXPECT_TRUE(t.c_cflag & CLOCAL);
  EXPECT_FALSE(t.c_cflag & CRTSCTS);
  EXPECT_FALSE(t.c_iflag & (IXON | IXOFF));
  EXPECT_FALSE(t.c_lflag & (ICANON | ECHO));
  EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B19200));
}

TEST_F(Pty, CarriesBytesBothWaysAndWaitsForMoreWithoutHangingUp) {
  Listener l;
  std::string error;
  auto line = Open(&l, &error);
  ASSERT_TRUE(line) << error;
  const std::uint8_t frame[] = {0xFF, 0x02, 0, 0, 0, 0, 0, 0};
  ASSERT_TRUE(line->Write(frame, sizeof frame, &error));
  std::uint8_t got[16];
  loop.RunFor(std::chrono::milliseconds(20));
  EXPECT_EQ(::read(master, got, sizeof got), 8);
  EXPECT_EQ(got[1], 0x02);
  for (std::uint8_t b : {0xFF, 0x0D, 0x0A, 0x11, 0x13}) {  // bytes a cooked line would change
    ASSERT_EQ(::write(master, &b, 1), 1);
    loop.RunFor(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(l.data, (std::vector<std::uint8_t>{0xFF, 0x0D, 0x0A, 0x11, 0x13}));
  EXPECT_EQ(l.hangups, 0);
}

TEST_F(Pty, IsExclusiveUntilClosed) {
  Listener a, b;
  std::string error;
  auto first = Open(&a, &error);
  ASSERT_TRUE(first) << error;
  EXPECT_FALSE(Open(&b, &error));
  EXPECT_EQ(error, "COM9 (" + path + ") is in use by another program.");
  first.reset();
  EXPECT_TRUE(Open(&b, &error)) << error;
}

// Another process holding the line: `sleep` started with the slave side (and, when
// |withMaster|, the master side too) among its descriptors.
class Holder {
 public:
  Holder(int master, int slave, bool withMaster) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Targets above any descriptor the test has open, so that neither copy overwrites the other.
    posix_spawn_file_actions_adddup2(&actions, slave, 60);
    if (withMaster) posix_spawn_file_actions_adddup2(&actions, master, 61);
    posix_spawn_file_actions_addclose(&actions, master);
    posix_spawn_file_actions_addclose(&actions, slave);
    char arg0[] = "sleep", arg1[] = "30";
    char* argv[] = {arg0, arg1, nullptr};
    ok = posix_spawnp(&pid, "sleep", &actions, nullptr, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    // Ready once its descriptors are in place.
    for (int i = 0; ok && i < 200 && !fs::exists("/proc/" + std::to_string(pid) + "/fd/60"); ++i) ::usleep(5000);
  }
  ~Holder() {
    if (!ok) return;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
  bool ok = false;
  pid_t pid = 0;
};

TEST_F(Pty, AnotherProgramHoldingTheLineIsNamedAndRefused) {
  Holder other(master, slave, /*withMaster=*/false);
  ASSERT_TRUE(other.ok);
  const auto holder = posix::FindOtherHolder(path);
  ASSERT_TRUE(holder);
  EXPECT_EQ(holder->pid, other.pid);
  EXPECT_EQ(holder->program, "sleep");
  Listener l;
  std::string error;
  EXPECT_FALSE(Open(&l, &error));
  EXPECT_EQ(error, "COM9 (" + path + ") is in use by another program (sleep, process " + std::to_string(other.pid) + ").");
}

TEST_F(Pty, TheLinesOwnEndIsNoOtherProgram) {
  Holder device(master, slave, /*withMaster=*/true);  // as a simulator keeps its line up
  ASSERT_TRUE(device.ok);
  EXPECT_FALSE(posix::FindOtherHolder(path)) << "it holds the master side of the same terminal";
  Listener l;
  std::string error;
  EXPECT_TRUE(Open(&l, &error)) << error;
}

TEST_F(Pty, AHangUpClosesTheLineOnceAndStopsWatching) {
  Listener l;
  std::string error;
  std::unique_ptr<SerialLine> line = Open(&l, &error);
  ASSERT_TRUE(line) << error;
  l.owner = &line;
  ::close(slave);
  slave = -1;
  ::close(master);
  master = -1;
  loop.RunFor(std::chrono::milliseconds(50));
  EXPECT_EQ(l.hangups, 1);
  EXPECT_EQ(line, nullptr);
}

TEST(RawTermios, CarriesTheFramingOfTheSettingsString) {
  struct Case {
    const char* settings;
    tcflag_t size;
    tcflag_t parity;  // PARENB, PARODD, CMSPAR bits
    bool twoStops;
    speed_t speed;
  } cases[] = {
      {"9600,n,8,1", CS8, 0, false, B9600},
      {"19200,e,7,2", CS7, PARENB, true, B19200},
      {"1200,o,7,1", CS7, PARENB | PARODD, false, B1200},
      {"300,m,5,1.5", CS5, PARENB | PARODD | CMSPAR, true, B300},
      {"115200,s,6,1", CS6, PARENB | CMSPAR, false, B115200},
  };
  for (const auto& c : cases) {
    LineSettings s;
    ASSERT_TRUE(ParseLineSettings(c.settings, &s)) << c.settings;
    termios base{};
    base.c_cflag = CRTSCTS | PARENB | CS8;
    base.c_iflag = IXON | IXOFF | ICRNL;
    base.c_lflag = ICANON | ECHO;
    const termios t = posix::RawTermios(base, s);
    EXPECT_EQ(t.c_cflag & CSIZE, c.size) << c.settings;
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), c.parity) << c.settings;
    EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.twoStops) << c.settings;
    EXPECT_EQ(::cfgetospeed(&t), c.speed) << c.settings;
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | ICRNL));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO));
    EXPECT_EQ(t.c_cc[VMIN], 1);
  }
}

TEST(OpenSerialPath, GivesSpecificErrors) {
  posix::PollLoop loop;
  Listener l;
  std::string error;
  EXPECT_FALSE(posix::OpenSerialPath("/dev/korvex-none", "COM4", {}, &l, &loop, &error));
  EXPECT_EQ(error, "COM4 (/dev/korvex-none) is not available: no such port.");
  EXPECT_FALSE(posix::OpenSerialPath("/dev/null", "COM4", {}, &l, &loop, &error));
  EXPECT_EQ(error, "COM4 (/dev/null) is not a serial port.");
}

}  // namespace
