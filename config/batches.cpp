#include "config/batches.h"

#include <string>
#include <vector>

#include "common/platform/platform_ops.h"
#include "config/config_texts.h"
#include "config/ini_locate.h"
#include "config/typed_path.h"

namespace velqo {

namespace {

std::string SectionName(int number) { return "Batch" + std::to_string(number); }
std::string PairKey(int number) { return "DirPair" + std::to_string(number); }

std::string ConvertSide(AppState& s, std::string_view side) {
  const std::optional<std::string> windows = TypedPathToWindows(s.fs, side);
  return windows ? *windows : std::string(side);
}

// A pair as the run takes it: host paths in Windows form, the two sides
// joined by "!", letters A to Z in lower case.
std::string NormalisePair(AppState& s, std::string_view value) {
  std::size_t cut = value.find('!');
  if (cut == std::string_view::npos) cut = value.find(' ');
  std::string pair;
  if (cut == std::string_view::npos) {
    pair = ConvertSide(s, value);
  } else {
    pair = ConvertSide(s, value.substr(0, cut)) + "!" + ConvertSide(s, value.substr(cut + 1));
  }
  return AsciiLowerCopy(pair);
}

std::vector<std::string> ReadPairs(AppState& s, int batch) {
  ProfileSection section(s.profiles, s.places.IniPath, SectionName(batch));
  std::vector<std::string> pairs;
  for (int n = 1; n <= kMaxDirPairs; ++n) {
    const std::string key = PairKey(n);
    if (!section.HasKey(key)) break;
    // Read whole: cutting a value would cut its Dir 2 path into the path of
    // some other directory. The update run refuses a path too long for its
    // array.
    pairs.push_back(NormalisePair(s, section.ReadWholeText(key, {})));
  }
  return pairs;
}

std::vector<std::string> ListBatches(AppState& s) {
  std::vector<std::string> batches;
  for (int n = 1; n <= kMaxBatches; ++n) {
    const std::string name = SectionName(n);
    if (s.profiles.KeyNames(s.places.IniPath, name).empty()) break;
    std::string description = s.profiles.GetString(s.places.IniPath, name, "Description", {}, 512);
    batches.push_back(description.empty() ? name : description);
  }
  return batches;
}

}  // namespace

void LoadBatches(AppState& s) {
  const std::vector<std::string> batches = ListBatches(s);
  if (batches.empty()) {
    s.host.MessageBox(kNoDirPairs, kErrorCaption, Icon::kError, Buttons::kOk);
  }
  const int count = static_cast<int>(batches.size());
  int selected = ProgramSection(s).ReadInt("LastBatch", 1);
  // Only a listed batch can be selected: one beyond a gap in the numbers,
  // or one without pairs, gives way to batch 1.
  ProfileSection chosen(s.profiles, s.places.IniPath, SectionName(selected));
  if (selected < 1 || selected > count || !chosen.HasKey("DirPair1")) selected = 1;
  s.places.LastBatch = selected;
  const std::vector<std::string> pairs = count > 0 ? ReadPairs(s, selected) : std::vector<std::string>();
  s.host.SetBatchList(batches, count > 0 ? selected : 0);
  s.host.SetDirPairItems(pairs);
}

void SelectBatch(AppState& s, int line) {
  if (line < 1 || line > kMaxBatches) return;
  s.places.LastBatch = line;
  if (!ProgramSection(s).WriteInt("LastBatch", line)) {
    s.host.MessageBox(kIniWriteFailed, kErrorCaption, Icon::kWarning, Buttons::kOk);
  }
  s.host.SetDirPairItems(ReadPairs(s, line));
}

}  // namespace velqo
