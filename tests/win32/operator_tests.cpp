// The program file under test from the outside, as an operator uses it: korvex12.exe is
// started, its port list is read, the port is opened, the password set and the event log read,
// all through the window messages a mouse and keyboard would cause.
//
//   operator_tests KORVEX12_EXE COM_NAME SCREENSHOT_PNG

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/native.h"

namespace {

std::string g_exe, g_port, g_screenshot;

constexpr int kOpenClose = 1000, kPort = 1001, kPassword = 1002, kSetPassword = 1008, kRecords = 1010,
              kReadRecords = 1015;

std::string Text(HWND h) {
  wchar_t buf[512] = {};
  SendMessageTimeoutW(h, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000, nullptr);
  std::string out;
  for (const wchar_t* p = buf; *p; ++p) out.push_back(*p < 128 ? static_cast<char>(*p) : '?');
  return out;
}

bool WaitFor(const std::function<bool()>& done, int ms) {
  for (int waited = 0; waited < ms; waited += 20) {
    if (done()) return true;
    Sleep(20);
  }
  return done();
}

struct Find {
  DWORD pid;
  HWND exclude;
  const wchar_t* title;  // nullptr: a box (a dialog other than |exclude|)
  HWND found = nullptr;
};

BOOL CALLBACK FindWindowOf(HWND h, LPARAM arg) {
  auto* f = reinterpret_cast<Find*>(arg);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid != f->pid || !IsWindowVisible(h) || h == f->exclude) return TRUE;
  wchar_t cls[32] = {}, title[64] = {};
  GetClassNameW(h, cls, 32);
  GetWindowTextW(h, title, 64);
  if (std::wstring(cls) != L"#32770") return TRUE;
  if (f->title && std::wstring(title) != f->title) return TRUE;
  f->found = h;
  return FALSE;
}

BOOL CALLBACK Describe(HWND h, LPARAM arg) {
  auto* out = reinterpret_cast<std::string*>(arg);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  wchar_t cls[32] = {};
  GetClassNameW(h, cls, 32);
  std::string c;
  for (const wchar_t* p = cls; *p; ++p) c.push_back(static_cast<char>(*p));
  *out += " [pid " + std::to_string(pid) + " " + c + " \"" + Text(h) + "\"" + (IsWindowVisible(h) ? " visible" : "") + "]";
  return TRUE;
}

// The top-level windows, for a failure's message.
std::string Windows() {
  std::string out;
  EnumWindows(&Describe, reinterpret_cast<LPARAM>(&out));
  return out;
}

class Operator : public ::testing::Test {
 protected:
  void SetUp() override {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string command = "\"" + g_exe + "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_process))
        << "cannot start " << g_exe;
    WaitForInputIdle(m_process.hProcess, 10000);
    Find f{m_process.dwProcessId, nullptr, L"Korvex-12"};
    ASSERT_TRUE(WaitFor([&] { EnumWindows(&FindWindowOf, reinterpret_cast<LPARAM>(&f)); return f.found != nullptr; }, 30000))
        << "the main window of pid " << m_process.dwProcessId << " did not appear:" << Windows();
    m_main = f.found;
  }
  void TearDown() override {
    if (m_process.hProcess) {
      if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_process.hProcess, 1);
      CloseHandle(m_process.hProcess);
      CloseHandle(m_process.hThread);
    }
  }
  HWND Item(int id) const { return GetDlgItem(m_main, id); }
  void Click(int id) { SendMessageW(Item(id), BM_CLICK, 0, 0); }
  // The next message box of the program: its text, after which it is answered with OK.
  std::string AnswerBox(int ms) {
    Find f{m_process.dwProcessId, m_main, nullptr};
    if (!WaitFor([&] { f.found = nullptr; EnumWindows(&FindWindowOf, reinterpret_cast<LPARAM>(&f)); return f.found != nullptr; }, ms)) {
      return "(no box)";
    }
    HWND text = GetDlgItem(f.found, 0xFFFF);
    std::string shown = text ? Text(text) : Text(f.found);
    SendMessageW(GetDlgItem(f.found, IDOK), BM_CLICK, 0, 0);
    WaitFor([&] { return !IsWindow(f.found) || !IsWindowVisible(f.found); }, 3000);
    return shown;
  }

  PROCESS_INFORMATION m_process{};
  HWND m_main = nullptr;
};

TEST_F(Operator, OpensThePortSetsThePasswordAndReadsTheLog) {
  // The port list comes from the system's serial-port key.
  HWND combo = Item(kPort);
  const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  int index = -1;
  std::vector<std::string> listed;
  for (int i = 0; i < count; ++i) {
    wchar_t item[64] = {};
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
    std::string name;
    for (const wchar_t* p = item; *p; ++p) name.push_back(static_cast<char>(*p));
    listed.push_back(name);
    if (name == g_port) index = i;
  }
  ASSERT_GE(index, 0) << g_port << " is not in the port list (" << count << " entries)";
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(m_main, WM_COMMAND, MAKEWPARAM(kPort, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));

  Click(kOpenClose);
  ASSERT_TRUE(WaitFor([&] { return Text(Item(kOpenClose)) == "CLOSE"; }, 5000))
      << "the port did not open: " << AnswerBox(500);

  SendMessageW(Item(kPassword), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"123456"));
  Click(kSetPassword);
  EXPECT_EQ(AnswerBox(5000), "Success!\n");

  Click(kReadRecords);
  const std::string report = AnswerBox(15000);
  EXPECT_EQ(report, "Read Record Success!\n");
  HWND list = Item(kRecords);
  EXPECT_TRUE(WaitFor([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 50; }, 3000))
      << SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) << " rows";
  Sleep(300);  // let the list draw its rows
  EXPECT_TRUE(win32native::SaveWindowPicture(m_main, g_screenshot)) << g_screenshot;

  // The rows read have not been saved: closing asks first.
  PostMessageW(m_main, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(AnswerBox(5000), "The list holds 50 records that have not been saved. Close anyway?");
  ASSERT_EQ(WaitForSingleObject(m_process.hProcess, 10000), WAIT_OBJECT_0) << "the program did not end";
  DWORD code = 1;
  GetExitCodeProcess(m_process.hProcess, &code);
  EXPECT_EQ(code, 0u);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: operator_tests KORVEX12_EXE COM_NAME SCREENSHOT_PNG\n");
    return 2;
  }
  g_exe = argv[1];
  g_port = argv[2];
  g_screenshot = argv[3];
  return RUN_ALL_TESTS();
}
