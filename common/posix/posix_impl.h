#pragma once

#include <functional>

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "common/platform/drive_map.h"
#include "common/posix/helper_thread.h"
#include "common/posix/host_attributes.h"
#include "common/posix/metadata.h"
#include "common/posix/path_resolver.h"
#include "common/posix/posix_platform.h"

namespace velqo {

// The real platform. Its operations are defined in the files named for
// them: posix_platform.cpp (paths, current directory, clock),
// posix_search.cpp, posix_attributes.cpp, posix_copy.cpp, posix_entries.cpp
// (rename, delete, directories, open and create), posix_file_io.cpp,
// posix_volumes.cpp, posix_places.cpp, posix_processes.cpp.
class PosixPlatform final : public Platform {
 public:
  explicit PosixPlatform(const PlatformConfig& config);
  ~PosixPlatform() override;

  Status FindFirst(std::string_view pattern, std::uint32_t mask, std::unique_ptr<DirSearch>* search) override;
  Status GetAttributes(std::string_view path, std::uint32_t* attributes) override;
  Status SetAttributes(std::string_view path, std::uint32_t attributes) override;
  Status CopyFile(std::string_view from, std::string_view to) override;
  Status CopyFileWithBackup(std::string_view from, std::string_view to, std::string_view backup,
                            bool* backup_failed) override;
  Status CheckBackup(std::string_view to, std::string_view backup, bool* needed) override;
  Status FlushCopies() override;
  Status EndOfPair() override;
  Status EndOfRun() override;
  void SetCopyFidelity(const CopyFidelity& fidelity) override { fidelity_ = fidelity; }
  std::vector<std::string> TakeNotKept() override { return not_kept_.Take(); }
  Status CreateDirectoryLike(std::string_view path, std::string_view model) override;
  Status MatchDirectory(std::string_view model, std::string_view path) override;
  Status MatchMetadata(std::string_view from, std::string_view to, bool* carried) override;
  void SetCopyProgress(CopyProgress progress) override { progress_ = std::move(progress); }
  Status MoveFile(std::string_view from, std::string_view to) override;
  Status DeleteFile(std::string_view path) override;
  Status KeepVersion(std::string_view path, std::string_view version, VersionKeep how) override;
  Status CreateDirectory(std::string_view path) override;
  Status RemoveDirectory(std::string_view path) override;
  Status SetCurrentDirectory(std::string_view path) override;
  std::string CurrentDirectory() override { return current_dir_; }
  Status OpenReadWrite(std::string_view path) override;
  Status CreateNewFile(std::string_view path) override;
  Status ReadFile(std::string_view path, std::string* contents, const FileAccess& access = {}) override;
  Status WriteFile(std::string_view path, std::string_view contents, WriteMode mode,
                   const FileAccess& access = {}) override;
  Status SetLastWriteTime(std::string_view path, const LocalTime& time) override;
  Status VolumeFileSystemName(std::string_view path, std::string* name) override;
  Status DiskSpace(std::string_view path, std::uint64_t* total, std::uint64_t* free) override;
  LocalTime Now() override;
  Status WindowsDirectory(std::string* path) override;
  std::string ProgramDirectory() override;
  std::string DataDirectory() override;
  std::string ShellFolder(std::string_view name) override;
  IntlSettings LocaleIntl() override;
  int RunEditor(std::string_view file) override;
  bool OpenUrl(std::string_view url) override;
  Status PinTops(const std::vector<std::string>& tops) override;
  Status CaseTwins(std::string_view path, std::vector<std::string>* names) override;
  Status ToWindowsPath(std::string_view typed, std::string* windows) override;
  Status ToHostPath(std::string_view windows, std::string* host) override;

 private:
  // A copy renamed into place with a provisional time, waiting for the
  // flush that makes its data durable before it gets its real time.
  struct PendingCopy {
    DirRef dir;        // the directory holding it, reached through handles
    std::string name;  // its name there (messages ask the handle for the rest)
    struct timespec atime {};
    struct timespec mtime {};        // the real time, given at the flush
    struct timespec provisional {};  // what the file carries until then
  };
  using InodeKey = std::pair<dev_t, ino_t>;
  // A mounted file system: device, statfs type and identity.
  using VolumeKey = std::tuple<dev_t, long, int, int>;

