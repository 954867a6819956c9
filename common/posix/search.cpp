#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string>
#include <vector>

#include "common/platform/listed_search.h"
#include "common/posix/posix_impl.h"
#include "common/posix/temp_names.h"
#include "common/text/ascii_case.h"
#include "common/text/wildcard.h"

namespace velqo {

namespace {

bool IsDevice(const struct stat& st) { return S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode); }

// Pipes are offered, to be made anew (a copy never opens one: reading it
// would hang the run), and devices where the process may make them (root).
// Sockets are never offered: only the program that made one can serve it.
bool IsListable(const struct stat& st) {
  static const bool root = geteuid() == 0;
  return S_ISREG(st.st_mode) || S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode) || S_ISFIFO(st.st_mode) ||
         (root && IsDevice(st));
}

// What a directory entry's type tells before any stat: a search for
// directories only needs no look at plain files, pipes, devices or
// sockets. Links stay, to be reported as the entries of their own they
// are. DT_UNKNOWN (a file system that does not fill in the type) tells
// nothing, so such entries are examined.
bool LeftOutByType(unsigned char type, bool directories_only) {
  switch (type) {
    case DT_UNKNOWN:
    case DT_DIR:
    case DT_LNK:
      return false;
    default:
      return directories_only;
  }
}

// The note about an entry that is not offered, once per run.
std::string LeftOutNote(const struct stat& st, const std::string& dir_proc_path, const char* name) {
  char buffer[PATH_MAX];
  const ssize_t n = readlink(dir_proc_path.c_str(), buffer, sizeof buffer);
  const std::string path = (n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : dir_proc_path) + "/" + name;
  if (S_ISSOCK(st.st_mode)) return "socket left out: " + path;
  return "device left out (not running as root): " + path;
}

// What the lookups of one entry found.
struct EntryProbe {
  bool found = false;  // st is the entry's lstat
  int error = 0;       // why the entry could not be examined (0: it could, or it is gone)
  struct stat st {};
  bool stored_read = false;
  AttributeStore::StoredValue stored;
};

constexpr dev_t kNoDevice = static_cast<dev_t>(-1);

// Entries of one search from which their lookups are shared with the helper
// thread.
constexpr std::size_t kSharedSearch = 1000;

// The lookups of the entry name of dir_fd: its lstat and, for a file or
// directory on device flags_dev (where the flags are in the stored value),
// the stored value. A plain file is left out of a search for directories
// only here too, where the directory entry did not tell its type. Only
// system calls, so that two threads may probe the entries of one directory
// at once.
void ProbeEntry(int dir_fd, const char* name, bool directories_only, dev_t flags_dev, EntryProbe* probe) {
  probe->found = fstatat(dir_fd, name, &probe->st, AT_SYMLINK_NOFOLLOW) == 0;
  // An entry removed since the directory was read is simply gone; one that
  // cannot be examined (a directory that may be listed but not searched)
  // makes the listing incomplete.
  if (!probe->found && errno != ENOENT) probe->error = errno;
  if (probe->found && directories_only && !S_ISDIR(probe->st.st_mode) && !S_ISLNK(probe->st.st_mode)) {
    probe->found = false;
  }
  if (!probe->found || probe->st.st_dev != flags_dev) return;
  if (!S_ISREG(probe->st.st_mode) && !S_ISDIR(probe->st.st_mode)) return;
  AttributeStore::ReadStoredAt(dir_fd, name, &probe->stored);
  probe->stored_read = true;
}

bool Excluded(std::uint32_t attributes, std::uint32_t mask) {
  constexpr std::uint32_t kSpecial = kAttrHidden | kAttrSystem | kAttrVolume | kAttrDirectory;
  return (attributes & kSpecial & ~mask) != 0;
}

