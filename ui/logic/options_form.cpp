#include "ui/logic/options_form.h"

#include <string>

#include "common/platform/attributes.h"
#include "common/platform/platform_ops.h"
#include "config/config_texts.h"
#include "config/options_upd.h"
#include "config/typed_path.h"

namespace velqo::ui {

namespace {

using Field = std::int32_t OptionSet::*;

constexpr Field kDirectoryModes[] = {&OptionSet::SelectSeparate, &OptionSet::UseDir1,
                                     &OptionSet::UseDir1And, &OptionSet::UseSubOnly};
constexpr Field kFileModes[] = {&OptionSet::VelqoOnly, &OptionSet::Add1To2,
                                &OptionSet::AddBothWays, &OptionSet::CleanUp};
// Check boxes and the first button of each radio pair: on for 1 only.
constexpr Field kOnForOne[] = {
    &OptionSet::UseBatchFile, &OptionSet::ConfirmEveryFile, &OptionSet::CreateBackup,
    &OptionSet::CreateNewDir, &OptionSet::IgnoreOptUpd,     &OptionSet::ExclDays,
    &OptionSet::IncHidDir,    &OptionSet::IncRODir,         &OptionSet::IncArcDir,
    &OptionSet::IncSysDir,    &OptionSet::Incl,             &OptionSet::InclFile,
    &OptionSet::Brief,        &OptionSet::DIRDEL,           &OptionSet::JFDI,
    &OptionSet::XATTR,        &OptionSet::Quiet,            &OptionSet::EnableLog,
    &OptionSet::AppendToFile, &OptionSet::AutoGenerateFile, &OptionSet::ShowHints,
    &OptionSet::OneWay,       &OptionSet::IncDotDir};
constexpr Field kTriStates[] = {&OptionSet::ArchiveFilter, &OptionSet::ReadOnlyFilter,
                                &OptionSet::HiddenFilter, &OptionSet::SystemFilter};

// Radio buttons of one group are switched on in order, each switching the
// others off: the last field holding 1 is the one shown, and a group whose
// fields hold no 1 shows no choice.
template <std::size_t N>
void LoadRadioGroup(const OptionSet& from, const Field (&group)[N], OptionSet* to) {
  for (Field f : group) to->*f = 0;
  for (std::size_t i = N; i-- > 0;) {
    if (from.*group[i] == 1) {
      to->*group[i] = 1;
      return;
    }
  }
}

bool IsFile(Platform& fs, std::string_view path) {
  std::uint32_t attributes = 0;
  return fs.GetAttributes(path, &attributes).ok() && (attributes & kAttrDirectory) == 0;
}

void Tell(AppState& s, std::string_view text) {
  s.host.MessageBox(text, kAppTitle, Icon::kNone, Buttons::kOk);
}

// The derivation, with OPTIONS.UPD files held off in batch mode: a batch
// has no one Dir 1 whose file could stand for its options.
void DeriveForDialog(AppState& s, std::string_view dir1) {
  OptionSet& active = s.opt.ActiveOptions;
  if (active.UseBatchFile != 1) {
    DeriveActiveOptions(s, dir1);
    return;
  }
  const std::int32_t held = active.IgnoreOptUpd;
  active.IgnoreOptUpd = 1;
  DeriveActiveOptions(s, dir1);
  s.opt.ActiveOptions.IgnoreOptUpd = held;
}

void SettleCaption(AppState& s, OptionsForm* form) {
  form->save_defaults_enabled = s.opt.OptUpdInUse != 1;
  form->ignore_enabled = true;
  if (s.opt.OptUpdInUse == 1) {
    form->caption = kCaptionFromUpd;
    form->save_upd = false;
    form->save_upd_enabled = true;
    form->fields.IgnoreOptUpd = 0;
    return;
  }
  form->caption = kCaptionFromIni;
  form->save_upd_enabled = s.opt.ActiveOptions.IgnoreOptUpd != 1;
  if (!form->save_upd_enabled) form->save_upd = false;
}

}  // namespace

std::string Dir1ForOptions(AppState& s, std::string_view typed) {
  return TypedPathToWindows(s.fs, typed).value_or(std::string(typed));
}

void LoadFormFields(const OptionSet& from, OptionsForm* form) {
  OptionSet& to = form->fields;
  LoadRadioGroup(from, kDirectoryModes, &to);
  LoadRadioGroup(from, kFileModes, &to);
  for (Field f : kOnForOne) to.*f = from.*f == 1 ? 1 : 0;
  for (Field f : kTriStates) to.*f = from.*f == 0 || from.*f == 1 ? from.*f : 2;
  SetExcludeOld(form, to.ExclDays == 1);
  to.DeleteExclDays = from.DeleteExclDays == 1 && from.ExclDays == 1 ? 1 : 0;
  to.ExclDaysInt = from.ExclDaysInt;
  if (from.ExclDaysInt > 0) form->days_text = std::to_string(from.ExclDaysInt);
  const std::string_view drive = from.ExclDaysDriveString.view();
  form->drive = drive.empty() ? 0 : AsciiLower(drive[0]);
  form->ext_string = std::string(from.ExtString.view());
  form->file_string = std::string(from.FileString.view());
  form->log_file_path = std::string(from.LogFilePath.view());
}

void SetExcludeOld(OptionsForm* form, bool on) {
  form->fields.ExclDays = on ? 1 : 0;
  form->purge_enabled = on;
  if (!on) form->fields.DeleteExclDays = 0;
}

void OpenOptionsForm(AppState& s, std::string_view typed_dir1, OptionsForm* form) {
  form->save_defaults = false;
  form->save_upd = false;
  const std::string dir1 = Dir1ForOptions(s, typed_dir1);
  DeriveForDialog(s, dir1);
  form->delete_upd_enabled = IsFile(s.fs, OptionsUpdPath(dir1));
  if (form->delete_upd_enabled && s.opt.OptUpdInUse == 0) {
    Tell(s,
         "An OPTIONS.UPD File Exists In The Current Dir 1 Directory, But Is Not Being Used By "
         "This Options Dialog Because The Ignore All OPTIONS.UPD Files Option Is Currently "
         "Selected.");
  }
  LoadFormFields(s.opt.ActiveOptions, form);
  SettleCaption(s, form);
}

bool DeleteOptionsUpdFile(AppState& s, std::string_view typed_dir1) {
  const std::string path = OptionsUpdPath(Dir1ForOptions(s, typed_dir1));
  const Answer answer = s.host.MessageBox("Are You Sure You Want To Delete The File " + path,
                                          "Confirm OPTIONS.UPD Delete", Icon::kQuestion,
                                          Buttons::kYesNo);
  if (answer != Answer::kYes) return false;
  const Status st = s.fs.DeleteFile(path);
  if (st.ok()) return true;
  // Reopening as if it had gone would show the file's options again with
  // no word of why.
  s.host.MessageBox("The File " + path + " Could Not Be Deleted - " + st.ToString(), kErrorCaption,
                    Icon::kWarning, Buttons::kOk);
  return false;
}

}  // namespace velqo::ui
