#include "protocol/frames.h"

#include <cstdlib>

#include "protocol/bcd.h"

std::array<std::uint8_t, 8> BuildSetPasswordFrame(std::int32_t password) {
  std::array<std::uint8_t, 8> frame = {0xFF, kCmdSetPassword};
  std::int32_t divisor = 100000;
  for (std::size_t i = 2; i < frame.size(); ++i) {
    frame[i] = static_cast<std::uint8_t>((password / divisor) % 10);
    divisor /= 10;
  }
  return frame;
}

std::array<std::uint8_t, 9> BuildSetClockFrame(int year, int month, int day, int hour, int minute, int second,
                                               int weekday, std::int32_t* clockBcd) {
  const int values[7] = {year, month, day, hour, minute, second, weekday};
  std::array<std::uint8_t, 9> frame = {0xFF, kCmdSetClock};
  for (int i = 0; i < 7; ++i) {
    clockBcd[i] = EncodeBcd(values[i]);
    frame[static_cast<std::size_t>(i) + 2] = static_cast<std::uint8_t>(clockBcd[i] & 0xFF);
  }
  return frame;
}

std::array<std::uint8_t, 3> BuildSetAlarmAngleFrame(const char* text) {
  const char digits[3] = {text[0], text[2], '\0'};
  return {0xFF, kCmdSetAlarmAngle, static_cast<std::uint8_t>(std::strtoul(digits, nullptr, 16) & 0xFF)};
}
