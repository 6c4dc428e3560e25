#include "platform/user_input.h"

#include "platform/app.h"
#include "platform/dialog.h"

namespace {
unsigned g_clickSerial = 0;
}  // namespace

unsigned AfxClickSerial() { return g_clickSerial; }

// ---- Operator actions ----------------------------------------------------------------------

namespace user {

bool Click(DialogWindow& dlg, int id) {
  NativeWindow* w = dlg.Find(id);
  if (!w || !w->Operable() || !w->IsPushButton() || dlg.ended) return false;
  const unsigned boxes = AfxBoxSerial();
  MoveFocus(dlg, w);
  if (AfxBoxSerial() != boxes || dlg.focus != w || dlg.ended || !w->Operable()) return false;
  ++g_clickSerial;
  NotifyDialog(w, BN_CLICKED);
  return true;
}

void Focus(DialogWindow& dlg, int id) {
  NativeWindow* w = dlg.Find(id);
  if (w && w->Operable()) MoveFocus(dlg, w);
}

void SetText(DialogWindow& dlg, int id, const std::string& text) {
  NativeWindow* w = dlg.Find(id);
  if (!w || !w->Operable() || w->kind != ControlKind::Edit) return;
  MoveFocus(dlg, w);
  if (dlg.focus != w) return;
  w->text = text;
  w->Changed(Change::Text);
  NotifyDialog(w, EN_CHANGE);
}

void Type(DialogWindow& dlg, int id, const std::string& text) {
  NativeWindow* w = dlg.Find(id);
  if (!w || !w->Operable() || w->kind != ControlKind::Edit) return;
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
    NotifyDialog(w, EN_CHANGE);
  }
}

void SelectComboItem(DialogWindow& dlg, int id, int index) {
  NativeWindow* w = dlg.Find(id);
  if (!w || !w->Operable() || w->kind != ControlKind::ComboBox) return;
  if (index < 0 || index >= static_cast<int>(w->items.size())) return;
  MoveFocus(dlg, w);
  w->curSel = index;
  w->Changed(Change::Selection);
}

bool DropDown(DialogWindow& dlg, int id) {
  NativeWindow* w = dlg.Find(id);
  if (!w || !w->Operable() || w->kind != ControlKind::ComboBox || dlg.ended) return false;
  MoveFocus(dlg, w);
  if (dlg.focus != w || !w->Operable()) return false;
  NotifyDialog(w, CBN_DROPDOWN);
  return w->Operable();
}

void SetPickerTime(DialogWindow& dlg, int id, std::int64_t time) {
  NativeWindow* w = dlg.Find(id);
  if (!w || !w->Operable()) return;
  MoveFocus(dlg, w);
  w->time = time;
  w->timeValid = true;
  w->Changed(Change::Time);
}

void PressKey(DialogWindow& dlg, Key key) {
  if (!dlg.owner || dlg.ended) return;
  if (key == Key::Enter && dlg.focus && dlg.focus->IsPushButton() && dlg.focus->Operable()) {
    NotifyDialog(dlg.focus, BN_CLICKED);
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

