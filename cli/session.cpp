#include "cli/session.h"

#include <algorithm>

#include "protocol/frames.h"
#include "protocol/records.h"

namespace cli {

namespace {
constexpr std::int64_t kUsPerMs = 1000;
constexpr std::int64_t kProgressEveryUs = 200 * kUsPerMs;
}  // namespace

DeviceSession::~DeviceSession() = default;

bool DeviceSession::Open(const std::string& port, std::string* error) {
  m_line = m_system.Open(port, this, &m_name, error);
  m_lost = false;
  return m_line != nullptr;
}

void DeviceSession::Wait(std::int64_t untilUs) {
  m_arrived = false;
  m_system.RunUntil(untilUs, [this] { return m_arrived || m_lost; });
}

void DeviceSession::OnLineData(const std::uint8_t* data, std::size_t n) {
  m_lastByteUs = m_system.NowUs();
  m_arrived = true;
  m_received += static_cast<int>(n);
  if (!m_into) return;
  const int before = m_count;
  m_count = AppendBounded(m_into, m_capacity, m_count, data, static_cast<int>(n));
  m_markers += static_cast<int>(std::count(m_into + before, m_into + m_count, kRecordMarker));
}

void DeviceSession::OnLineHangup() {
  m_lost = true;
  m_line.reset();  // the line allows this inside its callback
}

void DeviceSession::Gather(std::uint8_t* into, int capacity) {
  m_into = into;
  m_capacity = capacity;
  m_count = 0;
  m_received = 0;
  m_markers = 0;
  m_lastByteUs.reset();
}

DeviceSession::Reply DeviceSession::Request(const std::uint8_t* frame, std::size_t n, unsigned timeoutMs) {
  Reply reply;
  Gather(m_reply.data(), kReplyBufferSize);
  if (!m_line) {
    reply.end = End::Lost;
    return reply;
  }
  if (!m_line->Write(frame, n, &reply.error)) {
    reply.end = End::WriteFailed;
    return reply;
  }
  // As the window's timers: the time-out is armed once the frame is written, the quiet gap at
  // every arrival; when both fall due together the time-out, armed first, wins.
  const std::int64_t timeoutAt = m_system.NowUs() + timeoutMs * kUsPerMs;
  for (;;) {
    if (m_lost) {
      reply.end = End::Lost;
      break;
    }
    const bool quietFirst = m_lastByteUs && *m_lastByteUs + kQuietMs * kUsPerMs < timeoutAt;
    const std::int64_t next = quietFirst ? *m_lastByteUs + kQuietMs * kUsPerMs : timeoutAt;
    if (m_system.NowUs() >= next) {
      reply.end = quietFirst ? End::Complete : End::TimedOut;
      break;
    }
    Wait(next);
  }
  reply.bytes = m_reply;
  reply.count = m_count;
  m_into = nullptr;
  return reply;
}

bool DeviceSession::Send(const std::uint8_t* frame, std::size_t n, std::string* error) {
  if (!m_line) {
    *error = m_name + " was disconnected.";
    return false;
  }
  return m_line->Write(frame, n, error);
}

DeviceSession::Stream DeviceSession::ReadRecords(
    const std::function<void(int bytes, int records, std::int64_t elapsedUs)>& progress) {
  Stream stream;
  Gather(m_stream.data(), kRecordStreamSize);
  if (!m_line) {
    stream.end = End::Lost;
    return stream;
  }
  if (!m_line->Write(CMD_READ_RECORDS.data(), CMD_READ_RECORDS.size(), &stream.error)) {
    stream.end = End::WriteFailed;
    return stream;
  }
  // The stream ends when the line has been quiet for 500 ms, counted from the request when
  // nothing comes at all.
  const std::int64_t startUs = m_system.NowUs();
  std::int64_t nextProgressUs = startUs + kProgressEveryUs;
  for (;;) {
    if (m_lost) {
      stream.end = End::Lost;
      break;
    }
    const std::int64_t endUs = m_lastByteUs.value_or(startUs) + kRecordsQuietMs * kUsPerMs;
    const std::int64_t now = m_system.NowUs();
    if (now >= endUs) break;
    if (progress && now >= nextProgressUs) {
      progress(m_received, m_markers, now - startUs);
      nextProgressUs += kProgressEveryUs;
    }
    Wait(progress ? std::min(endUs, nextProgressUs) : endUs);
  }
  if (progress) progress(m_received, m_markers, m_system.NowUs() - startUs);
  stream.bytes.assign(m_stream.begin(), m_stream.begin() + m_count);
  stream.seen = m_lastByteUs.has_value();
  m_into = nullptr;
  return stream;
}

void DeviceSession::Drain(unsigned quietMs) {
  Gather(nullptr, 0);
  const std::int64_t startUs = m_system.NowUs();
  for (;;) {
    const std::int64_t endUs = m_lastByteUs.value_or(startUs) + quietMs * kUsPerMs;
    if (m_lost || m_system.NowUs() >= endUs) return;
    Wait(endUs);
  }
}

}  // namespace cli
