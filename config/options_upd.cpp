#include "config/options_upd.h"

#include "common/platform/platform_ops.h"
#include "config/config_texts.h"
#include "config/file_problem.h"
#include "config/ini_writers.h"
#include "config/key_reading.h"
#include "config/option_keys.h"
#include "config/option_tables.h"
#include "config/typed_path.h"

namespace velqo {

namespace {

bool IsFile(Platform& fs, std::string_view path) {
  std::uint32_t attributes = 0;
  return fs.GetAttributes(path, &attributes).ok() && (attributes & kAttrDirectory) == 0;
}

void ReportBadKey(AppState& s, std::string_view path) {
  std::string text = "There Is An Error In File ";
  text += path;
  text += " - Please Reselect And Resave The Options For This File.";
  s.host.MessageBox(text, kErrorCaption, Icon::kWarning, Buttons::kOk);
}

// Overlays the keys the file carries on DirOptions. The values accepted are
// 0 and above: a negative one is treated as missing, so it gets the missing
// key's box or repair. The repairs go back into the file in one write when
// the file allows; a Dir 1 on a read-only medium is normal, and its values
// are right in memory.
void ReadOptionsUpd(AppState& s, ProfileSection& file) {
  OptionSet& dir = s.opt.DirOptions;
  HeldWrites repairs(file);
  for (const KeyRule& rule : OptionsUpdRules()) {
    if (ReadOptionKey(file, rule, true, &dir).wants_box) ReportBadKey(s, file.file());
  }
  (void)repairs.Finish();
  if (dir.ReadOnlyFilter != 0) dir.XATTR = 1;
}

// A file that cannot be read whole (a link, beyond the bound, no access) is
// not taken for a set of defaults: the pair it belongs to is not updated,
// since its owner's settings (a CleanUp off, say) would not hold.
void RefuseOptionsUpd(AppState& s, const std::string& path, const Status& why) {
  s.host.MessageBox(
      FileProblemMessage("Options File", path,
                         DescribeFileProblem(s.fs, path, why, kSharedProfileLimit),
                         "Directory Pairs With This Dir 1 Are Not Updated Until The File Is "
                         "Fixed Or Deleted."),
      kErrorCaption, Icon::kWarning, Buttons::kOk);
  s.flags.PairStopped = 1;
  s.flags.ErrorLogged = 1;
}

void UseSessionOptions(AppState& s) {
  s.opt.ActiveOptions = s.opt.SessionOptions;
  s.opt.OptUpdInUse = 0;
  RebuildTables(s, s.opt.ActiveOptions);
}

}  // namespace

std::string OptionsUpdPath(std::string_view dir1) { return ChildPath(dir1, kOptionsUpdName); }

void DeriveActiveOptions(AppState& s, std::string_view dir1) {
  const std::string path = OptionsUpdPath(dir1);
  if (!IsFile(s.fs, path) || s.opt.ActiveOptions.IgnoreOptUpd == 1) {
    UseSessionOptions(s);
    return;
  }
  // The file travels with its directory and may have been edited since it
  // was last read: read it afresh.
  s.profiles.Flush();
  if (const Status readable = s.profiles.Check(path, ProfileOrigin::kShared); !readable.ok()) {
    RefuseOptionsUpd(s, path, readable);
    UseSessionOptions(s);
    return;
  }
  s.opt.OptUpdInUse = 1;
  s.opt.DirOptions = s.opt.DefaultOptions;
  ProfileSection file(s.profiles, path, kIniSection, ProfileOrigin::kShared);
  ReadOptionsUpd(s, file);
  RebuildTables(s, s.opt.DirOptions);
  s.opt.ActiveOptions = s.opt.DirOptions;
}

void WriteOptionsUpd(AppState& s, std::string_view typed_dir1) {
  // The Dir 1 text comes from the main window as the user typed it.
  const std::string dir1 = TypedPathToWindows(s.fs, typed_dir1).value_or(std::string(typed_dir1));
  std::string text = "Current Options Will Be Stored In File OPTIONS.UPD In Directory ";
  text += dir1;
  text += ". Velqo Will Now Use These Settings Whenever This Disk's Dir1 Is ";
  text += dir1;
  text += ".";
  s.host.MessageBox(text, kAppTitle, Icon::kNone, Buttons::kOk);
  ProfileSection file(s.profiles, OptionsUpdPath(dir1), kIniSection, ProfileOrigin::kShared);
  WriteFailureNotice notice(s.host, kUpdWriteFailed);
  {
    HeldWrites keys(file);
    WriteOptionKeys(file, s.opt.ActiveOptions, OptionsUpdWriteOrder(), notice);
    notice.Note(keys.Finish());
  }
  DeriveActiveOptions(s, dir1);
}

}  // namespace velqo
