#include <sys/stat.h>

#include <cerrno>
#include <fstream>

#include "common/platform/platform_ops.h"
#include "common/posix/posix_impl.h"
#include "common/platform/windows_path.h"

namespace velqo {

namespace {

bool IsDirectory(const std::string& host) {
  struct stat st;
  return stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The directory of an XDG user-dirs key ("XDG_DOCUMENTS_DIR"), or empty.
std::string UserDir(const std::string& dirs_file, std::string_view key, const std::string& home) {
  std::ifstream in(dirs_file);
  std::string line;
  while (std::getline(in, line)) {
    std::string_view s = line;
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    if (s.empty() || s[0] == '#') continue;
    const std::size_t eq = s.find('=');
    if (eq == std::string_view::npos || s.substr(0, eq) != key) continue;
    std::string_view value = s.substr(eq + 1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) value.remove_suffix(1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    std::string dir;
    if (value.substr(0, 5) == "$HOME") {
      dir = home + std::string(value.substr(5));
    } else {
      dir = value;
    }
    return !dir.empty() && dir[0] == '/' ? dir : std::string();
  }
  return {};
}

}  // namespace

Status MakePrivateDirectories(const std::string& host) {
  if (host.empty() || host[0] != '/') return Status::InvalidArgument("not an absolute path: " + host);
  if (IsDirectory(host)) return Status::Ok();
  for (std::size_t cut = host.find('/', 1);; cut = host.find('/', cut + 1)) {
    const std::string part = host.substr(0, cut);
    if (!IsDirectory(part) && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      return Status::FromErrno(errno, "create " + part);
    }
    if (cut == std::string::npos) break;
  }
  return IsDirectory(host) ? Status::Ok() : Status::PathNotFound(host + " is not a directory");
}

Status PosixPlatform::WindowsDirectory(std::string* path) {
  const std::string config = ConfigHome();
  if (config.empty() || config[0] != '/') return Status::PathNotFound("no configuration directory ($HOME is not set)");
  const std::string dir = JoinHostPath(config, "velqo");
  if (Status made = MakePrivateDirectories(dir); !made.ok()) return made;
  return HostToWindows(NormalizeHostPath(dir), path);
}

std::string PosixPlatform::ProgramDirectory() {
  const std::size_t cut = config_.program_path.rfind('/');
  if (cut == std::string::npos) return {};
  return HostToWindowsOrEmpty(cut == 0 ? std::string("/") : config_.program_path.substr(0, cut));
}

std::string PosixPlatform::DataDirectory() {
  const std::size_t cut = config_.program_path.rfind('/');
  if (cut == std::string::npos) return {};
  const std::string program_dir = cut == 0 ? std::string("/") : config_.program_path.substr(0, cut);
  // A build tree holds the skins beside the program; an installed program
  // finds them in the share directory beside its bin directory.
  if (IsDirectory(JoinHostPath(program_dir, "Skins"))) return HostToWindowsOrEmpty(program_dir);
  return HostToWindowsOrEmpty(JoinHostPath(program_dir, "../share/velqo"));
}

std::string PosixPlatform::ShellFolder(std::string_view name) {
  const std::string& home = config_.home;
  auto under_home = [&](const char* sub) { return home.empty() ? std::string() : JoinHostPath(home, sub); };
  auto xdg = [&](const std::string& value, const char* fallback) {
    return !value.empty() && value[0] == '/' ? value : under_home(fallback);
  };
  const std::string dirs_file = JoinHostPath(ConfigHome(), "user-dirs.dirs");
  auto user_dir = [&](const char* key, const char* fallback) {
    const std::string dir = UserDir(dirs_file, key, home);
    return !dir.empty() ? dir : under_home(fallback);
  };
  std::string host;
  if (EqualsIgnoreCase(name, "Personal")) {
    host = user_dir("XDG_DOCUMENTS_DIR", "Documents");
  } else if (EqualsIgnoreCase(name, "Desktop")) {
    host = user_dir("XDG_DESKTOP_DIR", "Desktop");
  } else if (EqualsIgnoreCase(name, "My pictures")) {
    host = user_dir("XDG_PICTURES_DIR", "Pictures");
  } else if (EqualsIgnoreCase(name, "Templates")) {
    host = user_dir("XDG_TEMPLATES_DIR", "Templates");
  } else if (EqualsIgnoreCase(name, "Appdata")) {
    host = ConfigHome();
  } else if (EqualsIgnoreCase(name, "Local AppData")) {
    host = xdg(config_.xdg_data_home, ".local/share");
  } else if (EqualsIgnoreCase(name, "Cache")) {
    host = xdg(config_.xdg_cache_home, ".cache");
  } else if (EqualsIgnoreCase(name, "State")) {
    host = xdg(config_.xdg_state_home, ".local/state");
  } else if (name == "19") {
    std::string windows;
    return WindowsDirectory(&windows).ok() ? windows : std::string();
  } else if (name == "20") {
    return ProgramDirectory();
  } else if (name == "21") {
    host = config_.tmpdir.empty() || config_.tmpdir[0] != '/' ? std::string("/tmp") : config_.tmpdir;
  }
  if (host.empty() || host[0] != '/') return {};
  return HostToWindowsOrEmpty(host);
}

}  // namespace velqo
