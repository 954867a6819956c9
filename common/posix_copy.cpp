#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <set>
#include <vector>

#include "common/copy_test_seam.h"
#include "common/posix_platform_impl.h"

namespace velqo {

namespace {

constexpr std::size_t kChunk = 1 << 20;
// Copies at least this long report their progress after each chunk.
constexpr std::uint64_t kProgressThreshold = 4u << 20;
// A copy's time until the flush: clearly older than its source, beyond any
// tolerance with which times are compared, so an interrupted run's copies
// are simply copied again.
constexpr time_t kProvisionalAge = 60;

CopyChunkHook& ChunkHook() {
  static CopyChunkHook hook;
  return hook;
}
std::size_t g_chunk_size = kChunk;

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

// A fresh temporary name (not created).
std::string TemporaryName() {
  static unsigned counter = 0;
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  const unsigned long mix = static_cast<unsigned long>(now.tv_nsec) ^ (static_cast<unsigned long>(getpid()) << 20) ^
                            (++counter * 2654435761u);
  return std::string(kTempPrefix) + std::to_string(mix % 100000000ul);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool FallBackFromCopyRange(int err) {
  return err == EXDEV || err == ENOSYS || err == EINVAL || err == EOPNOTSUPP || err == ENOTSUP || err == EBADF ||
         err == EPERM || err == ETXTBSY;
}

// Copies the data of in to out; errno is set when it fails.
bool CopyData(int in, int out, std::uint64_t total, const CopyProgress& progress) {
  std::vector<char> buffer;
  bool kernel_copy = true;
  std::uint64_t done = 0;
  const std::size_t chunk = g_chunk_size;
  for (;;) {
    if (ChunkHook()) {
      const int injected = ChunkHook()(done, total);
      if (injected != 0) {
        errno = injected;
        return false;
      }
    }
    ssize_t n;
    if (kernel_copy) {
      n = copy_file_range(in, nullptr, out, nullptr, chunk, 0);
      // Some file systems report no data where a read finds some (proc,
      // some network file systems): only a plain read decides the end.
      if ((n < 0 && FallBackFromCopyRange(errno)) || (n == 0 && done == 0)) {
        kernel_copy = false;
        continue;
      }
    } else {
      buffer.resize(chunk);
      n = read(in, buffer.data(), buffer.size());
      if (n > 0 && !WriteAll(out, buffer.data(), static_cast<std::size_t>(n))) return false;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    done += static_cast<std::uint64_t>(n);
    if (progress && total >= kProgressThreshold) progress(done, total);
  }
}

}  // namespace

void SetCopyChunkHookForTesting(CopyChunkHook hook) { ChunkHook() = std::move(hook); }
void SetCopyChunkSizeForTesting(std::size_t bytes) { g_chunk_size = bytes == 0 ? kChunk : bytes; }

void AbortCopyInProgress() {
  if (g_temp_armed != 0) {
    unlink(g_temp_path);
    g_temp_armed = 0;
  }
}

Status PosixPlatform::CopyFile(std::string_view from, std::string_view to) {
  ResolvedPath src;
  Status st = LocateExisting(from, &src);
  if (!st.ok()) return st;
  if (src.is_top || S_ISDIR(src.st.st_mode)) return Status::AccessDenied("cannot copy a directory: " + std::string(from));
  if (!S_ISREG(src.st.st_mode) && !S_ISLNK(src.st.st_mode)) {
    return Status::AccessDenied("not a regular file: " + std::string(from));
  }
  ResolvedPath dst;
  st = Locate(to, &dst);
  if (!st.ok()) return st;
  if (!dst.parent_exists) return Status::PathNotFound(std::string(to));
  if (dst.is_top) return Status::AccessDenied(std::string(to));
  if (dst.exists) {
    if (dst.st.st_dev == src.st.st_dev && dst.st.st_ino == src.st.st_ino) {
      return Status::AccessDenied("source and target are the same file: " + std::string(to));
    }
    // Enforced here because root would otherwise overwrite it.
    if (S_ISREG(dst.st.st_mode) && (dst.st.st_mode & S_IWUSR) == 0) {
      return Status::AccessDenied("read-only target: " + std::string(to));
    }
    if (!S_ISREG(dst.st.st_mode) && !S_ISLNK(dst.st.st_mode)) return Status::AccessDenied(std::string(to));
  }
  if (dst.host.size() + kTempPrefix.size() + 32 > PATH_MAX) return Status::TooLong(dst.host);
  const std::string dir = HostParentPath(dst.host);
  const bool listing_current = resolver_.BeginChange(dir);
  st = S_ISLNK(src.st.st_mode) ? CopyLink(src, dst) : CopyRegular(src, dst);
  // The old target's inode may be reused by any later file.
  if (st.ok() && dst.exists) ForgetPending(dst.st);
  resolver_.EndChange(dir, listing_current, st.ok() && !dst.exists ? dst.name : std::string_view(), {});
  return st;
}

Status PosixPlatform::CopyLink(const ResolvedPath& from, const ResolvedPath& to) {
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
    temp = TemporaryName();
    if (symlinkat(text.c_str(), dir_fd, temp.c_str()) == 0) break;
    if (errno != EEXIST || attempt > 100) return Status::FromErrno(errno, "create link beside " + to.host);
  }
  Arm(to.dir->ProcPath() + "/" + temp);
  // A link is complete when it exists, so it gets its real time at once.
  const struct timespec times[2] = {from.st.st_atim, from.st.st_mtim};
  utimensat(dir_fd, temp.c_str(), times, AT_SYMLINK_NOFOLLOW);
  if (renameat(dir_fd, temp.c_str(), dir_fd, to.at_name()) != 0) {
    const int err = errno;
    unlinkat(dir_fd, temp.c_str(), 0);
    Disarm();
    return Status::FromErrno(err, "replace " + to.host);
  }
  Disarm();
  return Status::Ok();
}

Status PosixPlatform::CopyRegular(const ResolvedPath& from, const ResolvedPath& to) {
  const int in = openat(from.at_fd(), from.at_name(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (in < 0) return Status::FromErrno(errno, "open " + from.host);
  struct stat ist;
  if (fstat(in, &ist) != 0 || !S_ISREG(ist.st_mode)) {
    close(in);
    return Status::AccessDenied("not a regular file: " + from.host);
  }
  const struct timespec real_mtime = RealMtime(ist);
  const int dir_fd = to.at_fd();
  // Made through the directory's handle, so the temporary file lands in the
  // directory that was resolved whatever its names have become since.
  std::string temp_path = to.dir->ProcPath() + "/" + std::string(kTempPrefix) + "XXXXXX";
  const int out = mkostemp(temp_path.data(), O_CLOEXEC);
  if (out < 0) {
    const int err = errno;
    close(in);
    return Status::FromErrno(err, "create a temporary file beside " + to.host);
  }
  const std::string temp = temp_path.substr(temp_path.find_last_of('/') + 1);
  Arm(temp_path);
  // Every failure from here on removes the temporary file: the old target
  // was never touched.
  auto discard = [&](int err, const std::string& what, bool out_open) {
    if (out_open) close(out);
    unlinkat(dir_fd, temp.c_str(), 0);
    Disarm();
    return Status::FromErrno(err, what);
  };
  const bool copied = CopyData(in, out, static_cast<std::uint64_t>(ist.st_size), progress_);
  const int copy_error = errno;
  close(in);
  if (!copied) return discard(copy_error, "copy " + from.host + " to " + to.host, true);
  struct timespec provisional = real_mtime;
  provisional.tv_sec -= kProvisionalAge;
  const struct timespec times[2] = {ist.st_atim, provisional};
  // File systems without Unix permissions (vfat, exfat) refuse some modes;
  // the copy is still good, and read-only is settled by the caller.
  fchmod(out, ist.st_mode & 0777);
  if (futimens(out, times) != 0) return discard(errno, "settle " + to.host, true);
  if (close(out) != 0) return discard(errno, "write " + to.host, false);
  if (renameat(dir_fd, temp.c_str(), dir_fd, to.at_name()) != 0) return discard(errno, "replace " + to.host, false);
  Disarm();
  struct stat done;
  if (fstatat(dir_fd, to.at_name(), &done, AT_SYMLINK_NOFOLLOW) == 0) {
    pending_[InodeKey(done.st_dev, done.st_ino)] =
        PendingCopy{SharedPendingDir(to.dir), to.name, to.host, ist.st_atim, real_mtime, done.st_mtim};
  }
  return Status::Ok();
}

DirRef PosixPlatform::SharedPendingDir(const DirRef& dir) {
  // Copies into one directory share one handle, so a pair's pending copies
  // hold one or two descriptors however many files they are.
  auto [it, added] = pending_dirs_.emplace(InodeKey(dir->st().st_dev, dir->st().st_ino), dir);
  return it->second;
}

Status PosixPlatform::FlushCopies() {
  if (pending_.empty()) {
    pending_dirs_.clear();
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
      failed.insert(key.first);
      result = Status::FromErrno(errno, "flush the file system of " + copy.host);
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
        result = Status::FromErrno(errno, "set the time of " + copy.host);
      }
    }
    it = pending_.erase(it);
  }
  if (pending_.empty()) pending_dirs_.clear();
  return result;
}

}  // namespace velqo
