#pragma once
// The backend-neutral state of native windows. The framework owns it and applies the
// platform's rules (change and kill-focus notifications, click after focus change,
// Enter and Esc); a backend mirrors it on screen and feeds the operator's actions back in.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/afx_types.h"
#include "platform/resources.h"

class CWnd;
class CDialog;
class HostedControl;
class WindowSystem;

struct ListColumn {
  std::string heading;
  int format = LVCFMT_LEFT;
  int width = 0;
  int subItem = 0;
};

struct MenuItem {
  UINT flags = 0;
  UINT id = 0;
  std::string text;
};

struct PaintRecord {
  int x;
  int y;
  HICON icon;
};

// What changed in a window, so that a view can refresh only that.
enum class Change : std::uint8_t { Text, Enabled, Visible, Focus, Items, Selection, Rows, Columns, Icon, Time, Iconic };

struct DialogWindow;

struct NativeWindow {
  virtual ~NativeWindow();
  int id = -1;
  ControlKind kind = ControlKind::StaticText;
  DWORD style = 0;
  CRect unitRect;  // position and size in dialog units
  std::string text;
  bool enabled = true;
  bool visible = true;
  DialogWindow* dialog = nullptr;  // the dialog that holds this control (itself for a dialog)
  CWnd* attached = nullptr;        // the CWnd object bound to this window, if any
  std::unique_ptr<CWnd> temporary;  // a plain CWnd handed out by GetDlgItem when none is bound

  // Combo box.
  std::vector<std::string> items;
  int curSel = -1;
  // List view.
  std::vector<ListColumn> columns;
  std::vector<std::vector<std::string>> rows;  // rows[i][subItem]
  DWORD listExStyle = 0;
  int clientWidth = 0;  // pixels of the list's client area, set by the backend
  int clientHeight = 0;
  // Date-time picker: the value it holds.
  std::int64_t time = 0;
  bool timeValid = true;
  // Static icon.
  HICON icon = nullptr;
  // The name assistive technology reports for a control that shows no text of its own, and
  // the control whose text names it (kept current), from the template.
  std::string accessibleName;
  int nameFrom = 0;
  // Hosted control.
  std::unique_ptr<HostedControl> hosted;
  // Backend data.
  void* view = nullptr;

  void Changed(Change what);
  // The name assistive technology reports: the text of the naming control, or the fixed name.
  std::string AccessibleName() const;
};

struct DialogWindow : NativeWindow {
  const DialogTemplate* dialogTemplate = nullptr;
  CDialog* owner = nullptr;
  WindowSystem* system = nullptr;
  std::vector<std::unique_ptr<NativeWindow>> controls;  // template order = tab order
  NativeWindow* focus = nullptr;
  bool ended = false;
  int result = 0;
  bool iconic = false;
  HICON bigIcon = nullptr;
  HICON smallIcon = nullptr;
  bool hasSystemMenu = true;
  std::vector<MenuItem> systemMenu;
  std::vector<PaintRecord> paintLog;  // icons drawn by the last paint
  int clientPixelWidth = 0;
  int clientPixelHeight = 0;
  std::vector<UINT_PTR> timers;  // timer ids armed on this window

  NativeWindow* Find(int controlId) const;
};

// The operator's actions, with the platform's rules. Both backends route input through
// these, so the system code sees the same order of notifications everywhere.
namespace user {
// Clicks a push button: the focus moves to it first; if that showed a box or the focus did
// not stay on it, the click is dropped. False when the click did not reach the button.
bool Click(DialogWindow& dlg, int id);
// Moves the keyboard focus (raising the kill-focus notification of the edit it leaves).
void Focus(DialogWindow& dlg, int id);
// Replaces the text of an edit as the operator would by typing it over (one change).
void SetText(DialogWindow& dlg, int id, const std::string& text);
// Types text at the end of an edit, one change notification per character.
void Type(DialogWindow& dlg, int id, const std::string& text);
void SelectComboItem(DialogWindow& dlg, int id, int index);
// Opens the drop-down list of a combo box: the focus moves to it and the dialog is told
// before the list shows, so that it may fill the list anew. False when the list must not open.
bool DropDown(DialogWindow& dlg, int id);
void SetPickerTime(DialogWindow& dlg, int id, std::int64_t time);
enum class Key { Enter, Escape };
void PressKey(DialogWindow& dlg, Key key);
void SystemCommand(DialogWindow& dlg, UINT command);
void Close(DialogWindow& dlg);
void Paint(DialogWindow& dlg);

// Pointer presses as a backend sees them: a press begins on a control, the control gains the
// focus, and the press may end in a click. A box shown by that focus change drops the click of
// this press, as on the original platform. Each press is judged on its own: however a press
// ends (released over the control, elsewhere, inside the box, or never), the next is a new one.
class PressRouter {
 public:
  // A press begins on |wnd| (a pointer button or the Space key goes down); it replaces any
  // earlier press.
  void Begin(NativeWindow& wnd);
  // |wnd| gains the keyboard focus, by a press on it (which begins that press) or otherwise
  // (which ends any press).
  void FocusIn(DialogWindow& dlg, NativeWindow& wnd, bool byPress);
  // |wnd| reports the click that ends its press; it reaches the handler unless the press was
  // dropped. True when it did.
  bool Clicked(DialogWindow& dlg, NativeWindow& wnd);
  // Whether the press under way on |wnd| is dropped; its click, should one come, is ignored.
  bool Dropping(const NativeWindow& wnd) const { return m_pressed == &wnd && m_drop; }
  // For backends that stop a dropped press from reaching the control: as Dropping, and the
  // press ends there.
  bool TakeDropped(const NativeWindow& wnd);
  // Forgets a press on |dlg|'s controls; called when its view goes.
  void Forget(const DialogWindow& dlg);

 private:
  const NativeWindow* m_pressed = nullptr;
  bool m_drop = false;
};
}  // namespace user

// Serial number of message boxes shown so far; lets the click rule see a box.
unsigned AfxBoxSerial();
// Clicks that reached their button's handler through user::Click so far.
unsigned AfxClickSerial();
