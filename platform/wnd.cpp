#include "platform/wnd.h"

#include <algorithm>
#include <vector>

#include "platform/comm_control.h"
#include "platform/resources.h"

namespace {

PlatformServices g_services;
CWinApp* g_app = nullptr;
unsigned g_boxSerial = 0;
unsigned g_clickSerial = 0;
std::vector<DialogWindow*> g_liveDialogs;  // creation order; the last is the active one

constexpr int kAppTitleString = 57344;
constexpr DWORD WS_SYSMENU = 0x00080000;

DialogWindow* ActiveDialog() { return g_liveDialogs.empty() ? nullptr : g_liveDialogs.back(); }

bool IsPushButton(const NativeWindow* w) {
  return w && (w->kind == ControlKind::PushButton || w->kind == ControlKind::DefPushButton);
}

// Sends a control notification to the dialog that holds |w|.
void Notify(NativeWindow* w, WORD code) {
  if (!w || !w->dialog || !w->dialog->owner || w->id < 0) return;
  w->dialog->owner->OnWndMsg(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(w->id), code),
                             reinterpret_cast<LPARAM>(w));
}

// Moves the focus; the edit that loses it raises its kill-focus notification after the focus
// has moved, as the platform does.
NativeWindow* MoveFocus(DialogWindow& dlg, NativeWindow* to) {
  NativeWindow* old = dlg.focus;
  if (old == to) return old;
  dlg.focus = to;
  dlg.Changed(Change::Focus);
  if (old && old->kind == ControlKind::Edit) Notify(old, EN_KILLFOCUS);
  return old;
}

int ShowBox(DialogWindow* owner, const std::string& text, const std::string& caption, UINT type) {
  ++g_boxSerial;
  return AfxWindows().MessageBox(owner, text, caption, type);
}

bool Operable(const NativeWindow* w) { return w && w->enabled && w->visible; }

}  // namespace

// ---- Services and resources ----------------------------------------------------------------

void AfxSetServices(const PlatformServices& services) { g_services = services; }
const PlatformServices& AfxGetServices() { return g_services; }
WindowSystem& AfxWindows() {
  if (!g_services.windows) throw CException("No window system has been set up.");
  return *g_services.windows;
}
unsigned AfxBoxSerial() { return g_boxSerial; }
unsigned AfxClickSerial() { return g_clickSerial; }

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

// ---- Operator actions ----------------------------------------------------------------------

namespace user {

bool Click(DialogWindow& dlg, int id) {
  NativeWindow* w = dlg.Find(id);
  if (!Operable(w) || !IsPushButton(w) || dlg.ended) return false;
  const unsigned boxes = AfxBoxSerial();
  MoveFocus(dlg, w);
  if (AfxBoxSerial() != boxes || dlg.focus != w || dlg.ended || !Operable(w)) return false;
  ++g_clickSerial;
  Notify(w, BN_CLICKED);
  return true;
}

void Focus(DialogWindow& dlg, int id) {
  NativeWindow* w = dlg.Find(id);
  if (Operable(w)) MoveFocus(dlg, w);
}

void SetText(DialogWindow& dlg, int id, const std::string& text) {
  NativeWindow* w = dlg.Find(id);
  if (!Operable(w) || w->kind != ControlKind::Edit) return;
  MoveFocus(dlg, w);
  if (dlg.focus != w) return;
  w->text = text;
  w->Changed(Change::Text);
  Notify(w, EN_CHANGE);
}

void Type(DialogWindow& dlg, int id, const std::string& text) {
  NativeWindow* w = dlg.Find(id);
  if (!Operable(w) || w->kind != ControlKind::Edit) return;
  MoveFocus(dlg, w);
  std::size_t i = 0;
  while (i < text.size() && dlg.focus == w) {
    // One character per change: a UTF-8 sequence is typed as one character.
    std::size_t len = 1;
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead >= 0xF0) len = 4;
    else if (lead >= 0xE0) len = 3;
    else if (lead >= 0xC0) len = 2;
    w->text += text.substr(i, len);
    i += len;
    w->Changed(Change::Text);
    Notify(w, EN_CHANGE);
  }
}

void SelectComboItem(DialogWindow& dlg, int id, int index) {
  NativeWindow* w = dlg.Find(id);
  if (!Operable(w) || w->kind != ControlKind::ComboBox) return;
  if (index < 0 || index >= static_cast<int>(w->items.size())) return;
  MoveFocus(dlg, w);
  w->curSel = index;
  w->Changed(Change::Selection);
}

