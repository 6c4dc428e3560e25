// Port discovery from the serial-port registry key, and opening or closing the chosen port.

#include <cstdio>
#include <cstring>
#include <vector>

#include "console/quillon_dlg.h"

namespace {
constexpr const char* kSerialPortKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr const char* kOk = "OK!";
constexpr DWORD kPortNameBytes = 10;
constexpr int kFallbackPorts = 20;
constexpr int kOpenCloseButton = 1000;
}  // namespace

std::uint8_t PortNumberFromName(const std::string& name) {
  if (name.size() < 4) return 0;
  int number = 0;
  for (std::size_t i = 3; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    number = number * 10 + (name[i] - '0');
    if (number > 255) return 0;
  }
  return number >= 1 ? static_cast<std::uint8_t>(number) : 0;
}

std::string CQuillonDlg::ReadPortList() {
  std::string result;
  m_portCount = 0;
  std::memset(m_portNumbers, 0, sizeof m_portNumbers);

  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSerialPortKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return "Open Registry Error!\n";
  }
  DWORD valueCount = 0;
  DWORD longestName = 0;
  if (RegQueryInfoKeyA(key, &valueCount, &longestName) != ERROR_SUCCESS) {
    RegCloseKey(key);
    return "Getting Info Error!\n";
  }
  std::vector<char> name(longestName + 1);
  for (DWORD i = 0; i < valueCount; ++i) {
    std::fill(name.begin(), name.end(), '\0');
    DWORD nameLength = longestName + 1;
    const LONG rc = RegEnumValueA(key, i, name.data(), &nameLength);
    if (rc != ERROR_SUCCESS && rc != ERROR_NO_MORE_ITEMS) {
      RegCloseKey(key);
      return "Enum Registry Error or No More Items!\n";
    }
    BYTE data[kPortNameBytes] = {};
    DWORD dataLength = kPortNameBytes;
    if (RegQueryValueExA(key, name.data(), nullptr, data, &dataLength) != ERROR_SUCCESS) {
      RegCloseKey(key);
      return "Can not get the name of the port";
    }
    const std::string port(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), kPortNameBytes));
    m_comboPort.AddString(port.c_str());
    if (port.size() < 4 || port.size() > 6) {
      result = "Init error,Please restart！";
      continue;
    }
    if (m_portCount < kMaxPorts) m_portNumbers[m_portCount++] = PortNumberFromName(port);
  }
  RegCloseKey(key);
  if (result.empty()) result = kOk;
  return result;
}

void CQuillonDlg::InitPortList() {
  if (ReadPortList() == kOk) {
    if (m_portCount > 0) m_comboPort.SetCurSel(0);
    return;
  }
  m_portCount = 0;
  std::memset(m_portNumbers, 0, sizeof m_portNumbers);
  m_comboPort.ResetContent();
  for (int n = 1; n <= kFallbackPorts; ++n) {
    char text[16];
    std::snprintf(text, sizeof text, "COM%d", n);
    m_comboPort.AddString(text);
    m_portNumbers[m_portCount++] = static_cast<std::uint8_t>(n);
  }
  m_comboPort.SetCurSel(0);
}

// The drop-down of the port list reads the list again while the port is closed, so that an
// adapter plugged in since start appears; the chosen port stays chosen where it still exists.
void CQuillonDlg::OnPortDropDown() {
  if (m_comm.GetPortOpen()) return;
  const int index = m_comboPort.GetCurSel();
  const std::string chosen = index >= 0 ? m_comboPort.GetLBText(index) : std::string();
  m_comboPort.ResetContent();
  InitPortList();
  for (int i = 0; i < m_comboPort.GetCount(); ++i) {
    if (m_comboPort.GetLBText(i) == chosen) {
      m_comboPort.SetCurSel(i);
      break;
    }
  }
}

// The name of the open port as the list shows it; the list cannot change while it is open.
std::string CQuillonDlg::OpenPortName() const {
  const int index = m_comboPort.GetCurSel();
  return index >= 0 ? m_comboPort.GetLBText(index) : std::string("The port");
}

void CQuillonDlg::ShowPortClosed() {
  SetDlgItemText(kOpenCloseButton, "OPEN");
  m_comboPort.EnableWindow(TRUE);
}

void CQuillonDlg::OnOpenClose() {
  CWnd* button = GetDlgItem(kOpenCloseButton);
  const std::string caption = button ? button->GetWindowText() : std::string();
  if (m_portCount == 0) {
    MessageBox("No com,Pls restart！", "warning", MB_OK);
    return;
  }
  if (caption == "OPEN") {
    const int index = m_comboPort.GetCurSel();
    if (index >= kMaxPorts) {
      MessageBox("Serial number is too much,Pls restart！", "warning", MB_OK);
      return;
    }
    // Without a selection there is no port: number 0, which the control refuses.
    const std::uint8_t port = index >= 0 ? m_portNumbers[index] : 0;
    if (m_comm.GetPortOpen()) m_comm.SetPortOpen(FALSE);
    m_comm.SetCommPort(port);
    m_comm.SetInBufferSize(1024);
    m_comm.SetOutBufferSize(1024);
    m_comm.SetSettings("9600,n,8,1");
    m_comm.SetInputMode(1);
    m_comm.SetRThreshold(1);
    m_comm.SetInputLen(0);
    if (m_comm.GetPortOpen()) {
      AfxMessageBox("cannot open serial port");
    } else {
      m_comm.SetPortOpen(TRUE);
      button->SetWindowText("CLOSE");
      m_comboPort.EnableWindow(FALSE);
    }
    m_comm.GetInput();
    UpdateData(FALSE);
  } else if (caption == "CLOSE") {
    m_comm.SetPortOpen(FALSE);
    ShowPortClosed();
  } else {
    MessageBox("Error,Pls restart！", "warning", MB_OK);
  }
}
