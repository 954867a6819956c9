#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <set>
#include <vector>

#include "common/posix/copy_data.h"
#include "common/posix/metadata.h"
#include "common/posix/copy_test_seam.h"
#include "common/time/provisional_time.h"
#include "common/posix/temp_names.h"
#include "common/posix/posix_impl.h"

namespace velqo {

namespace {

// A source that keeps changing while it is copied is tried this often.
constexpr int kCopyAttempts = 2;

// Bounds on the copies that wait for a flush at the end of a pair.
constexpr std::size_t kMaxPendingCopies = 2048;
constexpr std::uint64_t kMaxPendingBytes = 256ull << 20;
constexpr std::size_t kMaxPendingDirs = 200;
constexpr std::chrono::seconds kMaxPendingWait{2};

// The temporary file of the copy in progress, for AbortCopyInProgress. Only
// a fixed buffer and a flag: a signal handler may read them.
char g_temp_path[PATH_MAX + 1];
volatile std::sig_atomic_t g_temp_armed = 0;

void Arm(const std::string& path) {
  g_temp_armed = 0;
  // The kernel refuses longer paths anyway; never write past the buffer.
  if (path.size() > PATH_MAX) return;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  std::memcpy(g_temp_path, path.c_str(), path.size() + 1);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  g_temp_armed = 1;
}

void Disarm() { g_temp_armed = 0; }

// Where a pending copy is, for a message: the path its directory's handle
// has now, which is where the copy is too.
std::string PendingPath(const DirHandle& dir, const std::string& name) {
  char buffer[PATH_MAX];
  const ssize_t n = readlink(dir.ProcPath().c_str(), buffer, sizeof buffer);
  return (n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : dir.ProcPath()) + "/" + name;
}

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Whether the source changed while it was read: a copy of it might mix
// old and new data.
bool ChangedMeanwhile(const struct stat& before, const struct stat& after) {
  return before.st_size != after.st_size || !SameTime(before.st_mtim, after.st_mtim) ||
         !SameTime(before.st_ctim, after.st_ctim);
}

// A pipe or a device: made anew by a copy, never opened.
bool IsSpecial(const struct stat& st) { return S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode); }

// What a copy from src over dst must never do.
Status CheckCopy(std::string_view from, std::string_view to, const ResolvedPath& src, const ResolvedPath& dst,
                 bool replace_read_only) {
  if (src.is_top || S_ISDIR(src.st.st_mode)) return Status::AccessDenied("cannot copy a directory: " + std::string(from));
  if (!S_ISREG(src.st.st_mode) && !S_ISLNK(src.st.st_mode) && !IsSpecial(src.st)) {
    return Status::AccessDenied("not a regular file: " + std::string(from));
  }
  if (!dst.parent_exists) return Status::PathNotFound(std::string(to));
  if (dst.is_top) return Status::AccessDenied(std::string(to));
  if (dst.exists) {
    if (dst.st.st_dev == src.st.st_dev && dst.st.st_ino == src.st.st_ino) {
      return Status::AccessDenied("source and target are the same file: " + std::string(to));
    }
    // Enforced here because root would otherwise overwrite it.
    if (!replace_read_only && S_ISREG(dst.st.st_mode) && (dst.st.st_mode & S_IWUSR) == 0) {
      return Status::AccessDenied("read-only target: " + std::string(to));
    }
    if (!S_ISREG(dst.st.st_mode) && !S_ISLNK(dst.st.st_mode) && !IsSpecial(dst.st)) {
      return Status::AccessDenied(std::string(to));
    }
  }
  // No length of dst.host matters: the copy reaches its directory through
  // a handle, and the temporary file is named through that handle too.
  return Status::Ok();
}

}  // namespace

void AbortCopyInProgress() {
  if (g_temp_armed != 0) {
    unlink(g_temp_path);
    g_temp_armed = 0;
  }
}

Status PosixPlatform::CopyFile(std::string_view from, std::string_view to) {
  return CopyTo(from, to, nullptr, nullptr);
}

Status PosixPlatform::CopyFileWithBackup(std::string_view from, std::string_view to, std::string_view backup,
                                         bool* backup_failed) {
  *backup_failed = false;
  return CopyTo(from, to, &backup, backup_failed);
}

