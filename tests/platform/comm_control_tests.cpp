#include "platform/comm_control.h"

#include <gtest/gtest.h>

#include "platform/exceptions.h"
#include "platform/headless/headless.h"

namespace {

using namespace commdisp;

TEST(ParseLineSettings, AcceptsOnlyWellFormedSettings) {
  struct Case {
    const char* text;
    bool ok;
  } cases[] = {
      {"9600,n,8,1", true},    {"115200,e,7,2", true}, {"9600,N,8,1", true},  {"300,m,5,1.5", true},
      {"9600,n,8", false},     {"9600,n,8,1,", false}, {"9601,n,8,1", false}, {"9600,x,8,1", false},
      {"9600,n,9,1", false},   {"9600,n,8,3", false},  {" 9600,n,8,1", false}, {"9600,n,8,1.5", false},
      {"", false},             {"9600,,8,1", false},
  };
  for (const auto& c : cases) {
    LineSettings s;
    EXPECT_EQ(ParseLineSettings(c.text, &s), c.ok) << c.text;
  }
  LineSettings s;
  ASSERT_TRUE(ParseLineSettings("9600,n,8,1", &s));
  EXPECT_EQ(s.baud, 9600);
  EXPECT_EQ(s.parity, 'n');
  EXPECT_EQ(s.dataBits, 8);
  EXPECT_EQ(s.stopBits, 1);
}

class CommControlTest : public ::testing::Test {
 protected:
  CommControlTest() : control(&sys) {
    sys.AddPort(3, nullptr);
    control.fireEvent = [this](DISPID id) {
      if (id == kOnComm) ++events;
      if (id == kOnPortLost) ++losses;
    };
  }
  void Put(DISPID id, const COleVariant& v) { control.Invoke(id, DISPATCH_PROPERTYPUT, &v); }
  COleVariant Get(DISPID id) { return control.Invoke(id, DISPATCH_PROPERTYGET, nullptr); }
  void OpenBinary(int port = 3) {
    Put(kCommPort, COleVariant::Short(static_cast<short>(port)));
    Put(kInputMode, COleVariant::Long(1));
    Put(kRThreshold, COleVariant::Short(1));
    Put(kPortOpen, COleVariant::Bool(true));
  }
  std::string Refusal(DISPID id, const COleVariant* v) {
    try {
      control.Invoke(id, v ? DISPATCH_PROPERTYPUT : DISPATCH_PROPERTYGET, v);
    } catch (const COleDispatchException& e) {
      return e.Description();
    }
    return "";
  }

