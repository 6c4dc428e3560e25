#include "tests/support/console_fixture.h"

#include <cstdlib>
#include <ctime>

#include "tests/support/test_os.h"

#include "res/resource_ids.h"

namespace testsupport {

std::vector<headless::Transmission> DeviceOnLine::OnHostByte(std::uint8_t byte, std::int64_t nowUs) {
  std::vector<headless::Transmission> out;
  for (sim::Burst& b : m_model.Receive(byte, nowUs)) out.push_back({b.gapUs, std::move(b.bytes)});
  return out;
}

ScopedTimeZone::ScopedTimeZone(const char* tz) {
  const char* old = std::getenv("TZ");
  m_had = old != nullptr;
  if (old) m_old = old;
  m_applied = testos::UseTimeZone(tz);
}

ScopedTimeZone::~ScopedTimeZone() { testos::UseTimeZone(m_had ? m_old.c_str() : nullptr); }

ConsoleTest::ConsoleTest() {
  AfxSetResources(&res::Table());
  AfxSetServices(sys.Services());
  sys.SetSerialPortValues({{"\\Device\\Serial2", "COM3"}});
  sys.AddPort(kDevicePort, &line);
}

ConsoleTest::~ConsoleTest() {
  dlg.reset();
  AfxSetServices({});
}

void ConsoleTest::Start() {
  dlg = std::make_unique<CQuillonDlg>();
  ASSERT_TRUE(dlg->Create());
}

void ConsoleTest::OpenPort() {
  ASSERT_TRUE(sys.Click(IDC_OPEN_CLOSE));
  ASSERT_EQ(sys.Text(IDC_OPEN_CLOSE), "CLOSE");
  ASSERT_TRUE(sys.PortIsOpen(kDevicePort));
}

std::vector<std::string> ConsoleTest::BoxTexts() const {
  std::vector<std::string> texts;
  for (const auto& b : sys.Boxes()) texts.push_back(b.text);
  return texts;
}

const headless::BoxRecord& ConsoleTest::LastBox() const {
  static const headless::BoxRecord kNone{"<no box>", "", 0, 0, 0};
  return sys.Boxes().empty() ? kNone : sys.Boxes().back();
}

std::vector<std::uint8_t> ConsoleTest::LastWritten() {
  const auto& w = Written();
  return w.empty() ? std::vector<std::uint8_t>{} : w.back();
}

std::vector<std::string> ConsoleTest::Row(int index) const {
  const auto& rows = sys.Rows(IDC_RECORDS);
  if (index < 0 || index >= static_cast<int>(rows.size())) return {};
  return std::vector<std::string>(rows[static_cast<std::size_t>(index)].begin() + 1, rows[static_cast<std::size_t>(index)].end());
}

int ConsoleTest::RowCount() const { return static_cast<int>(sys.Rows(IDC_RECORDS).size()); }

HICON ConsoleTest::Lamp() const { return sys.Control(IDC_STATUS_LAMP)->icon; }

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<std::uint8_t> out;
  for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
  return out;
}

}  // namespace testsupport
