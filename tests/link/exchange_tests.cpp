// The request exchange on virtual time against the device model: quiet gap, time-outs,
// buffer limits, stray bytes and nested boxes.

#include <gtest/gtest.h>

#include "res/resource_ids.h"
#include "tests/support/console_fixture.h"

namespace {

using headless::HeadlessSystem;
using testsupport::Bytes;

class Exchange : public testsupport::ConsoleTest {
 protected:
  void SetUp() override {
    Start();
    OpenPort();
    sys.ClearBoxes();
  }
  bool Armed(UINT_PTR id) const { return sys.TimerArmed(dlg->Window(), id); }
  // Bytes of an 8-byte request and an 8-byte reply on the line, in microseconds.
  static std::int64_t EightAndEight() {
    return HeadlessSystem::ByteTimeUs(8) + sim::DeviceModel::kTurnaroundUs + HeadlessSystem::ByteTimeUs(8);
  }
};

TEST_F(Exchange, ReplyIsJudgedTwentyMillisecondsAfterItsLastByte) {
  const std::int64_t pressed = sys.NowUs();
  ASSERT_TRUE(sys.Click(IDC_SET_PASSWORD));
  EXPECT_EQ(LastWritten(), Bytes({0xFF, 0x01, 5, 8, 0, 9, 1, 7}));
  EXPECT_EQ(dlg->m_pending, ExchangeKind::Password);
  Wait(100);
  ASSERT_EQ(sys.Boxes().size(), 1u);
  EXPECT_EQ(LastBox().text, "Success!\n");
  EXPECT_EQ(LastBox().caption, "information");
  EXPECT_EQ(LastBox().type, MB_OK);
  EXPECT_EQ(LastBox().openedAtUs, pressed + EightAndEight() + 20000);
  EXPECT_EQ(dlg->m_pending, ExchangeKind::None);
  EXPECT_EQ(dlg->m_rxCount, 0);
  EXPECT_FALSE(Armed(TIMER_SET_TIMEOUT));
}

TEST_F(Exchange, EachKindIsJudgedByItsOwnRule) {
  struct Case {
    int button;
    sim::Fault fault;
    const char* box;  // nullptr: no box
  } cases[] = {
      {IDC_SET_PASSWORD, sim::Fault::None, "Success!\n"},
      {IDC_SET_PASSWORD, sim::Fault::SettingError, "Setting error, pls try again!\n"},
      {IDC_SET_PASSWORD, sim::Fault::Garbled, "Return error, pls try again!\n"},
      {IDC_SET_PASSWORD, sim::Fault::ExtraBytes, "Return error, pls try again!\n"},
      {IDC_READ_PASSWORD, sim::Fault::None, nullptr},
      {IDC_SET_CLOCK, sim::Fault::None, "OK!\n"},
      {IDC_SET_CLOCK, sim::Fault::SettingError, "Fail!\n"},
      {IDC_SET_ALARM_ANGLE, sim::Fault::None, "Success!\n"},
      {IDC_SET_ALARM_ANGLE, sim::Fault::ExtraBytes, "Success!\n"},
      {IDC_SET_ALARM_ANGLE, sim::Fault::Garbled, "Fail!\n"},
      {IDC_SET_ALARM_ANGLE, sim::Fault::Split, "Success!\n"},  // a one-byte reply cannot split
  };
  for (const auto& c : cases) {
    device.SetFault(c.fault);
    sys.ClearBoxes();
    ASSERT_TRUE(sys.Click(c.button));
    Wait(300);
    if (c.box) {
      ASSERT_EQ(sys.Boxes().size(), 1u) << c.button << " " << static_cast<int>(c.fault);
      EXPECT_EQ(LastBox().text, c.box) << c.button << " " << static_cast<int>(c.fault);
    } else {
      EXPECT_TRUE(sys.Boxes().empty()) << c.button;
    }
    EXPECT_EQ(dlg->m_pending, ExchangeKind::None);
  }
}

TEST_F(Exchange, SplitReplyWithAGapOverTwentyMillisecondsIsJudgedInTwoParts) {
  device.SetFault(sim::Fault::Split);
  ASSERT_TRUE(sys.Click(IDC_SET_PASSWORD));
  Wait(300);
  // The first half is judged alone; the second half arrives as stray bytes.
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Return error, pls try again!\n"});
}

TEST_F(Exchange, MissingReplyTimesOutAfterTwoHundredFiftyMillisecondsWithOneBox) {
  device.SetFault(sim::Fault::Silent);
  const std::int64_t pressed = sys.NowUs();
  ASSERT_TRUE(sys.Click(IDC_READ_PASSWORD));
  Wait(1000);
  ASSERT_EQ(sys.Boxes().size(), 1u);
  EXPECT_EQ(LastBox().text, "Return timeout,Error!\n");
  EXPECT_EQ(LastBox().caption, "warning");
  EXPECT_EQ(LastBox().type, MB_OK);
  EXPECT_EQ(LastBox().openedAtUs, pressed + 250000);
  EXPECT_EQ(dlg->m_pending, ExchangeKind::None);
}

TEST_F(Exchange, SameCommandTwiceGivesOneTimeOutReadThenSetGivesTwo) {
  device.SetFault(sim::Fault::Silent);
  ASSERT_TRUE(sys.Click(IDC_SET_PASSWORD));
  Wait(100);
  const std::int64_t second = sys.NowUs();
  ASSERT_TRUE(sys.Click(IDC_SET_PASSWORD));
  Wait(1000);
  ASSERT_EQ(sys.Boxes().size(), 1u);
  EXPECT_EQ(LastBox().openedAtUs, second + 250000);

  sys.ClearBoxes();
  ASSERT_TRUE(sys.Click(IDC_READ_PASSWORD));
  Wait(100);
  ASSERT_TRUE(sys.Click(IDC_SET_PASSWORD));
  Wait(1000);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Return timeout,Error!\n", "Return timeout,Error!\n"}));
}

TEST_F(Exchange, ReplyBufferKeepsTheFirstThirtyBytesAcrossChunks) {
  sys.AddPort(kDevicePort, nullptr);  // bytes come from the test
  ASSERT_TRUE(sys.Click(IDC_SET_PASSWORD));
  std::vector<std::uint8_t> reply(35);
  for (std::size_t i = 0; i < reply.size(); ++i) reply[i] = static_cast<std::uint8_t>(i + 1);
  sys.SetChunkBytes(7);  // chunks end at 28 and 35: the second crosses the 30th byte
  sys.SendFromDevice(kDevicePort, 1000, reply);
  std::vector<std::uint8_t> judged;
  int count = -1;
  sys.AnswerNextBox([&](const headless::BoxRecord&) {
    judged.assign(dlg->m_reply, dlg->m_reply + 30);
    count = dlg->m_rxCount;
    return IDOK;
  });
  Wait(200);
  EXPECT_EQ(count, 30);
  EXPECT_EQ(judged, std::vector<std::uint8_t>(reply.begin(), reply.begin() + 30));
  EXPECT_EQ(LastBox().text, "Return error, pls try again!\n");
}

TEST_F(Exchange, StrayBytesAreClearedTwentyMillisecondsAfterTheLastUnjudged) {
  sys.SendFromDevice(kDevicePort, 0, {0xFF, 0x01, 5, 8, 0, 9, 1, 7});
  Wait(9);
  EXPECT_EQ(dlg->m_rxCount, 8);
  EXPECT_TRUE(Armed(TIMER_QUIET));
  Wait(10);
  sys.SendFromDevice(kDevicePort, 0, {0x00});  // re-arms the quiet timer
  Wait(20);
  EXPECT_EQ(dlg->m_rxCount, 9);
  Wait(2);
  EXPECT_EQ(dlg->m_rxCount, 0);
  EXPECT_EQ(dlg->m_rxSeen, 0);
  EXPECT_TRUE(sys.Boxes().empty());
}

TEST_F(Exchange, BytesArrivingWhileTheBoxIsOpenAreJudgedAgainInASecondBox) {
  ASSERT_TRUE(sys.Click(IDC_SET_PASSWORD));
  std::vector<std::string> whileOpen;
  sys.AnswerNextBox([&](const headless::BoxRecord&) {
    EXPECT_EQ(dlg->m_pending, ExchangeKind::Password) << "the kind stays until the box closes";
    sys.SendFromDevice(kDevicePort, 1000, {0xFF, 0x01, 5, 8, 0, 9, 1, 7});
    Wait(100);
    whileOpen = BoxTexts();
    return IDOK;
  });
  Wait(300);
  EXPECT_EQ(whileOpen, (std::vector<std::string>{"Success!\n", "Return error, pls try again!\n"}));
  EXPECT_EQ(sys.Boxes().size(), 2u);
  EXPECT_EQ(dlg->m_pending, ExchangeKind::None);
  EXPECT_EQ(dlg->m_rxCount, 0);
}

TEST_F(Exchange, TimeOutDiscardsWhatWasGatheredSoTheNextReplyIsJudgedAlone) {
  device.SetFault(sim::Fault::Late);  // the reply comes 300 ms after the request
  ASSERT_TRUE(sys.Click(IDC_SET_PASSWORD));
  Wait(260);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Return timeout,Error!\n"});
  Wait(200);  // the late reply arrives and is cleared unjudged
  EXPECT_EQ(sys.Boxes().size(), 1u);
  EXPECT_EQ(dlg->m_rxCount, 0);

  // A reply still arriving when the time-out expires leaves nothing behind either.
  device.SetFault(sim::Fault::None);
  sys.AddPort(kDevicePort, nullptr);
  ASSERT_TRUE(sys.Click(IDC_SET_PASSWORD));
  sys.SendFromDevice(kDevicePort, 245000, {0xFF, 0x01, 5});
  Wait(250.5);
  EXPECT_EQ(dlg->m_rxCount, 0);
  sys.AddPort(kDevicePort, &line);
  sys.ClearBoxes();
  ASSERT_TRUE(sys.Click(IDC_SET_PASSWORD));
  Wait(300);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Success!\n"});
}

TEST_F(Exchange, RecordReadIsNotEndedByAnEarlierSettingTimeOut) {
  device.PreloadLog(300, 0);
  for (int button : {IDC_SET_PASSWORD, IDC_READ_PASSWORD}) {  // one time-out timer each
    sys.ClearBoxes();
    device.SetFault(sim::Fault::Silent);
    ASSERT_TRUE(sys.Click(button));
    Wait(100);
    device.SetFault(sim::Fault::None);
    ASSERT_TRUE(sys.Click(IDC_READ_RECORDS));
    Wait(5000);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Read Record Success!\n"}) << button;
    EXPECT_EQ(RowCount(), 300) << button;
  }
}

TEST_F(Exchange, RecordReadIsNotCutByTheQuietGapOfEarlierBytes) {
  sys.AddPort(kDevicePort, nullptr);  // the test plays the device
  sys.SendFromDevice(kDevicePort, 0, {0x01, 0x02});  // stray bytes: their quiet gap is armed
  Wait(5);
  ASSERT_TRUE(sys.Click(IDC_READ_RECORDS));
  // Three records that are still arriving when the earlier quiet gap would end.
  const auto record = Bytes({0, 0x19, 0x11, 0x25, 0x08, 0x30, 0, 3, 0x80, 0x15, 0xFF});
  std::vector<std::uint8_t> stream;
  for (int i = 0; i < 3; ++i) stream.insert(stream.end(), record.begin(), record.end());
  sys.SendFromDevice(kDevicePort, 2000, stream);
  Wait(1000);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Read Record Success!\n"});
  ASSERT_EQ(RowCount(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Row(i), (std::vector<std::string>{std::to_string(i + 1), "19/11/25", "08:30:00", "Angle_Recover", "-1.5"}));
  }
}

TEST_F(Exchange, RecordReadDropsBytesWaitingInTheControlWhenItStarts) {
  sys.AddPort(kDevicePort, nullptr);
  // Bytes that reached the control while nobody took them: they wait in its input buffer.
  HostedControl& comm = *sys.Control(IDC_COMM)->hosted;
  const auto forward = comm.fireEvent;
  bool deaf = true;
  comm.fireEvent = [&](DISPID id) {
    if (!deaf) forward(id);
  };
  sys.SendFromDevice(kDevicePort, 0, {0x01, 0x02, 0xFF});
  Wait(10);
  deaf = false;
  ASSERT_TRUE(sys.Click(IDC_READ_RECORDS));
  sys.SendFromDevice(kDevicePort, 2000, Bytes({0, 0x19, 0x11, 0x25, 0x08, 0x30, 0, 3, 0x80, 0x15, 0xFF}));
  Wait(1000);
  ASSERT_EQ(RowCount(), 1) << "the waiting bytes are not part of the log";
  EXPECT_EQ(Row(0), (std::vector<std::string>{"1", "19/11/25", "08:30:00", "Angle_Recover", "-1.5"}));
}

TEST_F(Exchange, RecordStreamKeepsItsFirstFortyFourThousandBytes) {
  struct Case {
    int length;
    int wantCount;
  } cases[] = {{44000, 44000}, {44110, 44000}};
  for (const auto& c : cases) {
    sys.AddPort(kDevicePort, nullptr);
    ASSERT_TRUE(sys.Click(IDC_READ_RECORDS));
    std::vector<std::uint8_t> stream(static_cast<std::size_t>(c.length));
    for (int i = 0; i < c.length; ++i) stream[static_cast<std::size_t>(i)] = i % 11 == 10 ? 0xFF : static_cast<std::uint8_t>(i % 7);
    sys.SetChunkBytes(64);
    sys.SendFromDevice(kDevicePort, 2000, stream);
    int count = -1;
    bool kept = false;
    sys.AnswerNextBox([&](const headless::BoxRecord&) {
      count = dlg->m_rxCount;
      kept = std::equal(stream.begin(), stream.begin() + 44000, dlg->m_recordStream);
      return IDOK;
    });
    Wait(60000);
    EXPECT_EQ(count, c.wantCount) << c.length;
    EXPECT_TRUE(kept) << c.length;
    ASSERT_EQ(RowCount(), 4000) << c.length;
    EXPECT_EQ(Row(3999)[0], "4000");
  }
}

TEST_F(Exchange, CommEventOtherThanDataReceivedIsIgnored) {
  ASSERT_EQ(sys.Control(IDC_COMM)->hosted->Invoke(commdisp::kCommEvent, DISPATCH_PROPERTYGET, nullptr).intVal, 0);
  dlg->OnCommEvent();
  EXPECT_FALSE(Armed(TIMER_QUIET));
  EXPECT_FALSE(Armed(TIMER_RECORDS_QUIET));
  EXPECT_EQ(dlg->m_rxSeen, 0);
  EXPECT_EQ(dlg->m_rxCount, 0);
}

TEST_F(Exchange, NoReplyCommandsLeaveAPendingExchangeAlone) {
  device.SetFault(sim::Fault::Silent);
  ASSERT_TRUE(sys.Click(IDC_SET_PASSWORD));
  ASSERT_TRUE(sys.Click(IDC_ZERO_SET));
  EXPECT_EQ(LastWritten(), Bytes({0xFF, 0xE0}));
  ASSERT_TRUE(sys.Click(IDC_ZERO_RESET));
  EXPECT_EQ(LastWritten(), Bytes({0xFF, 0xE1}));
  EXPECT_EQ(dlg->m_pending, ExchangeKind::Password);
  EXPECT_TRUE(Armed(TIMER_SET_TIMEOUT));
}

class ClosedPort : public testsupport::ConsoleTest {
 protected:
  void SetUp() override { Start(); }
};

TEST_F(ClosedPort, WriteEndsTheCommandInTheErrorBoxAndChangesNoExchangeState) {
  ASSERT_TRUE(sys.Click(IDC_SET_PASSWORD));
  ASSERT_EQ(sys.Boxes().size(), 1u);
  EXPECT_EQ(LastBox().text, "The port is not open.");
  EXPECT_EQ(LastBox().caption, "Dravik");
  EXPECT_EQ(LastBox().type & MB_ICONMASK, MB_ICONSTOP);
  EXPECT_EQ(dlg->m_pending, ExchangeKind::None);
  EXPECT_FALSE(sys.TimerArmed(dlg->Window(), TIMER_SET_TIMEOUT));
  Wait(1000);
  EXPECT_EQ(sys.Boxes().size(), 1u) << "no time-out follows";
}

TEST_F(ClosedPort, RecordReadHasEmptiedTheListButNotEnteredReading) {
  dlg->LoadTestRecords();
  sys.ClearBoxes();
  ASSERT_TRUE(sys.Click(IDC_READ_RECORDS));
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"The port is not open."});
  EXPECT_EQ(RowCount(), 0);
  EXPECT_EQ(dlg->m_rowCount, 0);
  EXPECT_EQ(dlg->m_pending, ExchangeKind::Records);
  EXPECT_EQ(sys.Text(IDC_STATUS_WORD), "Ready");
  EXPECT_TRUE(sys.Enabled(IDC_READ_RECORDS));
  EXPECT_FALSE(sys.TimerArmed(dlg->Window(), TIMER_RECORDS_QUIET));
}

}  // namespace
