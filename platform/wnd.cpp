#include "platform/wnd.h"

#include <algorithm>

#include "platform/app.h"
#include "platform/comm_control.h"
#include "platform/dialog.h"

// ---- Native window model -------------------------------------------------------------------

NativeWindow::~NativeWindow() {
  if (attached && attached->m_hWnd == this) attached->m_hWnd = nullptr;
}

void NativeWindow::Changed(Change what) {
  if (dialog && dialog->system) dialog->system->WindowChanged(*this, what);
}

std::string NativeWindow::AccessibleName() const {
  const NativeWindow* source = nameFrom && dialog ? dialog->Find(nameFrom) : nullptr;
  return source ? source->text : accessibleName;
}

NativeWindow* DialogWindow::Find(int controlId) const {
  for (const auto& c : controls) {
    if (c->id == controlId) return c.get();
  }
  return nullptr;
}

void NotifyDialog(NativeWindow* w, WORD code) {
  if (!w || !w->dialog || !w->dialog->owner || w->id < 0) return;
  w->dialog->owner->OnWndMsg(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(w->id), code), reinterpret_cast<LPARAM>(w));
}

NativeWindow* MoveFocus(DialogWindow& dlg, NativeWindow* to) {
  NativeWindow* old = dlg.focus;
  if (old == to) return old;
  dlg.focus = to;
  dlg.Changed(Change::Focus);
  if (old && old->kind == ControlKind::Edit) NotifyDialog(old, EN_KILLFOCUS);
  return old;
}

// ---- CMenu ---------------------------------------------------------------------------------

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, const char* text) {
  if (!m_owner) return FALSE;
  m_owner->systemMenu.push_back({flags, static_cast<UINT>(id), text ? text : ""});
  return TRUE;
}

int CMenu::GetMenuItemCount() const {
  return m_owner ? static_cast<int>(m_owner->systemMenu.size()) : -1;
}

// ---- CWnd ----------------------------------------------------------------------------------

CWnd::~CWnd() {
  if (m_hWnd && m_hWnd->attached == this) m_hWnd->attached = nullptr;
}

int CWnd::GetDlgCtrlID() const { return m_hWnd ? m_hWnd->id : 0; }

void CWnd::SetWindowText(const char* text) {
  if (!m_hWnd) return;
  m_hWnd->text = text ? text : "";
  m_hWnd->Changed(Change::Text);
  // An edit reports every change of its text, the program's own included.
  if (m_hWnd->kind == ControlKind::Edit) NotifyDialog(m_hWnd, EN_CHANGE);
}

std::string CWnd::GetWindowText() const { return m_hWnd ? m_hWnd->text : std::string(); }

BOOL CWnd::EnableWindow(BOOL enable) {
  if (!m_hWnd) return FALSE;
  const bool wasDisabled = !m_hWnd->enabled;
  if (m_hWnd->enabled != (enable != FALSE)) {
    m_hWnd->enabled = enable != FALSE;
    m_hWnd->Changed(Change::Enabled);
  }
  return wasDisabled ? TRUE : FALSE;
}

BOOL CWnd::IsWindowEnabled() const { return m_hWnd && m_hWnd->enabled ? TRUE : FALSE; }
BOOL CWnd::IsWindowVisible() const { return m_hWnd && m_hWnd->visible ? TRUE : FALSE; }

BOOL CWnd::ShowWindow(int show) {
  if (!m_hWnd) return FALSE;
  const bool was = m_hWnd->visible;
  m_hWnd->visible = show != 0;
  m_hWnd->Changed(Change::Visible);
  return was ? TRUE : FALSE;
}

CWnd* CWnd::SetFocus() {
  if (!m_hWnd || !m_hWnd->dialog) return nullptr;
  NativeWindow* old = MoveFocus(*m_hWnd->dialog, m_hWnd);
  return old ? FromHandle(old) : nullptr;
}

CWnd* CWnd::GetFocus() {
  DialogWindow* dlg = AfxActiveDialog();
  return dlg && dlg->focus ? FromHandle(dlg->focus) : nullptr;
}

