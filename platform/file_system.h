#pragma once
// What the file classes need from the operating system; each system's implementation lives
// in its own folder (platform/posix/, platform/win32/) and is chosen by the build.

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/afx_types.h"

namespace filesystem_api {

// Opens |path| with CFile's mode flags as a buffered binary stream. An exclusive opening takes
// its lock before any truncation, so a file another program holds is left intact. Returns
// nullptr with |*error| set to an errno value (EWOULDBLOCK: held by another program, EEXIST:
// modeCreateNew found a file).
std::FILE* OpenStream(const char* path, UINT flags, int* error);

// Replaces |target| by |source| in one step, carrying over what the system keeps of the
// target: permissions, and owner or access lists where it can; errno value or 0.
int ReplaceFile(const char* source, const char* target);

// Cuts the open |file| to |length| bytes; errno value or 0.
int SetLength(std::FILE* file, std::uint64_t length);

// The file |path| names once symbolic links are followed.
std::string FinalPath(const char* path);

// The number of names the file at |path| has; 0 when there is none.
unsigned LinkCount(const char* path);

}  // namespace filesystem_api
