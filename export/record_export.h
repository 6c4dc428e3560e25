#pragma once
// The text export of the record list: a header line and one line per row, fields joined by
// TAB, every line ended by CR LF.

#include <string>

class CListCtrl;

// The file's bytes for the rows of |list| (columns 1 to 5).
std::string FormatRecordList(const CListCtrl& list);

// Writes the export to |path| so that it is never left half written: the lines go to a new
// file beside it, which replaces |path| only once complete and closed. Raises CFileException
// naming |path| and the cause (read-only, no such folder, held by another program, disk full);
// an existing file then keeps its contents.
void WriteRecordList(const CListCtrl& list, const std::string& path);
