#pragma once
// One device on one open line: requests and what comes back, gathered and timed as the
// window gathers and times them (the same quiet gaps, time-out and buffers).

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "cli/system.h"
#include "protocol/exchange.h"

namespace cli {

class DeviceSession : private SerialLineListener {
 public:
  explicit DeviceSession(System& system) : m_system(system) {}
  ~DeviceSession() override;

  // Opens |port|; false with the operator's message in |error|.
  bool Open(const std::string& port, std::string* error);
  // What reports call the port (also after a failed Open).
  const std::string& Name() const { return m_name; }

  enum class End { Complete, TimedOut, Lost, WriteFailed };
  struct Reply {
    End end = End::Complete;
    std::array<std::uint8_t, kReplyBufferSize> bytes{};  // the first 30 bytes
    int count = 0;
    std::string error;  // WriteFailed: the line's description
  };
  // Writes |frame| and gathers its reply until the line has been quiet for 20 ms; no complete
  // reply |timeoutMs| after the write is a time-out.
  Reply Request(const std::uint8_t* frame, std::size_t n, unsigned timeoutMs);

  // Writes a frame that expects no reply; false with the line's description in |error|.
  bool Send(const std::uint8_t* frame, std::size_t n, std::string* error);

  struct Stream {
    End end = End::Complete;  // Complete, Lost or WriteFailed
    std::string bytes;        // the first 44000 bytes
    bool seen = false;        // any byte arrived
    std::string error;
  };
  // Sends the record read and gathers the stream until the line has been quiet for 500 ms.
  // |progress| (may be empty) is told the bytes and records received about five times a second.
  Stream ReadRecords(const std::function<void(int bytes, int records, std::int64_t elapsedUs)>& progress);

  // Lets what is still on its way arrive and drops it, until the line is quiet for |quietMs|.
  void Drain(unsigned quietMs);

 private:
  void OnLineData(const std::uint8_t* data, std::size_t n) override;
  void OnLineHangup() override;
  void Gather(std::uint8_t* into, int capacity);
  // Runs the loop until |untilUs| or until a byte arrives or the line goes.
  void Wait(std::int64_t untilUs);

  System& m_system;
  std::unique_ptr<SerialLine> m_line;
  std::string m_name;
  bool m_lost = false;
  bool m_arrived = false;
  // What the current exchange gathers into.
  std::uint8_t* m_into = nullptr;
  int m_capacity = 0;
  int m_count = 0;
  int m_received = 0;
  int m_markers = 0;
  std::optional<std::int64_t> m_lastByteUs;
  std::array<std::uint8_t, kReplyBufferSize> m_reply{};
  std::array<std::uint8_t, kRecordStreamSize> m_stream{};
};

}  // namespace cli
