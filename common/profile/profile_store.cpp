#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

#include "common/platform/platform_ops.h"
#include "common/profile/profile.h"

namespace velqo {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// What a caller reading into a character array of size characters sees: the
// text up to any zero, at most size - 1 characters.
std::string FitForBuffer(std::string_view text, std::size_t size) {
  text = text.substr(0, text.find('\0'));
  if (size == 0) return {};
  return std::string(text.substr(0, size - 1));
}

// Leading blanks, an optional sign, then decimal digits up to the first
// non-digit. Values beyond the 32-bit range stop at its ends instead of
// wrapping.
std::int32_t ParseProfileInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = std::min(kLimit, magnitude * 10 + (text[i] - '0'));
  }
  if (negative) return static_cast<std::int32_t>(-magnitude);
  return static_cast<std::int32_t>(std::min(magnitude, kLimit - 1));
}

}  // namespace

FileAccess ProfileAccess(ProfileOrigin origin) {
  FileAccess access;
  access.follow_link = origin == ProfileOrigin::kProgram;
  access.max_size = origin == ProfileOrigin::kProgram ? kProgramProfileLimit : kSharedProfileLimit;
  return access;
}

ProfileStore::ProfileStore(Platform& platform) : platform_(platform) {}

std::string ProfileStore::CacheKey(std::string_view file) {
  std::string key = AsciiLowerCopy(file);
  for (char& c : key) {
    if (c == '/') c = '\\';
  }
  return key;
}

bool ProfileStore::Edit::ApplyTo(IniDocument& doc) const {
  switch (kind) {
    case Kind::kSet:
      return doc.Set(section, key, value);
    case Kind::kDeleteKey:
      doc.DeleteKey(section, key);
      return true;
    case Kind::kDeleteSection:
      doc.DeleteSection(section);
      return true;
  }
  return false;
}

Status ProfileStore::ReadFresh(std::string_view file, ProfileOrigin origin, IniDocument* doc) {
  std::string bytes;
  const Status read = platform_.ReadFile(file, &bytes, ProfileAccess(origin));
  if (read.code() == Status::Code::kFileNotFound || read.code() == Status::Code::kPathNotFound) {
    *doc = IniDocument();
    return Status::Ok();
  }
  if (!read.ok()) return read;
  *doc = IniDocument::Parse(std::move(bytes));
  return Status::Ok();
}

Status ProfileStore::Load(std::string_view file, ProfileOrigin origin, IniDocument** doc) {
  const std::string key = CacheKey(file);
  auto it = cache_.find(key);
  if (it == cache_.end() || it->second.origin != origin) {
    IniDocument fresh;
    if (Status st = ReadFresh(file, origin, &fresh); !st.ok()) return st;
    if (const auto held = held_.find(key); held != held_.end()) {
      for (const Edit& edit : held->second.edits) (void)edit.ApplyTo(fresh);
    }
    it = cache_.insert_or_assign(key, Cached{std::move(fresh), origin}).first;
  }
  *doc = &it->second.doc;
  return Status::Ok();
}

Status ProfileStore::Replace(std::string_view file, ProfileOrigin origin,
                             const std::vector<Edit>& edits) {
  const std::string key = CacheKey(file);
  // Forgotten first: one copy of the file in memory at a time, and after a
  // failure the next read goes to the disk.
  cache_.erase(key);
  IniDocument doc;
  if (Status st = ReadFresh(file, origin, &doc); !st.ok()) return st;
  for (const Edit& edit : edits) {
    if (!edit.ApplyTo(doc)) return Status::InvalidArgument("a profile entry that cannot be stored");
  }
  if (doc.Edited()) {
    const Status written =
        platform_.WriteFile(file, doc.Text(), WriteMode::kReplaceAtomically, ProfileAccess(origin));
    if (!written.ok()) return written;
  }
  cache_.insert_or_assign(key, Cached{std::move(doc), origin});
  return Status::Ok();
}

Status ProfileStore::Apply(std::string_view file, ProfileOrigin origin, Edit edit) {
  // Refused before anything is read or held.
  if (edit.kind == Edit::Kind::kSet && !IniDocument().Set(edit.section, edit.key, edit.value)) {
    return Status::InvalidArgument("a profile entry cannot hold a line break, a zero or this name");
  }
  const auto held = held_.find(CacheKey(file));
  if (held == held_.end()) return Replace(file, origin, {std::move(edit)});
  IniDocument* doc = nullptr;
  if (Status st = Load(file, origin, &doc); !st.ok()) return st;
  (void)edit.ApplyTo(*doc);
  held->second.edits.push_back(std::move(edit));
  return Status::Ok();
}

std::string ProfileStore::GetString(std::string_view file, std::string_view section,
                                    std::string_view key, std::string_view default_value,
                                    std::size_t size, ProfileOrigin origin) {
  IniDocument* doc = nullptr;
  if (Load(file, origin, &doc).ok()) {
    if (const auto value = doc->Get(section, key)) return FitForBuffer(*value, size);
  }
  while (!default_value.empty() && IsBlank(default_value.back())) default_value.remove_suffix(1);
  return FitForBuffer(default_value, size);
}

std::int32_t ProfileStore::GetInt(std::string_view file, std::string_view section,
                                  std::string_view key, std::int32_t default_value,
                                  ProfileOrigin origin) {
  IniDocument* doc = nullptr;
  if (!Load(file, origin, &doc).ok()) return default_value;
  const auto value = doc->Get(section, key);
  return value ? ParseProfileInt(*value) : default_value;
}

std::vector<std::string> ProfileStore::KeyNames(std::string_view file, std::string_view section,
                                                ProfileOrigin origin) {
  IniDocument* doc = nullptr;
  if (!Load(file, origin, &doc).ok()) return {};
  return doc->KeyNames(section);
}

std::vector<std::string> ProfileStore::SectionNames(std::string_view file, ProfileOrigin origin) {
  IniDocument* doc = nullptr;
  if (!Load(file, origin, &doc).ok()) return {};
  return doc->SectionNames();
}

Status ProfileStore::Check(std::string_view file, ProfileOrigin origin) {
  IniDocument* doc = nullptr;
  return Load(file, origin, &doc);
}

Status ProfileStore::WriteString(std::string_view file, std::string_view section,
                                 std::string_view key, std::string_view value,
                                 ProfileOrigin origin) {
  return Apply(file, origin,
               Edit{Edit::Kind::kSet, std::string(section), std::string(key), std::string(value)});
}

Status ProfileStore::DeleteKey(std::string_view file, std::string_view section,
                               std::string_view key, ProfileOrigin origin) {
  return Apply(file, origin, Edit{Edit::Kind::kDeleteKey, std::string(section), std::string(key), {}});
}

Status ProfileStore::DeleteSection(std::string_view file, std::string_view section,
                                   ProfileOrigin origin) {
  return Apply(file, origin, Edit{Edit::Kind::kDeleteSection, std::string(section), {}, {}});
}

void ProfileStore::Flush() { cache_.clear(); }

void ProfileStore::BeginWrites(std::string_view file, ProfileOrigin origin) {
  Held& held = held_[CacheKey(file)];
  if (held.depth++ == 0) held.origin = origin;
}

Status ProfileStore::EndWrites(std::string_view file) {
  const auto it = held_.find(CacheKey(file));
  if (it == held_.end() || --it->second.depth > 0) return Status::Ok();
  const Held held = std::move(it->second);
  held_.erase(it);
  if (held.edits.empty()) return Status::Ok();
  return Replace(file, held.origin, held.edits);
}

}  // namespace velqo
