// A port that goes away under the window (adapter unplugged, device gone): during a record
// read, during a setting exchange and while idle, on virtual time.

#include <gtest/gtest.h>

#include "protocol/records.h"
#include "res/resource_ids.h"
#include "tests/support/console_fixture.h"

namespace {

using testsupport::ConsoleTest;

constexpr UINT_PTR kExchangeTimers[] = {TIMER_QUIET, TIMER_READ_TIMEOUT, TIMER_SET_TIMEOUT, TIMER_RECORDS_QUIET};

class PortLoss : public ConsoleTest {
 protected:
  void SetUp() override { Restart(); }
  // A fresh window with the port open.
  void Restart() {
    dlg.reset();
    Start();
    OpenPort();
    sys.ClearBoxes();
  }
  void HangUp() {
    sys.HangUp(kDevicePort);
    Wait(1);
  }
  // The window after the loss: the port shown closed, nothing pending, and OPEN works again.
  void ExpectClosedAndIdle(const std::string& when) {
    EXPECT_EQ(sys.Text(IDC_OPEN_CLOSE), "OPEN") << when;
    EXPECT_TRUE(sys.Enabled(IDC_PORT)) << when;
    EXPECT_EQ(sys.Text(IDC_STATUS_WORD), "Ready") << when;
    EXPECT_TRUE(sys.Enabled(IDC_READ_RECORDS)) << when;
    EXPECT_EQ(dlg->m_pending, ExchangeKind::None) << when;
    EXPECT_EQ(dlg->m_rxCount, 0) << when;
    for (UINT_PTR id : kExchangeTimers) EXPECT_FALSE(sys.TimerArmed(dlg->Window(), id)) << when << " timer " << id;
    const std::size_t boxes = sys.Boxes().size();
    Wait(1000);
    EXPECT_EQ(sys.Boxes().size(), boxes) << when << ": nothing else is reported later";
    ASSERT_TRUE(sys.Click(IDC_OPEN_CLOSE)) << when;
    EXPECT_EQ(sys.Text(IDC_OPEN_CLOSE), "CLOSE") << when;
  }
};

TEST_F(PortLoss, ARecordReadCutShortKeepsTheRowsThatArrivedAndIsNeverASuccess) {
  device.PreloadLog(4000, 0);
  ASSERT_TRUE(sys.Click(IDC_READ_RECORDS));
  Wait(10000);  // about 9600 of the 44000 bytes
  bool failWhileOpen = false;
  int rowsWhileOpen = 0;
  sys.AnswerNextBox([&](const headless::BoxRecord&) {
    failWhileOpen = Lamp() == AfxFindIcon(IDI_LAMP_RED) && sys.Text(IDC_STATUS_WORD) == "Fail";
    rowsWhileOpen = RowCount();
    return IDOK;
  });
  HangUp();
  const int rows = RowCount();
  EXPECT_GT(rows, 800);
  EXPECT_LT(rows, 900);
  ASSERT_EQ(sys.Boxes().size(), 1u);
  EXPECT_EQ(LastBox().text, "COM3 was disconnected during the read: " + std::to_string(rows) + " records received.");
  EXPECT_EQ(LastBox().caption, "warning");
  EXPECT_EQ(LastBox().type, MB_OK);
  EXPECT_TRUE(failWhileOpen);
  EXPECT_EQ(rowsWhileOpen, rows) << "the rows are in the list while the box is open";
  const auto bytes = device.LogBytes();
  for (int i : {0, rows / 2, rows - 1}) {
    const RecordTexts want = DecodeRecord(&bytes[static_cast<std::size_t>(i) * 11]);
    EXPECT_EQ(Row(i), (std::vector<std::string>{std::to_string(i + 1), want.date, want.time, want.event, want.angle}));
  }
  EXPECT_TRUE(std::all_of(dlg->m_recordStream, dlg->m_recordStream + 44000, [](std::uint8_t b) { return b == 0; }));
  ExpectClosedAndIdle("cut short");
  EXPECT_EQ(RowCount(), rows) << "the rows stay to be saved";
}

TEST_F(PortLoss, EachPointOfARecordReadGivesOneTruthfulReport) {
  struct Case {
    const char* name;
    double runMs;  // how long the stream runs before the line goes
    std::vector<std::uint8_t> stream;
    std::vector<std::string> want;
    int wantRows;
  } cases[] = {
      {"before any byte", 100, {}, {"COM3 was disconnected during the read: 0 records received."}, 2},
      {"inside the second record", 100,
       testsupport::Bytes({0, 0x19, 0x11, 0x25, 8, 30, 0, 3, 0x80, 0x15, 0xFF, 0, 0x19, 0x11}),
       {"COM3 was disconnected during the read: 1 records received."}, 1},
      {"while the success is reported", 700, testsupport::Bytes({0, 0x19, 0x11, 0x25, 8, 30, 0, 3, 0x80, 0x15, 0xFF}),
       {"Read Record Success!\n", "COM3 was disconnected."}, 1},
  };
  for (const auto& c : cases) {
    Restart();
    sys.AddPort(kDevicePort, nullptr);  // the test plays the device
    ASSERT_TRUE(sys.Click(IDC_READ_RECORDS));
    if (!c.stream.empty()) sys.SendFromDevice(kDevicePort, 2000, c.stream);
    if (c.want.size() > 1) {
      sys.AnswerNextBox([this](const headless::BoxRecord&) {
        HangUp();
        return IDOK;
      });
      Wait(c.runMs);
    } else {
      Wait(c.runMs);
      HangUp();
    }
    EXPECT_EQ(BoxTexts(), c.want) << c.name;
    EXPECT_EQ(RowCount(), c.wantRows) << c.name;
    if (c.wantRows == 2) {
      EXPECT_EQ(Row(1)[0], "2") << c.name << ": no records leave the placeholder rows";
    }
    ExpectClosedAndIdle(c.name);
    sys.AddPort(kDevicePort, &line);
  }
}

TEST_F(PortLoss, ASettingExchangeOrAnIdlePortEndsInOneBoxWithoutItsTimeOut) {
  struct Case {
    const char* name;
    sim::Fault fault;
    double runMs;               // time from the click to the loss; negative: no click
    bool loseInsideJudgement;   // the line goes while the judgement's box is open
    std::vector<std::string> want;
  } cases[] = {
      {"idle", sim::Fault::None, -1, false, {"COM3 was disconnected."}},
      {"awaiting the reply", sim::Fault::Silent, 100, false, {"COM3 was disconnected."}},
      {"inside a split reply", sim::Fault::Split, 25, false, {"COM3 was disconnected."}},
      {"judging the reply", sim::Fault::None, 100, true, {"Success!\n", "COM3 was disconnected."}},
  };
  for (const auto& c : cases) {
    Restart();
    device.SetFault(c.fault);
    if (c.runMs >= 0) {
      ASSERT_TRUE(sys.Click(IDC_SET_PASSWORD)) << c.name;
    }
    if (c.loseInsideJudgement) {
      sys.AnswerNextBox([this](const headless::BoxRecord&) {
        HangUp();
        return IDOK;
      });
    }
    if (c.runMs > 0) Wait(c.runMs);
    if (!c.loseInsideJudgement) HangUp();
    EXPECT_EQ(BoxTexts(), c.want) << c.name;
    EXPECT_EQ(LastBox().caption, "warning") << c.name;
    EXPECT_EQ(LastBox().type, MB_OK) << c.name;
    ExpectClosedAndIdle(c.name);
  }
  device.SetFault(sim::Fault::None);
}

}  // namespace
