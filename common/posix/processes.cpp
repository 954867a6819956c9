#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "common/posix/posix_impl.h"

extern char** environ;

namespace velqo {

namespace {

// The desktop text editors tried, in order, when $VISUAL is not set.
constexpr const char* kDesktopEditors[] = {"gnome-text-editor", "gedit", "kate", "mousepad", "xed", "pluma"};

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The full path of a program: a name with "/" as it is, else the first
// match on the search path.
std::string FindProgram(const std::string& name, const std::string& path_env) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
  std::size_t i = 0;
  while (i <= path_env.size()) {
    std::size_t j = path_env.find(':', i);
    if (j == std::string::npos) j = path_env.size();
    const std::string dir = path_env.substr(i, j - i);
    if (!dir.empty()) {
      const std::string candidate = JoinHostPath(dir, name);
      if (IsExecutableFile(candidate)) return candidate;
    }
    i = j + 1;
  }
  return {};
}

// "emacs -nw" as words; no quoting, no expansion: there is no shell.
std::vector<std::string> Words(const std::string& command) {
  std::vector<std::string> words;
  std::string word;
  for (const char c : command) {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

// Starts argv directly; the child's pid, or -1 when it could not start.
pid_t Start(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int PosixPlatform::RunEditor(std::string_view file) {
  ResolvedPath r;
  if (!Locate(file, &r).ok()) return -1;
  std::vector<std::vector<std::string>> candidates;
  candidates.push_back(Words(config_.visual));
  for (const char* editor : kDesktopEditors) candidates.push_back({editor});
  candidates.push_back(Words(config_.editor));
  for (std::vector<std::string>& command : candidates) {
    if (command.empty()) continue;
    command[0] = FindProgram(command[0], config_.path_env);
    if (command[0].empty()) continue;
    // The path is one argument of its own: no character in it is special.
    command.push_back(r.host);
    const pid_t pid = Start(command);
    if (pid > 0) return Wait(pid);
  }
  return -1;
}

bool PosixPlatform::OpenUrl(std::string_view url) {
  // A text taken for an option, or holding a line break, is no address.
  if (url.empty() || url[0] == '-') return false;
  for (const char c : url) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
  }
  const std::string opener = FindProgram("xdg-open", config_.path_env);
  if (opener.empty()) return false;
  const pid_t pid = Start({opener, std::string(url)});
  // xdg-open hands the address to the browser and returns.
  return pid > 0 && Wait(pid) == 0;
}

}  // namespace velqo
