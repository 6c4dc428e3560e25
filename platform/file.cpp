#include "platform/file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/file_system.h"
#include "platform/window_system.h"
#include "platform/app.h"
#include "platform/dialog.h"
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

bool CompleteFileChoice(WindowSystem& system, DialogWindow* owner, const FileDialogRequest& request,
                        std::optional<std::string> answer, std::string* path) {
  if (!answer || answer->empty()) return false;
  std::string chosen = std::move(*answer);
  if (!request.openDialog) {
    if (!request.defaultExtension.empty() && !std::filesystem::path(chosen).has_extension()) {
      chosen += "." + request.defaultExtension;
    }
    if ((request.flags & OFN_OVERWRITEPROMPT) && std::filesystem::exists(chosen) &&
        system.MessageBox(owner, chosen + " already exists.\nDo you want to replace it?", "Confirm Save As",
                          MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
      return false;
    }
  }
  *path = std::move(chosen);
  return true;
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
#ifdef EDQUOT
    case EDQUOT:  // not every C library has quotas
#endif
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
  CFileException e(cause, path, std::string("\"") + path + "\" could not be " + action + ": " + why + ".", why);
  e.m_lOsError = err;
  return e;
}

void CFile::Rename(const std::string& source, const std::string& target) {
  if (const int err = filesystem_api::ReplaceFile(source.c_str(), target.c_str())) throw MakeFileException(err, target, "written");
}

void CFile::Remove(const std::string& path) {
  if (std::remove(path.c_str()) != 0) throw MakeFileException(errno, path, "removed");
}

std::string CFile::FinalPath(const std::string& path) { return filesystem_api::FinalPath(path.c_str()); }

unsigned CFile::LinkCount(const std::string& path) { return filesystem_api::LinkCount(path.c_str()); }

CStdioFile::~CStdioFile() {
  if (m_file) std::fclose(m_file);
}

BOOL CStdioFile::Open(const char* path, UINT flags, CFileException* error) {
  if (m_file) return FALSE;
  int err = 0;
  m_file = filesystem_api::OpenStream(path, flags, &err);
  if (!m_file) {
    if (error) *error = MakeFileException(err, path, "opened");
    return FALSE;
  }
  m_path = path;
  return TRUE;
}

void CStdioFile::WriteString(const char* text) {
  if (!m_file) throw CFileException(CFileException::genericException, m_path, "The file is not open.");
  const std::size_t n = std::strlen(text);
  if (std::fwrite(text, 1, n, m_file) != n) throw MakeFileException(errno ? errno : EIO, m_path, "written");
}

void CStdioFile::Abort() {
  if (m_file) std::fclose(m_file);
  m_file = nullptr;
}

void CStdioFile::SetLength(std::uint64_t length) {
  if (!m_file) throw CFileException(CFileException::genericException, m_path, "The file is not open.");
  if (const int err = filesystem_api::SetLength(m_file, length)) throw MakeFileException(err, m_path, "written");
}

void CStdioFile::Close() {
  if (!m_file) return;
  std::FILE* f = m_file;
  m_file = nullptr;
  errno = 0;
  const bool flushed = std::fflush(f) == 0;
  const int err = errno;
  const bool closed = std::fclose(f) == 0;
  if (!flushed || !closed) throw MakeFileException(err ? err : EIO, m_path, "written");
}
