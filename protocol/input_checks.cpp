#include "protocol/input_checks.h"

#include <cstdlib>

bool PasswordCharactersValid(const std::string& text) {
  for (char c : text) {
    const auto s = static_cast<signed char>(c);
    if (s < '0' || s > '9') return false;
  }
  return true;
}

std::optional<std::int32_t> PasswordFromEntry(const std::string& text) {
  if (text.size() != 6) return std::nullopt;
  const int value = std::atoi(text.c_str());
  // A negative result counts as too large.
  if (static_cast<unsigned>(value) > 999999u) return std::nullopt;
  return value;
}

std::optional<float> AlarmAngleFromEntry(const std::string& text) {
  // Each test looks at one side only (a signed comparison), as the original check does; every
  // text that passes without being digit, point, digit yields a quotient below 2.0.
  if (text.size() != 3 || text[1] != '.' || static_cast<signed char>(text[0]) < '0' ||
      static_cast<signed char>(text[2]) > '9') {
    return std::nullopt;
  }
  const char digits[3] = {text[0], text[2], '\0'};
  const float angle = static_cast<float>(static_cast<double>(std::strtoul(digits, nullptr, 10)) / 10.0);
  if (angle < 2.0f || static_cast<double>(angle) > 9.9) return std::nullopt;
  return angle;
}
