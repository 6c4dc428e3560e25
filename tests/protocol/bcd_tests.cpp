#include "protocol/bcd.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Lowercase hexadecimal digits of |v| without leading zeros, built nibble by nibble.
std::string Hex(unsigned v) {
  std::string s;
  do {
    s.insert(s.begin(), "0123456789abcdef"[v & 0xF]);
    v >>= 4;
  } while (v);
  return s;
}

unsigned LeadingDecimal(const std::string& s) {
  unsigned n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') break;
    n = n * 10 + static_cast<unsigned>(c - '0');
  }
  return n;
}

TEST(EncodeBcd, PutsTensAndUnitsInTheNibblesForZeroToNinetyNine) {
  for (int v = 0; v <= 99; ++v) {
    EXPECT_EQ(EncodeBcd(v), (v / 10) << 4 | (v % 10)) << v;
  }
}

TEST(EncodeBcd, KeepsOnlyTheLowByteOfLargerValues) {
  EXPECT_EQ(EncodeBcd(123), 0x23);
  EXPECT_EQ(EncodeBcd(2019), 0x19);
}

TEST(DecodeBcd, ReadsTheLeadingDecimalDigitsOfTheHexText) {
  struct Case {
    unsigned in;
    unsigned want;
  } cases[] = {{0x75, 75}, {0x05, 5}, {0x7A, 7}, {0xA5, 0}, {0x1A3, 1}, {0x0123, 123}, {0x7999, 7999}, {0, 0}};
  for (const auto& c : cases) EXPECT_EQ(DecodeBcd(c.in), c.want) << std::hex << c.in;
}

TEST(DecodeBcd, AgreesWithTheNibbleReadingForEveryByteAndFifteenBitValue) {
  for (unsigned v = 0; v < 0x8000; ++v) {
    ASSERT_EQ(DecodeBcd(v), LeadingDecimal(Hex(v))) << std::hex << v;
  }
}

}  // namespace
