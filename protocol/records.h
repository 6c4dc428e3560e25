#pragma once
// Alarm records: ten bytes and the 0xFF marker; decoded into the four texts of a list row.

#include <array>
#include <cstdint>
#include <functional>
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

// Finds the records of a received stream by their markers alone: for every 0xFF at index i,
// the ten bytes before it (zeros where the stream starts later) and the marker, handed to
// |onRecord| in stream order. Bytes after the last marker give nothing.
void ForEachRecord(const std::uint8_t* stream, int count, const std::function<void(const std::uint8_t* record)>& onRecord);

// The five texts of the list row numbered |number| for the 11 bytes at |record|: the number
// ("%d"), date, time, event and angle.
std::array<std::string, 5> RecordRowTexts(int number, const std::uint8_t* record);
