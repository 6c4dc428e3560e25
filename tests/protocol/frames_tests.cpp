#include "protocol/frames.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

template <std::size_t N>
Bytes V(const std::array<std::uint8_t, N>& a) {
  return Bytes(a.begin(), a.end());
}

TEST(ConstantFrames, AreTheCatalogueBytes) {
  EXPECT_EQ(V(CMD_READ_PASSWORD), (Bytes{0xFF, 0x02, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(V(CMD_ZERO_SET), (Bytes{0xFF, 0xE0}));
  EXPECT_EQ(V(CMD_ZERO_RESET), (Bytes{0xFF, 0xE1}));
  EXPECT_EQ(V(CMD_READ_RECORDS), (Bytes{0xFF, 0xEF}));
  EXPECT_EQ(V(CMD_CLEAR_RECORDS), (Bytes{0xFF, 0xEE}));
}

TEST(BuildSetPasswordFrame, SendsSixDigitBytesMostSignificantFirst) {
  struct Case {
    std::int32_t password;
    Bytes want;
  } cases[] = {
      {0, {0xFF, 0x01, 0, 0, 0, 0, 0, 0}},
      {999999, {0xFF, 0x01, 9, 9, 9, 9, 9, 9}},
      {580917, {0xFF, 0x01, 5, 8, 0, 9, 1, 7}},
      {12345, {0xFF, 0x01, 0, 1, 2, 3, 4, 5}},
      {7, {0xFF, 0x01, 0, 0, 0, 0, 0, 7}},
  };
  for (const auto& c : cases) EXPECT_EQ(V(BuildSetPasswordFrame(c.password)), c.want) << c.password;
}

TEST(BuildSetClockFrame, EncodesEachValueAsBcdAndStoresTheBytes) {
  struct Case {
    int values[7];  // year % 100, month, day, hour, minute, second, weekday
    Bytes want;
  } cases[] = {
      {{19, 11, 25, 9, 5, 0, 1}, {0xFF, 0xFE, 0x19, 0x11, 0x25, 0x09, 0x05, 0x00, 0x01}},  // a Monday
      {{0, 1, 1, 0, 0, 0, 6}, {0xFF, 0xFE, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x06}},    // 2000, Saturday
      {{99, 12, 31, 23, 59, 59, 0}, {0xFF, 0xFE, 0x99, 0x12, 0x31, 0x23, 0x59, 0x59, 0x00}},
  };
  for (const auto& c : cases) {
    std::int32_t bcd[7] = {};
    const auto& v = c.values;
    EXPECT_EQ(V(BuildSetClockFrame(v[0], v[1], v[2], v[3], v[4], v[5], v[6], bcd)), c.want);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(bcd[i], c.want[static_cast<std::size_t>(i) + 2]) << i;
  }
}

TEST(BuildSetAlarmAngleFrame, ReadsTheTwoDigitsAsOneBcdByteForEveryAcceptedText) {
  for (char whole = '2'; whole <= '9'; ++whole) {
    for (char tenth = '0'; tenth <= '9'; ++tenth) {
      const char text[4] = {whole, '.', tenth, '\0'};
      const auto want = static_cast<std::uint8_t>((whole - '0') << 4 | (tenth - '0'));
      EXPECT_EQ(V(BuildSetAlarmAngleFrame(text)), (Bytes{0xFF, 0xFA, want})) << text;
    }
  }
}

}  // namespace
