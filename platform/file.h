#pragma once
// The Save As dialog and buffered text files.

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/afx_types.h"
#include "platform/exceptions.h"

class CWnd;

class CFileDialog {
 public:
  CFileDialog(BOOL openDialog, const char* defaultExtension = nullptr, const char* fileName = nullptr,
              DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
              CWnd* parent = nullptr);
  long DoModal();
  std::string GetPathName() const { return m_path; }

 private:
  bool m_open;
  std::string m_defaultExtension;
  std::string m_fileName;
  DWORD m_flags;
  std::string m_filter;
  CWnd* m_parent;
  std::string m_path;
};

class CFile {
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0,
    modeWrite = 0x1,
    modeReadWrite = 0x2,
    shareExclusive = 0x10,
    modeNoTruncate = 0x2000,
    modeCreate = 0x1000,
    typeBinary = 0x8000,
    modeCreateNew = 0x10000,  // creates the file; fails when a file of that name exists
    attrHidden = 0x20000,     // a new file is hidden where the system marks that by an attribute
  };
  // Replaces |target| by |source| in one step (same folder), carrying over the target's
  // permissions and, where the system keeps them, its owner and access lists.
  static void Rename(const std::string& source, const std::string& target);
  static void Remove(const std::string& path);
  // The file |path| names once symbolic links are followed; |path| itself when it is none.
  static std::string FinalPath(const std::string& path);
  // How many names (hard links) the file at |path| has; 0 when there is none.
  static unsigned LinkCount(const std::string& path);
};

// A file written through the C library's buffer. Failures raise CFileException.
class CStdioFile : public CFile {
 public:
  CStdioFile() = default;
  CStdioFile(const CStdioFile&) = delete;
  CStdioFile& operator=(const CStdioFile&) = delete;
  ~CStdioFile();  // closes without raising

  // False when the file cannot be opened; |error| (if given) receives the cause.
  BOOL Open(const char* path, UINT flags, CFileException* error = nullptr);
  void WriteString(const char* text);
  // Cuts the file to |length| bytes.
  void SetLength(std::uint64_t length);
  void Close();  // flushes; raises when the flush fails
  void Abort();  // closes without flushing what is left or raising
  bool IsOpen() const { return m_file != nullptr; }
  const std::string& GetFilePath() const { return m_path; }

 private:
  std::FILE* m_file = nullptr;
  std::string m_path;
};

// Builds the exception for errno |err| on |path|, with a description an operator can act on.
CFileException MakeFileException(int err, const std::string& path, const char* action);
