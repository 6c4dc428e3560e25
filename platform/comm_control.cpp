#include "platform/comm_control.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "platform/exceptions.h"

bool ParseLineSettings(const std::string& text, LineSettings* out) {
  static constexpr std::array kSpeeds = {110,   300,   600,   1200,  2400,   4800,   9600,
                                         14400, 19200, 38400, 57600, 115200, 128000, 256000};
  // Four comma-separated fields, no blanks: speed,parity,data bits,stop bits.
  std::array<std::string, 4> field;
  std::size_t start = 0;
  for (std::size_t i = 0; i < field.size(); ++i) {
    const std::size_t comma = text.find(',', start);
    if ((comma == std::string::npos) != (i == field.size() - 1)) return false;
    field[i] = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    start = comma + 1;
  }
  auto number = [](const std::string& s, int* value) {
    if (s.empty() || s.size() > 6 || s.find_first_not_of("0123456789") != std::string::npos) return false;
    *value = std::atoi(s.c_str());
    return true;
  };
  LineSettings r;
  if (!number(field[0], &r.baud) || std::find(kSpeeds.begin(), kSpeeds.end(), r.baud) == kSpeeds.end()) return false;
  if (field[1].size() != 1) return false;
  const char parity = static_cast<char>(field[1][0] | 0x20);
  if (std::string("neoms").find(parity) == std::string::npos) return false;
  r.parity = parity;
  if (!number(field[2], &r.dataBits) || r.dataBits < 4 || r.dataBits > 8) return false;
  if (field[3] == "1") r.stopBits = 1;
  else if (field[3] == "2" || (field[3] == "1.5" && r.dataBits == 5)) r.stopBits = 2;
  else return false;
  *out = r;
  return true;
}

CommControl::CommControl(SerialPortProvider* ports) : m_ports(ports) {}

CommControl::~CommControl() = default;

void CommControl::RequireClosed(const char* what) const {
  if (m_line) throw COleDispatchException(std::string("The ") + what + " cannot be changed while the port is open.");
}

namespace {
short ShortArg(const COleVariant* arg) {
  if (!arg) throw COleDispatchException("The property needs a value.");
  return static_cast<short>(arg->intVal);
}
}  // namespace

COleVariant CommControl::Invoke(DISPID id, WORD flags, const COleVariant* arg) {
  using namespace commdisp;
  const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
  switch (id) {
    case kCommPort:
      if (!put) return COleVariant::Short(m_port);
      RequireClosed("port number");
      if (ShortArg(arg) < 1 || ShortArg(arg) > 255) {
        throw COleDispatchException("Invalid port number " + std::to_string(ShortArg(arg)) +
                                    ": serial ports are numbered 1 to 255.");
      }
      m_port = ShortArg(arg);
      return {};
    case kInBufferSize:
      if (!put) return COleVariant::Short(m_inBufferSize);
      RequireClosed("input buffer size");
      if (ShortArg(arg) < 1) throw COleDispatchException("The input buffer size must be at least 1 byte.");
      m_inBufferSize = ShortArg(arg);
      return {};
    case kOutBufferSize:
      if (!put) return COleVariant::Short(m_outBufferSize);
      RequireClosed("output buffer size");
      if (ShortArg(arg) < 1) throw COleDispatchException("The output buffer size must be at least 1 byte.");
      m_outBufferSize = ShortArg(arg);
      return {};
    case kInputLen:
      if (!put) return COleVariant::Short(m_inputLen);
      if (ShortArg(arg) < 0) throw COleDispatchException("InputLen cannot be negative.");
      m_inputLen = ShortArg(arg);
      return {};
    case kRThreshold:
      if (!put) return COleVariant::Short(m_rThreshold);
      if (ShortArg(arg) < 0) throw COleDispatchException("RThreshold cannot be negative.");
      m_rThreshold = ShortArg(arg);
      return {};
    case kInputMode:
      if (!put) return COleVariant::Long(m_inputMode);
      if (!arg || (arg->intVal != 0 && arg->intVal != 1)) throw COleDispatchException("InputMode must be 0 (text) or 1 (binary).");
      m_inputMode = arg->intVal;
      return {};
    case kSettings: {
      if (!put) return COleVariant::Text(m_settings);
      LineSettings parsed;
      if (!arg || arg->vt != VT_BSTR || !ParseLineSettings(arg->strVal, &parsed)) {
        throw COleDispatchException("Invalid line settings \"" + (arg ? arg->strVal : std::string()) +
                                    "\": expected speed,parity,data bits,stop bits such as 9600,n,8,1.");
      }
      m_settings = arg->strVal;
      return {};
    }
    case kPortOpen:
      if (!put) return COleVariant::Bool(m_line != nullptr);
      if (!arg) throw COleDispatchException("PortOpen needs a value.");
      if (arg->intVal) {
        if (m_line) throw COleDispatchException("The port is already open.");
        Open();
      } else {
        m_line.reset();
        m_input.clear();
      }
      return {};
    case kOutput:
      if (!put) throw COleDispatchException("Output can only be written.");
      if (!arg) throw COleDispatchException("Output needs a value.");
      PutOutput(*arg);
      return {};
    case kInput:
      if (put) throw COleDispatchException("Input can only be read.");
      return TakeInput();
    case kCommEvent:
      if (put) throw COleDispatchException("CommEvent can only be read.");
      return COleVariant::Short(m_commEvent);
    default:
      throw COleDispatchException("The serial control has no member " + std::to_string(id) + ".");
  }
}

