#pragma once
// UTF-8 and UTF-16 text at the Win32 API, and the system's words for an error code. For the
// files that include <windows.h> only.

#include <string>

namespace win32native {

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
// The system's message for a GetLastError() code, without the trailing line break.
std::string SystemMessage(unsigned long error);

}  // namespace win32native
