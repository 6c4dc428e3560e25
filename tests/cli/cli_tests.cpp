// korvex12-cli on the headless backend's virtual clock against the device model: frames on the
// wire, the window's judgements and texts, timing, several ports, the log file and arguments.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/commands.h"
#include "export/record_export.h"
#include "platform/headless/headless.h"
#include "tests/support/console_fixture.h"
#include "tests/support/headless_window.h"
#include "tests/support/test_os.h"

namespace {

namespace fs = std::filesystem;
using testsupport::Bytes;
using testsupport::DeviceOnLine;

// The program's system on the headless backend: ports COMn of the headless system.
class HeadlessCli : public cli::System {
 public:
  explicit HeadlessCli(headless::HeadlessSystem& sys) : m_sys(sys) {}
  std::int64_t NowUs() override { return m_sys.NowUs(); }
  // As an event loop does: from one event to the next, stopping after the one that |stop| waits for.
  void RunUntil(std::int64_t untilUs, const std::function<bool()>& stop) override {
    while (!stop() && m_sys.NowUs() < untilUs) {
      const std::int64_t next = std::min(untilUs, std::max(m_sys.NextDueUs().value_or(untilUs), m_sys.NowUs()));
      m_sys.Advance(static_cast<double>(next - m_sys.NowUs()) / 1000.0);
    }
  }
  std::vector<cli::PortInfo> Ports() override { return ports; }
  std::unique_ptr<SerialLine> Open(const std::string& port, SerialLineListener* listener, std::string* name,
                                   std::string* error) override {
    *name = port;
    return m_sys.Open(std::atoi(port.c_str() + 3), LineSettings{}, listener, error);
  }
  std::int64_t WallClockNow() override { return m_sys.WallClockNow(); }
  std::vector<cli::PortInfo> ports;

 private:
  headless::HeadlessSystem& m_sys;
};

// A device that answers the password set with its acknowledgement |gapUs| after the request.
class SlowAcknowledger : public headless::ByteDevice {
 public:
  explicit SlowAcknowledger(std::int64_t gapUs) : m_gapUs(gapUs) {}
  std::vector<headless::Transmission> OnHostByte(std::uint8_t byte, std::int64_t) override {
    m_frame.push_back(byte);
    if (m_frame.size() < 8) return {};
    std::vector<std::uint8_t> ack = m_frame;
    m_frame.clear();
    return {{m_gapUs, ack}};
  }

 private:
  std::int64_t m_gapUs;
  std::vector<std::uint8_t> m_frame;
};

// A device that lets its first request go unanswered.
class DeafAtFirst : public headless::ByteDevice {
 public:
  explicit DeafAtFirst(headless::ByteDevice& inner) : m_inner(inner) {}
  std::vector<headless::Transmission> OnHostByte(std::uint8_t byte, std::int64_t nowUs) override {
    auto reply = m_inner.OnHostByte(byte, nowUs);
    if (!reply.empty() && m_answered++ == 0) return {};
    return reply;
  }

 private:
  headless::ByteDevice& m_inner;
  int m_answered = 0;
};

class Cli : public ::testing::Test {
 protected:
  Cli() {
    sys.AddPort(3, &line3);
    sys.AddPort(4, &line4);
  }
  int Run(std::vector<std::string> args, const std::string& input = "", bool terminal = false) {
    std::istringstream in(input);
    std::ostringstream o, e;
    const int status = cli::Run(args, program, {in, o, e, terminal, terminal});
    out = o.str();
    err = e.str();
    return status;
  }
  const std::vector<std::vector<std::uint8_t>>& Written(int port) { return sys.Written(port); }

