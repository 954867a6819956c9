#include "config/templates.h"

#include <optional>
#include <string>

#include "common/platform/platform_ops.h"
#include "config/config_texts.h"
#include "config/file_problem.h"
#include "config/ini_load.h"
#include "config/ini_locate.h"
#include "config/ini_writers.h"
#include "config/option_keys.h"
#include "config/typed_path.h"

namespace velqo {

namespace {

constexpr std::string_view kOptFilterSave = "Option files (*.opt)|*.opt";
constexpr std::string_view kOptFilterLoad = "Option Template Files (*.opt)|*.opt";

enum class NameCheck { kGood, kWrongExtension, kUnusable };

// Completes a chosen name: a host path becomes its Windows form, and a file
// name without a "." gets ".OPT". Only the last component counts, so a dot
// in a directory name does not pass for an extension.
NameCheck CompleteTemplateName(AppState& s, const std::string& chosen, std::string* path) {
  const std::optional<std::string> windows = TypedPathToWindows(s.fs, chosen);
  if (!windows || windows->empty()) return NameCheck::kUnusable;
  *path = *windows;
  const std::size_t slash = path->rfind('\\');
  const std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = path->rfind('.');
  if (dot == std::string::npos || dot < name_start) {
    *path += ".OPT";
    return NameCheck::kGood;
  }
  return EqualsIgnoreCase(std::string_view(*path).substr(dot), ".opt") ? NameCheck::kGood
                                                                       : NameCheck::kWrongExtension;
}

// Templates are kept beside the settings they copy: the program's directory
// for a program in its build tree, the settings directory for an installed
// one, whose program directory is not the user's to write.
std::string TemplateFolder(const AppState& s) {
  const std::string folder = IniDirectory(s);
  return folder.empty() ? s.places.ProgramDir : folder;
}

void Tell(AppState& s, std::string_view text) {
  s.host.MessageBox(text, kAppTitle, Icon::kNone, Buttons::kOk);
}

void ReportIniWriteFailure(AppState& s) {
  s.host.MessageBox(kIniWriteFailed, kErrorCaption, Icon::kWarning, Buttons::kOk);
}

enum class Overwrite { kYes, kChooseAgain, kStop };

Overwrite AskOverwrite(AppState& s, const std::string& path) {
  if (!EntryExists(s.fs, path)) return Overwrite::kYes;
  std::string text = "The .OPT File ";
  text += path;
  text += " Already Exists.  Overwrite With Current Options Settings??";
  switch (s.host.MessageBox(text, "Replace Existing .OPT File?", Icon::kQuestion,
                            Buttons::kYesNoCancel)) {
    case Answer::kYes:
      return Overwrite::kYes;
    case Answer::kNo:
      return Overwrite::kChooseAgain;
    default:
      return Overwrite::kStop;
  }
}

// Asks until a usable template name is chosen; nothing when cancelled.
std::optional<std::string> ChooseTemplateToSave(AppState& s) {
  for (;;) {
    std::string chosen;
    if (!s.host.SaveFileDialog("Save Current Options To .OPT File For Later Reuse", kOptFilterSave,
                               TemplateFolder(s), &chosen)) {
      return std::nullopt;
    }
    std::string path;
    if (CompleteTemplateName(s, chosen, &path) != NameCheck::kGood) {
      Tell(s, kMustUseOpt);
      continue;
    }
    const Overwrite answer = AskOverwrite(s, path);
    if (answer == Overwrite::kStop) return std::nullopt;
    if (answer == Overwrite::kYes) return path;
  }
}

// The INI file's bytes into the template. An INI file that was never
// written gives an empty template for the keys to go into. The existing
// template is replaced in one step, so a failure leaves it as it was.
bool CopyIniTo(AppState& s, const std::string& path) {
  std::string bytes;
  const Status read =
      s.fs.ReadFile(s.places.IniPath, &bytes, ProfileAccess(ProfileOrigin::kProgram));
  if (!read.ok() && read.code() != Status::Code::kFileNotFound) return false;
  if (!s.fs.WriteFile(path, bytes, WriteMode::kReplaceAtomically).ok()) return false;
  // The profile cache may hold an older copy of that file.
  s.profiles.Flush();
  return true;
}

std::optional<std::string> ChooseTemplateToLoad(AppState& s) {
  for (;;) {
    std::string chosen;
    if (!s.host.OpenFileDialog("Load Previously-saved Options Template File", kOptFilterLoad,
                               TemplateFolder(s), &chosen)) {
      return std::nullopt;
    }
    std::string path;
    const NameCheck check = CompleteTemplateName(s, chosen, &path);
    if (check == NameCheck::kWrongExtension || check == NameCheck::kUnusable) {
      Tell(s, kMustUseOpt);
      continue;
    }
    // The dialog accepts only existing files; a completed name must exist too.
    if (EntryExists(s.fs, path)) return path;
  }
}

}  // namespace

bool SaveOptionTemplate(AppState& s) {
  const std::optional<std::string> path = ChooseTemplateToSave(s);
  if (!path) return false;
  if (!CopyIniTo(s, *path)) {
    ReportIniWriteFailure(s);
    return false;
  }
  std::string text = "Current Options Will Be Stored In File ";
  text += *path;
  text += " And Can Be Reloaded As The Default Option Set By Using The OPTIONS|";
  text += "LOAD OPTIONS TEMPLATE Menu Selection.";
  Tell(s, text);
  ProfileSection file(s.profiles, *path);
  WriteFailureNotice notice(s.host, kIniWriteFailed);
  {
    HeldWrites keys(file);
    WriteOptionKeys(file, s.opt.ActiveOptions, DefaultsWriteOrder(), notice);
    WriteBatchOrPaths(s, file, false, false, notice);
    notice.Note(keys.Finish());
  }
  (void)s.fs.SetLastWriteTime(*path, s.fs.Now());
  return true;
}

bool LoadOptionTemplate(AppState& s) {
  const Answer save_first = s.host.MessageBox(
      "Do You Wish To Save The Current Options To A New Or Existing Options Template File?",
      "Save As Template File?", Icon::kQuestion, Buttons::kYesNoCancel);
  if (save_first == Answer::kCancel) return false;
  if (save_first == Answer::kYes) (void)SaveOptionTemplate(s);
  const std::optional<std::string> path = ChooseTemplateToLoad(s);
  if (!path) return false;
  std::string bytes;
  // The INI file is replaced in one step and only once the template has been
  // read whole, so a failure never leaves the program without its settings.
  const Status read = s.fs.ReadFile(*path, &bytes, ProfileAccess(ProfileOrigin::kProgram));
  if (!read.ok()) {
    s.host.MessageBox(
        FileProblemMessage("Template File", *path,
                           DescribeFileProblem(s.fs, *path, read, kProgramProfileLimit),
                           "The Current Settings Are Kept."),
        kErrorCaption, Icon::kWarning, Buttons::kOk);
    return false;
  }
  if (!s.fs.WriteFile(s.places.IniPath, bytes, WriteMode::kReplaceAtomically).ok()) {
    ReportIniWriteFailure(s);
    return false;
  }
  (void)s.fs.SetLastWriteTime(s.places.IniPath, s.fs.Now());
  IniReloadAfterEdit(s);
  return true;
}

}  // namespace velqo
