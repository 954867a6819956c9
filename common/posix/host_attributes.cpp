#include "common/posix/host_attributes.h"

#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "common/platform/attributes.h"
#include "common/platform/windows_path.h"
#include "common/posix/xattr_at.h"

namespace velqo {

namespace {

constexpr std::uint32_t kStoredFlags = kAttrHidden | kAttrSystem | kAttrArchive;
constexpr std::uint32_t kSettable = kAttrReadOnly | kStoredFlags;
constexpr long kVfatMagic = 0x4d44;

bool IsDotName(std::string_view name) { return !name.empty() && name[0] == '.'; }

std::uint32_t DefaultFlags(bool is_dir) { return is_dir ? 0u : std::uint32_t{kAttrArchive}; }

// The stored flags of value text, or the default when there is none.
std::uint32_t ParseStoredFlags(const char* text, ssize_t n, bool is_dir) {
  if (n <= 0) return DefaultFlags(is_dir);
  std::uint32_t value = 0;
  for (ssize_t i = 0; i < n; ++i) {
    if (text[i] < '0' || text[i] > '9') {
      // Someone else's text: not ours to interpret.
      return DefaultFlags(is_dir);
    }
    value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
  }
  return value & kStoredFlags;
}

int OpenForIoctl(int dir_fd, const char* name, const struct stat& st) {
  int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  if (S_ISDIR(st.st_mode)) flags |= O_DIRECTORY;
  return openat(dir_fd, name, flags);
}

int OpenForIoctl(const std::string& host, const struct stat& st) { return OpenForIoctl(AT_FDCWD, host.c_str(), st); }

bool ReadFatAttributes(int dir_fd, const char* name, const struct stat& st, std::uint32_t* fat) {
  const int fd = OpenForIoctl(dir_fd, name, st);
  if (fd < 0) return false;
  __u32 value = 0;
  const bool ok = ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &value) == 0;
  close(fd);
  *fat = value;
  return ok;
}

bool ReadFatAttributes(const std::string& host, const struct stat& st, std::uint32_t* fat) {
  return ReadFatAttributes(AT_FDCWD, host.c_str(), st, fat);
}

Status SetMode(const std::string& host, mode_t mode) {
  if (fchmodat(AT_FDCWD, host.c_str(), mode, 0) != 0) return Status::FromErrno(errno, "chmod " + host);
  return Status::Ok();
}

}  // namespace

// An entry as the calls that read its flags reach it: by a name relative to
// an open directory (AT_FDCWD and the full path for a lone lookup), and by
// the full host path, built only for the rare calls without a relative form.
class AttributeStore::Place {
 public:
  Place(int dir_fd, const char* name, std::string_view dir_host)
      : dir_fd_(dir_fd), name_(name), dir_host_(dir_host) {}
  explicit Place(const std::string& host) : dir_fd_(AT_FDCWD), name_(host.c_str()), full_(&host) {}

  int dir_fd() const { return dir_fd_; }
  const char* name() const { return name_; }
  const std::string& Full() const {
    if (full_ == nullptr) {
      built_ = JoinHostPath(dir_host_, name_);
      full_ = &built_;
    }
    return *full_;
  }

 private:
  int dir_fd_;
  const char* name_;
  std::string_view dir_host_;
  mutable const std::string* full_ = nullptr;
  mutable std::string built_;
};

bool AttributeStore::IsVfat(const std::string& host, dev_t dev) { return IsVfat(Place(host), dev); }

bool AttributeStore::IsVfat(const Place& place, dev_t dev) {
  auto it = vfat_.find(dev);
  if (it != vfat_.end()) return it->second;
  struct statfs sfs;
  const bool vfat = statfs(place.Full().c_str(), &sfs) == 0 && sfs.f_type == kVfatMagic;
  vfat_[dev] = vfat;
  return vfat;
}

void AttributeStore::ReadStoredAt(int dir_fd, const char* name, StoredValue* out) {
  out->size = GetXattrAt(dir_fd, name, kXattrName, out->text, sizeof out->text - 1);
  out->error = out->size < 0 ? errno : 0;
}

std::uint32_t AttributeStore::Read(const std::string& host, const struct stat& st, std::string_view name,
                                   bool is_root) {
  // A drive root is a directory even when its host directory is reached
  // through a link.
  if (is_root) return kAttrDirectory;
  return ReadPlace(Place(host), st, name, nullptr);
}

