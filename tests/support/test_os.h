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

// Lets file permissions bind this process until the returned object is destroyed: a
// privileged process acts as an unprivileged user meanwhile. nullptr where that cannot be.
std::unique_ptr<struct PermissionsBind> MakePermissionsBind();
struct PermissionsBind {
  virtual ~PermissionsBind() = default;
};

// The permissions a user sees on a file, as a number: the mode bits on POSIX systems, the
// attributes on Windows; and setting them.
unsigned FilePermissions(const std::string& path);
bool SetFilePermissions(const std::string& path, unsigned permissions);
// The bits FilePermissions reports that a replacement must keep: read and write for group and
// others (POSIX), hidden and system (Windows).
unsigned DistinctPermissions();

// Makes writes beyond |bytes| per file fail as a full disk does, until the returned object is
// destroyed; nullptr where the system offers no such limit.
std::unique_ptr<struct FileSizeLimit> LimitFileSize(std::uint64_t bytes);
struct FileSizeLimit {
  virtual ~FileSizeLimit() = default;
};

}  // namespace testos
