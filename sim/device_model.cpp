#include "sim/device_model.h"

#include <algorithm>
#include <cstdlib>

namespace sim {

namespace {

std::uint8_t ToBcd(int value) { return static_cast<std::uint8_t>(((value / 10) % 10) << 4 | (value % 10)); }

// -1 when a nibble is not a decimal digit.
int FromBcd(std::uint8_t b) {
  const int hi = b >> 4;
  const int lo = b & 0x0F;
  return hi > 9 || lo > 9 ? -1 : hi * 10 + lo;
}

// Request lengths by command byte; 0 for an unknown command.
std::size_t FrameLength(std::uint8_t command) {
  switch (command) {
    case 0x01: case 0x02: return 8;
    case 0xFE: return 9;
    case 0xFA: return 3;
    case 0xE0: case 0xE1: case 0xEE: case 0xEF: return 2;
    default: return 0;
  }
}

std::int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - static_cast<int>(era * 400);
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;  // days since 1970-01-01
}

constexpr std::int64_t kDays2000 = 10957;  // 2000-01-01 in days since 1970

}  // namespace

bool ParseFault(const std::string& name, Fault* out) {
  static const std::pair<const char*, Fault> kNames[] = {
      {"none", Fault::None},       {"silent", Fault::Silent},   {"late", Fault::Late},
      {"split", Fault::Split},     {"extra", Fault::ExtraBytes}, {"garbled", Fault::Garbled},
      {"setting-error", Fault::SettingError}};
  for (const auto& [n, f] : kNames) {
    if (name == n) {
      *out = f;
      return true;
    }
  }
  return false;
}

Civil CivilFromSeconds(std::int64_t seconds) {
  std::int64_t days = seconds / 86400 + kDays2000;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int doe = static_cast<int>(z - era * 146097);
  const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int mp = (5 * doy + 2) / 153;
  const int d = doy - (153 * mp + 2) / 5 + 1;
  const int m = mp + (mp < 10 ? 3 : -9);
  const int y = static_cast<int>(yoe + era * 400) + (m <= 2);
  return {y, m, d, static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60)};
}

std::int64_t SecondsFromCivil(const Civil& c) {
  return (DaysFromCivil(c.year, c.month, c.day) - kDays2000) * 86400 + c.hour * 3600 + c.minute * 60 + c.second;
}

DeviceModel::DeviceModel(std::int64_t clockSeconds) : m_clockBase(clockSeconds) {}

std::vector<Burst> DeviceModel::Receive(std::uint8_t byte, std::int64_t nowUs) {
  if (m_frame.empty() && byte != 0xFF) return {};  // wait for a frame start
  m_frame.push_back(byte);
  if (m_frame.size() < 2) return {};
  const std::size_t length = FrameLength(m_frame[1]);
  if (length == 0) {
    // Unknown command: resynchronise; a second 0xFF may start the next frame.
    const bool restart = m_frame[1] == 0xFF;
    m_frame.clear();
    if (restart) m_frame.push_back(0xFF);
    return {};
  }
  if (m_frame.size() < length) return {};
  std::vector<Burst> reply = Execute(nowUs);
  m_frame.clear();
  return reply;
}

std::vector<Burst> DeviceModel::Execute(std::int64_t nowUs) {
  ++m_frames;
  m_lastCommand = m_frame[1];
  m_lastFrame = m_frame;
  const bool refuse = m_fault == Fault::SettingError;
  switch (m_frame[1]) {
    case 0x01: {  // set password: six digit bytes
      bool digits = true;
      std::int32_t value = 0;
      for (std::size_t i = 2; i < 8; ++i) {
        digits = digits && m_frame[i] <= 9;
        value = value * 10 + m_frame[i];
      }
      std::vector<std::uint8_t> reply(m_frame.begin(), m_frame.end());
      if (refuse || !digits) {
        reply[1] = 0xFF;
      } else {
        m_password = value;
      }
      return Reply(std::move(reply));
    }
    case 0x02: {  // read password
      std::vector<std::uint8_t> reply = {0xFF, 0x02};
      for (std::int32_t divisor = 100000; divisor > 0; divisor /= 10) {
        reply.push_back(static_cast<std::uint8_t>(m_password / divisor % 10));
      }
      return Reply(std::move(reply));
    }
    case 0xFE: {  // set clock: YY MM DD hh mm ss WW
      int v[7];
      bool valid = true;
      for (int i = 0; i < 7; ++i) {
        v[i] = FromBcd(m_frame[static_cast<std::size_t>(i) + 2]);
        valid = valid && v[i] >= 0;
      }
      valid = valid && v[1] >= 1 && v[1] <= 12 && v[2] >= 1 && v[2] <= 31 && v[3] <= 23 && v[4] <= 59 &&
              v[5] <= 59 && v[6] <= 6;
      std::vector<std::uint8_t> reply(m_frame.begin() + 2, m_frame.end());
      if (refuse || !valid) {
        reply.assign(7, 0x00);
      } else {
        m_clockBase = SecondsFromCivil({2000 + v[0], v[1], v[2], v[3], v[4], v[5]});
        m_clockSetUs = nowUs;
        m_weekday = v[6];
      }
      return Reply(std::move(reply));
    }
    case 0xFA: {  // set alarm angle: tenths as BCD, 2.0 to 9.9
      const int tenths = FromBcd(m_frame[2]);
      if (refuse || tenths < 20) return Reply({0x00});
      m_alarmTenths = tenths;
      CheckAlarm(nowUs);
      return Reply({m_frame[2]});
    }
    case 0xE0:  // zero set: the present angle becomes zero
      m_zeroOffset = m_sensor;
      CheckAlarm(nowUs);
      return {};
    case 0xE1:  // reset zero
      m_zeroOffset = 0;
      CheckAlarm(nowUs);
      return {};
    case 0xEE:  // clear records
      m_log.clear();
      return {};
    case 0xEF:  // read records: the whole log back to back, nothing when it is empty
      if (m_log.empty()) return {};
      return Reply(LogBytes());
    default:
      return {};
  }
}

