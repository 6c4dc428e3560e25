#pragma once
// The hosted serial communications control: properties by dispatch id, input buffered until
// read, the OnComm event when data arrives and the OnPortLost event when the line goes away.
// Independent of any backend: it reaches a serial line through SerialPortProvider.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/serial_line.h"
#include "platform/variant.h"

class HostedControl {
 public:
  virtual ~HostedControl() = default;
  // One property access or method call; refusals throw COleDispatchException.
  virtual COleVariant Invoke(DISPID id, WORD flags, const COleVariant* arg) = 0;
  // Set by the host: raises an event of the control towards its container.
  std::function<void(DISPID)> fireEvent;
};

inline constexpr const char* kCommControlClassId = "{648A5600-2C6E-101B-82B6-000000000014}";

namespace commdisp {
constexpr DISPID kOnComm = 1;  // event: data received (CommEvent) and the like
// Event of this stand-in's own: the line went away under the open port (adapter unplugged,
// device gone). The port is closed by then.
constexpr DISPID kOnPortLost = 0x100;
constexpr DISPID kCommPort = 4;
constexpr DISPID kInBufferSize = 11;
constexpr DISPID kInputLen = 14;
constexpr DISPID kOutBufferSize = 17;
constexpr DISPID kPortOpen = 20;
constexpr DISPID kRThreshold = 21;
constexpr DISPID kSettings = 23;
constexpr DISPID kOutput = 25;
constexpr DISPID kInput = 26;
constexpr DISPID kCommEvent = 27;
constexpr DISPID kInputMode = 29;
}  // namespace commdisp

constexpr short kCommEventReceive = 2;

class CommControl : public HostedControl, private SerialLineListener {
 public:
  explicit CommControl(SerialPortProvider* ports);
  ~CommControl() override;

  COleVariant Invoke(DISPID id, WORD flags, const COleVariant* arg) override;

  bool IsOpen() const { return m_line != nullptr; }
  std::size_t Waiting() const { return m_input.size(); }

 private:
  void OnLineData(const std::uint8_t* data, std::size_t n) override;
  void OnLineHangup() override;
  void Open();
  void RequireClosed(const char* what) const;
  COleVariant TakeInput();
  void PutOutput(const COleVariant& value);

  SerialPortProvider* m_ports;
  std::unique_ptr<SerialLine> m_line;
  short m_port = 1;
  short m_inBufferSize = 1024;
  short m_outBufferSize = 512;
  short m_inputLen = 0;
  short m_rThreshold = 0;
  long m_inputMode = 0;  // 0 text, 1 binary
  std::string m_settings = "9600,n,8,1";
  short m_commEvent = 0;
  std::vector<std::uint8_t> m_input;
};
