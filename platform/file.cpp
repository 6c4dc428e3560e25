#include "platform/file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/window_system.h"
#include "platform/wnd.h"

CFileDialog::CFileDialog(BOOL openDialog, const char* defaultExtension, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : m_open(openDialog != FALSE),
      m_defaultExtension(defaultExtension ? defaultExtension : ""),
      m_fileName(fileName ? fileName : ""),
      m_flags(flags),
      m_filter(filter ? filter : ""),
      m_parent(parent) {}

long CFileDialog::DoModal() {
  FileDialogRequest request;
  request.openDialog = m_open;
  request.defaultExtension = m_defaultExtension;
  request.initialName = m_fileName;
  request.flags = m_flags;
  request.filter = m_filter;
  DialogWindow* owner = m_parent && m_parent->m_hWnd ? m_parent->m_hWnd->dialog : nullptr;
  std::string path;
  if (!AfxWindows().FileDialog(owner, request, &path)) return IDCANCEL;
  m_path = path;
  return IDOK;
}

CFileException MakeFileException(int err, const std::string& path, const char* action) {
  CFileException::Cause cause = CFileException::genericException;
  std::string why;
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      cause = CFileException::badPath;
      why = "the folder does not exist";
      break;
    case EACCES:
    case EPERM:
    case EROFS:
      cause = CFileException::accessDenied;
      why = "it is read-only or access is denied";
      break;
    case EWOULDBLOCK:
      cause = CFileException::sharingViolation;
      why = "it is held by another program";
      break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      cause = CFileException::diskFull;
      why = "the disk is full";
      break;
    case EISDIR:
      cause = CFileException::accessDenied;
      why = "it is a folder";
      break;
    default:
      why = std::strerror(err);
      break;
  }
  return CFileException(cause, path, std::string("\"") + path + "\" could not be " + action + ": " + why + ".", why);
}

void CFile::Rename(const std::string& source, const std::string& target) {
  if (std::rename(source.c_str(), target.c_str()) != 0) throw MakeFileException(errno, target, "written");
}

void CFile::Remove(const std::string& path) {
  if (std::remove(path.c_str()) != 0) throw MakeFileException(errno, path, "removed");
}

CStdioFile::~CStdioFile() {
  if (m_file) std::fclose(m_file);
}

BOOL CStdioFile::Open(const char* path, UINT flags, CFileException* error) {
  if (m_file) return FALSE;
  int oflags = O_CLOEXEC;
  if (flags & modeReadWrite) oflags |= O_RDWR;
  else if (flags & modeWrite) oflags |= O_WRONLY;
  else oflags |= O_RDONLY;
  if (flags & modeCreate) {
    oflags |= O_CREAT;
    if (!(flags & modeNoTruncate)) oflags |= O_TRUNC;
  }
  // Take the lock before truncating, so that a file another program holds is left intact.
  const bool truncate = (oflags & O_TRUNC) != 0;
  const int fd = ::open(path, oflags & ~O_TRUNC, 0666);
  if (fd < 0) {
    if (error) *error = MakeFileException(errno, path, "opened");
    return FALSE;
  }
  if ((flags & shareExclusive) && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    ::close(fd);
    if (error) *error = MakeFileException(err == EWOULDBLOCK ? EWOULDBLOCK : err, path, "opened");
    return FALSE;
  }
  if (truncate && ::ftruncate(fd, 0) != 0) {
    const int err = errno;
    ::close(fd);
    if (error) *error = MakeFileException(err, path, "opened");
    return FALSE;
  }
  const char* mode = (oflags & O_ACCMODE) == O_RDONLY ? "rb" : ((oflags & O_ACCMODE) == O_WRONLY ? "wb" : "r+b");
  m_file = ::fdopen(fd, mode);
  if (!m_file) {
    const int err = errno;
    ::close(fd);
    if (error) *error = MakeFileException(err, path, "opened");
    return FALSE;
  }
  m_fd = fd;
  m_path = path;
  return TRUE;
}

void CStdioFile::WriteString(const char* text) {
  if (!m_file) throw CFileException(CFileException::genericException, m_path, "The file is not open.");
  const std::size_t n = std::strlen(text);
  if (std::fwrite(text, 1, n, m_file) != n) throw MakeFileException(errno ? errno : EIO, m_path, "written");
}

void CStdioFile::Close() {
  if (!m_file) return;
  std::FILE* f = m_file;
  m_file = nullptr;
  m_fd = -1;
  errno = 0;
  const bool flushed = std::fflush(f) == 0;
  const int err = errno;
  const bool closed = std::fclose(f) == 0;
  if (!flushed || !closed) throw MakeFileException(err ? err : EIO, m_path, "written");
}
