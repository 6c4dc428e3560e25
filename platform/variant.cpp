#include "platform/variant.h"

COleVariant COleVariant::Short(short v) {
  COleVariant r;
  r.vt = VT_I2;
  r.intVal = v;
  return r;
}

COleVariant COleVariant::Long(long v) {
  COleVariant r;
  r.vt = VT_I4;
  r.intVal = v;
  return r;
}

COleVariant COleVariant::Bool(bool v) {
  COleVariant r;
  r.vt = VT_BOOL;
  r.intVal = v ? 1 : 0;
  return r;
}

COleVariant COleVariant::Text(std::string v) {
  COleVariant r;
  r.vt = VT_BSTR;
  r.strVal = std::move(v);
  return r;
}

COleVariant COleVariant::Bytes(const std::uint8_t* data, std::size_t n, long lowerBound) {
  COleVariant r;
  r.vt = VT_ARRAY | VT_UI1;
  r.array.lowerBound = lowerBound;
  r.array.data.assign(data, data + n);
  return r;
}
