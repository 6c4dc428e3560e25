// The operator's commands: password entry and its checks, password and clock settings, alarm
// angle, zero, and the record read and clear.

#include <cstdio>
#include <optional>

#include "console/quillon_dlg.h"
#include "protocol/frames.h"
#include "protocol/input_checks.h"
#include "res/resource_ids.h"

void CQuillonDlg::CheckPasswordDigits() {
  if (PasswordCharactersValid(GetDlgItemText(IDC_PASSWORD))) return;
  MessageBox("     Input error\r\nRange from 000000-999999\n", "warning", MB_OK);
  SetDlgItemText(IDC_PASSWORD, "");
  RestorePasswordText();
}

void CQuillonDlg::CheckPasswordLength() {
  const std::string text = GetDlgItemText(IDC_PASSWORD);
  if (text.size() != 6) {
    MessageBox("   Data length error\r\nPls enter 6 valid data\n", "warning", MB_OK);
    RestorePasswordText();
    if (CWnd* edit = GetDlgItem(IDC_PASSWORD)) edit->SetFocus();
    return;
  }
  if (const auto value = PasswordFromEntry(text)) m_password = *value;
}

void CQuillonDlg::SetPassword() {
  WriteFrame(BuildSetPasswordFrame(m_password));
  SetTimer(TIMER_SET_TIMEOUT, kSetTimeoutMs, nullptr);
  m_pending = ExchangeKind::Password;
}

void CQuillonDlg::ReadPassword() {
  WriteFrame(CMD_READ_PASSWORD);
  SetTimer(TIMER_READ_TIMEOUT, kReadTimeoutMs, nullptr);
  m_pending = ExchangeKind::Password;
}

void CQuillonDlg::SetClock() {
  UpdateData(TRUE);
  int year = 0, month = 0, day = 0, weekday = 0;
  int hour = -1, minute = -1, second = -1;
  std::tm date{};
  if (m_date.GetLocalTm(&date)) {
    year = date.tm_year + 1900;
    month = date.tm_mon + 1;
    day = date.tm_mday;
    weekday = date.tm_wday;
  }
  std::tm time{};
  if (m_time.GetLocalTm(&time)) {
    hour = time.tm_hour;
    minute = time.tm_min;
    second = time.tm_sec;
  }
  const CTime combined(year, month, day, hour, minute, second, -1);  // refuses by raising
  m_date = combined;
  m_time = combined;
  const auto frame = BuildSetClockFrame(year % 100, month, day, hour, minute, second, weekday, m_clockBcd);
  WriteFrame(frame);
  SetTimer(TIMER_SET_TIMEOUT, kSetTimeoutMs, nullptr);
  m_pending = ExchangeKind::Clock;
}

void CQuillonDlg::SetAlarmAngle() {
  const std::string text = m_editAlarmAngle.GetWindowText();
  const std::optional<float> angle = AlarmAngleFromEntry(text);
  if (!angle) {
    MessageBox("Pls input 2.0~9.9 for alarm angle!", "warning", MB_OK);
    char restored[32];
    std::snprintf(restored, sizeof restored, "%0.1f", static_cast<double>(m_alarmAngle));
    m_editAlarmAngle.SetWindowText(restored);
    m_editAlarmAngle.SetFocus();
    return;
  }
  m_alarmAngle = *angle;
  WriteFrame(BuildSetAlarmAngleFrame(text.c_str()));
  SetTimer(TIMER_SET_TIMEOUT, kSetTimeoutMs, nullptr);
  m_pending = ExchangeKind::AlarmAngle;
}

void CQuillonDlg::ZeroSet() { WriteFrame(CMD_ZERO_SET); }

void CQuillonDlg::ResetZero() { WriteFrame(CMD_ZERO_RESET); }

void CQuillonDlg::ClearRecords() {
  if (MessageBox("All records will be deleted!", "warning", MB_OKCANCEL) != IDOK) return;
  WriteFrame(CMD_CLEAR_RECORDS);
  MessageBox("Clear OK!");
}

void CQuillonDlg::ReadRecords() {
  m_listRecords.DeleteAllItems();
  m_rowCount = 0;
  m_pending = ExchangeKind::Records;
  WriteFrame(CMD_READ_RECORDS);
  // The record read takes over the line: a setting request's timers must not end it.
  KillTimer(TIMER_READ_TIMEOUT);
  KillTimer(TIMER_SET_TIMEOUT);
  KillTimer(TIMER_QUIET);
  ShowReading();
  m_rxSeen = 0;
  m_comm.GetInput();
  SetTimer(TIMER_RECORDS_QUIET, kRecordsQuietMs, nullptr);
  m_rxCount = 0;
}

void CQuillonDlg::ReportRecordsRead() {
  ShowReady();
  MessageBox("Read Record Success!\n", "information", MB_OK);
}

void CQuillonDlg::ReportNoRecords() {
  ClearRecordList();
  ShowFail();
  MessageBox("No event occurred!\n", "information", MB_OK);
  ShowReady();
}

void CQuillonDlg::LoadTestRecords() {
  m_listRecords.DeleteAllItems();
  m_rowCount = 0;
  FillSampleRecords();
  MessageBox("OK!");
}
