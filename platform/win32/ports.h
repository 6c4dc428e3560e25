#pragma once
// The system's serial ports through its communications API, and the machine's registry.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/serial_line.h"
#include "platform/win32/native.h"

namespace win32backend {

// COMn through the system's communications API.
class ComPorts : public SerialPortProvider {
 public:
  std::unique_ptr<SerialLine> Open(int portNumber, const LineSettings& settings, SerialLineListener* listener,
                                   std::string* error) override;
};

// A line over an open byte stream, with its arrivals handed to |listener|.
std::unique_ptr<SerialLine> MakeStreamLine(
    const std::function<std::unique_ptr<win32native::ByteStream>(win32native::StreamCallbacks, std::string*)>& open,
    SerialLineListener* listener, std::string* error);

// The machine's registry, read-only, under HKEY_LOCAL_MACHINE.
class MachineRegistry : public RegistrySource {
 public:
  LONG OpenKey(const std::string& path, std::vector<RegistryValue>* values) override;
};

}  // namespace win32backend
