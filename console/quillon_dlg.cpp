#include "console/quillon_dlg.h"

#include <cstdio>
#include <cstring>

#include "res/resource_ids.h"

namespace {

// The command controls, in the order the status display switches them.
constexpr int kCommandControls[] = {IDC_DATE,          IDC_TIME,          IDC_PASSWORD,        IDC_READ_BACK,
                                    IDC_ALARM_ANGLE,   IDC_OPEN_CLOSE,    IDC_SET_CLOCK,       IDC_READ_PASSWORD,
                                    IDC_SET_PASSWORD,  IDC_SET_ALARM_ANGLE, IDC_ZERO_SET,      IDC_ZERO_RESET,
                                    IDC_READ_RECORDS,  IDC_SAVE_RECORDS,  IDC_CLEAR_RECORDS,   IDC_CLEAR_LIST};

constexpr UINT IDM_ABOUTBOX = 0x0010;
constexpr int kNumberColumnWidth = 40;

}  // namespace

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

CQuillonDlg::CQuillonDlg(CWnd* parent) : CDialog(IDD_QUILLON_DIALOG, parent) {
  m_hIcon = LoadImageIcon(IDR_MAINFRAME, IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR);
}

CQuillonDlg::~CQuillonDlg() = default;

void CQuillonDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_STATUS_LAMP, m_statusLamp);
  DDX_Control(dx, IDC_ALARM_ANGLE, m_editAlarmAngle);
  DDX_Control(dx, IDC_RECORDS, m_listRecords);
  DDX_Control(dx, IDC_READ_BACK, m_editReadPassword);
  DDX_Control(dx, IDC_PORT, m_comboPort);
  DDX_Control(dx, IDC_COMM, m_comm);
  DDX_DateTimeCtrl(dx, IDC_DATE, m_date);
  DDX_DateTimeCtrl(dx, IDC_TIME, m_time);
}

BEGIN_MESSAGE_MAP(CQuillonDlg, CDialog)
  ON_WM_SYSCOMMAND()
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_WM_TIMER()
  ON_BN_CLICKED(IDC_OPEN_CLOSE, OnOpenClose)
  ON_BN_CLICKED(IDC_SET_CLOCK, SetClock)
  ON_BN_CLICKED(IDC_READ_PASSWORD, ReadPassword)
  ON_BN_CLICKED(IDC_SET_PASSWORD, SetPassword)
  ON_BN_CLICKED(IDC_SET_ALARM_ANGLE, SetAlarmAngle)
  ON_BN_CLICKED(IDC_ZERO_SET, ZeroSet)
  ON_BN_CLICKED(IDC_ZERO_RESET, ResetZero)
  ON_BN_CLICKED(IDC_READ_RECORDS, ReadRecords)
  ON_BN_CLICKED(IDC_SAVE_RECORDS, SaveRecords)
  ON_BN_CLICKED(IDC_CLEAR_RECORDS, ClearRecords)
  ON_BN_CLICKED(IDC_CLEAR_LIST, ClearRecordList)
  ON_BN_CLICKED(IDC_TEST, LoadTestRecords)
  ON_EN_CHANGE(IDC_PASSWORD, CheckPasswordDigits)
  ON_EN_KILLFOCUS(IDC_PASSWORD, CheckPasswordLength)
  ON_EN_CHANGE(IDC_ALARM_ANGLE, IgnoreNotification)
  ON_EN_KILLFOCUS(IDC_ALARM_ANGLE, IgnoreNotification)
  ON_CBN_DROPDOWN(IDC_PORT, OnPortDropDown)
END_MESSAGE_MAP()

BEGIN_EVENTSINK_MAP(CQuillonDlg, CDialog)
  ON_EVENT(CQuillonDlg, IDC_COMM, commdisp::kOnComm, OnCommEvent, VTS_NONE)
  ON_EVENT(CQuillonDlg, IDC_COMM, commdisp::kOnPortLost, OnPortLost, VTS_NONE)
END_EVENTSINK_MAP()

