#pragma once
// The seam between the serial control and whatever carries its bytes: an in-process line
// joined to a device model (headless), or a termios device (posix).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct LineSettings {
  int baud = 9600;
  char parity = 'n';  // n, e, o, m, s
  int dataBits = 8;   // 4 to 8
  int stopBits = 1;   // 1 or 2 (1.5 is accepted and carried as 2 with five data bits only)
};

// Parses "9600,n,8,1" strictly: a standard speed, one parity letter, data bits, stop bits.
bool ParseLineSettings(const std::string& text, LineSettings* out);

class SerialLineListener {
 public:
  virtual ~SerialLineListener() = default;
  // Bytes received, delivered on the user-interface thread.
  virtual void OnLineData(const std::uint8_t* data, std::size_t n) = 0;
  // The far side went away (unplugged adapter, simulator stopped); called once. The listener
  // may destroy the line inside this call, so the line touches nothing of itself afterwards.
  virtual void OnLineHangup() = 0;
};

class SerialLine {
 public:
  virtual ~SerialLine() = default;  // closes the line
  // Queues all |n| bytes for sending; false with |error| set when the line refuses.
  virtual bool Write(const std::uint8_t* data, std::size_t n, std::string* error) = 0;
};

class SerialPortProvider {
 public:
  virtual ~SerialPortProvider() = default;
  // Opens port COMn; nullptr with a specific, actionable |error| when it cannot.
  virtual std::unique_ptr<SerialLine> Open(int portNumber, const LineSettings& settings,
                                           SerialLineListener* listener, std::string* error) = 0;
};
