#pragma once
// Windows, dialogs, controls, message maps and data exchange, shaped like the class framework
// the system code is written against.

#include <cstdint>
#include <string>

#include "platform/afx_types.h"
#include "platform/ctime.h"
#include "platform/exceptions.h"
#include "platform/variant.h"
#include "platform/window_model.h"
#include "platform/window_system.h"

class CWnd;
using HWND = NativeWindow*;

// ---- Message maps -------------------------------------------------------------------------
// A message map is a static table; dispatch searches the class's table, then its base's.

using MessageThunk = LRESULT (*)(CWnd* self, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
  UINT message;
  WORD code;  // notification code for WM_COMMAND
  int id;     // control id for WM_COMMAND
  MessageThunk thunk;
};

struct MessageMap {
  const MessageMap* (*base)();
  const MessageMapEntry* entries;  // ends with a zero message and a null thunk
};

using EventThunk = void (*)(CWnd* self);

struct EventSinkEntry {
  int controlId;
  DISPID dispid;
  EventThunk thunk;
};

struct EventSinkMap {
  const EventSinkMap* (*base)();
  const EventSinkEntry* entries;  // ends with a null thunk
};

#define DECLARE_MESSAGE_MAP()                    \
 protected:                                      \
  static const MessageMap* GetThisMessageMap();  \
  const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                            \
  const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); }      \
  const MessageMap* theClass::GetThisMessageMap() {                                      \
    using ThisClass = theClass;                                                           \
    using TheBaseClass = baseClass;                                                       \
    static const MessageMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                   \
  { 0, 0, 0, nullptr }                                                      \
  };                                                                        \
  static const MessageMap map = {&TheBaseClass::GetThisMessageMap, entries}; \
  return &map;                                                              \
  }

#define ON_COMMAND_NOTIFY_(code, id, fn) \
  {WM_COMMAND, code, id, [](CWnd* w, WPARAM, LPARAM) -> LRESULT { static_cast<ThisClass*>(w)->fn(); return 0; }},
#define ON_BN_CLICKED(id, fn) ON_COMMAND_NOTIFY_(BN_CLICKED, id, fn)
#define ON_EN_CHANGE(id, fn) ON_COMMAND_NOTIFY_(EN_CHANGE, id, fn)
#define ON_EN_KILLFOCUS(id, fn) ON_COMMAND_NOTIFY_(EN_KILLFOCUS, id, fn)
#define ON_CBN_DROPDOWN(id, fn) ON_COMMAND_NOTIFY_(CBN_DROPDOWN, id, fn)
#define ON_COMMAND(id, fn) ON_COMMAND_NOTIFY_(0, id, fn)
#define ON_WM_TIMER()                                                                          \
  {WM_TIMER, 0, 0, [](CWnd* w, WPARAM wp, LPARAM) -> LRESULT {                                 \
     static_cast<ThisClass*>(w)->OnTimer(static_cast<UINT_PTR>(wp)); return 0; }},
#define ON_WM_SYSCOMMAND()                                                                     \
  {WM_SYSCOMMAND, 0, 0, [](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT {                         \
     static_cast<ThisClass*>(w)->OnSysCommand(static_cast<UINT>(wp), lp); return 0; }},
#define ON_WM_PAINT() \
  {WM_PAINT, 0, 0, [](CWnd* w, WPARAM, LPARAM) -> LRESULT { static_cast<ThisClass*>(w)->OnPaint(); return 0; }},
#define ON_WM_QUERYDRAGICON()                                                                  \
  {WM_QUERYDRAGICON, 0, 0, [](CWnd* w, WPARAM, LPARAM) -> LRESULT {                            \
     return reinterpret_cast<LRESULT>(static_cast<ThisClass*>(w)->OnQueryDragIcon()); }},

#define DECLARE_EVENTSINK_MAP()                     \
 protected:                                         \
  static const EventSinkMap* GetThisEventSinkMap(); \
  const EventSinkMap* GetEventSinkMap() const override;

#define BEGIN_EVENTSINK_MAP(theClass, baseClass)                                             \
  const EventSinkMap* theClass::GetEventSinkMap() const { return GetThisEventSinkMap(); }   \
  const EventSinkMap* theClass::GetThisEventSinkMap() {                                     \
    using ThisClass = theClass;                                                              \
    using TheBaseClass = baseClass;                                                          \
    static const EventSinkEntry entries[] = {
#define END_EVENTSINK_MAP()                                                       \
  { 0, 0, nullptr }                                                               \
  };                                                                              \
  static const EventSinkMap map = {&TheBaseClass::GetThisEventSinkMap, entries};  \
  return &map;                                                                    \
  }
#define ON_EVENT(theClass, id, dispid, fn, params) \
  {id, dispid, [](CWnd* w) { static_cast<ThisClass*>(w)->fn(); }},
#define VTS_NONE ""

// ---- Windows ------------------------------------------------------------------------------

class CMenu {
 public:
  explicit CMenu(DialogWindow* owner) : m_owner(owner) {}
  BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr);
  int GetMenuItemCount() const;

 private:
  DialogWindow* m_owner;
};

class CDataExchange;