Status PosixPlatform::CopyTo(std::string_view from, std::string_view to, const std::string_view* backup,
                             bool* backup_failed) {
  ResolvedPath src;
  Status st = LocateExisting(from, &src);
  if (!st.ok()) return st;
  ResolvedPath dst;
  st = Locate(to, &dst);
  if (!st.ok()) return st;
  // With a backup the old data lives on under the backup name, as a
  // read-only target renamed to its backup always could.
  st = CheckCopy(from, to, src, dst, backup != nullptr);
  if (!st.ok()) return st;
  ResolvedPath bak;
  bool make_backup = false;
  if (backup != nullptr) {
    st = PlanBackup(*backup, dst, &bak, &make_backup);
    if (!st.ok()) {
      *backup_failed = true;
      return st;
    }
  }
  const std::string dir = HostParentPath(dst.host);
  const bool listing_current = resolver_.BeginChange(dir, dst.at_fd());
  bool backup_added = false;
  BeforePlace keep_backup;
  if (make_backup) {
    keep_backup = [&]() {
      Status kept = KeepBackup(dst, bak, &backup_added);
      if (!kept.ok()) *backup_failed = true;
      return kept;
    };
  }
  Linked linked = Linked::kNo;
  if (S_ISLNK(src.st.st_mode)) {
    st = CopyLink(src, dst, keep_backup);
  } else if (IsSpecial(src.st)) {
    st = CopySpecial(src, dst, keep_backup);
  } else {
    st = LinkToFirstCopy(src, dst, keep_backup, &linked);
    if (st.ok() && linked == Linked::kNo) {
      st = CopyRegular(src, dst, keep_backup);
      if (st.ok()) RememberFirstCopy(src, dst, to);
    }
  }
  // The old target's inode may be reused by any later file; a target that
  // is the first copy already keeps its own.
  if (st.ok() && dst.exists && linked != Linked::kAlready) ForgetPending(dst.st);
  std::string_view added;
  if (st.ok() && !dst.exists) added = dst.name;
  if (backup_added) added = bak.name;
  resolver_.EndChange(dir, listing_current, added, {}, dst.at_fd());
  return st;
}

Status PosixPlatform::LinkToFirstCopy(const ResolvedPath& src, const ResolvedPath& dst,
                                      const BeforePlace& before_place, Linked* linked) {
  *linked = Linked::kNo;
  if (!fidelity_.hard_links || src.st.st_nlink < 2) return Status::Ok();
  const auto it = first_copies_.find(InodeKey(src.st.st_dev, src.st.st_ino));
  if (it == first_copies_.end()) return Status::Ok();
  ResolvedPath first;
  // The first copy must still be the file that was made: anything else
  // under its name is copied over instead of shared.
  DirIdentity found;
  if (!Locate(it->second.target, &first).ok() || !first.exists || !S_ISREG(first.st.st_mode) ||
      !IdentityOf(first.at_fd(), first.at_name(), &found) || !(found == it->second.identity)) {
    first_copies_.erase(it);
    return Status::Ok();
  }
  if (dst.exists && dst.st.st_dev == first.st.st_dev && dst.st.st_ino == first.st.st_ino) {
    *linked = Linked::kAlready;
    return Status::Ok();
  }
  const int dir_fd = dst.at_fd();
  std::string temp;
  for (int attempt = 0;; ++attempt) {
    temp = FreshTemporaryName();
    if (linkat(first.at_fd(), first.at_name(), dir_fd, temp.c_str(), 0) == 0) break;
    if (errno != EEXIST || attempt > 100) {
      // Another file system, or too many links: the name gets a copy.
      return Status::Ok();
    }
  }
  *linked = Linked::kNow;
  Arm(dst.dir->ProcPath() + "/" + temp);
  Status st = before_place ? before_place() : Status::Ok();
  if (st.ok() && renameat(dir_fd, temp.c_str(), dir_fd, dst.at_name()) != 0) {
    st = Status::FromErrno(errno, "replace " + dst.host);
  }
  if (!st.ok()) unlinkat(dir_fd, temp.c_str(), 0);
  Disarm();
  return st;
}

