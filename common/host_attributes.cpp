#include "common/host_attributes.h"

#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "common/attributes.h"

namespace velqo {

namespace {

constexpr std::uint32_t kStoredFlags = kAttrHidden | kAttrSystem | kAttrArchive;
constexpr std::uint32_t kSettable = kAttrReadOnly | kStoredFlags;
constexpr long kVfatMagic = 0x4d44;

bool IsDotName(std::string_view name) { return !name.empty() && name[0] == '.'; }

// The stored flags, or the default when none are stored (or readable).
std::uint32_t StoredFlags(const std::string& host, bool is_dir) {
  char text[16];
  const ssize_t n = lgetxattr(host.c_str(), AttributeStore::kXattrName, text, sizeof text - 1);
  if (n <= 0) return is_dir ? 0u : std::uint32_t{kAttrArchive};
  std::uint32_t value = 0;
  for (ssize_t i = 0; i < n; ++i) {
    if (text[i] < '0' || text[i] > '9') {
      // Someone else's text: not ours to interpret.
      return is_dir ? 0u : std::uint32_t{kAttrArchive};
    }
    value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
  }
  return value & kStoredFlags;
}

int OpenForIoctl(const std::string& host, const struct stat& st) {
  int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  if (S_ISDIR(st.st_mode)) flags |= O_DIRECTORY;
  return open(host.c_str(), flags);
}

bool ReadFatAttributes(const std::string& host, const struct stat& st, std::uint32_t* fat) {
  const int fd = OpenForIoctl(host, st);
  if (fd < 0) return false;
  __u32 value = 0;
  const bool ok = ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &value) == 0;
  close(fd);
  *fat = value;
  return ok;
}

Status SetMode(const std::string& host, mode_t mode) {
  if (fchmodat(AT_FDCWD, host.c_str(), mode, 0) != 0) return Status::FromErrno(errno, "chmod " + host);
  return Status::Ok();
}

}  // namespace

bool AttributeStore::IsVfat(const std::string& host, dev_t dev) {
  auto it = vfat_.find(dev);
  if (it != vfat_.end()) return it->second;
  struct statfs sfs;
  const bool vfat = statfs(host.c_str(), &sfs) == 0 && sfs.f_type == kVfatMagic;
  vfat_[dev] = vfat;
  return vfat;
}

std::uint32_t AttributeStore::Read(const std::string& host, const struct stat& st, std::string_view name,
                                   bool is_root) {
  // A drive root is a directory even when its host directory is reached
  // through a link.
  if (is_root) return kAttrDirectory;
  const bool dot = IsDotName(name);
  // A link is one entry of its own, never the directory it may point to.
  if (S_ISLNK(st.st_mode)) return kAttrReparsePoint | (dot ? std::uint32_t{kAttrHidden} : 0u);
  const bool is_dir = S_ISDIR(st.st_mode);
  std::uint32_t value = is_dir ? std::uint32_t{kAttrDirectory} : 0u;
  if ((st.st_mode & S_IWUSR) == 0) value |= kAttrReadOnly;
  std::uint32_t fat = 0;
  if (IsVfat(host, st.st_dev) && ReadFatAttributes(host, st, &fat)) {
    value |= fat & kStoredFlags;
  } else {
    value |= StoredFlags(host, is_dir);
  }
  if (dot) value |= kAttrHidden;
  return value == 0 ? kAttrNormal : value;
}

Status AttributeStore::WriteVfat(const std::string& host, const struct stat& st, std::uint32_t attributes) {
  std::uint32_t fat = 0;
  if (!ReadFatAttributes(host, st, &fat)) return Status::FromErrno(errno, "read FAT attributes of " + host);
  // The directory and volume bits belong to the file system.
  fat = (fat & ~kSettable) | (attributes & kSettable);
  const int fd = OpenForIoctl(host, st);
  if (fd < 0) return Status::FromErrno(errno, "open " + host);
  __u32 value = fat;
  const int rc = ioctl(fd, FAT_IOCTL_SET_ATTRIBUTES, &value);
  const int err = errno;
  close(fd);
  if (rc != 0) return Status::FromErrno(err, "set FAT attributes of " + host);
  return Status::Ok();
}

Status AttributeStore::Write(const std::string& host, const struct stat& st, std::string_view name,
                             std::uint32_t attributes) {
  attributes &= kSettable;  // 128 (normal) and the type bits are not settable
  const bool dot = IsDotName(name);
  if (S_ISLNK(st.st_mode)) {
    // A link holds no flags of its own: only what its name implies (hidden)
    // and the archive flag every file may carry can be "kept".
    std::uint32_t wanted = attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem);
    if (dot) wanted &= ~kAttrHidden;
    if (wanted != 0) return Status::NotSupported("a symbolic link cannot carry attributes: " + host);
    return Status::Ok();
  }
  if (IsVfat(host, st.st_dev)) return WriteVfat(host, st, attributes);

  const bool is_dir = S_ISDIR(st.st_mode);
  const bool read_only = (attributes & kAttrReadOnly) != 0;
  const mode_t mode = st.st_mode & 07777;
  // Clearing read-only first: an unprivileged owner can then write the
  // extended attribute; setting it last for the same reason.
  if (!read_only && (mode & S_IWUSR) == 0) {
    Status s = SetMode(host, mode | S_IWUSR);
    if (!s.ok()) return s;
  }
  std::uint32_t stored = attributes & kStoredFlags;
  if (dot) stored &= ~kAttrHidden;  // the name already says so
  const std::uint32_t default_flags = is_dir ? 0u : std::uint32_t{kAttrArchive};
  if (stored == default_flags) {
    // No stored value at all, so ordinary files need no extended attributes.
    if (lremovexattr(host.c_str(), kXattrName) != 0 && errno != ENODATA && errno != ENOTSUP) {
      return Status::FromErrno(errno, "remove attributes of " + host);
    }
  } else {
    const std::string text = std::to_string(stored);
    if (lsetxattr(host.c_str(), kXattrName, text.data(), text.size(), 0) != 0) {
      if (errno == ENOTSUP) {
        return Status::NotSupported("the file system cannot store hidden, system or archive flags: " + host);
      }
      return Status::FromErrno(errno, "store attributes of " + host);
    }
  }
  if (read_only && (mode & 0222) != 0) return SetMode(host, mode & ~static_cast<mode_t>(0222));
  return Status::Ok();
}

}  // namespace velqo
