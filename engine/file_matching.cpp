#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "actions/copy_backup.h"
#include "common/platform/platform_ops.h"
#include "common/text/tostring.h"
#include "engine/action_phases.h"
#include "engine/case_folding.h"
#include "engine/change_detection.h"
#include "engine/pair_context.h"
#include "engine/skipped_paths.h"

namespace velqo {

namespace {

// The first entry of a list for each name, folded to lower case where the
// target folds case: looking a name up here gives exactly what a search
// from the list's first entry would find, without comparing against every
// entry. Where names keep their case only the exact name matches.
class NameIndex {
 public:
  NameIndex(FileList& list, bool fold_case) : fold_case_(fold_case) {
    first_.reserve(static_cast<std::size_t>(list.count()));
    for (int i = 0; i < list.count(); ++i) first_.emplace(NameKey(list.Name(i), fold_case_), i);
  }
  // The position of the first entry of that name, or -1.
  int Find(std::string_view name) {
    key_.assign(name);
    if (fold_case_) {
      for (char& c : key_) c = AsciiLower(c);
    }
    const auto it = first_.find(key_);
    return it == first_.end() ? -1 : it->second;
  }

 private:
  bool fold_case_;
  std::unordered_map<std::string, int> first_;
  std::string key_;
};

// Ten times the newer file's size is still less than the older one's.
bool SizeDropped(std::uint64_t newer, std::uint64_t older) {
  return newer <= std::numeric_limits<std::uint64_t>::max() / 10 && newer * 10 < older;
}

bool UserBypasses(AppState& s, std::string_view name) {
  TOstring text(200);
  text.Append("The New Version Of The File ");
  text.Append(name);
  text.Append(" Is More Than A Factor Of 10 Smaller Than The Old Version Of The File.  ");
  text.Append("Do You Wish To ByPass This File Pair?");
  return s.host.MessageBox(text.View(), "Warning", Icon::kWarning, Buttons::kYesNo) ==
         Answer::kYes;
}

FileVersion VersionOf(FileList& list, int i) {
  return FileVersion{list.Time(i), list.Seconds(i), list.Nanoseconds(i), list.Size(i)};
}

// One matched pair: the entry i1 of Dir 1 and i2 of Dir 2.
class PairDecision {
 public:
  PairDecision(AppState& s, PairContext& pair, int i1, int i2)
      : s_(s), l1_(pair.lists.list1), l2_(pair.lists.list2), space_(pair.space), i1_(i1), i2_(i2) {}

  void Decide() {
    const OptionSet& o = s_.opt.ActiveOptions;
    const Difference d = CompareVersions(VersionOf(l1_, i1_), VersionOf(l2_, i2_), TimePrecision(s_, space_));
    switch (d) {
      case Difference::kSame:
        Equal();
        CarryMetadataOnly();
        return;
      case Difference::kDir1Newer:
        return Dir1Newer();
      case Difference::kSameTimeOtherSize:
        // One way, Dir 1's version is the one to have; both ways nothing
        // says which side's change is the one to keep.
        if (WritesOnlyDir2(o)) return Dir1Newer();
        ReportSameDateConflict(s_, l1_.Name(i1_));
        return Equal();
      case Difference::kDir2Newer:
        if (o.CleanUp != 1 && WritesOnlyDir2(o)) {
          WarnNewerInDir2(s_, l1_.Name(i1_));
          return Equal();
        }
        return Dir2Newer();
    }
  }

 private:
  // Where Dir 2 is a copy of Dir 1, a file whose data is unchanged still
  // takes a change of its mode, owner, attributes or ACL, without its data
  // being copied again. Not while every change is confirmed: such a change
  // would reach the disk without a question.
  void CarryMetadataOnly() {
    const OptionSet& o = s_.opt.ActiveOptions;
    if ((o.Add1To2 != 1 && o.CleanUp != 1) || o.ConfirmEveryFile == 1) return;
    if (l1_.Size(i1_) != l2_.Size(i2_)) return;
    if (!MetadataMayDiffer(l1_.Metadata(i1_), l2_.Metadata(i2_))) return;
    bool carried = false;
    (void)s_.fs.MatchMetadata(ChildPath(s_.Path1.view(), l1_.Name(i1_)), ChildPath(s_.Path2.view(), l2_.Name(i2_)),
                              &carried);
  }

