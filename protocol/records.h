#pragma once
// Alarm records: ten bytes and the 0xFF marker; decoded into the four texts of a list row.

#include <cstdint>
#include <string>

inline constexpr int kRecordSize = 11;
inline constexpr std::uint8_t kRecordMarker = 0xFF;

struct RecordTexts {
  std::string date;   // YY/MM/DD
  std::string time;   // hh:mm:ss
  std::string event;  // event name
  std::string angle;  // tenths of a degree with one decimal, signed
};

// The text shown for event code |code|.
const char* EventText(std::uint8_t code);

// Decodes the 11 bytes at |record|.
RecordTexts DecodeRecord(const std::uint8_t* record);
