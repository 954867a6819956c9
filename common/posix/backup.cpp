#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/posix/copy_data.h"
#include "common/posix/copy_marks.h"
#include "common/posix/posix_impl.h"
#include "common/time/provisional_time.h"
#include "common/posix/temp_names.h"

namespace velqo {

namespace {

bool SameInode(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Errors of linkat that mean the file system keeps no second names.
bool NoHardLinks(int err) { return err == EPERM || err == EOPNOTSUPP || err == ENOTSUP || err == EMLINK || err == EXDEV; }

bool NoMarks(int err) { return err == EOPNOTSUPP || err == ENOTSUP; }

// Renames without ever replacing an existing entry.
int RenameNoReplace(int dir_fd, const char* from, const char* to) {
  if (renameat2(dir_fd, from, dir_fd, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  struct stat st;
  if (fstatat(dir_fd, to, &st, AT_SYMLINK_NOFOLLOW) == 0) {
    errno = EEXIST;
    return -1;
  }
  return renameat(dir_fd, from, dir_fd, to);
}

// A copy of the file name of dir_fd (whose lstat was old) as temp, with its
// mode, owner and times, durable before anything relies on it: the backup
// of a file system without hard links.
Status CopyForBackup(int dir_fd, const std::string& name, const struct stat& old, const std::string& temp,
                     const std::string& shown) {
  const int in = openat(dir_fd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (in < 0) return Status::FromErrno(errno, "open " + shown);
  struct stat st;
  if (fstat(in, &st) != 0 || !SameInode(st, old)) {
    close(in);
    return Status::IOError("changed meanwhile: " + shown);
  }
  const int out = openat(dir_fd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (out < 0) {
    const int err = errno;
    close(in);
    return Status::FromErrno(err, "back up " + shown);
  }
  bool ok = CopyData(in, out, static_cast<std::uint64_t>(st.st_size), nullptr);
  close(in);
  if (ok) {
    CarryOwner(out, st);
    fchmod(out, st.st_mode & 0777);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ok = fdatasync(out) == 0 && futimens(out, times) == 0;
  }
  const int err = errno;
  if (close(out) != 0) ok = false;
  if (ok) return Status::Ok();
  unlinkat(dir_fd, temp.c_str(), 0);
  return Status::FromErrno(err, "back up " + shown);
}

}  // namespace

bool PosixPlatform::IsPendingCopy(const ResolvedPath& r) const {
  auto it = pending_.find(InodeKey(r.st.st_dev, r.st.st_ino));
  if (it != pending_.end() && it->second.provisional.tv_sec == r.st.st_mtim.tv_sec &&
      it->second.provisional.tv_nsec == r.st.st_mtim.tv_nsec) {
    return true;
  }
  return S_ISREG(r.st.st_mode) && IsProvisionalTime(r.st.st_mtim);
}

Status PosixPlatform::CheckBackup(std::string_view to, std::string_view backup, bool* needed) {
  *needed = false;
  ResolvedPath dst;
  Status st = Locate(to, &dst);
  if (!st.ok()) return st;
  ResolvedPath bak;
  return PlanBackup(backup, dst, &bak, needed);
}

Status PosixPlatform::PlanBackup(std::string_view backup, const ResolvedPath& dst, ResolvedPath* bak, bool* make) {
  *make = false;
  Status st = Locate(backup, bak);
  if (!st.ok()) return st;
  // Beside its file, in the very directory resolved for it.
  if (!bak->parent_exists || bak->is_top || !bak->dir || !dst.dir || !bak->dir->SameAs(dst.dir->st()) ||
      bak->name == dst.name) {
    return Status::InvalidArgument("not a backup name beside " + dst.host + ": " + std::string(backup));
  }
  // Nothing to keep: no old data, or a link (whose text is all it holds).
  if (!dst.exists || !S_ISREG(dst.st.st_mode)) return Status::Ok();
  // A copy an interrupted run left unflushed may be torn and is no version
  // of the user's: the backup made of the real old version stays.
  if (IsPendingCopy(dst)) return Status::Ok();
  if (bak->exists) {
    // Kept already: a run stopped between keeping the backup and the copy.
    if (SameInode(bak->st, dst.st)) return Status::Ok();
    st = MayReplaceBackup(dst, *bak);
    if (!st.ok()) return st;
  }
  *make = true;
  return Status::Ok();
}

Status PosixPlatform::MayReplaceBackup(const ResolvedPath& dst, const ResolvedPath& bak) {
  if (!S_ISREG(bak.st.st_mode)) return Status::AlreadyExists("not a backup: " + bak.host);
  // An older backup the user made read-only is kept as it is.
  if ((bak.st.st_mode & S_IWUSR) == 0) return Status::AccessDenied("read-only backup: " + bak.host);
  std::string owner;
  if (ReadMark(bak.at_fd(), bak.dir->ProcPath(), bak.at_name(), kBackupMark, &owner)) {
    if (owner == dst.name) return Status::Ok();
    return Status::AlreadyExists("the backup of " + owner + ", not of " + dst.name + ": " + bak.host);
  }
  if (!NoMarks(errno)) return Status::AlreadyExists("not a backup made here: " + bak.host);
  // A file system without marks: only another file's backup made by this
  // run is known for what it is.
  const auto it = unmarked_backups_.find(BackupKey{bak.st.st_dev, bak.st.st_ino});
  if (it != unmarked_backups_.end() && it->second != dst.name) {
    return Status::AlreadyExists("the backup of " + it->second + ", not of " + dst.name + ": " + bak.host);
  }
  return Status::Ok();
}

Status PosixPlatform::KeepBackup(const ResolvedPath& dst, const ResolvedPath& bak, bool* added) {
  const int dir_fd = dst.at_fd();
  const std::string proc = dst.dir->ProcPath();
  std::string temp = FreshTemporaryName();
  // A second name for the old data, or where the file system has none, a copy.
  if (linkat(dir_fd, dst.at_name(), dir_fd, temp.c_str(), 0) != 0) {
    if (!NoHardLinks(errno)) return Status::FromErrno(errno, "back up " + dst.host);
    Status st = CopyForBackup(dir_fd, dst.name, dst.st, temp, dst.host);
    if (!st.ok()) return st;
  } else {
    struct stat linked;
    // The target as it was planned: one replaced meanwhile is not backed up
    // in its stead, and its copy does not go ahead.
    if (fstatat(dir_fd, temp.c_str(), &linked, AT_SYMLINK_NOFOLLOW) != 0 || !SameInode(linked, dst.st)) {
      unlinkat(dir_fd, temp.c_str(), 0);
      return Status::IOError("changed meanwhile: " + dst.host);
    }
  }
  const bool marked = WriteMark(proc, temp.c_str(), kBackupMark, dst.name);
  if (!marked && !NoMarks(errno)) {
    const int err = errno;
    unlinkat(dir_fd, temp.c_str(), 0);
    return Status::FromErrno(err, "mark the backup of " + dst.host);
  }
  // An older backup (checked to be this file's) is replaced in one step.
  const int rc = bak.exists ? renameat(dir_fd, temp.c_str(), dir_fd, bak.at_name())
                            : RenameNoReplace(dir_fd, temp.c_str(), bak.at_name());
  if (rc != 0) {
    const int err = errno;
    unlinkat(dir_fd, temp.c_str(), 0);
    return Status::FromErrno(err, "back up " + dst.host + " as " + bak.host);
  }
  *added = !bak.exists;
  struct stat made;
  if (!marked && fstatat(dir_fd, bak.at_name(), &made, AT_SYMLINK_NOFOLLOW) == 0) {
    unmarked_backups_[BackupKey{made.st_dev, made.st_ino}] = dst.name;
  }
  return Status::Ok();
}

}  // namespace velqo