void CWnd::GetClientRect(CRect* rect) const {
  *rect = CRect{};
  if (!m_hWnd) return;
  if (m_hWnd->kind == ControlKind::Dialog) {
    const auto* dlg = static_cast<const DialogWindow*>(m_hWnd);
    rect->right = dlg->clientPixelWidth;
    rect->bottom = dlg->clientPixelHeight;
  } else {
    rect->right = m_hWnd->clientWidth;
    rect->bottom = m_hWnd->clientHeight;
  }
}

BOOL CWnd::IsIconic() const {
  return m_hWnd && m_hWnd->kind == ControlKind::Dialog && static_cast<DialogWindow*>(m_hWnd)->iconic;
}

HICON CWnd::SetIcon(HICON icon, BOOL big) {
  if (!m_hWnd || m_hWnd->kind != ControlKind::Dialog) return nullptr;
  auto* dlg = static_cast<DialogWindow*>(m_hWnd);
  HICON& slot = big ? dlg->bigIcon : dlg->smallIcon;
  HICON old = slot;
  slot = icon;
  dlg->Changed(Change::Icon);
  return old;
}

CMenu* CWnd::GetSystemMenu(BOOL /*revert*/) {
  if (!m_hWnd || m_hWnd->kind != ControlKind::Dialog) return nullptr;
  auto* dlg = static_cast<DialogWindow*>(m_hWnd);
  if (!dlg->hasSystemMenu) return nullptr;
  m_systemMenu = CMenu(dlg);
  return &m_systemMenu;
}

CWnd* CWnd::GetDlgItem(int id) const {
  if (!m_hWnd || m_hWnd->kind != ControlKind::Dialog) return nullptr;
  NativeWindow* w = static_cast<DialogWindow*>(m_hWnd)->Find(id);
  return w ? FromHandle(w) : nullptr;
}

void CWnd::SetDlgItemText(int id, const char* text) {
  if (CWnd* w = GetDlgItem(id)) w->SetWindowText(text);
}

std::string CWnd::GetDlgItemText(int id) const {
  CWnd* w = GetDlgItem(id);
  return w ? w->GetWindowText() : std::string();
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return OnWndMsg(message, wParam, lParam);
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) {
  DialogWindow* owner = m_hWnd ? m_hWnd->dialog : nullptr;
  return AfxShowBox(owner, text ? text : "", caption ? caption : AfxAppTitle(), type);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, void* /*callback*/) {
  if (!m_hWnd) return 0;
  NativeWindow* hwnd = m_hWnd;
  AfxWindows().SetTimer(hwnd, id, elapse, [hwnd, id] {
    if (hwnd->attached) hwnd->attached->OnWndMsg(WM_TIMER, id, 0);
  });
  if (hwnd->kind == ControlKind::Dialog) {
    auto& timers = static_cast<DialogWindow*>(hwnd)->timers;
    if (std::find(timers.begin(), timers.end(), id) == timers.end()) timers.push_back(id);
  }
  return id;
}