  headless::HeadlessSystem sys;
  CommControl control;
  int events = 0;
  int losses = 0;
};

TEST_F(CommControlTest, RefusesWithTheControlsDescriptions) {
  const COleVariant zero = COleVariant::Short(0), big = COleVariant::Short(256), bad = COleVariant::Text("9600;n;8;1");
  const COleVariant bytes = COleVariant::Bytes(reinterpret_cast<const std::uint8_t*>("\xFF\xE0"), 2);
  EXPECT_NE(Refusal(kCommPort, &zero).find("Invalid port number 0"), std::string::npos);
  EXPECT_NE(Refusal(kCommPort, &big).find("Invalid port number 256"), std::string::npos);
  EXPECT_NE(Refusal(kSettings, &bad).find("Invalid line settings"), std::string::npos);
  EXPECT_EQ(Refusal(kOutput, &bytes), "The port is not open.");
  EXPECT_EQ(Refusal(kInput, nullptr), "The port is not open.");
  const COleVariant nine = COleVariant::Short(9), open = COleVariant::Bool(true);
  Put(kCommPort, nine);
  EXPECT_EQ(Refusal(kPortOpen, &open), "COM9 does not exist on this system.");
  sys.SetPortInUse(3, true);
  Put(kCommPort, COleVariant::Short(3));
  EXPECT_EQ(Refusal(kPortOpen, &open), "COM3 is in use by another program.");
  sys.SetPortInUse(3, false);
  Put(kPortOpen, open);
  EXPECT_EQ(Refusal(kPortOpen, &open), "The port is already open.");
  EXPECT_NE(Refusal(kCommPort, &nine).find("while the port is open"), std::string::npos);
}

TEST_F(CommControlTest, OutputWritesOneFrameAndInputTakesEverythingWaiting) {
  OpenBinary();
  Put(kOutput, COleVariant::Bytes(reinterpret_cast<const std::uint8_t*>("\xFF\xEF"), 2));
  ASSERT_EQ(sys.Written(3).size(), 1u);
  EXPECT_EQ(sys.Written(3)[0], (std::vector<std::uint8_t>{0xFF, 0xEF}));
  sys.SetChunkBytes(4);
  sys.SendFromDevice(3, 0, {1, 2, 3, 4, 5, 6});
  sys.Advance(10);
  EXPECT_EQ(events, 2) << "one event per delivered chunk";
  EXPECT_EQ(Get(kCommEvent).intVal, kCommEventReceive);
  const COleVariant in = Get(kInput);
  ASSERT_TRUE(in.IsByteArray());
  EXPECT_EQ(in.array.lowerBound, 0);
  EXPECT_EQ(in.array.data, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(Get(kInput).vt, VT_EMPTY) << "reading removes the bytes";
}

TEST_F(CommControlTest, InputLenLimitsOneReadAndTheBufferNeverHoldsMoreThanItsSize) {
  Put(kInBufferSize, COleVariant::Short(16));
  OpenBinary();
  Put(kInputLen, COleVariant::Short(5));
  sys.SendFromDevice(3, 0, std::vector<std::uint8_t>(40, 0x55));
  sys.Advance(100);
  EXPECT_EQ(control.Waiting(), 16u);
  EXPECT_EQ(Get(kInput).array.data.size(), 5u);
  Put(kInputLen, COleVariant::Short(0));
  EXPECT_EQ(Get(kInput).array.data.size(), 11u);
}

TEST_F(CommControlTest, NoEventBelowTheThresholdOrWithThresholdZero) {
  OpenBinary();
  Put(kRThreshold, COleVariant::Short(0));
  sys.SendFromDevice(3, 0, {1, 2});
  sys.Advance(10);
  EXPECT_EQ(events, 0);
  Put(kRThreshold, COleVariant::Short(4));
  sys.SendFromDevice(3, 0, {3});
  sys.Advance(10);
  EXPECT_EQ(events, 0);
  sys.SendFromDevice(3, 0, {4});
  sys.Advance(10);
  EXPECT_EQ(events, 1);
}

TEST_F(CommControlTest, TextModeYieldsText) {
  Put(kCommPort, COleVariant::Short(3));
  Put(kPortOpen, COleVariant::Bool(true));
  sys.SendFromDevice(3, 0, {'o', 'k'});
  sys.Advance(10);
  const COleVariant in = Get(kInput);
  EXPECT_EQ(in.vt, VT_BSTR);
  EXPECT_EQ(in.strVal, "ok");
}

TEST_F(CommControlTest, HangUpClosesOnceTellsTheContainerAndLaterAccessesSayNotOpen) {
  OpenBinary();
  sys.HangUp(3);
  sys.HangUp(3);
  sys.Advance(1);
  EXPECT_EQ(losses, 1);
  EXPECT_EQ(events, 0) << "a hang-up is no receive event";
  EXPECT_FALSE(control.IsOpen());
  EXPECT_EQ(Get(kPortOpen).intVal, 0);
  const COleVariant bytes = COleVariant::Bytes(reinterpret_cast<const std::uint8_t*>("\xFF\xE0"), 2);
  EXPECT_EQ(Refusal(kOutput, &bytes), "The port is not open.");
  EXPECT_FALSE(sys.PortIsOpen(3));
  // The port can be opened again.
  Put(kPortOpen, COleVariant::Bool(true));
  EXPECT_TRUE(control.IsOpen());
}

TEST_F(CommControlTest, ClosingDropsBytesStillOnTheWay) {
  OpenBinary();
  sys.SendFromDevice(3, 5000, {1, 2, 3});
  Put(kPortOpen, COleVariant::Bool(false));
  sys.Advance(20);
  EXPECT_EQ(events, 0);
}

}  // namespace