bool DropDown(DialogWindow& dlg, int id) {
  NativeWindow* w = dlg.Find(id);
  if (!Operable(w) || w->kind != ControlKind::ComboBox || dlg.ended) return false;
  MoveFocus(dlg, w);
  if (dlg.focus != w || !Operable(w)) return false;
  Notify(w, CBN_DROPDOWN);
  return Operable(w);
}

void SetPickerTime(DialogWindow& dlg, int id, std::int64_t time) {
  NativeWindow* w = dlg.Find(id);
  if (!Operable(w)) return;
  MoveFocus(dlg, w);
  w->time = time;
  w->timeValid = true;
  w->Changed(Change::Time);
}

void PressKey(DialogWindow& dlg, Key key) {
  if (!dlg.owner || dlg.ended) return;
  if (key == Key::Enter && IsPushButton(dlg.focus) && Operable(dlg.focus)) {
    Notify(dlg.focus, BN_CLICKED);
    return;
  }
  const WORD command = key == Key::Enter ? IDOK : IDCANCEL;
  dlg.owner->OnWndMsg(WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
}

void SystemCommand(DialogWindow& dlg, UINT command) {
  if (dlg.owner && !dlg.ended) dlg.owner->OnWndMsg(WM_SYSCOMMAND, command, 0);
}

void Close(DialogWindow& dlg) { SystemCommand(dlg, SC_CLOSE); }

void Paint(DialogWindow& dlg) {
  dlg.paintLog.clear();  // each paint starts from nothing drawn
  if (dlg.owner && !dlg.ended) dlg.owner->OnWndMsg(WM_PAINT, 0, 0);
}

void PressRouter::Begin(NativeWindow& wnd) {
  m_pressed = &wnd;
  m_drop = false;
}

void PressRouter::FocusIn(DialogWindow& dlg, NativeWindow& wnd, bool byPress) {
  if (byPress) {
    if (m_pressed != &wnd) Begin(wnd);  // a press may bring the focus back more than once
  } else {
    m_pressed = nullptr;
    m_drop = false;
  }
  if (dlg.focus == &wnd) return;
  const unsigned boxes = AfxBoxSerial();
  Focus(dlg, wnd.id);
  if (AfxBoxSerial() != boxes && m_pressed == &wnd) m_drop = true;
}

bool PressRouter::Clicked(DialogWindow& dlg, NativeWindow& wnd) {
  const bool dropped = m_pressed == &wnd && m_drop;
  m_pressed = nullptr;
  m_drop = false;
  return !dropped && Click(dlg, wnd.id);
}

bool PressRouter::TakeDropped(const NativeWindow& wnd) {
  if (!Dropping(wnd)) return false;
  m_pressed = nullptr;
  m_drop = false;
  return true;
}

void PressRouter::Forget(const DialogWindow& dlg) {
  if (m_pressed && m_pressed->dialog == &dlg) {
    m_pressed = nullptr;
    m_drop = false;
  }
}

}  // namespace user

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
  if (m_hWnd->kind == ControlKind::Edit) Notify(m_hWnd, EN_CHANGE);
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
  DialogWindow* dlg = ActiveDialog();
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
  return ShowBox(owner, text ? text : "", caption ? caption : AfxAppTitle(), type);
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

// ---- Controls ------------------------------------------------------------------------------

HICON CStatic::SetIcon(HICON icon) {
  if (!m_hWnd) return nullptr;
  HICON old = m_hWnd->icon;
  m_hWnd->icon = icon;
  m_hWnd->Changed(Change::Icon);
  return old;
}

HICON CStatic::GetIcon() const { return m_hWnd ? m_hWnd->icon : nullptr; }

int CComboBox::AddString(const char* text) {
  if (!m_hWnd) return CB_ERR;
  m_hWnd->items.emplace_back(text ? text : "");
  m_hWnd->Changed(Change::Items);
  return static_cast<int>(m_hWnd->items.size()) - 1;
}

void CComboBox::ResetContent() {
  if (!m_hWnd) return;
  m_hWnd->items.clear();
  m_hWnd->curSel = -1;
  m_hWnd->Changed(Change::Items);
}

