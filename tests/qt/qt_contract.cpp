// The window-system contract on the Qt backend: real widgets driven with QTest, real time,
// and a real serial line on a pseudo-terminal.

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <deque>

#include "platform/posix/ports.h"
#include "platform/qt/qt_window_system.h"
#include "tests/qt/qt_support.h"
#include "tests/platform/contract_suite.h"

namespace contract {
namespace {

// COM7 is the slave side of a pseudo-terminal whose master the driver writes to.
class PtyPorts : public SerialPortProvider {
 public:
  PtyPorts(std::string path, FdWatcher* watcher) : m_path(std::move(path)), m_watcher(watcher) {}
  std::unique_ptr<SerialLine> Open(int portNumber, const LineSettings& settings, SerialLineListener* listener,
                                   std::string* error) override {
    if (portNumber != 7) {
      *error = "COM" + std::to_string(portNumber) + " does not exist on this system.";
      return nullptr;
    }
    return posix::OpenSerialPath(m_path, "COM7", settings, listener, m_watcher, error);
  }

 private:
  std::string m_path;
  FdWatcher* m_watcher;
};

class QtDriver : public Driver {
 public:
  QtDriver() {
    char name[128] = {};
    if (::openpty(&m_master, &m_keepalive, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
    LineSettings raw;
    posix::ApplyRawSettings(m_keepalive, raw);
    m_ports = std::make_unique<PtyPorts>(name, &m_windows);
    m_windows.SetBoxAutomation([this](const qtbackend::BoxSeen&) {
      if (m_answers.empty()) return std::make_pair(IDOK, 0);
      auto a = m_answers.front();
      m_answers.pop_front();
      return a;
    });
    testsupport::ShowViewsWhenCreated(m_windows);
  }
  ~QtDriver() override {
    ::close(m_master);
    ::close(m_keepalive);
  }
  PlatformServices Services() override { return {&m_windows, m_ports.get(), nullptr}; }
  void Wait(double ms) override { qtbackend::QtWindowSystem::Wait(static_cast<int>(ms)); }
  bool Click(DialogWindow& dlg, int id) override {
    QWidget* w = m_windows.Widget(dlg.Find(id));
    const unsigned before = AfxClickSerial();
    QTest::mouseClick(w, Qt::LeftButton);
    QApplication::processEvents();
    return AfxClickSerial() != before;
  }
  bool PressReleasedInBox(DialogWindow& dlg, int id) override {
    QWidget* w = m_windows.Widget(dlg.Find(id));
    const unsigned before = AfxClickSerial();
    m_answers.emplace_front(IDOK, 300);
    QTimer::singleShot(100, w, [w] { QTest::mouseRelease(w, Qt::LeftButton); });
    QTest::mousePress(w, Qt::LeftButton);
    QApplication::processEvents();
    return AfxClickSerial() != before;
  }
  void Type(DialogWindow& dlg, int id, const std::string& text) override {
    QWidget* w = m_windows.Widget(dlg.Find(id));
    if (!w->isEnabled()) return;
    QTest::mouseClick(w, Qt::LeftButton);
    QTest::keyClicks(w, QString::fromStdString(text));
  }
  void PressKey(DialogWindow& dlg, user::Key key) override {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : m_windows.Widget(&dlg);
    QTest::keyClick(target, key == user::Key::Enter ? Qt::Key_Return : Qt::Key_Escape);
  }
  void AnswerNextBox(int button, double holdMs) override { m_answers.emplace_back(button, static_cast<int>(holdMs)); }
  int BoxCount() override { return static_cast<int>(m_windows.Boxes().size()); }
  std::string BoxText(int i) override { return m_windows.Boxes()[static_cast<std::size_t>(i)].text; }
  std::string BoxCaption(int i) override { return m_windows.Boxes()[static_cast<std::size_t>(i)].caption; }
  UINT BoxType(int i) override { return m_windows.Boxes()[static_cast<std::size_t>(i)].type; }
  bool SendSerialAfter(double ms, const std::vector<std::uint8_t>& bytes) override {
    const int fd = m_master;
    QTimer::singleShot(static_cast<int>(ms), [fd, bytes] { (void)!::write(fd, bytes.data(), bytes.size()); });
    return true;
  }
  int SerialPortNumber() override { return 7; }
  double TimeScale() override { return 3.0; }

 private:
  qtbackend::QtWindowSystem m_windows;
  std::unique_ptr<PtyPorts> m_ports;
  std::deque<std::pair<int, int>> m_answers;
  int m_master = -1;
  int m_keepalive = -1;
};

std::unique_ptr<Driver> MakeQtDriver() { return std::make_unique<QtDriver>(); }

}  // namespace

INSTANTIATE_TEST_SUITE_P(Qt, Contract, ::testing::Values(&MakeQtDriver), [](const auto&) { return std::string("qt"); });

}  // namespace contract
