#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "tests/support/test_os.h"

namespace testos {

// The C runtime reads only "NAME[+-]hh[DST]" with the United States' change dates, so only
// zones without daylight saving can be set here.
bool UseTimeZone(const char* zone) {
  if (!zone) {
    _putenv_s("TZ", "");
  } else if (std::string(zone) == "UTC") {
    _putenv_s("TZ", "UTC0");
  } else {
    return false;
  }
  _tzset();
  return true;
}

int ProcessId() { return static_cast<int>(GetCurrentProcessId()); }

namespace {
struct OpenHandle : HeldFile {
  explicit OpenHandle(HANDLE handle) : h(handle) {}
  ~OpenHandle() override { CloseHandle(h); }
  HANDLE h;
};
}  // namespace

std::unique_ptr<HeldFile> HoldFile(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<OpenHandle>(h);
}

// Asked of the system: under a compatibility layer run by a privileged user the attribute may
// not bind, while on Windows itself it does.
bool ReadOnlyBindsThisProcess() {
  wchar_t dir[MAX_PATH], path[MAX_PATH];
  if (!GetTempPathW(MAX_PATH, dir) || !GetTempFileNameW(dir, L"kro", 0, path)) return false;
  SetFileAttributesW(path, FILE_ATTRIBUTE_READONLY);
  HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  const bool binds = h == INVALID_HANDLE_VALUE;
  if (!binds) CloseHandle(h);
  SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path);
  return binds;
}

std::unique_ptr<FileSizeLimit> LimitFileSize(std::uint64_t) { return nullptr; }

std::unique_ptr<PermissionsBind> MakePermissionsBind() {
  return ReadOnlyBindsThisProcess() ? std::make_unique<PermissionsBind>() : nullptr;
}

unsigned FilePermissions(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a == INVALID_FILE_ATTRIBUTES ? 0 : static_cast<unsigned>(a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                                      FILE_ATTRIBUTE_READONLY));
}

bool SetFilePermissions(const std::string& path, unsigned permissions) {
  return SetFileAttributesA(path.c_str(), permissions ? permissions : FILE_ATTRIBUTE_NORMAL) != 0;
}

unsigned DistinctPermissions() { return FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM; }

}  // namespace testos