int CComboBox::SetCurSel(int index) {
  if (!m_hWnd) return CB_ERR;
  const bool valid = index >= 0 && index < static_cast<int>(m_hWnd->items.size());
  m_hWnd->curSel = valid ? index : -1;
  m_hWnd->Changed(Change::Selection);
  return valid ? index : CB_ERR;
}

int CComboBox::GetCurSel() const { return m_hWnd ? m_hWnd->curSel : CB_ERR; }
int CComboBox::GetCount() const { return m_hWnd ? static_cast<int>(m_hWnd->items.size()) : 0; }
std::string CComboBox::GetLBText(int index) const {
  if (!m_hWnd || index < 0 || index >= static_cast<int>(m_hWnd->items.size())) return {};
  return m_hWnd->items[static_cast<std::size_t>(index)];
}

DWORD CListCtrl::GetExtendedStyle() const { return m_hWnd ? m_hWnd->listExStyle : 0; }

DWORD CListCtrl::SetExtendedStyle(DWORD style) {
  if (!m_hWnd) return 0;
  const DWORD old = m_hWnd->listExStyle;
  m_hWnd->listExStyle = style;
  m_hWnd->Changed(Change::Columns);
  return old;
}

int CListCtrl::InsertColumn(int column, const char* heading, int format, int width, int subItem) {
  if (!m_hWnd) return -1;
  auto& cols = m_hWnd->columns;
  column = std::clamp(column, 0, static_cast<int>(cols.size()));
  cols.insert(cols.begin() + column, ListColumn{heading ? heading : "", format, width, subItem});
  m_hWnd->Changed(Change::Columns);
  return column;
}

int CListCtrl::InsertItem(int index, const char* text) {
  if (!m_hWnd) return -1;
  auto& rows = m_hWnd->rows;
  index = std::clamp(index, 0, static_cast<int>(rows.size()));
  std::vector<std::string> row(std::max<std::size_t>(m_hWnd->columns.size(), 1));
  row[0] = text ? text : "";
  rows.insert(rows.begin() + index, std::move(row));
  m_hWnd->Changed(Change::Rows);
  return index;
}

BOOL CListCtrl::SetItemText(int item, int subItem, const char* text) {
  if (!m_hWnd || item < 0 || item >= static_cast<int>(m_hWnd->rows.size()) || subItem < 0) return FALSE;
  auto& row = m_hWnd->rows[static_cast<std::size_t>(item)];
  if (static_cast<std::size_t>(subItem) >= row.size()) row.resize(static_cast<std::size_t>(subItem) + 1);
  row[static_cast<std::size_t>(subItem)] = text ? text : "";
  m_hWnd->Changed(Change::Rows);
  return TRUE;
}

std::string CListCtrl::GetItemText(int item, int subItem) const {
  if (!m_hWnd || item < 0 || item >= static_cast<int>(m_hWnd->rows.size()) || subItem < 0) return {};
  const auto& row = m_hWnd->rows[static_cast<std::size_t>(item)];
  return static_cast<std::size_t>(subItem) < row.size() ? row[static_cast<std::size_t>(subItem)] : std::string();
}

BOOL CListCtrl::DeleteAllItems() {
  if (!m_hWnd) return FALSE;
  m_hWnd->rows.clear();
  m_hWnd->Changed(Change::Rows);
  return TRUE;
}

int CListCtrl::GetItemCount() const { return m_hWnd ? static_cast<int>(m_hWnd->rows.size()) : 0; }
int CListCtrl::GetColumnCount() const { return m_hWnd ? static_cast<int>(m_hWnd->columns.size()) : 0; }
int CListCtrl::GetColumnWidth(int column) const {
  if (!m_hWnd || column < 0 || column >= static_cast<int>(m_hWnd->columns.size())) return 0;
  return m_hWnd->columns[static_cast<std::size_t>(column)].width;
}

bool CDateTimeCtrl::GetTime(CTime* out) const {
  if (!m_hWnd || !m_hWnd->timeValid) return false;
  *out = CTime(m_hWnd->time);
  return true;
}

