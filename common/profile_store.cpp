#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

#include "common/platform_ops.h"
#include "common/profile.h"

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

ProfileStore::ProfileStore(Platform& platform) : platform_(platform) {}

std::string ProfileStore::CacheKey(std::string_view file) {
  std::string key = AsciiLowerCopy(file);
  for (char& c : key) {
    if (c == '/') c = '\\';
  }
  return key;
}

Status ProfileStore::Load(std::string_view file, IniDocument** doc) {
  const std::string key = CacheKey(file);
  auto it = cache_.find(key);
  if (it == cache_.end()) {
    std::string bytes;
    const Status read = platform_.ReadFile(file, &bytes);
    if (!read.ok() && read.code() != Status::Code::kFileNotFound &&
        read.code() != Status::Code::kPathNotFound) {
      return read;
    }
    it = cache_.emplace(key, read.ok() ? IniDocument::Parse(bytes) : IniDocument()).first;
  }
  *doc = &it->second;
  return Status::Ok();
}

Status ProfileStore::Store(std::string_view file, IniDocument* cached, IniDocument edited) {
  std::string bytes = edited.Serialize();
  if (bytes == cached->Serialize()) return Status::Ok();
  const Status written = platform_.WriteFile(file, bytes, WriteMode::kReplaceAtomically);
  if (written.ok()) *cached = std::move(edited);
  return written;
}

std::string ProfileStore::GetString(std::string_view file, std::string_view section,
                                    std::string_view key, std::string_view default_value,
                                    std::size_t size) {
  IniDocument* doc = nullptr;
  if (Load(file, &doc).ok()) {
    if (const auto value = doc->Get(section, key)) return FitForBuffer(*value, size);
  }
  while (!default_value.empty() && IsBlank(default_value.back())) default_value.remove_suffix(1);
  return FitForBuffer(default_value, size);
}

std::int32_t ProfileStore::GetInt(std::string_view file, std::string_view section,
                                  std::string_view key, std::int32_t default_value) {
  IniDocument* doc = nullptr;
  if (!Load(file, &doc).ok()) return default_value;
  const auto value = doc->Get(section, key);
  return value ? ParseProfileInt(*value) : default_value;
}

std::vector<std::string> ProfileStore::KeyNames(std::string_view file, std::string_view section) {
  IniDocument* doc = nullptr;
  if (!Load(file, &doc).ok()) return {};
  return doc->KeyNames(section);
}

std::vector<std::string> ProfileStore::SectionNames(std::string_view file) {
  IniDocument* doc = nullptr;
  if (!Load(file, &doc).ok()) return {};
  return doc->SectionNames();
}

Status ProfileStore::WriteString(std::string_view file, std::string_view section,
                                 std::string_view key, std::string_view value) {
  IniDocument* doc = nullptr;
  if (Status st = Load(file, &doc); !st.ok()) return st;
  IniDocument edited = *doc;
  if (!edited.Set(section, key, value)) {
    return Status::InvalidArgument("a profile entry cannot hold a line break, a zero or this name");
  }
  return Store(file, doc, std::move(edited));
}

Status ProfileStore::DeleteKey(std::string_view file, std::string_view section,
                               std::string_view key) {
  IniDocument* doc = nullptr;
  if (Status st = Load(file, &doc); !st.ok()) return st;
  IniDocument edited = *doc;
  edited.DeleteKey(section, key);
  return Store(file, doc, std::move(edited));
}

Status ProfileStore::DeleteSection(std::string_view file, std::string_view section) {
  IniDocument* doc = nullptr;
  if (Status st = Load(file, &doc); !st.ok()) return st;
  IniDocument edited = *doc;
  edited.DeleteSection(section);
  return Store(file, doc, std::move(edited));
}

void ProfileStore::Flush() { cache_.clear(); }

}  // namespace velqo
