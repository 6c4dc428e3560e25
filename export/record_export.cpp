#include "export/record_export.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>

#include "platform/afxwin.h"

namespace {
constexpr const char* kHeader = "NO.\tDate(Y/M/D)\tTime(H:M:S)\tEvent Type\tAngle Alarm\r\n";
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

// A new hidden file in the folder of |target| with a name no other file has, open for writing;
// false with |error| set when the folder takes no new file.
bool CreateBeside(const std::string& target, CStdioFile* file, std::string* created, CFileException* error) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device seed;
  std::mt19937 random(seed());
  std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
  const std::filesystem::path t(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix(8, 'x');
    for (char& c : suffix) c = kLetters[letter(random)];
    const std::string candidate = (t.parent_path() / ("." + t.filename().string() + "." + suffix)).string();
    constexpr UINT kNewHidden =
        CFile::modeCreateNew | CFile::modeWrite | CFile::shareExclusive | CFile::typeBinary | CFile::attrHidden;
    if (file->Open(candidate.c_str(), kNewHidden, error)) {
      *created = candidate;
      return true;
    }
    if (error->m_lOsError != EEXIST) return false;
  }
  return false;
}

// Writes |text| over the open |file| from its start.
void WriteInPlace(CStdioFile* file, const std::string& text, const std::string& path) {
  try {
    file->SetLength(0);
    file->WriteString(text.c_str());
    file->Close();
  } catch (const CFileException& e) {
    throw ForTarget(e, path);
  }
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
  // The whole text first: however it is written, the file is open only as long as that takes.
  const std::string text = FormatRecordList(list);
  // A link is followed: the file it names is the operator's file, and the link stays.
  const std::string target = CFile::FinalPath(path);

  // An existing file must be ours to replace: not read-only and not held by another program.
  // Its lock is kept until the new contents are complete, and let go just before the
  // replacement: some systems refuse to replace a file that is still open.
  CStdioFile existing;
  std::error_code ec;
  const bool exists = std::filesystem::exists(target, ec);
  if (exists) {
    CFileException error(CFileException::none, target, "");
    if (!existing.Open(target.c_str(), CFile::modeWrite | CFile::modeNoTruncate | CFile::shareExclusive, &error)) {
      throw ForTarget(error, path);
    }
  }
  // A file with other names keeps them only when written where it is.
  if (exists && CFile::LinkCount(target) > 1) return WriteInPlace(&existing, text, path);

  CStdioFile part;
  std::string partPath;
  CFileException error(CFileException::none, target, "");
  if (!CreateBeside(target, &part, &partPath, &error)) {
    // A folder that takes no new file: the file itself is written in place, as it is writable.
    if (exists && error.m_cause == CFileException::accessDenied) return WriteInPlace(&existing, text, path);
    throw ForTarget(error, path);
  }
  try {
    part.WriteString(text.c_str());
    part.Close();
    existing.Close();
    CFile::Rename(partPath, target);
  } catch (const CFileException& e) {
    part.Abort();
    std::remove(partPath.c_str());
    throw ForTarget(e, path);
  }
}
