#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/platform/platform.h"
#include "common/text/status.h"

namespace velqo::ui {

// Letter case applied to every name a directory tree shows.
enum class TextCase { tcLowerCase = 0, tcUpperCase = 1, tcAsIs = 2 };

// Which directory attributes may be present on a listed directory.
struct TreeSwitches {
  bool hidden = false;
  bool system = false;
  bool archive = false;
  bool read_only = true;
};

// The directories of one drive as a lazily loaded tree: each level is listed
// only when it is first opened, directories are filtered by their
// attributes, all names are shown in one letter case and a current
// directory follows the user's clicks. Headless, so that the listing,
// ordering and walking rules are tested without windows; the tree widget
// mirrors it.
class DirTreeModel {
 public:
  static constexpr int kNone = -1;

  struct Item {
    std::string text;
    int parent = kNone;
    std::vector<int> children;  // in display order
    bool expanded = false;
    int data = 0;  // 1 once the children have been listed
  };

  explicit DirTreeModel(Platform& fs) : fs_(fs) {}

  // Raised after a rebuild and after the current directory changes.
  void SetOnChange(std::function<void()> on_change) { on_change_ = std::move(on_change); }

  void SetTextCase(TextCase text_case) { text_case_ = text_case; }
  TextCase text_case() const { return text_case_; }
  // Take effect at the next listing; callers rebuild afterwards.
  void SetSwitches(const TreeSwitches& switches) { switches_ = switches; }
  const TreeSwitches& switches() const { return switches_; }

  char drive_letter() const { return drive_; }
  const std::string& current_directory() const { return current_; }

  // Switches to another drive (A to Z, different from the present one):
  // its root becomes the working and the current directory, then the tree
  // is rebuilt. Fails, changing nothing but the letter, when the root
  // cannot be entered.
  Status SetDriveLetter(char letter);
  // Makes a directory current (relative texts are taken against the
  // working directory) and opens the tree down to it. Fails when it cannot
  // be entered; the text is then current but the working directory stays.
  Status ChangeDirectory(std::string_view path);
  // Rebuilds from the root and opens the tree down to the current directory.
  void Rebuild();
  // Lists the subdirectories of one item; errors leave it without children.
  void LoadChildren(int item);

  // Opening (listing first when needed) and closing an item.
  void Expand(int item);
  void Collapse(int item);
  void Toggle(int item);
  // A click: the item becomes the selected one and its directory current;
  // errors are swallowed.
  void Click(int item);

  // The item's full path, "c:\" for the root and "c:\a\b" below it.
  std::string FullPath(int item) const;
  int root() const { return items_.empty() ? kNone : 0; }
  int selected() const { return selected_; }
  const Item& item(int index) const { return items_[static_cast<std::size_t>(index)]; }
  int item_count() const { return static_cast<int>(items_.size()); }
  // Bumped by every rebuild, so a view can tell its items are stale.
  int generation() const { return generation_; }

  // The name as this tree shows it.
  std::string ApplyCase(std::string_view text) const;

 private:
  void Changed();
  bool Accepts(std::uint32_t attributes) const;
  std::uint32_t SearchMask() const;
  void InsertSorted(int parent, int child);
  void WalkTo(std::string_view path);
  std::string FullForm(std::string_view path) const;

  Platform& fs_;
  std::function<void()> on_change_;
  TextCase text_case_ = TextCase::tcLowerCase;
  TreeSwitches switches_;
  char drive_ = 0;
  std::string current_;
  std::vector<Item> items_;
  int selected_ = kNone;
  int generation_ = 0;
};

// Directory attribute bits a listed directory may carry.
inline constexpr std::uint32_t kTreeReadOnly = 1;
inline constexpr std::uint32_t kTreeHidden = 2;
inline constexpr std::uint32_t kTreeSystem = 4;
inline constexpr std::uint32_t kTreeDirectory = 16;
inline constexpr std::uint32_t kTreeArchive = 32;

}  // namespace velqo::ui