  testsupport::ScopedTimeZone tz{"UTC"};
  headless::HeadlessSystem sys;
  HeadlessCli program{sys};
  sim::DeviceModel device3{sim::SecondsFromCivil({2019, 11, 25, 9, 5, 0})};
  sim::DeviceModel device4;
  DeviceOnLine line3{device3};
  DeviceOnLine line4{device4};
  std::string out, err;
};

TEST_F(Cli, EachCommandSendsTheWindowsFrameAndSaysWhatTheWindowWouldShow) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::uint8_t> frame;
    std::string out;
  } cases[] = {
      {{"password", "set", "123456"}, Bytes({0xFF, 0x01, 1, 2, 3, 4, 5, 6}), ""},
      {{"password", "read"}, Bytes({0xFF, 0x02, 0, 0, 0, 0, 0, 0}), "123456\n"},
      {{"password", "set", "001234"}, Bytes({0xFF, 0x01, 0, 0, 1, 2, 3, 4}), ""},
      {{"clock", "set", "2019-11-25 09:05:00"}, Bytes({0xFF, 0xFE, 0x19, 0x11, 0x25, 0x09, 0x05, 0x00, 0x01}), ""},
      {{"clock", "set", "2019-11-24", "23:59:59"}, Bytes({0xFF, 0xFE, 0x19, 0x11, 0x24, 0x23, 0x59, 0x59, 0x00}), ""},
      // The time now: 2026-12-11 10:00:00, a Friday.
      {{"clock", "set", "--now"}, Bytes({0xFF, 0xFE, 0x26, 0x12, 0x11, 0x10, 0x00, 0x00, 0x05}), ""},
      {{"clock", "set"}, Bytes({0xFF, 0xFE, 0x26, 0x12, 0x11, 0x10, 0x00, 0x00, 0x05}), ""},
      {{"angle", "set", "7.5"}, Bytes({0xFF, 0xFA, 0x75}), ""},
      {{"zero", "set"}, Bytes({0xFF, 0xE0}), ""},
      {{"zero", "reset"}, Bytes({0xFF, 0xE1}), ""},
      {{"records", "clear", "--yes"}, Bytes({0xFF, 0xEE}), ""},
  };
  for (auto& c : cases) {
    sys.SetWallClock(1796983200);  // 2026-12-11 10:00:00
    std::vector<std::string> args = {"--port", "COM3"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(Run(args), cli::kDone) << c.args[0] << " " << c.args[1] << ": " << err;
    ASSERT_FALSE(Written(3).empty());
    EXPECT_EQ(Written(3).back(), c.frame) << c.args[0] << " " << c.args[1];
    EXPECT_EQ(out, c.out) << c.args[0] << " " << c.args[1];
    EXPECT_EQ(err, "") << c.args[0] << " " << c.args[1];
  }
  EXPECT_EQ(device3.Password(), 1234);
  EXPECT_EQ(device3.AlarmTenths(), 75);
  EXPECT_TRUE(device3.Log().empty());
}

TEST_F(Cli, AnswersTheWindowShowsAsFailuresGiveItsTextAndStatusOne) {
  struct Case {
    sim::Fault fault;
    std::vector<std::string> command;
    const char* err;
  } cases[] = {
      {sim::Fault::Silent, {"password", "set", "123456"}, "Return timeout,Error!\n"},
      {sim::Fault::Silent, {"password", "read"}, "Return timeout,Error!\n"},
      {sim::Fault::Late, {"angle", "set", "7.5"}, "Return timeout,Error!\n"},
      {sim::Fault::SettingError, {"password", "set", "123456"}, "Setting error, pls try again!\n"},
      {sim::Fault::Garbled, {"password", "set", "123456"}, "Return error, pls try again!\n"},
      {sim::Fault::Split, {"password", "set", "123456"}, "Return error, pls try again!\n"},  // half a reply
      {sim::Fault::ExtraBytes, {"password", "read"}, "Return error, pls try again!\n"},
      {sim::Fault::SettingError, {"clock", "set", "2019-11-25 09:05:00"}, "Fail!\n"},
      {sim::Fault::Garbled, {"angle", "set", "7.5"}, "Fail!\n"},
  };
  for (const auto& c : cases) {
    device3.SetFault(c.fault);
    std::vector<std::string> args = {"--port", "COM3"};
    args.insert(args.end(), c.command.begin(), c.command.end());
    EXPECT_EQ(Run(args), cli::kDeviceFailed) << c.command[0] << " " << static_cast<int>(c.fault);
    EXPECT_EQ(err, c.err) << c.command[0] << " " << static_cast<int>(c.fault);
    EXPECT_EQ(out, "");
    sys.Advance(1000);  // a late answer goes by before the next case
  }
}

