#pragma once
// Read-only registry functions over a RegistrySource: the backend's view of a key.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/afx_types.h"

struct RegistryValue {
  std::string name;
  std::vector<std::uint8_t> data;
};

class RegistrySource {
 public:
  virtual ~RegistrySource() = default;
  // Opens |path| under HKEY_LOCAL_MACHINE: ERROR_SUCCESS with the key's values, or an error.
  virtual LONG OpenKey(const std::string& path, std::vector<RegistryValue>* values) = 0;
  // Injectable failures of the later steps; ERROR_SUCCESS unless the source says otherwise.
  virtual LONG QueryInfoResult() { return ERROR_SUCCESS; }
  virtual LONG EnumValueResult(DWORD /*index*/) { return ERROR_SUCCESS; }
  virtual LONG QueryValueResult(const std::string& /*name*/) { return ERROR_SUCCESS; }
};

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result);
LONG RegCloseKey(HKEY key);
// The number of values and the length of the longest value name (without terminator).
LONG RegQueryInfoKeyA(HKEY key, DWORD* valueCount, DWORD* maxValueNameLength);
// The name of value |index| into |name| of |*nameLength| characters (in: buffer size,
// out: length without terminator).
LONG RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* nameLength);
// The data of value |name| into |data| of |*dataLength| bytes; ERROR_MORE_DATA when it
// does not fit.
LONG RegQueryValueExA(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* dataLength);
