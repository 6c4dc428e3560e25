#include "tests/support/test_os.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
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

namespace {
// The effective ids of "nobody" while it lives; file permissions are checked against them.
struct Unprivileged : PermissionsBind {
  Unprivileged() {
    ok = ::setegid(kNobody) == 0 && ::seteuid(kNobody) == 0;
  }
  ~Unprivileged() override {
    (void)!::seteuid(0);
    (void)!::setegid(0);
  }
  static constexpr uid_t kNobody = 65534;
  bool ok = false;
};
}  // namespace

std::unique_ptr<PermissionsBind> MakePermissionsBind() {
  if (::geteuid() != 0) return std::make_unique<PermissionsBind>();
  auto guard = std::make_unique<Unprivileged>();
  if (!guard->ok) return nullptr;
  return guard;
}

unsigned FilePermissions(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<unsigned>(st.st_mode & 07777) : 0;
}

bool SetFilePermissions(const std::string& path, unsigned permissions) {
  return ::chmod(path.c_str(), static_cast<mode_t>(permissions)) == 0;
}

unsigned DistinctPermissions() { return 0640; }

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
