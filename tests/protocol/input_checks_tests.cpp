// The operator's input rules and the bounded buffers, as the window and the command-line
// program share them.

#include <gtest/gtest.h>

#include "protocol/exchange.h"
#include "protocol/input_checks.h"

namespace {

TEST(InputChecks, PasswordEntries) {
  struct Case {
    const char* text;
    bool charactersValid;
    std::optional<std::int32_t> want;
  } cases[] = {
      {"580917", true, 580917}, {"000000", true, 0},      {"001234", true, 1234},      {"999999", true, 999999},
      {"", true, std::nullopt}, {"12345", true, std::nullopt}, {"1234567", true, std::nullopt},
      {"12a456", false, 12},    {" 12345", false, 12345},  {"１２３４５６", false, std::nullopt},
      {"-12345", false, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PasswordCharactersValid(c.text), c.charactersValid) << c.text;
    EXPECT_EQ(PasswordFromEntry(c.text), c.want) << c.text;
  }
}

TEST(InputChecks, AlarmAngleEntries) {
  struct Case {
    const char* text;
    std::optional<float> want;
  } cases[] = {{"2.0", 2.0f},  {"9.9", 9.9f},         {"7.5", 7.5f},         {"1.9", std::nullopt},
               {"10.0", std::nullopt}, {"7.50", std::nullopt}, {"7,5", std::nullopt}, {" 7.5", std::nullopt},
               {"5.x", std::nullopt},  {"a.5", std::nullopt},  {":.5", std::nullopt}, {"5./", std::nullopt},
               {"", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(AlarmAngleFromEntry(c.text), c.want) << c.text;
}

TEST(AppendBounded, KeepsTheFirstBytesUpToTheCapacity) {
  struct Case {
    int count;
    int n;
    int want;
  } cases[] = {{0, 8, 8}, {25, 5, 30}, {25, 8, 30}, {30, 4, 30}, {0, 0, 0}};
  for (const auto& c : cases) {
    std::uint8_t buffer[kReplyBufferSize] = {};
    const std::uint8_t chunk[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(AppendBounded(buffer, kReplyBufferSize, c.count, chunk, c.n), c.want) << c.count << "+" << c.n;
    if (c.count < kReplyBufferSize && c.n > 0) {
      EXPECT_EQ(buffer[c.count], 1);
    }
  }
}

}  // namespace
