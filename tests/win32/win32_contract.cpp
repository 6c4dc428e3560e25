// The window-system contract on the Win32 backend: real dialogs and controls driven with the
// messages a mouse and keyboard cause, real timers and boxes, and a serial line over a pipe.

#include <deque>

#include "platform/win32/native.h"
#include "platform/win32/ports.h"
#include "platform/win32/win32_window_system.h"
#include "tests/platform/contract_suite.h"

namespace contract {
namespace {

// COM7 is one end of a pipe whose other end the driver writes to.
class LoopbackPorts : public SerialPortProvider {
 public:
  std::unique_ptr<SerialLine> Open(int portNumber, const LineSettings&, SerialLineListener* listener,
                                   std::string* error) override {
    if (portNumber != 7) {
      *error = "COM" + std::to_string(portNumber) + " does not exist on this system.";
      return nullptr;
    }
    return win32backend::MakeStreamLine(
        [this](win32native::StreamCallbacks callbacks, std::string* e) {
          return win32native::OpenLoopback(std::move(callbacks), &peer, e);
        },
        listener, error);
  }
  std::unique_ptr<win32native::ByteStream> peer;
};

class Win32Driver : public Driver {
 public:
  Win32Driver() {
    m_windows.ShowViewsWhenCreated(true);
    m_windows.SetBoxAutomation([this](const win32backend::BoxSeen&) {
      if (m_answers.empty()) return std::make_pair(IDOK, 0);
      auto a = m_answers.front();
      m_answers.pop_front();
      return a;
    });
  }
  ~Win32Driver() override {
    for (std::uintptr_t key : m_sends) win32native::StopTimer(key);
  }
  PlatformServices Services() override { return {&m_windows, &m_ports, nullptr}; }
  void Wait(double ms) override { win32backend::Win32WindowSystem::Wait(static_cast<int>(ms)); }
  bool Click(DialogWindow& dlg, int id) override {
    const unsigned before = AfxClickSerial();
    win32native::ClickButton(dlg.Find(id)->view);
    win32native::PumpFor(0);
    return AfxClickSerial() != before;
  }
  bool PressReleasedInBox(DialogWindow& dlg, int id) override {
    void* button = dlg.Find(id)->view;
    const unsigned before = AfxClickSerial();
    m_answers.emplace_front(IDOK, 300);
    const std::uintptr_t key = kSendTimers + m_sends.size();
    m_sends.push_back(key);
    win32native::StartTimer(key, 100, [key, button] {
      win32native::StopTimer(key);
      win32native::ReleaseMouse(button);
    });
    win32native::PressMouse(button);
    win32native::PumpFor(0);
    return AfxClickSerial() != before;
  }
  void Type(DialogWindow& dlg, int id, const std::string& text) override {
    win32native::TypeInto(dlg.Find(id)->view, text);
    win32native::PumpFor(0);
  }
  void PressKey(DialogWindow& dlg, user::Key key) override {
    win32native::PressKeyInFocus(key == user::Key::Enter, m_windows.View(dlg)->Handle());
  }
  void AnswerNextBox(int button, double holdMs) override { m_answers.emplace_back(button, static_cast<int>(holdMs)); }
  int BoxCount() override { return static_cast<int>(m_windows.Boxes().size()); }
  std::string BoxText(int i) override { return m_windows.Boxes()[static_cast<std::size_t>(i)].text; }
  std::string BoxCaption(int i) override { return m_windows.Boxes()[static_cast<std::size_t>(i)].caption; }
  UINT BoxType(int i) override { return m_windows.Boxes()[static_cast<std::size_t>(i)].type; }
  bool SendSerialAfter(double ms, const std::vector<std::uint8_t>& bytes) override {
    const std::uintptr_t key = kSendTimers + m_sends.size();
    m_sends.push_back(key);
    win32native::StartTimer(key, static_cast<unsigned>(ms), [this, key, bytes] {
      win32native::StopTimer(key);
      std::string error;
      if (m_ports.peer) m_ports.peer->Write(bytes.data(), bytes.size(), &error);
    });
    return true;
  }
  int SerialPortNumber() override { return 7; }
  double TimeScale() override { return 3.0; }

 private:
  static constexpr std::uintptr_t kSendTimers = 0x70000000;  // clear of the window system's keys
  win32backend::Win32WindowSystem m_windows;
  LoopbackPorts m_ports;
  std::deque<std::pair<int, int>> m_answers;
  std::vector<std::uintptr_t> m_sends;
};

std::unique_ptr<Driver> MakeWin32Driver() { return std::make_unique<Win32Driver>(); }

}  // namespace

INSTANTIATE_TEST_SUITE_P(Win32, Contract, ::testing::Values(&MakeWin32Driver),
                         [](const auto&) { return std::string("win32"); });

}  // namespace contract
