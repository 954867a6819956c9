#include "common/posix/posix_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "common/time/local_clock.h"
#include "common/platform/platform_ops.h"
#include "common/posix/posix_impl.h"
#include "common/platform/windows_path.h"

namespace velqo {

namespace {

std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

// Reads a small text file whole; empty when missing or unreadable.
std::string ReadSmallFile(const std::string& host, std::size_t limit) {
  const int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
    if (text.size() > limit) break;
  }
  close(fd);
  return text;
}

// The name of the entry of dir that matches name (exactly, else ignoring
// case), or name itself.
std::string FindNameIgnoringCase(const std::string& dir, std::string_view name) {
  struct stat st;
  if (lstat(JoinHostPath(dir, name).c_str(), &st) == 0) return std::string(name);
  std::string found(name);
  if (DIR* d = opendir(dir.c_str())) {
    while (const struct dirent* e = readdir(d)) {
      if (EqualsIgnoreCase(e->d_name, name)) {
        found = e->d_name;
        break;
      }
    }
    closedir(d);
  }
  return found;
}

bool IsDriveText(std::string_view s) {
  return s.size() >= 2 && s[1] == ':' && ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z')) &&
         (s.size() == 2 || s[2] == '\\' || s[2] == '/');
}

}  // namespace

PlatformConfig PlatformConfig::FromEnvironment() {
  PlatformConfig c;
  c.home = EnvOrEmpty("HOME");
  c.xdg_config_home = EnvOrEmpty("XDG_CONFIG_HOME");
  c.xdg_data_home = EnvOrEmpty("XDG_DATA_HOME");
  c.xdg_cache_home = EnvOrEmpty("XDG_CACHE_HOME");
  c.xdg_state_home = EnvOrEmpty("XDG_STATE_HOME");
  c.tmpdir = EnvOrEmpty("TMPDIR");
  c.velqo_drives = EnvOrEmpty("VELQO_DRIVES");
  c.visual = EnvOrEmpty("VISUAL");
  c.editor = EnvOrEmpty("EDITOR");
  c.path_env = EnvOrEmpty("PATH");
  char exe[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n > 0) c.program_path.assign(exe, static_cast<std::size_t>(n));
  return c;
}

std::unique_ptr<Platform> NewPosixPlatform(const PlatformConfig& config) {
  return std::make_unique<PosixPlatform>(config);
}

PosixPlatform::PosixPlatform(const PlatformConfig& config)
    : config_(config), drives_(config.home), resolver_(drives_) {
  // The middle layer of the drive map: section Drives of WIN.INI.
  const std::string windows_dir = ConfigHome() + "/velqo";
  drives_.ApplyIniText(ReadSmallFile(JoinHostPath(windows_dir, FindNameIgnoringCase(windows_dir, "WIN.INI")), 1 << 20));
  drives_.ApplyList(config.velqo_drives);

  umask_ = umask(022);
  umask(umask_);

  // The program's own places may lie behind links (a user's dotfiles).
  std::vector<WindowsPath> followed;
  for (const std::string& host : {ConfigHome().empty() ? std::string() : windows_dir,
                                  config.program_path.empty() ? std::string() : HostParentPath(config.program_path)}) {
    WindowsPath place;
    if (host.size() < 2) continue;
    const std::string windows = HostToWindowsOrEmpty(host);
    if (!windows.empty() && ParseWindowsPath(windows, {}, &place).ok()) followed.push_back(std::move(place));
  }
  resolver_.SetFollowedPlaces(std::move(followed));

  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr || !HostToWindows(NormalizeHostPath(cwd), &current_dir_).ok()) {
    current_dir_ = "C:\\";
  }
}

PosixPlatform::~PosixPlatform() {
  // Copies not yet flushed keep their provisional times if this fails,
  // which only makes the next run copy them again.
  FlushCopies();
  ReleaseAppend();
}

std::string PosixPlatform::ConfigHome() const {
  // A relative value is invalid and ignored, as the base directory rules say.
  if (!config_.xdg_config_home.empty() && config_.xdg_config_home[0] == '/') return config_.xdg_config_home;
  return config_.home.empty() ? std::string() : JoinHostPath(config_.home, ".config");
}

Status PosixPlatform::LocateExisting(std::string_view path, ResolvedPath* out) {
  Status st = Locate(path, out);
  if (!st.ok()) return st;
  if (out->exists) return Status::Ok();
  const std::string shown(path);
  return out->parent_exists ? Status::FileNotFound(shown) : Status::PathNotFound(shown);
}

struct timespec PosixPlatform::RealMtime(const struct stat& st) const {
  auto it = pending_.find(InodeKey(st.st_dev, st.st_ino));
  // A file changed by someone else since the copy shows its own time.
  if (it == pending_.end() || it->second.provisional.tv_sec != st.st_mtim.tv_sec ||
      it->second.provisional.tv_nsec != st.st_mtim.tv_nsec) {
    return st.st_mtim;
  }
  return it->second.mtime;
}

std::uint32_t PosixPlatform::DosTimeOf(const struct stat& st) const {
  const struct timespec ts = RealMtime(st);
  std::timespec t{};
  t.tv_sec = ts.tv_sec;
  t.tv_nsec = ts.tv_nsec;
  return DosTimeFromTimespec(t);
}