  void Equal() {
    l1_.SetState(i1_, kStateEqual);
    l2_.SetState(i2_, kStateEqual);
  }

  bool Bypassed(std::uint64_t newer, std::uint64_t older) {
    return s_.opt.ActiveOptions.JFDI == 0 && SizeDropped(newer, older) &&
           UserBypasses(s_, l1_.Name(i1_));
  }

  void Dir1Newer() {
    const std::uint64_t size1 = l1_.Size(i1_);
    const std::uint64_t size2 = l2_.Size(i2_);
    if (Bypassed(size1, size2)) return Equal();
    l1_.SetState(i1_, kStateNewer);
    l2_.SetState(i2_, kStateOlder);
    s_.flags.NothingToUpdate = 0;
    CountReplacementInDir2(l1_.Allocated(i1_), l2_.Allocated(i2_));
  }

  // Room on Dir 2's drive for what taken_in takes on disk replacing
  // taken_out there (a copy keeps a sparse file's holes).
  void CountReplacementInDir2(std::uint64_t taken_in, std::uint64_t taken_out) {
    const std::uint32_t unit = ClusterSize(s_, space_, 2);
    space_.growth2 += RoundToUnit(taken_in, unit) - RoundToUnit(taken_out, unit);
    space_.backup2 += RoundToUnit(taken_out, unit);
    space_.largest_replaced2 = std::max(space_.largest_replaced2, RoundToUnit(taken_out, unit));
  }

  void Dir2Newer() {
    const std::uint64_t size1 = l1_.Size(i1_);
    const std::uint64_t size2 = l2_.Size(i2_);
    if (Bypassed(size2, size1)) return Equal();
    l2_.SetState(i2_, kStateNewer);
    l1_.SetState(i1_, kStateOlder);
    s_.flags.NothingToUpdate = 0;
    const std::uint64_t taken1 = l1_.Allocated(i1_);
    const std::uint64_t taken2 = l2_.Allocated(i2_);
    // CleanUp replaces the newer Dir 2 file by Dir 1's: Dir 2's drive takes it.
    if (s_.opt.ActiveOptions.CleanUp == 1) return CountReplacementInDir2(taken1, taken2);
    const std::uint32_t unit = ClusterSize(s_, space_, 1);
    space_.growth1 += RoundToUnit(taken2, unit) - RoundToUnit(taken1, unit);
    space_.backup1 += RoundToUnit(taken1, unit);
    space_.largest_replaced1 = std::max(space_.largest_replaced1, RoundToUnit(taken1, unit));
  }

