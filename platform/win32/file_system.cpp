#include "platform/file_system.h"

#include "platform/file.h"
#include "platform/win32/native.h"

namespace filesystem_api {

std::FILE* OpenStream(const char* path, UINT flags, int* error) {
  win32native::OpenMode mode;
  mode.read = (flags & CFile::modeReadWrite) != 0 || !(flags & CFile::modeWrite);
  mode.write = (flags & (CFile::modeReadWrite | CFile::modeWrite)) != 0;
  mode.create = (flags & CFile::modeCreate) != 0;
  mode.truncate = mode.create && !(flags & CFile::modeNoTruncate);
  mode.exclusive = (flags & CFile::shareExclusive) != 0;
  mode.createNew = (flags & CFile::modeCreateNew) != 0;
  mode.create = mode.create || mode.createNew;
  mode.truncate = mode.truncate && !mode.createNew;
  mode.hidden = (flags & CFile::attrHidden) != 0;
  return win32native::OpenFileStream(path, mode, error);
}

int ReplaceFile(const char* source, const char* target) { return win32native::ReplaceFileWith(source, target); }

int SetLength(std::FILE* file, std::uint64_t length) { return win32native::SetStreamLength(file, length); }

std::string FinalPath(const char* path) { return win32native::FinalFilePath(path); }

unsigned LinkCount(const char* path) { return win32native::FileLinkCount(path); }

}  // namespace filesystem_api
