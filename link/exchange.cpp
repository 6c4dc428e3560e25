// The exchange of one request and its reply: gathering received bytes, the quiet-gap and
// time-out timers, and handing completed replies on.

#include <algorithm>
#include <cstring>

#include "console/quillon_dlg.h"
#include "protocol/replies.h"

void CQuillonDlg::WriteFrame(const std::uint8_t* frame, std::size_t length) {
  // One put of Output per frame; the variant is released when it goes out of scope.
  const COleVariant bytes = COleVariant::Bytes(frame, length, 0);
  m_comm.SetOutput(bytes);
}

void CQuillonDlg::OnCommEvent() {
  if (m_comm.GetCommEvent() != kCommEventReceive) return;
  if (m_pending == ExchangeKind::Records) {
    SetTimer(TIMER_RECORDS_QUIET, kRecordsQuietMs, nullptr);
  } else {
    SetTimer(TIMER_QUIET, kQuietMs, nullptr);
  }
  m_rxSeen = 1;

  std::uint8_t staging[kStagingSize];
  int n = 0;
  const COleVariant input = m_comm.GetInput();
  if (input.IsByteArray()) {
    const long length = input.array.UpperBound() - input.array.lowerBound + 1;
    // A chunk longer than the staging area keeps its first bytes; nothing is written past it.
    n = static_cast<int>(std::clamp<long>(length, 0, kStagingSize));
    std::memcpy(staging, input.array.data.data(), static_cast<std::size_t>(n));
  }

  // The first 44000 bytes of a record stream are kept, the first 30 of a reply; the rest is dropped.
  if (m_pending == ExchangeKind::Records) {
    m_rxCount = AppendBounded(m_recordStream, kRecordStreamSize, m_rxCount, staging, n);
  } else {
    m_rxCount = AppendBounded(m_reply, kReplyBufferSize, m_rxCount, staging, n);
  }
}

void CQuillonDlg::OnTimer(UINT_PTR id) {
  switch (id) {
    case TIMER_QUIET:
      KillTimer(TIMER_QUIET);
      KillTimer(TIMER_READ_TIMEOUT);
      KillTimer(TIMER_SET_TIMEOUT);
      DispatchReply();
      m_rxCount = 0;
      m_rxSeen = 0;
      std::memset(m_reply, 0, sizeof m_reply);
      break;
    case TIMER_READ_TIMEOUT:
    case TIMER_SET_TIMEOUT:
      KillTimer(id);
      KillTimer(TIMER_QUIET);
      m_pending = ExchangeKind::None;
      // What was gathered belongs to the abandoned exchange; the next reply starts afresh.
      m_rxCount = 0;
      std::memset(m_reply, 0, sizeof m_reply);
      MessageBox("Return timeout,Error!\n", "warning", MB_OK);
      break;
    case TIMER_RECORDS_QUIET:
      KillTimer(TIMER_RECORDS_QUIET);
      CompleteRecordRead();
      break;
    default:
      break;
  }
  CDialog::OnTimer(id);
}

void CQuillonDlg::DispatchReply() {
  ReplyOutcome outcome;
  switch (m_pending) {
    case ExchangeKind::Password:
      outcome = JudgePasswordReply(m_reply, m_rxCount, m_password);
      break;
    case ExchangeKind::Clock:
      outcome = JudgeClockReply(m_reply, m_rxCount, m_clockBcd);
      break;
    case ExchangeKind::AlarmAngle:
      outcome = JudgeAlarmAngleReply(m_reply, m_alarmAngle);
      break;
    default:
      return;  // stray bytes, or a record read that has taken over: nothing to judge
  }
  if (outcome.kind == ReplyOutcome::Kind::Message) {
    MessageBox(outcome.text.c_str(), outcome.caption.c_str(), MB_OK);
  } else if (outcome.kind == ReplyOutcome::Kind::ReadBack) {
    m_editReadPassword.SetWindowText(outcome.text);
  }
  m_pending = ExchangeKind::None;
}

void CQuillonDlg::CompleteRecordRead() {
  if (m_rxSeen == 1) {
    ScanRecordStream(m_recordStream, m_rxCount);
    ReportRecordsRead();
    std::memset(m_recordStream, 0, static_cast<std::size_t>(std::clamp(m_rxCount, 0, kRecordStreamSize)));
  } else {
    ReportNoRecords();
  }
  m_rxCount = 0;
  m_rxSeen = 0;
  m_pending = ExchangeKind::None;
}

// The line went away under the open port (adapter unplugged, device gone). The operator is
// told at once; a record read cut short keeps the rows that arrived, so that they can still be
// saved, but is never reported as a success; the port is shown closed, ready to open again.
void CQuillonDlg::OnPortLost() {
  const std::string port = OpenPortName();
  // A record read is still gathering while its quiet timer is armed; once that has expired
  // the read is being reported and is left to finish.
  if (m_pending == ExchangeKind::Records && KillTimer(TIMER_RECORDS_QUIET)) {
    if (m_rxSeen == 1) ScanRecordStream(m_recordStream, m_rxCount);
    if (m_rowCount == 0) ClearRecordList();
    std::memset(m_recordStream, 0, static_cast<std::size_t>(std::clamp(m_rxCount, 0, kRecordStreamSize)));
    m_rxCount = 0;
    m_rxSeen = 0;
    m_pending = ExchangeKind::None;
    ShowPortClosed();
    ShowFail();
    const std::string text =
        port + " was disconnected during the read: " + std::to_string(m_rowCount) + " records received.";
    MessageBox(text.c_str(), "warning", MB_OK);
    ShowReady();
    return;
  }
  // A setting exchange cannot complete any more: it ends without its time-out.
  KillTimer(TIMER_QUIET);
  KillTimer(TIMER_READ_TIMEOUT);
  KillTimer(TIMER_SET_TIMEOUT);
  m_pending = ExchangeKind::None;
  m_rxCount = 0;
  m_rxSeen = 0;
  std::memset(m_reply, 0, sizeof m_reply);
  ShowPortClosed();
  const std::string text = port + " was disconnected.";
  MessageBox(text.c_str(), "warning", MB_OK);
}
