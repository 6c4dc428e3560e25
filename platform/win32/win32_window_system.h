#pragma once
// The Win32 backend: dialogs built from the template data as real dialogs with the common
// controls, real boxes and Save As, window timers, and the system's serial ports and registry.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/native.h"
#include "platform/user_input.h"
#include "platform/window_system.h"

namespace win32backend {

struct BoxSeen {
  std::string text;
  std::string caption;
  UINT type = 0;
  int answer = 0;
};

class Win32WindowSystem : public WindowSystem {
 public:
  Win32WindowSystem();
  ~Win32WindowSystem() override;

  void CreateView(DialogWindow& dlg) override;
  void DestroyView(DialogWindow& dlg) override;
  void WindowChanged(NativeWindow& wnd, Change what) override;
  void RunModalLoop(DialogWindow& dlg) override;
  int MessageBox(DialogWindow* owner, const std::string& text, const std::string& caption, UINT type) override;
  bool FileDialog(DialogWindow* owner, const FileDialogRequest& request, std::string* path) override;
  void SetTimer(NativeWindow* wnd, UINT_PTR id, UINT ms, std::function<void()> onExpiry) override;
  void KillTimer(NativeWindow* wnd, UINT_PTR id) override;
  std::int64_t WallClockNow() override;
  int SystemMetric(int index) override;

  // ---- Automation, for tests and tools that run without an operator ----
  // Every box is answered by |answer|: the button, and how long the box stays open (ms).
  void SetBoxAutomation(std::function<std::pair<int, int>(const BoxSeen&)> answer);
  const std::vector<BoxSeen>& Boxes() const { return m_boxes; }
  // Shows each dialog as soon as its view exists, as the modal loop would.
  void ShowViewsWhenCreated(bool show) { m_showOnCreate = show; }
  // The native view of |dlg|, or nullptr.
  win32native::DialogView* View(const DialogWindow& dlg) const;
  // Runs the message loop for |ms| of real time, or until |done|.
  static void Wait(int ms);
  static bool WaitFor(const std::function<bool()>& done, int ms);

 private:
  class Events;
  struct DialogState;
  DialogState* State(const DialogWindow& dlg) const;
  win32native::IconHandle Icon(HICON icon);
  void Refresh(NativeWindow& wnd, Change what);

  std::map<const DialogWindow*, std::unique_ptr<DialogState>> m_dialogs;
  std::map<HICON, win32native::IconHandle> m_icons;
  std::map<std::pair<const NativeWindow*, UINT_PTR>, std::uintptr_t> m_timers;
  std::uintptr_t m_nextTimerKey = 1;
  std::function<std::pair<int, int>(const BoxSeen&)> m_boxAutomation;
  std::vector<BoxSeen> m_boxes;
  user::PressRouter m_press;
  bool m_showOnCreate = false;
};

}  // namespace win32backend
