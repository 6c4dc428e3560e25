// The operator's commands against the device model: frames on the wire, judged replies,
// refusals with the restored field and the focus.

#include <gtest/gtest.h>

#include "protocol/records.h"
#include "res/resource_ids.h"
#include "tests/support/console_fixture.h"

namespace {

using testsupport::Bytes;

class Commands : public testsupport::ConsoleTest {
 protected:
  void SetUp() override {
    Start();
    OpenPort();
    sys.ClearBoxes();
  }
  std::size_t Frames() { return Written().size(); }
};

// ---- Alarm angle ----------------------------------------------------------------------------

TEST_F(Commands, AlarmAngleAcceptsTwoToNineNineAndSendsItsBcdTenths) {
  struct Case {
    const char* entry;
    std::uint8_t want;
    float stored;
  } cases[] = {{"2.0", 0x20, 2.0f}, {"9.9", 0x99, 9.9f}, {"7.5", 0x75, 7.5f}};
  for (const auto& c : cases) {
    sys.ClearBoxes();
    sys.SetText(IDC_ALARM_ANGLE, c.entry);
    ASSERT_TRUE(sys.Click(IDC_SET_ALARM_ANGLE));
    EXPECT_EQ(LastWritten(), Bytes({0xFF, 0xFA, c.want})) << c.entry;
    EXPECT_EQ(dlg->m_alarmAngle, c.stored) << c.entry;
    EXPECT_EQ(dlg->m_pending, ExchangeKind::AlarmAngle);
    Wait(100);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Success!\n"}) << c.entry;
    EXPECT_EQ(device.AlarmTenths(), (c.want >> 4) * 10 + (c.want & 0xF));
  }
}

TEST_F(Commands, AlarmAngleRefusalsRestoreTheStoredAngleAndTakeTheFocus) {
  const char* refused[] = {"1.9", "10.0", "7.50", "7,5", " 7.5", "5.x", "a.5", ":.5", "5./", "", "7.\xc3\xa5"};
  for (const char* entry : refused) {
    sys.ClearBoxes();
    const std::size_t frames = Frames();
    sys.SetText(IDC_ALARM_ANGLE, entry);
    ASSERT_TRUE(sys.Click(IDC_SET_ALARM_ANGLE)) << entry;
    ASSERT_EQ(sys.Boxes().size(), 1u) << entry;
    EXPECT_EQ(LastBox().text, "Pls input 2.0~9.9 for alarm angle!");
    EXPECT_EQ(LastBox().caption, "warning");
    EXPECT_EQ(sys.Text(IDC_ALARM_ANGLE), "7.0") << entry;
    EXPECT_EQ(sys.FocusId(), IDC_ALARM_ANGLE) << entry;
    EXPECT_EQ(Frames(), frames) << entry;
    EXPECT_EQ(dlg->m_pending, ExchangeKind::None);
  }
  // After an accepted entry the refusal restores that one.
  sys.SetText(IDC_ALARM_ANGLE, "3.3");
  ASSERT_TRUE(sys.Click(IDC_SET_ALARM_ANGLE));
  Wait(100);
  sys.SetText(IDC_ALARM_ANGLE, "1.0");
  ASSERT_TRUE(sys.Click(IDC_SET_ALARM_ANGLE));
  EXPECT_EQ(sys.Text(IDC_ALARM_ANGLE), "3.3");
}

// ---- Password entry -------------------------------------------------------------------------

TEST_F(Commands, ALetterInThePasswordIsRefusedAndTheStoredValueRestored) {
  sys.Type(IDC_PASSWORD, "x");
  ASSERT_EQ(sys.Boxes().size(), 1u);
  EXPECT_EQ(LastBox().text, "     Input error\r\nRange from 000000-999999\n");
  EXPECT_EQ(LastBox().caption, "warning");
  EXPECT_EQ(LastBox().type, MB_OK);
  EXPECT_EQ(sys.Text(IDC_PASSWORD), "580917");
}

TEST_F(Commands, AFullWidthDigitIsRefused) {
  sys.SetText(IDC_PASSWORD, "12345");
  sys.Type(IDC_PASSWORD, "\xef\xbc\x96");  // FULLWIDTH DIGIT SIX
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"     Input error\r\nRange from 000000-999999\n"});
  EXPECT_EQ(sys.Text(IDC_PASSWORD), "580917");
}

