// Serial lines of the Win32 backend over a pipe: arrivals on the user-interface thread, the
// far side going away, and closing from inside a callback.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/native.h"
#include "platform/win32/ports.h"
#include "platform/win32/win32_window_system.h"

namespace {

class Listener : public SerialLineListener {
 public:
  void OnLineData(const std::uint8_t* data, std::size_t n) override { received.insert(received.end(), data, data + n); }
  void OnLineHangup() override {
    ++hangups;
    if (closeOnHangup) line.reset();
  }
  std::vector<std::uint8_t> received;
  int hangups = 0;
  bool closeOnHangup = false;
  std::unique_ptr<SerialLine> line;
};

class PipeLine : public ::testing::Test {
 protected:
  void SetUp() override {
    win32native::AttachUiThread();
    std::string error;
    listener.line = win32backend::MakeStreamLine(
        [this](win32native::StreamCallbacks callbacks, std::string* e) {
          return win32native::OpenLoopback(std::move(callbacks), &peer, e);
        },
        &listener, &error);
    ASSERT_TRUE(listener.line) << error;
  }
  bool PumpUntil(const std::function<bool()>& done) { return win32backend::Win32WindowSystem::WaitFor(done, 3000); }

  Listener listener;
  std::unique_ptr<win32native::ByteStream> peer;
};

TEST_F(PipeLine, BytesArriveInOrderInBothDirections) {
  std::string error;
  std::vector<std::uint8_t> sent;
  for (int i = 0; i < 3000; ++i) sent.push_back(static_cast<std::uint8_t>(i * 7));
  ASSERT_TRUE(peer->Write(sent.data(), 1000, &error)) << error;
  ASSERT_TRUE(peer->Write(sent.data() + 1000, 2000, &error)) << error;
  EXPECT_TRUE(PumpUntil([&] { return listener.received.size() >= sent.size(); }));
  EXPECT_EQ(listener.received, sent) << "several reads of up to 1024 bytes, nothing lost or reordered";

  const std::uint8_t frame[8] = {0xFF, 0x02, 0, 0, 0, 0, 0, 0};
  EXPECT_TRUE(listener.line->Write(frame, sizeof frame, &error)) << error;
}

TEST_F(PipeLine, TheFarSideGoingAwayIsReportedOnce) {
  peer.reset();
  EXPECT_TRUE(PumpUntil([&] { return listener.hangups > 0; }));
  win32backend::Win32WindowSystem::Wait(100);
  EXPECT_EQ(listener.hangups, 1);
}

TEST_F(PipeLine, TheLineMayBeClosedInsideItsHangupCallback) {
  listener.closeOnHangup = true;
  peer.reset();
  EXPECT_TRUE(PumpUntil([&] { return listener.line == nullptr; }));
  EXPECT_EQ(listener.hangups, 1);
}

TEST_F(PipeLine, BytesQueuedForALineClosedMeanwhileAreDropped) {
  std::string error;
  const std::uint8_t bytes[4] = {1, 2, 3, 4};
  ASSERT_TRUE(peer->Write(bytes, sizeof bytes, &error));
  // The reader thread hands the bytes to this thread's queue; no message is handled meanwhile.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  listener.line.reset();
  win32backend::Win32WindowSystem::Wait(100);
  EXPECT_TRUE(listener.received.empty()) << "a closed line delivers nothing";
}

TEST(ComOpenError, SaysWhatOtherSystemsSayForTheSameCause) {
  struct Case {
    unsigned long error;
    const char* want;
  } cases[] = {
      {2, "COM5 does not exist on this system."},      // file not found
      {3, "COM5 does not exist on this system."},      // path not found
      {5, "COM5 is in use by another program."},       // access denied: another program holds it
      {32, "COM5 is in use by another program."},      // sharing violation
  };
  for (const auto& c : cases) EXPECT_EQ(win32native::ComOpenError("COM5", c.error), c.want) << c.error;
  EXPECT_EQ(win32native::ComOpenError("COM5", 31).rfind("COM5 cannot be opened: ", 0), 0u);
}

}  // namespace
