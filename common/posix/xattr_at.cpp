#include "common/posix/xattr_at.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

namespace velqo {

namespace {

// The calls came with Linux 6.13 and are newer than the C library headers
// of the distribution; since Linux 5.1 every architecture but alpha numbers
// new calls alike. The x32 ABI numbers its calls apart and is left to the
// fallback.
#if (defined(__x86_64__) && !defined(__ILP32__)) || defined(__aarch64__)
constexpr long kSetXattrAt = 463;
constexpr long kGetXattrAt = 464;
constexpr long kRemoveXattrAt = 466;
constexpr bool kKnown = true;
#else
constexpr long kSetXattrAt = -1;
constexpr long kGetXattrAt = -1;
constexpr long kRemoveXattrAt = -1;
constexpr bool kKnown = false;
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
std::atomic<bool> missing{!kKnown};

// One of the calls, or ENOSYS without asking when the kernel lacks them.
template <typename... Args>
long CallAt(long number, Args... args) {
  if (missing.load(std::memory_order_relaxed)) {
    errno = ENOSYS;
    return -1;
  }
  const long rc = syscall(number, args...);
  if (rc < 0 && errno == ENOSYS) missing.store(true, std::memory_order_relaxed);
  return rc;
}

}  // namespace

ssize_t GetXattrAt(int dir_fd, const char* name, const char* attr, char* value, std::size_t size) {
  XattrArgs args{reinterpret_cast<std::uintptr_t>(value), static_cast<std::uint32_t>(size), 0};
  return static_cast<ssize_t>(CallAt(kGetXattrAt, dir_fd, name, AT_SYMLINK_NOFOLLOW, attr, &args, sizeof args));
}

int SetXattrAt(int dir_fd, const char* name, const char* attr, const char* value, std::size_t size) {
  XattrArgs args{reinterpret_cast<std::uintptr_t>(value), static_cast<std::uint32_t>(size), 0};
  return static_cast<int>(CallAt(kSetXattrAt, dir_fd, name, AT_SYMLINK_NOFOLLOW, attr, &args, sizeof args));
}

int RemoveXattrAt(int dir_fd, const char* name, const char* attr) {
  return static_cast<int>(CallAt(kRemoveXattrAt, dir_fd, name, AT_SYMLINK_NOFOLLOW, attr));
}

bool XattrAtUnavailable(int error) { return error == ENOSYS || error == EPERM; }

void SetXattrAtMissing(bool value) { missing.store(value || !kKnown, std::memory_order_relaxed); }

}  // namespace velqo
