#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/platform/attributes.h"
#include "common/time/dos_time.h"
#include "common/text/status.h"

namespace velqo {

// One entry returned by a directory search.
struct EntryMetadata {
  std::uint32_t mode = 0;
  std::uint32_t uid = 0;
  std::uint32_t gid = 0;
  std::int64_t ctime_sec = 0;
  std::int32_t ctime_nsec = 0;
  // Which file it is (0 where a platform does not know), for telling a
  // file moved or replaced from one edited in place.
  std::uint64_t dev = 0;
  std::uint64_t ino = 0;
};

struct FindData {
  std::string name;             // as the file system spells it
  std::uint32_t attributes = 0; // FileAttribute bits
  std::uint64_t size = 0;       // full 64-bit size
  std::uint32_t dos_time = 0;   // last write, packed local time
  // Last write as the file system keeps it, seconds since the epoch and
  // nanoseconds (both 0 where a platform knows only the packed time).
  std::int64_t mtime_sec = 0;
  std::int32_t mtime_nsec = 0;
  // What the file takes on disk when it has holes (a sparse file), which a
  // copy keeps; 0 when that is its size (or unknown).
  std::uint64_t allocated = 0;
  // What the entry's inode says beyond its data, for telling without
  // further questions that a copy's metadata still matches: permission bits
  // and type as stat gives them (0 where a platform does not know them),
  // owner, group, and the last change of the inode.
  EntryMetadata metadata{};
};

// An open directory search. The first call of Next gives the first entry.
class DirSearch {
 public:
  virtual ~DirSearch() = default;
  // Fills *entry with the next matching entry; returns false when none is left.
  virtual bool Next(FindData* entry) = 0;
  // Names of the directory that the search would have matched but that
  // cannot be Windows names (they hold a backslash): left out of the results, and
  // given here so that the caller can say so.
  virtual std::vector<std::string> Unusable() const { return {}; }
};

// The regional settings the log formats dates and times with.
struct IntlSettings {
  int date_order = 0;       // iDate: 0 M-D-Y, 1 D-M-Y, 2 Y-M-D
  int clock24 = 0;          // iTime: non-zero is a 24-hour clock
  std::string date_sep = "/";
  std::string time_sep = ":";
  std::string am = "AM";    // s1159
  std::string pm = "PM";    // s2359
};

// How WriteFile treats an existing file.
enum class WriteMode {
  kReplaceAtomically,  // temporary file, flush, rename: never half-written
  kAppend,             // create when missing, append at the end
  kTruncate,           // create or empty, then write
};

// How ReadFile and WriteFile may reach a file. The defaults suit the
// program's own files, which may be a user's linked dotfiles.
struct FileAccess {
  // false: a file whose own name is a symbolic link is refused
  // (kAccessDenied), never read, written or replaced through the link.
  bool follow_link = true;
  // ReadFile refuses a larger file with kTooLarge before reading any of it.
  std::uint64_t max_size = UINT64_MAX;
};

// What a copy carries beside data, permission bits, owner and times.
struct CopyFidelity {
  bool xattrs = true;       // extended attributes (user.*, and trusted.*, security.* where permitted)
  bool acls = true;         // POSIX ACLs
  bool hard_links = false;  // names sharing a file in the source share one in the target
};

// How KeepVersion keeps a file.
enum class VersionKeep {
  kMove,  // the file leaves its place: it is about to be deleted
  kLink,  // the file stays where it is until a copy replaces it
};

// The folder at the top of a tree where the files a run replaces or
// deletes are kept. Searches of a run's top never return it, so no run
// lists, copies, mirrors, deletes or counts it.
inline constexpr std::string_view kVersionsFolder = ".velqo-versions";

// Reports the progress of one long copy (bytes done of total).
using CopyProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

// The operating-system services the program uses, with Windows semantics.
// Paths are Windows paths ("C:\WORK\src"); the implementation maps drive
// letters to host directories. Abstract so that tests can wrap the real
// implementation and make one operation fail or report chosen values
// (PlatformWrapper). Composite operations are free functions built on these
// primitives (platform_ops.h).
class Platform {
 public:
  Platform() = default;
  Platform(const Platform&) = delete;
  Platform& operator=(const Platform&) = delete;
  virtual ~Platform() = default;

