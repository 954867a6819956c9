#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace velqo {

// A zero-terminated text in a fixed array of N characters (so at most N - 1
// characters). It can never overflow: an assignment or append that does not
// fit is refused and leaves the text as it was, so a path that is too long is
// never cut into the path of some other file. Use AssignCut only where cutting
// is the documented behaviour (INI reads into N characters, display texts).
template <std::size_t N>
class FixedText {
  static_assert(N >= 1);

 public:
  static constexpr std::size_t kMaxLength = N - 1;

  FixedText() { data_[0] = '\0'; }
  FixedText(const FixedText&) = default;
  FixedText& operator=(const FixedText&) = default;

  // Returns false, changing nothing, when text is longer than kMaxLength or
  // holds a zero character.
  [[nodiscard]] bool Assign(std::string_view text) {
    if (text.size() > kMaxLength || text.find('\0') != std::string_view::npos) return false;
    Copy(0, text);
    return true;
  }

  // Keeps the first kMaxLength characters (up to any zero character).
  void AssignCut(std::string_view text) {
    text = text.substr(0, std::min(text.find('\0'), text.size()));
    text = text.substr(0, std::min(text.size(), kMaxLength));
    Copy(0, text);
  }

  [[nodiscard]] bool Append(std::string_view text) {
    if (text.size() > kMaxLength - length_ || text.find('\0') != std::string_view::npos) return false;
    Copy(length_, text);
    return true;
  }

  void Clear() {
    data_[0] = '\0';
    length_ = 0;
  }

  // Overwrites one character in place (the engine swaps drive letters).
  void SetChar(std::size_t index, char c) {
    if (index < N && index < length_ && c != '\0') data_[index] = c;
  }

  const char* c_str() const { return data_; }
  std::string_view view() const { return std::string_view(data_, length_); }
  std::string str() const { return std::string(data_, length_); }
  std::size_t size() const { return length_; }
  bool empty() const { return length_ == 0; }
  // The bound N is tested too, so the compiler can see no access past the array.
  char operator[](std::size_t i) const { return (i < N && i < length_) ? data_[i] : '\0'; }

  friend bool operator==(const FixedText& a, std::string_view b) { return a.view() == b; }

 private:
  // Puts text at position at and ends the text after it. An empty view may
  // carry no pointer at all, which memcpy must not see.
  void Copy(std::size_t at, std::string_view text) {
    if (!text.empty()) std::memcpy(data_ + at, text.data(), text.size());
    length_ = at + text.size();
    data_[length_] = '\0';
  }

  char data_[N];
  std::size_t length_ = 0;
};

// The paths of a run (at most 32767 characters, as long as a Windows path
// can be), and the paths the settings files store (at most 256).
using PathText = FixedText<32768>;
using StoredPathText = FixedText<257>;

}  // namespace velqo