TEST_F(Cli, AReplyIsJudgedWhenItsQuietGapEndsBeforeTheTimeOutAsInTheWindow) {
  // The request takes 8.333 ms on the line and so does the reply: its last byte arrives at
  // 16.666 ms + gap after the write; the time-out is 250 ms after the write and, falling due
  // together with the quiet gap, wins. The window, against the same device, says the same.
  struct Case {
    std::int64_t gapUs;
    int status;
    const char* windowBox;
  } cases[] = {{213333, cli::kDone, "Success!\n"},
               {213334, cli::kDeviceFailed, "Return timeout,Error!\n"},
               {100000, cli::kDone, "Success!\n"},
               {240000, cli::kDeviceFailed, "Return timeout,Error!\n"}};
  for (const auto& c : cases) {
    SlowAcknowledger slow(c.gapUs);
    sys.AddPort(5, &slow);
    EXPECT_EQ(Run({"--port", "COM5", "password", "set", "580917"}), c.status) << c.gapUs << ": " << err;
    sys.Advance(1000);

    testsupport::HeadlessWindow window;
    SlowAcknowledger same(c.gapUs);
    window.sys.SetSerialPortValues({{"\\Device\\Serial4", "COM5"}});
    window.sys.AddPort(5, &same);
    window.dlg.DestroyWindow();
    ASSERT_TRUE(window.dlg.Create());
    ASSERT_TRUE(window.sys.Click(1000));  // OPEN
    ASSERT_TRUE(window.sys.Click(1008));  // Set
    window.sys.Advance(1000);
    ASSERT_EQ(window.sys.Boxes().size(), 1u) << c.gapUs;
    EXPECT_EQ(window.sys.Boxes()[0].text, c.windowBox) << c.gapUs;
    window.dlg.DestroyWindow();
    AfxSetServices({});
  }
}

TEST_F(Cli, RetriesRepeatASettingTheDeviceDidNotAnswer) {
  device3.SetFault(sim::Fault::Silent);
  EXPECT_EQ(Run({"--port", "COM3", "--retries", "2", "password", "set", "123456"}), cli::kDeviceFailed);
  EXPECT_EQ(Written(3).size(), 3u) << "the first attempt and two more";
  device3.SetFault(sim::Fault::None);
  DeafAtFirst deaf(line4);
  sys.AddPort(4, &deaf);
  EXPECT_EQ(Run({"--port", "COM4", "--retries", "1", "angle", "set", "2.5"}), cli::kDone) << err;
  EXPECT_EQ(Written(4).size(), 2u);
  EXPECT_EQ(device4.AlarmTenths(), 25);
}

TEST_F(Cli, SeveralPortsGiveOneLineEachAndTheWorstStatus) {
  device4.SetFault(sim::Fault::Silent);
  EXPECT_EQ(Run({"--port", "COM3", "--port", "COM4", "--port", "COM9", "password", "set", "111111"}), cli::kPortFailed);
  EXPECT_EQ(out, "COM3\tok\nCOM4\tReturn timeout,Error!\nCOM9\tCOM9 does not exist on this system.\n");
  EXPECT_EQ(device3.Password(), 111111);
  device4.SetFault(sim::Fault::None);
  EXPECT_EQ(Run({"--port", "COM4", "--port", "COM3", "password", "read"}), cli::kDone);
  EXPECT_EQ(out, "COM4\t111111\nCOM3\t111111\n") << "a silent device takes the setting all the same";
  sys.SetPortInUse(4, true);
  EXPECT_EQ(Run({"--port", "COM4", "zero", "set"}), cli::kPortFailed);
  EXPECT_EQ(err, "COM4 is in use by another program.\n");
}

