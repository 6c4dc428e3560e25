// The port list from the registry, its fallback, and OPEN/CLOSE.

#include <gtest/gtest.h>

#include "res/resource_ids.h"
#include "tests/support/console_fixture.h"

namespace {

using testsupport::ConsoleTest;

TEST(PortNumberFromName, TakesTheDecimalNumberAfterTheThirdCharacter) {
  struct Case {
    const char* name;
    int want;
  } cases[] = {{"COM3", 3},   {"COM12", 12}, {"COM100", 100}, {"COM255", 255}, {"COM256", 0}, {"COM300", 0},
               {"COMA", 0},   {"COM0", 0},   {"XYZ7", 7},     {"COM1A", 0},    {"COM", 0},    {"COM-1", 0},
               {"COM007", 7}, {"ttyS4", 0}};
  for (const auto& c : cases) EXPECT_EQ(PortNumberFromName(c.name), c.want) << c.name;
}

class Ports : public ConsoleTest {
 protected:
  std::vector<std::string> Items() { return sys.Control(IDC_PORT)->items; }
  int Selected() { return sys.Control(IDC_PORT)->curSel; }
  std::vector<int> Numbers() { return std::vector<int>(dlg->m_portNumbers, dlg->m_portNumbers + dlg->m_portCount); }
  void ExpectFallback() {
    std::vector<std::string> names;
    std::vector<int> numbers;
    for (int n = 1; n <= 20; ++n) {
      names.push_back("COM" + std::to_string(n));
      numbers.push_back(n);
    }
    EXPECT_EQ(Items(), names);
    EXPECT_EQ(Numbers(), numbers);
    EXPECT_EQ(Selected(), 0);
  }
};

TEST_F(Ports, ListsTheRegistryPortsInTheRegistrysOrder) {
  sys.SetSerialPortValues({{"\\Device\\VCP0", "COM12"}, {"\\Device\\Serial2", "COM3"}});
  Start();
  EXPECT_EQ(Items(), (std::vector<std::string>{"COM12", "COM3"}));
  EXPECT_EQ(Numbers(), (std::vector<int>{12, 3}));
  EXPECT_EQ(Selected(), 0);
}

TEST_F(Ports, EveryFailureOfTheListFallsBackToComOneToTwenty) {
  struct Case {
    const char* name;
    std::function<void(headless::HeadlessSystem&)> arrange;
    const char* result;
  } cases[] = {
      {"no key", [](auto& s) { s.RemoveSerialPortKey(); }, "Open Registry Error!\n"},
      {"info", [](auto& s) { s.FailQueryInfo(ERROR_ACCESS_DENIED); }, "Getting Info Error!\n"},
      {"enum", [](auto& s) { s.FailEnumValue(1, ERROR_ACCESS_DENIED); }, "Enum Registry Error or No More Items!\n"},
      {"query", [](auto& s) { s.FailQueryValue("b", ERROR_ACCESS_DENIED); }, "Can not get the name of the port"},
      {"seven characters", [](auto& s) { s.SetSerialPortValues({{"a", "COM3"}, {"b", "COM1234"}}); },
       "Init error,Please restart！"},
      {"data over ten bytes", [](auto& s) { s.SetSerialPortValues({{"a", "COM3"}, {"b", "COM123456789"}}); },
       "Can not get the name of the port"},
  };
  for (const auto& c : cases) {
    headless::HeadlessSystem fresh;
    AfxSetServices(fresh.Services());
    fresh.SetSerialPortValues({{"a", "COM3"}, {"b", "COM5"}});
    c.arrange(fresh);
    CQuillonDlg probe;
    ASSERT_TRUE(probe.Create());
    EXPECT_EQ(probe.ReadPortList(), c.result) << c.name;
    probe.DestroyWindow();
    CQuillonDlg window;
    ASSERT_TRUE(window.Create());
    std::vector<std::string> items = window.Window()->Find(IDC_PORT)->items;
    EXPECT_EQ(items.size(), 20u) << c.name;
    EXPECT_EQ(items.front(), "COM1") << c.name;
    EXPECT_EQ(items.back(), "COM20") << c.name;
    EXPECT_EQ(window.m_portNumbers[19], 20) << c.name;
    EXPECT_EQ(window.Window()->Find(IDC_PORT)->curSel, 0) << c.name;
    window.DestroyWindow();
  }
  AfxSetServices(sys.Services());
}

TEST_F(Ports, OpeningTheDropDownReadsTheListAgainAndKeepsTheChoiceByName) {
  sys.SetSerialPortValues({{"a", "COM3"}, {"b", "COM5"}});
  Start();
  sys.SelectCombo(IDC_PORT, 1);
  sys.SetSerialPortValues({{"c", "COM1"}, {"a", "COM3"}, {"b", "COM5"}});  // an adapter plugged in
  ASSERT_TRUE(sys.DropDown(IDC_PORT));
  EXPECT_EQ(Items(), (std::vector<std::string>{"COM1", "COM3", "COM5"}));
  EXPECT_EQ(Numbers(), (std::vector<int>{1, 3, 5}));
  EXPECT_EQ(Selected(), 2) << "COM5 stays chosen";

  sys.SetSerialPortValues({{"c", "COM1"}, {"a", "COM3"}});  // the chosen adapter went away
  ASSERT_TRUE(sys.DropDown(IDC_PORT));
  EXPECT_EQ(Items(), (std::vector<std::string>{"COM1", "COM3"}));
  EXPECT_EQ(Selected(), 0);

  sys.SelectCombo(IDC_PORT, 1);
  sys.RemoveSerialPortKey();  // the same rules as at start: a failure gives COM1 to COM20
  ASSERT_TRUE(sys.DropDown(IDC_PORT));
  const std::vector<std::string> items = Items();
  ASSERT_EQ(items.size(), 20u);
  EXPECT_EQ(items[19], "COM20");
  EXPECT_EQ(Selected(), 2) << "COM3";

  sys.SetSerialPortValues({});
  ASSERT_TRUE(sys.DropDown(IDC_PORT));
  EXPECT_TRUE(Items().empty());
  EXPECT_EQ(Selected(), -1);
  EXPECT_EQ(dlg->m_portCount, 0u);
}

TEST_F(Ports, WhileThePortIsOpenTheListStaysAsItWasListed) {
  Start();
  OpenPort();
  sys.SetSerialPortValues({{"x", "COM1"}, {"\\Device\\Serial2", "COM3"}});
  EXPECT_FALSE(sys.DropDown(IDC_PORT)) << "the list is disabled while the port is open";
  dlg->OnPortDropDown();
  EXPECT_EQ(Items(), std::vector<std::string>{"COM3"});
  EXPECT_EQ(Selected(), 0);
}

TEST_F(Ports, NoMoreItemsWhileEnumeratingGoesOnWithAnEmptyName) {
  // The key's default value has the empty name; the name buffer stays empty, so it is read.
  sys.SetSerialPortValues({{"a", "COM3"}, {"", "COM5"}});
  sys.FailEnumValue(1, ERROR_NO_MORE_ITEMS);
  Start();
  EXPECT_EQ(Items(), (std::vector<std::string>{"COM3", "COM5"}));
  EXPECT_EQ(Numbers(), (std::vector<int>{3, 5}));
}

TEST_F(Ports, NoSerialPortKeyGivesComOneToTwenty) {
  sys.RemoveSerialPortKey();
  Start();
  ExpectFallback();
}

TEST_F(Ports, AKeyWithoutValuesGivesAnEmptyListAndOpenAsksForARestart) {
  sys.SetSerialPortValues({});
  Start();
  EXPECT_TRUE(Items().empty());
  EXPECT_EQ(Selected(), -1);
  ASSERT_TRUE(sys.Click(IDC_OPEN_CLOSE));
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"No com,Pls restart！"});
  EXPECT_EQ(LastBox().caption, "warning");
}

