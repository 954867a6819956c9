#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/platform.h"
#include "common/status.h"

namespace velqo {

// An INI file held in memory with Windows profile semantics: section and key
// names compared ignoring case, blanks around names and values ignored, a
// value in one matching pair of quotes loses them, ";" starts a comment line,
// CRLF, LF and CR all end a line, the first of duplicated sections or keys
// wins. Edits keep every other line, comment and order.
class IniDocument {
 public:
  IniDocument() = default;
  static IniDocument Parse(std::string_view bytes);

  // The value of a key as a reader sees it, or nothing when missing.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // Key names of a section in file order (first of duplicates only once).
  std::vector<std::string> KeyNames(std::string_view section) const;
  std::vector<std::string> SectionNames() const;

  // Updates a key in place, or adds it after the last key of its section, or
  // adds the section at the end. Refuses (false) a value, key or section
  // holding a line break or a zero, or a name that could not be read back.
  bool Set(std::string_view section, std::string_view key, std::string_view value);
  void DeleteKey(std::string_view section, std::string_view key);
  void DeleteSection(std::string_view section);

  // The file's bytes; lines end as the file's first line ended (CRLF for a new file).
  std::string Serialize() const;

 private:
  struct Line {
    std::string text;  // without its line end
  };
  std::vector<Line> lines_;
  std::string eol_ = "\r\n";
  bool final_eol_ = true;
};

// The profile functions over INI files named by Windows paths, with a cache:
// reads see every write at once, and Flush (the all-absent write) makes the
// next read see changes made by another program. Every write replaces the
// file atomically.
class ProfileStore {
 public:
  explicit ProfileStore(Platform& platform);

  // GetPrivateProfileString: at most size - 1 characters; a missing file,
  // section or key gives the default without its trailing blanks.
  std::string GetString(std::string_view file, std::string_view section, std::string_view key,
                        std::string_view default_value, std::size_t size);
  // GetPrivateProfileInt: leading blanks, optional sign, decimal digits up to
  // the first non-digit (no digits gives 0); a missing key gives the default.
  std::int32_t GetInt(std::string_view file, std::string_view section, std::string_view key,
                      std::int32_t default_value);
  std::vector<std::string> KeyNames(std::string_view file, std::string_view section);
  std::vector<std::string> SectionNames(std::string_view file);

  // WritePrivateProfileString. Fails when the value cannot be stored (a line
  // break) or the file cannot be replaced.
  Status WriteString(std::string_view file, std::string_view section, std::string_view key,
                     std::string_view value);
  Status DeleteKey(std::string_view file, std::string_view section, std::string_view key);
  Status DeleteSection(std::string_view file, std::string_view section);
  // Forgets every cached file.
  void Flush();

 private:
  IniDocument* Load(std::string_view file);
  Status Store(std::string_view file, const IniDocument& doc);

  Platform& platform_;
  std::map<std::string, IniDocument, std::less<>> cache_;
};

}  // namespace velqo