TEST_F(Cli, TheLogIsTheWindowsExportOfTheSameRecords) {
  device3.PreloadLog(4000, 0);
  ASSERT_EQ(Run({"--port", "COM3", "records", "read"}), cli::kDone) << err;
  testsupport::HeadlessWindow window;  // the window's export of the same log, read as a read does
  window.dlg.m_listRecords.DeleteAllItems();
  window.dlg.m_rowCount = 0;
  const auto bytes = device3.LogBytes();
  window.dlg.ScanRecordStream(bytes.data(), static_cast<int>(bytes.size()));
  const std::string want = FormatRecordList(window.dlg.m_listRecords);
  AfxSetServices({});
  EXPECT_EQ(out.size(), want.size());
  EXPECT_TRUE(out == want) << "the file differs from the window's export";
  EXPECT_EQ(err, "");
  EXPECT_GT(sys.NowMs(), 45833.0) << "44000 bytes at 9600 baud";

  const fs::path file = fs::temp_directory_path() / ("korvex-cli-" + std::to_string(testos::ProcessId()) + ".txt");
  ASSERT_EQ(Run({"--port", "COM3", "records", "read", "--output", file.string()}), cli::kDone) << err;
  std::stringstream saved;
  {
    std::ifstream in(file, std::ios::binary);
    saved << in.rdbuf();
  }
  EXPECT_TRUE(saved.str() == want);
  EXPECT_EQ(out, "");
  fs::remove(file);
}

TEST_F(Cli, AnOutputFolderThatIsNotThereIsRefusedBeforeTheDeviceIsAsked) {
  device3.PreloadLog(50, 0);
  const fs::path missing = fs::temp_directory_path() / "korvex-no-such-folder" / "log.txt";
  EXPECT_EQ(Run({"--port", "COM3", "records", "read", "--output", missing.string()}), cli::kBadInput);
  EXPECT_EQ(err, "korvex12-cli: --output: there is no folder " + missing.parent_path().string() + "\n");
  EXPECT_TRUE(Written(3).empty());
}

TEST_F(Cli, AnEmptyLogGivesTheHeaderAloneAndANote) {
  EXPECT_EQ(Run({"--port", "COM3", "records", "read"}), cli::kDone);
  EXPECT_EQ(out, kRecordFileHeader);
  EXPECT_EQ(err, "COM3: the device's log is empty.\n");
}

TEST_F(Cli, ALogCutShortKeepsWhatArrivedAndSaysSo) {
  device3.PreloadLog(4000, 0);
  // The line goes 10 s into the read, from inside the program's loop.
  bool lost = false;
  NativeWindow clockOwner;
  sys.SetTimer(&clockOwner, 1, 10000, [&] {
    sys.KillTimer(&clockOwner, 1);
    sys.HangUp(3);
    lost = true;
  });
  EXPECT_EQ(Run({"--port", "COM3", "records", "read"}), cli::kPortFailed);
  ASSERT_TRUE(lost);
  const int rows = static_cast<int>(std::count(out.begin(), out.end(), '\n')) - 1;
  EXPECT_GT(rows, 800);
  EXPECT_LT(rows, 900);
  EXPECT_EQ(err, "COM3 was disconnected during the read: " + std::to_string(rows) + " records received.\n");
}

TEST_F(Cli, ProgressIsShownOnATerminalOnly) {
  device3.PreloadLog(50, 0);
  ASSERT_EQ(Run({"--port", "COM3", "records", "read"}, "", /*terminal=*/true), cli::kDone);
  EXPECT_EQ(err.front(), '\r');
  EXPECT_NE(err.find("\rCOM3: 550 bytes, 50 records, "), std::string::npos) << err;
  EXPECT_EQ(err.back(), '\n');
  ASSERT_EQ(Run({"--port", "COM3", "records", "read"}), cli::kDone);
  EXPECT_EQ(err, "");
}

TEST_F(Cli, ClearingTheLogAsksOnATerminalAndNeedsYesElsewhere) {
  device3.PreloadLog(5, 0);
  EXPECT_EQ(Run({"--port", "COM3", "records", "clear"}), cli::kBadInput);
  EXPECT_EQ(err, "korvex12-cli: records clear deletes the device's log; without a terminal to ask on, add --yes\n");
  EXPECT_EQ(Run({"--port", "COM3", "records", "clear"}, "n\n", true), cli::kBadInput);
  EXPECT_EQ(err, "All records will be deleted! Continue? [y/N] Nothing was deleted.\n");
  EXPECT_TRUE(Written(3).empty());
  EXPECT_EQ(device3.Log().size(), 5u);
  EXPECT_EQ(Run({"--port", "COM3", "records", "clear"}, "y\n", true), cli::kDone);
  EXPECT_EQ(Written(3).back(), Bytes({0xFF, 0xEE}));
  EXPECT_TRUE(device3.Log().empty());
}