  Status Locate(std::string_view path, ResolvedPath* out) { return resolver_.Resolve(path, current_dir_, out); }
  // The handle of the directory path names when the resolver holds it open
  // and path still leads to it (host path and a stat taken now in *host and
  // *st); nullptr otherwise.
  DirRef CachedDirectory(std::string_view path, std::string* host, struct stat* st) {
    WindowsPath parsed;
    if (!ParseWindowsPath(path, current_dir_, &parsed).ok()) return nullptr;
    return resolver_.CachedDirectoryOf(parsed, host, st);
  }
  // Locate, failing with kFileNotFound / kPathNotFound when the entry is missing.
  Status LocateExisting(std::string_view path, ResolvedPath* out);
  enum class EntryChange { kAdds, kRemoves };
  // Runs change (a system call that adds or removes the entry r names,
  // true on success) with the resolver's cache of the parent kept true.
  // Returns 0, or the errno the change failed with.
  int ChangeEntry(const ResolvedPath& r, EntryChange kind, const std::function<bool()>& change);
  std::uint32_t AttributesOf(const ResolvedPath& r) {
    if (r.windows.IsRoot()) return attributes_.Read(r.host, r.st, r.name, true);
    return attributes_.ReadEntry(r.at_fd(), r.dir->ProcPath(), r.at_name(), r.name, r.st);
  }

  // The last-write time to report: a pending copy's real one.
  std::uint32_t DosTimeOf(const struct stat& st) const;
  // The same for one of many entries of a search.
  std::uint32_t DosTimeOf(const struct stat& st, DosTimeConverter* converter) const;
  // An entry as a search returns it: its time both packed and exact.
  FindData EntryOf(std::string name, std::uint32_t attributes, const struct stat& st,
                   DosTimeConverter* converter) const;
  struct timespec RealMtime(const struct stat& st) const;
  // Host path to Windows form (kTooLong, kInvalidArgument).
  Status HostToWindows(std::string_view host, std::string* windows) const;
  std::string HostToWindowsOrEmpty(std::string_view host) const;
  std::string ConfigHome() const;
  // A handle of the entry a path names, for the volume's values: a
  // directory the resolver holds open, else one opened for the question.
  struct VolumeEntry {
    DirRef held;
    int fd = -1;
    bool owned = false;
    std::string shown;
    VolumeEntry() = default;
    VolumeEntry(const VolumeEntry&) = delete;
    VolumeEntry& operator=(const VolumeEntry&) = delete;
    ~VolumeEntry();
  };
  Status OpenVolumeEntry(std::string_view path, VolumeEntry* entry);

  // The missing directories leading to a version, each made with mode 0700.
  Status MakeVersionDirectories(std::string_view version);
  // Whether dir_part (a search's directory) is a top of the run, where the
  // versions folder lies.
  bool IsRunTop(std::string_view dir_part);

  Status FindOne(std::string_view pattern, std::string_view last, std::uint32_t mask, std::vector<FindData>* found);
  Status FindInDirectory(std::string_view dir_part, std::string_view last, std::uint32_t mask,
                         std::vector<FindData>* found, std::vector<std::string>* unusable);
  // The entries of names (a reading of the directory open as dir_fd) that
  // match last and mask, in directory order. Fails when an entry cannot be
  // examined: a listing is complete or it is an error.
  // The search of a directory open as dir (host path host, stat dir_st),
  // which gives no "." and "..".
  Status SearchOpenDirectory(const DirHandle& dir, const std::string& host, const struct stat& dir_st,
                             const std::string& dir_text, std::string_view last, std::uint32_t mask,
                             std::vector<FindData>* found, std::vector<std::string>* unusable);
  Status CollectEntries(int dir_fd, const std::string& dir_host, dev_t dir_dev, const DirListing& names,
                        std::string_view last, std::uint32_t mask, std::vector<FindData>* found);

  // Run between a copy's data being complete and its rename over the
  // target; a failure leaves the target as it was.
  using BeforePlace = std::function<Status()>;
  // The new data of a copy, complete in a temporary file beside its target.
  struct StagedCopy {
    std::string temp;  // its name in the target's directory
    struct timespec atime {};
    struct timespec real_mtime {};
    struct timespec carried {};  // the time it has until the flush
    bool pending = false;        // waits for the flush (else durable already)
  };
  // CopyFile, with backup (CopyFileWithBackup) or without (nullptr).
  Status CopyTo(std::string_view from, std::string_view to, const std::string_view* backup, bool* backup_failed);
  Status CopyLink(const ResolvedPath& from, const ResolvedPath& to, const BeforePlace& before_place);
  Status CopyRegular(const ResolvedPath& from, const ResolvedPath& to, const BeforePlace& before_place);
  // A pipe or a device, made anew with the source's owner, mode and times.
  Status CopySpecial(const ResolvedPath& from, const ResolvedPath& to, const BeforePlace& before_place);
  Status PlaceComplete(const ResolvedPath& from, const ResolvedPath& to, const std::string& temp,
                       const BeforePlace& before_place);
  // One attempt at the new data; *changed when the source changed meanwhile.
  Status StageOnce(const ResolvedPath& from, const ResolvedPath& to, StagedCopy* staged, bool* changed);
  // The data of source (open as in) into out, its holes kept.
  bool CopyFileData(int in, int out, const struct stat& source);
  // Owner, mode, attributes, time and pending mark of the new data open as
  // out, from source open as in.
  Status Settle(int in, int out, const struct stat& source, const ResolvedPath& to, StagedCopy* staged);
  void Unstage(const ResolvedPath& to, const StagedCopy& staged);
  // Whether the file system of fd (device dev) keeps a time as given
  // (asked once per file system: every later answer is yes).
  bool KeepsExactTimes(int fd, dev_t dev, const struct timespec& given);

