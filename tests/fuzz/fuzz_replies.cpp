// The three reply judgements over arbitrary reply buffers, counts and stored values.

#include <cstring>

#include "protocol/replies.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 6) return 0;
  std::uint8_t reply[30] = {};
  const int rxCount = data[0] % 32;
  std::int32_t password;
  std::memcpy(&password, data + 1, sizeof password);
  const float angle = static_cast<float>(data[5] % 100) / 10.0f;
  std::int32_t clockBcd[7] = {};
  std::memcpy(reply, data + 6, std::min<std::size_t>(size - 6, sizeof reply));
  for (int i = 0; i < 7; ++i) clockBcd[i] = reply[(i * 7) % 30];
  const ReplyOutcome p = JudgePasswordReply(reply, rxCount, password);
  const ReplyOutcome c = JudgeClockReply(reply, rxCount, clockBcd);
  const ReplyOutcome a = JudgeAlarmAngleReply(reply, angle);
  // A read-back text is the six (or more) hexadecimal digits of the bytes, nothing else.
  if (p.kind == ReplyOutcome::Kind::ReadBack && (p.text.size() < 6 || p.text.size() > 8)) __builtin_trap();
  if (c.kind != ReplyOutcome::Kind::Message || a.kind != ReplyOutcome::Kind::Message) __builtin_trap();
  return 0;
}
