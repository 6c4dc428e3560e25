// The record scan and decoder: any stream gives one row per 0xFF, never more than the buffer.

#include <algorithm>

#include "protocol/records.h"
#include "tests/support/headless_window.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto* w = new testsupport::HeadlessWindow();
  if (size >= kRecordSize) {
    const RecordTexts t = DecodeRecord(data);
    if (t.date.size() != 8 || t.time.size() != 8 || t.angle.empty()) __builtin_trap();
  }
  const int count = static_cast<int>(std::min<std::size_t>(size, kRecordStreamSize));
  w->dlg.m_listRecords.DeleteAllItems();
  w->dlg.m_rowCount = 0;
  w->dlg.ScanRecordStream(data, count);
  if (w->dlg.m_listRecords.GetItemCount() != std::count(data, data + count, 0xFF)) __builtin_trap();
  return 0;
}
