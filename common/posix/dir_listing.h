#pragma once

#include <dirent.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velqo {

// The names of one host directory as a read of it found them, in directory
// order, with the type each directory entry gave. Names are compared
// ignoring the case of A to Z; a directory read for one lookup is searched
// through once, one asked again gets an index.
class DirListing {
 public:
  // Reads the directory open as dir_fd (any handle, O_PATH too). Leaves
  // out "." and "..", the layer's temporary files, and names holding the
  // stand-in for "\" (they could not be told from names holding "\";
  // unusable() keeps them). False with errno when the directory cannot be
  // read.
  bool ReadAt(int dir_fd);
  // The same from a directory opened for reading by the caller (fd is
  // read to its end and left open).
  bool ReadOpen(int fd);

  // How many names equal name ignoring case; *first is the first of them
  // in directory order.
  int Matches(std::string_view name, std::string_view* first);
  // Every name equal to name ignoring case.
  void AllMatches(std::string_view name, std::vector<std::string>* out);

  // Names left out because they hold the stand-in for "\", with the type
  // their directory entries gave.
  struct Unusable {
    std::string name;
    unsigned char type = 0;
  };
  const std::vector<Unusable>& unusable() const { return unusable_; }
  // The layer's temporary files the read found (left out of the names).
  const std::vector<std::string>& temporaries() const { return temporaries_; }

  // The layer's own changes, made without reading the directory again. Each
  // is refused (false: read the directory again) when other names equal to
  // it ignoring case make the one found first unknown. The place of an added
  // name in directory order is not known, so after a change the listing no
  // longer gives the order.
  bool Add(std::string_view name);
  bool Remove(std::string_view name);
  bool in_order() const { return in_order_; }

  // The names in directory order (only while in_order(): a change leaves
  // what was removed in place).
  std::size_t size() const { return entries_.size(); }
  const char* Name(std::size_t i) const { return text_.data() + entries_[i].offset; }
  unsigned char Type(std::size_t i) const { return entries_[i].type; }

 private:
  struct Entry {
    std::uint32_t offset = 0;  // into text_, where the name ends with a zero
    std::uint32_t size = 0;
    unsigned char type = 0;    // DT_* of the directory entry
    bool removed = false;
  };
  struct Slot {
    std::size_t first = 0;  // entry index
    int count = 0;
  };

  std::string_view View(const Entry& e) const { return std::string_view(text_.data() + e.offset, e.size); }
  void Append(std::string_view name, unsigned char type);
  void BuildIndex();

  std::string text_;
  std::vector<Entry> entries_;
  // lower-case name -> the first entry of that name; built on demand.
  std::unordered_map<std::string, Slot> index_;
  bool indexed_ = false;
  int lookups_ = 0;
  bool in_order_ = true;
  std::vector<Unusable> unusable_;
  std::vector<std::string> temporaries_;
};

}  // namespace velqo
