// Dialogs, the message loop, timers, boxes and the file dialog on the Win32 API.

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>

#include "platform/win32/native.h"
#include "platform/win32/native_text.h"

namespace win32native {

namespace {

constexpr UINT kRunTasks = WM_APP + 1;
constexpr DWORD kDsSetFont = 0x40;

// ---- The user-interface thread's hidden window: posted tasks and timers ---------------------

HWND g_messageWindow = nullptr;
std::mutex g_taskMutex;
std::deque<std::function<void()>> g_tasks;
std::map<std::uintptr_t, std::function<void()>> g_timers;

void RunTasks() {
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard<std::mutex> lock(g_taskMutex);
      if (g_tasks.empty()) return;
      task = std::move(g_tasks.front());
      g_tasks.pop_front();
    }
    if (task) task();
  }
}

LRESULT CALLBACK MessageWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kRunTasks) {
    RunTasks();
    return 0;
  }
  if (msg == WM_TIMER) {
    auto it = g_timers.find(static_cast<std::uintptr_t>(wp));
    if (it != g_timers.end()) {
      const std::function<void()> onExpiry = it->second;  // the callback may stop or restart it
      onExpiry();
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// ---- Dialog views --------------------------------------------------------------------------

class Win32DialogView;
std::vector<Win32DialogView*> g_views;  // creation order: the last is on top

const wchar_t* ClassName(ControlClass cls) {
  switch (cls) {
    case ControlClass::Button: return L"BUTTON";
    case ControlClass::Edit: return L"EDIT";
    case ControlClass::ComboBox: return L"COMBOBOX";
    case ControlClass::ListView: return WC_LISTVIEWW;
    case ControlClass::Static: return L"STATIC";
    case ControlClass::DateTimePicker: return DATETIMEPICK_CLASSW;
    case ControlClass::None: break;
  }
  return nullptr;
}

// A DLGTEMPLATEEX with its items, built in memory.
class TemplateBuilder {
 public:
  void Word(WORD w) { m_words.push_back(w); }
  void Dword(DWORD d) {
    Word(LOWORD(d));
    Word(HIWORD(d));
  }
  void Text(const std::wstring& s) {
    for (wchar_t c : s) Word(static_cast<WORD>(c));
    Word(0);
  }
  void AlignDword() {
    if (m_words.size() % 2) Word(0);
  }
  const DLGTEMPLATE* Data() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

 private:
  std::vector<WORD> m_words;
};

LocalTime FromSystemTime(const SYSTEMTIME& st) {
  return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

SYSTEMTIME ToSystemTime(const LocalTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  return st;
}

std::wstring WindowText(HWND h) {
  const int n = GetWindowTextLengthW(h);
  std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
  GetWindowTextW(h, s.data(), n + 1);
  s.resize(static_cast<std::size_t>(n));
  return s;
}

class Win32DialogView : public DialogView {
 public:
  Win32DialogView(DialogEvents* events, const DialogSpec& spec) : m_events(events) {
    for (const ControlSpec& c : spec.controls) m_classes.push_back(c.cls);
    m_controls.assign(spec.controls.size(), nullptr);
  }
  ~Win32DialogView() override {
    g_views.erase(std::remove(g_views.begin(), g_views.end(), this), g_views.end());
    if (m_hwnd) {
      SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
      DestroyWindow(m_hwnd);
    }
  }

  bool Build(const DialogSpec& spec, DialogView* owner, std::string* error) {
    TemplateBuilder t;
    int created = 0;
    for (const ControlSpec& c : spec.controls) created += c.cls != ControlClass::None;
    t.Word(1);
    t.Word(0xFFFF);
    t.Dword(0);
    t.Dword(spec.exStyle);
    t.Dword((spec.style & ~WS_VISIBLE) | kDsSetFont);  // shown by the modal loop
    t.Word(static_cast<WORD>(created));
    t.Word(static_cast<WORD>(spec.x));
    t.Word(static_cast<WORD>(spec.y));
    t.Word(static_cast<WORD>(spec.cx));
    t.Word(static_cast<WORD>(spec.cy));
    t.Word(0);  // no menu
    t.Word(0);  // the dialog class
    t.Text(Wide(spec.caption));
    t.Word(static_cast<WORD>(spec.pointSize));
    t.Word(static_cast<WORD>(spec.weight));
    t.Word(static_cast<WORD>((spec.italic ? 1 : 0) | (spec.charset << 8)));
    t.Text(Wide(spec.face));
    for (const ControlSpec& c : spec.controls) {
      if (c.cls == ControlClass::None) continue;
      t.AlignDword();
      t.Dword(0);
      t.Dword(c.exStyle);
      DWORD style = c.style;
      // The rows live in the window model; the list asks for the ones it draws.
      if (c.cls == ControlClass::ListView) style |= LVS_OWNERDATA;
      t.Dword(style);
      t.Word(static_cast<WORD>(c.x));
      t.Word(static_cast<WORD>(c.y));
      t.Word(static_cast<WORD>(c.cx));
      t.Word(static_cast<WORD>(c.cy));
      t.Dword(static_cast<DWORD>(c.id) & 0xFFFF);
      t.Text(ClassName(c.cls));
      t.Text(c.cls == ControlClass::ListView || c.cls == ControlClass::DateTimePicker ? std::wstring() : Wide(c.text));
      t.Word(0);
    }
    HWND parent = owner ? static_cast<HWND>(owner->Handle()) : nullptr;
    HWND h = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t.Data(), parent, &DialogProc,
                                        reinterpret_cast<LPARAM>(this));
    if (!h) {
      *error = "The window could not be created: " + SystemMessage(GetLastError());
      return false;
    }
    m_hwnd = h;
    // Children come in template order; controls without a window take none.
    HWND child = GetWindow(h, GW_CHILD);
    for (std::size_t i = 0; i < spec.controls.size() && child; ++i) {
      if (spec.controls[i].cls == ControlClass::None) continue;
      m_controls[i] = child;
      SetWindowSubclass(child, &ControlProc, 1, reinterpret_cast<DWORD_PTR>(this));
      child = GetWindow(child, GW_HWNDNEXT);
    }
    g_views.push_back(this);
    return true;
  }

  void SetCaption(const std::string& text) override { SetWindowTextW(m_hwnd, Wide(text).c_str()); }

  void SetText(int index, const std::string& text) override {
    HWND h = Control(index);
    if (!h) return;
    const std::wstring wide = Wide(text);
    if (WindowText(h) == wide) return;
    Applying guard(this);
    SetWindowTextW(h, wide.c_str());
  }
  void SetEnabled(int index, bool enabled) override {
    if (HWND h = Control(index)) EnableWindow(h, enabled);
  }
  void SetVisible(int index, bool visible) override {
    if (HWND h = Control(index)) ShowWindow(h, visible ? SW_SHOWNA : SW_HIDE);
  }
  void SetFocus(int index) override {
    HWND h = Control(index);
    if (!h || GetFocus() == h) return;
    Applying guard(this);
    SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(h), TRUE);
  }
  void SetComboItems(int index, const std::vector<std::string>& items, int selection) override {
    HWND h = Control(index);
    if (!h) return;
    Applying guard(this);
    SendMessageW(h, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items) SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
    SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
  }
  void SetComboSelection(int index, int selection) override {
    HWND h = Control(index);
    if (!h) return;
    Applying guard(this);
    SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
  }
  void SetListColumns(int index, const std::vector<ListColumnSpec>& columns) override {
    HWND h = Control(index);
    if (!h) return;
    while (SendMessageW(h, LVM_DELETECOLUMN, 0, 0)) {
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
      std::wstring heading = Wide(columns[i].heading);
      LVCOLUMNW col{};
      col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
      col.fmt = columns[i].format;
      col.cx = columns[i].width;
      col.pszText = heading.data();
      col.iSubItem = columns[i].subItem;
      SendMessageW(h, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
    }
  }
  void SetListRowCount(int index, int rows) override {
    HWND h = Control(index);
    if (!h) return;
    SendMessageW(h, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows), 0);
    InvalidateRect(h, nullptr, TRUE);
  }
  void SetListExtendedStyle(int index, std::uint32_t exStyle) override {
    if (HWND h = Control(index)) SendMessageW(h, LVM_SETEXTENDEDLISTVIEWSTYLE, 0xFFFFFFFF, exStyle);
  }
  void SetPickerTime(int index, const LocalTime& value) override {
    HWND h = Control(index);
    if (!h) return;
    SYSTEMTIME st = ToSystemTime(value);
    Applying guard(this);
    SendMessageW(h, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
  }
  void SetStaticIcon(int index, IconHandle icon) override {
    if (HWND h = Control(index)) SendMessageW(h, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  }
  void SetWindowIcons(IconHandle big, IconHandle small) override {
    if (big) SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (small) SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  }
  void SetSystemMenuExtras(const std::vector<MenuEntry>& entries) override {
    HMENU menu = GetSystemMenu(m_hwnd, FALSE);
    if (!menu) return;
    for (std::size_t i = m_menuExtras; i < entries.size(); ++i) {
      if (entries[i].separator) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      else AppendMenuW(menu, MF_STRING, entries[i].id, Wide(entries[i].text).c_str());
    }
    m_menuExtras = std::max(m_menuExtras, entries.size());
  }
  void SetMinimised(bool minimised) override {
    m_minimised = minimised;
    if ((IsIconic(m_hwnd) != 0) != minimised) ShowWindow(m_hwnd, minimised ? SW_MINIMIZE : SW_RESTORE);
  }
  void Show() override {
    ShowWindow(m_hwnd, SW_SHOW);
    SetForegroundWindow(m_hwnd);
    UpdateWindow(m_hwnd);
  }
  void Hide() override { ShowWindow(m_hwnd, SW_HIDE); }
  void EnableInput(bool enabled) override { EnableWindow(m_hwnd, enabled); }
  void ClientSize(int* width, int* height) const override {
    RECT r{};
    GetClientRect(m_hwnd, &r);
    *width = r.right - r.left;
    *height = r.bottom - r.top;
  }
  void ControlClientSize(int index, int* width, int* height) const override {
    *width = *height = 0;
    HWND h = Control(index);
    if (!h) return;
    RECT r{};
    GetClientRect(h, &r);
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    if (m_classes[static_cast<std::size_t>(index)] == ControlClass::ListView) {
      HWND header = reinterpret_cast<HWND>(SendMessageW(h, LVM_GETHEADER, 0, 0));
      RECT hr{};
      if (header && GetWindowRect(header, &hr)) *height -= hr.bottom - hr.top;
    }
  }
  void* Handle() const override { return m_hwnd; }
  void* ControlHandle(int index) const override { return Control(index); }

  HWND Hwnd() const { return m_hwnd; }
  DialogEvents* Events() const { return m_events; }
  bool IsDroppedCombo(HWND h) const {
    const int i = IndexOf(h);
    return i >= 0 && m_classes[static_cast<std::size_t>(i)] == ControlClass::ComboBox &&
           SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0);
  }

 private:
  struct Applying {
    explicit Applying(Win32DialogView* v) : view(v), was(v->m_applying) { v->m_applying = true; }
    ~Applying() { view->m_applying = was; }
    Win32DialogView* view;
    bool was;
  };

  HWND Control(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < m_controls.size() ? m_controls[static_cast<std::size_t>(index)]
                                                                              : nullptr;
  }
  int IndexOf(HWND h) const {
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
      if (h && m_controls[i] == h) return static_cast<int>(i);
    }
    return -1;
  }

  static INT_PTR CALLBACK DialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
      SetWindowLongPtrW(h, DWLP_USER, lp);
      return FALSE;  // the framework sets the focus
    }
    auto* view = reinterpret_cast<Win32DialogView*>(GetWindowLongPtrW(h, DWLP_USER));
    return view && view->m_hwnd ? view->OnMessage(msg, wp, lp) : FALSE;
  }

  INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_COMMAND: {
        const int index = IndexOf(reinterpret_cast<HWND>(lp));
        const WORD code = HIWORD(wp);
        if (index < 0) {
          if (lp == 0 && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) m_events->Key(LOWORD(wp) == IDOK);
          return TRUE;
        }
        switch (m_classes[static_cast<std::size_t>(index)]) {
          case ControlClass::Button:
            if (code == BN_CLICKED) m_events->Clicked(index);
            break;
          case ControlClass::Edit:
            if (code == EN_CHANGE && !m_applying) {
              m_events->EditChanged(index, Utf8(WindowText(reinterpret_cast<HWND>(lp))));
            }
            break;
          case ControlClass::ComboBox:
            if (code == CBN_DROPDOWN && !m_applying) m_events->DroppedDown(index);
            if (code == CBN_SELCHANGE && !m_applying) {
              m_events->ComboSelected(index, static_cast<int>(SendMessageW(reinterpret_cast<HWND>(lp), CB_GETCURSEL, 0, 0)));
            }
            break;
          default:
            break;
        }
        return TRUE;
      }
      case WM_NOTIFY: {
        const auto* n = reinterpret_cast<const NMHDR*>(lp);
        const int index = IndexOf(n->hwndFrom);
        if (index < 0) return FALSE;
        if (n->code == DTN_DATETIMECHANGE && !m_applying) {
          const auto* change = reinterpret_cast<const NMDATETIMECHANGE*>(lp);
          if (change->dwFlags == GDT_VALID) m_events->PickerChanged(index, FromSystemTime(change->st));
          return TRUE;
        }
        if (n->code == LVN_GETDISPINFOW) {
          auto* info = reinterpret_cast<NMLVDISPINFOW*>(lp);
          if ((info->item.mask & LVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
            const std::string* text = m_events->CellText(index, info->item.iItem, info->item.iSubItem);
            const std::wstring wide = text ? Wide(*text) : std::wstring();
            const std::size_t n2 = std::min(wide.size(), static_cast<std::size_t>(info->item.cchTextMax - 1));
            std::memcpy(info->item.pszText, wide.data(), n2 * sizeof(wchar_t));
            info->item.pszText[n2] = L'\0';
          }
          return TRUE;
        }
        return FALSE;
      }
      case WM_SYSCOMMAND: {
        const UINT command = static_cast<UINT>(wp & 0xFFF0);
        if (command == SC_CLOSE || command == SC_MINIMIZE || command == SC_RESTORE || command < 0xF000) {
          m_events->SystemCommand(command);
          return TRUE;
        }
        return FALSE;
      }
      case WM_CLOSE:
        m_events->SystemCommand(SC_CLOSE);
        return TRUE;
      case WM_SIZE:
        // Minimised or restored another way, such as from the taskbar.
        if (wp == SIZE_MINIMIZED && !m_minimised) m_events->SystemCommand(SC_MINIMIZE);
        else if (wp == SIZE_RESTORED && m_minimised) m_events->SystemCommand(SC_RESTORE);
        return FALSE;
      default:
        return FALSE;
    }
  }

  static LRESULT CALLBACK ControlProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* view = reinterpret_cast<Win32DialogView*>(data);
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(h, &ControlProc, 1);
    const int index = view->IndexOf(h);
    // A press gives the focus from inside the control's own handling of it.
    const bool pointer = msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK;
    const bool press = (pointer || (msg == WM_KEYDOWN && wp == VK_SPACE)) && index >= 0 && !view->m_applying;
    if (press) {
      view->m_events->PressBegan(index);
      if (pointer) view->m_pressing = index;
    }
    const LRESULT r = DefSubclassProc(h, msg, wp, lp);
    if (msg == WM_SETFOCUS && !view->m_applying && index >= 0) view->m_events->FocusIn(index, view->m_pressing == index);
    if (press && pointer) {
      view->m_pressing = -1;
      // A button whose focus change showed a box shows itself released; should it still
      // report a click, the framework drops it.
      if (view->m_classes[static_cast<std::size_t>(index)] == ControlClass::Button && view->m_events->PressDropped(index)) {
        if (GetCapture() == h) ReleaseCapture();
        SendMessageW(h, BM_SETSTATE, FALSE, 0);
      }
    }
    return r;
  }

  HWND m_hwnd = nullptr;
  DialogEvents* m_events;
  std::vector<HWND> m_controls;
  std::vector<ControlClass> m_classes;
  std::size_t m_menuExtras = 0;
  bool m_applying = false;  // changes made by the program raise no operator events
  int m_pressing = -1;      // the control whose pointer press is being handled
  bool m_minimised = false;
};