void CommControl::Open() {
  LineSettings settings;
  ParseLineSettings(m_settings, &settings);
  if (!m_ports) throw COleDispatchException("No serial ports are available on this system.");
  std::string error;
  m_line = m_ports->Open(m_port, settings, this, &error);
  if (!m_line) throw COleDispatchException(error.empty() ? "The port COM" + std::to_string(m_port) + " cannot be opened." : error);
  m_input.clear();
  m_commEvent = 0;
}

COleVariant CommControl::TakeInput() {
  if (!m_line) throw COleDispatchException("The port is not open.");
  std::size_t n = m_input.size();
  if (m_inputLen > 0) n = std::min<std::size_t>(n, static_cast<std::size_t>(m_inputLen));
  if (n == 0) return {};
  COleVariant result;
  if (m_inputMode == 1) {
    result = COleVariant::Bytes(m_input.data(), n, 0);
  } else {
    result = COleVariant::Text(std::string(m_input.begin(), m_input.begin() + static_cast<long>(n)));
  }
  m_input.erase(m_input.begin(), m_input.begin() + static_cast<long>(n));
  return result;
}

void CommControl::PutOutput(const COleVariant& value) {
  if (!m_line) throw COleDispatchException("The port is not open.");
  const std::uint8_t* data = nullptr;
  std::size_t n = 0;
  if (value.IsByteArray()) {
    data = value.array.data.data();
    n = value.array.data.size();
  } else if (value.vt == VT_BSTR) {
    data = reinterpret_cast<const std::uint8_t*>(value.strVal.data());
    n = value.strVal.size();
  } else {
    throw COleDispatchException("Output takes a byte array or a text.");
  }
  if (n > static_cast<std::size_t>(m_outBufferSize)) throw COleDispatchException("The output does not fit the output buffer.");
  std::string error;
  if (!m_line->Write(data, n, &error)) throw COleDispatchException(error.empty() ? "The write to the port failed." : error);
}

void CommControl::OnLineData(const std::uint8_t* data, std::size_t n) {
  // Bytes beyond the input buffer are lost, as on a port whose buffer overflows.
  const std::size_t room = static_cast<std::size_t>(m_inBufferSize) - std::min(m_input.size(), static_cast<std::size_t>(m_inBufferSize));
  m_input.insert(m_input.end(), data, data + std::min(n, room));
  if (m_rThreshold > 0 && m_input.size() >= static_cast<std::size_t>(m_rThreshold)) {
    m_commEvent = kCommEventReceive;
    if (fireEvent) fireEvent(commdisp::kOnComm);
  }
}

void CommControl::OnLineHangup() {
  // The line is gone: the port closes once and the container is told; later accesses report
  // the port as not open.
  m_line.reset();
  m_input.clear();
  if (fireEvent) fireEvent(commdisp::kOnPortLost);
}
