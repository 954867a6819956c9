#include "state/pair_key.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace velqo::state {

std::string PairKey::Text() const {
  std::string text = first;
  text.push_back('\0');
  text += second;
  return text;
}

PairKey MakePairKey(std::string_view real_dir1, std::string_view real_dir2) {
  PairKey key;
  key.swapped = real_dir2 < real_dir1;
  key.first = std::string(key.swapped ? real_dir2 : real_dir1);
  key.second = std::string(key.swapped ? real_dir1 : real_dir2);
  return key;
}

Status RealPath(const std::string& typed, std::string* real) {
  char* resolved = realpath(typed.c_str(), nullptr);
  if (!resolved) return Status::FromErrno(errno, "cannot resolve " + typed);
  *real = resolved;
  std::free(resolved);
  return Status::Ok();
}

namespace {

// FNV-1a: the lock file's name only needs to tell pairs apart, and a clash
// merely makes two different pairs wait for each other.
std::string KeyHash(const std::string& text) {
  std::uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(hash));
  return buf;
}

}  // namespace

PairLock::PairLock(PairLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

PairLock& PairLock::operator=(PairLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

PairLock::~PairLock() {
  if (fd_ >= 0) close(fd_);
}

Status PairLock::Acquire(const std::string& folder, const PairKey& key, bool wait, PairLock* lock) {
  std::string path = folder + "/pair-" + KeyHash(key.Text()) + ".lock";
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return Status::FromErrno(errno, "cannot open the lock " + path);
  int rc;
  do {
    rc = flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB));
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    int err = errno;
    close(fd);
    if (err == EWOULDBLOCK) {
      return Status::AccessDenied("another run is working on " + key.first + " and " + key.second);
    }
    return Status::FromErrno(err, "cannot lock " + path);
  }
  PairLock taken;
  taken.fd_ = fd;
  *lock = std::move(taken);
  return Status::Ok();
}

}  // namespace velqo::state
