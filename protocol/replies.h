#pragma once
// Judgements of the replies to the password, clock and alarm-angle requests.

#include <cstdint>
#include <string>

struct ReplyOutcome {
  enum class Kind { Message, ReadBack, Nothing };
  Kind kind = Kind::Nothing;
  std::string text;     // the message, or the read-back text
  std::string caption;  // the message's caption

  static ReplyOutcome Message(std::string text, std::string caption) {
    return {Kind::Message, std::move(text), std::move(caption)};
  }
  static ReplyOutcome ReadBack(std::string text) { return {Kind::ReadBack, std::move(text), {}}; }
  static ReplyOutcome Nothing() { return {}; }
};

// |reply| holds at least 30 bytes (the reply buffer); |rxCount| of them were received.
ReplyOutcome JudgePasswordReply(const std::uint8_t* reply, int rxCount, std::int32_t password);
// |clockBcd| holds the seven BCD entries last sent, year first.
ReplyOutcome JudgeClockReply(const std::uint8_t* reply, int rxCount, const std::int32_t* clockBcd);
ReplyOutcome JudgeAlarmAngleReply(const std::uint8_t* reply, float alarmAngle);
