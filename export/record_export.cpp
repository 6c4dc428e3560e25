#include "export/record_export.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>

#include "platform/afxwin.h"

const char* const kRecordFileHeader = "NO.\tDate(Y/M/D)\tTime(H:M:S)\tEvent Type\tAngle Alarm\r\n";

namespace {
constexpr int kFirstColumn = 1;

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

void AppendRecordLine(std::string* out, const std::array<std::string, 5>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out->push_back('\t');
    out->append(fields[i]);
  }
  out->append("\r\n");
}

std::string FormatRecordList(const CListCtrl& list) {
  std::string out = kRecordFileHeader;
  const int rows = list.GetItemCount();
  out.reserve(out.size() + static_cast<std::size_t>(rows) * 48);
  for (int row = 0; row < rows; ++row) {
    std::array<std::string, 5> fields;
    for (int i = 0; i < 5; ++i) fields[static_cast<std::size_t>(i)] = list.GetItemText(row, kFirstColumn + i);
    AppendRecordLine(&out, fields);
  }
  return out;
}

void WriteRecordList(const CListCtrl& list, const std::string& path) { WriteTextFile(path, FormatRecordList(list)); }

void WriteTextFile(const std::string& path, const std::string& text) {
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
