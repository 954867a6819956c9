#include <cmath>

#include "actions/deletion.h"
#include "common/platform/platform_ops.h"
#include "engine/file_lists.h"

namespace velqo {

namespace {

constexpr std::string_view kOptionsUpd = "OPTIONS.UPD";

// The part after the first "."; a name without one is its own extension
// (README -> README, archive.tar.gz -> tar.gz, .profile -> profile).
std::string_view ExtensionOf(std::string_view name) {
  const std::size_t dot = name.find('.');
  return dot == std::string_view::npos ? name : name.substr(dot + 1);
}

// At least ExclDaysInt whole days old (days truncated toward zero).
bool TooOld(AppState& s, AdmitContext& context, std::uint32_t dos_time) {
  if (!context.now_known) {
    context.now = DateTimeValue(s.fs.Now());
    context.now_known = true;
  }
  const long double age = std::trunc(context.now - DosTimeToDateTime(dos_time));
  return age + 1 > static_cast<long double>(s.opt.ActiveOptions.ExclDaysInt);
}

// 2 accepts either; 0 and 1 must equal the bit.
bool AttributeFits(std::int32_t filter, std::uint32_t attributes, std::uint32_t bit) {
  if (filter == 2) return true;
  return filter == ((attributes & bit) != 0 ? 1 : 0);
}

bool AttributesFit(const OptionSet& o, std::uint32_t attributes) {
  return AttributeFits(o.ReadOnlyFilter, attributes, kAttrReadOnly) &&
         AttributeFits(o.HiddenFilter, attributes, kAttrHidden) &&
         AttributeFits(o.SystemFilter, attributes, kAttrSystem) &&
         AttributeFits(o.ArchiveFilter, attributes, kAttrArchive);
}

bool ExtensionFits(const AppState& s, std::string_view name) {
  const FilterTables& t = s.opt.Tables;
  const std::int32_t incl = s.opt.ActiveOptions.Incl;
  // An include list without entries lets nothing through.
  if (t.NumExtensions == 0) return incl != 1;
  const std::string_view extension = ExtensionOf(name);
  for (int i = 0; i < t.NumExtensions && i < kMaxTableEntries; ++i) {
    if (EqualsIgnoreCase(extension, t.ExtensionTable[static_cast<std::size_t>(i)].view())) {
      return incl != 0;
    }
  }
  return incl != 1;
}

// Named files override everything before: always taken with InclFile 1,
// always left out with InclFile 0.
bool ApplyNamedFiles(const AppState& s, std::string_view name, bool admitted) {
  const FilterTables& t = s.opt.Tables;
  const std::int32_t incl_file = s.opt.ActiveOptions.InclFile;
  const bool may_change = (admitted && incl_file == 0) || (!admitted && incl_file == 1);
  if (!may_change) return admitted;
  for (int i = 0; i < t.NumFileNames && i < kMaxTableEntries; ++i) {
    if (EqualsIgnoreCase(name, t.FileNameTable[static_cast<std::size_t>(i)].view())) {
      return incl_file == 1;
    }
  }
  return admitted;
}

}  // namespace

bool AdmitFile(AppState& s, AdmitContext& context, const FindData& entry, std::string_view dir) {
  const OptionSet& o = s.opt.ActiveOptions;
  bool admitted = true;
  bool purge_candidate = false;
  if (o.ExclDays == 1 && TooOld(s, context, entry.dos_time)) {
    admitted = false;
    purge_candidate = o.DeleteExclDays == 1 && context.purge_drive_match;
  }
  if (admitted) admitted = AttributesFit(o, entry.attributes);
  if (admitted) admitted = ExtensionFits(s, entry.name);
  admitted = ApplyNamedFiles(s, entry.name, admitted);

  // The per-directory option file travels with Dir 1 and never takes part.
  const bool option_file = EqualsIgnoreCase(entry.name, kOptionsUpd);
  if (purge_candidate && !admitted && !option_file) PurgeOldFile(s, dir, entry.name);
  return admitted && !option_file;
}

}  // namespace velqo