TEST_F(Commands, AnEmptyPasswordPassesTheDigitCheckButNotTheLengthCheck) {
  sys.SetText(IDC_PASSWORD, "");
  EXPECT_TRUE(sys.Boxes().empty());
  EXPECT_FALSE(sys.Click(IDC_SET_PASSWORD)) << "the length box drops the click";
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"   Data length error\r\nPls enter 6 valid data\n"});
  EXPECT_EQ(sys.Text(IDC_PASSWORD), "580917");
  EXPECT_EQ(sys.FocusId(), IDC_PASSWORD);
  EXPECT_EQ(Frames(), 0u);
}

TEST_F(Commands, TheClickAfterTheLengthBoxIsNotLost) {
  struct Case {
    const char* name;
    int button;
    void (*reach)(headless::HeadlessSystem&, int button);  // leaves the short entry towards |button|
  } cases[] = {
      {"a press on Set whose release went to the box", IDC_SET_PASSWORD,
       [](headless::HeadlessSystem& s, int b) { s.Press(b); }},
      {"Tab onto Read", IDC_READ_PASSWORD, [](headless::HeadlessSystem& s, int b) { s.Focus(b); }},
  };
  for (const auto& c : cases) {
    sys.ClearBoxes();
    const std::size_t frames = Frames();
    sys.SetText(IDC_PASSWORD, "123");
    c.reach(sys, c.button);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"   Data length error\r\nPls enter 6 valid data\n"}) << c.name;
    EXPECT_EQ(Frames(), frames) << c.name;
    EXPECT_TRUE(sys.Click(c.button)) << c.name << ": the next click is handled";
    EXPECT_EQ(Frames(), frames + 1) << c.name;
    Wait(300);
  }
}

TEST_F(Commands, SevenDigitsAreRefusedAndNothingIsStored) {
  sys.SetText(IDC_PASSWORD, "1234567");
  sys.Focus(IDC_ALARM_ANGLE);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"   Data length error\r\nPls enter 6 valid data\n"});
  EXPECT_EQ(dlg->m_password, 580917);
  EXPECT_EQ(sys.FocusId(), IDC_PASSWORD);
}

TEST_F(Commands, LeadingZerosAreStoredSentAndRestoredWithSixDigits) {
  sys.SetText(IDC_PASSWORD, "001234");
  ASSERT_TRUE(sys.Click(IDC_SET_PASSWORD)) << "kill-focus stores the entry before the click";
  EXPECT_EQ(dlg->m_password, 1234);
  EXPECT_EQ(LastWritten(), Bytes({0xFF, 0x01, 0, 0, 1, 2, 3, 4}));
  Wait(100);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Success!\n"});
  EXPECT_EQ(device.Password(), 1234);
  // A later refusal refills six digits, which the length check accepts.
  sys.ClearBoxes();
  sys.Type(IDC_PASSWORD, "z");
  EXPECT_EQ(sys.Text(IDC_PASSWORD), "001234");
  sys.Focus(IDC_ALARM_ANGLE);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"     Input error\r\nRange from 000000-999999\n"});
  EXPECT_EQ(dlg->m_password, 1234);
}

TEST_F(Commands, SetWithoutTouchingTheEditSendsTheStartValue) {
  ASSERT_TRUE(sys.Click(IDC_SET_PASSWORD));
  EXPECT_EQ(LastWritten(), Bytes({0xFF, 0x01, 5, 8, 0, 9, 1, 7}));
  Wait(100);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Success!\n"});
}