// The dialogs' keyboard handling: Enter and Esc go to the framework, which decides what they
// do; Tab and the arrow keys move as in any dialog. A dropped-down combo list keeps its keys.
bool PreTranslate(MSG& m) {
  for (auto it = g_views.rbegin(); it != g_views.rend(); ++it) {
    Win32DialogView* v = *it;
    if (m.hwnd != v->Hwnd() && !IsChild(v->Hwnd(), m.hwnd)) continue;
    if (m.message == WM_KEYDOWN && (m.wParam == VK_RETURN || m.wParam == VK_ESCAPE) && !v->IsDroppedCombo(m.hwnd)) {
      v->Events()->Key(m.wParam == VK_RETURN);
      return true;
    }
    return IsDialogMessageW(v->Hwnd(), &m) != 0;
  }
  return false;
}

void Dispatch(MSG& m) {
  if (PreTranslate(m)) return;
  TranslateMessage(&m);
  DispatchMessageW(&m);
}

// ---- Boxes ---------------------------------------------------------------------------------

BoxAnswerer g_answerer;
std::map<UINT_PTR, int> g_answers;  // timer -> the button it presses

bool IsOurDialog(HWND h) {
  return std::any_of(g_views.begin(), g_views.end(), [h](Win32DialogView* v) { return v->Hwnd() == h; });
}

