#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace velqo {

// Texts kept one after another in blocks that never move, so a view of a
// stored text stays valid while more are added. Names and paths cost their
// own length and nothing more: a list of any size takes what it holds.
class TextStore {
 public:
  // Copies text in and returns the stored copy.
  std::string_view Add(std::string_view text);
  // Drops every text: views handed out before are no longer valid.
  void Clear();

 private:
  static constexpr std::size_t kBlockSize = 64 * 1024;

  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t used_ = 0;  // bytes taken in the current block
  std::size_t room_ = 0;  // bytes the current block holds
};

}  // namespace velqo
