#include "tests/support/sandbox.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fsys = std::filesystem;

namespace velqo::testing {

namespace {

std::tm Civil(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  return tm;
}

}  // namespace

std::time_t LocalEpoch(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm = Civil(year, month, day, hour, minute, second);
  return std::mktime(&tm);
}

std::time_t UtcEpoch(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm = Civil(year, month, day, hour, minute, second);
  return timegm(&tm);
}

Sandbox::Sandbox() {
  std::string tmpl = (fsys::temp_directory_path() / "velqo-test-XXXXXX").string();
  if (mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = tmpl;
  // The program directory holds Skins/, as in a build tree, so that the
  // program keeps its settings beside itself.
  for (const char* sub : {"c", "d", "e", "config/velqo", "prog/Skins"}) {
    fsys::create_directories(root_ + "/" + sub);
  }
}

static void MakeWritable(const fsys::path& dir) {
  std::error_code ec;
  fsys::permissions(dir, fsys::perms::owner_all, fsys::perm_options::add, ec);
  for (auto it = fsys::recursive_directory_iterator(dir, ec); !ec && it != fsys::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_symlink(ec)) continue;
    fsys::permissions(it->path(), fsys::perms::owner_all, fsys::perm_options::add, ec);
  }
}

Sandbox::~Sandbox() {
  std::error_code ec;
  MakeWritable(root_);
  fsys::remove_all(root_, ec);
}

std::string Sandbox::DriveDir(char letter) const {
  return root_ + "/" + static_cast<char>(letter | 0x20);
}

PlatformConfig Sandbox::ConfigFor(const std::string& root) {
  PlatformConfig c;
  c.home = root + "/c";
  c.xdg_config_home = root + "/config";
  c.xdg_data_home = root + "/data";
  c.xdg_cache_home = root + "/cache";
  c.xdg_state_home = root + "/state";
  c.tmpdir = root;
  c.velqo_drives = "C=" + root + "/c;D=" + root + "/d;E=" + root + "/e";
  c.program_path = root + "/prog/velqo";
  c.path_env = "/usr/bin:/bin";
  return c;
}

std::string Sandbox::HostPath(std::string_view windows) const {
  if (windows.size() < 2 || windows[1] != ':') throw std::invalid_argument("not a drive path");
  std::string host = DriveDir(windows[0]);
  for (char c : windows.substr(2)) host += (c == '\\') ? '/' : c;
  while (host.size() > 1 && host.back() == '/') host.pop_back();
  return host;
}

void Sandbox::WriteFile(std::string_view windows, std::string_view contents) const {
  const std::string path = HostPath(windows);
  fsys::create_directories(fsys::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string Sandbox::ReadFile(std::string_view windows) const {
  std::ifstream in(HostPath(windows), std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::vector<std::string> Sandbox::HostNames(std::string_view windows_dir) const {
  std::vector<std::string> names;
  DIR* d = opendir(HostPath(windows_dir).c_str());
  while (const dirent* e = d ? readdir(d) : nullptr) {
    const std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  if (d) closedir(d);
  return names;
}

bool Sandbox::Exists(std::string_view windows) const {
  struct stat st;
  return lstat(HostPath(windows).c_str(), &st) == 0;
}

void Sandbox::MakeDir(std::string_view windows) const { fsys::create_directories(HostPath(windows)); }

void Sandbox::SetMtime(std::string_view windows, std::time_t when) const {
  struct timeval times[2] = {{when, 0}, {when, 0}};
  if (lutimes(HostPath(windows).c_str(), times) != 0) throw std::runtime_error("lutimes failed");
}

std::time_t Sandbox::Mtime(std::string_view windows) const {
  struct stat st;
  if (lstat(HostPath(windows).c_str(), &st) != 0) return 0;
  return st.st_mtime;
}

void Sandbox::SetReadOnly(std::string_view windows, bool read_only) const {
  const std::string path = HostPath(windows);
  struct stat st;
  if (stat(path.c_str(), &st) != 0) throw std::runtime_error("stat failed");
  mode_t mode = st.st_mode & 07777;
  mode = read_only ? (mode & ~static_cast<mode_t>(0222)) : (mode | S_IWUSR);
  chmod(path.c_str(), mode);
}

SandboxTest::SandboxTest()
    : fs(NewPosixPlatform(sandbox.Config())), state(std::make_unique<AppState>(*fs, host)) {}

void SandboxTest::UsePlatform(Platform& platform) {
  state = std::make_unique<AppState>(platform, host);
}

}  // namespace velqo::testing
