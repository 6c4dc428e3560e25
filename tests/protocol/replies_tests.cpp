#include "protocol/replies.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Kind = ReplyOutcome::Kind;
constexpr const char* kReturnError = "Return error, pls try again!\n";

// The 30-byte reply buffer holding |bytes|, and the count.
struct Reply {
  explicit Reply(std::vector<int> bytes) : count(static_cast<int>(bytes.size())) {
    for (std::size_t i = 0; i < bytes.size() && i < 30; ++i) buffer[i] = static_cast<std::uint8_t>(bytes[i]);
    if (count > 30) count = 30;
  }
  std::uint8_t buffer[30] = {};
  int count;
};

std::string HexAtLeastSix(unsigned v) {
  std::string s;
  do {
    s.insert(s.begin(), "0123456789abcdef"[v & 0xF]);
    v >>= 4;
  } while (v);
  while (s.size() < 6) s.insert(s.begin(), '0');
  return s;
}

TEST(JudgePasswordReply, FollowsTheMessageTable) {
  struct Case {
    const char* name;
    std::vector<int> reply;
    Kind kind;
    const char* text;
    const char* caption;
  } cases[] = {
      {"set ack matching", {0xFF, 0x01, 5, 8, 0, 9, 1, 7}, Kind::Message, "Success!\n", "information"},
      {"set ack last digit differs", {0xFF, 0x01, 5, 8, 0, 9, 1, 8}, Kind::Message, kReturnError, "information"},
      {"set ack digit above 9", {0xFF, 0x01, 5, 8, 0, 9, 1, 0x0A}, Kind::Message, kReturnError, "information"},
      {"nine bytes", {0xFF, 0x01, 5, 8, 0, 9, 1, 7, 0}, Kind::Message, kReturnError, "information"},
      {"seven bytes", {0xFF, 0x01, 5, 8, 0, 9, 1}, Kind::Message, kReturnError, "information"},
      {"first byte not FF", {0xFE, 0x01, 5, 8, 0, 9, 1, 7}, Kind::Message, kReturnError, "information"},
      {"setting error", {0xFF, 0xFF, 1, 2, 3, 4, 5, 6}, Kind::Message, "Setting error, pls try again!\n", "warning"},
      {"FF FF alone", {0xFF, 0xFF}, Kind::Message, kReturnError, "information"},
      {"unknown sub-code", {0xFF, 0x03, 1, 2, 3, 4, 5, 6}, Kind::Nothing, "", ""},
      {"read-back with leading zero", {0xFF, 0x02, 0, 1, 2, 3, 4, 5}, Kind::ReadBack, "012345", ""},
      {"read-back letters", {0xFF, 0x02, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F}, Kind::ReadBack, "abcdef", ""},
      {"read-back carry", {0xFF, 0x02, 0x10, 0, 0, 0, 0, 0}, Kind::ReadBack, "1000000", ""},
      {"thirty-one bytes", std::vector<int>(31, 0xFF), Kind::Message, kReturnError, "information"},
  };
  for (const auto& c : cases) {
    Reply r(c.reply);
    const ReplyOutcome got = JudgePasswordReply(r.buffer, r.count, 580917);
    EXPECT_EQ(got.kind, c.kind) << c.name;
    EXPECT_EQ(got.text, c.text) << c.name;
    EXPECT_EQ(got.caption, c.caption) << c.name;
  }
}

TEST(JudgePasswordReply, ReadBackPrintsEveryByteValueAtEveryPosition) {
  for (int position = 2; position < 8; ++position) {
    for (unsigned v = 0; v < 256; ++v) {
      std::vector<int> bytes = {0xFF, 0x02, 0, 0, 0, 0, 0, 0};
      bytes[static_cast<std::size_t>(position)] = static_cast<int>(v);
      Reply r(bytes);
      const unsigned value = v << (4 * (7 - position));
      const ReplyOutcome got = JudgePasswordReply(r.buffer, r.count, 0);
      ASSERT_EQ(got.kind, Kind::ReadBack);
      ASSERT_EQ(got.text, HexAtLeastSix(value)) << position << " " << v;
    }
  }
}

TEST(JudgePasswordReply, SetAckDigitTestComesBeforeTheComparison) {
  // Bytes that would add up to the password with a "digit" above 9 are still refused.
  Reply r({0xFF, 0x01, 0, 0, 0, 0, 1, 0x0A});
  EXPECT_EQ(JudgePasswordReply(r.buffer, r.count, 20).text, kReturnError);
}

TEST(JudgeClockReply, WantsSevenBytesEchoingYearMonthDay) {
  const std::int32_t sent[7] = {0x19, 0x11, 0x25, 0x09, 0x05, 0x00, 0x01};
  struct Case {
    std::vector<int> reply;
    const char* want;
  } cases[] = {
      {{0x19, 0x11, 0x25, 0x09, 0x05, 0x00, 0x01}, "OK!\n"},
      {{0x19, 0x11, 0x25, 0xAA, 0xBB, 0xCC, 0xDD}, "OK!\n"},  // bytes 3 to 6 not examined
      {{0x19, 0x11, 0x25}, "Fail!\n"},
      {{0x19, 0x11, 0x26, 0x09, 0x05, 0x00, 0x01}, "Fail!\n"},
      {{0x19, 0x11, 0x25, 0x09, 0x05, 0x00, 0x01, 0x00}, "Fail!\n"},
  };
  for (const auto& c : cases) {
    Reply r(c.reply);
    const ReplyOutcome got = JudgeClockReply(r.buffer, r.count, sent);
    EXPECT_EQ(got.kind, Kind::Message);
    EXPECT_EQ(got.text, c.want);
    EXPECT_EQ(got.caption, "information");
  }
}

TEST(JudgeAlarmAngleReply, AcceptsExactlyTheBcdByteOfTheStoredAngle) {
  // Every angle the console can store, against every first reply byte.
  for (int tenths = 20; tenths <= 99; ++tenths) {
    const float stored = static_cast<float>(tenths / 10.0);
    const int want = (tenths / 10) << 4 | (tenths % 10);
    for (int b = 0; b < 256; ++b) {
      Reply r({b, 0x55});
      const ReplyOutcome got = JudgeAlarmAngleReply(r.buffer, stored);
      ASSERT_EQ(got.text, b == want ? "Success!\n" : "Fail!\n") << tenths << " " << b;
      ASSERT_EQ(got.caption, "information");
    }
  }
}

}  // namespace
