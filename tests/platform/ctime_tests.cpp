#include "platform/ctime.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/exceptions.h"
#include "tests/support/test_os.h"

namespace {

class WithTimeZone : public ::testing::Test {
 protected:
  bool Use(const char* tz) { return testos::UseTimeZone(tz); }
  ~WithTimeZone() override { testos::UseTimeZone(nullptr); }
};

TEST_F(WithTimeZone, ComponentConstructorRefusesWhatItCannotHold) {
  ASSERT_TRUE(Use("UTC"));
  struct Case {
    int v[6];
  } refused[] = {{{1899, 12, 31, 0, 0, 0}}, {{2020, 0, 1, 0, 0, 0}}, {{2020, 13, 1, 0, 0, 0}},
                 {{2020, 1, 0, 0, 0, 0}},   {{2020, 1, 32, 0, 0, 0}}, {{2020, 1, 1, 24, 0, 0}},
                 {{2020, 1, 1, 0, 60, 0}},  {{2020, 1, 1, 0, 0, 60}}, {{0, 0, 0, -1, -1, -1}}};
  for (const auto& c : refused) {
    EXPECT_THROW(CTime(c.v[0], c.v[1], c.v[2], c.v[3], c.v[4], c.v[5]), CInvalidArgException) << c.v[0];
  }
  EXPECT_EQ(CTime(2019, 11, 25, 14, 30, 5).GetTime(), 1574692205);
}

TEST_F(WithTimeZone, DaylightSavingIsDecidedByTheLibrary) {
  if (!Use("Europe/Berlin")) GTEST_SKIP() << "this system's C library has no rules for Europe/Berlin";
  const CTime winter(2019, 3, 31, 1, 30, 0);
  const CTime summer(2019, 3, 31, 3, 30, 0);
  EXPECT_EQ(summer.GetTime() - winter.GetTime(), 3600) << "02:00 to 03:00 does not exist that night";
  EXPECT_EQ(summer.GetHour(), 3);
  EXPECT_EQ(CTime(2019, 3, 31, 3, 30, 0).Format("%Y%m%d%H%M%S"), "20190331033000");
  EXPECT_EQ(summer.GetDayOfWeek(), 1);  // a Sunday
}

}  // namespace
