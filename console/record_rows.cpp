// Finding alarm records in a received stream and appending them to the record list.

#include <cstdio>
#include <cstring>

#include "console/quillon_dlg.h"
#include "protocol/records.h"

namespace {
constexpr std::uint8_t kSampleRecord[kRecordSize] = {0x00, 0x17, 0x01, 0x16, 0x13, 0x24,
                                                     0x30, 0x02, 0x00, 0x72, 0xFF};
}  // namespace

void CQuillonDlg::ScanRecordStream(const std::uint8_t* stream, int count) {
  ForEachRecord(stream, count, [this](const std::uint8_t* record) {
    std::memcpy(m_record, record, kRecordSize);
    AddRecordRow();
  });
}

void CQuillonDlg::AddRecordRow() {
  ++m_rowCount;
  m_recordsUnsaved = true;
  const auto texts = RecordRowTexts(m_rowCount, m_record);
  const int row = m_rowCount - 1;
  m_listRecords.InsertItem(row, "");
  for (int column = 1; column <= 5; ++column) m_listRecords.SetItemText(row, column, texts[column - 1].c_str());
}

void CQuillonDlg::FillSampleRecords() {
  for (int k = 0; k < kRecordStreamSize; ++k) m_recordStream[k] = kSampleRecord[k % kRecordSize];
  ScanRecordStream(m_recordStream, kRecordStreamSize);
}