BOOL CWnd::KillTimer(UINT_PTR id) {
  if (!m_hWnd) return FALSE;
  AfxWindows().KillTimer(m_hWnd, id);
  if (m_hWnd->kind != ControlKind::Dialog) return TRUE;
  auto& timers = static_cast<DialogWindow*>(m_hWnd)->timers;
  const auto armed = std::find(timers.begin(), timers.end(), id);
  if (armed == timers.end()) return FALSE;
  timers.erase(armed);
  return TRUE;
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  try {
    DoDataExchange(&dx);
  } catch (const CException& e) {
    AfxReportException(e);
    return FALSE;
  }
  return dx.m_failed ? FALSE : TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

void CWnd::InvokeHelper(DISPID id, WORD flags, VARTYPE returnType, void* result, const COleVariant* arg) {
  if (!m_hWnd || !m_hWnd->hosted) throw COleDispatchException("The control is not available.");
  COleVariant value = m_hWnd->hosted->Invoke(id, flags, arg);
  if (!result) return;
  switch (returnType) {
    case VT_I2: *static_cast<short*>(result) = static_cast<short>(value.intVal); break;
    case VT_I4: *static_cast<long*>(result) = value.intVal; break;
    case VT_BOOL: *static_cast<BOOL*>(result) = value.intVal ? TRUE : FALSE; break;
    case VT_BSTR: *static_cast<std::string*>(result) = value.strVal; break;
    case VT_VARIANT: *static_cast<COleVariant*>(result) = std::move(value); break;
    default: break;
  }
}

const MessageMap* CWnd::GetThisMessageMap() {
  static const MessageMapEntry entries[] = {{0, 0, 0, nullptr}};
  static const MessageMap map = {nullptr, entries};
  return &map;
}
const MessageMap* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

const EventSinkMap* CWnd::GetThisEventSinkMap() {
  static const EventSinkEntry entries[] = {{0, 0, nullptr}};
  static const EventSinkMap map = {nullptr, entries};
  return &map;
}
const EventSinkMap* CWnd::GetEventSinkMap() const { return GetThisEventSinkMap(); }

LRESULT CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam) {
  const MessageThunk thunk = [&]() -> MessageThunk {
    for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
      for (const MessageMapEntry* e = map->entries; e->thunk; ++e) {
        if (e->message != message) continue;
        if (message == WM_COMMAND && (e->id != LOWORD(wParam) || e->code != HIWORD(wParam))) continue;
        return e->thunk;
      }
    }
    return nullptr;
  }();
  try {
    return thunk ? thunk(this, wParam, lParam) : DefaultMessage(message, wParam, lParam);
  } catch (const CException& e) {
    AfxReportException(e);
  }
  return 0;
}

void CWnd::OnControlEvent(int controlId, DISPID dispid) {
  for (const EventSinkMap* map = GetEventSinkMap(); map; map = map->base ? map->base() : nullptr) {
    for (const EventSinkEntry* e = map->entries; e->thunk; ++e) {
      if (e->controlId != controlId || e->dispid != dispid) continue;
      try {
        e->thunk(this);
      } catch (const CException& ex) {
        AfxReportException(ex);
      }
      return;
    }
  }
}

LRESULT CWnd::DefaultMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYSCOMMAND) OnSysCommand(static_cast<UINT>(wParam), lParam);
  return 0;
}

void CWnd::OnSysCommand(UINT id, LPARAM) {
  if (!m_hWnd || m_hWnd->kind != ControlKind::Dialog) return;
  auto* dlg = static_cast<DialogWindow*>(m_hWnd);
  switch (id & 0xFFF0) {
    case SC_CLOSE:
      OnWndMsg(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      break;
    case SC_MINIMIZE:
      dlg->iconic = true;
      dlg->Changed(Change::Iconic);
      break;
    case SC_RESTORE:
      dlg->iconic = false;
      dlg->Changed(Change::Iconic);
      break;
    default:
      break;
  }
}

CWnd* CWnd::FromHandle(HWND hWnd) {
  if (!hWnd) return nullptr;
  if (hWnd->attached) return hWnd->attached;
  if (!hWnd->temporary) {
    hWnd->temporary = std::make_unique<CWnd>();
    hWnd->temporary->m_hWnd = hWnd;
  }
  return hWnd->temporary.get();
}

// ---- Painting ------------------------------------------------------------------------------

CPaintDC::CPaintDC(CWnd* wnd) : m_wnd(wnd) {
  if (m_wnd && m_wnd->m_hWnd && m_wnd->m_hWnd->dialog) m_wnd->m_hWnd->dialog->paintLog.clear();
}

CPaintDC::~CPaintDC() = default;

BOOL CPaintDC::DrawIcon(int x, int y, HICON icon) {
  if (!m_wnd || !m_wnd->m_hWnd || !m_wnd->m_hWnd->dialog) return FALSE;
  m_wnd->m_hWnd->dialog->paintLog.push_back({x, y, icon});
  return TRUE;
}

