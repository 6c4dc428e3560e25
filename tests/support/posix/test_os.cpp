#include "tests/support/test_os.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <ctime>

namespace testos {

bool UseTimeZone(const char* zone) {
  if (zone) setenv("TZ", zone, 1);
  else unsetenv("TZ");
  tzset();
  return true;
}

int ProcessId() { return static_cast<int>(::getpid()); }

namespace {
struct FlockedFile : HeldFile {
  explicit FlockedFile(int f) : fd(f) {}
  ~FlockedFile() override { ::close(fd); }
  int fd;
};
struct RlimitGuard : FileSizeLimit {
  explicit RlimitGuard(rlimit o) : old(o) {}
  ~RlimitGuard() override { setrlimit(RLIMIT_FSIZE, &old); }
  rlimit old;
};
}  // namespace

std::unique_ptr<HeldFile> HoldFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  if (::flock(fd, LOCK_EX) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<FlockedFile>(fd);
}

bool ReadOnlyBindsThisProcess() { return ::geteuid() != 0; }

std::unique_ptr<FileSizeLimit> LimitFileSize(std::uint64_t bytes) {
  std::signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG instead of ending the process
  rlimit old{};
  if (getrlimit(RLIMIT_FSIZE, &old) != 0) return nullptr;
  rlimit small = old;
  small.rlim_cur = static_cast<rlim_t>(bytes);
  if (setrlimit(RLIMIT_FSIZE, &small) != 0) return nullptr;
  return std::make_unique<RlimitGuard>(old);
}

}  // namespace testos