  AppState& s_;
  FileList& l1_;
  FileList& l2_;
  PairSpace& space_;
  int i1_;
  int i2_;
};

void ShowCounts(AppState& s, PairLists& lists) {
  if (s.sw.DebugMode == 0) return;
  TOstring text(250);
  text.AppendInt(lists.list1.count(), 3);
  MBDebug(s, text.View(), "NumberOfFiles1");
  text.Clear();
  text.AppendInt(lists.list2.count(), 3);
  MBDebug(s, text.View(), "NumberOfFiles2");
}

// Lone files are added in full to the drive that will receive them.
void CountLoneFiles(AppState& s, PairContext& pair) {
  FileList& l1 = pair.lists.list1;
  FileList& l2 = pair.lists.list2;
  for (int i = 0; i < l1.count(); ++i) {
    if (l1.State(i) != kStateLone) continue;
    pair.space.new2 += RoundToUnit(l1.Allocated(i), ClusterSize(s, pair.space, 2));
    s.flags.NothingToUpdate = 0;
  }
  for (int i = 0; i < l2.count(); ++i) {
    if (l2.State(i) != kStateLone) continue;
    pair.space.new1 += RoundToUnit(l2.Allocated(i), ClusterSize(s, pair.space, 1));
    s.flags.NothingToUpdate = 0;
  }
}

// The backup names of Dir 1's subdirectories: where one replaced a Dir 2
// file, that file was kept under such a name.
void AddDirectoryBackupNames(AppState& s, std::unordered_set<std::string>* backups) {
  std::unique_ptr<DirSearch> search;
  const std::uint32_t mask = kAttrDirectory | kAttrHidden | kAttrSystem | kSearchDirectoriesOnly;
  if (!s.fs.FindFirst(SearchPattern(s.Path1.view()), mask, &search).ok() || !search) return;
  FindData entry;
  std::string backup;
  while (search->Next(&entry)) {
    if (entry.name == "." || entry.name == ".." || (entry.attributes & kAttrReparsePoint) != 0) continue;
    if (BackupPathFor(entry.name, &backup)) backups->insert(AsciiLowerCopy(backup));
  }
}

bool HasBackupExtension(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return dot != std::string_view::npos && dot + 1 < name.size() && name[dot + 1] == '~';
}

// A replica that keeps backups keeps them from one run to the next: a Dir 2
// file under the backup name of a file of the pair, or of a Dir 1
// directory that replaced it, is not Dir 2's own, and CleanUp leaves it
// alone.
void SpareBackups(AppState& s, PairLists& lists) {
  if (s.opt.ActiveOptions.CleanUp != 1 || !KeepsBackups(s)) return;
  std::unordered_set<std::string> backups;
  std::string backup;
  bool candidates = false;
  for (FileList* list : {&lists.list1, &lists.list2}) {
    for (int i = 0; i < list->count(); ++i) {
      if (BackupPathFor(list->Name(i), &backup)) backups.insert(AsciiLowerCopy(backup));
    }
  }
  for (int i = 0; i < lists.list2.count(); ++i) {
    candidates = candidates || (lists.list2.State(i) == kStateLone && HasBackupExtension(lists.list2.Name(i)));
  }
  if (candidates) AddDirectoryBackupNames(s, &backups);
  for (int i = 0; i < lists.list2.count(); ++i) {
    if (lists.list2.State(i) != kStateLone) continue;
    if (backups.count(AsciiLowerCopy(lists.list2.Name(i))) != 0) lists.list2.SetState(i, kStateEqual);
  }
}

// A Dir 2 file whose Dir 1 namesake became a directory is replaced by it
// in that directory's own pair, which keeps the file as a backup; CleanUp
// must not delete it here first. Only walks reach that pair.
void SpareTypeChanges(AppState& s, FileList& list2) {
  const OptionSet& o = s.opt.ActiveOptions;
  if (o.CleanUp != 1 || !KeepsBackups(s) || (o.UseDir1And != 1 && o.UseSubOnly != 1)) return;
  for (int i = 0; i < list2.count(); ++i) {
    if (list2.State(i) != kStateLone) continue;
    std::uint32_t attributes = 0;
    if (!s.fs.GetAttributes(ChildPath(s.Path1.view(), list2.Name(i)), &attributes).ok()) continue;
    if ((attributes & kAttrDirectory) != 0 && (attributes & kAttrReparsePoint) == 0) list2.SetState(i, kStateEqual);
  }
}

}  // namespace

void GenerateFileIndices(AppState& s, PairContext& pair) {
  ShowCounts(s, pair.lists);
  // The shorter list is walked; the longer one is looked up.
  const bool outer_is_2 = pair.lists.list2.count() < pair.lists.list1.count();
  FileList& outer = outer_is_2 ? pair.lists.list2 : pair.lists.list1;
  FileList& inner = outer_is_2 ? pair.lists.list1 : pair.lists.list2;
  if (outer.count() > 0) {
    NameIndex index(inner, pair.lists.fold_case);
    for (int i = 0; i < outer.count() && s.flags.PairStopped == 0; ++i) {
      if (i % 100 == 0) s.host.PumpEvents();
      const int match = index.Find(outer.Name(i));
      if (match < 0) continue;
      PairDecision(s, pair, outer_is_2 ? match : i, outer_is_2 ? i : match).Decide();
    }
  }
  SpareBackups(s, pair.lists);
  SpareTypeChanges(s, pair.lists.list2);
  CountLoneFiles(s, pair);
}

}  // namespace velqo
