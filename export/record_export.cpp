#include "export/record_export.h"

#include <cerrno>
#include <filesystem>

#include "platform/afxwin.h"

namespace {
constexpr const char* kHeader = "NO.\tDate(Y/M/D)\tTime(H:M:S)\tEvent Type\tAngle Alarm\r\n";
constexpr const char* kPartSuffix = ".saving";
constexpr int kFirstColumn = 1;
constexpr int kLastColumn = 5;

void AppendRow(const CListCtrl& list, int row, std::string* out) {
  for (int column = kFirstColumn; column <= kLastColumn; ++column) {
    if (column > kFirstColumn) out->push_back('\t');
    out->append(list.GetItemText(row, column));
  }
  out->append("\r\n");
}

// The same failure, reported against the path the operator chose.
CFileException ForTarget(const CFileException& e, const std::string& path) {
  return CFileException(e.m_cause, path, "\"" + path + "\" could not be written: " + e.m_why + ".");
}
}  // namespace

std::string FormatRecordList(const CListCtrl& list) {
  std::string out = kHeader;
  const int rows = list.GetItemCount();
  out.reserve(out.size() + static_cast<std::size_t>(rows) * 48);
  for (int row = 0; row < rows; ++row) AppendRow(list, row, &out);
  return out;
}

void WriteRecordList(const CListCtrl& list, const std::string& path) {
  // An existing file must be ours to replace: not read-only and not held by another program.
  // Its lock is kept until the new contents are complete, and let go just before the
  // replacement: some systems refuse to replace a file that is still open.
  CStdioFile existing;
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) {
    CFileException error(CFileException::none, path, "");
    if (!existing.Open(path.c_str(), CFile::modeWrite | CFile::modeNoTruncate | CFile::shareExclusive, &error)) {
      throw ForTarget(error, path);
    }
  }
  const std::string part = path + kPartSuffix;
  CStdioFile file;
  CFileException error(CFileException::none, part, "");
  if (!file.Open(part.c_str(), CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive | CFile::typeBinary,
                 &error)) {
    throw ForTarget(error, path);
  }
  try {
    file.WriteString(kHeader);
    std::string line;
    const int rows = list.GetItemCount();
    for (int row = 0; row < rows; ++row) {
      line.clear();
      AppendRow(list, row, &line);
      file.WriteString(line.c_str());
    }
    file.Close();
    existing.Close();
    CFile::Rename(part, path);
  } catch (const CFileException& e) {
    std::remove(part.c_str());
    throw ForTarget(e, path);
  }
}
