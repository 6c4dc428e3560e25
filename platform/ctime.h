#pragma once
// A point in time in seconds since 1970, shown in local time.

#include <cstdint>
#include <ctime>
#include <string>

class CTime {
 public:
  CTime() = default;
  explicit CTime(std::int64_t seconds) : m_time(seconds) {}
  // Builds a local date-time; dst -1 lets the run-time library decide daylight saving.
  // Refuses (CInvalidArgException) a year below 1900, a month outside 1-12, a day outside
  // 1-31, an hour above 23, a minute or second above 59, or a value mktime cannot convert.
  CTime(int year, int month, int day, int hour, int minute, int second, int dst = -1);

  static CTime GetCurrentTime();

  std::int64_t GetTime() const { return m_time; }
  // Fills |out| with the local time; false when the value cannot be converted.
  bool GetLocalTm(std::tm* out) const;
  int GetYear() const;
  int GetMonth() const;
  int GetDay() const;
  int GetHour() const;
  int GetMinute() const;
  int GetSecond() const;
  int GetDayOfWeek() const;  // 1 = Sunday ... 7 = Saturday
  // strftime of the local time; empty when formatting fails.
  std::string Format(const char* pattern) const;

  bool operator==(const CTime& other) const { return m_time == other.m_time; }

 private:
  std::int64_t m_time = 0;
};
