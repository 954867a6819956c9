#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/app_state.h"
#include "engine/text_store.h"

namespace velqo {

// For the Dir 2 list: an entry's position and the length of its path. A
// length of 0 marks a surplus directory.
struct DirKey {
  std::int32_t position = 0;
  std::int32_t length = 0;
};

enum class WalkMode { kDir1 = 1, kDir2 = 2 };

// The directory list of one walk: the top directory in entry 0, then every
// accepted directory below it, breadth-first. It holds as many directories
// as the tree has, each at the cost of its two texts.
class DirWalk {
 public:
  // Puts top in entry 0.
  DirWalk(AppState& s, std::string_view top);
  DirWalk(const DirWalk&) = delete;
  DirWalk& operator=(const DirWalk&) = delete;

  int count() const { return static_cast<int>(entries_.size()); }

  // Whether Dir 2 folds case: then names differing only in case are twins
  // that cannot both arrive, and are left out; elsewhere each is its own
  // directory.
  bool folds_case() const { return folds_case_; }
  void SetFoldsCase(bool folds) { folds_case_ = folds; }

  // The stored text (stable: stored texts never move).
  std::string_view Entry(int index) const { return entries_[static_cast<std::size_t>(index)].path; }
  // Entry index below the top of the walk, its names joined by "/" and
  // spelled as on disk, as the entries are; "" for the top.
  std::string_view BelowTop(int index) const { return entries_[static_cast<std::size_t>(index)].below_top; }
  // Appends path, which lies at below_top.
  void Append(std::string_view path, std::string_view below_top = {});

  // Directories whose search failed: nothing is known about what is below
  // them.
  const std::vector<std::string>& unreadable() const { return unreadable_; }
  void NoteUnreadable(std::string_view dir) { unreadable_.emplace_back(dir); }
  // Directories the walk left out on purpose (by the directory filters or
  // patterns, as links, or as case twins where Dir 2 folds case): their
  // counterparts are not surplus.
  const std::vector<std::string>& left_out() const { return left_out_; }
  void NoteLeftOut(std::string path) { left_out_.push_back(std::move(path)); }

  std::vector<DirKey> keys;  // Dir 2 walks only, one per entry

 private:
  struct Stored {
    std::string_view path;
    std::string_view below_top;
  };
  TextStore texts_;
  std::vector<Stored> entries_;
  bool folds_case_ = true;
  std::vector<std::string> unreadable_;
  std::vector<std::string> left_out_;
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
