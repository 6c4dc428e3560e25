// The main window at start-up, its status display, the record list set-up and the shell.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>

#include "app/quillon_app.h"
#include "res/resource_ids.h"
#include "tests/support/console_fixture.h"
#include "tests/support/test_os.h"

namespace {

using testsupport::ConsoleTest;

constexpr int kCommandControls[] = {1006, 1009, 1002, 1007, 1011, 1000, 1003, 1004,
                                    1008, 1012, 1013, 1014, 1015, 1016, 1017, 1018};

class Window : public ConsoleTest {
 protected:
  void SetUp() override {
    sys.SetWallClock(1574692205);  // 2019-11-25 14:30:05 UTC
    Start();
  }
  void ExpectCommandControls(bool enabled) {
    for (int id : kCommandControls) EXPECT_EQ(sys.Enabled(id), enabled) << id;
  }
};

TEST_F(Window, StartsReadyWithTheDefaultsAndThePlaceholderRows) {
  const DialogWindow& w = *dlg->Window();
  EXPECT_EQ(w.text, "Korvex-12");
  EXPECT_EQ(Lamp(), AfxFindIcon(IDI_LAMP_GREEN));
  EXPECT_EQ(sys.Text(IDC_STATUS_WORD), "Ready");
  ExpectCommandControls(true);
  EXPECT_EQ(sys.Text(IDC_PASSWORD), "580917");
  EXPECT_EQ(sys.Text(IDC_READ_BACK), "580917");
  EXPECT_EQ(sys.Text(IDC_ALARM_ANGLE), "7.0");
  EXPECT_EQ(sys.Control(IDC_DATE)->time, 1574692205);
  EXPECT_EQ(sys.Control(IDC_TIME)->time, 1574692205);
  EXPECT_EQ(sys.Text(IDC_OPEN_CLOSE), "OPEN");
  EXPECT_EQ(sys.FocusId(), IDC_OPEN_CLOSE);
  EXPECT_TRUE(sys.Boxes().empty()) << "the start value passes the password's own check";
  EXPECT_FALSE(sys.Visible(IDC_TEST));
  EXPECT_FALSE(sys.Click(IDC_TEST));

  const NativeWindow* list = sys.Control(IDC_RECORDS);
  ASSERT_EQ(list->columns.size(), 6u);
  const char* headings[] = {"", "NO.", "Date(Y/M/D)", "Time(H:M:S)", "Event Type", "Angle Alarm"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(list->columns[static_cast<std::size_t>(i)].heading, headings[i]);
    EXPECT_EQ(list->columns[static_cast<std::size_t>(i)].format, LVCFMT_CENTER);
    EXPECT_EQ(list->columns[static_cast<std::size_t>(i)].subItem, i);
  }
  EXPECT_EQ(list->columns[0].width, 0);
  EXPECT_EQ(list->columns[1].width, 40);
  EXPECT_EQ(list->listExStyle & 0x21u, 0x21u);
  EXPECT_EQ(RowCount(), 2);
  EXPECT_EQ(Row(0), (std::vector<std::string>{"1", "", "", "", ""}));
  EXPECT_EQ(Row(1), (std::vector<std::string>{"2", "", "", "", ""}));
  EXPECT_EQ(sys.Rows(IDC_RECORDS)[0][0], "");
}

TEST_F(Window, EveryTemplateControlIsPresentWithItsText) {
  const DialogTemplate* tpl = AfxFindDialog(IDD_QUILLON_DIALOG);
  ASSERT_NE(tpl, nullptr);
  ASSERT_EQ(dlg->Window()->controls.size(), tpl->controls.size());
  for (std::size_t i = 0; i < tpl->controls.size(); ++i) {
    const ControlTemplate& ct = tpl->controls[i];
    const NativeWindow& c = *dlg->Window()->controls[i];
    EXPECT_EQ(c.id, ct.id);
    EXPECT_EQ(c.kind, ct.kind);
    EXPECT_EQ(c.style, ct.style);
    if (ct.kind == ControlKind::PushButton || ct.kind == ControlKind::GroupBox || ct.kind == ControlKind::StaticText) {
      EXPECT_EQ(c.text, ct.text) << ct.id;
    }
  }
  const char* captions[][2] = {{"1004", "Read"}, {"1008", "Set"}, {"1003", "Data Time Set"},
                               {"1012", "Alarm Angle Set"}, {"1013", "Zero Set"}, {"1014", "Reset Zero"},
                               {"1015", "Read Alarm Record"}, {"1016", "Save Alarm Record"},
                               {"1017", "Clear Alarm Record"}, {"1018", "Clear From"}};
  for (const auto& c : captions) EXPECT_EQ(sys.Text(std::stoi(c[0])), c[1]);
}

TEST_F(Window, ColumnWidthsShareTheClientWidthAfterTheNumberColumn) {
  dlg.reset();
  sys.SetListClientWidth(445);
  Start();
  for (int i = 2; i <= 5; ++i) EXPECT_EQ(dlg->m_listRecords.GetColumnWidth(i), 101);
}

TEST_F(Window, StatusDisplaySwitchesTheSixteenCommandControlsAndNeverThePortChoice) {
  dlg->m_comboPort.EnableWindow(FALSE);
  dlg->ShowReading();
  EXPECT_EQ(Lamp(), AfxFindIcon(IDI_LAMP_YELLOW));
  EXPECT_EQ(sys.Text(IDC_STATUS_WORD), "Reading");
  ExpectCommandControls(false);
  EXPECT_TRUE(sys.Enabled(IDC_RECORDS));
  dlg->ShowFail();
  EXPECT_EQ(Lamp(), AfxFindIcon(IDI_LAMP_RED));
  EXPECT_EQ(sys.Text(IDC_STATUS_WORD), "Fail");
  ExpectCommandControls(false);
  dlg->ShowReady();
  EXPECT_EQ(Lamp(), AfxFindIcon(IDI_LAMP_GREEN));
  ExpectCommandControls(true);
  EXPECT_FALSE(sys.Enabled(IDC_PORT));
  dlg->m_comboPort.EnableWindow(TRUE);
  dlg->ShowReading();
  EXPECT_TRUE(sys.Enabled(IDC_PORT));
}

TEST_F(Window, ClearFromLeavesExactlyTheTwoPlaceholderRows) {
  dlg->LoadTestRecords();
  ASSERT_EQ(RowCount(), 4000);
  ASSERT_TRUE(sys.Click(IDC_CLEAR_LIST));
  EXPECT_EQ(RowCount(), 2);
  EXPECT_EQ(dlg->m_rowCount, 0);
  ASSERT_TRUE(sys.Click(IDC_CLEAR_LIST));
  EXPECT_EQ(RowCount(), 2);
  EXPECT_EQ(Row(1), (std::vector<std::string>{"2", "", "", "", ""}));
}

TEST_F(Window, TypingIntoTheAlarmAngleShowsNothing) {
  sys.Type(IDC_ALARM_ANGLE, "abc");
  sys.Focus(IDC_PASSWORD);
  EXPECT_TRUE(sys.Boxes().empty());
}

TEST_F(Window, SystemMenuHasNoAboutEntryAndTheMaskedCommandOpensTheAboutBox) {
  const auto& menu = dlg->Window()->systemMenu;
  for (const auto& item : menu) EXPECT_NE(item.id, 0x0010u);
  EXPECT_EQ(menu.size(), 5u) << "Restore, Move, Minimize, separator, Close";
  EXPECT_EQ(dlg->Window()->bigIcon, AfxFindIcon(IDR_MAINFRAME));
  EXPECT_EQ(dlg->Window()->smallIcon, AfxFindIcon(IDR_MAINFRAME));
  EXPECT_EQ(dlg->OnQueryDragIcon(), AfxFindIcon(IDR_MAINFRAME));

  std::vector<std::string> opened;
  for (UINT command : {0x0010u, 0x001Fu, 0x0020u}) {
    sys.QueueModalScript([&](DialogWindow& about) { opened.push_back(about.text); });
    sys.SystemCommand(command);
  }
  EXPECT_EQ(opened, (std::vector<std::string>{"关于 Quillon", "关于 Quillon"}));
  EXPECT_FALSE(dlg->IsEnded());
}

TEST_F(Window, MinimisedPaintCentresTheIconWithTruncatingDivision) {
  sys.SystemCommand(SC_MINIMIZE);
  ASSERT_TRUE(dlg->IsIconic());
  struct Case {
    int width;
    int wantX;
  } cases[] = {{32, 0}, {33, 1}, {30, 0}, {28, -1}, {100, 34}};
  for (const auto& c : cases) {
    sys.SetDialogClientSize(c.width, 36);
    sys.Paint();
    ASSERT_EQ(dlg->Window()->paintLog.size(), 1u);
    EXPECT_EQ(dlg->Window()->paintLog[0].x, c.wantX) << c.width;
    EXPECT_EQ(dlg->Window()->paintLog[0].y, 2);
    EXPECT_EQ(dlg->Window()->paintLog[0].icon, AfxFindIcon(IDR_MAINFRAME));
  }
  sys.SystemCommand(SC_RESTORE);
  sys.Paint();
  EXPECT_TRUE(dlg->Window()->paintLog.empty());
}

TEST_F(Window, EscapeEndsTheWindowEvenDuringARecordRead) {
  OpenPort();
  ASSERT_TRUE(sys.Click(IDC_READ_RECORDS));
  sys.PressEscape();
  EXPECT_TRUE(dlg->IsEnded());
  EXPECT_TRUE(sys.Boxes().empty()) << "no question is asked";
}

TEST_F(Window, EnterInAnEditEndsTheWindowEvenDuringARecordRead) {
  OpenPort();
  sys.Focus(IDC_ALARM_ANGLE);
  dlg->ReadRecords();  // the read runs while the focus stays in the edit
  ASSERT_EQ(sys.Text(IDC_STATUS_WORD), "Reading");
  ASSERT_EQ(sys.FocusId(), IDC_ALARM_ANGLE);
  sys.PressEnter();
  EXPECT_TRUE(dlg->IsEnded());
  EXPECT_TRUE(sys.Boxes().empty()) << "no question is asked";
}

TEST_F(Window, CloseCommandEndsTheWindow) {
  sys.Close();
  EXPECT_TRUE(dlg->IsEnded());
}

// The three ways the window ends: Enter with the focus in an edit, Esc, and the Close command.
struct CloseWay {
  const char* name;
  void (*act)(headless::HeadlessSystem&);
};
constexpr CloseWay kCloseWays[] = {
    {"Enter", [](headless::HeadlessSystem& s) {
       s.Focus(IDC_ALARM_ANGLE);
       s.PressEnter();
     }},
    {"Esc", [](headless::HeadlessSystem& s) { s.PressEscape(); }},
    {"Close", [](headless::HeadlessSystem& s) { s.Close(); }},
};

TEST_F(Window, UnsavedRecordRowsAreNotThrownAwayByAStrayKey) {
  for (const CloseWay& way : kCloseWays) {
    dlg.reset();
    Start();
    dlg->LoadTestRecords();
    sys.ClearBoxes();
    sys.AnswerNextBox(IDCANCEL);
    way.act(sys);
    ASSERT_EQ(BoxTexts(), std::vector<std::string>{"The list holds 4000 records that have not been saved. Close anyway?"})
        << way.name;
    EXPECT_EQ(LastBox().caption, "warning");
    EXPECT_EQ(LastBox().type, MB_OKCANCEL);
    EXPECT_FALSE(dlg->IsEnded()) << way.name << ": Cancel keeps the window";
    EXPECT_EQ(RowCount(), 4000) << way.name;
    sys.AnswerNextBox(IDOK);
    way.act(sys);
    EXPECT_TRUE(dlg->IsEnded()) << way.name << ": OK closes";
  }
}

TEST_F(Window, SavedClearedOrEmptyListsCloseAtOnce) {
  const std::string saved =
      (std::filesystem::temp_directory_path() / ("korvex-close-" + std::to_string(testos::ProcessId()) + ".txt")).string();
  struct Case {
    const char* name;
    std::function<void()> arrange;
  } cases[] = {
      {"nothing read", [] {}},
      {"saved", [&] {
         dlg->LoadTestRecords();
         sys.AnswerNextFileDialog([&saved](const FileDialogRequest&) { return saved; });
         ASSERT_TRUE(sys.Click(IDC_SAVE_RECORDS));
       }},
      {"cleared", [&] {
         dlg->LoadTestRecords();
         ASSERT_TRUE(sys.Click(IDC_CLEAR_LIST));
       }},
      {"a read that found nothing", [&] {
         dlg->LoadTestRecords();
         OpenPort();
         ASSERT_TRUE(sys.Click(IDC_READ_RECORDS));
         Wait(1000);
       }},
  };
  for (const auto& c : cases) {
    for (const CloseWay& way : kCloseWays) {
      dlg.reset();
      Start();
      c.arrange();
      sys.ClearBoxes();
      way.act(sys);
      EXPECT_TRUE(dlg->IsEnded()) << c.name << ", " << way.name;
      EXPECT_TRUE(sys.Boxes().empty()) << c.name << ", " << way.name;
    }
  }
  std::remove(saved.c_str());
}

TEST(Version, IsTheProgramsVersionEverywhere) {
  const res::VersionInfo& v = res::Version();
  EXPECT_STREQ(v.productName, "Korvex-12");
  EXPECT_STREQ(v.fileDescription, "Korvex-12");
  EXPECT_STREQ(v.internalName, "Korvex");
  EXPECT_STREQ(v.originalFilename, "Korvex-12");
  EXPECT_STREQ(v.version, "1.19.1128.0");
  EXPECT_STREQ(v.version, KORVEX_VERSION) << "the build's project version and the resource agree";
  EXPECT_EQ((std::vector<int>{v.major, v.minor, v.build, v.revision}), (std::vector<int>{1, 19, 1128, 0}));
  EXPECT_EQ(v.language, 0x0804);
  EXPECT_EQ(v.codePage, 1200);
}

TEST(Application, RunsTheMainWindowModallyAndEndsWhenItCloses) {
  testsupport::ScopedTimeZone tz("UTC");
  headless::HeadlessSystem sys;
  AfxSetResources(&res::Table());
  std::string title;
  std::string caption;
  sys.QueueModalScript([&](DialogWindow& main) {
    caption = main.text;
    title = AfxAppTitle();
    sys.PressEscape();
  });
  EXPECT_EQ(AfxWinMain(sys.Services()), 0);
  EXPECT_EQ(caption, "Korvex-12");
  EXPECT_EQ(title, "Dravik");
  EXPECT_EQ(theApp.m_pMainWnd, nullptr);
  EXPECT_EQ(sys.Top(), nullptr) << "the window is gone";
  AfxSetServices({});
}

}  // namespace
