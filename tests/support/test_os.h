#pragma once
// What tests need from the operating system beyond the standard library; each system's
// implementation is in its own folder and chosen by the build.

#include <cstdint>
#include <memory>
#include <string>

namespace testos {

// Sets the C library's time zone by its zone name ("UTC", "Europe/Berlin"); nullptr unsets it.
// False when this system's C library cannot apply that zone's rules.
bool UseTimeZone(const char* zone);
int ProcessId();

// Holds |path| open as another program would, so that no one else may write it, until the
// returned object is destroyed; nullptr when it cannot.
std::unique_ptr<struct HeldFile> HoldFile(const std::string& path);
struct HeldFile {
  virtual ~HeldFile() = default;
};

// Whether a file's read-only permission stops this process from writing it.
bool ReadOnlyBindsThisProcess();

// Makes writes beyond |bytes| per file fail as a full disk does, until the returned object is
// destroyed; nullptr where the system offers no such limit.
std::unique_ptr<struct FileSizeLimit> LimitFileSize(std::uint64_t bytes);
struct FileSizeLimit {
  virtual ~FileSizeLimit() = default;
};

}  // namespace testos
