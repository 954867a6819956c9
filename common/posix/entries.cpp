#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/time/local_clock.h"
#include "common/platform/platform_ops.h"
#include "common/posix/posix_impl.h"
#include "common/posix/temp_names.h"

namespace velqo {

namespace {

bool IsReadOnlyFile(const struct stat& st) { return S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0; }

bool SameInode(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Renames without ever replacing an existing entry.
int RenameNoReplace(int from_dir, const char* from, int to_dir, const char* to) {
  if (renameat2(from_dir, from, to_dir, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  // A file system without the flag: the check and the rename are two steps.
  struct stat st;
  if (fstatat(to_dir, to, &st, AT_SYMLINK_NOFOLLOW) == 0) {
    errno = EEXIST;
    return -1;
  }
  return renameat(from_dir, from, to_dir, to);
}

// Removes the leftover temporary files of dead runs in the directory r
// names; true when any went.
bool RemoveLeftoversIn(const ResolvedPath& r) {
  const DirRef dir = OpenDirAt(r.at_fd(), r.at_name(), false);
  DirListing names;
  if (!dir || !names.ReadAt(dir->fd())) return false;
  return RemoveLeftoverTemporaries(dir->fd(), names.temporaries()) > 0;
}

Status RefuseTop(std::string_view path) { return Status::AccessDenied("a top directory of the run: " + std::string(path)); }

}  // namespace

Status PosixPlatform::MoveFile(std::string_view from, std::string_view to) {
  ResolvedPath src;
  Status st = LocateExisting(from, &src);
  if (!st.ok()) return st;
  ResolvedPath dst;
  st = Locate(to, &dst);
  if (!st.ok()) return st;
  if (src.is_top || dst.is_top) return RefuseTop(src.is_top ? from : to);
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
  const int rc = case_change ? renameat(src.at_fd(), src.at_name(), dst.at_fd(), new_name.c_str())
                             : RenameNoReplace(src.at_fd(), src.at_name(), dst.at_fd(), new_name.c_str());
  if (rc != 0) {
    const int err = errno;
    resolver_.EndChange(src_dir, false, {}, {});
    resolver_.EndChange(dst_dir, false, {}, {});
    if (err == EXDEV && (S_ISREG(src.st.st_mode) || S_ISLNK(src.st.st_mode))) {
      // Another file system: a copy made durable before the original goes.
      st = CopyFile(from, to);
      if (st.ok()) st = FlushCopies();
      if (st.ok() && unlinkat(src.at_fd(), src.at_name(), 0) != 0) st = Status::FromErrno(errno, "remove " + src.host);
      return st;
    }
    return Status::FromErrno(err, "rename " + src.host + " to " + target);
  }
  if (src_dir == dst_dir) {
    resolver_.EndChange(src_dir, src_current, new_name, src.name);
  } else {
    resolver_.EndChange(src_dir, src_current, {}, src.name);
    resolver_.EndChange(dst_dir, dst_current, new_name, {});
  }
  if (S_ISDIR(src.st.st_mode)) {
    // Pending copies below it keep their directory handles.
    resolver_.ForgetTree(src.host);
  } else {
    auto it = pending_.find(InodeKey(src.st.st_dev, src.st.st_ino));
    if (it != pending_.end()) it->second = PendingCopy{dst.dir, new_name, it->second.atime,
                                                       it->second.mtime, it->second.provisional};
  }
  return Status::Ok();
}

int PosixPlatform::ChangeEntry(const ResolvedPath& r, EntryChange kind,
                              const std::function<bool()>& change) {
  const std::string dir = HostParentPath(r.host);
  // A top's handle is the top itself, not the directory holding it.
  const int dir_fd = r.is_top ? -1 : r.at_fd();
  const bool current = resolver_.BeginChange(dir, dir_fd);
  if (!change()) {
    const int err = errno;  // taken before the resolver can touch errno
    resolver_.EndChange(dir, false, {}, {});
    return err;
  }
  if (kind == EntryChange::kAdds) {
    resolver_.EndChange(dir, current, r.name, {}, dir_fd);
  } else {
    resolver_.EndChange(dir, current, {}, r.name, dir_fd);
  }
  return 0;
}

Status PosixPlatform::DeleteFile(std::string_view path) {
  ResolvedPath r;
  Status st = LocateExisting(path, &r);
  if (!st.ok()) return st;
  if (r.is_top || S_ISDIR(r.st.st_mode)) return Status::AccessDenied("a directory: " + std::string(path));
  // Enforced here because root would otherwise delete it.
  if (IsReadOnlyFile(r.st)) return Status::AccessDenied("read-only file: " + std::string(path));
  // Relative to the directory's handle: whatever the name is by now (a link
  // swapped in), it is unlinked, never followed.
  const int err = ChangeEntry(r, EntryChange::kRemoves, [&] { return unlinkat(r.at_fd(), r.at_name(), 0) == 0; });
  if (err != 0) return Status::FromErrno(err, "delete " + r.host);
  ForgetPending(r.st);
  return Status::Ok();
}

Status PosixPlatform::CreateDirectory(std::string_view path) {
  ResolvedPath r;
  return MakeDirectory(path, 0777, &r);
}

Status PosixPlatform::MakeDirectory(std::string_view path, mode_t mode, ResolvedPath* r) {
  Status st = Locate(path, r);
  if (!st.ok()) return st;
  if (r->is_top || r->exists) return Status::AlreadyExists(std::string(path));
  if (!r->parent_exists) return Status::PathNotFound(std::string(path));
  const int err = ChangeEntry(*r, EntryChange::kAdds, [&] { return mkdirat(r->at_fd(), r->at_name(), mode) == 0; });
  if (err != 0) return Status::FromErrno(err, "create directory " + r->host);
  return Status::Ok();
}

Status PosixPlatform::RemoveDirectory(std::string_view path) {
  ResolvedPath r;
  Status st = LocateExisting(path, &r);
  if (!st.ok()) return st;
  if (r.is_top) return RefuseTop(path);
  if (!S_ISDIR(r.st.st_mode)) return Status::InvalidArgument("not a directory: " + std::string(path));
  auto remove = [&] { return unlinkat(r.at_fd(), r.at_name(), AT_REMOVEDIR) == 0; };
  int err = ChangeEntry(r, EntryChange::kRemoves, remove);
  // Leftover temporary files of a run that died never keep a directory.
  if ((err == EEXIST || err == ENOTEMPTY) && RemoveLeftoversIn(r)) err = ChangeEntry(r, EntryChange::kRemoves, remove);
  if (err == EEXIST || err == ENOTEMPTY) return Status::NotEmpty(std::string(path));
  if (err == ENOTDIR) return Status::InvalidArgument("not a directory: " + std::string(path));
  if (err != 0) return Status::FromErrno(err, "remove directory " + r.host);
  resolver_.ForgetTree(r.host);
  return Status::Ok();
}

Status PosixPlatform::OpenReadWrite(std::string_view path) {
  ResolvedPath r;
  Status st = LocateExisting(path, &r);
  if (!st.ok()) return st;
  if (r.is_top || S_ISDIR(r.st.st_mode)) return Status::AccessDenied("a directory: " + std::string(path));
  if (IsReadOnlyFile(r.st)) return Status::AccessDenied("read-only file: " + std::string(path));
  // Links and special files exist and may be deleted; opening them could
  // follow the link or wake a device, so only regular files are opened.
  if (!S_ISREG(r.st.st_mode)) return Status::Ok();
  const int fd = openat(r.at_fd(), r.at_name(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Status::FromErrno(errno, "open " + r.host);
  close(fd);
  return Status::Ok();
}

Status PosixPlatform::CreateNewFile(std::string_view path) {
  ResolvedPath r;
  Status st = Locate(path, &r);
  if (!st.ok()) return st;
  if (r.is_top || r.exists) return Status::AlreadyExists(std::string(path));
  if (!r.parent_exists) return Status::PathNotFound(std::string(path));
  const int err = ChangeEntry(r, EntryChange::kAdds, [&] {
    const int fd = openat(r.at_fd(), r.at_name(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
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
  if (utimensat(r.at_fd(), r.at_name(), times, AT_SYMLINK_NOFOLLOW) != 0) {
    return Status::FromErrno(errno, "set the time of " + r.host);
  }
  // The time set here wins over a pending copy's.
  ForgetPending(r.st);
  return Status::Ok();
}

}  // namespace velqo
