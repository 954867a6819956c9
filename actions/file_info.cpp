#include <cstdio>
#include <memory>

#include "actions/log_format.h"
#include "actions/update_log.h"
#include "common/platform/platform_ops.h"

namespace velqo {

namespace {

// The file's own directory entry; hidden and system files count too. A
// name may hold "*" or "?", which the search takes for wildcards, so only
// the entry of that very name counts.
bool FindEntry(Platform& fs, std::string_view path, FindData* entry) {
  std::unique_ptr<DirSearch> search;
  // Only the date, time and size are shown: the flags need no reading.
  if (!fs.FindFirst(path, kMaskAllFiles | kSearchWithoutStoredFlags, &search).ok() || search == nullptr) return false;
  const std::string_view name = NamePart(path);
  while (search->Next(entry)) {
    if (EqualsIgnoreCase(entry->name, name)) return true;
  }
  return false;
}

// Two-digit years as the log has always shown them: 99 for 1999, 03 for
// 2003 (and three digits from 2100 on).
int ShortYear(int year) { return year < 2000 ? year - 1900 : year - 2000; }

std::string InfoText(const IntlSettings& intl, const FindData& entry) {
  const LocalTime t = UnpackDosTime(entry.dos_time);
  const ClockHour clock = ToClock(intl, t.hour);
  std::string text = OrderedDate(intl, TwoDigits(ShortYear(t.year)), TwoDigits(t.month),
                                 TwoDigits(t.day));
  text += "   ";
  text += TwoDigits(clock.hour) + intl.time_sep + TwoDigits(t.minute) + intl.time_sep +
          TwoDigits(t.second) + " " + clock.designator;
  // Sizes are shown in full, from 2 GB up too.
  char size[32];
  std::snprintf(size, sizeof size, "%8llu", static_cast<unsigned long long>(entry.size));
  text += "   ";
  text += size;
  text += " Bytes";
  return text;
}

}  // namespace

std::string DescribeFile(AppState& s, std::string_view path) {
  FindData entry;
  return FindEntry(s.fs, path, &entry) ? InfoText(s.intl, entry) : std::string(kNoFileColumn);
}

void CaptureFileInfo(AppState& s, std::string_view path, int code) {
  FixedText<301>* column = nullptr;
  if (code == 1 || code == 3) column = &s.File1Data;
  if (code == 2 || code == 4) column = &s.File2Data;
  if (column == nullptr) return;
  // A file that has gone meanwhile leaves its column blank, as wide as a
  // described file, so the entry keeps its layout.
  column->AssignCut(DescribeFile(s, path));
}

}  // namespace velqo
