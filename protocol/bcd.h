#pragma once
// BCD bytes: two decimal digits in the high and low nibble of one byte (59 is 0x59).

#include <cstdint>

// Prints |value| in decimal and reads that text back as hexadecimal; the low 8 bits.
// Meant for 0 to 99.
std::uint8_t EncodeBcd(int value);

// Prints |value| in lowercase hexadecimal and reads the leading decimal digits of that text
// as a decimal number: 0x75 gives 75, 0x7A gives 7, 0xA5 gives 0.
unsigned DecodeBcd(unsigned value);