TEST_F(Ports, TwentyOneNamesAreListedAndTheTwentyFirstCannotBeOpened) {
  std::vector<std::pair<std::string, std::string>> values;
  for (int n = 1; n <= 21; ++n) values.push_back({"v" + std::to_string(n), "COM" + std::to_string(n + 30)});
  sys.SetSerialPortValues(values);
  Start();
  EXPECT_EQ(Items().size(), 21u);
  EXPECT_EQ(dlg->m_portCount, 20u);
  sys.SelectCombo(IDC_PORT, 20);
  ASSERT_TRUE(sys.Click(IDC_OPEN_CLOSE));
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Serial number is too much,Pls restart！"});
  EXPECT_EQ(sys.Text(IDC_OPEN_CLOSE), "OPEN");
}

// Records every property access on the way to the real control.
class RecordingControl : public HostedControl {
 public:
  explicit RecordingControl(std::unique_ptr<HostedControl> inner) : m_inner(std::move(inner)) {}
  COleVariant Invoke(DISPID id, WORD flags, const COleVariant* arg) override {
    calls.push_back({id, (flags & DISPATCH_PROPERTYPUT) != 0, arg ? (arg->vt == VT_BSTR ? 0 : arg->intVal) : 0,
                     arg && arg->vt == VT_BSTR ? arg->strVal : ""});
    // A control that keeps reporting the port open, whatever it is told.
    if (reportOpen && id == commdisp::kPortOpen && !(flags & DISPATCH_PROPERTYPUT)) return COleVariant::Bool(true);
    if (reportOpen && id == commdisp::kInput) return {};
    return m_inner->Invoke(id, flags, arg);
  }
  struct Call {
    DISPID id;
    bool put;
    long value;
    std::string text;
  };
  std::vector<Call> calls;
  bool reportOpen = false;

 private:
  std::unique_ptr<HostedControl> m_inner;
};

class OpenClose : public ConsoleTest {
 protected:
  RecordingControl* Spy() {
    NativeWindow* comm = sys.Control(IDC_COMM);
    auto spy = std::make_unique<RecordingControl>(std::move(comm->hosted));
    RecordingControl* raw = spy.get();
    comm->hosted = std::move(spy);
    return raw;
  }
};

