#include "sim/device_model.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using sim::DeviceModel;
using sim::Fault;

// Feeds a whole request and returns what the device sends back.
std::vector<sim::Burst> Send(DeviceModel& d, const Bytes& frame, std::int64_t nowUs = 0) {
  std::vector<sim::Burst> out;
  for (std::uint8_t b : frame) {
    auto r = d.Receive(b, nowUs);
    out.insert(out.end(), r.begin(), r.end());
  }
  return out;
}

Bytes Joined(const std::vector<sim::Burst>& bursts) {
  Bytes all;
  for (const auto& b : bursts) all.insert(all.end(), b.bytes.begin(), b.bytes.end());
  return all;
}

const Bytes kSetPassword = {0xFF, 0x01, 1, 2, 3, 4, 5, 6};
const Bytes kReadPassword = {0xFF, 0x02, 0, 0, 0, 0, 0, 0};
const Bytes kSetClock = {0xFF, 0xFE, 0x19, 0x11, 0x25, 0x09, 0x05, 0x00, 0x01};
const Bytes kSetAngle = {0xFF, 0xFA, 0x75};

TEST(DeviceModel, AnswersTheSettingRequests) {
  DeviceModel d;
  EXPECT_EQ(Joined(Send(d, kSetPassword)), kSetPassword);
  EXPECT_EQ(d.Password(), 123456);
  EXPECT_EQ(Joined(Send(d, kReadPassword)), (Bytes{0xFF, 0x02, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(Joined(Send(d, kSetClock)), (Bytes{0x19, 0x11, 0x25, 0x09, 0x05, 0x00, 0x01}));
  const sim::Civil c = sim::CivilFromSeconds(d.ClockAt(0));
  EXPECT_EQ(c.year, 2019);
  EXPECT_EQ(c.month, 11);
  EXPECT_EQ(c.day, 25);
  EXPECT_EQ(c.hour, 9);
  EXPECT_EQ(c.minute, 5);
  EXPECT_EQ(Joined(Send(d, kSetAngle)), (Bytes{0x75}));
  EXPECT_EQ(d.AlarmTenths(), 75);
  EXPECT_EQ(d.FramesReceived(), 4);
}

TEST(DeviceModel, ClockRunsFromTheValueSet) {
  DeviceModel d;
  Send(d, kSetClock, 1'000'000);
  const sim::Civil c = sim::CivilFromSeconds(d.ClockAt(1'000'000 + 61'000'000));
  EXPECT_EQ(c.minute, 6);
  EXPECT_EQ(c.second, 1);
}

TEST(DeviceModel, ZeroClearAndUnansweredRequestsSendNothing) {
  DeviceModel d;
  d.SetSensorAngle(35, 0);
  EXPECT_TRUE(Send(d, {0xFF, 0xE0}).empty());
  EXPECT_EQ(d.ShownAngleTenths(), 0);
  EXPECT_TRUE(Send(d, {0xFF, 0xE1}).empty());
  EXPECT_EQ(d.ShownAngleTenths(), 35);
  d.PreloadLog(3, 0);
  EXPECT_TRUE(Send(d, {0xFF, 0xEE}).empty());
  EXPECT_TRUE(d.Log().empty());
  EXPECT_TRUE(Send(d, {0xFF, 0xEF}).empty()) << "an empty log answers nothing";
}

TEST(DeviceModel, LogsAlarmAndRecoveryWhenTheAngleCrossesTheAlarmAngle) {
  DeviceModel d;
  Send(d, kSetClock, 0);
  d.SetSensorAngle(50, 0);
  d.SetSensorAngle(-80, 0);  // beyond 7.0 on the negative side
  d.SetSensorAngle(10, 0);
  d.SetHydraulic(true, 0);
  ASSERT_EQ(d.Log().size(), 3u);
  const auto& alarm = d.Log()[0].bytes;
  EXPECT_EQ(alarm[7], sim::kAngleAlarm);
  EXPECT_EQ(alarm[8], 0x80);  // negative, 8.0 degrees
  EXPECT_EQ(alarm[9], 0x80);
  EXPECT_EQ(alarm[1], 0x19);
  EXPECT_EQ(alarm[10], 0xFF);
  EXPECT_EQ(d.Log()[1].bytes[7], sim::kAngleRecover);
  EXPECT_EQ(d.Log()[2].bytes[7], sim::kHydraulicOn);
  EXPECT_EQ(Joined(Send(d, {0xFF, 0xEF})), d.LogBytes());
  EXPECT_EQ(d.LogBytes().size(), 33u);
}

TEST(DeviceModel, KeepsAtMostFourThousandRecords) {
  DeviceModel d;
  d.PreloadLog(4000, 0);
  d.SetHydraulic(false, 0);
  EXPECT_EQ(d.Log().size(), 4000u);
  EXPECT_EQ(d.Log().back().bytes[7], sim::kHydraulicOff);
  for (const auto& r : d.Log()) ASSERT_NE(r.bytes[0], 0xFF);
}

TEST(DeviceModel, ResynchronisesOnBytesOutsideAFrame) {
  DeviceModel d;
  EXPECT_TRUE(Send(d, {0x00, 0x12, 0xFF, 0x77}).empty());
  EXPECT_EQ(Joined(Send(d, kSetAngle)), (Bytes{0x75}));
  EXPECT_EQ(Joined(Send(d, {0xFF, 0xFF, 0xFA, 0x33})), (Bytes{0x33}));
}

TEST(DeviceModel, EachFaultModeChangesTheReplyAsNamed) {
  struct Case {
    Fault fault;
    Bytes request;
    std::vector<sim::Burst> want;
  } cases[] = {
      {Fault::None, kSetAngle, {{DeviceModel::kTurnaroundUs, {0x75}}}},
      {Fault::Silent, kReadPassword, {}},
      {Fault::Late, kSetAngle, {{DeviceModel::kLateUs, {0x75}}}},
      {Fault::Split, kSetClock,
       {{DeviceModel::kTurnaroundUs, {0x19, 0x11, 0x25}}, {DeviceModel::kSplitGapUs, {0x09, 0x05, 0x00, 0x01}}}},
      {Fault::ExtraBytes, kSetAngle, {{DeviceModel::kTurnaroundUs, {0x75, 0x00, 0x00}}}},
      {Fault::Garbled, kSetAngle, {{DeviceModel::kTurnaroundUs, {0x8A}}}},
      {Fault::SettingError, kSetPassword, {{DeviceModel::kTurnaroundUs, {0xFF, 0xFF, 1, 2, 3, 4, 5, 6}}}},
      {Fault::SettingError, kSetClock, {{DeviceModel::kTurnaroundUs, Bytes(7, 0x00)}}},
  };
  for (const auto& c : cases) {
    DeviceModel d;
    d.SetFault(c.fault);
    const auto got = Send(d, c.request);
    ASSERT_EQ(got.size(), c.want.size()) << static_cast<int>(c.fault);
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].gapUs, c.want[i].gapUs) << static_cast<int>(c.fault);
      EXPECT_EQ(got[i].bytes, c.want[i].bytes) << static_cast<int>(c.fault);
    }
  }
}