BOOL CQuillonDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  // The About entry appears only when its string exists.
  if (CMenu* sysMenu = GetSystemMenu(FALSE)) {
    const char* about = AfxFindString(IDS_ABOUTBOX);
    if (about && *about) {
      sysMenu->AppendMenu(MF_SEPARATOR);
      sysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, about);
    }
  }
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  InitPortList();

  std::memset(m_reply, 0, sizeof m_reply);
  std::memset(m_recordStream, 0, sizeof m_recordStream);
  std::memset(m_record, 0, sizeof m_record);
  m_rxCount = 0;
  m_rxSeen = 0;
  m_pending = ExchangeKind::None;
  m_rowCount = 0;

  CRect client;
  m_listRecords.GetClientRect(&client);
  const int width = (client.Width() - kNumberColumnWidth) / 4;
  m_listRecords.SetExtendedStyle(m_listRecords.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  m_listRecords.InsertColumn(0, "", LVCFMT_CENTER, 0, 0);
  m_listRecords.InsertColumn(1, "NO.", LVCFMT_CENTER, kNumberColumnWidth, 1);
  m_listRecords.InsertColumn(2, "Date(Y/M/D)", LVCFMT_CENTER, width, 2);
  m_listRecords.InsertColumn(3, "Time(H:M:S)", LVCFMT_CENTER, width, 3);
  m_listRecords.InsertColumn(4, "Event Type", LVCFMT_CENTER, width, 4);
  m_listRecords.InsertColumn(5, "Angle Alarm", LVCFMT_CENTER, width, 5);
  InsertPlaceholderRows();

  m_password = kDefaultPassword;
  RestorePasswordText();
  char text[32];
  std::snprintf(text, sizeof text, "%d", m_password);
  m_editReadPassword.SetWindowText(text);

  m_alarmAngle = kDefaultAlarmAngle;
  std::snprintf(text, sizeof text, "%0.1f", static_cast<double>(m_alarmAngle));
  m_editAlarmAngle.SetWindowText(text);

  m_date = CTime::GetCurrentTime();
  m_time = CTime::GetCurrentTime();
  UpdateData(FALSE);
  return TRUE;
}

void CQuillonDlg::OnSysCommand(UINT id, LPARAM lParam) {
  if ((id & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg about;
    about.DoModal();
  } else {
    CDialog::OnSysCommand(id, lParam);
  }
}

void CQuillonDlg::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  CPaintDC dc(this);
  SendMessage(WM_ICONERASEBKGND, dc.GetSafeHdc(), 0);
  const int cx = GetSystemMetrics(SM_CXICON);
  const int cy = GetSystemMetrics(SM_CYICON);
  CRect rect;
  GetClientRect(&rect);
  const int x = (rect.Width() - cx + 1) / 2;
  const int y = (rect.Height() - cy + 1) / 2;
  dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CQuillonDlg::OnQueryDragIcon() { return m_hIcon; }

void CQuillonDlg::OnOK() {
  if (ConfirmClose()) CDialog::OnOK();
}

void CQuillonDlg::OnCancel() {
  if (ConfirmClose()) CDialog::OnCancel();
}

// Rows read from the device exist nowhere else: a stray Enter or Esc must not throw them away.
bool CQuillonDlg::ConfirmClose() {
  if (!m_recordsUnsaved || m_rowCount == 0) return true;
  char text[128];
  std::snprintf(text, sizeof text, "The list holds %d records that have not been saved. Close anyway?", m_rowCount);
  return MessageBox(text, "warning", MB_OKCANCEL) == IDOK;
}

void CQuillonDlg::InsertPlaceholderRows() {
  static constexpr const char* kNumbers[] = {"1", "2"};
  for (int row = 0; row < 2; ++row) {
    m_listRecords.InsertItem(row, "");
    m_listRecords.SetItemText(row, 1, kNumbers[row]);
    for (int column = 2; column <= 5; ++column) m_listRecords.SetItemText(row, column, "");
  }
}

void CQuillonDlg::ClearRecordList() {
  m_listRecords.DeleteAllItems();
  m_rowCount = 0;
  InsertPlaceholderRows();
}

void CQuillonDlg::ShowLamp(int iconId, const char* word) {
  m_statusLamp.SetIcon(AfxGetApp() ? AfxGetApp()->LoadIcon(iconId) : AfxFindIcon(iconId));
  SetDlgItemText(IDC_STATUS_WORD, word);
}

void CQuillonDlg::EnableCommandControls(BOOL enable) {
  for (int id : kCommandControls) {
    if (CWnd* control = GetDlgItem(id)) control->EnableWindow(enable);
  }
}

void CQuillonDlg::ShowReady() {
  ShowLamp(IDI_LAMP_GREEN, "Ready");
  EnableCommandControls(TRUE);
}

void CQuillonDlg::ShowReading() {
  ShowLamp(IDI_LAMP_YELLOW, "Reading");
  EnableCommandControls(FALSE);
}

void CQuillonDlg::ShowFail() { ShowLamp(IDI_LAMP_RED, "Fail"); }

// Edit 1002 always shows the stored password with six digits, so that its own length check
// accepts the program's text.
void CQuillonDlg::RestorePasswordText() {
  char text[32];
  std::snprintf(text, sizeof text, "%06d", m_password);
  SetDlgItemText(IDC_PASSWORD, text);
}
