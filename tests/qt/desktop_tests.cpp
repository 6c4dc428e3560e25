// The desktop program's pieces together in real time: the main window on Qt offscreen, the
// port list from discovery, and korvex12-sim on a pseudo-terminal.

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
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
#include "tests/support/posix/processes.h"
#include "protocol/records.h"
#include "res/resources.h"
#include "sim/device_model.h"

namespace {

namespace fs = std::filesystem;
using qtbackend::QtWindowSystem;
using testsupport::LineHolder;
using testsupport::Simulator;

constexpr const char* kClock = "2019-11-25 09:05:00";
constexpr int kRecords = 50;

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
  Simulator sim{KORVEX_SIM_PATH};
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

TEST_F(Desktop, APortLockedByAnotherOpeningIsRefusedAndTheWindowStaysUsable) {
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
  EXPECT_EQ(Text(1000), "CLOSE");
}

TEST_F(Desktop, APortAnotherProgramHoldsIsRefusedWithItsNameAlsoForRoot) {
  LineHolder socat;
  ASSERT_TRUE(socat.Start(sim.pty)) << "socat did not open " << sim.pty;
  Click(1000);
  const std::string link = (root / "korvex12" / "ports" / sim.com).string();
  EXPECT_EQ(NextBox(0), sim.com + " (" + link + ") is in use by another program (socat, process " +
                            std::to_string(socat.Pid()) + ").");
  EXPECT_EQ(Text(1000), "OPEN");
}

TEST_F(Desktop, ASimulatorGoneInTheMiddleOfARecordReadLeavesItsRowsAndSaysSo) {
  sim.Stop();
  ASSERT_TRUE(sim.Start({"--records", "4000", "--clock", kClock}));
  Click(1001);  // the drop-down finds the restarted simulator
  QApplication::processEvents();
  static_cast<QComboBox*>(W(1001))->hidePopup();
  Click(1000);
  ASSERT_EQ(Text(1000), "CLOSE");
  Click(1015);
  QtWindowSystem::Wait(2000);
  sim.Stop(SIGKILL);
  const std::string box = NextBox(0);
  const int rows = dlg->m_listRecords.GetItemCount();
  EXPECT_GT(rows, 100);
  EXPECT_LT(rows, 4000);
  EXPECT_EQ(box, sim.com + " was disconnected during the read: " + std::to_string(rows) + " records received.");
  EXPECT_EQ(windows.Boxes()[0].caption, "warning");
  EXPECT_EQ(windows.Boxes()[0].type, MB_OK);
  sim::DeviceModel reference(sim::SecondsFromCivil({2019, 11, 25, 9, 5, 0}));
  reference.PreloadLog(4000, 0);
  const auto bytes = reference.LogBytes();
  const RecordTexts last = DecodeRecord(&bytes[static_cast<std::size_t>(rows - 1) * 11]);
  EXPECT_EQ(dlg->m_listRecords.GetItemText(rows - 1, 1), std::to_string(rows));
  EXPECT_EQ(dlg->m_listRecords.GetItemText(rows - 1, 2), last.date);
  EXPECT_EQ(dlg->m_listRecords.GetItemText(rows - 1, 5), last.angle);
  EXPECT_EQ(Text(1000), "OPEN");
  EXPECT_EQ(Text(1019), "Ready");
  QtWindowSystem::Wait(700);
  EXPECT_EQ(windows.Boxes().size(), 1u) << "never \"Read Record Success!\"";
  windows.Grab(*dlg->Window(), KORVEX_SCREENSHOT_DIR "/after-lost-read.png");
}

TEST_F(Desktop, ASimulatorGoneWhileIdleIsReportedOnceAndOpenWorksWhenItIsBack) {
  Click(1000);
  ASSERT_EQ(Text(1000), "CLOSE");
  const int number = sim.Number();
  sim.Stop(SIGKILL);
  EXPECT_EQ(NextBox(0, 1000), sim.com + " was disconnected.") << "within a second";
  EXPECT_EQ(Text(1000), "OPEN");
  EXPECT_TRUE(W(1001)->isEnabled());
  EXPECT_EQ(windows.WatchCount(), 0u) << "the line is closed and nothing polls it";
  QtWindowSystem::Wait(500);
  EXPECT_EQ(windows.Boxes().size(), 1u) << "once";

  ASSERT_TRUE(sim.Start({"--com", std::to_string(number), "--clock", kClock}));
  Click(1000);
  ASSERT_EQ(Text(1000), "CLOSE") << windows.Boxes().back().text;
  Click(1008);
  EXPECT_EQ(NextBox(1), "Success!\n");
}

TEST_F(Desktop, ASimulatorStartedAfterTheWindowAppearsWhenTheListDropsDown) {
  Simulator second{KORVEX_SIM_PATH};
  ASSERT_TRUE(second.Start({"--clock", kClock}));
  EXPECT_EQ(dlg->Window()->Find(1001)->items, std::vector<std::string>{sim.com}) << "the list is read at start";
  auto* combo = static_cast<QComboBox*>(W(1001));
  Click(1001);
  EXPECT_TRUE(combo->view()->isVisible());
  EXPECT_EQ(dlg->Window()->Find(1001)->items, (std::vector<std::string>{sim.com, second.com}));
  EXPECT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->currentText().toStdString(), sim.com) << "the choice is kept";
  combo->hidePopup();
  EXPECT_TRUE(windows.Boxes().empty());
}

}  // namespace