TEST_F(Cli, BadArgumentsGiveOneLineAndStatusTwoAndSendNothing) {
  struct Case {
    std::vector<std::string> args;
    const char* err;
  } cases[] = {
      {{}, "no command given; see korvex12-cli --help"},
      {{"--port", "COM3", "password", "set", "12345"}, "the password must be six decimal digits (000000 to 999999), not '12345'"},
      {{"--port", "COM3", "password", "set", "12a456"}, "the password must be six decimal digits (000000 to 999999), not '12a456'"},
      {{"--port", "COM3", "password", "set"}, "password set needs the password: six decimal digits"},
      {{"--port", "COM3", "angle", "set", "1.9"}, "the alarm angle must be a digit, a point and a digit from 2.0 to 9.9, not '1.9'"},
      {{"--port", "COM3", "angle", "set", "-7.5"}, "the alarm angle must be a digit, a point and a digit from 2.0 to 9.9, not '-7.5'"},
      {{"--port", "COM3", "clock", "set", "2019-02-30 10:00:00"}, "the clock must be a date and time as \"YYYY-MM-DD HH:MM:SS\" that exists, not '2019-02-30 10:00:00'"},
      {{"--port", "COM3", "clock", "set", "2019-11-25 24:00:00"}, "the clock must be a date and time as \"YYYY-MM-DD HH:MM:SS\" that exists, not '2019-11-25 24:00:00'"},
      {{"--port", "COM3", "clock", "set", "--now", "2019-11-25 10:00:00"}, "clock set takes either --now or a date and time, not both"},
      {{"--port", "COM3", "--retries", "x", "password", "read"}, "--retries takes a whole number from 0 to 99, not 'x'"},
      {{"--port", "COM3", "--retries", "1", "zero", "set"}, "--retries belongs to the settings: password, clock and angle"},
      {{"--port", "COM3", "zero", "set", "now"}, "unexpected argument 'now'"},
      {{"--port", "COM3", "reboot"}, "unknown command 'reboot'; see korvex12-cli --help"},
      {{"--port", "COM3", "re\nboot"}, "unknown command 're?boot'; see korvex12-cli --help"},
      {{"--port", "COM3", "password", "get"}, "unknown command 'password get'; see korvex12-cli --help"},
      {{"password", "read"}, "no port given: add --port PORT (korvex12-cli ports lists them)"},
      {{"--port"}, "--port needs a value"},
      {{"--port", "COM3", "--colour", "password", "read"}, "unknown option '--colour'; see korvex12-cli --help"},
      {{"--port", "COM3", "--output", "x.txt", "password", "read"}, "--output belongs to records read"},
      {{"--port", "COM3", "--port", "COM4", "records", "read"}, "records read from several ports needs --output with {port} in it, such as logs/{port}.txt"},
      {{"--port", "COM3", "ports"}, "ports lists every port; it takes no --port"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run(c.args), cli::kBadInput) << c.err;
    EXPECT_EQ(err, std::string("korvex12-cli: ") + c.err + "\n");
    EXPECT_EQ(out, "");
  }
  EXPECT_TRUE(Written(3).empty());
}

TEST_F(Cli, HelpVersionAndThePortList) {
  EXPECT_EQ(Run({"--version"}), cli::kDone);
  EXPECT_EQ(out, "korvex12-cli 1.19.1128.0\n");
  EXPECT_EQ(Run({"--help"}), cli::kDone);
  EXPECT_EQ(out.rfind("usage: korvex12-cli [--port PORT]... COMMAND [ARGS]\n", 0), 0u);
  program.ports = {{"COM3", "/dev/ttyUSB0", "FTDI FT232R USB UART"}, {"COM7", "/dev/pts/4", "Virtual port /dev/pts/4"}};
  EXPECT_EQ(Run({"ports"}), cli::kDone);
  EXPECT_EQ(out, "COM3\t/dev/ttyUSB0\tFTDI FT232R USB UART\nCOM7\t/dev/pts/4\tVirtual port /dev/pts/4\n");
}

}  // namespace
