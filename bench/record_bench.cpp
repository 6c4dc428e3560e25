// Budgets: a full 44000-byte stream scanned into 4000 rows, and the export of 4000 rows.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "export/record_export.h"
#include "protocol/records.h"
#include "tests/support/headless_window.h"

namespace {

testsupport::HeadlessWindow& TheWindow() {
  static auto* w = new testsupport::HeadlessWindow();
  return *w;
}

void BM_ScanFullStreamIntoRows(benchmark::State& state) {
  testsupport::HeadlessWindow& w = TheWindow();
  for (auto _ : state) {
    w.dlg.m_listRecords.DeleteAllItems();
    w.dlg.m_rowCount = 0;
    w.dlg.FillSampleRecords();
    benchmark::DoNotOptimize(w.dlg.m_rowCount);
  }
  state.counters["rows"] = w.dlg.m_rowCount;
}
BENCHMARK(BM_ScanFullStreamIntoRows)->Unit(benchmark::kMillisecond);

void BM_DecodeRecord(benchmark::State& state) {
  const std::uint8_t record[11] = {0x00, 0x17, 0x01, 0x16, 0x13, 0x24, 0x30, 0x02, 0x80, 0x72, 0xFF};
  for (auto _ : state) benchmark::DoNotOptimize(DecodeRecord(record));
}
BENCHMARK(BM_DecodeRecord);

void BM_ExportFourThousandRows(benchmark::State& state) {
  testsupport::HeadlessWindow& w = TheWindow();
  w.dlg.m_listRecords.DeleteAllItems();
  w.dlg.m_rowCount = 0;
  w.dlg.FillSampleRecords();
  const std::string path = "/tmp/korvex-bench-" + std::to_string(::getpid()) + ".txt";
  for (auto _ : state) WriteRecordList(w.dlg.m_listRecords, path);
  std::remove(path.c_str());
}
BENCHMARK(BM_ExportFourThousandRows)->Unit(benchmark::kMillisecond);

}  // namespace