void CDateTimeCtrl::SetTime(const CTime& time) {
  if (!m_hWnd) return;
  m_hWnd->time = time.GetTime();
  m_hWnd->timeValid = true;
  m_hWnd->Changed(Change::Time);
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

// ---- Data exchange -------------------------------------------------------------------------

namespace {
NativeWindow* DialogControl(CDataExchange* dx, int id) {
  HWND dlg = dx->m_pDlgWnd ? dx->m_pDlgWnd->m_hWnd : nullptr;
  NativeWindow* w = dlg && dlg->kind == ControlKind::Dialog ? static_cast<DialogWindow*>(dlg)->Find(id) : nullptr;
  if (!w) throw CException("The dialog has no control " + std::to_string(id) + ".");
  return w;
}
}  // namespace

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (control.m_hWnd) return;
  NativeWindow* w = DialogControl(dx, id);
  if (w->attached && w->attached != &control) throw CException("Control " + std::to_string(id) + " is bound twice.");
  control.m_hWnd = w;
  w->attached = &control;
  w->temporary.reset();
}

void DDX_DateTimeCtrl(CDataExchange* dx, int id, CTime& value) {
  NativeWindow* w = DialogControl(dx, id);
  if (dx->m_bSaveAndValidate) {
    if (!w->timeValid) {
      // The member keeps its value; the caller goes on.
      AfxReportException(CException("The date and time picker holds no valid date and time."));
      dx->m_failed = true;
      return;
    }
    value = CTime(w->time);
  } else {
    w->time = value.GetTime();
    w->timeValid = true;
    w->Changed(Change::Time);
  }
}

// ---- CDialog -------------------------------------------------------------------------------

CDialog::CDialog(int templateId, CWnd* /*parent*/) : m_templateId(templateId) {}

CDialog::~CDialog() {
  if (m_window) DestroyWindow();
}

const MessageMap* CDialog::GetThisMessageMap() {
  static const MessageMapEntry entries[] = {{0, 0, 0, nullptr}};
  static const MessageMap map = {&CWnd::GetThisMessageMap, entries};
  return &map;
}
const MessageMap* CDialog::GetMessageMap() const { return GetThisMessageMap(); }
const EventSinkMap* CDialog::GetThisEventSinkMap() {
  static const EventSinkEntry entries[] = {{0, 0, nullptr}};
  static const EventSinkMap map = {&CWnd::GetThisEventSinkMap, entries};
  return &map;
}
const EventSinkMap* CDialog::GetEventSinkMap() const { return GetThisEventSinkMap(); }

bool CDialog::Create() {
  const DialogTemplate* tpl = AfxFindDialog(m_templateId);
  if (!tpl || m_window) return false;
  auto dlg = std::make_unique<DialogWindow>();
  dlg->kind = ControlKind::Dialog;
  dlg->id = tpl->id;
  dlg->dialogTemplate = tpl;
  dlg->style = tpl->style;
  dlg->unitRect = CRect{tpl->x, tpl->y, tpl->x + tpl->cx, tpl->y + tpl->cy};
  dlg->text = tpl->caption ? tpl->caption : "";
  dlg->dialog = dlg.get();
  dlg->owner = this;
  dlg->system = &AfxWindows();
  dlg->hasSystemMenu = (tpl->style & WS_SYSMENU) != 0;
  if (dlg->hasSystemMenu) {
    // The entries the window system gives a fixed-size window with a minimise box.
    dlg->systemMenu.push_back({MF_STRING, SC_RESTORE, "Restore"});
    dlg->systemMenu.push_back({MF_STRING, 0xF010, "Move"});
    if (tpl->style & WS_MINIMIZEBOX) dlg->systemMenu.push_back({MF_STRING, SC_MINIMIZE, "Minimize"});
    dlg->systemMenu.push_back({MF_SEPARATOR, 0, ""});
    dlg->systemMenu.push_back({MF_STRING, SC_CLOSE, "Close"});
  }
  for (const ControlTemplate& ct : tpl->controls) {
    auto c = std::make_unique<NativeWindow>();
    c->id = ct.id;
    c->kind = ct.kind;
    c->style = ct.style;
    c->unitRect = CRect{ct.x, ct.y, ct.x + ct.cx, ct.y + ct.cy};
    c->text = ct.text ? ct.text : "";
    c->visible = (ct.style & WS_VISIBLE) != 0;
    c->enabled = (ct.style & WS_DISABLED) == 0;
    c->dialog = dlg.get();
    if (ct.kind == ControlKind::StaticIcon) c->icon = AfxFindIcon(ct.iconId);
    if (ct.accessibleName) c->accessibleName = ct.accessibleName;
    c->nameFrom = ct.nameFrom;
    if (ct.kind == ControlKind::HostedControl && ct.classId && std::string(ct.classId) == kCommControlClassId) {
      c->hosted = std::make_unique<CommControl>(AfxGetServices().serialPorts);
      DialogWindow* raw = dlg.get();
      const int id = ct.id;
      c->hosted->fireEvent = [raw, id](DISPID dispid) {
        if (raw->owner && !raw->ended) raw->owner->OnControlEvent(id, dispid);
      };
    }
    dlg->controls.push_back(std::move(c));
  }
  m_hWnd = dlg.get();
  dlg->attached = this;
  m_window = std::move(dlg);
  g_liveDialogs.push_back(m_window.get());
  m_window->system->CreateView(*m_window);

  BOOL focusDefault = TRUE;
  try {
    focusDefault = OnInitDialog();
  } catch (const CException& e) {
    AfxReportException(e);
  }
  if (focusDefault && m_window && !m_window->focus) {
    for (const auto& c : m_window->controls) {
      if ((c->style & WS_TABSTOP) && Operable(c.get())) {
        MoveFocus(*m_window, c.get());
        break;
      }
    }
  }
  return true;
}

