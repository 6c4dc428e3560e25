#pragma once
// The angle alarm device as seen from its own side of the line: it parses request frames,
// keeps password, clock, alarm angle, zero offset and an event log, and answers as the
// device does. Time is given by the caller in microseconds, so it runs on virtual or real time.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace sim {

enum class Fault {
  None,
  Silent,        // answers nothing
  Late,          // answers after kLateUs
  Split,         // a gap of kSplitGapUs in the middle of every reply
  ExtraBytes,    // two extra bytes after every reply
  Garbled,       // the last byte of every reply inverted
  SettingError,  // settings are refused: FF FF for the password, a wrong echo otherwise
};

// Parses "none", "silent", "late", "split", "extra", "garbled", "setting-error".
bool ParseFault(const std::string& name, Fault* out);

// Bytes the device sends, starting |gapUs| after the previous burst ended (the first burst:
// after the request's last byte arrived).
struct Burst {
  std::int64_t gapUs = 0;
  std::vector<std::uint8_t> bytes;
};

struct LogRecord {
  std::uint8_t bytes[11];
};

// Event codes the device logs.
enum EventCode : std::uint8_t {
  kAngleAlarm = 2,
  kAngleRecover = 3,
  kHydraulicOn = 4,
  kHydraulicOff = 5,
  kBreakAlarm = 6,
  kBreakRecover = 7,
};

class DeviceModel {
 public:
  static constexpr int kMaxRecords = 4000;
  static constexpr std::int64_t kTurnaroundUs = 2000;
  static constexpr std::int64_t kLateUs = 300000;
  static constexpr std::int64_t kSplitGapUs = 30000;
  static constexpr std::int32_t kFactoryPassword = 580917;
  static constexpr int kFactoryAlarmTenths = 70;

  // |clockSeconds|: the device clock at time 0, as seconds since 2000-01-01 00:00:00.
  explicit DeviceModel(std::int64_t clockSeconds = 0);

  // One byte from the host at |nowUs|; returns the reply when it completes a request.
  std::vector<Burst> Receive(std::uint8_t byte, std::int64_t nowUs);

  void SetFault(Fault fault) { m_fault = fault; }
  Fault GetFault() const { return m_fault; }

  // The simulated sensor, in tenths of a degree before the zero offset.
  void SetSensorAngle(int tenths, std::int64_t nowUs);
  void SetHydraulic(bool on, std::int64_t nowUs);
  void SetBreakAlarm(bool on, std::int64_t nowUs);
  // Fills the log with |count| (up to 4000) records of changing events and angles.
  void PreloadLog(int count, std::int64_t nowUs);

  std::int32_t Password() const { return m_password; }
  int AlarmTenths() const { return m_alarmTenths; }
  int ZeroOffsetTenths() const { return m_zeroOffset; }
  int ShownAngleTenths() const { return m_sensor - m_zeroOffset; }
  const std::deque<LogRecord>& Log() const { return m_log; }
  // The device clock at |nowUs|, seconds since 2000-01-01.
  std::int64_t ClockAt(std::int64_t nowUs) const { return m_clockBase + (nowUs - m_clockSetUs) / 1000000; }
  int Weekday() const { return m_weekday; }
  int FramesReceived() const { return m_frames; }
  std::uint8_t LastCommand() const { return m_lastCommand; }
  // The bytes of the last complete request.
  const std::vector<std::uint8_t>& LastFrame() const { return m_lastFrame; }
  // All bytes of the log as the device sends them.
  std::vector<std::uint8_t> LogBytes() const;

 private:
  std::vector<Burst> Execute(std::int64_t nowUs);
  std::vector<Burst> Reply(std::vector<std::uint8_t> bytes) const;
  void Append(std::uint8_t event, std::int64_t nowUs);
  void CheckAlarm(std::int64_t nowUs);

  Fault m_fault = Fault::None;
  std::vector<std::uint8_t> m_frame;
  std::int32_t m_password = kFactoryPassword;
  int m_alarmTenths = kFactoryAlarmTenths;
  int m_zeroOffset = 0;
  int m_sensor = 0;
  bool m_inAlarm = false;
  std::int64_t m_clockBase;
  std::int64_t m_clockSetUs = 0;
  int m_weekday = 0;
  std::deque<LogRecord> m_log;
  int m_frames = 0;
  std::uint8_t m_lastCommand = 0;
  std::vector<std::uint8_t> m_lastFrame;
};

// Civil date and time of |seconds| since 2000-01-01 00:00:00.
struct Civil {
  int year, month, day, hour, minute, second;
};
Civil CivilFromSeconds(std::int64_t seconds);
std::int64_t SecondsFromCivil(const Civil& c);

}  // namespace sim
