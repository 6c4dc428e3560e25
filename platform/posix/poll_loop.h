#pragma once
// A small poll(2) event loop: watched descriptors and one-shot timers on the monotonic clock.
// Used by the simulator program and by tests that run a real line without a window system.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>

#include "platform/fd_watcher.h"

namespace posix {

class PollLoop : public FdWatcher {
 public:
  Token Watch(int fd, std::function<void()> onReadable) override;
  void Unwatch(Token token) override;
  // Runs |fn| once, |delay| from now.
  void After(std::chrono::microseconds delay, std::function<void()> fn);
  // Handles events until |timeout| has passed or Stop() is called.
  void RunFor(std::chrono::milliseconds timeout);
  // Handles events until |done| returns true or |timeout| passes; returns |done|().
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // Handles events until the monotonic clock reaches |deadlineUs| (NowUs), or until |stop|
  // holds after one of them.
  void RunUntilTime(std::int64_t deadlineUs, const std::function<bool()>& stop);
  void Stop() { m_stop = true; }
  static std::int64_t NowUs();

 private:
  void Step(std::int64_t deadlineUs);
  struct Watched {
    int fd;
    std::function<void()> onReadable;
  };
  std::map<Token, Watched> m_watched;
  std::multimap<std::int64_t, std::function<void()>> m_timers;
  Token m_next = 1;
  bool m_stop = false;
};

}  // namespace posix
