#pragma once
// What the operator may enter for the password and the alarm angle, the same for the window's
// edit fields and the command-line program's arguments.

#include <cstdint>
#include <optional>
#include <string>

// Decimal digits only; an empty entry passes. Bytes are compared as signed values, so any byte
// of 0x80 or above (every multi-byte character, full-width digits included) fails.
bool PasswordCharactersValid(const std::string& text);

// The password an entry of exactly six characters stands for: its leading digits read as a
// decimal number, when that is 0 to 999999. Nothing for another length.
std::optional<std::int32_t> PasswordFromEntry(const std::string& text);

// The alarm angle an entry stands for, in degrees as single precision: exactly three
// characters, a digit from 2 to 9, a point and a digit (2.0 to 9.9). Nothing otherwise.
std::optional<float> AlarmAngleFromEntry(const std::string& text);
