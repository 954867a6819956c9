#include <string>

#include "actions/update_log.h"
#include "common/platform/platform_ops.h"
#include "common/text/tostring.h"
#include "engine/change_detection.h"
#include "engine/pair_context.h"

namespace velqo {

namespace {

// Used when a drive's values cannot be read (no drive letter, a drive that
// is not there): the most common unit.
constexpr std::uint32_t kDefaultUnit = 4096;

// Size and free space of the file system holding path: a drive's tree
// may span mount points. A directory not there yet is on its drive's.
bool ReadSpace(AppState& s, std::string_view path, std::uint64_t* total, std::uint64_t* free,
               std::string* read_at) {
  if (path.size() < 2 || path[1] != ':') return false;
  const char letter = AsciiLower(path[0]);
  if (letter < 'a' || letter > 'z') return false;
  *read_at = std::string(path);
  if (s.fs.DiskSpace(*read_at, total, free).ok()) return true;
  *read_at = std::string(1, letter) + ":\\";
  return s.fs.DiskSpace(*read_at, total, free).ok();
}

std::uint32_t Fat32Unit(std::uint64_t total) {
  if (total < 8'192'000'000ULL) return 4096;
  if (total < 16'384'000'000ULL) return 8192;
  if (total < 32'768'000'000ULL) return 16384;
  return 32768;
}

std::uint32_t OtherUnit(std::uint64_t total) {
  if (total < 2'000'000ULL) return 512;
  if (total < 255'000'000ULL) return 4096;
  if (total < 511'000'000ULL) return 8192;
  if (total < 1'023'000'000ULL) return 16384;
  return 32768;
}

struct Need {
  std::int64_t need1 = 0;
  std::int64_t need2 = 0;
};

Need NeedOf(const OptionSet& o, const PairSpace& space) {
  // Each replaced file's new copy is written beside the old one before it
  // takes its place, so the largest of them needs room on top.
  Need n{space.growth1 + space.largest_replaced1, space.growth2 + space.largest_replaced2};
  if (o.CreateBackup == 1) {
    n.need1 += space.backup1;
    n.need2 += space.backup2;
  }
  if (o.Add1To2 == 1) n.need2 += space.new2;
  if (o.AddBothWays == 1) {
    n.need1 += space.new1;
    n.need2 += space.new2;
  }
  return n;
}

// The free space must exceed the need by about 2 percent. A drive whose
// free space cannot be read is not refused: every copy reports its own
// failure and leaves the old target intact.
bool Short(AppState& s, std::string_view path, std::int64_t need) {
  if (need <= 0) return false;
  std::uint64_t total = 0;
  std::uint64_t free = 0;
  std::string read_at;
  if (!ReadSpace(s, path, &total, &free, &read_at)) return false;
  return static_cast<long double>(need) / 980.0L > static_cast<long double>(free) / 1000.0L;
}

void ReportShort(AppState& s, char letter, std::string_view other) {
  TOstring text(500);
  text.Append("The ");
  text.Append(std::string_view(&letter, 1));
  text.Append(" Drive Has Insufficient Space For The File Operations Related To The ");
  text.Append(other);
  text.Append(" Directory.  This Directory Will Not Be Updated.");
  if (s.opt.ActiveOptions.JFDI != 1) {
    text.Append("  Press OK To Continue With Other Directories Or Cancel To End This Update.");
    if (s.host.MessageBox(text.View(), "Insufficient Disk Space", Icon::kWarning,
                          Buttons::kOkCancel) == Answer::kCancel) {
      s.flags.EndRunRequested = 1;
    }
  } else {
    // Unattended, the refusal is still said: nobody cancelled this pair.
    s.host.UnattendedNotice(text.View());
  }
  if (s.opt.ActiveOptions.EnableLog != 1) return;
  TOstring line(100);
  line.Append("!!! The ");
  line.Append(std::string_view(&letter, 1));
  line.Append(" Drive Has Insufficient Space ");
  line.Append("For The File Operations From The   !!!");
  WriteLogLine(s, line.View());
  line.Clear();
  line.Append(other);
  line.Append(" Directory");
  WriteLogLine(s, line.View());
  line.Clear();
  line.Append("!!! All Operations Relating To The Directory Listed");
  line.Append(" Above Were NOT Completed !!!");
  WriteLogLine(s, line.View());
  s.flags.ErrorLogged = 1;
}

}  // namespace

std::int64_t RoundToUnit(std::uint64_t size, std::uint32_t unit) {
  if (unit == 0) unit = kDefaultUnit;
  return static_cast<std::int64_t>((size / unit + 1) * unit);
}

std::uint32_t AllocationUnit(AppState& s, std::string_view path) {
  std::uint64_t total = 0;
  std::uint64_t free = 0;
  std::string read_at;
  if (!ReadSpace(s, path, &total, &free, &read_at)) return kDefaultUnit;
  std::string name;
  if (!s.fs.VolumeFileSystemName(read_at, &name).ok()) name.clear();
  return EqualsIgnoreCase(name, "FAT32") ? Fat32Unit(total) : OtherUnit(total);
}

std::uint32_t ClusterSize(AppState& s, PairSpace& space, int side) {
  std::uint32_t& unit = side == 1 ? space.cluster1 : space.cluster2;
  if (unit == 0) unit = AllocationUnit(s, side == 1 ? s.Path1.view() : s.Path2.view());
  return unit;
}

std::int64_t TimePrecision(AppState& s, PairSpace& space) {
  if (space.time_precision >= 0) return space.time_precision;
  std::int64_t precision[2] = {0, 0};
  const std::string_view paths[2] = {s.Path1.view(), s.Path2.view()};
  for (int i = 0; i < 2; ++i) {
    std::string name;
    // A volume that cannot be asked is taken for one with coarse times.
    if (s.fs.VolumeFileSystemName(paths[i], &name).ok()) precision[i] = TimePrecisionOf(name);
  }
  space.time_precision = PairPrecision(precision[0], precision[1]);
  return space.time_precision;
}

bool DriveIsShort(AppState& s, const PairSpace& space) {
  const Need need = NeedOf(s.opt.ActiveOptions, space);
  char letter = 0;
  std::string other;
  if (Short(s, s.Path1.view(), need.need1)) {
    letter = AsciiUpper(s.Path1[0]);
    other = s.Path2.str();
  } else if (Short(s, s.Path2.view(), need.need2)) {
    letter = AsciiUpper(s.Path2[0]);
    other = s.Path1.str();
  } else {
    return false;
  }
  s.flags.PairStopped = 1;
  ReportShort(s, letter, other);
  return true;
}

}  // namespace velqo
