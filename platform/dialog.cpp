#include "platform/dialog.h"

#include <algorithm>
#include <vector>

#include "platform/app.h"
#include "platform/comm_control.h"
#include "platform/resources.h"

namespace {
std::vector<DialogWindow*> g_liveDialogs;  // creation order; the last is the active one
constexpr DWORD WS_SYSMENU = 0x00080000;
}  // namespace

DialogWindow* AfxActiveDialog() { return g_liveDialogs.empty() ? nullptr : g_liveDialogs.back(); }

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
      if ((c->style & WS_TABSTOP) && c->Operable()) {
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

