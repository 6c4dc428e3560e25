// The password edit's two checks and the alarm-angle check on arbitrary operator text.

#include <string>

#include "tests/support/headless_window.h"



extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto* w = new testsupport::HeadlessWindow();
  const std::string text(reinterpret_cast<const char*>(data), size);
  w->sys.ClearBoxes();
  w->sys.SetText(1002, text);
  w->sys.Focus(1011);  // leaves the password edit: the length check
  if (w->dlg.m_password < 0 || w->dlg.m_password > 999999) __builtin_trap();
  if (w->sys.Text(1002).size() != 6 && w->sys.Text(1002) != text) __builtin_trap();
  w->sys.SetText(1011, text);
  w->sys.Click(1012);  // the port is closed: an accepted angle ends in the error box
  if (w->dlg.m_alarmAngle < 2.0f || w->dlg.m_alarmAngle > 9.9f) __builtin_trap();
  w->dlg.m_pending = ExchangeKind::None;
  return 0;
}