TEST_F(Commands, ReadPutsTheDevicesPasswordIntoTheReadBackField) {
  sys.SetText(IDC_PASSWORD, "012345");
  ASSERT_TRUE(sys.Click(IDC_SET_PASSWORD));
  Wait(100);
  sys.ClearBoxes();
  ASSERT_TRUE(sys.Click(IDC_READ_PASSWORD));
  EXPECT_EQ(LastWritten(), Bytes({0xFF, 0x02, 0, 0, 0, 0, 0, 0}));
  Wait(100);
  EXPECT_TRUE(sys.Boxes().empty());
  EXPECT_EQ(sys.Text(IDC_READ_BACK), "012345");
  EXPECT_EQ(dlg->m_pending, ExchangeKind::None);
}

// ---- Clock ----------------------------------------------------------------------------------

TEST_F(Commands, DataTimeSetCombinesThePickersAndSendsTheValuesAsRead) {
  sys.SetPicker(IDC_DATE, CTime(2019, 11, 25, 3, 0, 0).GetTime());
  sys.SetPicker(IDC_TIME, CTime(2001, 2, 3, 14, 30, 5).GetTime());
  ASSERT_TRUE(sys.Click(IDC_SET_CLOCK));
  EXPECT_EQ(LastWritten(), Bytes({0xFF, 0xFE, 0x19, 0x11, 0x25, 0x14, 0x30, 0x05, 0x01}));
  const std::int32_t want[7] = {0x19, 0x11, 0x25, 0x14, 0x30, 0x05, 0x01};
  EXPECT_TRUE(std::equal(want, want + 7, dlg->m_clockBcd));
  EXPECT_EQ(dlg->m_date, CTime(2019, 11, 25, 14, 30, 5));
  EXPECT_EQ(dlg->m_time, dlg->m_date);
  Wait(100);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"OK!\n"});
}

TEST_F(Commands, DataTimeSetAcrossADaylightSavingChange) {
  testsupport::ScopedTimeZone berlin("Europe/Berlin");
  if (!berlin.Applied()) GTEST_SKIP() << "this system's C library has no rules for Europe/Berlin";
  // 02:30 does not exist on 2019-03-31 in Berlin: the frame carries what the pickers show,
  // the combined value is the library's 03:30 summer time.
  sys.SetPicker(IDC_DATE, CTime(2019, 3, 31, 12, 0, 0).GetTime());
  sys.SetPicker(IDC_TIME, CTime(2019, 1, 10, 2, 30, 0).GetTime());
  ASSERT_TRUE(sys.Click(IDC_SET_CLOCK));
  EXPECT_EQ(LastWritten(), Bytes({0xFF, 0xFE, 0x19, 0x03, 0x31, 0x02, 0x30, 0x00, 0x00}));
  EXPECT_EQ(dlg->m_date.GetHour(), 3);
  EXPECT_EQ(dlg->m_date, dlg->m_time);
  EXPECT_EQ(dlg->m_date, CTime(2019, 3, 31, 3, 30, 0));
  // An autumn date with a summer time of day keeps the picked hour.
  sys.SetPicker(IDC_DATE, CTime(2019, 12, 24, 12, 0, 0).GetTime());
  sys.SetPicker(IDC_TIME, CTime(2019, 7, 1, 9, 15, 0).GetTime());
  Wait(300);
  ASSERT_TRUE(sys.Click(IDC_SET_CLOCK));
  EXPECT_EQ(LastWritten(), Bytes({0xFF, 0xFE, 0x19, 0x12, 0x24, 0x09, 0x15, 0x00, 0x02}));
  EXPECT_EQ(dlg->m_time.GetHour(), 9);
}

TEST_F(Commands, ARefusedPickerValueIsReportedAndTheCommandGoesOnWithThePreviousValue) {
  sys.SetPicker(IDC_TIME, CTime(2019, 11, 25, 10, 0, 0).GetTime());
  sys.SetPicker(IDC_DATE, CTime(2019, 11, 25, 10, 0, 0).GetTime());
  dlg->UpdateData(TRUE);
  sys.InvalidatePicker(IDC_DATE);
  sys.SetPicker(IDC_TIME, CTime(2019, 11, 25, 11, 0, 0).GetTime());
  ASSERT_TRUE(sys.Click(IDC_SET_CLOCK));
  ASSERT_GE(sys.Boxes().size(), 1u);
  EXPECT_EQ(sys.Boxes()[0].type & MB_ICONMASK, MB_ICONSTOP);
  EXPECT_EQ(LastWritten(), Bytes({0xFF, 0xFE, 0x19, 0x11, 0x25, 0x11, 0x00, 0x00, 0x01}));
}

