#pragma once
// The real main window on the headless backend, joined to the device model on COM3.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "console/quillon_dlg.h"
#include "platform/headless/headless.h"
#include "res/resources.h"
#include "sim/device_model.h"

namespace testsupport {

// Puts the device model on a headless line.
class DeviceOnLine : public headless::ByteDevice {
 public:
  explicit DeviceOnLine(sim::DeviceModel& model) : m_model(model) {}
  std::vector<headless::Transmission> OnHostByte(std::uint8_t byte, std::int64_t nowUs) override;

 private:
  sim::DeviceModel& m_model;
};

// Sets the process time zone for the life of the object.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* tz);
  ~ScopedTimeZone();
  // False when this system's C library cannot apply the zone's rules.
  bool Applied() const { return m_applied; }

 private:
  std::string m_old;
  bool m_had;
  bool m_applied = false;
};

class ConsoleTest : public ::testing::Test {
 protected:
  static constexpr int kDevicePort = 3;

  ConsoleTest();
  ~ConsoleTest() override;

  // Creates the main window (as DoModal would, without its loop).
  void Start();
  // Presses OPEN on the selected port and expects the port open.
  void OpenPort();
  // Lets |ms| of virtual time pass.
  void Wait(double ms) { sys.Advance(ms); }

  std::vector<std::string> BoxTexts() const;
  const headless::BoxRecord& LastBox() const;
  const std::vector<std::vector<std::uint8_t>>& Written() { return sys.Written(kDevicePort); }
  std::vector<std::uint8_t> LastWritten();
  std::vector<std::string> Row(int index) const;
  int RowCount() const;
  HICON Lamp() const;

  ScopedTimeZone tz{"UTC"};
  headless::HeadlessSystem sys;
  sim::DeviceModel device;
  DeviceOnLine line{device};
  std::unique_ptr<CQuillonDlg> dlg;
};

// Bytes of a record as the device sends them.
std::vector<std::uint8_t> Bytes(std::initializer_list<int> values);

}  // namespace testsupport
