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

// Whether a set's file-update mode may write into Dir 1 or delete there.
bool WritesDir1(const OptionSet& o) { return !WritesOnlyDir2(o); }
bool Deletes(const OptionSet& o) { return o.CleanUp == 1; }
bool Purges(const OptionSet& o) { return o.ExclDays == 1 && o.DeleteExclDays == 1; }

void TakeFileMode(const OptionSet& from, OptionSet* to) {
  to->VelqoOnly = from.VelqoOnly;
  to->Add1To2 = from.Add1To2;
  to->AddBothWays = from.AddBothWays;
  to->CleanUp = from.CleanUp;
}

}  // namespace

void NarrowToSession(const OptionSet& session, OptionSet* dir) {
  if (session.OneWay == 1) dir->OneWay = 1;
  if ((Deletes(*dir) && !Deletes(session)) || (WritesDir1(*dir) && !WritesDir1(session))) {
    TakeFileMode(session, dir);
  }
  if (session.DIRDEL != 1) dir->DIRDEL = 0;
  if (!Purges(session)) dir->DeleteExclDays = 0;
  if (session.JFDI == 1) {
    // An unattended run stays one: no question, and the log that records
    // its failures stays on.
    dir->JFDI = 1;
    if (session.ConfirmEveryFile != 1) dir->ConfirmEveryFile = 0;
    if (session.CreateNewDir == 1) dir->CreateNewDir = 1;
    if (session.EnableLog == 1) dir->EnableLog = 1;
  }
}

namespace {

void UseSessionOptions(AppState& s) {
  s.opt.ActiveOptions = s.opt.SessionOptions;
  s.opt.OptUpdInUse = 0;
  RebuildTables(s, s.opt.ActiveOptions);
}

}  // namespace

std::string OptionsUpdPath(std::string_view dir1) { return ChildPath(dir1, kOptionsUpdName); }

void DeriveRunOptions(AppState& s, std::string_view dir1) {
  DeriveActiveOptions(s, dir1);
  if (s.opt.OptUpdInUse == 1) NarrowToSession(s.opt.SessionOptions, &s.opt.ActiveOptions);
}

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