BOOL CALLBACK FindBox(HWND h, LPARAM out) {
  wchar_t cls[16] = {};
  GetClassNameW(h, cls, 16);
  if (std::wcscmp(cls, L"#32770") == 0 && IsWindowVisible(h) && IsWindowEnabled(h) && !IsOurDialog(h)) {
    *reinterpret_cast<HWND*>(out) = h;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK PressAnswer(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&box));
  if (!box) return;  // not up yet: try again at the next tick
  const int button = g_answers[timer];
  KillTimer(nullptr, timer);
  g_answers.erase(timer);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

// ---- PNG, for pictures of windows -----------------------------------------------------------

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n, std::uint32_t crc = 0) {
  crc = ~crc;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void Be32(std::vector<std::uint8_t>* out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out->push_back(static_cast<std::uint8_t>(v >> s));
}

void Chunk(std::vector<std::uint8_t>* png, const char* type, const std::vector<std::uint8_t>& data) {
  Be32(png, static_cast<std::uint32_t>(data.size()));
  std::vector<std::uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  png->insert(png->end(), body.begin(), body.end());
  Be32(png, Crc32(body.data(), body.size()));
}

// RGB rows into a PNG whose image data is stored uncompressed (deflate's stored blocks).
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb) {
  std::vector<std::uint8_t> raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    const auto* row = &rgb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3];
    raw.insert(raw.end(), row, row + static_cast<std::size_t>(width) * 3);
  }
  std::vector<std::uint8_t> z = {0x78, 0x01};
  for (std::size_t at = 0; at < raw.size() || at == 0;) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    z.push_back(at + n >= raw.size() ? 1 : 0);
    z.push_back(static_cast<std::uint8_t>(n & 0xFF));
    z.push_back(static_cast<std::uint8_t>(n >> 8));
    z.push_back(static_cast<std::uint8_t>(~n & 0xFF));
    z.push_back(static_cast<std::uint8_t>((~n >> 8) & 0xFF));
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
    if (n == 0) break;
  }
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  Be32(&z, (b << 16) | a);
  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  Be32(&header, static_cast<std::uint32_t>(width));
  Be32(&header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});
  Chunk(&png, "IHDR", header);
  Chunk(&png, "IDAT", z);
  Chunk(&png, "IEND", {});
  return png;
}

}  // namespace