  // Directory search. pattern is "dir\*.*" (every name) or one entry's full
  // path. An entry is skipped when it has a hidden, system, volume or
  // directory bit that mask lacks. "." and ".." come first except in a drive
  // root. Fails with kPathNotFound when the directory does not exist, another
  // code when it cannot be read. Temporary copy files are never returned.
  virtual Status FindFirst(std::string_view pattern, std::uint32_t mask,
                           std::unique_ptr<DirSearch>* search) = 0;

  // Attribute bits of a file or directory; kFileNotFound/kPathNotFound when missing.
  virtual Status GetAttributes(std::string_view path, std::uint32_t* attributes) = 0;
  // Sets read-only, hidden, system and archive; 0 or 128 means normal.
  virtual Status SetAttributes(std::string_view path, std::uint32_t attributes) = 0;

  // Copies contents, permission bits and last-write time over any existing
  // target, atomically (the old target survives any failure). Fails with
  // kAccessDenied over a read-only target. A symbolic link source is copied
  // as a link; a link at the target is replaced, never written through.
  virtual Status CopyFile(std::string_view from, std::string_view to) = 0;
  // Copies like CopyFile and keeps the target's present data under backup
  // (a name in the target's directory). Only once the new data is complete
  // does backup become a second hard link to the old target (a copy where
  // the file system has no hard links), and then the new data is renamed
  // over the target: the target is never missing, and any failure leaves
  // target and backup as they were. An earlier backup is replaced only when
  // it is this target's backup made by this layer; anything else there
  // (another file's backup, a file of the user's, a read-only backup) fails
  // the whole operation with *backup_failed set. A target that is a copy
  // not yet flushed (an interrupted run's) is no version of the user's: the
  // backup is left as it is. A missing target or a link gets no backup.
  virtual Status CopyFileWithBackup(std::string_view from, std::string_view to, std::string_view backup,
                                    bool* backup_failed) = 0;
  // What CopyFileWithBackup would do about backup, without doing it: fails
  // as it would fail; otherwise *needed tells whether a backup would be made.
  virtual Status CheckBackup(std::string_view to, std::string_view backup, bool* needed) = 0;
  // Makes every copy since the last call durable and gives those copies
  // their real last-write times. Called at the end of a run.
  virtual Status FlushCopies() = 0;
  // The end of a directory pair: what holds for one pair only is
  // forgotten, and the copies made so far are flushed as FlushCopies does,
  // or, while they are few, small and recent, left for a later flush (they
  // keep looking out of date until then, so a crash costs a copy again).
  virtual Status EndOfPair() { return FlushCopies(); }
  // The end of a run: copies flushed as FlushCopies does, then the
  // directories made or matched during the run (CreateDirectoryLike,
  // MatchDirectory) get their final mode and time, now that their content
  // is complete.
  virtual Status EndOfRun() { return FlushCopies(); }
  // What copies carry beyond data, mode and times, for the rest of the run.
  virtual void SetCopyFidelity(const CopyFidelity& /*fidelity*/) {}
  // What the targets could not keep since the last call (owners without
  // root, attributes on a file system without them, a device not made),
  // each said once; for a summary at the end of a run.
  virtual std::vector<std::string> TakeNotKept() { return {}; }
  // Observer of long copies (may be empty).
  virtual void SetCopyProgress(CopyProgress progress) = 0;

