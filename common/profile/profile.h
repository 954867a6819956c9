#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/platform/platform.h"
#include "common/text/status.h"

namespace velqo {

// An INI file held in memory with Windows profile semantics: section and key
// names compared ignoring case, blanks around names and values ignored, a
// value in one matching pair of quotes loses them, ";" starts a comment line,
// CRLF, LF and CR all end a line, the first of duplicated sections or keys
// wins. Edits keep every other line, comment and order.
//
// Settings files are hand-edited and may come from anywhere, so the memory
// a document costs follows its size: the file's bytes once, and four bytes
// for each section or key line (blank and comment lines cost nothing more).
class IniDocument {
 public:
  IniDocument() = default;
  // bytes may be at most 4 GiB; the profile store reads far smaller files.
  static IniDocument Parse(std::string bytes);

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
  const std::string& Text() const { return text_; }
  std::string Serialize() const { return text_; }
  // True once an edit has changed the text.
  bool Edited() const { return edited_; }

 private:
  // A section or key line, by the offset where it starts in text_.
  using Entry = std::uint32_t;
  // A section: its header's entry and the index one past its last entry.
  struct Range {
    std::size_t header;
    std::size_t end;
  };

  std::string_view LineAt(std::size_t start) const;
  std::size_t NextLineStart(std::size_t start) const;
  std::string_view From(Entry entry) const;
  bool IsSection(Entry entry) const;
  std::string_view NameOf(Entry entry) const;
  std::optional<Range> FindSection(std::string_view name, std::size_t from = 0) const;
  std::optional<std::size_t> FindKey(const Range& range, std::string_view key) const;
  std::string NewLineEnd() const;
  void Reindex();
  void ReplaceLine(std::size_t index, std::string_view text);
  void InsertLine(std::size_t index, std::size_t at, std::string_view text);
  // Removes byte spans [first, second) of whole lines, in file order.
  void RemoveSpans(const std::vector<std::pair<std::size_t, std::size_t>>& spans);

  std::string text_;
  std::vector<Entry> entries_;  // every section and key line, in file order
  bool edited_ = false;
};

// Where a profile file comes from, which decides how far it is trusted.
enum class ProfileOrigin {
  // The program's INI file, WIN.INI and option templates: they may be links
  // (a user's dotfiles) and are read and written through them.
  kProgram,
  // An OPTIONS.UPD, which travels with a Dir 1 from a shared folder or a
  // stick: never read or written through a link.
  kShared,
};

// The largest files the profile functions read.
inline constexpr std::uint64_t kProgramProfileLimit = 16u << 20;
inline constexpr std::uint64_t kSharedProfileLimit = 1u << 20;

FileAccess ProfileAccess(ProfileOrigin origin);

// The profile functions over INI files named by Windows paths, with a cache:
// reads see every write at once, and Flush (the all-absent write) makes the
// next read see changes made by another program. Every write starts from the
// file as it is on disk at that moment, so an edit made meanwhile by someone
// else (another run, the user in an editor) is kept, and replaces the file
// atomically. A file that cannot be read (too large, a refused link, no
// permission) reads as empty and is never written.
class ProfileStore {
 public:
  explicit ProfileStore(Platform& platform);

  // GetPrivateProfileString: at most size - 1 characters; a missing file,
  // section or key gives the default without its trailing blanks.
  std::string GetString(std::string_view file, std::string_view section, std::string_view key,
                        std::string_view default_value, std::size_t size,
                        ProfileOrigin origin = ProfileOrigin::kProgram);
  // GetPrivateProfileInt: leading blanks, optional sign, decimal digits up to
  // the first non-digit (no digits gives 0); a missing key gives the default.
  std::int32_t GetInt(std::string_view file, std::string_view section, std::string_view key,
                      std::int32_t default_value, ProfileOrigin origin = ProfileOrigin::kProgram);
  std::vector<std::string> KeyNames(std::string_view file, std::string_view section,
                                    ProfileOrigin origin = ProfileOrigin::kProgram);
  std::vector<std::string> SectionNames(std::string_view file,
                                        ProfileOrigin origin = ProfileOrigin::kProgram);
  // Ok when the file can be read or does not exist; else why it cannot.
  Status Check(std::string_view file, ProfileOrigin origin = ProfileOrigin::kProgram);

  // WritePrivateProfileString. Fails when the value cannot be stored (a line
  // break) or the file cannot be read or replaced.
  Status WriteString(std::string_view file, std::string_view section, std::string_view key,
                     std::string_view value, ProfileOrigin origin = ProfileOrigin::kProgram);
  Status DeleteKey(std::string_view file, std::string_view section, std::string_view key,
                   ProfileOrigin origin = ProfileOrigin::kProgram);
  Status DeleteSection(std::string_view file, std::string_view section,
                       ProfileOrigin origin = ProfileOrigin::kProgram);
  // Forgets every cached file (writes held by BeginWrites are kept).
  void Flush();

  // From BeginWrites to the matching EndWrites the writes to file change
  // only what reads see; EndWrites then applies them all, in order, to the
  // file as it is on disk, in one replacement. Pairs may nest: the
  // outermost EndWrites writes. Returns the outcome of that one write.
  void BeginWrites(std::string_view file, ProfileOrigin origin = ProfileOrigin::kProgram);
  Status EndWrites(std::string_view file);

 private:
  struct Edit {
    enum class Kind : std::uint8_t { kSet, kDeleteKey, kDeleteSection };
    Kind kind = Kind::kSet;
    std::string section;
    std::string key;
    std::string value;
    bool ApplyTo(IniDocument& doc) const;
  };
  struct Cached {
    IniDocument doc;
    ProfileOrigin origin;
  };
  struct Held {
    int depth = 0;
    ProfileOrigin origin = ProfileOrigin::kProgram;
    std::vector<Edit> edits;
  };

  // The cached document of a file, read on first use with the writes held
  // for it applied. A missing file is an empty document; a failed read is
  // not cached, so the next use tries again.
  Status Load(std::string_view file, ProfileOrigin origin, IniDocument** doc);
  // The file as it is on disk now (empty when missing).
  Status ReadFresh(std::string_view file, ProfileOrigin origin, IniDocument* doc);
  // One edit: held, or applied to the file on disk at once.
  Status Apply(std::string_view file, ProfileOrigin origin, Edit edit);
  // Applies edits to the file as it is on disk and replaces it once; the
  // result becomes the cached copy only when the file was replaced.
  Status Replace(std::string_view file, ProfileOrigin origin, const std::vector<Edit>& edits);
  static std::string CacheKey(std::string_view file);

  Platform& platform_;
  std::map<std::string, Cached, std::less<>> cache_;
  std::map<std::string, Held, std::less<>> held_;
};

}  // namespace velqo
