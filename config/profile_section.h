#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "common/host.h"
#include "common/profile.h"
#include "config/config_texts.h"

namespace velqo {

// One section of one profile file (the program INI file, an OPTIONS.UPD, a
// template), read and written with the program's conventions: integers as
// decimal text, text values as they stand.
class ProfileSection {
 public:
  ProfileSection(ProfileStore& store, std::string file, std::string_view section = kIniSection)
      : store_(store), file_(std::move(file)), section_(section) {}

  const std::string& file() const { return file_; }

  // At most size - 1 characters; the default when the key is missing.
  std::string ReadText(std::string_view key, std::string_view default_value, std::size_t size) {
    return store_.GetString(file_, section_, key, default_value, size);
  }
  std::int32_t ReadInt(std::string_view key, std::int32_t default_value) {
    return store_.GetInt(file_, section_, key, default_value);
  }
  // True when the section holds the key (names compared ignoring case).
  bool HasKey(std::string_view key);

  // False when the value cannot be stored (a line break) or the file cannot
  // be replaced; the file is then as it was.
  bool WriteText(std::string_view key, std::string_view value) {
    return store_.WriteString(file_, section_, key, value).ok();
  }
  bool WriteInt(std::string_view key, std::int64_t value) {
    return WriteText(key, std::to_string(value));
  }

 private:
  ProfileStore& store_;
  std::string file_;
  std::string section_;
};

}  // namespace velqo

namespace velqo {

// Reports the failed writes of one pass over a file with one box, the first
// time: a file that cannot be written at all is said once, not per key.
class WriteFailureNotice {
 public:
  WriteFailureNotice(Host& host, std::string_view text) : host_(host), text_(text) {}
  void Note(bool written) {
    if (written || shown_) return;
    shown_ = true;
    host_.MessageBox(text_, kErrorCaption, Icon::kWarning, Buttons::kOk);
  }

 private:
  Host& host_;
  std::string_view text_;
  bool shown_ = false;
};

}  // namespace velqo
