#include "platform/ctime.h"

#include <cstdio>

#include "platform/exceptions.h"
#include "platform/window_system.h"

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int dst) {
  const bool inRange = year >= 1900 && month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour >= 0 &&
                       hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
  std::time_t value = -1;
  if (inRange) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = dst;
    value = std::mktime(&t);
  }
  if (value == -1) {
    char text[160];
    std::snprintf(text, sizeof text, "The date and time %04d-%02d-%02d %02d:%02d:%02d cannot be represented.",
                  year, month, day, hour, minute, second);
    throw CInvalidArgException(text);
  }
  m_time = value;
}

CTime CTime::GetCurrentTime() {
  const PlatformServices& s = AfxGetServices();
  return CTime(s.windows ? s.windows->WallClockNow() : static_cast<std::int64_t>(std::time(nullptr)));
}

bool CTime::GetLocalTm(std::tm* out) const {
  const std::time_t t = static_cast<std::time_t>(m_time);
#ifdef _WIN32
  return localtime_s(out, &t) == 0;
#else
  return localtime_r(&t, out) != nullptr;
#endif
}

namespace {
template <typename F>
int Field(const CTime& time, F pick) {
  std::tm t{};
  return time.GetLocalTm(&t) ? pick(t) : 0;
}
}  // namespace

int CTime::GetYear() const { return Field(*this, [](const std::tm& t) { return t.tm_year + 1900; }); }
int CTime::GetMonth() const { return Field(*this, [](const std::tm& t) { return t.tm_mon + 1; }); }
int CTime::GetDay() const { return Field(*this, [](const std::tm& t) { return t.tm_mday; }); }
int CTime::GetHour() const { return Field(*this, [](const std::tm& t) { return t.tm_hour; }); }
int CTime::GetMinute() const { return Field(*this, [](const std::tm& t) { return t.tm_min; }); }
int CTime::GetSecond() const { return Field(*this, [](const std::tm& t) { return t.tm_sec; }); }
int CTime::GetDayOfWeek() const { return Field(*this, [](const std::tm& t) { return t.tm_wday + 1; }); }

std::string CTime::Format(const char* pattern) const {
  std::tm t{};
  if (!GetLocalTm(&t)) return {};
  char buffer[128];
  const std::size_t n = std::strftime(buffer, sizeof buffer, pattern, &t);
  return std::string(buffer, n);
}
