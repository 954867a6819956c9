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

  // Updates a key in place (its first occurrence), or adds it after the last
  // key of its section, or adds the section at the end. Refuses (false,
  // nothing changed) a value, key or section holding a line break or a zero,
  // or a name that could not be read back (an empty key, a key holding "="
  // or starting with ";" or "[", a section holding "]"). A value that a
  // reader would change (blanks at either end, or one pair of enclosing
  // quotes) is written inside double quotes, so it reads back exactly.
  bool Set(std::string_view section, std::string_view key, std::string_view value);
  // Removes every line of the key in its section; a missing key is no change.
  void DeleteKey(std::string_view section, std::string_view key);
  // Removes every section of that name with all its lines, so that no later
  // duplicate comes to light in its place.
  void DeleteSection(std::string_view section);

  // The file's bytes. Every line keeps its own line end, so an untouched
  // file serializes to exactly the bytes it was parsed from; lines added by
  // an edit end as the file's first line ends (CRLF for a new file).
  std::string Serialize() const;

 private:
  struct Line {
    enum class Kind : std::uint8_t { kOther, kSection, kKey };
    std::string text;  // without its line end
    std::string eol;   // "\r\n", "\n", "\r", or "" for a last line without one
    Kind kind = Kind::kOther;
    std::string name;  // section or key name, blanks removed
  };
  // A section: its header line and the index one past its last line.
  struct Range {
    std::size_t header;
    std::size_t end;
  };

  static Line MakeLine(std::string text, std::string eol, std::size_t skip = 0);
  std::optional<Range> FindSection(std::string_view name, std::size_t from = 0) const;
  std::optional<std::size_t> FindKey(const Range& range, std::string_view key) const;
  std::string NewLineEnd() const;
  void InsertLine(std::size_t at, std::string text);
  void KeepLinesApart();

  std::vector<Line> lines_;
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
  // The cached document of a file, parsing it on first use. A missing file
  // is an empty document; a file that exists but cannot be read is an error,
  // so that no write replaces it with a document built from nothing.
  Status Load(std::string_view file, IniDocument** doc);
  // Writes an edited copy of the cached document and keeps it only once the
  // file has been replaced, so a failed write leaves file and cache alike.
  Status Store(std::string_view file, IniDocument* cached, IniDocument edited);
  static std::string CacheKey(std::string_view file);

  Platform& platform_;
  std::map<std::string, IniDocument, std::less<>> cache_;
};

}  // namespace velqo