// ---- Public functions ------------------------------------------------------------------------

void AttachUiThread() {
  if (g_messageWindow) return;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSW wc{};
  wc.lpfnWndProc = &MessageWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"Korvex12Messages";
  RegisterClassW(&wc);
  g_messageWindow = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

IconHandle CreateIconFromRgb(int width, int height, const std::uint8_t* rgb) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP color = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (!color) return nullptr;
  auto* px = static_cast<std::uint8_t*>(bits);
  for (int i = 0; i < width * height; ++i) {
    px[i * 4 + 0] = rgb[i * 3 + 2];
    px[i * 4 + 1] = rgb[i * 3 + 1];
    px[i * 4 + 2] = rgb[i * 3 + 0];
    px[i * 4 + 3] = 0xFF;
  }
  std::vector<std::uint8_t> zeros(static_cast<std::size_t>((width + 15) / 16 * 2 * height), 0);
  HBITMAP mask = CreateBitmap(width, height, 1, 1, zeros.data());  // all opaque
  ICONINFO info{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(color);
  return icon;
}

void DestroyIconHandle(IconHandle icon) {
  if (icon) DestroyIcon(static_cast<HICON>(icon));
}

std::unique_ptr<DialogView> DialogView::Create(const DialogSpec& spec, DialogEvents* events, DialogView* owner,
                                               std::string* error) {
  AttachUiThread();
  auto view = std::make_unique<Win32DialogView>(events, spec);
  if (!view->Build(spec, owner, error)) return nullptr;
  return view;
}

void RunLoopUntil(const std::function<bool()>& done) {
  MSG m;
  while (!done()) {
    const BOOL got = GetMessageW(&m, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(m.wParam));  // leave the quit for the outer loop
      return;
    }
    if (got < 0) return;
    Dispatch(m);
  }
}

