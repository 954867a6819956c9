#include <sys/ioctl.h>
#include <unistd.h>

#include <climits>
#include <exception>
#include <iostream>

#include "cli/answer_input.h"
#include "cli/cli_run.h"
#include "cli/signals.h"

namespace {

int TerminalWidth(int fd) {
  winsize size = {};
  if (ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velqo::cli;
  InstallInterruptHandlers();
  AnswerInput input(STDIN_FILENO, [] { return InterruptCount() > 0; });
  std::istream in(&input);
  CliIo io(in, std::cout, std::cerr);
  io.echo_answers = isatty(STDIN_FILENO) == 0;
  io.progress = isatty(STDERR_FILENO) != 0;
  io.width = TerminalWidth(STDERR_FILENO);
  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd) != nullptr) io.cwd = cwd;
  io.interrupts = InterruptCount;
  try {
    return RunCli(std::vector<std::string>(argv, argv + argc),
                  velqo::PlatformConfig::FromEnvironment(), io);
  } catch (const std::exception& e) {
    std::cerr << "velqo-cli: stopped by an internal error: " << e.what() << '\n';
    return kExitError;
  }
}