std::uint32_t AttributeStore::ReadAt(int dir_fd, std::string_view dir_host, const char* name,
                                     const struct stat& st, const StoredValue* stored) {
  return ReadPlace(Place(dir_fd, name, dir_host), st, name, stored);
}

std::uint32_t AttributeStore::ReadEntry(int dir_fd, std::string_view dir_host, const char* at_name,
                                        std::string_view name, const struct stat& st) {
  return ReadPlace(Place(dir_fd, at_name, dir_host), st, name, nullptr);
}

namespace {

// The bits the entry's own stat and name give.
std::uint32_t OwnBits(const struct stat& st, bool dot) {
  // A link is one entry of its own, never the directory it may point to.
  if (S_ISLNK(st.st_mode)) return kAttrReparsePoint | (dot ? std::uint32_t{kAttrHidden} : 0u);
  std::uint32_t value = S_ISDIR(st.st_mode) ? std::uint32_t{kAttrDirectory} : 0u;
  if ((st.st_mode & S_IWUSR) == 0) value |= kAttrReadOnly;
  if (dot) value |= kAttrHidden;
  return value;
}

}  // namespace

std::uint32_t AttributeStore::ReadWithoutFlags(const struct stat& st, std::string_view name) {
  const std::uint32_t value = OwnBits(st, IsDotName(name));
  return value == 0 ? kAttrNormal : value;
}

std::uint32_t AttributeStore::ReadPlace(const Place& place, const struct stat& st, std::string_view name,
                                        const StoredValue* stored) {
  const bool dot = IsDotName(name);
  if (S_ISLNK(st.st_mode)) return OwnBits(st, dot);
  const bool is_dir = S_ISDIR(st.st_mode);
  std::uint32_t value = OwnBits(st, dot);
  std::uint32_t fat = 0;
  if (IsVfat(place, st.st_dev) && ReadFatAttributes(place.dir_fd(), place.name(), st, &fat)) {
    value |= fat & kStoredFlags;
  } else {
    StoredValue read_now;
    if (stored == nullptr) {
      ReadStoredAt(place.dir_fd(), place.name(), &read_now);
      stored = &read_now;
    }
    const char* text = stored->text;
    ssize_t size = stored->size;
    if (size < 0 && XattrAtUnavailable(stored->error)) {
      // A kernel before the relative call: the same question by full path.
      size = lgetxattr(place.Full().c_str(), kXattrName, read_now.text, sizeof read_now.text - 1);
      text = read_now.text;
    }
    value |= ParseStoredFlags(text, size, is_dir);
  }
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
                             std::uint32_t attributes, int dir_fd, const char* at_name) {
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
  if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
    // A pipe or a device holds no user attributes: read-only is its mode,
    // and the archive flag every file may carry is simply kept.
    std::uint32_t wanted = attributes & (kAttrHidden | kAttrSystem);
    if (dot) wanted &= ~kAttrHidden;
    if (wanted != 0) return Status::NotSupported("a pipe or device cannot carry attributes: " + host);
    const mode_t mode = st.st_mode & 07777;
    const bool read_only = (attributes & kAttrReadOnly) != 0;
    if (read_only && (mode & 0222) != 0) return SetMode(host, mode & ~static_cast<mode_t>(0222));
    if (!read_only && (mode & S_IWUSR) == 0) return SetMode(host, mode | S_IWUSR);
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
  const std::uint32_t default_flags = DefaultFlags(is_dir);
  if (stored == default_flags) {
    // No stored value at all, so ordinary files need no extended attributes.
    int rc = at_name != nullptr ? RemoveXattrAt(dir_fd, at_name, kXattrName) : -1;
    if (at_name == nullptr || (rc != 0 && XattrAtUnavailable(errno))) rc = lremovexattr(host.c_str(), kXattrName);
    if (rc != 0 && errno != ENODATA && errno != ENOTSUP) {
      return Status::FromErrno(errno, "remove attributes of " + host);
    }
  } else {
    const std::string text = std::to_string(stored);
    int rc = at_name != nullptr ? SetXattrAt(dir_fd, at_name, kXattrName, text.data(), text.size()) : -1;
    if (at_name == nullptr || (rc != 0 && XattrAtUnavailable(errno))) {
      rc = lsetxattr(host.c_str(), kXattrName, text.data(), text.size(), 0);
    }
    if (rc != 0) {
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
