#include "common/xattr_at.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

namespace velqo {

namespace {

// The call came with Linux 6.13 and is newer than the C library headers of
// the distribution; since Linux 5.1 every architecture but alpha numbers new
// calls alike. The x32 ABI numbers its calls apart and is left to the
// fallback.
#if defined(SYS_getxattrat)
constexpr long kGetXattrAt = SYS_getxattrat;
#elif (defined(__x86_64__) && !defined(__ILP32__)) || defined(__aarch64__)
constexpr long kGetXattrAt = 464;
#else
constexpr long kGetXattrAt = -1;
#endif
#if defined(SYS_setxattrat)
constexpr long kSetXattrAt = SYS_setxattrat;
#elif (defined(__x86_64__) && !defined(__ILP32__)) || defined(__aarch64__)
constexpr long kSetXattrAt = 463;
#else
constexpr long kSetXattrAt = -1;
#endif
#if defined(SYS_removexattrat)
constexpr long kRemoveXattrAt = SYS_removexattrat;
#elif (defined(__x86_64__) && !defined(__ILP32__)) || defined(__aarch64__)
constexpr long kRemoveXattrAt = 466;
#else
constexpr long kRemoveXattrAt = -1;
#endif

// The kernel's struct xattr_args, first version.
struct XattrArgs {
  std::uint64_t value;
  std::uint32_t size;
  std::uint32_t flags;
};
static_assert(sizeof(XattrArgs) == 16);

// Set once the kernel has answered ENOSYS, so later reads go straight to the
// fallback.
std::atomic<bool> missing{kGetXattrAt < 0};

}  // namespace

ssize_t GetXattrAt(int dir_fd, const char* name, const char* attr, char* value, std::size_t size) {
  if (missing.load(std::memory_order_relaxed)) {
    errno = ENOSYS;
    return -1;
  }
  XattrArgs args{reinterpret_cast<std::uintptr_t>(value), static_cast<std::uint32_t>(size), 0};
  const long n = syscall(kGetXattrAt, dir_fd, name, AT_SYMLINK_NOFOLLOW, attr, &args, sizeof args);
  if (n < 0 && errno == ENOSYS) missing.store(true, std::memory_order_relaxed);
  return static_cast<ssize_t>(n);
}

int SetXattrAt(int dir_fd, const char* name, const char* attr, const char* value, std::size_t size) {
  // All three calls came with the same kernel.
  if (missing.load(std::memory_order_relaxed) || kSetXattrAt < 0) {
    errno = ENOSYS;
    return -1;
  }
  XattrArgs args{reinterpret_cast<std::uintptr_t>(value), static_cast<std::uint32_t>(size), 0};
  const long rc = syscall(kSetXattrAt, dir_fd, name, AT_SYMLINK_NOFOLLOW, attr, &args, sizeof args);
  if (rc < 0 && errno == ENOSYS) missing.store(true, std::memory_order_relaxed);
  return static_cast<int>(rc);
}

int RemoveXattrAt(int dir_fd, const char* name, const char* attr) {
  if (missing.load(std::memory_order_relaxed) || kRemoveXattrAt < 0) {
    errno = ENOSYS;
    return -1;
  }
  const long rc = syscall(kRemoveXattrAt, dir_fd, name, AT_SYMLINK_NOFOLLOW, attr);
  if (rc < 0 && errno == ENOSYS) missing.store(true, std::memory_order_relaxed);
  return static_cast<int>(rc);
}

bool XattrAtUnavailable(int error) { return error == ENOSYS || error == EPERM; }

void SetXattrAtMissing(bool value) { missing.store(value || kGetXattrAt < 0, std::memory_order_relaxed); }

}  // namespace velqo
