#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>

#include "common/posix/metadata.h"
#include "common/posix/posix_impl.h"

namespace velqo {

namespace {

constexpr int kDirOpen = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Closes a descriptor when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

Status PosixPlatform::CreateDirectoryLike(std::string_view path, std::string_view model) {
  ResolvedPath r;
  // Nobody but the process may enter it until it has its final mode: a
  // private source directory is never open to others in the target, not
  // even while its files are being copied in.
  Status st = MakeDirectory(path, 0700, &r);
  if (!st.ok()) return st;
  DirIdentity made;
  if (!IdentityOf(r.at_fd(), r.at_name(), &made)) return Status::FromErrno(errno, "examine the new directory " + r.host);
  dirs_to_settle_.push_back(DirToSettle{std::string(model), std::string(path), made, true});
  return Status::Ok();
}

bool PosixPlatform::IdentityOf(int dir_fd, const char* name, DirIdentity* identity) {
  struct statx sx;
  const int flags = AT_SYMLINK_NOFOLLOW | (name[0] == 0 ? AT_EMPTY_PATH : 0);
  if (statx(dir_fd, name, flags, STATX_INO | STATX_BTIME, &sx) != 0) return false;
  identity->dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
  identity->ino = sx.stx_ino;
  if ((sx.stx_mask & STATX_BTIME) != 0) {
    identity->born_sec = sx.stx_btime.tv_sec;
    identity->born_nsec = sx.stx_btime.tv_nsec;
  }
  return true;
}

Status PosixPlatform::MatchDirectory(std::string_view model, std::string_view path) {
  ResolvedPath r;
  Status st = LocateExisting(path, &r);
  if (!st.ok()) return st;
  if (!S_ISDIR(r.st.st_mode)) return Status::InvalidArgument("not a directory: " + std::string(path));
  // A drive's own directory (a mount point, the home directory) is the
  // user's, whatever tree is copied into it.
  if (r.windows.IsRoot()) return Status::Ok();
  DirIdentity identity;
  if (!IdentityOf(r.at_fd(), r.at_name(), &identity)) return Status::FromErrno(errno, "examine " + r.host);
  dirs_to_settle_.push_back(DirToSettle{std::string(model), std::string(path), identity, false});
  return Status::Ok();
}

Status PosixPlatform::SettleDirectories() {
  Status result;
  for (auto it = dirs_to_settle_.rbegin(); it != dirs_to_settle_.rend(); ++it) {
    Status st = SettleDirectory(*it);
    if (!st.ok() && result.ok()) result = st;
  }
  dirs_to_settle_.clear();
  return result;
}

Status PosixPlatform::SettleDirectory(const DirToSettle& dir) {
  ResolvedPath dst;
  // Gone, or another entry under its name by now: nothing of the run's to settle.
  if (!Locate(dir.path, &dst).ok() || !dst.exists || !S_ISDIR(dst.st.st_mode)) return Status::Ok();
  const Fd out(openat(dst.at_fd(), dst.at_name(), kDirOpen));
  if (out.get() < 0) return Status::FromErrno(errno, "open directory " + dst.host);
  DirIdentity found;
  struct stat target;
  if (!IdentityOf(out.get(), "", &found) || !(found == dir.identity) || fstat(out.get(), &target) != 0) {
    return Status::Ok();
  }
  ResolvedPath src;
  const bool model_found = Locate(dir.model, &src).ok() && src.exists && S_ISDIR(src.st.st_mode);
  const Fd in(model_found ? openat(src.at_fd(), src.at_name(), kDirOpen) : -1);
  struct stat source;
  if (in.get() < 0 || fstat(in.get(), &source) != 0) {
    // The model went during the run: a directory made for it is opened
    // up as any new directory of the user's would be.
    if (dir.created && fchmod(out.get(), 0777 & ~umask_) != 0) {
      return Status::FromErrno(errno, "set the mode of " + dst.host);
    }
    return Status::Ok();
  }
  if (dir.created || MetadataDiffers(in.get(), out.get(), source, target, fidelity_, ids_)) {
    CarryMetadata(in.get(), out.get(), source, fidelity_, ids_, &not_kept_);
  }
  // Last, since every entry made in it has changed its time.
  if (!SameTime(target.st_mtim, source.st_mtim)) {
    const struct timespec times[2] = {{0, UTIME_OMIT}, source.st_mtim};
    if (futimens(out.get(), times) != 0) return Status::FromErrno(errno, "set the time of " + dst.host);
  }
  return Status::Ok();
}

Status PosixPlatform::EndOfRun() {
  const Status flushed = FlushCopies();
  const Status settled = SettleDirectories();
  first_copies_.clear();
  return flushed.ok() ? settled : flushed;
}

}  // namespace velqo
