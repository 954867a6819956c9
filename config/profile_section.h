#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "common/host/host.h"
#include "common/profile/profile.h"
#include "config/config_texts.h"

namespace velqo {

// One section of one profile file (the program INI file, an OPTIONS.UPD, a
// template), read and written with the program's conventions: integers as
// decimal text, text values as they stand.
class ProfileSection {
 public:
  ProfileSection(ProfileStore& store, std::string file, std::string_view section = kIniSection,
                 ProfileOrigin origin = ProfileOrigin::kProgram)
      : store_(store), file_(std::move(file)), section_(section), origin_(origin) {}

  const std::string& file() const { return file_; }
  ProfileStore& store() { return store_; }
  ProfileOrigin origin() const { return origin_; }

  // At most size - 1 characters; the default when the key is missing.
  std::string ReadText(std::string_view key, std::string_view default_value, std::size_t size) {
    return store_.GetString(file_, section_, key, default_value, size, origin_);
  }
  // The whole value, however long: for values that must never be cut.
  std::string ReadWholeText(std::string_view key, std::string_view default_value) {
    return ReadText(key, default_value, std::string::npos);
  }
  std::int32_t ReadInt(std::string_view key, std::int32_t default_value) {
    return store_.GetInt(file_, section_, key, default_value, origin_);
  }
  // True when the section holds the key (names compared ignoring case).
  bool HasKey(std::string_view key);

  // False when the value cannot be stored (a line break) or the file cannot
  // be replaced; the file is then as it was.
  bool WriteText(std::string_view key, std::string_view value) {
    return store_.WriteString(file_, section_, key, value, origin_).ok();
  }
  bool WriteInt(std::string_view key, std::int64_t value) {
    return WriteText(key, std::to_string(value));
  }

 private:
  ProfileStore& store_;
  std::string file_;
  std::string section_;
  ProfileOrigin origin_;
};

// Holds every write to a profile file from construction to Finish (or the
// end of the scope) and then makes them one replacement of the file as it
// is on disk: a load's repairs or a writer's keys cost one write, not one
// per key.
class HeldWrites {
 public:
  explicit HeldWrites(ProfileSection& file) : file_(file) {
    file_.store().BeginWrites(file_.file(), file_.origin());
  }
  HeldWrites(const HeldWrites&) = delete;
  HeldWrites& operator=(const HeldWrites&) = delete;
  ~HeldWrites() {
    if (!finished_) (void)Finish();
  }
  // False when the one write failed; the file is then as it was.
  bool Finish() {
    finished_ = true;
    return file_.store().EndWrites(file_.file()).ok();
  }

 private:
  ProfileSection& file_;
  bool finished_ = false;
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
  // For a pass over a file already reported as unusable: nothing more is said.
  void Silence() { shown_ = true; }

 private:
  Host& host_;
  std::string_view text_;
  bool shown_ = false;
};

}  // namespace velqo
