#pragma once
// The variant passed to and from the hosted control: empty, 16/32-bit integer, boolean,
// text, or a one-dimensional array of unsigned bytes with a lower bound.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/afx_types.h"

struct SafeByteArray {
  long lowerBound = 0;
  std::vector<std::uint8_t> data;
  long UpperBound() const { return lowerBound + static_cast<long>(data.size()) - 1; }
};

class COleVariant {
 public:
  COleVariant() = default;
  static COleVariant Short(short v);
  static COleVariant Long(long v);
  static COleVariant Bool(bool v);
  static COleVariant Text(std::string v);
  static COleVariant Bytes(const std::uint8_t* data, std::size_t n, long lowerBound = 0);

  VARTYPE vt = VT_EMPTY;
  long intVal = 0;  // VT_I2, VT_I4, VT_BOOL
  std::string strVal;
  SafeByteArray array;  // VT_ARRAY | VT_UI1

  bool IsByteArray() const { return vt == (VT_ARRAY | VT_UI1); }
  void Clear() { *this = COleVariant(); }
};