TEST_F(Commands, ADateTimeTheFrameworkCannotHoldEndsTheCommandBeforeAnythingIsSent) {
  dlg->m_date = CTime(static_cast<std::int64_t>(-70000000000LL));  // before the year 1900
  dlg->UpdateData(FALSE);
  const std::size_t frames = Frames();
  ASSERT_TRUE(sys.Click(IDC_SET_CLOCK));
  ASSERT_EQ(sys.Boxes().size(), 1u);
  EXPECT_EQ(LastBox().type & MB_ICONMASK, MB_ICONSTOP);
  EXPECT_EQ(Frames(), frames);
  EXPECT_EQ(dlg->m_pending, ExchangeKind::None);
}

// ---- Zero, clear ----------------------------------------------------------------------------

TEST_F(Commands, ZeroSetAndResetZeroSendTheirFramesAndShowNothing) {
  device.SetSensorAngle(42, 0);
  ASSERT_TRUE(sys.Click(IDC_ZERO_SET));
  Wait(50);
  EXPECT_EQ(device.ShownAngleTenths(), 0);
  ASSERT_TRUE(sys.Click(IDC_ZERO_RESET));
  Wait(50);
  EXPECT_EQ(device.ShownAngleTenths(), 42);
  EXPECT_TRUE(sys.Boxes().empty());
  EXPECT_EQ(dlg->m_pending, ExchangeKind::None);
}

TEST_F(Commands, ClearAlarmRecordAsksFirstAndSendsOnlyOnOk) {
  device.PreloadLog(5, 0);
  sys.AnswerNextBox(IDCANCEL);
  ASSERT_TRUE(sys.Click(IDC_CLEAR_RECORDS));
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"All records will be deleted!"});
  EXPECT_EQ(LastBox().type, MB_OKCANCEL);
  EXPECT_EQ(LastBox().caption, "warning");
  EXPECT_EQ(Frames(), 0u);
  sys.ClearBoxes();
  ASSERT_TRUE(sys.Click(IDC_CLEAR_RECORDS));
  EXPECT_EQ(LastWritten(), Bytes({0xFF, 0xEE}));
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"All records will be deleted!", "Clear OK!"}));
  EXPECT_EQ(LastBox().caption, "Dravik");
  Wait(50);
  EXPECT_TRUE(device.Log().empty());
  EXPECT_EQ(RowCount(), 2) << "the list is not changed";
}

// ---- Record read ----------------------------------------------------------------------------

TEST_F(Commands, AFullLogOfFourThousandRecordsBecomesFourThousandNumberedRows) {
  device.PreloadLog(4000, 0);
  ASSERT_TRUE(sys.Click(IDC_READ_RECORDS));
  EXPECT_EQ(LastWritten(), Bytes({0xFF, 0xEF}));
  EXPECT_EQ(Lamp(), AfxFindIcon(IDI_LAMP_YELLOW));
  EXPECT_EQ(sys.Text(IDC_STATUS_WORD), "Reading");
  EXPECT_FALSE(sys.Enabled(IDC_SAVE_RECORDS));
  EXPECT_EQ(RowCount(), 0);
  Wait(30000);
  EXPECT_EQ(sys.Text(IDC_STATUS_WORD), "Reading") << "44000 bytes take 45.8 s at 9600 baud";
  bool readyBeforeBox = false;
  sys.AnswerNextBox([&](const headless::BoxRecord&) {
    readyBeforeBox = Lamp() == AfxFindIcon(IDI_LAMP_GREEN) && sys.Enabled(IDC_SAVE_RECORDS);
    return IDOK;
  });
  Wait(30000);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Read Record Success!\n"});
  EXPECT_EQ(LastBox().caption, "information");
  EXPECT_TRUE(readyBeforeBox);
  ASSERT_EQ(RowCount(), 4000);
  const auto bytes = device.LogBytes();
  for (int i = 0; i < 4000; i += 397) {
    const RecordTexts want = DecodeRecord(&bytes[static_cast<std::size_t>(i) * 11]);
    EXPECT_EQ(Row(i), (std::vector<std::string>{std::to_string(i + 1), want.date, want.time, want.event, want.angle}));
  }
  EXPECT_EQ(Row(3999)[0], "4000");
  EXPECT_EQ(dlg->m_pending, ExchangeKind::None);
  EXPECT_TRUE(std::all_of(dlg->m_recordStream, dlg->m_recordStream + 44000, [](std::uint8_t b) { return b == 0; }));
}

