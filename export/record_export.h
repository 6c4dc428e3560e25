#pragma once
// The text export of the record list: a header line and one line per row, fields joined by
// TAB, every line ended by CR LF. The same file comes from the window and the command-line
// program.

#include <array>
#include <string>

class CListCtrl;

// The header line, CR LF included.
extern const char* const kRecordFileHeader;

// Appends one line of the five fields of a row (number, date, time, event, angle).
void AppendRecordLine(std::string* out, const std::array<std::string, 5>& fields);

// The file's bytes for the rows of |list| (columns 1 to 5).
std::string FormatRecordList(const CListCtrl& list);

// Writes |text| to |path| so that it is never left half written: it goes to a new hidden file
// beside it, with a name no other file has, which replaces the file only once complete and
// closed, keeping its permissions. A link is followed and the file it names is replaced. Where
// the folder takes no new file but the file itself is writable, and where the file has other
// names (hard links), the file is written in place instead. Raises CFileException naming
// |path| and the cause (read-only, no such folder, held by another program, disk full); an
// existing file then keeps its contents, unless written in place.
void WriteTextFile(const std::string& path, const std::string& text);

// The export of |list| written to |path| as WriteTextFile does.
void WriteRecordList(const CListCtrl& list, const std::string& path);