TEST_F(OpenClose, OpenPutsTheLineSettingsInOrderAndSwitchesTheControls) {
  Start();
  RecordingControl* spy = Spy();
  ASSERT_TRUE(sys.Click(IDC_OPEN_CLOSE));
  using namespace commdisp;
  std::vector<std::pair<DISPID, bool>> seen;
  for (const auto& c : spy->calls) seen.emplace_back(c.id, c.put);
  EXPECT_EQ(seen, (std::vector<std::pair<DISPID, bool>>{{kPortOpen, false}, {kCommPort, true}, {kInBufferSize, true},
                                                        {kOutBufferSize, true}, {kSettings, true}, {kInputMode, true},
                                                        {kRThreshold, true}, {kInputLen, true}, {kPortOpen, false},
                                                        {kPortOpen, true}, {kInput, false}}));
  EXPECT_EQ(spy->calls[1].value, 3);
  EXPECT_EQ(spy->calls[2].value, 1024);
  EXPECT_EQ(spy->calls[3].value, 1024);
  EXPECT_EQ(spy->calls[4].text, "9600,n,8,1");
  EXPECT_EQ(spy->calls[5].value, 1);
  EXPECT_EQ(spy->calls[6].value, 1);
  EXPECT_EQ(spy->calls[7].value, 0);
  EXPECT_EQ(sys.Text(IDC_OPEN_CLOSE), "CLOSE");
  EXPECT_FALSE(sys.Enabled(IDC_PORT));
  EXPECT_TRUE(sys.PortIsOpen(kDevicePort));
  EXPECT_TRUE(sys.Boxes().empty());

  ASSERT_TRUE(sys.Click(IDC_OPEN_CLOSE));
  EXPECT_EQ(sys.Text(IDC_OPEN_CLOSE), "OPEN");
  EXPECT_TRUE(sys.Enabled(IDC_PORT));
  EXPECT_FALSE(sys.PortIsOpen(kDevicePort));
}

TEST_F(OpenClose, AControlStillReportingOpenGivesCannotOpenWithTheExclamationIcon) {
  Start();
  Spy()->reportOpen = true;
  ASSERT_TRUE(sys.Click(IDC_OPEN_CLOSE));
  ASSERT_EQ(sys.Boxes().size(), 1u);
  EXPECT_EQ(LastBox().text, "cannot open serial port");
  EXPECT_EQ(LastBox().caption, "Dravik");
  EXPECT_EQ(LastBox().type & MB_ICONMASK, MB_ICONEXCLAMATION);
  EXPECT_EQ(sys.Text(IDC_OPEN_CLOSE), "OPEN");
}

TEST_F(OpenClose, RefusedOpeningsKeepOpenAndShowTheControlsDescription) {
  struct Case {
    const char* name;
    std::function<void(headless::HeadlessSystem&)> arrange;
    const char* want;
  } cases[] = {
      {"in use", [](auto& s) { s.SetPortInUse(3, true); }, "COM3 is in use by another program."},
      {"missing", [](auto& s) { s.SetSerialPortValues({{"a", "COM9"}}); }, "COM9 does not exist on this system."},
      {"not a number", [](auto& s) { s.SetSerialPortValues({{"a", "COMA"}}); },
       "Invalid port number 0: serial ports are numbered 1 to 255."},
      {"above 255", [](auto& s) { s.SetSerialPortValues({{"a", "COM300"}}); },
       "Invalid port number 0: serial ports are numbered 1 to 255."},
  };
  for (const auto& c : cases) {
    headless::HeadlessSystem fresh;
    AfxSetServices(fresh.Services());
    fresh.SetSerialPortValues({{"a", "COM3"}});
    fresh.AddPort(3, &line);
    c.arrange(fresh);
    CQuillonDlg window;
    ASSERT_TRUE(window.Create());
    ASSERT_TRUE(fresh.Click(IDC_OPEN_CLOSE));
    ASSERT_EQ(fresh.Boxes().size(), 1u) << c.name;
    EXPECT_EQ(fresh.Boxes()[0].text, c.want) << c.name;
    EXPECT_EQ(fresh.Boxes()[0].type & MB_ICONMASK, MB_ICONSTOP) << c.name;
    EXPECT_EQ(fresh.Text(IDC_OPEN_CLOSE), "OPEN") << c.name;
    EXPECT_TRUE(fresh.Enabled(IDC_PORT)) << c.name;
    window.DestroyWindow();
  }
  AfxSetServices(sys.Services());
}

TEST_F(OpenClose, CloseWhileARequestWaitsStillEndsInItsTimeOut) {
  Start();
  OpenPort();
  ASSERT_TRUE(sys.Click(IDC_SET_PASSWORD));
  ASSERT_TRUE(sys.Click(IDC_OPEN_CLOSE));
  EXPECT_FALSE(sys.PortIsOpen(kDevicePort));
  Wait(300);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Return timeout,Error!\n"});
}

}  // namespace
