#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>
#include <unordered_map>

#include "common/platform/platform.h"
#include "config/app_state.h"
#include "engine/dyn_arrays.h"
#include "engine/text_store.h"

namespace velqo {

// What Part of a pair a file is, once matched.
enum FileState : std::int32_t {
  kStateLone = 0,    // no file of the same name in the other directory
  kStateNewer = 1,   // the copy source
  kStateOlder = 2,   // the copy target and the file a backup saves
  kStateEqual = 3,   // same time within the tolerance, or bypassed
};

// The admitted files of one directory: name (case kept), packed local and
// exact last-write time, full 64-bit size and state, in the order the file system
// returned them. The arrays are sized by the directory's entry count (at
// least 1), whatever it is, and exist only for one pair.
class FileList {
 public:
  // Creates the arrays for n entries with every state 0; false (message
  // shown, PairStopped set) when they cannot be made.
  bool Create(AppState& s, int n);
  bool created() const { return states_ != nullptr; }
  void Free();

  int count() const { return count_; }
  // Stores an admitted entry at position count(); false when refused.
  bool Add(const FindData& entry);

  std::string_view Name(int i) const { return names_[static_cast<std::size_t>(i)]; }
  std::uint32_t Time(int i) { return static_cast<std::uint32_t>(times_->Item(i)); }
  // The last-write time as the file system keeps it.
  std::int64_t Seconds(int i) const { return exact_[static_cast<std::size_t>(i)].seconds; }
  std::int32_t Nanoseconds(int i) const { return exact_[static_cast<std::size_t>(i)].nanoseconds; }
  std::uint64_t Size(int i) { return static_cast<std::uint64_t>(sizes_->Item(i)); }
  // What a copy of the file takes on disk: less than its size when it
  // has holes.
  std::uint64_t Allocated(int i) {
    const auto it = sparse_.find(i);
    return it == sparse_.end() ? Size(i) : it->second;
  }
  // What the listing said of the entry's inode beyond its data.
  const EntryMetadata& Metadata(int i) const { return metadata_[static_cast<std::size_t>(i)]; }
  std::int32_t State(int i) { return states_->Item(i); }
  void SetState(int i, std::int32_t state) { states_->Item(i) = state; }

 private:
  TextStore name_texts_;
  std::vector<std::string_view> names_;
  std::unique_ptr<TDynLongIntArray> times_;
  std::unique_ptr<TDynSizeArray> sizes_;
  std::unique_ptr<TDynWordArray> states_;
  struct ExactTime {
    std::int64_t seconds;
    std::int32_t nanoseconds;
  };
  std::vector<ExactTime> exact_;
  std::vector<EntryMetadata> metadata_;
  std::unordered_map<int, std::uint64_t> sparse_;  // the few files with holes
  int count_ = 0;
};

// The two lists of the pair in Path1 and Path2.
struct PairLists {
  FileList list1;
  FileList list2;
  // Dir 2 folds case: names match ignoring case, and twins are refused.
  bool fold_case = true;
};

// Ensures both directories exist, then reads, counts and filters each
// directory once into its list. May set PairStopped and EndRunRequested.
void LoadFileArrays(AppState& s, PairLists& lists);

// The search mask of a directory's files: every file, without the flags
// that no attribute filter of o looks at.
std::uint32_t FileSearchMask(const OptionSet& o);

// What the filter needs besides the entry: whether the directory lies on
// the purge drive, and "now" (read once per directory, when ages count).
struct AdmitContext {
  bool purge_drive_match = false;
  bool now_known = false;
  long double now = 0;
};

// The admission filter of one entry of directory dir: age, attribute
// tri-states, extensions, named files; hands a file left out for its age
// to the purge. OPTIONS.UPD never takes part.
bool AdmitFile(AppState& s, AdmitContext& context, const FindData& entry, std::string_view dir);

}  // namespace velqo
