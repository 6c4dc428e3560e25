// korvex12-cli run as a program against korvex12-sim on pseudo-terminals, in real time: exit
// statuses, output, the bytes the simulator received, fault modes, busy and missing ports,
// several simulators, and a full log saved byte for byte as the window saves it.

#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "export/record_export.h"
#include "sim/device_model.h"
#include "tests/support/headless_window.h"
#include "tests/support/posix/processes.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ProcessResult;
using testsupport::RunProcess;
using testsupport::Simulator;

constexpr const char* kClock = "2019-11-25 09:05:00";

class CliProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    char dirTemplate[] = "/tmp/korvex-cli-XXXXXX";
    root = ::mkdtemp(dirTemplate);
    setenv("XDG_RUNTIME_DIR", root.c_str(), 1);  // the simulators' ports, seen by the program too
  }
  void TearDown() override {
    device.Stop();
    fs::remove_all(root);
  }
  ProcessResult Cli(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), KORVEX_CLI_PATH);
    return RunProcess(args, input);
  }
  static std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path root;
  Simulator device{KORVEX_SIM_PATH};
};

TEST_F(CliProcess, EachCommandReachesTheDeviceWithItsFrame) {
  ASSERT_TRUE(device.Start({"--trace", "--records", "5", "--clock", kClock}));
  struct Case {
    std::vector<std::string> command;
    std::string out;
    std::string frame;
  } cases[] = {
      {{"password", "set", "123456"}, "", "FF 01 01 02 03 04 05 06"},
      {{"password", "read"}, "123456\n", "FF 02 00 00 00 00 00 00"},
      {{"clock", "set", kClock}, "", "FF FE 19 11 25 09 05 00 01"},
      {{"angle", "set", "7.5"}, "", "FF FA 75"},
      {{"zero", "set"}, "", "FF E0"},
      {{"zero", "reset"}, "", "FF E1"},
      {{"records", "clear", "--yes"}, "", "FF EE"},
  };
  std::size_t frames = 0;
  for (const auto& c : cases) {
    std::vector<std::string> args = {"--port", device.com};
    args.insert(args.end(), c.command.begin(), c.command.end());
    const ProcessResult r = Cli(args);
    EXPECT_EQ(r.status, 0) << c.command[0] << " " << c.command[1] << ": " << r.err;
    EXPECT_EQ(r.out, c.out) << c.command[0] << " " << c.command[1];
    EXPECT_EQ(r.err, "") << c.command[0] << " " << c.command[1];
    const auto received = device.Received(++frames);
    ASSERT_EQ(received.size(), frames) << c.command[0] << " " << c.command[1];
    EXPECT_EQ(received.back(), c.frame);
  }
  // The log was cleared: reading it now gives the header alone.
  const ProcessResult r = Cli({"--port", device.pty, "records", "read"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kRecordFileHeader);
  EXPECT_EQ(r.err, device.pty + ": the device's log is empty.\n");
}

TEST_F(CliProcess, TheSimulatorsFaultsGiveTheWindowsTextsAndStatusOne) {
  struct Case {
    const char* fault;
    const char* err;
  } cases[] = {{"silent", "Return timeout,Error!\n"},
               {"setting-error", "Setting error, pls try again!\n"},
               {"garbled", "Return error, pls try again!\n"},
               {"split", "Return error, pls try again!\n"}};
  for (const auto& c : cases) {
    ASSERT_TRUE(device.Start({"--fault", c.fault}));
    const ProcessResult r = Cli({"--port", device.com, "password", "set", "123456"});
    EXPECT_EQ(r.status, 1) << c.fault;
    EXPECT_EQ(r.err, c.err) << c.fault;
    EXPECT_EQ(r.out, "") << c.fault;
  }
}

TEST_F(CliProcess, ABusyPortAndAMissingPortGiveStatusThreeWithTheirMessages) {
  ASSERT_TRUE(device.Start({}));
  {
    testsupport::LineHolder socat;
    ASSERT_TRUE(socat.Start(device.pty));
    const ProcessResult r = Cli({"--port", device.com, "password", "read"});
    EXPECT_EQ(r.status, 3);
    const std::string link = (root / "korvex12" / "ports" / device.com).string();
    EXPECT_EQ(r.err, device.com + " (" + link + ") is in use by another program (socat, process " +
                         std::to_string(socat.Pid()) + ").\n");
  }
  const ProcessResult missing = Cli({"--port", "COM199", "zero", "set"});
  EXPECT_EQ(missing.status, 3);
  EXPECT_EQ(missing.err, "COM199 does not exist on this system.\n");
  const ProcessResult path = Cli({"--port", "/dev/korvex-none", "zero", "set"});
  EXPECT_EQ(path.status, 3);
  EXPECT_EQ(path.err, "/dev/korvex-none is not available: no such port.\n");
}

TEST_F(CliProcess, TwoSimulatorsOneSilentGiveALineEachAndTheWorstStatus) {
  Simulator silent{KORVEX_SIM_PATH};
  ASSERT_TRUE(device.Start({"--trace"}));
  ASSERT_TRUE(silent.Start({"--fault", "silent"}));
  const ProcessResult r = Cli({"--port", device.com, "--port", silent.com, "angle", "set", "2.5"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, device.com + "\tok\n" + silent.com + "\tReturn timeout,Error!\n");
  EXPECT_EQ(device.Received(1), std::vector<std::string>{"FF FA 25"});
}

// 44000 bytes at 9600 baud: this test runs for about 46 seconds.
TEST_F(CliProcess, AFullLogIsSavedByteForByteAsTheWindowSavesIt) {
  ASSERT_TRUE(device.Start({"--records", "4000", "--clock", kClock}));
  const fs::path file = root / "log.txt";
  const ProcessResult r = Cli({"--port", device.com, "records", "read", "--output", file.string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "") << "no progress line without a terminal";

  // The window's export of the same log.
  sim::DeviceModel reference(sim::SecondsFromCivil({2019, 11, 25, 9, 5, 0}));
  reference.PreloadLog(4000, 0);
  const auto bytes = reference.LogBytes();
  testsupport::HeadlessWindow window;
  window.dlg.m_listRecords.DeleteAllItems();
  window.dlg.m_rowCount = 0;
  window.dlg.ScanRecordStream(bytes.data(), static_cast<int>(bytes.size()));
  const std::string want = FormatRecordList(window.dlg.m_listRecords);
  AfxSetServices({});
  const std::string saved = Slurp(file);
  EXPECT_EQ(saved.size(), want.size());
  EXPECT_TRUE(saved == want) << "the saved log differs from the window's export";
}

}  // namespace