std::uint32_t PosixPlatform::DosTimeOf(const struct stat& st, DosTimeConverter* converter) const {
  const struct timespec ts = RealMtime(st);
  std::timespec t{};
  t.tv_sec = ts.tv_sec;
  t.tv_nsec = ts.tv_nsec;
  return converter->FromTimespec(t);
}

namespace {

// The space a sparse regular file takes, which is all its copy takes;
// 0 for every other entry.
std::uint64_t SparseAllocation(const struct stat& st) {
  const auto blocks = static_cast<std::uint64_t>(st.st_blocks) * 512;
  return S_ISREG(st.st_mode) && blocks < static_cast<std::uint64_t>(st.st_size)
             ? std::max<std::uint64_t>(blocks, 1)
             : 0;
}

}  // namespace

FindData PosixPlatform::EntryOf(std::string name, std::uint32_t attributes, const struct stat& st,
                                DosTimeConverter* converter) const {
  FindData entry;
  entry.name = std::move(name);
  entry.attributes = attributes;
  entry.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
  entry.dos_time = converter != nullptr ? DosTimeOf(st, converter) : DosTimeOf(st);
  const struct timespec ts = RealMtime(st);
  entry.mtime_sec = static_cast<std::int64_t>(ts.tv_sec);
  entry.mtime_nsec = static_cast<std::int32_t>(ts.tv_nsec);
  entry.allocated = SparseAllocation(st);
  entry.metadata.mode = static_cast<std::uint32_t>(st.st_mode);
  entry.metadata.uid = static_cast<std::uint32_t>(st.st_uid);
  entry.metadata.gid = static_cast<std::uint32_t>(st.st_gid);
  entry.metadata.ctime_sec = static_cast<std::int64_t>(st.st_ctim.tv_sec);
  entry.metadata.ctime_nsec = static_cast<std::int32_t>(st.st_ctim.tv_nsec);
  entry.metadata.dev = static_cast<std::uint64_t>(st.st_dev);
  entry.metadata.ino = static_cast<std::uint64_t>(st.st_ino);
  return entry;
}

Status PosixPlatform::HostToWindows(std::string_view host, std::string* windows) const {
  std::string out;
  if (!drives_.ToWindows(HostPathInProgram(host), &out)) {
    return Status::InvalidArgument("no Windows form for " + std::string(host));
  }
  if (out.size() > kMaxWindowsPath) return Status::TooLong(out);
  *windows = std::move(out);
  return Status::Ok();
}

std::string PosixPlatform::HostToWindowsOrEmpty(std::string_view host) const {
  std::string windows;
  return HostToWindows(NormalizeHostPath(host), &windows).ok() ? windows : std::string();
}

Status PosixPlatform::ToWindowsPath(std::string_view typed, std::string* windows) {
  if (typed.size() > 4 * kMaxWindowsPath) return Status::TooLong(std::string(typed.substr(0, 64)) + "...");
  if (typed.empty()) return Status::InvalidArgument("empty path");
  if (typed.find('\0') != std::string_view::npos) return Status::InvalidArgument("zero in path");
  if (typed[0] == '/' || typed[0] == '~') {
    const std::string host = drives_.ExpandHome(typed);
    if (host.empty() || host[0] != '/') return Status::InvalidArgument("cannot convert " + std::string(typed));
    return HostToWindows(NormalizeHostPath(host), windows);
  }
  if (!IsDriveText(typed)) return Status::InvalidArgument("not a path: " + std::string(typed));
  std::string out(typed);
  for (char& c : out) {
    if (c == '/') c = '\\';
  }
  if (out.size() == 2) out += '\\';  // "C:" alone is the drive's root
  if (out.size() > kMaxWindowsPath) return Status::TooLong(out);
  *windows = std::move(out);
  return Status::Ok();
}

Status PosixPlatform::ToHostPath(std::string_view windows, std::string* host) {
  ResolvedPath r;
  Status st = Locate(windows, &r);
  if (!st.ok()) return st;
  *host = std::move(r.host);
  return Status::Ok();
}

Status PosixPlatform::SetCurrentDirectory(std::string_view path) {
  ResolvedPath r;
  Status st = LocateExisting(path, &r);
  if (!st.ok()) return st;
  struct stat target;
  if (stat(r.host.c_str(), &target) != 0 || !S_ISDIR(target.st_mode)) {
    return Status::PathNotFound("not a directory: " + std::string(path));
  }
  current_dir_ = r.windows.Format();
  return Status::Ok();
}

Status PosixPlatform::PinTops(const std::vector<std::string>& tops) {
  // Copies made below the old tops are made durable before their handles go.
  Status flushed = FlushCopies();
  // Directories below the old tops are settled while their paths still
  // lead to them; hard links are shared within one set of tops.
  const Status settled = SettleDirectories();
  if (flushed.ok()) flushed = settled;
  first_copies_.clear();
  ReleaseAppend();
  std::vector<WindowsPath> parsed;
  for (const std::string& top : tops) {
    WindowsPath path;
    if (!top.empty() && ParseWindowsPath(top, current_dir_, &path).ok()) parsed.push_back(std::move(path));
  }
  resolver_.PinTops(parsed);
  return flushed;
}

Status PosixPlatform::CaseTwins(std::string_view path, std::vector<std::string>* names) {
  WindowsPath parsed;
  Status st = ParseWindowsPath(path, current_dir_, &parsed);
  if (!st.ok()) return st;
  return resolver_.NamesLike(parsed, names);
}

LocalTime PosixPlatform::Now() { return CurrentLocalTime(); }

}  // namespace velqo
