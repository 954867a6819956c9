// Fuzz target for the INI reader and writer. The input is a hand-edited INI
// file followed by a few edits; the target checks that parsing loses no byte,
// that every accepted write reads back exactly, that an edit changes no other
// key, and that what the writer produced parses to the same text again.
//
// One input in 64 instead becomes a settings file on disk around the
// size bounds: the input repeated and padded to just under or just over the
// 1 MiB of an OPTIONS.UPD (sometimes reached through a link), or a file just
// over the 16 MiB of an INI file. The profile store must read and edit what fits, in
// one replacement, and refuse the rest without touching the file.

#include <fuzzer/FuzzedDataProvider.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/platform/platform_ops.h"
#include "common/posix/posix_platform.h"
#include "common/profile/profile.h"

namespace {

using velqo::IniDocument;

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "profile_fuzz: %s\n", what);
  std::abort();
}

std::string Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return std::string(s);
}

bool Storable(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// What the writer must accept: no line break or zero anywhere, a section
// without "]", a key that is not empty, holds no "=" and starts with neither
// ";" nor "[".
bool Writable(const std::string& section, const std::string& key, const std::string& value) {
  const std::string k = Trimmed(key);
  return Storable(section) && Storable(key) && Storable(value) &&
         section.find(']') == std::string::npos && !k.empty() && k.front() != ';' &&
         k.front() != '[' && k.find('=') == std::string::npos;
}

using Entry = std::pair<std::string, std::string>;  // folded section, folded key
using Snapshot = std::map<Entry, std::string>;

Entry Fold(std::string_view section, std::string_view key) {
  return {velqo::AsciiLowerCopy(Trimmed(section)), velqo::AsciiLowerCopy(Trimmed(key))};
}

// Every value a reader can reach, by listing sections and keys.
Snapshot Read(const IniDocument& doc) {
  Snapshot values;
  for (const std::string& section : doc.SectionNames()) {
    for (const std::string& key : doc.KeyNames(section)) {
      const auto value = doc.Get(section, key);
      Check(value.has_value(), "a listed key has no value");
      Check(values.emplace(Fold(section, key), *value).second, "a key is listed twice");
    }
  }
  return values;
}

// Compares everything but the entries the edit was allowed to change.
template <typename Changed>
void CheckOthersKept(const Snapshot& before, const Snapshot& after, Changed changed) {
  for (const auto& [entry, value] : before) {
    if (changed(entry)) continue;
    const auto it = after.find(entry);
    Check(it != after.end() && it->second == value, "an edit changed another key");
  }
  for (const auto& [entry, value] : after) {
    Check(changed(entry) || before.count(entry) == 1, "an edit made another key appear");
  }
}

std::string PickName(FuzzedDataProvider& in, const std::vector<std::string>& known) {
  if (!known.empty() && in.ConsumeBool()) {
    return known[in.ConsumeIntegralInRange<std::size_t>(0, known.size() - 1)];
  }
  return in.ConsumeRandomLengthString(24);
}

struct Edit {
  int kind = 0;  // 0 and 1 write, 2 deletes a key, 3 deletes a section
  std::string section;
  std::string key;
  std::string value;

  bool ApplyTo(IniDocument& doc) const {
    if (kind <= 1) return doc.Set(section, key, value);
    if (kind == 2) {
      doc.DeleteKey(section, key);
    } else {
      doc.DeleteSection(section);
    }
    return true;
  }
};

Edit ReadEdit(FuzzedDataProvider& in, const IniDocument& doc) {
  Edit edit;
  edit.section = PickName(in, doc.SectionNames());
  edit.key = PickName(in, doc.KeyNames(edit.section));
  edit.kind = in.ConsumeIntegralInRange(0, 3);
  if (edit.kind <= 1) edit.value = in.ConsumeRandomLengthString(40);
  return edit;
}

void ApplyEdit(const Edit& edit, IniDocument& doc, bool compare_all) {
  const Entry target = Fold(edit.section, edit.key);
  const Snapshot before = compare_all ? Read(doc) : Snapshot();
  const std::string old_text = doc.Serialize();
  // The document must behave exactly as the text it would write: the same
  // edit on a fresh parse of that text must give the same result.
  IniDocument mirror = IniDocument::Parse(old_text);
  const bool accepted = edit.ApplyTo(doc);
  Check(edit.ApplyTo(mirror) == accepted && mirror.Serialize() == doc.Serialize(),
        "an edit gives another result on the text the document wrote");

  if (edit.kind <= 1) {
    Check(accepted == Writable(edit.section, edit.key, edit.value),
          "a write was wrongly accepted or refused");
    if (!accepted) {
      Check(doc.Serialize() == old_text, "a refused write changed the text");
      return;
    }
    Check(doc.Get(edit.section, edit.key) == edit.value, "a written value does not read back");
    Check(IniDocument::Parse(doc.Serialize()).Get(edit.section, edit.key) == edit.value,
          "a written value does not read back from the file");
  } else if (edit.kind == 2) {
    Check(!doc.Get(edit.section, edit.key).has_value(), "a deleted key still reads");
  } else {
    Check(doc.KeyNames(edit.section).empty() && !doc.Get(edit.section, edit.key).has_value(),
          "a deleted section still reads");
  }
  if (!compare_all) return;
  if (edit.kind == 3) {
    CheckOthersKept(before, Read(doc), [&](const Entry& e) { return e.first == target.first; });
  } else {
    CheckOthersKept(before, Read(doc), [&](const Entry& e) { return e == target; });
  }
}

// A drive C: in a temporary directory, made once for the whole run; in
// memory where possible, since every replacement of a file is flushed.
class Scratch {
 public:
  Scratch() {
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    std::string dir = (base / "velqo-fuzz-XXXXXX").string();
    Check(mkdtemp(dir.data()) != nullptr, "cannot make a temporary directory");
    root_ = dir;
    velqo::PlatformConfig config;
    config.home = root_;
    config.xdg_config_home = root_ + "/config";
    config.tmpdir = root_;
    config.velqo_drives = "C=" + root_;
    config.program_path = root_ + "/velqo";
    platform_ = velqo::NewPosixPlatform(config);
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  velqo::Platform& platform() { return *platform_; }
  std::string Host(const char* name) const { return root_ + "/" + name; }

 private:
  std::string root_;
  std::unique_ptr<velqo::Platform> platform_;
};

std::string ReadHost(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::error_code ec;
  std::string bytes(static_cast<std::size_t>(std::filesystem::file_size(path, ec)), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

void WriteHost(const std::string& path, const std::string& bytes) {
  std::filesystem::remove(path);
  std::ofstream(path, std::ios::binary) << bytes;
}

// Exactly size bytes: the seed repeated over the first 64 KiB, then one
// comment line as long as it takes. Lines are what parsing costs, so the
// file reaches its bound without making each run slow.
std::string Sized(std::string seed, std::size_t size) {
  if (seed.empty()) seed = "k=v\n";
  const std::size_t lines = std::min<std::size_t>(size, 64u << 10);
  std::string bytes;
  bytes.reserve(size);
  while (bytes.size() < lines) bytes.append(seed, 0, std::min(seed.size(), lines - bytes.size()));
  if (bytes.size() < size) bytes += '\n';
  if (bytes.size() < size) bytes += ';';
  bytes.resize(size, ' ');
  return bytes;
}

// A refused file is neither read into the store nor written, held or not.
template <typename Unchanged>
void CheckRefused(velqo::ProfileStore& store, std::string_view file, velqo::ProfileOrigin origin,
                  velqo::Status::Code code, Unchanged unchanged) {
  Check(store.Check(file, origin).code() == code, "a file beyond its bounds was read");
  Check(!store.WriteString(file, "WINVELQO", "CleanUp", "0", origin).ok(),
        "a refused file was written");
  store.BeginWrites(file, origin);
  (void)store.WriteString(file, "WINVELQO", "CleanUp", "0", origin);
  Check(store.EndWrites(file).ok(), "held writes to a refused file were written");
  Check(unchanged(), "a refused file changed");
}

// An OPTIONS.UPD-sized file: read and edited in one replacement when it
// fits, refused when it is one byte (or more) too large or a link.
void FuzzSharedFile(FuzzedDataProvider& in, const std::string& seed, Scratch& scratch) {
  constexpr std::string_view kFile = "C:\\OPTIONS.UPD";
  const std::string host = scratch.Host("OPTIONS.UPD");
  const auto size = static_cast<std::size_t>(
      static_cast<std::int64_t>(velqo::kSharedProfileLimit) + in.ConsumeIntegralInRange(-64, 64));
  const std::string bytes = Sized(seed, size);
  velqo::ProfileStore store(scratch.platform());
  constexpr auto kShared = velqo::ProfileOrigin::kShared;
  if (in.ConsumeBool()) {
    const std::string victim = scratch.Host("victim");
    WriteHost(victim, bytes);
    std::filesystem::remove(host);
    std::filesystem::create_symlink(victim, host);
    CheckRefused(store, kFile, kShared, velqo::Status::Code::kAccessDenied,
                 [&] { return ReadHost(victim) == bytes; });
    return;
  }
  WriteHost(host, bytes);
  if (size > velqo::kSharedProfileLimit) {
    CheckRefused(store, kFile, kShared, velqo::Status::Code::kTooLarge,
                 [&] { return ReadHost(host) == bytes; });
    return;
  }
  Check(store.Check(kFile, kShared).ok(), "a file within its bounds was refused");
  IniDocument expected = IniDocument::Parse(bytes);
  Check(expected.Text() == bytes, "parsing a large file lost or changed bytes");
  store.BeginWrites(kFile, kShared);
  const int edits = in.ConsumeIntegralInRange(1, 3);
  for (int i = 0; i < edits; ++i) {
    const std::string key = in.ConsumeRandomLengthString(16);
    const std::string value = in.ConsumeRandomLengthString(16);
    const bool accepted = store.WriteString(kFile, "WINVELQO", key, value, kShared).ok();
    Check(accepted == expected.Set("WINVELQO", key, value), "a held write was judged wrongly");
    if (accepted) {
      Check(store.GetString(kFile, "WINVELQO", key, "", std::string::npos, kShared) == value,
            "a held write does not read back");
    }
  }
  Check(store.EndWrites(kFile).ok(), "the held writes were not written");
  Check(ReadHost(host) == expected.Text(), "the file on disk is not the edited file");
}

// An INI file just over 16 MiB, made sparse so that nothing large is
// written: refused from its size.
// An INI file just over 16 MiB, made sparse so that nothing large is
// written or read here: refused from its size.
void FuzzOversizedIni(FuzzedDataProvider& in, const std::string& seed, Scratch& scratch) {
  const std::string host = scratch.Host("WINVELQO.INI");
  WriteHost(host, seed);
  const auto size = static_cast<off_t>(velqo::kProgramProfileLimit) + in.ConsumeIntegralInRange(1, 64);
  Check(truncate(host.c_str(), size) == 0, "cannot extend the file");
  velqo::ProfileStore store(scratch.platform());
  CheckRefused(store, "C:\\WINVELQO.INI", velqo::ProfileOrigin::kProgram,
               velqo::Status::Code::kTooLarge, [&] {
                 std::string head(seed.size(), '\0');
                 std::ifstream(host, std::ios::binary).read(head.data(), static_cast<std::streamsize>(head.size()));
                 std::error_code ec;
                 return head == seed && std::filesystem::file_size(host, ec) == static_cast<std::uintmax_t>(size);
               });
}

void FuzzSizedFile(FuzzedDataProvider& in, const std::string& seed) {
  static Scratch scratch;
  if (in.ConsumeIntegralInRange(0, 3) == 0) {
    FuzzOversizedIni(in, seed, scratch);
  } else {
    FuzzSharedFile(in, seed, scratch);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string text = in.ConsumeRandomLengthString(8192);
  // An input used up by its text gives 0 here, and stays a plain document.
  if (in.ConsumeIntegralInRange(0, 63) == 63) {
    FuzzSizedFile(in, text);
    return 0;
  }
  IniDocument doc = IniDocument::Parse(text);
  Check(doc.Serialize() == text, "parsing lost or changed bytes");
  // The full comparison reads every key and is quadratic; keep it to
  // documents of ordinary size so the fuzzer stays fast.
  const bool compare_all = text.size() <= 2048;
  if (compare_all) Read(doc);

  const int edits = in.ConsumeIntegralInRange(0, 6);
  for (int i = 0; i < edits; ++i) ApplyEdit(ReadEdit(in, doc), doc, compare_all);

  const std::string written = doc.Serialize();
  const IniDocument reread = IniDocument::Parse(written);
  Check(reread.Serialize() == written, "the written text does not parse to itself");
  if (compare_all) Check(Read(reread) == Read(doc), "the written file reads differently");
  return 0;
}
