#include "actions/directories.h"
#include "actions/versions.h"

#include "actions/update_log.h"
#include "common/platform/platform_ops.h"

namespace velqo {

namespace {

constexpr std::string_view kInvalidCaption = "Directory Path Invalid";

void ReportMissingRoot(AppState& s, std::string_view path) {
  std::string text = "Cannot Update The Directory Path ";
  text += path;
  text += " Because ";
  text += "Its ROOT Doesn't Exist - Thus It Cannot Be Created. Will End This Update Without ";
  text += "Trying Further Subdirectories Of This Pair.";
  s.host.MessageBox(text, kInvalidCaption, Icon::kStop, Buttons::kOk);
  s.flags.EndRunRequested = 1;
  s.flags.RootMissing = 1;
  s.flags.PairDirsReady = 0;
}

Answer AskToCreate(AppState& s, std::string_view path, DirPurpose purpose) {
  if (s.opt.ActiveOptions.CreateNewDir == 1) return Answer::kYes;
  std::string text = "The Directory Path ";
  text += path;
  text += " Does Not Exist.  Do You Wish To Create This Directory?";
  if (purpose == DirPurpose::kLog) {
    text += " The Logging Capability Of ProVelqo Will Not Operate Properly";
    text += " Unless This Directory Is Created.";
  }
  return s.host.MessageBox(text, kInvalidCaption, Icon::kQuestion, Buttons::kYesNoCancel);
}

void ReportCreationFailure(AppState& s, std::string_view path, DirPurpose purpose) {
  const OptionSet& o = s.opt.ActiveOptions;
  if (o.JFDI == 0) s.host.MessageBox("Cannot Create Directory", "Error", Icon::kWarning, Buttons::kOk);
  if (o.EnableLog == 1) {
    // The log cannot record that its own directory is missing: writing
    // there would come back here. The failure still counts as an error of
    // the run, so it is not reported as a clean update.
    if (purpose == DirPurpose::kPair) {
      WriteLogLine(s,
                   "!!! Could Not Create The Following Directory: "
                   "                               !!!");
      WriteLogLine(s, path);
      WriteLogLine(s,
                   "!!! All Operations Relating To The Directory Listed"
                   " Above Were NOT Completed !!!");
    }
    s.flags.ErrorLogged = 1;
  }
  s.flags.PairDirsReady = 0;
}

}  // namespace

void EnsureDirectory(AppState& s, std::string_view path, DirPurpose purpose,
                     const std::function<std::string()>& spell, std::string_view model) {
  if (DirectoryExists(s.fs, path)) return;
  if (!DirectoryExists(s.fs, path.substr(0, 3))) {
    ReportMissingRoot(s, path);
    return;
  }
  const Answer answer = AskToCreate(s, path, purpose);
  if (answer == Answer::kYes) {
    const std::string spelled = spell ? spell() : std::string();
    const bool spelling_fits = spelled.size() == path.size() && EqualsIgnoreCase(spelled, path);
    if (!MakeDirectory(s, spelling_fits ? spelled : path, model)) ReportCreationFailure(s, path, purpose);
    return;
  }
  if (answer == Answer::kNo) {
    s.host.MessageBox(purpose == DirPurpose::kLog
                          ? "Cannot Use Logging Feature Without This Directory.  Please Disable Logging."
                          : "Cannot Update This Directory Pair Since One of The Directories Does Not Exist",
                      kInvalidCaption, Icon::kInformation, Buttons::kOk);
  } else {
    s.host.MessageBox("Will End This Update Without Trying Further Directories", kInvalidCaption,
                      Icon::kInformation, Buttons::kOk);
    s.flags.EndRunRequested = 1;
  }
  s.flags.PairDirsReady = 0;
}

namespace {

bool MakeDirectoryAndAncestors(AppState& s, std::string_view path, std::string_view model) {
  std::string_view last = path;
  while (last.size() > 3 && last.back() == '\\') last.remove_suffix(1);
  const std::size_t cut = last.rfind('\\');
  // Only the directory itself copies the model; ancestors it lacks are
  // plain new directories.
  if (model.empty() || last.size() <= 3 || cut == std::string_view::npos) {
    (void)MakeDirPath(s.fs, path);
  } else {
    const std::string_view parent = last.substr(0, cut == 2 ? 3 : cut);
    if (DirectoryExists(s.fs, parent) || MakeDirPath(s.fs, parent).empty()) {
      (void)s.fs.CreateDirectoryLike(last, model);
    }
  }
  return DirectoryExists(s.fs, path);
}

}  // namespace

bool MakeDirectory(AppState& s, std::string_view path, std::string_view model) {
  // Directories the run makes in a versioned tree are journaled, so that an
  // undo removes them again.
  const std::vector<std::string> missing = MissingDirectories(s.fs, s.versions, path);
  const bool made = MakeDirectoryAndAncestors(s, path, model);
  RecordMadeDirectories(s.fs, s.versions, missing);
  return made;
}

}  // namespace velqo