void PosixPlatform::RememberFirstCopy(const ResolvedPath& src, const ResolvedPath& dst, std::string_view to) {
  if (!fidelity_.hard_links || src.st.st_nlink < 2) return;
  DirIdentity made;
  if (!IdentityOf(dst.at_fd(), dst.at_name(), &made)) return;
  first_copies_[InodeKey(src.st.st_dev, src.st.st_ino)] = FirstCopy{std::string(to), made};
}

// A link or special file is complete when it exists: it gets its real
// time at once and replaces the target's name, or goes again.
Status PosixPlatform::PlaceComplete(const ResolvedPath& from, const ResolvedPath& to, const std::string& temp,
                                    const BeforePlace& before_place) {
  const int dir_fd = to.at_fd();
  const struct timespec times[2] = {from.st.st_atim, from.st.st_mtim};
  utimensat(dir_fd, temp.c_str(), times, AT_SYMLINK_NOFOLLOW);
  Status st = before_place ? before_place() : Status::Ok();
  if (st.ok() && renameat(dir_fd, temp.c_str(), dir_fd, to.at_name()) != 0) st = Status::FromErrno(errno, "replace " + to.host);
  if (!st.ok()) unlinkat(dir_fd, temp.c_str(), 0);
  Disarm();
  return st;
}

Status PosixPlatform::CopySpecial(const ResolvedPath& from, const ResolvedPath& to, const BeforePlace& before_place) {
  const int dir_fd = to.at_fd();
  std::string temp;
  // Nobody may open it before it has its owner and mode.
  const mode_t kind = from.st.st_mode & S_IFMT;
  for (int attempt = 0;; ++attempt) {
    temp = FreshTemporaryName();
    if (mknodat(dir_fd, temp.c_str(), kind | 0600, from.st.st_rdev) == 0) break;
    if (errno != EEXIST || attempt > 100) return Status::FromErrno(errno, "make " + to.host);
  }
  Arm(to.dir->ProcPath() + "/" + temp);
  const bool root = ids_.Root();
  bool owner_kept = root || from.st.st_uid == ids_.euid;
  if (root && fchownat(dir_fd, temp.c_str(), from.st.st_uid, from.st.st_gid, AT_SYMLINK_NOFOLLOW) != 0) {
    not_kept_.Add("owners not kept: a target file system keeps none");
    owner_kept = false;
  }
  if (fchmodat(dir_fd, temp.c_str(), CarriedMode(from.st, owner_kept), 0) != 0) {
    not_kept_.Add("modes not kept: a target file system keeps none");
  }
  return PlaceComplete(from, to, temp, before_place);
}

Status PosixPlatform::CopyLink(const ResolvedPath& from, const ResolvedPath& to, const BeforePlace& before_place) {
  std::string text(static_cast<std::size_t>(from.st.st_size) + 1, '\0');
  for (;;) {
    const ssize_t n = readlinkat(from.at_fd(), from.at_name(), text.data(), text.size());
    if (n < 0) return Status::FromErrno(errno, "read link " + from.host);
    if (static_cast<std::size_t>(n) < text.size()) {
      text.resize(static_cast<std::size_t>(n));
      break;
    }
    text.resize(text.size() * 2);
  }
  const int dir_fd = to.at_fd();
  std::string temp;
  for (int attempt = 0;; ++attempt) {
    temp = FreshTemporaryName();
    if (symlinkat(text.c_str(), dir_fd, temp.c_str()) == 0) break;
    if (errno != EEXIST || attempt > 100) return Status::FromErrno(errno, "create link beside " + to.host);
  }
  Arm(to.dir->ProcPath() + "/" + temp);
  if (geteuid() == 0 && fchownat(dir_fd, temp.c_str(), from.st.st_uid, from.st.st_gid, AT_SYMLINK_NOFOLLOW) != 0) {
    // A file system without owners: the link is still good.
  }
  return PlaceComplete(from, to, temp, before_place);
}

