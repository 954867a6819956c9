#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/local_clock.h"
#include "common/platform_ops.h"
#include "common/posix_platform_impl.h"

namespace velqo {

namespace {

bool IsReadOnlyFile(const struct stat& st) { return S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0; }

bool SameInode(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Renames without ever replacing an existing entry.
int RenameNoReplace(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  // A file system without the flag: the check and the rename are two steps.
  struct stat st;
  if (lstat(to.c_str(), &st) == 0) {
    errno = EEXIST;
    return -1;
  }
  return rename(from.c_str(), to.c_str());
}

}  // namespace

Status PosixPlatform::MoveFile(std::string_view from, std::string_view to) {
  ResolvedPath src;
  Status st = LocateExisting(from, &src);
  if (!st.ok()) return st;
  ResolvedPath dst;
  st = Locate(to, &dst);
  if (!st.ok()) return st;
  if (src.windows.IsRoot() || dst.windows.IsRoot()) return Status::AccessDenied("cannot rename a drive root");
  if (!dst.parent_exists) return Status::PathNotFound(std::string(to));
  const std::string src_dir = HostParentPath(src.host);
  std::string dst_dir = HostParentPath(dst.host);
  std::string target = dst.host;
  std::string new_name = dst.name;
  bool case_change = false;
  if (dst.exists) {
    // The same entry under another spelling of its name: a change of case.
    const std::string& spelled = dst.windows.parts.back();
    case_change = SameInode(src.st, dst.st) && src_dir == dst_dir && EqualsIgnoreCase(src.name, spelled);
    if (!case_change) return Status::AlreadyExists(std::string(to));
    if (spelled == src.name) return Status::Ok();
    target = JoinHostPath(dst_dir, spelled);
    new_name = spelled;
  }
  const bool src_current = resolver_.BeginChange(src_dir);
  const bool dst_current = src_dir == dst_dir ? src_current : resolver_.BeginChange(dst_dir);
  // A case-insensitive file system sees the new spelling as existing.
  const int rc = case_change ? rename(src.host.c_str(), target.c_str()) : RenameNoReplace(src.host, target);
  if (rc != 0) {
    const int err = errno;
    resolver_.EndChange(src_dir, false, {}, {});
    if (err == EXDEV && (S_ISREG(src.st.st_mode) || S_ISLNK(src.st.st_mode))) {
      resolver_.EndChange(dst_dir, false, {}, {});
      // Another file system: a copy made durable before the original goes.
      st = CopyFile(from, to);
      if (st.ok()) st = FlushCopies();
      if (st.ok() && unlink(src.host.c_str()) != 0) st = Status::FromErrno(errno, "remove " + src.host);
      return st;
    }
    resolver_.EndChange(dst_dir, false, {}, {});
    return Status::FromErrno(err, "rename " + src.host + " to " + target);
  }
  if (src_dir == dst_dir) {
    resolver_.EndChange(src_dir, src_current, new_name, src.name);
  } else {
    resolver_.EndChange(src_dir, src_current, {}, src.name);
    resolver_.EndChange(dst_dir, dst_current, new_name, {});
  }
  if (S_ISDIR(src.st.st_mode)) {
    resolver_.ForgetTree(src.host);
    // Pending copies below a renamed directory keep their real times due.
    const std::string below = src.host + "/";
    for (auto& [key, copy] : pending_) {
      if (copy.host.compare(0, below.size(), below) == 0) copy.host = target + copy.host.substr(src.host.size());
    }
  } else {
    auto it = pending_.find(InodeKey(src.st.st_dev, src.st.st_ino));
    if (it != pending_.end()) it->second.host = target;
  }
  return Status::Ok();
}

int PosixPlatform::ChangeEntry(const ResolvedPath& r, EntryChange kind,
                              const std::function<bool()>& change) {
  const std::string dir = HostParentPath(r.host);
  const bool current = resolver_.BeginChange(dir);
  if (!change()) {
    const int err = errno;  // taken before the resolver can touch errno
    resolver_.EndChange(dir, false, {}, {});
    return err;
  }
  if (kind == EntryChange::kAdds) {
    resolver_.EndChange(dir, current, r.name, {});
  } else {
    resolver_.EndChange(dir, current, {}, r.name);
  }
  return 0;
}

Status PosixPlatform::DeleteFile(std::string_view path) {
  ResolvedPath r;
  Status st = LocateExisting(path, &r);
  if (!st.ok()) return st;
  if (r.windows.IsRoot() || S_ISDIR(r.st.st_mode)) return Status::AccessDenied("a directory: " + std::string(path));
  // Enforced here because root would otherwise delete it.
  if (IsReadOnlyFile(r.st)) return Status::AccessDenied("read-only file: " + std::string(path));
  const int err = ChangeEntry(r, EntryChange::kRemoves, [&] { return unlink(r.host.c_str()) == 0; });
  if (err != 0) return Status::FromErrno(err, "delete " + r.host);
  ForgetPending(r.st);
  return Status::Ok();
}

Status PosixPlatform::CreateDirectory(std::string_view path) {
  ResolvedPath r;
  Status st = Locate(path, &r);
  if (!st.ok()) return st;
  if (r.windows.IsRoot() || r.exists) return Status::AlreadyExists(std::string(path));
  if (!r.parent_exists) return Status::PathNotFound(std::string(path));
  const int err = ChangeEntry(r, EntryChange::kAdds, [&] { return mkdir(r.host.c_str(), 0777) == 0; });
  if (err != 0) return Status::FromErrno(err, "create directory " + r.host);
  return Status::Ok();
}

Status PosixPlatform::RemoveDirectory(std::string_view path) {
  ResolvedPath r;
  Status st = LocateExisting(path, &r);
  if (!st.ok()) return st;
  if (r.windows.IsRoot()) return Status::AccessDenied("cannot remove a drive root");
  if (!S_ISDIR(r.st.st_mode)) return Status::InvalidArgument("not a directory: " + std::string(path));
  const int err = ChangeEntry(r, EntryChange::kRemoves, [&] { return rmdir(r.host.c_str()) == 0; });
  if (err == EEXIST || err == ENOTEMPTY) return Status::NotEmpty(std::string(path));
  if (err != 0) return Status::FromErrno(err, "remove directory " + r.host);
  resolver_.ForgetTree(r.host);
  return Status::Ok();
}

Status PosixPlatform::OpenReadWrite(std::string_view path) {
  ResolvedPath r;
  Status st = LocateExisting(path, &r);
  if (!st.ok()) return st;
  if (r.windows.IsRoot() || S_ISDIR(r.st.st_mode)) return Status::AccessDenied("a directory: " + std::string(path));
  if (IsReadOnlyFile(r.st)) return Status::AccessDenied("read-only file: " + std::string(path));
  // Links and special files exist and may be deleted; opening them could
  // follow the link or wake a device, so only regular files are opened.
  if (!S_ISREG(r.st.st_mode)) return Status::Ok();
  const int fd = open(r.host.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Status::FromErrno(errno, "open " + r.host);
  close(fd);
  return Status::Ok();
}

Status PosixPlatform::CreateNewFile(std::string_view path) {
  ResolvedPath r;
  Status st = Locate(path, &r);
  if (!st.ok()) return st;
  if (r.windows.IsRoot() || r.exists) return Status::AlreadyExists(std::string(path));
  if (!r.parent_exists) return Status::PathNotFound(std::string(path));
  const int err = ChangeEntry(r, EntryChange::kAdds, [&] {
    const int fd = open(r.host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    close(fd);
    return true;
  });
  if (err != 0) return Status::FromErrno(err, "create " + r.host);
  return Status::Ok();
}

Status PosixPlatform::SetLastWriteTime(std::string_view path, const LocalTime& time) {
  ResolvedPath r;
  Status st = LocateExisting(path, &r);
  if (!st.ok()) return st;
  const std::timespec when = TimespecFromLocal(time);
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = when.tv_sec;
  times[1].tv_nsec = when.tv_nsec;
  if (utimensat(AT_FDCWD, r.host.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
    return Status::FromErrno(errno, "set the time of " + r.host);
  }
  // The time set here wins over a pending copy's.
  ForgetPending(r.st);
  return Status::Ok();
}

}  // namespace velqo