// Whether the caller's hint lets the flags kept apart from the entries go
// unread: only when no entry is excluded for them.
bool WithoutStoredFlags(std::uint32_t mask) {
  constexpr std::uint32_t kTakesAll = kAttrHidden | kAttrSystem;
  return (mask & kSearchWithoutStoredFlags) != 0 && (mask & kTakesAll) == kTakesAll;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The names holding a backslash that a search with last and mask would
// have matched: directories for a search of directories, other entries for
// a search of files (a directory entry without a type is looked at).
std::vector<std::string> UnusableNames(int dir_fd, const DirListing& names, std::string_view last,
                                       std::uint32_t mask) {
  std::vector<std::string> out;
  const bool wants_dirs = (mask & kAttrDirectory) != 0;
  const bool only_dirs = (mask & kSearchDirectoriesOnly) != 0;
  for (const DirListing::Unusable& u : names.unusable()) {
    if (!MatchesWildcard(last, u.name)) continue;
    bool is_dir = u.type == DT_DIR;
    if (u.type == DT_UNKNOWN) {
      struct stat st;
      is_dir = fstatat(dir_fd, u.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    }
    if ((is_dir && wants_dirs) || (!is_dir && !only_dirs)) out.push_back(u.name);
  }
  return out;
}

}  // namespace

Status PosixPlatform::FindFirst(std::string_view pattern, std::uint32_t mask, std::unique_ptr<DirSearch>* search) {
  std::size_t cut = pattern.size();
  while (cut > 0 && !IsSeparator(pattern[cut - 1])) --cut;
  // "C:*.*" names the drive's root as well.
  if (cut == 0 && pattern.size() > 2 && pattern[1] == ':') cut = 2;
  const std::string_view last = pattern.substr(cut);
  std::vector<FindData> found;
  std::vector<std::string> unusable;
  Status st = HasWildcard(last) ? FindInDirectory(pattern.substr(0, cut), last, mask, &found, &unusable)
                                : FindOne(pattern, last, mask, &found);
  if (!st.ok()) return st;
  if (HasWildcard(last) && IsRunTop(pattern.substr(0, cut))) {
    std::erase_if(found, [](const FindData& e) { return EqualsIgnoreCase(e.name, kVersionsFolder); });
  }
  *search = std::make_unique<ListedSearch>(std::move(found), std::move(unusable));
  return Status::Ok();
}

bool PosixPlatform::IsRunTop(std::string_view dir_part) {
  WindowsPath parsed;
  const std::string dir_text = dir_part.empty() ? current_dir_ : std::string(dir_part);
  return ParseWindowsPath(dir_text, current_dir_, &parsed).ok() && resolver_.IsPinnedTop(parsed);
}

// One entry's full path: that entry alone.
Status PosixPlatform::FindOne(std::string_view pattern, std::string_view last, std::uint32_t mask,
                              std::vector<FindData>* found) {
  ResolvedPath r;
  Status st = LocateExisting(pattern, &r);
  if (!st.ok()) return st;
  if (r.windows.IsRoot() || last.empty()) return Status::FileNotFound(std::string(pattern));
  const std::uint32_t attributes =
      WithoutStoredFlags(mask) ? AttributeStore::ReadWithoutFlags(r.st, r.name) : AttributesOf(r);
  if (IsListable(r.st) && !IsTemporaryName(r.name) && !Excluded(attributes, mask)) {
    found->push_back(EntryOf(NameInProgram(r.name), attributes, r.st, nullptr));
  }
  return Status::Ok();
}

// Opens the directory r names for reading, relative to its parent's
// handle; a link is refused unless r lies in a followed place.
static int OpenForSearch(const ResolvedPath& r, Status* status) {
  const int fd = r.is_top ? openat(r.at_fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                          : openat(r.at_fd(), r.at_name(),
                                   O_RDONLY | O_DIRECTORY | O_CLOEXEC | (r.followed ? 0 : O_NOFOLLOW));
  if (fd >= 0) return fd;
  if (errno == ENOTDIR && S_ISLNK(r.st.st_mode)) {
    *status = Status::LinkRefused("a symbolic link, not entered: " + r.host);
  } else if (errno == ENOTDIR || errno == ENOENT) {
    *status = Status::PathNotFound(r.windows.Format());
  } else {
    *status = Status::FromErrno(errno, "search " + r.host);
  }
  return -1;
}

Status PosixPlatform::FindInDirectory(std::string_view dir_part, std::string_view last, std::uint32_t mask,
                                      std::vector<FindData>* found, std::vector<std::string>* unusable) {
  const std::string dir_text = dir_part.empty() ? current_dir_ : std::string(dir_part);
  const bool wants_dots = !Excluded(kAttrDirectory, mask) && MatchesWildcard(last, ".");
  if (!wants_dots) {
    // A directory a lookup has just entered (is there an option file in
    // it?) is searched through the handle that lookup opened.
    std::string host;
    struct stat dir_st;
    if (const DirRef cached = CachedDirectory(dir_text, &host, &dir_st)) {
      return SearchOpenDirectory(*cached, host, dir_st, dir_text, last, mask, found, unusable);
    }
  }
  ResolvedPath dir;
  Status st = Locate(dir_text, &dir);
  if (!st.ok()) return st;
  if (!dir.exists) return Status::PathNotFound(dir_text);
  const int fd = OpenForSearch(dir, &st);
  if (fd < 0) return st;
  struct stat dir_st;
  if (fstat(fd, &dir_st) != 0) {
    st = Status::FromErrno(errno, "search " + dir_text);
    close(fd);
    return st;
  }
  // A directory a lookup has just read (is there an option file in it?)
  // need not be read again.
  const DirListing* names = resolver_.RecentListing(dir.host, dir_st);
  DirListing read_now;
  if (names == nullptr) {
    if (!read_now.ReadOpen(fd)) st = Status::FromErrno(errno, "search " + dir_text);
    names = &read_now;
  }
  // Leftovers of runs that died are cleared whenever their directory is
  // listed, so they never pile up.
  if (st.ok() && !names->temporaries().empty()) RemoveLeftoverTemporaries(fd, names->temporaries());
  if (st.ok() && !dir.windows.IsRoot() && !Excluded(kAttrDirectory, mask) && MatchesWildcard(last, ".")) {
    // "." and ".." come first, as the directories they name.
    struct stat parent_st {};
    if (dir.is_top) {
      stat(HostParentPath(dir.host).c_str(), &parent_st);
    } else {
      fstat(dir.at_fd(), &parent_st);
    }
    found->push_back(FindData{".", kAttrDirectory, 0, DosTimeOf(dir_st)});
    found->push_back(FindData{"..", kAttrDirectory, 0, DosTimeOf(parent_st)});
  }
  if (st.ok()) st = CollectEntries(fd, "/proc/self/fd/" + std::to_string(fd), dir_st.st_dev, *names, last, mask, found);
  if (st.ok()) *unusable = UnusableNames(fd, *names, last, mask);
  close(fd);
  return st;
}

Status PosixPlatform::SearchOpenDirectory(const DirHandle& dir, const std::string& host, const struct stat& dir_st,
                                          const std::string& dir_text, std::string_view last, std::uint32_t mask,
                                          std::vector<FindData>* found, std::vector<std::string>* unusable) {
  const DirListing* names = resolver_.RecentListing(host, dir_st);
  DirListing read_now;
  if (names == nullptr) {
    const int fd = openat(dir.fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool ok = fd >= 0 && read_now.ReadOpen(fd);
    const int err = errno;
    if (fd >= 0) close(fd);
    if (!ok) return Status::FromErrno(err, "search " + dir_text);
    names = &read_now;
  }
  if (!names->temporaries().empty()) RemoveLeftoverTemporaries(dir.fd(), names->temporaries());
  Status st = CollectEntries(dir.fd(), dir.ProcPath(), dir_st.st_dev, *names, last, mask, found);
  if (st.ok()) *unusable = UnusableNames(dir.fd(), *names, last, mask);
  return st;
}

Status PosixPlatform::CollectEntries(int dir_fd, const std::string& dir_host, dev_t dir_dev,
                                     const DirListing& names, std::string_view last, std::uint32_t mask,
                                     std::vector<FindData>* found) {
  const bool directories_only = (mask & kSearchDirectoriesOnly) != 0;
  std::vector<std::size_t> picked;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (LeftOutByType(names.Type(i), directories_only) || !MatchesWildcard(last, names.Name(i))) continue;
    picked.push_back(i);
  }
  const bool without_flags = WithoutStoredFlags(mask);
  const dev_t flags_dev =
      !without_flags && attributes_.KeepsFlagsInStoredValue(dir_host, dir_dev) ? dir_dev : kNoDevice;
  DosTimeConverter times;
  // What the lookups of one entry found, taken into the results.
  const auto take = [&](const char* name, const EntryProbe& probe) {
    if (probe.error != 0) {
      errno = probe.error;
      return Status::FromErrno(probe.error, name);
    }
    if (!probe.found) return Status::Ok();
    if (!IsListable(probe.st)) {
      if (S_ISSOCK(probe.st.st_mode) || IsDevice(probe.st)) not_kept_.Add(LeftOutNote(probe.st, dir_host, name));
      return Status::Ok();
    }
    const std::uint32_t attributes =
        without_flags ? AttributeStore::ReadWithoutFlags(probe.st, name)
                      : attributes_.ReadAt(dir_fd, dir_host, name, probe.st, probe.stored_read ? &probe.stored : nullptr);
    if (Excluded(attributes, mask)) return Status::Ok();
    found->push_back(EntryOf(NameInProgram(name), attributes, probe.st, &times));
    return Status::Ok();
  };
  found->reserve(found->size() + picked.size());
  if (picked.size() < kSharedSearch) {
    // Waking a second thread costs more than the lookups of an ordinary
    // directory, and on a busy machine it only takes a processor from
    // someone else.
    EntryProbe probe;
    for (const std::size_t i : picked) {
      probe = EntryProbe{};
      ProbeEntry(dir_fd, names.Name(i), directories_only, flags_dev, &probe);
      if (Status st = take(names.Name(i), probe); !st.ok()) return st;
    }
    return Status::Ok();
  }
  // The lookups of a large directory are shared with the helper thread;
  // what they found is then taken in directory order.
  std::vector<EntryProbe> probes(picked.size());
  helper_.ForEach(picked.size(), [&](std::size_t k) {
    ProbeEntry(dir_fd, names.Name(picked[k]), directories_only, flags_dev, &probes[k]);
  });
  for (std::size_t k = 0; k < picked.size(); ++k) {
    if (Status st = take(names.Name(picked[k]), probes[k]); !st.ok()) return st;
  }
  return Status::Ok();
}

}  // namespace velqo