  // Backups (posix_backup.cpp). Whether the backup name may take the
  // target's old data (*make), is to stay as it is (Ok without make), or
  // holds something that is not this file's backup (an error).
  Status PlanBackup(std::string_view backup, const ResolvedPath& dst, ResolvedPath* bak, bool* make);
  Status MayReplaceBackup(const ResolvedPath& dst, const ResolvedPath& bak);
  // Makes the backup name a second link to the target's old data (or a
  // copy of it) and marks it as that file's backup.
  Status KeepBackup(const ResolvedPath& dst, const ResolvedPath& bak, bool* added);
  // A copy not yet flushed, by this run or one that was interrupted.
  bool IsPendingCopy(const ResolvedPath& r) const;
  void ForgetPending(const struct stat& st) { pending_.erase(InodeKey(st.st_dev, st.st_ino)); }
  DirRef SharedPendingDir(const DirRef& dir);

  // Which file or directory an entry is: device and inode, and its birth
  // time where the file system keeps one (an inode number is soon reused).
  struct DirIdentity {
    dev_t dev = 0;
    ino_t ino = 0;
    std::int64_t born_sec = 0;
    std::uint32_t born_nsec = 0;
    bool operator==(const DirIdentity&) const = default;
  };
  static bool IdentityOf(int dir_fd, const char* name, DirIdentity* identity);
  // A directory that gets its model's metadata at the end of the run,
  // known by its identity so that nothing else ever gets it in its place.
  struct DirToSettle {
    std::string model;  // Windows paths
    std::string path;
    DirIdentity identity;
    bool created = false;  // made by the run, closed until it is settled
  };
  // Makes the directory r names with the given mode.
  Status MakeDirectory(std::string_view path, mode_t mode, ResolvedPath* r);
  // Settles the directories of the run, the deepest first (a private
  // parent stays reachable until its children are done).
  Status SettleDirectories();
  Status SettleDirectory(const DirToSettle& dir);

  // Hard links (CopyFidelity::hard_links): the first copy of a source file
  // with more than one name, which its later names become links to.
  struct FirstCopy {
    std::string target;  // Windows path
    DirIdentity identity;  // device, inode and birth: an inode number is soon reused
  };
  // Makes to (resolved as dst) a link to the first copy of src when there is
  // one this run; *linked tells whether it did, or found dst that copy already.
  enum class Linked { kNo, kNow, kAlready };
  Status LinkToFirstCopy(const ResolvedPath& src, const ResolvedPath& dst, const BeforePlace& before_place,
                         Linked* linked);
  void RememberFirstCopy(const ResolvedPath& src, const ResolvedPath& dst, std::string_view to);

  // The file of the last appends (an update log gets a line at a time),
  // kept open while its name still leads to it.
  struct HeldAppend {
    int fd = -1;
    dev_t dev = 0;
    ino_t ino = 0;
  };
  // Appends to r (an existing regular file, or a new one) through the held
  // file when r is it, else opens r and holds it instead.
  Status Append(const ResolvedPath& r, std::string_view contents, const FileAccess& access);
  void ReleaseAppend();

  PlatformConfig config_;
  HeldAppend held_append_;
  DriveMap drives_;
  PathResolver resolver_;
  AttributeStore attributes_;
  HelperThread helper_;  // shares the lookups of a search's entries
  std::string current_dir_;
  CopyProgress progress_;
  std::map<InodeKey, PendingCopy> pending_;
  std::map<InodeKey, DirRef> pending_dirs_;  // the directories pending copies are in
  std::uint64_t pending_bytes_ = 0;          // their sizes together
  std::chrono::steady_clock::time_point pending_since_;  // when the first of them was made
  std::map<VolumeKey, std::string> volume_names_;
  // Backups made on file systems that cannot mark them, and whose.
  using BackupKey = InodeKey;
  std::map<BackupKey, std::string> unmarked_backups_;
  CopyFidelity fidelity_;
  ProcessIds ids_ = ProcessIds::Current();
  NotKeptTally not_kept_;
  std::vector<DirToSettle> dirs_to_settle_;
  std::map<InodeKey, FirstCopy> first_copies_;  // source inodes with more than one link
  std::set<dev_t> exact_times_;  // file systems seen to keep nanoseconds  // file system names read from the mount table
  mode_t umask_ = 022;
};

}  // namespace velqo
