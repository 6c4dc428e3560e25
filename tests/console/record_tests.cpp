// The record scan: every 0xFF is a marker and the ten bytes before it are its record.

#include <gtest/gtest.h>

#include "res/resource_ids.h"
#include "tests/support/console_fixture.h"

namespace {

using Cells = std::vector<std::string>;

class Scan : public testsupport::ConsoleTest {
 protected:
  void SetUp() override {
    Start();
    dlg->m_listRecords.DeleteAllItems();
    dlg->m_rowCount = 0;
  }
  std::vector<Cells> ScanRows(const std::vector<std::uint8_t>& stream) {
    dlg->m_listRecords.DeleteAllItems();
    dlg->m_rowCount = 0;
    dlg->ScanRecordStream(stream.data(), static_cast<int>(stream.size()));
    std::vector<Cells> rows;
    for (int i = 0; i < RowCount(); ++i) rows.push_back(this->Row(i));
    return rows;
  }
};

TEST_F(Scan, FindsRecordsByTheirMarkersAlone) {
  using testsupport::Bytes;
  const auto a = Bytes({0x00, 0x19, 0x11, 0x25, 0x08, 0x30, 0x00, 0x03, 0x80, 0x15, 0xFF});
  const auto b = Bytes({0x00, 0x20, 0x01, 0x02, 0x03, 0x04, 0x05, 0x04, 0x00, 0x99, 0xFF});
  auto concat = [](std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  };
  const Cells rowA = {"1", "19/11/25", "08:30:00", "Angle_Recover", "-1.5"};
  struct Case {
    const char* name;
    std::vector<std::uint8_t> stream;
    std::vector<Cells> want;
  } cases[] = {
      {"one record", a, {rowA}},
      {"a lone marker", {0xFF}, {{"1", "00/00/00", "00:00:00", "Break_Recover", "0.0"}}},
      {"two back to back and an unfinished one",
       concat({a, b, Bytes({1, 2, 3, 4, 5})}),
       {rowA, {"2", "20/01/02", "03:04:05", "Hydraulic_On", "9.9"}}},
      {"a marker before index 10 gets leading zeros",
       Bytes({0x19, 0x11, 0x25, 0xFF}),
       {{"1", "00/00/00", "00:00:00", "Break_Recover", "112.5"}}},
      {"no marker", Bytes({1, 2, 3}), {}},
      {"byte 0 of a record is FF: an extra overlapping row first",
       concat({a, Bytes({0xFF, 0x20, 0x01, 0x02, 0x03, 0x04, 0x05, 0x04, 0x00, 0x99, 0xFF})}),
       {rowA, {"2", "11/25/08", "30:00:03", "Break_Recover", "1.5"}, {"3", "20/01/02", "03:04:05", "Hydraulic_On", "9.9"}}},
  };
  for (const auto& c : cases) EXPECT_EQ(ScanRows(c.stream), c.want) << c.name;
}

TEST_F(Scan, FollowsTheMarkersOrderAndNumbersRowsOnFromTheListsCount) {
  std::vector<std::uint8_t> stream(33, 0x00);
  stream[10] = stream[21] = stream[32] = 0xFF;
  stream[7] = 2;
  stream[18] = 3;
  stream[29] = 4;
  const auto rows = ScanRows(stream);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0][3], "Angle_Alarm");
  EXPECT_EQ(rows[1][3], "Angle_Recover");
  EXPECT_EQ(rows[2][3], "Hydraulic_On");
  dlg->ScanRecordStream(stream.data(), 11);
  EXPECT_EQ(Row(3)[0], "4");
}

}  // namespace
