#include "tests/support/posix/processes.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

extern char** environ;

namespace testsupport {

namespace fs = std::filesystem;

namespace {
std::vector<char*> Argv(std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return argv;
}
}  // namespace

bool Simulator::Start(std::vector<std::string> args) {
  Stop();
  int out[2];
  if (::pipe(out) != 0) return false;
  args.insert(args.begin(), m_program);
  std::vector<char*> argv = Argv(args);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  const bool spawned = posix_spawn(&m_pid, m_program.c_str(), &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (!spawned) {
    ::close(out[0]);
    m_pid = -1;
    return false;
  }
  m_out = out[0];
  std::string line;
  char c;
  while (::read(m_out, &c, 1) == 1 && c != '\n') line += c;
  std::istringstream in(line);
  in >> com >> pty;
  m_received.clear();
  m_pending.clear();
  return !com.empty();
}

void Simulator::Stop(int signal) {
  if (m_pid > 0) {
    ::kill(m_pid, signal);
    ::waitpid(m_pid, nullptr, 0);
  }
  m_pid = -1;
  if (m_out >= 0) ::close(m_out);
  m_out = -1;
}

int Simulator::Number() const { return std::atoi(com.c_str() + 3); }

std::vector<std::string> Simulator::Received(std::size_t count, int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (m_received.size() < count && m_out >= 0 && std::chrono::steady_clock::now() < until) {
    pollfd p{m_out, POLLIN, 0};
    if (::poll(&p, 1, 20) <= 0) continue;
    char buffer[256];
    const ssize_t n = ::read(m_out, buffer, sizeof buffer);
    if (n <= 0) break;
    m_pending.append(buffer, static_cast<std::size_t>(n));
    for (std::size_t end; (end = m_pending.find('\n')) != std::string::npos;) {
      const std::string line = m_pending.substr(0, end);
      m_pending.erase(0, end + 1);
      if (line.rfind("rx ", 0) == 0) m_received.push_back(line.substr(3));
    }
  }
  return m_received;
}

LineHolder::~LineHolder() {
  if (m_pid <= 0) return;
  ::kill(m_pid, SIGTERM);
  ::waitpid(m_pid, nullptr, 0);
}

bool LineHolder::Start(const std::string& device) {
  m_pid = ::fork();
  if (m_pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    const std::string address = "OPEN:" + device + ",rdonly,noctty";
    ::execlp("socat", "socat", "-u", address.c_str(), "STDOUT", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // Ready once the device shows among its descriptors.
  for (int i = 0; i < 300; ++i) {
    std::error_code ec;
    for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(m_pid) + "/fd", ec)) {
      if (fs::read_symlink(fd.path(), ec) == device) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input) {
  int in[2], out[2], err[2];
  if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) return {};
  std::vector<std::string> args = argv;
  std::vector<char*> cargv = Argv(args);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  for (int fd : {in[1], out[0], err[0]}) posix_spawn_file_actions_addclose(&actions, fd);
  pid_t pid = -1;
  const bool spawned = posix_spawn(&pid, args[0].c_str(), &actions, nullptr, cargv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  for (int fd : {in[0], out[1], err[1]}) ::close(fd);
  ProcessResult result;
  if (spawned) {
    (void)!::write(in[1], input.data(), input.size());
    ::close(in[1]);
    // Both outputs are read as they come, so that neither pipe fills and stops the program.
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* into[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0 && ::poll(fds, 2, -1) > 0) {
      for (int i = 0; i < 2; ++i) {
        if (!fds[i].revents) continue;
        char buffer[65536];
        const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
        if (n > 0) {
          into[i]->append(buffer, static_cast<std::size_t>(n));
        } else {
          fds[i].fd = -1;
          --open;
        }
      }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  } else {
    ::close(in[1]);
  }
  ::close(out[0]);
  ::close(err[0]);
  return result;
}

}  // namespace testsupport
