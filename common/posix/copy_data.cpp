#include "common/posix/copy_data.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "common/posix/copy_test_seam.h"

namespace velqo {

namespace {

constexpr std::size_t kChunk = 1 << 20;
// Copies at least this long report their progress after each chunk.
constexpr std::uint64_t kProgressThreshold = 4u << 20;

CopyChunkHook& ChunkHook() {
  static CopyChunkHook hook;
  return hook;
}
std::size_t g_chunk_size = kChunk;

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

// Copies length bytes at offset of in to the same offset of out.
bool CopyRange(int in, int out, off_t offset, off_t length, std::uint64_t total, std::vector<char>* buffer,
               bool* kernel_copy) {
  while (length > 0) {
    if (ChunkHook()) {
      const int injected = ChunkHook()(static_cast<std::uint64_t>(offset), total);
      if (injected != 0) {
        errno = injected;
        return false;
      }
    }
    const std::size_t want = static_cast<std::size_t>(std::min<off_t>(length, static_cast<off_t>(g_chunk_size)));
    ssize_t n;
    if (*kernel_copy) {
      off_t in_at = offset;
      off_t out_at = offset;
      n = copy_file_range(in, &in_at, out, &out_at, want, 0);
      if ((n < 0 && FallBackFromCopyRange(errno)) || n == 0) {
        *kernel_copy = false;
        continue;
      }
    } else {
      buffer->resize(want);
      n = pread(in, buffer->data(), want, offset);
      for (ssize_t put = 0; n > 0 && put < n;) {
        const ssize_t w = pwrite(out, buffer->data() + put, static_cast<std::size_t>(n - put), offset + put);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
          if (w == 0) errno = EIO;
          return false;
        }
        put += w;
      }
      // The file ends before its data did a moment ago: it is changing,
      // which the caller sees.
      if (n == 0) return true;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    offset += n;
    length -= n;
  }
  return true;
}

}  // namespace

bool CopySparse(int in, int out, std::uint64_t total, const CopyProgress& progress) {
  std::vector<char> buffer;
  bool kernel_copy = true;
  off_t at = 0;
  const off_t size = static_cast<off_t>(total);
  while (at < size) {
    const off_t data = lseek(in, at, SEEK_DATA);
    if (data < 0 && errno == ENXIO) break;  // only a hole is left
    if (data < 0) {
      // A file system that cannot say where the data is: every byte is copied.
      if (at == 0 && (errno == EINVAL || errno == ENOTSUP || errno == EOPNOTSUPP)) {
        return CopyData(in, out, total, progress);
      }
      return false;
    }
    const off_t hole = lseek(in, data, SEEK_HOLE);
    if (hole < 0) return false;
    if (!CopyRange(in, out, data, hole - data, total, &buffer, &kernel_copy)) return false;
    at = hole;
    if (progress && total >= kProgressThreshold) progress(static_cast<std::uint64_t>(std::min(at, size)), total);
  }
  // The holes at the end have no data to write: the size makes them.
  return ftruncate(out, size) == 0;
}

void SetCopyChunkHookForTesting(CopyChunkHook hook) { ChunkHook() = std::move(hook); }
void SetCopyChunkSizeForTesting(std::size_t bytes) { g_chunk_size = bytes == 0 ? kChunk : bytes; }

void CarryOwner(int fd, const struct stat& source) {
  static const uid_t euid = geteuid();
  static const gid_t egid = getegid();
  if (euid != 0 || (source.st_uid == euid && source.st_gid == egid)) return;
  if (fchown(fd, source.st_uid, source.st_gid) != 0) {
    // A file system without owners (vfat): the copy is still good.
  }
}

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

}  // namespace velqo
