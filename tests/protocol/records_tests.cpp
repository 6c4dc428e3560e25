#include "protocol/records.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

struct Record {
  std::uint8_t b[11];
};

TEST(DecodeRecord, DecodesDateTimeEventAndSignedAngle) {
  struct Case {
    const char* name;
    Record in;
    const char* date;
    const char* time;
    const char* event;
    const char* angle;
  } cases[] = {
      {"recover, negative", {{0x00, 0x19, 0x11, 0x25, 0x08, 0x30, 0x00, 0x03, 0x80, 0x15, 0xFF}}, "19/11/25", "08:30:00",
       "Angle_Recover", "-1.5"},
      {"all zero", {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF}}, "00/00/00", "00:00:00", "Break_Recover", "0.0"},
      {"sample", {{0x00, 0x17, 0x01, 0x16, 0x13, 0x24, 0x30, 0x02, 0x00, 0x72, 0xFF}}, "17/01/16", "13:24:30",
       "Angle_Alarm", "7.2"},
      {"negative zero", {{0, 0, 0, 0, 0, 0, 0, 4, 0x80, 0x00, 0xFF}}, "00/00/00", "00:00:00", "Hydraulic_On", "-0.0"},
      {"largest", {{0, 0, 0, 0, 0, 0, 0, 5, 0x79, 0x99, 0xFF}}, "00/00/00", "00:00:00", "Hydraulic_Off", "799.9"},
      {"largest negative", {{0, 0, 0, 0, 0, 0, 0, 6, 0xF9, 0x99, 0xFF}}, "00/00/00", "00:00:00", "Break_Alarm", "-799.9"},
      {"letter in date", {{0, 0x1A, 0x01, 0x02, 0, 0, 0, 7, 0, 0, 0xFF}}, "1A/01/02", "00:00:00", "Break_Recover", "0.0"},
      {"letter cuts the angle", {{0, 0, 0, 0, 0, 0, 0, 2, 0x01, 0x2A, 0xFF}}, "00/00/00", "00:00:00", "Angle_Alarm", "1.2"},
      {"leading letter", {{0, 0, 0, 0, 0, 0, 0, 2, 0x00, 0xA5, 0xFF}}, "00/00/00", "00:00:00", "Angle_Alarm", "0.0"},
  };
  for (const auto& c : cases) {
    const RecordTexts t = DecodeRecord(c.in.b);
    EXPECT_EQ(t.date, c.date) << c.name;
    EXPECT_EQ(t.time, c.time) << c.name;
    EXPECT_EQ(t.event, c.event) << c.name;
    EXPECT_EQ(t.angle, c.angle) << c.name;
  }
}

TEST(DecodeRecord, NamesEveryEventCode) {
  const char* known[] = {"Angle_Alarm", "Angle_Recover", "Hydraulic_On", "Hydraulic_Off", "Break_Alarm", "Break_Recover"};
  for (int code = 0; code < 256; ++code) {
    Record r{{0, 0, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(code), 0, 0, 0xFF}};
    const std::string want = code >= 2 && code <= 7 ? known[code - 2] : "Break_Recover";
    EXPECT_EQ(DecodeRecord(r.b).event, want) << code;
  }
}

TEST(DecodeRecord, PrintsEveryDateAndTimeByteAsTwoUppercaseHexDigits) {
  for (int v = 0; v < 256; ++v) {
    const auto b = static_cast<std::uint8_t>(v);
    Record r{{0, b, b, b, b, b, b, 2, 0, 0, 0xFF}};
    const std::string d = {"0123456789ABCDEF"[v >> 4], "0123456789ABCDEF"[v & 0xF]};
    const RecordTexts t = DecodeRecord(r.b);
    EXPECT_EQ(t.date, d + "/" + d + "/" + d);
    EXPECT_EQ(t.time, d + ":" + d + ":" + d);
  }
}

TEST(DecodeRecord, AngleIsTheBcdTenthsForEveryLowByte) {
  for (int high : {0x00, 0x12, 0x80, 0x93}) {
    for (int low = 0; low < 256; ++low) {
      Record r{{0, 0, 0, 0, 0, 0, 0, 2, static_cast<std::uint8_t>(high), static_cast<std::uint8_t>(low), 0xFF}};
      // Tenths: the BCD digits from the top, stopping at the first nibble above 9.
      const int nibbles[4] = {(high >> 4) & 0x7, high & 0xF, low >> 4, low & 0xF};
      int tenths = 0;
      bool started = false;
      for (int n : nibbles) {
        if (!started && n == 0) continue;
        started = true;
        if (n > 9) break;
        tenths = tenths * 10 + n;
      }
      char want[32];
      std::snprintf(want, sizeof want, "%s%d.%d", (high & 0x80) ? "-" : "", tenths / 10, tenths % 10);
      ASSERT_EQ(DecodeRecord(r.b).angle, want) << high << " " << low;
    }
  }
}

}  // namespace
