#include "protocol/bcd.h"

#include <cstdio>
#include <cstdlib>

std::uint8_t EncodeBcd(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return static_cast<std::uint8_t>(std::strtoul(text, nullptr, 16) & 0xFF);
}

unsigned DecodeBcd(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", value);
  return static_cast<unsigned>(std::strtoul(text, nullptr, 10));
}
