#include "platform/posix/poll_loop.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <vector>

namespace posix {

std::int64_t PollLoop::NowUs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

FdWatcher::Token PollLoop::Watch(int fd, std::function<void()> onReadable) {
  const Token t = m_next++;
  m_watched[t] = {fd, std::move(onReadable)};
  return t;
}

void PollLoop::Unwatch(Token token) { m_watched.erase(token); }

void PollLoop::After(std::chrono::microseconds delay, std::function<void()> fn) {
  m_timers.emplace(NowUs() + delay.count(), std::move(fn));
}

void PollLoop::Step(std::int64_t deadlineUs) {
  std::int64_t wakeUs = deadlineUs;
  if (!m_timers.empty()) wakeUs = std::min(wakeUs, m_timers.begin()->first);
  std::vector<pollfd> fds;
  std::vector<Token> tokens;
  for (const auto& [token, w] : m_watched) {
    fds.push_back({w.fd, POLLIN, 0});
    tokens.push_back(token);
  }
  const std::int64_t waitUs = std::max<std::int64_t>(0, wakeUs - NowUs());
  const timespec timeout{static_cast<time_t>(waitUs / 1000000), static_cast<long>(waitUs % 1000000) * 1000};
  const int n = ppoll(fds.data(), fds.size(), &timeout, nullptr);
  if (n > 0) {
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (!fds[i].revents) continue;
      auto it = m_watched.find(tokens[i]);
      if (it == m_watched.end()) continue;  // unwatched by an earlier callback
      std::function<void()> fn = it->second.onReadable;
      fn();
    }
  }
  while (!m_timers.empty() && m_timers.begin()->first <= NowUs()) {
    std::function<void()> fn = std::move(m_timers.begin()->second);
    m_timers.erase(m_timers.begin());
    fn();
  }
}

void PollLoop::RunFor(std::chrono::milliseconds timeout) {
  RunUntil([] { return false; }, timeout);
}

void PollLoop::RunUntilTime(std::int64_t deadlineUs, const std::function<bool()>& stop) {
  while (!stop() && NowUs() < deadlineUs) Step(deadlineUs);
}

bool PollLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  m_stop = false;
  const std::int64_t deadline = NowUs() + timeout.count() * 1000;
  while (!m_stop && !done() && NowUs() < deadline) Step(deadline);
  return done();
}

}  // namespace posix
