#pragma once
// Windows and message maps, shaped like the class framework the system code is written
// against: CWnd over the native window model, message and event sink maps, painting.

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
