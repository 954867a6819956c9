#include "engine/text_store.h"

#include <algorithm>
#include <cstring>

namespace velqo {

std::string_view TextStore::Add(std::string_view text) {
  if (text.empty()) return {};
  if (room_ - used_ < text.size()) {
    // A text longer than a block gets a block of its own size.
    room_ = std::max(kBlockSize, text.size());
    blocks_.push_back(std::make_unique<char[]>(room_));
    used_ = 0;
  }
  char* at = blocks_.back().get() + used_;
  std::memcpy(at, text.data(), text.size());
  used_ += text.size();
  return std::string_view(at, text.size());
}

void TextStore::Clear() {
  blocks_.clear();
  used_ = 0;
  room_ = 0;
}

}  // namespace velqo
