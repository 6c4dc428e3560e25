#pragma once
// Watching file descriptors from the event loop that runs the user-interface thread.

#include <functional>

class FdWatcher {
 public:
  using Token = int;
  virtual ~FdWatcher() = default;
  // Calls |onReadable| on the loop's thread whenever |fd| is readable or hung up.
  virtual Token Watch(int fd, std::function<void()> onReadable) = 0;
  // Stops watching; safe to call from inside the callback.
  virtual void Unwatch(Token token) = 0;
};