TEST(DeviceModel, RefusesARefusedSettingWithoutStoringIt) {
  DeviceModel d;
  d.SetFault(Fault::SettingError);
  Send(d, kSetPassword);
  Send(d, kSetAngle);
  EXPECT_EQ(d.Password(), DeviceModel::kFactoryPassword);
  EXPECT_EQ(d.AlarmTenths(), DeviceModel::kFactoryAlarmTenths);
}

TEST(ParseFault, KnowsEveryModeByName) {
  Fault f;
  for (const char* name : {"none", "silent", "late", "split", "extra", "garbled", "setting-error"}) {
    EXPECT_TRUE(sim::ParseFault(name, &f)) << name;
  }
  EXPECT_FALSE(sim::ParseFault("loud", &f));
}

TEST(Civil, RoundTripsAcrossCenturiesAndLeapDays) {
  for (const sim::Civil c : {sim::Civil{2000, 1, 1, 0, 0, 0}, sim::Civil{2024, 2, 29, 23, 59, 59},
                             sim::Civil{2100, 3, 1, 12, 0, 0}, sim::Civil{1999, 12, 31, 1, 2, 3}}) {
    const sim::Civil back = sim::CivilFromSeconds(sim::SecondsFromCivil(c));
    EXPECT_EQ(back.year, c.year);
    EXPECT_EQ(back.month, c.month);
    EXPECT_EQ(back.day, c.day);
    EXPECT_EQ(back.hour, c.hour);
    EXPECT_EQ(back.minute, c.minute);
    EXPECT_EQ(back.second, c.second);
  }
}

}  // namespace
