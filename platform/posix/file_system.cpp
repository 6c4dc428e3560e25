#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file.h"

namespace filesystem_api {

std::FILE* OpenStream(const char* path, UINT flags, int* error) {
  int oflags = O_CLOEXEC;
  if (flags & CFile::modeReadWrite) oflags |= O_RDWR;
  else if (flags & CFile::modeWrite) oflags |= O_WRONLY;
  else oflags |= O_RDONLY;
  const bool create = (flags & CFile::modeCreate) != 0;
  const bool truncate = create && !(flags & CFile::modeNoTruncate);
  if (create) oflags |= O_CREAT;
  const int fd = ::open(path, oflags, 0666);
  if (fd < 0) {
    *error = errno;
    return nullptr;
  }
  auto fail = [&](int err) -> std::FILE* {
    ::close(fd);
    *error = err;
    return nullptr;
  };
  if ((flags & CFile::shareExclusive) && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    return fail(errno == EAGAIN ? EWOULDBLOCK : errno);
  }
  if (truncate && ::ftruncate(fd, 0) != 0) return fail(errno);
  const int access = oflags & O_ACCMODE;
  std::FILE* stream = ::fdopen(fd, access == O_RDONLY ? "rb" : access == O_WRONLY ? "wb" : "r+b");
  if (!stream) return fail(errno);
  return stream;
}

int ReplaceFile(const char* source, const char* target) { return std::rename(source, target) == 0 ? 0 : errno; }

}  // namespace filesystem_api
