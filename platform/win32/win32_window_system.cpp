#include "platform/win32/win32_window_system.h"

#include <ctime>

#include "platform/ctime.h"
#include "platform/dialog.h"
#include "platform/user_input.h"
#include "platform/wnd.h"

namespace win32backend {

namespace {

win32native::ControlClass ClassOf(ControlKind kind) {
  using win32native::ControlClass;
  switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::GroupBox: return ControlClass::Button;
    case ControlKind::Edit: return ControlClass::Edit;
    case ControlKind::ComboBox: return ControlClass::ComboBox;
    case ControlKind::ListView: return ControlClass::ListView;
    case ControlKind::StaticText:
    case ControlKind::StaticIcon: return ControlClass::Static;
    case ControlKind::DatePicker:
    case ControlKind::TimePicker: return ControlClass::DateTimePicker;
    case ControlKind::HostedControl:
    case ControlKind::Dialog: break;  // the serial control has no face
  }
  return ControlClass::None;
}

win32native::LocalTime ToLocal(std::int64_t t) {
  std::tm tm{};
  win32native::LocalTime local;
  if (CTime(t).GetLocalTm(&tm)) {
    local = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  }
  return local;
}

std::int64_t FromLocal(const win32native::LocalTime& t) {
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  tm.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&tm));
}

