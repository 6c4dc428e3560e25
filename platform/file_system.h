#pragma once
// What the file classes need from the operating system; each system's implementation lives
// in its own folder (platform/posix/ today) and is chosen by the build.

#include <cstdio>

#include "platform/afx_types.h"

namespace filesystem_api {

// Opens |path| with CFile's mode flags as a buffered binary stream. An exclusive opening takes
// its lock before any truncation, so a file another program holds is left intact. Returns
// nullptr with |*error| set to an errno value (EWOULDBLOCK: held by another program).
std::FILE* OpenStream(const char* path, UINT flags, int* error);

// Replaces |target| by |source| in one step; errno value on failure, 0 on success.
int ReplaceFile(const char* source, const char* target);

}  // namespace filesystem_api
