#pragma once

#include <string>
#include <string_view>

#include "config/app_state.h"

namespace velqo::ui {

// Caption texts of the options dialog: which file its options came from.
inline constexpr std::string_view kCaptionFromUpd = "These Options Are From OPTIONS.UPD In Dir1";
inline constexpr std::string_view kCaptionFromIni = "These Options Are From WINVELQO.INI";

// What the options dialog's controls show, without the widgets. Every
// control tied to an option field holds its state in `fields`: a check box
// or radio button 1 when on and 0 when off, a tri-state box 0, 1 or 2
// (grayed), the text boxes their texts. The rest are the controls that have
// no field of their own.
struct OptionsForm {
  OptionSet fields;
  // The three text boxes; they take more than some fields can hold, so a
  // text that does not fit is refused on OK, never cut.
  std::string ext_string;
  std::string file_string;
  std::string log_file_path;
  std::string days_text;  // the number box, as typed
  char drive = 0;         // the purge drive box: a lower-case letter, 0 for none
  bool purge_enabled = false;
  bool save_defaults = false;
  bool save_defaults_enabled = true;
  bool save_upd = false;
  bool save_upd_enabled = true;
  bool ignore_enabled = true;
  bool delete_upd_enabled = false;
  std::string caption;
};

// Opening: runs the derivation for Dir 1 (in batch mode with OPTIONS.UPD
// files held off, so the session's set shows), says when Dir 1's
// OPTIONS.UPD is there but not used, then loads the controls from
// ActiveOptions and settles the caption and the save boxes. The controls not
// set here (the number box when there is no day count) keep their state.
void OpenOptionsForm(AppState& s, std::string_view dir1, OptionsForm* form);

// Loads the controls from an option set (the fifth opening step).
void LoadFormFields(const OptionSet& from, OptionsForm* form);

// The exclusion box: on enables the purge box, off clears and disables it.
void SetExcludeOld(OptionsForm* form, bool on);

enum class OkResult {
  kClose,       // saved where the user asked; close the dialog
  kStayOpen,    // refused with a message; the dialog stays as it is
  kRevertModes  // refused; the directory-selection controls were reset
};

// OK: reads the controls into DialogOptions and saves them as defaults, as
// Dir 1's OPTIONS.UPD or for the session, or refuses with a message. On
// kRevertModes the form's five directory-selection fields hold
// ActiveOptions' values again.
OkResult ConfirmOptionsForm(AppState& s, std::string_view dir1, OptionsForm* form);

// "Delete This OPTIONS.UPD File": asks, then deletes. True when the file is
// gone and the dialog is to be shown afresh.
bool DeleteOptionsUpdFile(AppState& s, std::string_view dir1);

// The text boxes take at most this many characters.
inline constexpr int kMaxListText = 4000;

// The Windows form of the Dir 1 text the main window handed over.
std::string Dir1ForOptions(AppState& s, std::string_view typed);

}  // namespace velqo::ui