TEST_F(Commands, AReadWithoutDataShowsThePlaceholdersAndTheRedLampOnlyWhileItsBoxIsOpen) {
  const std::int64_t pressed = sys.NowUs();
  bool redWhileOpen = false;
  bool disabledWhileOpen = false;
  sys.AnswerNextBox([&](const headless::BoxRecord&) {
    redWhileOpen = Lamp() == AfxFindIcon(IDI_LAMP_RED) && sys.Text(IDC_STATUS_WORD) == "Fail";
    disabledWhileOpen = !sys.Enabled(IDC_READ_RECORDS);
    return IDOK;
  });
  ASSERT_TRUE(sys.Click(IDC_READ_RECORDS));
  Wait(1000);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"No event occurred!\n"});
  EXPECT_EQ(LastBox().openedAtUs, pressed + 500000);
  EXPECT_TRUE(redWhileOpen);
  EXPECT_TRUE(disabledWhileOpen);
  EXPECT_EQ(Lamp(), AfxFindIcon(IDI_LAMP_GREEN));
  EXPECT_TRUE(sys.Enabled(IDC_READ_RECORDS));
  EXPECT_EQ(RowCount(), 2);
  EXPECT_EQ(Row(0)[0], "1");
}

TEST_F(Commands, BytesWithoutAMarkerAreStillASuccessWithAnEmptyList) {
  sys.AddPort(kDevicePort, nullptr);
  ASSERT_TRUE(sys.Click(IDC_READ_RECORDS));
  sys.SendFromDevice(kDevicePort, 3000, {0x01, 0x02, 0x03});
  Wait(1000);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Read Record Success!\n"});
  EXPECT_EQ(RowCount(), 0);
}

TEST_F(Commands, ASecondReadStartsAgainFromAnEmptyListNumberedFromOne) {
  device.PreloadLog(3, 0);
  ASSERT_TRUE(sys.Click(IDC_READ_RECORDS));
  Wait(1000);
  device.SetHydraulic(true, 0);
  ASSERT_TRUE(sys.Click(IDC_READ_RECORDS));
  Wait(1000);
  ASSERT_EQ(RowCount(), 4);
  EXPECT_EQ(Row(0)[0], "1");
  EXPECT_EQ(Row(3)[0], "4");
  EXPECT_EQ(Row(3)[3], "Hydraulic_On");
}

TEST_F(Commands, TheHiddenTestCommandAlwaysLeavesExactlyFourThousandSampleRows) {
  device.PreloadLog(10, 0);
  ASSERT_TRUE(sys.Click(IDC_READ_RECORDS));
  Wait(1000);
  ASSERT_EQ(RowCount(), 10);
  sys.ClearBoxes();
  const std::size_t frames = Frames();
  // The button is never visible; its notification still reaches the handler.
  dlg->OnWndMsg(WM_COMMAND, MAKEWPARAM(IDC_TEST, BN_CLICKED), 0);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"OK!"});
  EXPECT_EQ(LastBox().caption, "Dravik");
  ASSERT_EQ(RowCount(), 4000);
  EXPECT_EQ(Row(0), (std::vector<std::string>{"1", "17/01/16", "13:24:30", "Angle_Alarm", "7.2"}));
  EXPECT_EQ(Row(3999)[0], "4000");
  EXPECT_EQ(Frames(), frames);
  EXPECT_EQ(sys.Text(IDC_STATUS_WORD), "Ready");
}

}  // namespace