Status PosixPlatform::StageOnce(const ResolvedPath& from, const ResolvedPath& to, StagedCopy* staged, bool* changed) {
  *changed = false;
  const int in = openat(from.at_fd(), from.at_name(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (in < 0) return Status::FromErrno(errno, "open " + from.host);
  struct stat before;
  if (fstat(in, &before) != 0 || !S_ISREG(before.st_mode)) {
    close(in);
    return Status::AccessDenied("not a regular file: " + from.host);
  }
  // Made relative to the directory's handle, so the temporary file lands in
  // the directory that was resolved whatever its names have become since.
  int out = -1;
  for (int attempt = 0; out < 0; ++attempt) {
    staged->temp = FreshTemporaryName();
    out = openat(to.at_fd(), staged->temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (out < 0 && (errno != EEXIST || attempt > 100)) {
      const int err = errno;
      staged->temp.clear();
      close(in);
      return Status::FromErrno(err, "create a temporary file beside " + to.host);
    }
  }
  Arm(to.dir->ProcPath() + "/" + staged->temp);
  const bool copied = CopyFileData(in, out, before);
  const int copy_error = errno;
  struct stat after;
  *changed = copied && (fstat(in, &after) != 0 || ChangedMeanwhile(before, after));
  Status st;
  if (!copied) st = Status::FromErrno(copy_error, "copy " + from.host + " to " + to.host);
  if (*changed) st = Status::IOError("changed while it was copied: " + from.host);
  if (st.ok()) st = Settle(in, out, before, to, staged);
  close(in);
  if (close(out) != 0 && st.ok()) st = Status::FromErrno(errno, "write " + to.host);
  if (!st.ok()) Unstage(to, *staged);
  return st;
}

bool PosixPlatform::CopyFileData(int in, int out, const struct stat& source) {
  const auto size = static_cast<std::uint64_t>(source.st_size);
  // Fewer blocks than the size needs: the file has holes, which the copy keeps.
  const bool sparse = static_cast<std::uint64_t>(source.st_blocks) * 512 < size;
  return sparse ? CopySparse(in, out, size, progress_) : CopyData(in, out, size, progress_);
}

Status PosixPlatform::Settle(int in, int out, const struct stat& source, const ResolvedPath& to,
                             StagedCopy* staged) {
  staged->atime = source.st_atim;
  staged->real_mtime = RealMtime(source);
  CarryMetadata(in, out, source, fidelity_, ids_, &not_kept_);
  // Until the flush the copy reads as older than its source, and its
  // time's nanoseconds mark it as pending. Where no such time can be given
  // (a source dated before the packed times begin, a file system keeping
  // coarser times) the data is made durable now and the copy gets its real
  // time at once.
  struct timespec provisional {};
  staged->pending = ProvisionalTimeFor(staged->real_mtime, &provisional);
  if (staged->pending) {
    const struct timespec times[2] = {staged->atime, provisional};
    staged->pending = futimens(out, times) == 0 && KeepsExactTimes(out, to.dir->st().st_dev, provisional);
    if (staged->pending) staged->carried = provisional;
  }
  if (!staged->pending) {
    if (fdatasync(out) != 0) return Status::FromErrno(errno, "write " + to.host);
    const struct timespec times[2] = {staged->atime, staged->real_mtime};
    if (futimens(out, times) != 0) return Status::FromErrno(errno, "settle " + to.host);
    staged->carried = staged->real_mtime;
  }
  return Status::Ok();
}

bool PosixPlatform::KeepsExactTimes(int fd, dev_t dev, const struct timespec& given) {
  if (exact_times_.count(dev) != 0) return true;
  struct stat st;
  if (fstat(fd, &st) != 0 || st.st_dev != dev) return false;
  // A file system that keeps coarser times cannot hold the mark: its
  // copies are made durable at once.
  if (!SameTime(st.st_mtim, given)) return false;
  exact_times_.insert(st.st_dev);
  return true;
}

void PosixPlatform::Unstage(const ResolvedPath& to, const StagedCopy& staged) {
  if (!staged.temp.empty()) unlinkat(to.at_fd(), staged.temp.c_str(), 0);
  Disarm();
}

Status PosixPlatform::CopyRegular(const ResolvedPath& from, const ResolvedPath& to, const BeforePlace& before_place) {
  StagedCopy staged;
  Status st;
  // A source written to while it is read is read again once; a copy that
  // might mix old and new data never takes the target's place.
  for (int attempt = 0; attempt < kCopyAttempts; ++attempt) {
    staged = StagedCopy{};
    bool changed = false;
    st = StageOnce(from, to, &staged, &changed);
    if (!changed) break;
  }
  if (!st.ok()) return st;
  const int dir_fd = to.at_fd();
  if (before_place) st = before_place();
  if (st.ok() && renameat(dir_fd, staged.temp.c_str(), dir_fd, to.at_name()) != 0) {
    st = Status::FromErrno(errno, "replace " + to.host);
  }
  if (!st.ok()) {
    Unstage(to, staged);
    return st;
  }
  Disarm();
  struct stat done;
  if (staged.pending && fstatat(dir_fd, to.at_name(), &done, AT_SYMLINK_NOFOLLOW) == 0) {
    if (pending_.empty()) pending_since_ = std::chrono::steady_clock::now();
    pending_bytes_ += static_cast<std::uint64_t>(done.st_size);
    pending_[InodeKey(done.st_dev, done.st_ino)] =
        PendingCopy{SharedPendingDir(to.dir), to.name, staged.atime, staged.real_mtime, done.st_mtim};
  }
  return Status::Ok();
}

DirRef PosixPlatform::SharedPendingDir(const DirRef& dir) {
  // Copies into one directory share one handle, so a pair's pending copies
  // hold one or two descriptors however many files they are.
  auto [it, added] = pending_dirs_.emplace(InodeKey(dir->st().st_dev, dir->st().st_ino), dir);
  return it->second;
}

Status PosixPlatform::EndOfPair() {
  // Backups of one directory pair collide only with one another.
  unmarked_backups_.clear();
  // One flush of the whole file system per pair would cost a journal commit
  // for every directory of a tree; copies wait for one another instead,
  // within bounds on how many, how large, how many directory handles they
  // hold, and how long the first has waited.
  const bool due = pending_.size() >= kMaxPendingCopies || pending_bytes_ >= kMaxPendingBytes ||
                   pending_dirs_.size() >= kMaxPendingDirs ||
                   (!pending_.empty() && std::chrono::steady_clock::now() - pending_since_ >= kMaxPendingWait);
  return due ? FlushCopies() : Status::Ok();
}

Status PosixPlatform::FlushCopies() {
  unmarked_backups_.clear();
  if (pending_.empty()) {
    pending_dirs_.clear();
    pending_bytes_ = 0;
    return Status::Ok();
  }
  Status result;
  std::set<dev_t> failed;
  std::set<dev_t> synced;
  // One flush per file system: the data of every copy on it is on disk
  // before any of them gets a time that says it is up to date.
  for (const auto& [key, copy] : pending_) {
    if (synced.count(key.first) != 0 || failed.count(key.first) != 0) continue;
    const int fd = openat(copy.dir->fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 && syncfs(fd) == 0) {
      synced.insert(key.first);
    } else {
      const int err = errno;
      failed.insert(key.first);
      result = Status::FromErrno(err, "flush the file system of " + PendingPath(*copy.dir, copy.name));
    }
    if (fd >= 0) close(fd);
  }
  for (auto it = pending_.begin(); it != pending_.end();) {
    if (failed.count(it->first.first) != 0) {
      ++it;  // kept for the next flush; meanwhile the copy looks out of date
      continue;
    }
    struct stat st;
    const PendingCopy& copy = it->second;
    const int dir_fd = copy.dir->fd();
    // Only a copy still as it was made gets its real time: a file someone
    // has changed since keeps the time of that change.
    if (fstatat(dir_fd, copy.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev == it->first.first &&
        st.st_ino == it->first.second && st.st_mtim.tv_sec == copy.provisional.tv_sec &&
        st.st_mtim.tv_nsec == copy.provisional.tv_nsec) {
      const struct timespec times[2] = {copy.atime, copy.mtime};
      if (utimensat(dir_fd, copy.name.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0 && result.ok()) {
        const int err = errno;
        result = Status::FromErrno(err, "set the time of " + PendingPath(*copy.dir, copy.name));
      }
    }
    it = pending_.erase(it);
  }
  if (pending_.empty()) {
    pending_dirs_.clear();
    pending_bytes_ = 0;
  }
  return result;
}

}  // namespace velqo