int IndexOf(const DialogWindow& dlg, const NativeWindow& wnd) {
  for (std::size_t i = 0; i < dlg.controls.size(); ++i) {
    if (dlg.controls[i].get() == &wnd) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

// The operator's actions in one dialog, routed through the framework's rules.
class Win32WindowSystem::Events : public win32native::DialogEvents {
 public:
  Events(Win32WindowSystem* system, DialogWindow* dlg) : m_system(system), m_dlg(dlg) {}
  void PressBegan(int index) override { m_system->m_press.Begin(At(index)); }
  void FocusIn(int index, bool byPress) override { m_system->m_press.FocusIn(*m_dlg, At(index), byPress); }
  bool PressDropped(int index) override { return m_system->m_press.Dropping(At(index)); }
  void Clicked(int index) override { m_system->m_press.Clicked(*m_dlg, At(index)); }
  void DroppedDown(int index) override { user::DropDown(*m_dlg, At(index).id); }
  void EditChanged(int index, const std::string& text) override { user::SetText(*m_dlg, At(index).id, text); }
  void ComboSelected(int index, int item) override { user::SelectComboItem(*m_dlg, At(index).id, item); }
  void PickerChanged(int index, const win32native::LocalTime& value) override {
    user::SetPickerTime(*m_dlg, At(index).id, FromLocal(value));
  }
  void Key(bool enter) override { user::PressKey(*m_dlg, enter ? user::Key::Enter : user::Key::Escape); }
  void SystemCommand(unsigned command) override { user::SystemCommand(*m_dlg, command); }
  const std::string* CellText(int index, int row, int subItem) override {
    const NativeWindow& w = At(index);
    if (row < 0 || static_cast<std::size_t>(row) >= w.rows.size()) return nullptr;
    const auto& cells = w.rows[static_cast<std::size_t>(row)];
    return subItem >= 0 && static_cast<std::size_t>(subItem) < cells.size() ? &cells[static_cast<std::size_t>(subItem)]
                                                                              : nullptr;
  }

 private:
  NativeWindow& At(int index) { return *m_dlg->controls[static_cast<std::size_t>(index)]; }
  Win32WindowSystem* m_system;
  DialogWindow* m_dlg;
};

struct Win32WindowSystem::DialogState {
  std::unique_ptr<Events> events;
  std::unique_ptr<win32native::DialogView> view;
  std::size_t defaultMenuItems = 0;  // the system menu's own entries, which the view has already
};

Win32WindowSystem::Win32WindowSystem() { win32native::AttachUiThread(); }

Win32WindowSystem::~Win32WindowSystem() {
  for (auto& [key, timer] : m_timers) win32native::StopTimer(timer);
  m_dialogs.clear();
  for (auto& [icon, handle] : m_icons) win32native::DestroyIconHandle(handle);
}

Win32WindowSystem::DialogState* Win32WindowSystem::State(const DialogWindow& dlg) const {
  auto it = m_dialogs.find(&dlg);
  return it == m_dialogs.end() ? nullptr : it->second.get();
}

win32native::DialogView* Win32WindowSystem::View(const DialogWindow& dlg) const {
  DialogState* s = State(dlg);
  return s ? s->view.get() : nullptr;
}

win32native::IconHandle Win32WindowSystem::Icon(HICON icon) {
  if (!icon) return nullptr;
  auto& handle = m_icons[icon];
  if (!handle) handle = win32native::CreateIconFromRgb(icon->width, icon->height, icon->rgb.data());
  return handle;
}

void Win32WindowSystem::SetBoxAutomation(std::function<std::pair<int, int>(const BoxSeen&)> answer) {
  m_boxAutomation = std::move(answer);
}

// ---- Views ---------------------------------------------------------------------------------

void Win32WindowSystem::CreateView(DialogWindow& dlg) {
  const DialogTemplate& tpl = *dlg.dialogTemplate;
  win32native::DialogSpec spec;
  spec.style = tpl.style;
  spec.exStyle = tpl.exStyle;
  spec.x = tpl.x;
  spec.y = tpl.y;
  spec.cx = tpl.cx;
  spec.cy = tpl.cy;
  spec.caption = dlg.text;
  spec.pointSize = tpl.pointSize;
  spec.face = tpl.faceName ? tpl.faceName : "";
  spec.weight = tpl.weight;
  spec.italic = tpl.italic;
  spec.charset = tpl.charset;
  for (const auto& c : dlg.controls) {
    win32native::ControlSpec cs;
    cs.id = c->id;
    cs.cls = ClassOf(c->kind);
    cs.style = c->style;
    cs.text = c->text;
    cs.x = c->unitRect.left;
    cs.y = c->unitRect.top;
    cs.cx = c->unitRect.Width();
    cs.cy = c->unitRect.Height();
    spec.controls.push_back(std::move(cs));
  }
  auto state = std::make_unique<DialogState>();
  state->events = std::make_unique<Events>(this, &dlg);
  // A dialog opened over another is owned by the topmost one that is showing.
  win32native::DialogView* owner = nullptr;
  for (auto& [other, s] : m_dialogs) {
    if (!other->ended && s->view) owner = s->view.get();
  }
  std::string error;
  state->view = win32native::DialogView::Create(spec, state->events.get(), owner, &error);
  if (!state->view) throw CException(error);
  win32native::DialogView& view = *state->view;
  state->defaultMenuItems = dlg.systemMenu.size();
  view.ClientSize(&dlg.clientPixelWidth, &dlg.clientPixelHeight);
  for (std::size_t i = 0; i < dlg.controls.size(); ++i) {
    NativeWindow& w = *dlg.controls[i];
    const int index = static_cast<int>(i);
    if (w.kind == ControlKind::StaticIcon) view.SetStaticIcon(index, Icon(w.icon));
    view.ControlClientSize(index, &w.clientWidth, &w.clientHeight);
    w.view = view.ControlHandle(index);
  }
  dlg.view = view.Handle();
  m_dialogs[&dlg] = std::move(state);
  if (m_showOnCreate) view.Show();
}

void Win32WindowSystem::DestroyView(DialogWindow& dlg) {
  for (auto it = m_timers.begin(); it != m_timers.end();) {
    const bool ours = it->first.first == &dlg;
    if (ours) win32native::StopTimer(it->second);
    it = ours ? m_timers.erase(it) : std::next(it);
  }
  m_press.Forget(dlg);
  for (auto& c : dlg.controls) c->view = nullptr;
  dlg.view = nullptr;
  m_dialogs.erase(&dlg);
}

void Win32WindowSystem::WindowChanged(NativeWindow& wnd, Change what) {
  if (wnd.dialog && State(*wnd.dialog)) Refresh(wnd, what);
}

void Win32WindowSystem::Refresh(NativeWindow& wnd, Change what) {
  DialogWindow& dlg = *wnd.dialog;
  win32native::DialogView& view = *State(dlg)->view;
  if (wnd.kind == ControlKind::Dialog) {
    switch (what) {
      case Change::Text: view.SetCaption(wnd.text); break;
      case Change::Icon: view.SetWindowIcons(Icon(dlg.bigIcon), Icon(dlg.smallIcon)); break;
      case Change::Visible:
        if (dlg.ended) view.Hide();
        break;
      case Change::Iconic: view.SetMinimised(dlg.iconic); break;
      case Change::Focus: {
        const int index = dlg.focus ? IndexOf(dlg, *dlg.focus) : -1;
        if (index >= 0) view.SetFocus(index);
        break;
      }
      default: break;
    }
    return;
  }
  const int index = IndexOf(dlg, wnd);
  if (index < 0) return;
  switch (what) {
    case Change::Text: view.SetText(index, wnd.text); break;
    case Change::Enabled: view.SetEnabled(index, wnd.enabled); break;
    case Change::Visible: view.SetVisible(index, wnd.visible); break;
    case Change::Icon: view.SetStaticIcon(index, Icon(wnd.icon)); break;
    case Change::Items: view.SetComboItems(index, wnd.items, wnd.curSel); break;
    case Change::Selection: view.SetComboSelection(index, wnd.curSel); break;
    case Change::Columns: {
      std::vector<win32native::ListColumnSpec> columns;
      for (const ListColumn& c : wnd.columns) columns.push_back({c.heading, c.format, c.width, c.subItem});
      view.SetListColumns(index, columns);
      view.SetListExtendedStyle(index, wnd.listExStyle);
      break;
    }
    case Change::Rows:
      view.SetListExtendedStyle(index, wnd.listExStyle);
      view.SetListRowCount(index, static_cast<int>(wnd.rows.size()));
      break;
    case Change::Time: view.SetPickerTime(index, ToLocal(wnd.time)); break;
    default: break;
  }
}

void Win32WindowSystem::RunModalLoop(DialogWindow& dlg) {
  DialogState* state = State(dlg);
  // The dialogs underneath take no input while this one runs.
  std::vector<win32native::DialogView*> disabled;
  for (auto& [other, s] : m_dialogs) {
    if (other != &dlg && s->view) {
      s->view->EnableInput(false);
      disabled.push_back(s->view.get());
    }
  }
  std::vector<win32native::MenuEntry> extras;
  for (std::size_t i = state->defaultMenuItems; i < dlg.systemMenu.size(); ++i) {
    const MenuItem& m = dlg.systemMenu[i];
    extras.push_back({(m.flags & MF_SEPARATOR) != 0, m.id, m.text});
  }
  state->view->SetSystemMenuExtras(extras);
  state->view->Show();
  if (dlg.focus) Refresh(dlg, Change::Focus);
  win32native::RunLoopUntil([&dlg] { return dlg.ended; });
  for (win32native::DialogView* v : disabled) v->EnableInput(true);
}

// ---- Boxes and the file dialog -------------------------------------------------------------

int Win32WindowSystem::MessageBox(DialogWindow* owner, const std::string& text, const std::string& caption, UINT type) {
  const std::size_t index = m_boxes.size();
  m_boxes.push_back({text, caption, type, 0});
  if (m_boxAutomation) {
    const BoxSeen seen = m_boxes.back();
    win32native::SetBoxAnswerer([this, seen](const std::string&, const std::string&, unsigned) {
      return m_boxAutomation(seen);
    });
  } else {
    win32native::SetBoxAnswerer(nullptr);
  }
  DialogState* state = owner ? State(*owner) : nullptr;
  const int answer = win32native::ShowMessageBox(state ? state->view.get() : nullptr, text, caption, type);
  m_boxes[index].answer = answer;
  return answer;
}

bool Win32WindowSystem::FileDialog(DialogWindow* owner, const FileDialogRequest& request, std::string* path) {
  DialogState* state = owner ? State(*owner) : nullptr;
  return win32native::ShowFileDialog(state ? state->view.get() : nullptr, request.openDialog, request.filter,
                                     request.defaultExtension, request.initialName, request.flags, path);
}

// ---- Timers and clocks ---------------------------------------------------------------------

void Win32WindowSystem::SetTimer(NativeWindow* wnd, UINT_PTR id, UINT ms, std::function<void()> onExpiry) {
  std::uintptr_t& key = m_timers[{wnd, id}];
  if (!key) key = m_nextTimerKey++;
  win32native::StartTimer(key, ms, std::move(onExpiry));
}

void Win32WindowSystem::KillTimer(NativeWindow* wnd, UINT_PTR id) {
  auto it = m_timers.find({wnd, id});
  if (it == m_timers.end()) return;
  win32native::StopTimer(it->second);
  m_timers.erase(it);
}

std::int64_t Win32WindowSystem::WallClockNow() { return static_cast<std::int64_t>(std::time(nullptr)); }

int Win32WindowSystem::SystemMetric(int index) { return win32native::SystemMetric(index); }

void Win32WindowSystem::Wait(int ms) { win32native::PumpFor(ms); }

bool Win32WindowSystem::WaitFor(const std::function<bool()>& done, int ms) {
  for (int waited = 0; !done() && waited < ms; waited += 5) win32native::PumpFor(5);
  return done();
}

}  // namespace win32backend
