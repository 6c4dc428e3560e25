#pragma once
// The request frames: first byte 0xFF, second byte the command, then the operand.

#include <array>
#include <cstdint>

inline constexpr std::array<std::uint8_t, 8> CMD_READ_PASSWORD = {0xFF, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
inline constexpr std::array<std::uint8_t, 2> CMD_ZERO_SET = {0xFF, 0xE0};
inline constexpr std::array<std::uint8_t, 2> CMD_ZERO_RESET = {0xFF, 0xE1};
inline constexpr std::array<std::uint8_t, 2> CMD_READ_RECORDS = {0xFF, 0xEF};
inline constexpr std::array<std::uint8_t, 2> CMD_CLEAR_RECORDS = {0xFF, 0xEE};

inline constexpr std::uint8_t kCmdSetPassword = 0x01;
inline constexpr std::uint8_t kCmdSetClock = 0xFE;
inline constexpr std::uint8_t kCmdSetAlarmAngle = 0xFA;

// FF 01 and the six decimal digits of |password| (0 to 999999) as byte values, most
// significant first.
std::array<std::uint8_t, 8> BuildSetPasswordFrame(std::int32_t password);

// FF FE YY MM DD hh mm ss WW. Takes the year modulo 100, month, day, hour, minute, second and
// weekday (0 = Sunday); stores their BCD bytes in |clockBcd| (seven entries, year first).
std::array<std::uint8_t, 9> BuildSetClockFrame(int year, int month, int day, int hour, int minute, int second,
                                               int weekday, std::int32_t* clockBcd);

// FF FA aa from an accepted angle text (digit, point, digit): the two digits read as
// hexadecimal, so 7.5 gives 0x75.
std::array<std::uint8_t, 3> BuildSetAlarmAngleFrame(const char* text);
