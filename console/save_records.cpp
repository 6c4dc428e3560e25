// "Save Alarm Record": the record list written to a text file the operator names.

#include "console/quillon_dlg.h"
#include "export/record_export.h"

void CQuillonDlg::SaveRecords() {
  // Placeholder rows have an empty date cell; so has a list without rows.
  if (m_listRecords.GetItemText(0, 2).empty()) {
    MessageBox("Noting in the list box!");
    return;
  }
  const std::string defaultName = CTime::GetCurrentTime().Format("%Y%m%d%H%M%S");
  CFileDialog dialog(FALSE, "txt", defaultName.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                     "txt Files (*.txt)|*.txt|", this);
  if (dialog.DoModal() != IDOK) return;
  WriteRecordList(m_listRecords, dialog.GetPathName());
  m_recordsUnsaved = false;
  MessageBox("Save OK!");
}
