#include "common/posix/temp_names.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <cstdint>
#include <ctime>
#include <fstream>
#include <mutex>
#include <sstream>

#include "common/posix/path_resolver.h"

namespace velqo {

namespace {

constexpr std::time_t kUnknownOwnerAge = 24 * 3600;

// The start time of process pid in clock ticks since boot (field 22 of
// its stat file), or 0 when it is not running.
unsigned long long StartTimeOf(long pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  if (!std::getline(in, text)) return 0;
  // The command name may hold spaces and parentheses: count from its end.
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(text.substr(close + 1));
  std::string field;
  // Fields 3 to 21, then the start time.
  for (int i = 3; i <= 21; ++i) fields >> field;
  unsigned long long start = 0;
  fields >> start;
  return start;
}

// The first eight hexadecimal digits of this boot's identity.
std::string BootTag() {
  std::ifstream in("/proc/sys/kernel/random/boot_id");
  std::string id;
  std::getline(in, id);
  std::string tag;
  for (const char c : id) {
    if (tag.size() == 8) break;
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')) tag += c;
  }
  return tag.size() == 8 ? tag : "00000000";
}

// When this boot began (seconds since the epoch), 0 when unknown.
std::time_t BootTime() {
  std::ifstream in("/proc/stat");
  std::string key;
  while (in >> key) {
    if (key == "btime") {
      long long value = 0;
      in >> value;
      return static_cast<std::time_t>(value);
    }
    in.ignore(1 << 20, '\n');
  }
  return 0;
}

struct Owner {
  long pid = 0;
  unsigned long long start = 0;
  std::string boot;
};

// This process as the owner part of its names; made again in the child of
// a fork, which is another process.
std::mutex own_mutex;
std::string own_part;

// Held across a fork, so the child never inherits it locked.
void LockOwnPart() { own_mutex.lock(); }
void UnlockOwnPart() { own_mutex.unlock(); }
void ForgetOwnPart() {
  own_part.clear();
  own_mutex.unlock();
}

std::string OwnPart() {
  static const bool registered = pthread_atfork(LockOwnPart, UnlockOwnPart, ForgetOwnPart) == 0;
  (void)registered;
  std::lock_guard<std::mutex> lock(own_mutex);
  if (own_part.empty()) {
    static const std::string boot = BootTag();
    const long pid = static_cast<long>(getpid());
    own_part = std::to_string(pid) + "." + std::to_string(StartTimeOf(pid)) + "." + boot + ".";
  }
  return own_part;
}

bool ParseNumber(std::string_view text, unsigned long long* value) {
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return ec == std::errc() && end == text.data() + text.size();
}

// pid.start.boot. after the prefix.
bool ParseOwner(std::string_view name, Owner* owner) {
  if (!IsTemporaryName(name)) return false;
  std::string_view rest = name.substr(kTempPrefix.size());
  std::string_view parts[3];
  for (std::string_view& part : parts) {
    const std::size_t dot = rest.find('.');
    if (dot == std::string_view::npos) return false;
    part = rest.substr(0, dot);
    rest.remove_prefix(dot + 1);
  }
  unsigned long long pid = 0;
  if (!ParseNumber(parts[0], &pid) || !ParseNumber(parts[1], &owner->start) || parts[2].size() != 8) return false;
  owner->pid = static_cast<long>(pid);
  owner->boot = std::string(parts[2]);
  return owner->pid > 0;
}

}  // namespace

std::string TemporaryNameTemplate() { return std::string(kTempPrefix) + OwnPart() + "XXXXXX"; }

std::string FreshTemporaryName() {
  static std::atomic<unsigned> counter{0};
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  const unsigned long mix = static_cast<unsigned long>(now.tv_nsec) ^ (++counter * 2654435761u);
  return std::string(kTempPrefix) + OwnPart() + std::to_string(mix % 100000000ul);
}

bool IsLeftoverTemporary(std::string_view name, const struct stat& st) {
  static const std::string boot = BootTag();
  static const std::time_t boot_time = BootTime();
  Owner owner;
  if (ParseOwner(name, &owner) && owner.boot == boot) {
    if (owner.pid == static_cast<long>(getpid())) return false;
    return StartTimeOf(owner.pid) != owner.start;
  }
  // Another boot (or another machine sharing the directory), or a name of
  // unknown form: only what is older than this boot or a day is surely dead.
  const std::time_t changed = st.st_ctim.tv_sec;
  if (boot_time != 0 && changed < boot_time) return true;
  return changed + kUnknownOwnerAge < std::time(nullptr);
}

int RemoveLeftoverTemporaries(int dir_fd, const std::vector<std::string>& names) {
  int removed = 0;
  for (const std::string& name : names) {
    struct stat st;
    if (fstatat(dir_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode)) continue;
    if (!IsLeftoverTemporary(name, st)) continue;
    if (unlinkat(dir_fd, name.c_str(), 0) == 0) ++removed;
  }
  return removed;
}

}  // namespace velqo
