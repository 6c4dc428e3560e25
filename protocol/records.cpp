#include "protocol/records.h"

#include <cstdio>
#include <cstring>

#include "protocol/bcd.h"

const char* EventText(std::uint8_t code) {
  switch (code) {
    case 2: return "Angle_Alarm";
    case 3: return "Angle_Recover";
    case 4: return "Hydraulic_On";
    case 5: return "Hydraulic_Off";
    case 6: return "Break_Alarm";
    default: return "Break_Recover";  // 7 and every unknown code
  }
}

RecordTexts DecodeRecord(const std::uint8_t* record) {
  RecordTexts texts;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2X/%.2X/%.2X", record[1], record[2], record[3]);
  texts.date = buffer;
  std::snprintf(buffer, sizeof buffer, "%.2X:%.2X:%.2X", record[4], record[5], record[6]);
  texts.time = buffer;
  texts.event = EventText(record[7]);
  const unsigned raw = (record[8] & 0x7Fu) * 256u + record[9];
  const float degrees = static_cast<float>(DecodeBcd(raw) / 10.0);
  std::snprintf(buffer, sizeof buffer, (record[8] & 0x80) ? "-%0.1f" : "%0.1f", static_cast<double>(degrees));
  texts.angle = buffer;
  return texts;
}

void ForEachRecord(const std::uint8_t* stream, int count,
                   const std::function<void(const std::uint8_t* record)>& onRecord) {
  constexpr int kBody = kRecordSize - 1;
  std::uint8_t record[kRecordSize];
  for (int i = 0; i < count; ++i) {
    if (stream[i] != kRecordMarker) continue;
    const int missing = i < kBody ? kBody - i : 0;
    std::memset(record, 0, static_cast<std::size_t>(missing));
    std::memcpy(record + missing, stream + i - (kBody - missing), static_cast<std::size_t>(kBody - missing));
    record[kBody] = kRecordMarker;
    onRecord(record);
  }
}

std::array<std::string, 5> RecordRowTexts(int number, const std::uint8_t* record) {
  RecordTexts texts = DecodeRecord(record);
  char text[16];
  std::snprintf(text, sizeof text, "%d", number);
  return {text, std::move(texts.date), std::move(texts.time), std::move(texts.event), std::move(texts.angle)};
}
