#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <algorithm>
#include <cstdint>

#include "common/posix/posix_impl.h"
#include "common/posix/temp_names.h"

namespace velqo {

namespace {

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Writes a complete new file beside host and renames it into place, so a
// crash leaves either the old or the new contents, never a part.
Status ReplaceAtomically(const std::string& host, const std::string& shown, std::string_view contents,
                         const struct stat* existing, mode_t umask_bits) {
  const std::string dir = HostParentPath(host);
  std::string temp = JoinHostPath(dir, TemporaryNameTemplate());
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return Status::FromErrno(errno, "create a temporary file beside " + shown);
  // A replaced file keeps its permissions and owner; a new one gets the umask's.
  const mode_t mode = existing != nullptr ? (existing->st_mode & 07777) : (0666 & ~umask_bits);
  // Best effort: vfat and exfat have no such modes to keep.
  fchmod(fd, mode);
  bool ok = true;
  if (existing != nullptr && geteuid() == 0) {
    if (fchown(fd, existing->st_uid, existing->st_gid) != 0) {
      // Keeping root as the owner is harmless; the contents still change.
    }
  }
  ok = ok && WriteAll(fd, contents) && fsync(fd) == 0;
  const int err = errno;
  if (close(fd) != 0 && ok) ok = false;
  if (!ok || rename(temp.c_str(), host.c_str()) != 0) {
    const int rename_err = ok ? errno : err;
    unlink(temp.c_str());
    return Status::FromErrno(rename_err, "write " + shown);
  }
  const int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    fsync(dfd);
    close(dfd);
  }
  return Status::Ok();
}

// O_NOFOLLOW when the file's own name must not be a link: a link swapped in
// after the checks still fails the open instead of being followed.
int NoFollow(const FileAccess& access) { return access.follow_link ? 0 : O_NOFOLLOW; }

Status OpenFailure(int err, const std::string& host) {
  if (err == ELOOP) return Status::AccessDenied("a symbolic link: " + host);
  return Status::FromErrno(err, "open " + host);
}

}  // namespace

Status PosixPlatform::ReadFile(std::string_view path, std::string* contents, const FileAccess& access) {
  ResolvedPath r;
  Status st = LocateExisting(path, &r);
  if (!st.ok()) return st;
  if (r.is_top) return Status::AccessDenied("a directory: " + std::string(path));
  const int fd = openat(r.at_fd(), r.at_name(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | NoFollow(access));
  if (fd < 0) return OpenFailure(errno, r.host);
  struct stat fst;
  if (fstat(fd, &fst) != 0 || !S_ISREG(fst.st_mode)) {
    close(fd);
    return Status::AccessDenied("not a regular file: " + std::string(path));
  }
  // Refused before reading: a huge (or sparse) file costs nothing.
  const auto size = static_cast<std::uint64_t>(fst.st_size);
  if (size > access.max_size) {
    close(fd);
    return Status::TooLarge(std::string(path));
  }
  std::string text;
  // Exactly the file's size when a bound vouches for it; an unbounded read
  // of a sparse giant must not ask for all of it at once.
  if (access.max_size != UINT64_MAX) text.reserve(static_cast<std::size_t>(size));
  // One byte more than the bound tells a file that grew while it was read.
  const std::uint64_t limit = access.max_size == UINT64_MAX ? UINT64_MAX : access.max_size + 1;
  char buffer[65536];
  while (text.size() < limit) {
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(sizeof buffer, limit - text.size()));
    const ssize_t n = read(fd, buffer, want);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      close(fd);
      return Status::FromErrno(err, "read " + r.host);
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);
  if (text.size() > access.max_size) return Status::TooLarge(std::string(path));
  *contents = std::move(text);
  return Status::Ok();
}

Status PosixPlatform::WriteFile(std::string_view path, std::string_view contents, WriteMode mode,
                                const FileAccess& access) {
  ResolvedPath r;
  Status st = Locate(path, &r);
  if (!st.ok()) return st;
  if (r.windows.IsRoot()) return Status::AccessDenied(std::string(path));
  if (!r.parent_exists) return Status::PathNotFound(std::string(path));
  // Through the directory's handle: no link on the way is followed.
  std::string host = r.ProcPath();
  struct stat target {};
  bool exists = r.exists;
  if (exists && S_ISLNK(r.st.st_mode) && !access.follow_link) {
    return Status::AccessDenied("a symbolic link: " + std::string(path));
  }
  if (exists && S_ISLNK(r.st.st_mode)) {
    // A linked settings file stays linked: the file it names is replaced.
    char real[PATH_MAX];
    if (realpath(r.ProcPath().c_str(), real) != nullptr) host = real;
    exists = stat(host.c_str(), &target) == 0;
  } else if (exists) {
    target = r.st;
  }
  if (exists) {
    if (!S_ISREG(target.st_mode)) return Status::AccessDenied("not a regular file: " + std::string(path));
    if ((target.st_mode & S_IWUSR) == 0) return Status::AccessDenied("read-only file: " + std::string(path));
  }
  // Appending to a file that is there changes no directory entry.
  if (mode == WriteMode::kAppend && exists && !S_ISLNK(r.st.st_mode)) {
    st = Append(r, contents, access);
    if (st.ok()) ForgetPending(target);
    return st;
  }
  const std::string dir = HostParentPath(r.host);
  const bool current = resolver_.BeginChange(dir);
  if (mode == WriteMode::kReplaceAtomically) {
    st = ReplaceAtomically(host, r.host, contents, exists ? &target : nullptr, umask_);
  } else {
    const int flags = O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | NoFollow(access) |
                      (mode == WriteMode::kAppend ? O_APPEND : O_TRUNC);
    const int fd = open(host.c_str(), flags, 0666);
    if (fd < 0) {
      st = OpenFailure(errno, r.host);
    } else {
      const bool ok = WriteAll(fd, contents);
      const int err = errno;
      st = ok ? Status::Ok() : Status::FromErrno(err, "write " + r.host);
      if (close(fd) != 0 && st.ok()) st = Status::FromErrno(errno, "write " + r.host);
    }
  }
  resolver_.EndChange(dir, current && st.ok(), st.ok() && !r.exists ? r.name : std::string_view(), {});
  if (st.ok() && exists) ForgetPending(target);
  return st;
}

Status PosixPlatform::Append(const ResolvedPath& r, std::string_view contents, const FileAccess& access) {
  // The name was looked up moments ago: while it still names the held
  // file, a line goes straight to it. A file renamed, replaced or removed
  // meanwhile has another identity (or none), and the name is opened
  // afresh, as a writer opening it for every line would.
  if (held_append_.fd < 0 || held_append_.dev != r.st.st_dev || held_append_.ino != r.st.st_ino) {
    ReleaseAppend();
    const int flags = O_WRONLY | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | NoFollow(access);
    const int fd = openat(r.at_fd(), r.at_name(), flags);
    if (fd < 0) return OpenFailure(errno, r.host);
    struct stat opened;
    // Held by what was opened: the next line compares the name with that.
    if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
      close(fd);
      return Status::AccessDenied("not a regular file: " + r.host);
    }
    held_append_ = HeldAppend{fd, opened.st_dev, opened.st_ino};
  }
  if (!WriteAll(held_append_.fd, contents)) {
    const int err = errno;
    ReleaseAppend();
    return Status::FromErrno(err, "write " + r.host);
  }
  return Status::Ok();
}

void PosixPlatform::ReleaseAppend() {
  if (held_append_.fd >= 0) close(held_append_.fd);
  held_append_ = HeldAppend{};
}

}  // namespace velqo
