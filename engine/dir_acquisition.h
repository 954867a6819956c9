#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/app_state.h"
#include "engine/dyn_arrays.h"

namespace velqo {

// A walk lists the top directory and at most this many directories below it.
constexpr int kDirCapacity = 10000;
constexpr int kDirListSlots = kDirCapacity + 1;

// For the Dir 2 list: an entry's position and the length of its path. A
// length of 0 marks a surplus directory.
struct DirKey {
  std::int32_t position = 0;
  std::int32_t length = 0;
};

enum class WalkMode { kDir1 = 1, kDir2 = 2 };

// The directory list of one walk: the top directory in entry 0, then every
// accepted directory below it, breadth-first.
class DirWalk {
 public:
  // Creates the list (reporting and setting PairStopped when it cannot be
  // made) and puts top in entry 0.
  DirWalk(AppState& s, std::string_view top);
  DirWalk(const DirWalk&) = delete;
  DirWalk& operator=(const DirWalk&) = delete;

  // False when the list could not be created or an entry was refused: the
  // listing is incomplete and nothing may be concluded from what is missing.
  bool ok() const { return ok_; }
  int count() const { return count_; }
  bool OverCapacity() const { return count_ >= kDirListSlots; }
  // Complete: created, not over capacity, every entry stored.
  bool Complete() const { return ok_ && !OverCapacity(); }

  // The stored text (stable: the list never moves).
  std::string_view Entry(int index);
  // Entry index below the top of the walk, its names joined by "/" and
  // spelled as on disk (the entries hold them lower-cased); "" for the top.
  std::string_view BelowTop(int index) const { return below_top_[static_cast<std::size_t>(index)]; }
  // Appends path, which lies at below_top; false when the list is full or
  // refused it.
  bool Append(std::string_view path, std::string below_top = {});

  // Directories whose search failed: nothing is known about what is below
  // them.
  const std::vector<std::string>& unreadable() const { return unreadable_; }
  void NoteUnreadable(std::string_view dir) { unreadable_.emplace_back(dir); }
  // Directories the walk left out on purpose (by the directory filters or
  // patterns, as links, or as case twins): their counterparts are not
  // surplus.
  const std::vector<std::string>& left_out() const { return left_out_; }
  void NoteLeftOut(std::string path) { left_out_.push_back(std::move(path)); }

  std::vector<DirKey> keys;  // Dir 2 walks only, one per entry

 private:
  TDynDirectoryArray list_;
  int count_ = 0;
  bool ok_ = true;
  std::vector<std::string> unreadable_;
  std::vector<std::string> left_out_;
  std::vector<std::string> below_top_;
};

// Fills walk with every directory below its entry 0, level by level.
void AcquireDirectories(AppState& s, DirWalk& walk, WalkMode mode);

// Appends the accepted subdirectories of entry index to the walk.
void ListSubdirectories(AppState& s, DirWalk& walk, int index, WalkMode mode);

// Orders the keys by path length, shortest first (a heap sort: equal
// lengths in no particular order).
void SortDirKeys(std::vector<DirKey>& keys);

// The search mask of a walk and the attribute values it accepts: the
// directory bit alone, or with hidden, system, archive and read-only bits
// whose options are all on; any other bit (link, compressed) refuses it.
std::uint32_t DirectorySearchMask(const OptionSet& o);
bool DirectoryAccepted(std::uint32_t attributes, const OptionSet& o);

}  // namespace velqo
