#include "protocol/replies.h"

#include <cstdio>

#include "protocol/bcd.h"

namespace {
constexpr const char* kInformation = "information";
constexpr const char* kWarning = "warning";
constexpr const char* kReturnError = "Return error, pls try again!\n";
constexpr int kPasswordReplyLength = 8;
constexpr int kClockReplyLength = 7;
}  // namespace

ReplyOutcome JudgePasswordReply(const std::uint8_t* reply, int rxCount, std::int32_t password) {
  if (rxCount != kPasswordReplyLength || reply[0] != 0xFF) return ReplyOutcome::Message(kReturnError, kInformation);
  switch (reply[1]) {
    case 0x01: {
      std::int32_t value = 0;
      for (int i = 2; i < 8; ++i) {
        if (reply[i] > 9) return ReplyOutcome::Message(kReturnError, kInformation);
        value = value * 10 + reply[i];
      }
      return value == password ? ReplyOutcome::Message("Success!\n", kInformation)
                               : ReplyOutcome::Message(kReturnError, kInformation);
    }
    case 0x02: {
      unsigned value = 0;
      for (int i = 2; i < 8; ++i) value = value * 16 + reply[i];
      char text[16];
      // Lowercase hexadecimal, at least six digits (the 0 flag is ignored with a precision).
      std::snprintf(text, sizeof text, "%.6x", value);
      return ReplyOutcome::ReadBack(text);
    }
    case 0xFF:
      return ReplyOutcome::Message("Setting error, pls try again!\n", kWarning);
    default:
      return ReplyOutcome::Nothing();
  }
}

ReplyOutcome JudgeClockReply(const std::uint8_t* reply, int rxCount, const std::int32_t* clockBcd) {
  const bool echoed = rxCount == kClockReplyLength && reply[0] == clockBcd[0] && reply[1] == clockBcd[1] &&
                      reply[2] == clockBcd[2];
  return ReplyOutcome::Message(echoed ? "OK!\n" : "Fail!\n", kInformation);
}

ReplyOutcome JudgeAlarmAngleReply(const std::uint8_t* reply, float alarmAngle) {
  const unsigned tenthsRead = DecodeBcd(reply[0]);
  const float tenthsSent = static_cast<float>(static_cast<double>(alarmAngle) * 10.0);
  return ReplyOutcome::Message(tenthsSent == static_cast<float>(tenthsRead) ? "Success!\n" : "Fail!\n", kInformation);
}