  // Renames a file or directory; fails when the new name exists.
  virtual Status MoveFile(std::string_view from, std::string_view to) = 0;
  // Keeps the file (or link) at path under version, a new name in the same
  // tree whose missing directories are made closed to all but the user
  // (mode 0700). kMove renames it there; kLink gives it a second name and
  // leaves it in place. Where that cannot be done on one file system (a
  // mount point between, no hard links) the file is copied with its mode,
  // owner and times and made durable first. Fails when version exists; no
  // link is followed on the way.
  virtual Status KeepVersion(std::string_view /*path*/, std::string_view /*version*/, VersionKeep /*how*/) {
    return Status::NotSupported("versions are not kept here");
  }
  // Deletes a file (or a link); fails on a read-only file.
  virtual Status DeleteFile(std::string_view path) = 0;
  // Creates one directory; its parent must exist.
  virtual Status CreateDirectory(std::string_view path) = 0;
  // Creates one directory as a copy of the directory model: closed to
  // everyone but the process until the end of the run, then given model's
  // mode, owner, attributes and time (EndOfRun).
  virtual Status CreateDirectoryLike(std::string_view path, std::string_view /*model*/) {
    return CreateDirectory(path);
  }
  // The existing directory path is to look like the directory model: what
  // differs of owner, mode, attributes and ACLs is given at the end of the
  // run, with model's time.
  // A drive root is left as it is.
  virtual Status MatchDirectory(std::string_view /*model*/, std::string_view /*path*/) { return Status::Ok(); }
  // The file to, whose data equals from's, gets what differs of from's
  // mode, owner, attributes and ACLs, without its data being copied again;
  // *carried tells whether anything changed.
  virtual Status MatchMetadata(std::string_view /*from*/, std::string_view /*to*/, bool* carried) {
    *carried = false;
    return Status::Ok();
  }
  // Removes an empty directory.
  virtual Status RemoveDirectory(std::string_view path) = 0;
  // The process's current directory (a Windows path; ".." is understood).
  virtual Status SetCurrentDirectory(std::string_view path) = 0;
  virtual std::string CurrentDirectory() = 0;

  // Opens a file for reading and writing and closes it again: the existence
  // test of the deletions. Fails on a missing or read-only file.
  virtual Status OpenReadWrite(std::string_view path) = 0;
  // Creates a new file exclusively (kAlreadyExists when present) and closes it.
  virtual Status CreateNewFile(std::string_view path) = 0;
  // Reads a regular file whole; memory in proportion to its size.
  virtual Status ReadFile(std::string_view path, std::string* contents,
                          const FileAccess& access = {}) = 0;
  virtual Status WriteFile(std::string_view path, std::string_view contents, WriteMode mode,
                           const FileAccess& access = {}) = 0;
  // Sets the last-write time of a file to the given local time.
  virtual Status SetLastWriteTime(std::string_view path, const LocalTime& time) = 0;

  // Volume information of the file system holding path (a drive root such
  // as "C:\" or any directory: a drive's tree may span mount points).
  virtual Status VolumeFileSystemName(std::string_view path, std::string* name) = 0;
  virtual Status DiskSpace(std::string_view path, std::uint64_t* total, std::uint64_t* free) = 0;
  // Critical-error boxes do not exist here; kept so callers read as designed.
  virtual void SetErrorMode(unsigned /*mode*/) {}

  // The current local date and time.
  virtual LocalTime Now() = 0;

  // System places, as Windows paths.
  virtual Status WindowsDirectory(std::string* path) = 0;
  virtual std::string ProgramDirectory() = 0;
  virtual std::string DataDirectory() = 0;
  // Shell folder by name ("Personal", "Desktop", ...); empty when unknown.
  virtual std::string ShellFolder(std::string_view name) = 0;
  // Regional values of the user's locale, for keys WIN.INI's intl section lacks.
  virtual IntlSettings LocaleIntl() = 0;

  // Starts the plain-text editor on a file and waits; its exit code or -1.
  virtual int RunEditor(std::string_view file) = 0;
  virtual bool OpenUrl(std::string_view url) = 0;

  // Pins the top directories of a run (Dir 1, Dir 2, a batch pair, the log
  // directory): each is resolved now, following links; below the tops no
  // link is ever followed, by any operation. Replaces the previous tops.
  virtual Status PinTops(const std::vector<std::string>& tops) = 0;
  // The names in the directory holding path's last name that equal that
  // name ignoring case (two or more: case twins). Empty when that
  // directory does not exist.
  virtual Status CaseTwins(std::string_view path, std::vector<std::string>* names) = 0;

  // Converts a path typed by a user: a host path ("/home/ann/docs", "~/x")
  // becomes the Windows form through the drive map; a Windows path is
  // returned with "/" turned into "\". Fails with kTooLong beyond 32767
  // characters and kInvalidArgument when it cannot be converted.
  virtual Status ToWindowsPath(std::string_view typed, std::string* windows) = 0;
  // Resolves a Windows path to the host path it names.
  virtual Status ToHostPath(std::string_view windows, std::string* host) = 0;
};

}  // namespace velqo
