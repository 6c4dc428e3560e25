#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/file.h"

namespace filesystem_api {

std::FILE* OpenStream(const char* path, UINT flags, int* error) {
  int oflags = O_CLOEXEC;
  if (flags & CFile::modeReadWrite) oflags |= O_RDWR;
  else if (flags & CFile::modeWrite) oflags |= O_WRONLY;
  else oflags |= O_RDONLY;
  const bool createNew = (flags & CFile::modeCreateNew) != 0;
  const bool create = createNew || (flags & CFile::modeCreate) != 0;
  const bool truncate = create && !createNew && !(flags & CFile::modeNoTruncate);
  if (create) oflags |= O_CREAT;
  if (createNew) oflags |= O_EXCL;
  const int fd = ::open(path, oflags, 0666);  // the user's umask applies, as to any new file
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

int ReplaceFile(const char* source, const char* target) {
  struct stat old {};
  if (::stat(target, &old) == 0) {
    // The replacement keeps the permission bits, and the owner where this user may give it.
    if (::chmod(source, old.st_mode & 07777) != 0) return errno;
    if (::geteuid() == 0) (void)!::chown(source, old.st_uid, old.st_gid);
  }
  return std::rename(source, target) == 0 ? 0 : errno;
}

int SetLength(std::FILE* file, std::uint64_t length) {
  if (std::fflush(file) != 0) return errno;
  return ::ftruncate(::fileno(file), static_cast<off_t>(length)) == 0 ? 0 : errno;
}

std::string FinalPath(const char* path) {
  namespace fs = std::filesystem;
  fs::path p = path;
  std::error_code ec;
  // A chain of links, each relative to the folder of the link it replaces; at most as many
  // steps as the system itself follows.
  for (int step = 0; step < 40 && fs::is_symlink(p, ec); ++step) {
    const fs::path next = fs::read_symlink(p, ec);
    if (ec) break;
    p = next.is_absolute() ? next : p.parent_path() / next;
  }
  return p.lexically_normal().string();
}

unsigned LinkCount(const char* path) {
  struct stat st {};
  return ::stat(path, &st) == 0 ? static_cast<unsigned>(st.st_nlink) : 0;
}

}  // namespace filesystem_api
