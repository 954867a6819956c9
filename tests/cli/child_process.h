#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace velqo::cli::testing {

// What a finished program left behind.
struct ChildResult {
  int exit_status = -1;  // -1 when it did not exit normally
  int signal = 0;        // the signal that ended it, if any
  std::string out;
  std::string err;
};

// A program started directly (posix_spawn, no shell) with exactly the given
// environment, its standard input, output and error connected to pipes.
class ChildProcess {
 public:
  // stderr_on_terminal: standard error is a pseudo-terminal instead of a pipe.
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::vector<std::string>& env, const std::string& cwd,
               bool stderr_on_terminal = false);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  void Write(const std::string& text);
  void CloseInput();
  // Reads output until standard output holds text; false on time-out or exit.
  bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout);
  void Signal(int sig);
  // Closes the input, reads everything and waits for the exit.
  ChildResult Finish(std::chrono::milliseconds timeout = std::chrono::seconds(60));
  const std::string& out() const { return out_; }

 private:
  // One poll of both output pipes; false when both are closed.
  bool Pump(int timeout_ms);

  pid_t pid_ = -1;
  int in_ = -1;
  int out_fd_ = -1;
  int err_fd_ = -1;
  std::string out_;
  std::string err_;
};

// Runs a program to its end with the given standard input.
ChildResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                       const std::vector<std::string>& env, const std::string& cwd,
                       const std::string& input);

}  // namespace velqo::cli::testing
