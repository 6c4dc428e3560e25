// The settings string parser: accepted strings always carry values the line can use.

#include <string>

#include "platform/serial_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LineSettings s;
  if (ParseLineSettings(std::string(reinterpret_cast<const char*>(data), size), &s)) {
    if (s.baud < 110 || s.dataBits < 4 || s.dataBits > 8 || (s.stopBits != 1 && s.stopBits != 2)) __builtin_trap();
  }
  return 0;
}
