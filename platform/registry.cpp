#include "platform/registry.h"

#include <cstring>
#include <memory>

#include "platform/window_system.h"

struct RegistryKeyHandle {
  RegistrySource* source = nullptr;
  std::vector<RegistryValue> values;
};

namespace {
RegistryKeyHandle g_localMachine;
}  // namespace

const HKEY HKEY_LOCAL_MACHINE = &g_localMachine;

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD, REGSAM, HKEY* result) {
  *result = nullptr;
  RegistrySource* source = AfxGetServices().registry;
  if (key != HKEY_LOCAL_MACHINE || !source || !subKey) return ERROR_FILE_NOT_FOUND;
  auto opened = std::make_unique<RegistryKeyHandle>();
  opened->source = source;
  const LONG rc = source->OpenKey(subKey, &opened->values);
  if (rc != ERROR_SUCCESS) return rc;
  *result = opened.release();
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  if (key && key != HKEY_LOCAL_MACHINE) delete key;
  return ERROR_SUCCESS;
}

LONG RegQueryInfoKeyA(HKEY key, DWORD* valueCount, DWORD* maxValueNameLength) {
  if (!key || !key->source) return ERROR_FILE_NOT_FOUND;
  if (const LONG rc = key->source->QueryInfoResult(); rc != ERROR_SUCCESS) return rc;
  DWORD longest = 0;
  for (const auto& v : key->values) longest = std::max<DWORD>(longest, static_cast<DWORD>(v.name.size()));
  if (valueCount) *valueCount = static_cast<DWORD>(key->values.size());
  if (maxValueNameLength) *maxValueNameLength = longest;
  return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* nameLength) {
  if (!key || !key->source) return ERROR_FILE_NOT_FOUND;
  if (const LONG rc = key->source->EnumValueResult(index); rc != ERROR_SUCCESS) return rc;
  if (index >= key->values.size()) return ERROR_NO_MORE_ITEMS;
  const std::string& n = key->values[index].name;
  if (n.size() + 1 > *nameLength) return ERROR_MORE_DATA;
  std::memcpy(name, n.c_str(), n.size() + 1);
  *nameLength = static_cast<DWORD>(n.size());
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* dataLength) {
  if (!key || !key->source || !name) return ERROR_FILE_NOT_FOUND;
  if (const LONG rc = key->source->QueryValueResult(name); rc != ERROR_SUCCESS) return rc;
  for (const auto& v : key->values) {
    if (v.name != name) continue;
    if (type) *type = 1;  // text
    if (v.data.size() > *dataLength) {
      *dataLength = static_cast<DWORD>(v.data.size());
      return ERROR_MORE_DATA;
    }
    std::memcpy(data, v.data.data(), v.data.size());
    *dataLength = static_cast<DWORD>(v.data.size());
    return ERROR_SUCCESS;
  }
  return ERROR_FILE_NOT_FOUND;
}
