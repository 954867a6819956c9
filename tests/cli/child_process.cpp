#include "tests/cli/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace velqo::cli::testing {

namespace {

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& t : texts) pointers.push_back(t.data());
  pointers.push_back(nullptr);
  return pointers;
}

void MakePipe(int fds[2]) {
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::vector<std::string>& env, const std::string& cwd,
                           bool stderr_on_terminal) {
  int in[2], out[2], err[2];
  MakePipe(in);
  MakePipe(out);
  if (stderr_on_terminal) {
    // err[0] the master end the test reads, err[1] the terminal the child writes.
    if (openpty(&err[0], &err[1], nullptr, nullptr, nullptr) != 0) {
      throw std::runtime_error("openpty failed");
    }
    fcntl(err[0], F_SETFD, FD_CLOEXEC);
    fcntl(err[1], F_SETFD, FD_CLOEXEC);
  } else {
    MakePipe(err);
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  std::vector<std::string> argv = args;
  argv.insert(argv.begin(), program);
  std::vector<std::string> envp = env;
  std::vector<char*> argv_p = Pointers(argv);
  std::vector<char*> envp_p = Pointers(envp);
  const int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv_p.data(), envp_p.data());
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  close(err[1]);
  in_ = in[1];
  out_fd_ = out[0];
  err_fd_ = err[0];
  if (rc != 0) {
    pid_ = -1;
    throw std::runtime_error("posix_spawn failed: " + program);
  }
  // A child that stops reading must not kill the test with SIGPIPE.
  signal(SIGPIPE, SIG_IGN);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  for (int fd : {in_, out_fd_, err_fd_}) {
    if (fd >= 0) close(fd);
  }
}

void ChildProcess::Write(const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(in_, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the child closed its input
    done += static_cast<std::size_t>(n);
  }
}

void ChildProcess::CloseInput() {
  if (in_ >= 0) close(in_);
  in_ = -1;
}

bool ChildProcess::Pump(int timeout_ms) {
  pollfd fds[2] = {{out_fd_, POLLIN, 0}, {err_fd_, POLLIN, 0}};
  int open_count = 0;
  for (pollfd& p : fds) {
    if (p.fd >= 0) ++open_count;
  }
  if (open_count == 0) return false;
  if (poll(fds, 2, timeout_ms) <= 0) return true;
  std::string* sinks[2] = {&out_, &err_};
  int* owners[2] = {&out_fd_, &err_fd_};
  for (int i = 0; i < 2; ++i) {
    if (fds[i].fd < 0 || fds[i].revents == 0) continue;
    char buffer[65536];
    const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
    if (n > 0) {
      sinks[i]->append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {  // EIO: the terminal's last writer left
      close(*owners[i]);
      *owners[i] = -1;
    }
  }
  return true;
}

bool ChildProcess::WaitForOutput(const std::string& text, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (out_.find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() >= end) return false;
    if (!Pump(10)) return out_.find(text) != std::string::npos;
  }
  return true;
}

void ChildProcess::Signal(int sig) {
  if (pid_ > 0) kill(pid_, sig);
}

ChildResult ChildProcess::Finish(std::chrono::milliseconds timeout) {
  CloseInput();
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (Pump(50)) {
    if (std::chrono::steady_clock::now() >= end) {
      kill(pid_, SIGKILL);
      break;
    }
  }
  ChildResult result;
  int status = 0;
  if (waitpid(pid_, &status, 0) == pid_) {
    if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  }
  pid_ = -1;
  result.out = out_;
  result.err = err_;
  return result;
}

ChildResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                       const std::vector<std::string>& env, const std::string& cwd,
                       const std::string& input) {
  ChildProcess child(program, args, env, cwd);
  child.Write(input);
  return child.Finish();
}

}  // namespace velqo::cli::testing