std::vector<Burst> DeviceModel::Reply(std::vector<std::uint8_t> bytes) const {
  switch (m_fault) {
    case Fault::Silent:
      return {};
    case Fault::Late:
      return {Burst{kLateUs, std::move(bytes)}};
    case Fault::Split: {
      if (bytes.size() < 2) return {Burst{kTurnaroundUs, std::move(bytes)}};
      const auto middle = bytes.begin() + static_cast<long>(bytes.size() / 2);
      return {Burst{kTurnaroundUs, std::vector<std::uint8_t>(bytes.begin(), middle)},
              Burst{kSplitGapUs, std::vector<std::uint8_t>(middle, bytes.end())}};
    }
    case Fault::ExtraBytes:
      bytes.push_back(0x00);
      bytes.push_back(0x00);
      break;
    case Fault::Garbled:
      bytes.back() = static_cast<std::uint8_t>(~bytes.back());
      break;
    default:
      break;
  }
  return {Burst{kTurnaroundUs, std::move(bytes)}};
}

void DeviceModel::Append(std::uint8_t event, std::int64_t nowUs) {
  const Civil c = CivilFromSeconds(ClockAt(nowUs));
  const int angle = ShownAngleTenths();
  const int magnitude = std::min(std::abs(angle), 7999);
  LogRecord r{};
  r.bytes[0] = 0x00;
  r.bytes[1] = ToBcd(c.year % 100);
  r.bytes[2] = ToBcd(c.month);
  r.bytes[3] = ToBcd(c.day);
  r.bytes[4] = ToBcd(c.hour);
  r.bytes[5] = ToBcd(c.minute);
  r.bytes[6] = ToBcd(c.second);
  r.bytes[7] = event;
  r.bytes[8] = static_cast<std::uint8_t>((angle < 0 ? 0x80 : 0x00) | ToBcd(magnitude / 100));
  r.bytes[9] = ToBcd(magnitude % 100);
  r.bytes[10] = 0xFF;
  if (m_log.size() == kMaxRecords) m_log.pop_front();  // the oldest record makes room
  m_log.push_back(r);
}

void DeviceModel::CheckAlarm(std::int64_t nowUs) {
  const bool alarm = std::abs(ShownAngleTenths()) >= m_alarmTenths;
  if (alarm == m_inAlarm) return;
  m_inAlarm = alarm;
  Append(alarm ? kAngleAlarm : kAngleRecover, nowUs);
}

void DeviceModel::SetSensorAngle(int tenths, std::int64_t nowUs) {
  m_sensor = std::clamp(tenths, -7999, 7999);
  CheckAlarm(nowUs);
}

void DeviceModel::SetHydraulic(bool on, std::int64_t nowUs) { Append(on ? kHydraulicOn : kHydraulicOff, nowUs); }

void DeviceModel::SetBreakAlarm(bool on, std::int64_t nowUs) { Append(on ? kBreakAlarm : kBreakRecover, nowUs); }

void DeviceModel::PreloadLog(int count, std::int64_t nowUs) {
  static constexpr std::uint8_t kCycle[] = {kHydraulicOn, kAngleAlarm, kAngleRecover, kBreakAlarm, kBreakRecover,
                                            kHydraulicOff};
  count = std::clamp(count, 0, kMaxRecords);
  const int sensor = m_sensor;
  for (int i = 0; i < count; ++i) {
    // Angles sweep from -9.9 to 79.9 degrees so that every sign and digit shows up.
    m_sensor = m_zeroOffset + (i * 37) % 900 - 99;
    Append(kCycle[i % 6], nowUs - static_cast<std::int64_t>(count - i) * 60'000'000);
  }
  m_sensor = sensor;
}

std::vector<std::uint8_t> DeviceModel::LogBytes() const {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(m_log.size() * 11);
  for (const LogRecord& r : m_log) bytes.insert(bytes.end(), r.bytes, r.bytes + 11);
  return bytes;
}

}  // namespace sim
