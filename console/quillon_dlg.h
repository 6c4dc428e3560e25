#pragma once
// The main window: every control the operator uses, the exchange with the device, the port
// table and the record list. Its member functions live in console/ (window, commands, record
// rows, save) and link/ (exchange, ports).

#include <array>
#include <cstdint>
#include <string>

#include "link/ms_comm.h"
#include "platform/afxwin.h"
#include "protocol/exchange.h"

enum class ExchangeKind : std::uint8_t { None = 0, Password = 1, Clock = 2, AlarmAngle = 3, Records = 4 };

inline constexpr UINT_PTR TIMER_QUIET = 1;
inline constexpr UINT_PTR TIMER_READ_TIMEOUT = 2;
inline constexpr UINT_PTR TIMER_SET_TIMEOUT = 3;
inline constexpr UINT_PTR TIMER_RECORDS_QUIET = 4;
// The quiet gaps, time-outs and buffer sizes are the protocol's (protocol/exchange.h).
inline constexpr int kRecordCopySize = 30;
inline constexpr int kStagingSize = 2048;
inline constexpr int kMaxPorts = 20;

inline constexpr std::int32_t kDefaultPassword = 580917;
inline constexpr float kDefaultAlarmAngle = 7.0f;

// The port number of a port name such as COM12: the decimal number after the first three
// characters, 1 to 255; 0 when those characters are not all digits or the number is out of range.
std::uint8_t PortNumberFromName(const std::string& name);

class CQuillonDlg : public CDialog {
 public:
  explicit CQuillonDlg(CWnd* parent = nullptr);
  ~CQuillonDlg() override;

  // Data members, in declaration order.
  CTime m_date;
  CTime m_time;
  CStatic m_statusLamp;
  CEdit m_editAlarmAngle;
  CListCtrl m_listRecords;
  CEdit m_editReadPassword;
  CComboBox m_comboPort;
  CMSComm m_comm;
  std::int32_t m_rxCount = 0;
  std::uint32_t m_portCount = 0;
  std::uint8_t m_portNumbers[kMaxPorts] = {};
  std::uint8_t m_rxSeen = 0;
  std::uint8_t m_reply[kReplyBufferSize] = {};
  std::uint8_t m_record[kRecordCopySize] = {};
  std::uint8_t m_recordStream[kRecordStreamSize] = {};
  std::int32_t m_password = 0;
  ExchangeKind m_pending = ExchangeKind::None;
  std::int32_t m_rowCount = 0;
  std::int32_t m_clockBcd[7] = {};
  float m_alarmAngle = 0.0f;
  HICON m_hIcon = nullptr;
  // Record rows were added to the list (read or test-filled) and not saved since.
  bool m_recordsUnsaved = false;

  // Window (console/quillon_dlg.cpp).
  BOOL OnInitDialog() override;
  void OnSysCommand(UINT id, LPARAM lParam);
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void ShowReady();
  void ShowReading();
  void ShowFail();
  void ClearRecordList();
  void IgnoreNotification() {}
  // Enter, Esc and Close: the window ends at once unless unsaved record rows would be lost.
  void OnOK() override;
  void OnCancel() override;

  // Exchange (link/exchange.cpp).
  void WriteFrame(const std::uint8_t* frame, std::size_t length);
  template <std::size_t N>
  void WriteFrame(const std::array<std::uint8_t, N>& frame) {
    WriteFrame(frame.data(), N);
  }
  void OnCommEvent();
  void OnTimer(UINT_PTR id);
  void DispatchReply();
  void CompleteRecordRead();
  void OnPortLost();

  // Ports (link/ports.cpp).
  std::string ReadPortList();
  void InitPortList();
  void OnPortDropDown();
  void OnOpenClose();

  // Commands (console/commands.cpp).
  void CheckPasswordDigits();
  void CheckPasswordLength();
  void SetPassword();
  void ReadPassword();
  void SetClock();
  void SetAlarmAngle();
  void ZeroSet();
  void ResetZero();
  void ReadRecords();
  void ClearRecords();
  void LoadTestRecords();
  void ReportRecordsRead();
  void ReportNoRecords();

  // Record rows (console/record_rows.cpp).
  void ScanRecordStream(const std::uint8_t* stream, int count);
  void AddRecordRow();
  void FillSampleRecords();

  // Save (console/save_records.cpp).
  void SaveRecords();

 protected:
  void DoDataExchange(CDataExchange* dx) override;

 private:
  void InsertPlaceholderRows();
  void ShowLamp(int iconId, const char* word);
  void EnableCommandControls(BOOL enable);
  void RestorePasswordText();
  void ShowPortClosed();
  std::string OpenPortName() const;
  bool ConfirmClose();

  DECLARE_MESSAGE_MAP()
  DECLARE_EVENTSINK_MAP()
};

class CAboutDlg : public CDialog {
 public:
  CAboutDlg();
};
