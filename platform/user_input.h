#pragma once
// The operator's actions on a dialog, with the platform's rules, and the press rule. Every
// backend routes input through these, so the system code sees the same order of
// notifications everywhere.

#include <cstdint>
#include <string>

#include "platform/window_model.h"

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

// Clicks that reached their button's handler through user::Click so far.
unsigned AfxClickSerial();
