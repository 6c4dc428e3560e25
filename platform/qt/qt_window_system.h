#pragma once
// The Qt 6 Widgets backend: dialogs built from the template data, native boxes and file
// dialog, precise window timers and descriptor watching on the Qt event loop.

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/fd_watcher.h"
#include "platform/user_input.h"
#include "platform/window_system.h"

class QDialog;
class QObject;
class QSocketNotifier;
class QTimer;
class QWidget;

namespace qtbackend {

struct BoxSeen {
  std::string text;
  std::string caption;
  UINT type = 0;
  int answer = 0;
  std::chrono::steady_clock::time_point askedAt;  // when the system code asked for the box
};

class QtWindowSystem : public WindowSystem, public FdWatcher {
 public:
  QtWindowSystem();
  ~QtWindowSystem() override;

  // WindowSystem
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

  // FdWatcher
  Token Watch(int fd, std::function<void()> onReadable) override;
  void Unwatch(Token token) override;

  // The tooltip of a port entry, such as the device path and its USB description.
  void SetItemTooltips(std::function<std::string(const std::string&)> tooltipForItem);

  // ---- Automation, for tests and tools that run without an operator ----
  // Every box is answered by |answer|: the button, and how long the box stays open (ms).
  void SetBoxAutomation(std::function<std::pair<int, int>(const BoxSeen&)> answer);
  const std::vector<BoxSeen>& Boxes() const { return m_boxes; }
  void ClearBoxes() { m_boxes.clear(); }
  // Every file dialog is answered by |answer| (nullopt: cancelled); the default extension and
  // the overwrite confirmation apply as in the dialog itself.
  void SetFileDialogAutomation(std::function<std::optional<std::string>(const FileDialogRequest&)> answer);
  // Called whenever a dialog's view has been built.
  void SetViewCreatedHook(std::function<void(DialogWindow&)> hook) { m_viewCreated = std::move(hook); }
  // The widget that shows |wnd|, or nullptr.
  QWidget* Widget(const NativeWindow* wnd) const;
  // Saves a picture of the dialog as PNG.
  bool Grab(const DialogWindow& dlg, const std::string& pngPath) const;
  // Runs the event loop for |ms| milliseconds of real time.
  static void Wait(int ms);
  // Runs the event loop until |done| or |ms| pass; returns done().
  static bool WaitFor(const std::function<bool()>& done, int ms);

  // Called by the views.
  user::PressRouter& Press() { return m_press; }
  bool SettingFocus() const { return m_settingFocus; }
  std::size_t WatchCount() const { return m_notifiers.size(); }

 private:
  struct DialogView;
  void Refresh(NativeWindow& wnd, Change what);
  void DrawPendingLists(DialogWindow* dlg);

  std::map<std::pair<const NativeWindow*, UINT_PTR>, QTimer*> m_timers;
  std::map<Token, QSocketNotifier*> m_notifiers;
  Token m_nextToken = 1;
  std::function<std::string(const std::string&)> m_tooltips;
  std::function<std::pair<int, int>(const BoxSeen&)> m_boxAutomation;
  std::function<std::optional<std::string>(const FileDialogRequest&)> m_fileAutomation;
  std::function<void(DialogWindow&)> m_viewCreated;
  std::vector<BoxSeen> m_boxes;
  user::PressRouter m_press;
  bool m_settingFocus = false;
};

}  // namespace qtbackend