long CDialog::DoModal() {
  if (!Create()) return -1;
  if (!m_window->ended) m_window->system->RunModalLoop(*m_window);
  const long result = m_window->result;
  DestroyWindow();
  return result;
}

void CDialog::DestroyWindow() {
  if (!m_window) return;
  DialogWindow* dlg = m_window.get();
  WindowSystem* system = dlg->system;
  for (UINT_PTR id : std::vector<UINT_PTR>(dlg->timers)) system->KillTimer(dlg, id);
  dlg->timers.clear();
  system->DestroyView(*dlg);
  g_liveDialogs.erase(std::remove(g_liveDialogs.begin(), g_liveDialogs.end(), dlg), g_liveDialogs.end());
  dlg->owner = nullptr;
  for (auto& c : dlg->controls) c->hosted.reset();  // the hosted control closes its line
  m_window.reset();
  m_hWnd = nullptr;
}

void CDialog::EndDialog(int result) {
  if (!m_window || m_window->ended) return;
  m_window->ended = true;
  m_window->result = result;
  m_window->visible = false;
  m_window->Changed(Change::Visible);
}

bool CDialog::IsEnded() const { return !m_window || m_window->ended; }

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::DefaultMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (LOWORD(wParam) == IDOK) {
      OnOK();
      return 0;
    }
    if (LOWORD(wParam) == IDCANCEL) {
      OnCancel();
      return 0;
    }
  }
  return CWnd::DefaultMessage(message, wParam, lParam);
}

// ---- Application ---------------------------------------------------------------------------

CWinApp::CWinApp(const char* appName) {
  if (appName) m_pszAppName = appName;
  g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

HICON CWinApp::LoadIcon(int id) const { return AfxFindIcon(id); }

CWinApp* AfxGetApp() { return g_app; }

std::string AfxAppTitle() {
  if (g_app && !g_app->m_pszAppName.empty()) return g_app->m_pszAppName;
  const char* title = AfxFindString(kAppTitleString);
  return title ? title : "";
}

int AfxWinMain(const PlatformServices& services) {
  AfxSetServices(services);
  if (!g_app) return 1;
  if (g_app->m_pszAppName.empty()) {
    const char* title = AfxFindString(kAppTitleString);
    g_app->m_pszAppName = title ? title : "";
  }
  try {
    g_app->InitInstance();
  } catch (const CException& e) {
    AfxReportException(e);
  }
  return 0;
}

BOOL AfxEnableControlContainer() { return TRUE; }

int AfxMessageBox(const char* text, UINT type) {
  if ((type & MB_ICONMASK) == 0) type |= MB_ICONEXCLAMATION;
  return ShowBox(ActiveDialog(), text ? text : "", AfxAppTitle(), type);
}

void AfxReportException(const CException& e) {
  ShowBox(ActiveDialog(), e.Description(), AfxAppTitle(), MB_OK | MB_ICONSTOP);
}

HICON LoadImageIcon(int id, UINT /*type*/, int /*cx*/, int /*cy*/, UINT /*flags*/) { return AfxFindIcon(id); }

int GetSystemMetrics(int index) { return AfxWindows().SystemMetric(index); }