void PumpFor(int ms) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(std::max(ms, 0));
  MSG m;
  for (;;) {
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) Dispatch(m);
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return;
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

void PumpUntil(std::int64_t steadyUs, const std::function<bool()>& stop) {
  using namespace std::chrono;
  MSG m;
  for (;;) {
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      Dispatch(m);
      if (stop()) return;
    }
    const std::int64_t now = duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
    if (now >= steadyUs) return;
    const auto waitMs = static_cast<DWORD>((steadyUs - now + 999) / 1000);
    MsgWaitForMultipleObjectsEx(0, nullptr, waitMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

void StartTimer(std::uintptr_t key, unsigned ms, std::function<void()> onExpiry) {
  AttachUiThread();
  g_timers[key] = std::move(onExpiry);
  ::SetTimer(g_messageWindow, key, std::max(ms, 1u), nullptr);  // the same key restarts the interval
}

void StopTimer(std::uintptr_t key) {
  if (g_timers.erase(key)) ::KillTimer(g_messageWindow, key);
}

void PostToUiThread(std::function<void()> task) {
  bool wake = false;
  {
    std::lock_guard<std::mutex> lock(g_taskMutex);
    wake = g_tasks.empty();
    g_tasks.push_back(std::move(task));
  }
  if (wake) PostMessageW(g_messageWindow, kRunTasks, 0, 0);
}

void SetBoxAnswerer(BoxAnswerer answerer) { g_answerer = std::move(answerer); }

int ShowMessageBox(DialogView* owner, const std::string& text, const std::string& caption, unsigned type) {
  UINT_PTR timer = 0;
  if (g_answerer) {
    const auto [button, holdMs] = g_answerer(text, caption, type);
    timer = ::SetTimer(nullptr, 0, static_cast<UINT>(std::max(holdMs, 1)), &PressAnswer);
    g_answers[timer] = button;
  }
  HWND parent = owner ? static_cast<HWND>(owner->Handle()) : nullptr;
  const int r = MessageBoxW(parent, Wide(text).c_str(), Wide(caption).c_str(), type);
  if (timer && g_answers.erase(timer)) ::KillTimer(nullptr, timer);
  return r;
}

bool ShowFileDialog(DialogView* owner, bool open, const std::string& filter, const std::string& defaultExtension,
                    const std::string& initialName, std::uint32_t flags, std::string* path) {
  // "Name|pattern|" becomes "Name\0pattern\0\0".
  std::wstring filters = Wide(filter);
  std::replace(filters.begin(), filters.end(), L'|', L'\0');
  filters.push_back(L'\0');
  std::vector<wchar_t> name(32768, L'\0');
  const std::wstring initial = Wide(initialName);
  std::copy_n(initial.begin(), std::min(initial.size(), name.size() - 1), name.begin());
  const std::wstring extension = Wide(defaultExtension);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner ? static_cast<HWND>(owner->Handle()) : nullptr;
  ofn.lpstrFilter = filter.empty() ? nullptr : filters.c_str();
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  ofn.Flags = flags | OFN_EXPLORER | OFN_NOCHANGEDIR | (open ? OFN_FILEMUSTEXIST : OFN_PATHMUSTEXIST);
  const BOOL ok = open ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
  if (!ok) return false;
  *path = Utf8(name.data());
  return true;
}

int SystemMetric(int index) { return GetSystemMetrics(index); }

void ClickButton(void* hwnd) { SendMessageW(static_cast<HWND>(hwnd), BM_CLICK, 0, 0); }

void PressMouse(void* hwnd) { SendMessageW(static_cast<HWND>(hwnd), WM_LBUTTONDOWN, MK_LBUTTON, 0); }

void ReleaseMouse(void* hwnd) { SendMessageW(static_cast<HWND>(hwnd), WM_LBUTTONUP, 0, 0); }

void TypeInto(void* hwnd, const std::string& text) {
  HWND h = static_cast<HWND>(hwnd);
  if (!IsWindowEnabled(h)) return;
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  SendMessageW(h, WM_LBUTTONUP, 0, 0);
  for (wchar_t c : Wide(text)) SendMessageW(h, WM_CHAR, c, 1);
}

void PressKeyInFocus(bool enter, void* fallback) {
  HWND target = GetFocus() ? GetFocus() : static_cast<HWND>(fallback);
  PostMessageW(target, WM_KEYDOWN, enter ? VK_RETURN : VK_ESCAPE, 1);
  PumpFor(0);
}

bool SaveWindowPicture(void* hwnd, const std::string& pngPath) {
  HWND h = static_cast<HWND>(hwnd);
  RECT r{};
  if (!GetWindowRect(h, &r)) return false;
  const int w = r.right - r.left, height = r.bottom - r.top;
  if (w <= 0 || height <= 0) return false;
  RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * static_cast<std::size_t>(height) * 3);
  const auto* px = static_cast<const std::uint8_t*>(bits);
  for (std::size_t i = 0; i < static_cast<std::size_t>(w) * static_cast<std::size_t>(height); ++i) {
    rgb[i * 3 + 0] = px[i * 4 + 2];
    rgb[i * 3 + 1] = px[i * 4 + 1];
    rgb[i * 3 + 2] = px[i * 4 + 0];
  }
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  const std::vector<std::uint8_t> png = EncodePng(w, height, rgb);
  std::ofstream out(std::filesystem::u8path(pngPath), std::ios::binary);
  out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  return static_cast<bool>(out);
}

}  // namespace win32native
