#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>

namespace velqo {

// An open directory (O_PATH): operations below it name their entries
// relative to it, so a directory swapped for a symbolic link after it was
// opened is never entered. Shared, because the resolver's cache and the
// paths resolved through it may outlive one another.
class DirHandle {
 public:
  DirHandle(int fd, const struct stat& st) : fd_(fd), st_(st) {}
  ~DirHandle() {
    if (fd_ >= 0) close(fd_);
  }
  DirHandle(const DirHandle&) = delete;
  DirHandle& operator=(const DirHandle&) = delete;

  int fd() const { return fd_; }
  // The directory's stat when it was opened: its identity.
  const struct stat& st() const { return st_; }
  bool SameAs(const struct stat& other) const { return st_.st_dev == other.st_dev && st_.st_ino == other.st_ino; }
  // A path by which calls that take no directory handle reach the
  // directory itself, through the handle rather than through its names.
  std::string ProcPath() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
  struct stat st_;
};

using DirRef = std::shared_ptr<const DirHandle>;

// Opens the directory name of dir_fd without following a link in name
// (AT_FDCWD and an absolute name: following every link on the way, for the
// tops). known, when given, is the entry's stat taken just before: the
// open itself refuses anything but a directory, so it need not be taken
// again. Returns nullptr with errno set; ELOOP when name is a link, ENOTDIR
// when it is something else.
DirRef OpenDirAt(int dir_fd, const char* name, bool follow, const struct stat* known = nullptr);

}  // namespace velqo
