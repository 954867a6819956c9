// Fuzz target for the INI reader and writer. The input is a hand-edited INI
// file followed by a few edits; the target checks that parsing loses no byte,
// that every accepted write reads back exactly, that an edit changes no other
// key, and that what the writer produced parses to the same text again.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/platform_ops.h"
#include "common/profile.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string text = in.ConsumeRandomLengthString(8192);
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
