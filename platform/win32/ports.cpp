#include "platform/win32/ports.h"

namespace win32backend {

namespace {

class StreamLine : public SerialLine {
 public:
  explicit StreamLine(SerialLineListener* listener) : m_listener(listener) {}
  bool Open(const std::function<std::unique_ptr<win32native::ByteStream>(win32native::StreamCallbacks, std::string*)>& open,
            std::string* error) {
    win32native::StreamCallbacks callbacks;
    callbacks.onData = [this](const std::uint8_t* data, std::size_t n) { m_listener->OnLineData(data, n); };
    callbacks.onHangup = [this] { m_listener->OnLineHangup(); };
    m_stream = open(std::move(callbacks), error);
    return m_stream != nullptr;
  }
  bool Write(const std::uint8_t* data, std::size_t n, std::string* error) override {
    return m_stream->Write(data, n, error);
  }

 private:
  SerialLineListener* m_listener;
  std::unique_ptr<win32native::ByteStream> m_stream;
};

}  // namespace

std::unique_ptr<SerialLine> MakeStreamLine(
    const std::function<std::unique_ptr<win32native::ByteStream>(win32native::StreamCallbacks, std::string*)>& open,
    SerialLineListener* listener, std::string* error) {
  auto line = std::make_unique<StreamLine>(listener);
  if (!line->Open(open, error)) return nullptr;
  return line;
}

std::unique_ptr<SerialLine> ComPorts::Open(int portNumber, const LineSettings& settings, SerialLineListener* listener,
                                           std::string* error) {
  if (portNumber < 1 || portNumber > 255) {
    *error = "COM" + std::to_string(portNumber) + " does not exist on this system.";
    return nullptr;
  }
  const win32native::CommSettings comm{settings.baud, settings.parity, settings.dataBits, settings.stopBits};
  return MakeStreamLine(
      [&](win32native::StreamCallbacks callbacks, std::string* e) {
        return win32native::OpenComPort(portNumber, comm, std::move(callbacks), e);
      },
      listener, error);
}

LONG MachineRegistry::OpenKey(const std::string& path, std::vector<RegistryValue>* values) {
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> read;
  const long r = win32native::ReadMachineKey(path, &read);
  values->clear();
  for (auto& [name, data] : read) values->push_back({name, std::move(data)});
  return static_cast<LONG>(r);
}

}  // namespace win32backend