class CWnd {
 public:
  CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  virtual ~CWnd();

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }
  int GetDlgCtrlID() const;

  void SetWindowText(const char* text);
  void SetWindowText(const std::string& text) { SetWindowText(text.c_str()); }
  std::string GetWindowText() const;
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const;
  BOOL IsWindowVisible() const;
  BOOL ShowWindow(int show);  // 0 hides, anything else shows
  CWnd* SetFocus();
  static CWnd* GetFocus();
  void GetClientRect(CRect* rect) const;
  BOOL IsIconic() const;
  HICON SetIcon(HICON icon, BOOL big);
  CMenu* GetSystemMenu(BOOL revert);
  CWnd* GetDlgItem(int id) const;
  void SetDlgItemText(int id, const char* text);
  std::string GetDlgItemText(int id) const;
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);

  UINT_PTR SetTimer(UINT_PTR id, UINT elapse, void* callback);
  // Stops timer |id|; FALSE when it was not armed.
  BOOL KillTimer(UINT_PTR id);

  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  // One dispatch call on the hosted control this window is bound to. |arg| is the value to
  // put, or nullptr; the result (for a get) is stored in |result| as |returnType|.
  void InvokeHelper(DISPID id, WORD flags, VARTYPE returnType, void* result, const COleVariant* arg);

  // Message dispatch through the message map; the handler runs inside one try block and a
  // framework exception is shown in the error box.
  LRESULT OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam);
  // Routes an event of the hosted control |controlId| through the event sink map.
  void OnControlEvent(int controlId, DISPID dispid);

  // The window at |hWnd|, bound or temporary.
  static CWnd* FromHandle(HWND hWnd);

 protected:
  static const MessageMap* GetThisMessageMap();
  virtual const MessageMap* GetMessageMap() const;
  static const EventSinkMap* GetThisEventSinkMap();
  virtual const EventSinkMap* GetEventSinkMap() const;
  virtual void DoDataExchange(CDataExchange* dx);
  // Handling of messages without an entry of their own.
  virtual LRESULT DefaultMessage(UINT message, WPARAM wParam, LPARAM lParam);

 public:
  // Default handlers that a derived class's handler passes messages on to.
  void OnSysCommand(UINT id, LPARAM lParam);
  void OnPaint() {}
  void OnTimer(UINT_PTR) {}

 private:
  CMenu m_systemMenu{nullptr};
};

class CButton : public CWnd {};
class CEdit : public CWnd {};
class CStatic : public CWnd {
 public:
  HICON SetIcon(HICON icon);
  HICON GetIcon() const;
};

class CComboBox : public CWnd {
 public:
  int AddString(const char* text);
  void ResetContent();
  int SetCurSel(int index);
  int GetCurSel() const;
  int GetCount() const;
  std::string GetLBText(int index) const;
};

class CListCtrl : public CWnd {
 public:
  DWORD GetExtendedStyle() const;
  DWORD SetExtendedStyle(DWORD style);
  int InsertColumn(int column, const char* heading, int format, int width, int subItem);
  int InsertItem(int index, const char* text);
  BOOL SetItemText(int item, int subItem, const char* text);
  std::string GetItemText(int item, int subItem) const;
  BOOL DeleteAllItems();
  int GetItemCount() const;
  int GetColumnCount() const;
  int GetColumnWidth(int column) const;
};

class CDateTimeCtrl : public CWnd {
 public:
  bool GetTime(CTime* out) const;
  void SetTime(const CTime& time);
};

// The paint device context of a window while it paints.
class CPaintDC {
 public:
  explicit CPaintDC(CWnd* wnd);
  ~CPaintDC();
  WPARAM GetSafeHdc() const { return reinterpret_cast<WPARAM>(this); }
  BOOL DrawIcon(int x, int y, HICON icon);

 private:
  CWnd* m_wnd;
};

class CDataExchange {
 public:
  CDataExchange(CWnd* dlg, BOOL saveAndValidate) : m_pDlgWnd(dlg), m_bSaveAndValidate(saveAndValidate) {}
  CWnd* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
  bool m_failed = false;
};

void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_DateTimeCtrl(CDataExchange* dx, int id, CTime& value);

class CDialog : public CWnd {
 public:
  explicit CDialog(int templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // Creates the dialog, runs OnInitDialog and its modal loop, destroys it; the EndDialog result.
  virtual long DoModal();
  // Creates the dialog without a modal loop (the caller drives it); false on failure.
  bool Create();
  void DestroyWindow();
  void EndDialog(int result);
  bool IsEnded() const;
  DialogWindow* Window() const { return static_cast<DialogWindow*>(m_hWnd); }

  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();

 protected:
  static const MessageMap* GetThisMessageMap();
  const MessageMap* GetMessageMap() const override;
  static const EventSinkMap* GetThisEventSinkMap();
  const EventSinkMap* GetEventSinkMap() const override;
  LRESULT DefaultMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  int m_templateId;
  std::unique_ptr<DialogWindow> m_window;
};

// ---- Application ---------------------------------------------------------------------------

class CWinApp {
 public:
  explicit CWinApp(const char* appName = nullptr);
  virtual ~CWinApp();
  virtual BOOL InitInstance();

  HICON LoadIcon(int id) const;

  CWnd* m_pMainWnd = nullptr;
  std::string m_pszAppName;  // the application title
};

CWinApp* AfxGetApp();
// Framework start: takes the title from string 57344 unless the app named itself, then runs
// InitInstance. Returns the exit code.
int AfxWinMain(const PlatformServices& services);
// The application title used as the caption of boxes that have none of their own.
std::string AfxAppTitle();
BOOL AfxEnableControlContainer();
// The framework's application box: the title as caption, the exclamation icon unless |type|
// names an icon.
int AfxMessageBox(const char* text, UINT type = MB_OK);
// Shows a framework exception in the error box: stop icon, application title.
void AfxReportException(const CException& e);
HICON LoadImageIcon(int id, UINT type, int cx, int cy, UINT flags);
int GetSystemMetrics(int index);
