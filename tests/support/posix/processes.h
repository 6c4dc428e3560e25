#pragma once
// Other programs that tests start on Linux: the simulator, a program holding a line, and a
// command run to its end with its output.

#include <sys/types.h>

#include <string>
#include <vector>

namespace testsupport {

// korvex12-sim as a child process, on a virtual port of the runtime directory the test set.
class Simulator {
 public:
  explicit Simulator(std::string program) : m_program(std::move(program)) {}
  ~Simulator() { Stop(); }
  // Starts it and waits for its "COMn path" line.
  bool Start(std::vector<std::string> args);
  // SIGKILL stands for a device that vanishes: nothing of the simulator's own clean-up runs.
  void Stop(int signal = 15);
  int Number() const;
  // The requests it has received so far (started with --trace), each as "FF 01 ...", waiting
  // up to |ms| for |count| of them.
  std::vector<std::string> Received(std::size_t count, int ms = 2000);
  std::string com;
  std::string pty;

 private:
  std::string m_program;
  pid_t m_pid = -1;
  int m_out = -1;
  std::string m_pending;
  std::vector<std::string> m_received;
};

// Another program holding a line: socat reading it, as a terminal would.
class LineHolder {
 public:
  ~LineHolder();
  // Starts socat on |device| and waits until it holds it.
  bool Start(const std::string& device);
  pid_t Pid() const { return m_pid; }

 private:
  pid_t m_pid = -1;
};

struct ProcessResult {
  int status = -1;  // the exit status, or -1 when it did not exit normally
  std::string out;
  std::string err;
};
// Runs |argv| to its end with |input| on its standard input.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input = "");

}  // namespace testsupport
