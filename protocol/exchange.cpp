#include "protocol/exchange.h"

#include <algorithm>
#include <cstring>

int AppendBounded(std::uint8_t* buffer, int capacity, int count, const std::uint8_t* chunk, int n) {
  const int keep = std::clamp(capacity - count, 0, std::max(n, 0));
  if (keep > 0) std::memcpy(buffer + count, chunk, static_cast<std::size_t>(keep));
  return count + keep;
}
