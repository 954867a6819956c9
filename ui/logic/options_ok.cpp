// The options dialog's OK: where the edited options go, and the refusals
// that keep the dialog open.
#include <charconv>
#include <optional>
#include <string>

#include "config/config_texts.h"
#include "config/ini_writers.h"
#include "config/option_tables.h"
#include "config/options_upd.h"
#include "config/typed_path.h"
#include "ui/logic/options_form.h"

namespace velqo::ui {

namespace {

using Field = std::int32_t OptionSet::*;

constexpr Field kModeFields[] = {&OptionSet::SelectSeparate, &OptionSet::UseDir1,
                                 &OptionSet::UseDir1And, &OptionSet::UseSubOnly,
                                 &OptionSet::UseBatchFile};

// A day count far beyond any file's age still fits every sum made with it.
constexpr std::int32_t kMaxDays = 1000000;

void Refuse(AppState& s, std::string_view text) {
  s.host.MessageBox(text, kAppTitle, Icon::kWarning, Buttons::kOk);
}

void Tell(AppState& s, std::string_view text) {
  s.host.MessageBox(text, kAppTitle, Icon::kNone, Buttons::kOk);
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The number box: empty keeps the previous count. A negative count would
// make every file "older" than the limit, so it is refused like any other
// text that is no day count.
std::optional<std::int32_t> DaysFrom(std::string_view text, std::int32_t previous) {
  text = Trimmed(text);
  if (text.empty()) return previous;
  if (text.front() == '+') text.remove_prefix(1);
  std::int32_t days = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), days);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || days < 0 ||
      days > kMaxDays) {
    return std::nullopt;
  }
  return days;
}

// Step one: the controls into a working copy. Texts that the option fields
// cannot hold are refused rather than cut: a cut filter list or log path
// would quietly mean something else.
bool ReadForm(AppState& s, const OptionsForm& form, OptionSet* out) {
  const std::optional<std::int32_t> days = DaysFrom(form.days_text, s.opt.DialogOptions.ExclDaysInt);
  if (!days) {
    Refuse(s, "Invalid Number Of Days For Exclude Files Older Than...");
    return false;
  }
  OptionSet read = form.fields;
  read.ExclDaysInt = *days;
  const char drive[2] = {form.drive, 0};
  (void)read.ExclDaysDriveString.Assign(form.drive == 0 ? "" : drive);
  if (!read.ExtString.Assign(form.ext_string)) {
    Refuse(s, "The Extension List Is Too Long - It Can Hold At Most " +
                  std::to_string(decltype(read.ExtString)::kMaxLength) + " Characters.");
    return false;
  }
  if (!read.FileString.Assign(form.file_string)) {
    Refuse(s, "The File List Is Too Long - It Can Hold At Most " +
                  std::to_string(decltype(read.FileString)::kMaxLength) + " Characters.");
    return false;
  }
  const std::optional<std::string> log = TypedPathToWindows(s.fs, form.log_file_path);
  if (!log || !read.LogFilePath.Assign(*log)) {
    Refuse(s, "The Log File Directory " + form.log_file_path + " Cannot Be Used.");
    return false;
  }
  *out = read;
  return true;
}

bool ModesChanged(const OptionSet& a, const OptionSet& b) {
  for (Field f : kModeFields) {
    if (a.*f != b.*f) return true;
  }
  return false;
}

void RevertModes(const OptionSet& active, OptionsForm* form) {
  OptionsForm fresh;
  LoadFormFields(active, &fresh);
  for (Field f : kModeFields) form->fields.*f = fresh.fields.*f;
}

}  // namespace

OkResult ConfirmOptionsForm(AppState& s, std::string_view typed_dir1, OptionsForm* form) {
  OptionSet dialog;
  if (!ReadForm(s, *form, &dialog)) return OkResult::kStayOpen;
  s.opt.DialogOptions = dialog;
  OptionSet& active = s.opt.ActiveOptions;
  const bool from_upd = form->caption == kCaptionFromUpd;
  if (form->save_defaults) {
    active = dialog;
    WriteDefaults(s, false);
  } else if (ModesChanged(dialog, active)) {
    Refuse(s,
           "Changes To Directory Selection Modes or Use Batch File Method Must Be Saved As "
           "Default Settings.");
    RevertModes(active, form);
    return OkResult::kRevertModes;
  }
  if (form->save_upd) {
    s.opt.ActiveOptions = dialog;
    WriteOptionsUpd(s, Dir1ForOptions(s, typed_dir1));
  } else if (from_upd || form->save_defaults) {
    if (dialog.IgnoreOptUpd == 1) {
      // The derivation looks at the active set, which came from the file:
      // without the mark there too the files would still be read.
      s.opt.SessionOptions.IgnoreOptUpd = 1;
      s.opt.ActiveOptions.IgnoreOptUpd = 1;
    } else if (from_upd) {
      Refuse(s,
             "Option Settings Can Only Be Saved To The Current OPTIONS.UPD File When The Options "
             "Dialog Had Been Loaded From OPTIONS.UPD. Either Select \"Save As OPTIONS.UPD In "
             "Dir1\" Or \"Ignore All OPTIONS.UPD Files\" To Take Further Action.");
      return OkResult::kStayOpen;
    }
  } else {
    Tell(s,
         "Current Option Settings Will Be Used For This Session Only. The Options Will Be Reset "
         "To The Default Values In WINVELQO.INI The Next Time Velqo Is Restarted.");
    s.opt.ActiveOptions = dialog;
    s.opt.SessionOptions = dialog;
  }
  RebuildTables(s, s.opt.ActiveOptions);
  return OkResult::kClose;
}

}  // namespace velqo::ui
