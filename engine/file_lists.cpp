#include "engine/file_lists.h"

#include <string>
#include <unordered_set>
#include <vector>

#include "actions/directories.h"
#include "actions/type_change.h"
#include "common/platform/platform_ops.h"
#include "common/text/tostring.h"
#include "engine/action_phases.h"
#include "engine/case_folding.h"
#include "engine/case_twins.h"
#include "engine/skipped_paths.h"

namespace velqo {

bool FileList::Create(AppState& s, int n) {
  name_texts_.Clear();
  names_.clear();
  names_.reserve(static_cast<std::size_t>(n));
  times_ = std::make_unique<TDynLongIntArray>(s, n);
  sizes_ = std::make_unique<TDynSizeArray>(s, n);
  states_ = std::make_unique<TDynWordArray>(s, n);
  exact_.clear();
  exact_.reserve(static_cast<std::size_t>(n));
  metadata_.clear();
  metadata_.reserve(static_cast<std::size_t>(n));
  count_ = 0;
  if (!times_->Valid() || !sizes_->Valid() || !states_->Valid()) {
    s.flags.PairStopped = 1;
    return false;
  }
  for (int i = 0; i < n; ++i) states_->Item(i) = kStateLone;
  return true;
}

void FileList::Free() {
  name_texts_.Clear();
  names_ = {};
  times_.reset();
  sizes_.reset();
  states_.reset();
  exact_ = {};
  metadata_ = {};
  sparse_.clear();
  count_ = 0;
}

bool FileList::Add(const FindData& entry) {
  // A name holding a zero could never be found again.
  if (entry.name.find('\0') != std::string::npos) return false;
  names_.push_back(name_texts_.Add(entry.name));
  times_->Item(count_) = static_cast<std::int32_t>(entry.dos_time);
  sizes_->Item(count_) = static_cast<std::int64_t>(entry.size);
  exact_.push_back(ExactTime{entry.mtime_sec, entry.mtime_nsec});
  metadata_.push_back(entry.metadata);
  if (entry.allocated != 0 && entry.allocated < entry.size) sparse_[count_] = entry.allocated;
  ++count_;
  return true;
}

std::uint32_t FileSearchMask(const OptionSet& o) {
  // Filters that take either value of a flag look at none of them.
  const bool flags_unused = o.HiddenFilter == 2 && o.SystemFilter == 2 && o.ArchiveFilter == 2;
  return kMaskAllFiles | (flags_unused ? kSearchWithoutStoredFlags : 0u);
}

namespace {

enum class ReadResult { kRead, kPathNotFound, kUnreadable };

// What one directory read found: every file entry (directories are not
// asked for), and the names that could not be taken at all.
struct DirRead {
  std::vector<FindData> entries;
  std::vector<std::string> unusable;
  ReadResult result = ReadResult::kRead;
  Status failure;  // why the directory could not be read
};

// Reads every entry of dir, however many there are.
ReadResult ReadEntries(AppState& s, std::string_view dir, DirRead* read) {
  std::unique_ptr<DirSearch> search;
  const Status status = s.fs.FindFirst(SearchPattern(dir), FileSearchMask(s.opt.ActiveOptions), &search);
  if (status.code() == Status::Code::kFileNotFound) return ReadResult::kRead;  // nothing matched
  if (status.code() == Status::Code::kPathNotFound) return ReadResult::kPathNotFound;
  if (!status.ok() || search == nullptr) {
    read->failure = status;
    return ReadResult::kUnreadable;
  }
  read->unusable = search->Unusable();
  FindData entry;
  while (search->Next(&entry)) read->entries.push_back(std::move(entry));
  return ReadResult::kRead;
}

// The side of the pair a list belongs to.
struct Side {
  std::string_view dir;
  std::string_view invalid_text;
  std::string_view count_caption;
};

bool ReportReadFailure(AppState& s, const Side& side, ReadResult result, const Status& failure) {
  switch (result) {
    case ReadResult::kRead:
      return false;
    case ReadResult::kPathNotFound:
      s.host.MessageBox(side.invalid_text, "Error", Icon::kWarning, Buttons::kOk);
      break;
    case ReadResult::kUnreadable:
      ReportUnreadableDirectory(s, side.dir, failure.ToString());
      break;
  }
  s.flags.PairStopped = 1;
  return true;
}

void ShowCount(AppState& s, const Side& side, std::size_t count) {
  if (s.sw.DebugMode == 0) return;
  TOstring text(20);
  text.AppendInt(static_cast<std::int64_t>(count), 4);
  MBDebug(s, text.View(), side.count_caption);
}

// Names differing only in case, on either side, where Dir 2 folds case (so
// both cannot arrive there): reported where they are, and left out of both
// lists, so that neither twin is paired with, copied over or deleted for
// the other side's namesake.
std::unordered_set<std::string> LeftOutTwins(AppState& s, const Side* sides, const DirRead* reads) {
  std::unordered_set<std::string> keys;
  for (int i = 0; i < 2; ++i) {
    std::vector<std::string_view> names;
    names.reserve(reads[i].entries.size());
    for (const FindData& entry : reads[i].entries) names.push_back(entry.name);
    const CaseTwins twins(names);
    for (const auto& group : twins.groups()) ReportCaseTwins(s, sides[i].dir, group);
    keys.insert(twins.keys().begin(), twins.keys().end());
  }
  return keys;
}

// Names the patterns exclude, as spelled on either side: left out of both
// lists, so that an excluded file is neither copied over nor deleted for
// its namesake (of another spelling, where Dir 2 folds case).
void AddExcludedNames(const AppState& s, const DirRead* reads, bool fold_case,
                      std::unordered_set<std::string>* keys) {
  if (s.PathPatterns.empty()) return;
  for (int i = 0; i < 2; ++i) {
    for (const FindData& entry : reads[i].entries) {
      if (s.PathPatterns.Excludes(JoinBelowTop(s.PairBelowTop, entry.name), false)) {
        keys->insert(NameKey(entry.name, fold_case));
      }
    }
  }
}

void LoadOne(AppState& s, const Side& side, const DirRead& read, const std::unordered_set<std::string>& left_out,
             bool fold_case, FileList& list) {
  AdmitContext context;
  // An exact comparison of the first characters, as the purge drive is given.
  const std::string_view drive = s.opt.ActiveOptions.ExclDaysDriveString.view();
  context.purge_drive_match = !drive.empty() && !side.dir.empty() && side.dir[0] == drive[0];

  ShowCount(s, side, read.entries.size());
  if (!list.Create(s, read.entries.empty() ? 1 : static_cast<int>(read.entries.size()))) return;
  for (const FindData& entry : read.entries) {
    if (s.flags.PairStopped == 1) break;
    if (!left_out.empty() && left_out.count(NameKey(entry.name, fold_case)) != 0) continue;
    if (!AdmitFile(s, context, entry, side.dir)) continue;
    if (!list.Add(entry)) ReportPathTooLong(s, ChildPath(side.dir, entry.name));
  }
  MBDebug(s, "FileDates and FileSizes Loaded", "Debug Info");
}

}  // namespace

void LoadFileArrays(AppState& s, PairLists& lists) {
  s.flags.PairDirsReady = 1;
  // A directory of Dir 1 whose Dir 2 namesake is a file (or a link)
  // replaces it in a run that writes only Dir 2.
  if (s.Path2BelowTop && TypeChangeToMake(s, s.Path2.view(), true) &&
      !ClearForTypeChange(s, s.Path2.view(), KeepsBackups(s))) {
    s.flags.PairStopped = 1;
    return;
  }
  EnsureDirectory(s, s.Path1.view(), DirPurpose::kPair);
  const bool dir2_existed = DirectoryExists(s.fs, s.Path2.view());
  EnsureDirectory(s, s.Path2.view(), DirPurpose::kPair, s.Path2Spelling, s.Path1.view());
  if (s.flags.PairDirsReady == 0) {
    s.flags.PairStopped = 1;
    return;
  }
  // Where Dir 2 is made a copy of Dir 1, its directories follow Dir 1's
  // mode, owner, attributes and time, as the new ones do.
  const OptionSet& o = s.opt.ActiveOptions;
  if (dir2_existed && (o.Add1To2 == 1 || o.CleanUp == 1)) (void)s.fs.MatchDirectory(s.Path1.view(), s.Path2.view());
  const Side sides[2] = {
      Side{s.Path1.view(), "Directory Path 1 is invalid - please respecify", "Number Of Files In Dir 1"},
      Side{s.Path2.view(), "Directory Path 2 is invalid - please respecify", "Number Of Files In Dir 2"}};
  // Both directories are read before either list is built: a name that has
  // a case twin on one side is left out on both.
  DirRead reads[2];
  for (int i = 0; i < 2; ++i) {
    const ReadResult result = ReadEntries(s, sides[i].dir, &reads[i]);
    if (ReportReadFailure(s, sides[i], result, reads[i].failure)) return;
  }
  for (int i = 0; i < 2; ++i) {
    for (const std::string& name : reads[i].unusable) ReportUnusableName(s, sides[i].dir, name);
  }
  lists.fold_case = FoldsCase(s, s.Path2.view());
  std::unordered_set<std::string> left_out;
  if (lists.fold_case) left_out = LeftOutTwins(s, sides, reads);
  AddExcludedNames(s, reads, lists.fold_case, &left_out);
  LoadOne(s, sides[0], reads[0], left_out, lists.fold_case, lists.list1);
  if (s.flags.PairStopped == 1) return;
  LoadOne(s, sides[1], reads[1], left_out, lists.fold_case, lists.list2);
}

}  // namespace velqo
