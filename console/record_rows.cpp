// Finding alarm records in a received stream and appending them to the record list.

#include <cstdio>
#include <cstring>

#include "console/quillon_dlg.h"
#include "protocol/records.h"

namespace {
constexpr std::uint8_t kSampleRecord[kRecordSize] = {0x00, 0x17, 0x01, 0x16, 0x13, 0x24,
                                                     0x30, 0x02, 0x00, 0x72, 0xFF};
constexpr int kRecordBody = kRecordSize - 1;
}  // namespace

void CQuillonDlg::ScanRecordStream(const std::uint8_t* stream, int count) {
  for (int i = 0; i < count; ++i) {
    if (stream[i] != kRecordMarker) continue;
    // The ten bytes before every marker form a record; missing leading bytes are zero.
    const int missing = i < kRecordBody ? kRecordBody - i : 0;
    std::memset(m_record, 0, static_cast<std::size_t>(missing));
    std::memcpy(m_record + missing, stream + i - (kRecordBody - missing), static_cast<std::size_t>(kRecordBody - missing));
    m_record[kRecordBody] = kRecordMarker;
    AddRecordRow();
  }
}

void CQuillonDlg::AddRecordRow() {
  ++m_rowCount;
  m_recordsUnsaved = true;
  char number[16];
  std::snprintf(number, sizeof number, "%d", m_rowCount);
  const RecordTexts texts = DecodeRecord(m_record);
  const int row = m_rowCount - 1;
  m_listRecords.InsertItem(row, "");
  m_listRecords.SetItemText(row, 1, number);
  m_listRecords.SetItemText(row, 2, texts.date.c_str());
  m_listRecords.SetItemText(row, 3, texts.time.c_str());
  m_listRecords.SetItemText(row, 4, texts.event.c_str());
  m_listRecords.SetItemText(row, 5, texts.angle.c_str());
}

void CQuillonDlg::FillSampleRecords() {
  for (int k = 0; k < kRecordStreamSize; ++k) m_recordStream[k] = kSampleRecord[k % kRecordSize];
  ScanRecordStream(m_recordStream, kRecordStreamSize);
}
