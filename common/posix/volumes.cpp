#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "common/platform/platform_ops.h"
#include "common/posix/posix_impl.h"

namespace velqo {

namespace {

// File systems whose Windows names differ from their Linux ones, and those
// statfs identifies without the mount table.
struct KnownFileSystem {
  long magic;
  const char* name;
};
constexpr KnownFileSystem kKnown[] = {
    {0x4d44, "FAT32"},       // vfat, msdos
    {0x2011BAB0, "exFAT"},   // exfat
    {0x5346544e, "NTFS"},    // ntfs
    {0x7366746e, "NTFS"},    // ntfs3
    {0x9123683E, "BTRFS"},   // subvolumes have device numbers the mount table lacks
    {0x58465342, "XFS"},
    {0x01021994, "TMPFS"},
};

std::string WindowsName(std::string_view linux_name) {
  if (linux_name == "vfat" || linux_name == "msdos") return "FAT32";
  if (linux_name == "exfat") return "exFAT";
  if (linux_name == "ntfs" || linux_name == "ntfs3") return "NTFS";
  std::string upper;
  for (const char c : linux_name) upper += AsciiUpper(c);
  return upper;
}

// The type of the mount that holds device dev, from the mount table.
std::string MountTableType(dev_t dev) {
  std::ifstream in("/proc/self/mountinfo");
  std::string line;
  const std::string wanted = std::to_string(major(dev)) + ":" + std::to_string(minor(dev));
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string id, parent, numbers;
    fields >> id >> parent >> numbers;
    if (numbers != wanted) continue;
    const std::size_t dash = line.find(" - ");
    if (dash == std::string::npos) continue;
    std::istringstream rest(line.substr(dash + 3));
    std::string type;
    rest >> type;
    if (!type.empty()) return type;
  }
  return {};
}

}  // namespace

PosixPlatform::VolumeEntry::~VolumeEntry() {
  if (owned && fd >= 0) close(fd);
}

Status PosixPlatform::OpenVolumeEntry(std::string_view path, VolumeEntry* entry) {
  // The directories of a pair are asked about again and again, and the
  // resolver holds them open already.
  struct stat dir_st;
  if (DirRef held = CachedDirectory(path, &entry->shown, &dir_st)) {
    entry->fd = held->fd();
    entry->held = std::move(held);
    return Status::Ok();
  }
  ResolvedPath r;
  Status st = LocateExisting(path, &r);
  if (!st.ok()) return st;
  // The file system holding the entry itself, reached through its
  // directory's handle: a tree may span mount points, and a link below a
  // top is the link's own file system, never where it points.
  entry->fd = openat(r.at_fd(), r.at_name(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
  if (entry->fd < 0) return Status::FromErrno(errno, "volume of " + r.host);
  entry->owned = true;
  entry->shown = r.host;
  return Status::Ok();
}

Status PosixPlatform::VolumeFileSystemName(std::string_view path, std::string* name) {
  VolumeEntry entry;
  Status st = OpenVolumeEntry(path, &entry);
  if (!st.ok()) return st;
  struct statfs sfs;
  struct stat dev_st;
  if (fstatfs(entry.fd, &sfs) != 0 || fstat(entry.fd, &dev_st) != 0) {
    return Status::FromErrno(errno, "volume of " + entry.shown);
  }
  const long magic = static_cast<long>(sfs.f_type);
  for (const KnownFileSystem& known : kKnown) {
    if (known.magic == magic) {
      *name = known.name;
      return Status::Ok();
    }
  }
  // The mount table is read once per file system: the device number with
  // the type and identity statfs gives, so another file system mounted on
  // the same device later (a different stick in the same slot) is not
  // taken for the first.
  const VolumeKey key{dev_st.st_dev, magic, sfs.f_fsid.__val[0], sfs.f_fsid.__val[1]};
  auto it = volume_names_.find(key);
  if (it != volume_names_.end()) {
    *name = it->second;
    return Status::Ok();
  }
  std::string type = MountTableType(dev_st.st_dev);
  if (type.empty()) type = magic == 0xEF53 ? "ext4" : "unknown";
  *name = WindowsName(type);
  volume_names_[key] = *name;
  return Status::Ok();
}

Status PosixPlatform::DiskSpace(std::string_view path, std::uint64_t* total, std::uint64_t* free) {
  VolumeEntry entry;
  Status st = OpenVolumeEntry(path, &entry);
  if (!st.ok()) return st;
  struct statvfs vfs;
  if (fstatvfs(entry.fd, &vfs) != 0) return Status::FromErrno(errno, "space of " + entry.shown);
  const std::uint64_t unit = vfs.f_frsize != 0 ? vfs.f_frsize : vfs.f_bsize;
  *total = static_cast<std::uint64_t>(vfs.f_blocks) * unit;
  *free = static_cast<std::uint64_t>(vfs.f_bavail) * unit;
  return Status::Ok();
}

}  // namespace velqo
