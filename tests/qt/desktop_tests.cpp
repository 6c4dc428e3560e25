// The desktop program's pieces together in real time: the main window on Qt offscreen, the
// port list from discovery, and korvex12-sim on a pseudo-terminal.

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "console/quillon_dlg.h"
#include "platform/posix/ports.h"
#include "platform/qt/qt_window_system.h"
#include "tests/qt/qt_support.h"
#include "protocol/records.h"
#include "res/resources.h"
#include "sim/device_model.h"

namespace {

namespace fs = std::filesystem;
using qtbackend::QtWindowSystem;

constexpr const char* kClock = "2019-11-25 09:05:00";
constexpr int kRecords = 50;

// korvex12-sim as a child process.
class Simulator {
 public:
  bool Start(std::vector<std::string> args) {
    int out[2];
    if (::pipe(out) != 0) return false;
    m_pid = ::fork();
    if (m_pid == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::close(out[0]);
      std::vector<char*> argv{const_cast<char*>(KORVEX_SIM_PATH)};
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(KORVEX_SIM_PATH, argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    std::string line;
    char c;
    while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(out[0]);
    std::istringstream in(line);
    in >> com >> pty;
    return !com.empty();
  }
  void Stop() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
  }
  ~Simulator() { Stop(); }
  std::string com;
  std::string pty;

 private:
  pid_t m_pid = -1;
};

class Desktop : public ::testing::Test {
 protected:
  void SetUp() override {
    char dirTemplate[] = "/tmp/korvex-desktop-XXXXXX";
    root = ::mkdtemp(dirTemplate);
    fs::create_directories(root / "sys");
    setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
    ASSERT_TRUE(sim.Start({"--records", std::to_string(kRecords), "--clock", kClock}));
    // Only the simulator's virtual port: the machine's own ports stay out of the test.
    ports = std::make_unique<posix::PortDirectory>(posix::DiscoveryRoots{(root / "sys").string(), "/dev", {}, {}});
    lines = std::make_unique<posix::SerialPorts>(ports.get(), &windows);
    registry = std::make_unique<posix::PortRegistry>(ports.get());
    windows.SetBoxAutomation([](const qtbackend::BoxSeen&) { return std::make_pair(IDOK, 0); });
    testsupport::ShowViewsWhenCreated(windows);
    AfxSetResources(&res::Table());
    AfxSetServices({&windows, lines.get(), registry.get()});
    dlg = std::make_unique<CQuillonDlg>();
    ASSERT_TRUE(dlg->Create());
    fs::create_directories(KORVEX_SCREENSHOT_DIR);
  }
  void TearDown() override {
    dlg.reset();
    AfxSetServices({});
    sim.Stop();
    fs::remove_all(root);
  }
  QWidget* W(int id) { return windows.Widget(dlg->Window()->Find(id)); }
  void Click(int id) {
    QTest::mouseClick(W(id), Qt::LeftButton);
    QApplication::processEvents();
  }
  void TypeOver(int id, const char* text) {
    Click(id);
    QTest::keyClick(W(id), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(W(id), QString::fromUtf8(text));
  }
  std::string Text(int id) { return dlg->Window()->Find(id)->text; }
  // Waits for the next box after the |seen|-th and returns its text.
  std::string NextBox(std::size_t seen, int ms = 3000) {
    QtWindowSystem::WaitFor([&] { return windows.Boxes().size() > seen; }, ms);
    return windows.Boxes().size() > seen ? windows.Boxes()[seen].text : "<no box>";
  }

  fs::path root;
  Simulator sim;
  QtWindowSystem windows;
  std::unique_ptr<posix::PortDirectory> ports;
  std::unique_ptr<posix::SerialPorts> lines;
  std::unique_ptr<posix::PortRegistry> registry;
  std::unique_ptr<CQuillonDlg> dlg;
};

TEST_F(Desktop, ASessionWithTheSimulator) {
  ASSERT_EQ(dlg->Window()->Find(1001)->items, std::vector<std::string>{sim.com});
  windows.Grab(*dlg->Window(), KORVEX_SCREENSHOT_DIR "/startup.png");
  Click(1000);
  ASSERT_EQ(Text(1000), "CLOSE") << (windows.Boxes().empty() ? "" : windows.Boxes().back().text);

  TypeOver(1002, "123456");
  std::size_t seen = windows.Boxes().size();
  Click(1008);
  EXPECT_EQ(NextBox(seen++), "Success!\n");
  EXPECT_EQ(dlg->m_password, 123456);

  dlg->m_editReadPassword.SetWindowText("");
  Click(1004);
  EXPECT_TRUE(QtWindowSystem::WaitFor([&] { return Text(1007) == "123456"; }, 3000)) << Text(1007);
  EXPECT_EQ(static_cast<QLineEdit*>(W(1007))->text().toStdString(), "123456");

  Click(1003);
  EXPECT_EQ(NextBox(seen++), "OK!\n");

  TypeOver(1011, "7.5");
  Click(1012);
  EXPECT_EQ(NextBox(seen++), "Success!\n");

  Click(1015);
  EXPECT_EQ(Text(1019), "Reading");
  EXPECT_EQ(NextBox(seen++, 5000), "Read Record Success!\n");
  ASSERT_EQ(dlg->m_listRecords.GetItemCount(), kRecords);
  QtWindowSystem::Wait(50);
  EXPECT_EQ(static_cast<QTableView*>(W(1010))->model()->rowCount(), kRecords);
  windows.Grab(*dlg->Window(), KORVEX_SCREENSHOT_DIR "/after-record-read.png");

  // The saved file holds exactly the device's records, decoded.
  sim::DeviceModel reference(sim::SecondsFromCivil({2019, 11, 25, 9, 5, 0}));
  reference.PreloadLog(kRecords, 0);
  std::string want = "NO.\tDate(Y/M/D)\tTime(H:M:S)\tEvent Type\tAngle Alarm\r\n";
  const auto bytes = reference.LogBytes();
  for (int i = 0; i < kRecords; ++i) {
    const RecordTexts t = DecodeRecord(&bytes[static_cast<std::size_t>(i) * 11]);
    want += std::to_string(i + 1) + "\t" + t.date + "\t" + t.time + "\t" + t.event + "\t" + t.angle + "\r\n";
  }
  const fs::path saved = root / "records";
  windows.SetFileDialogAutomation([&](const FileDialogRequest&) { return saved.string(); });
  Click(1016);
  EXPECT_EQ(NextBox(seen++), "Save OK!");
  std::ifstream in(root / "records.txt", std::ios::binary);
  std::stringstream file;
  file << in.rdbuf();
  EXPECT_EQ(file.str(), want);
  EXPECT_NE(want.find("\t19/11/25\t"), std::string::npos) << "records carry the device clock's date";
}

TEST_F(Desktop, ABusyPortAndAStoppedSimulatorGiveClearErrorsAndLeaveTheWindowResponsive) {
  const std::string link = (root / "korvex12" / "ports" / sim.com).string();
  const int holder = ::open(link.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  Click(1000);
  ASSERT_EQ(windows.Boxes().size(), 1u);
  EXPECT_EQ(windows.Boxes()[0].text, sim.com + " (" + link + ") is in use by another program.");
  EXPECT_EQ(windows.Boxes()[0].type & MB_ICONMASK, MB_ICONSTOP);
  EXPECT_EQ(Text(1000), "OPEN");
  ::close(holder);

  Click(1000);
  ASSERT_EQ(Text(1000), "CLOSE");
  EXPECT_EQ(windows.WatchCount(), 1u);
  sim.Stop();
  EXPECT_TRUE(QtWindowSystem::WaitFor([&] { return windows.WatchCount() == 0; }, 2000)) << "the hang-up closes the line";
  QtWindowSystem::Wait(200);
  EXPECT_EQ(windows.Boxes().size(), 1u) << "a hang-up shows nothing by itself";
  Click(1008);
  EXPECT_EQ(NextBox(1), "The port is not open.");
  Click(1018);
  EXPECT_EQ(dlg->m_listRecords.GetItemCount(), 2);
  Click(1000);
  EXPECT_EQ(Text(1000), "OPEN");
}

}  // namespace
