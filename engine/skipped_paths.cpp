#include "engine/skipped_paths.h"

#include <string>

#include "actions/update_log.h"
#include "common/platform/platform_ops.h"

namespace velqo {

namespace {

// The same shape as the other failure notices: a framed line, then the
// path it is about, and ErrorLogged so the run ends with the error box.
void LogFailure(AppState& s, std::string_view notice, std::string_view path) {
  if (s.opt.ActiveOptions.EnableLog != 1) return;
  WriteLogLine(s, notice);
  WriteLogLine(s, path);
  s.flags.ErrorLogged = 1;
}

// A box, or under JFDI a notice without one, so that an unattended run
// still names what it left out where its caller can see it.
void ShowUnlessJfdi(AppState& s, const std::string& text) {
  if (s.opt.ActiveOptions.JFDI != 1) {
    s.host.MessageBox(text, "Error", Icon::kWarning, Buttons::kOk);
  } else {
    s.host.UnattendedNotice(text);
  }
}

}  // namespace

void ReportPathTooLong(AppState& s, std::string_view path) {
  std::string text = "The Path ";
  text += path;
  text += " Is Longer Than 32767 Characters - It Was Left Out Of This Update.";
  ShowUnlessJfdi(s, text);
  LogFailure(s, "!!! Path Longer Than 32767 Characters - Left Out Of This Update: !!!", path);
}

void ReportUnreadableDirectory(AppState& s, std::string_view dir, std::string_view reason) {
  std::string text = "The Directory ";
  text += dir;
  text += " Cannot Be Read";
  if (!reason.empty()) {
    text += " (";
    text += reason;
    text += ")";
  }
  text += " - This Directory Pair Will Not Be Updated.";
  ShowUnlessJfdi(s, text);
  LogFailure(s, "!!! Could Not Read The Following Directory - Its Pair Was NOT Updated !!!", dir);
}

void ReportUnusableName(AppState& s, std::string_view dir, std::string_view name) {
  std::string text = "The Name ";
  text += name;
  text += " In The Directory ";
  text += dir;
  text += " Holds The Character That Stands For A Backslash Here - It Was Left Out Of This Update.";
  ShowUnlessJfdi(s, text);
  LogFailure(s, "!!! Name Holding The Stand-In For A Backslash - Left Out Of This Update: !!!", ChildPath(dir, name));
}

void ReportCaseTwins(AppState& s, std::string_view dir, const std::vector<std::string>& names) {
  std::string text = "The Names";
  for (std::size_t i = 0; i < names.size(); ++i) {
    text += i == 0 ? " " : (i + 1 == names.size() ? " And " : ", ");
    text += names[i];
  }
  text += " In The Directory ";
  text += dir;
  text += " Differ Only In Case - None Of Them Was Updated.";
  ShowUnlessJfdi(s, text);
  if (s.opt.ActiveOptions.EnableLog != 1) return;
  WriteLogLine(s, "!!! Names Differing Only In Case - Left Out Of This Update: !!!");
  for (const std::string& name : names) WriteLogLine(s, ChildPath(dir, name));
  s.flags.ErrorLogged = 1;
}

void ReportSameDateConflict(AppState& s, std::string_view name) {
  const std::string path1 = ChildPath(s.Path1.view(), name);
  const std::string path2 = ChildPath(s.Path2.view(), name);
  std::string text = "The Files ";
  text += path1;
  text += " And ";
  text += path2;
  text += " Have The Same Date But Different Sizes - Neither Was Copied.";
  // Unattended, it still reaches the console: a conflict is for the user
  // to settle.
  if (s.opt.ActiveOptions.JFDI == 1) {
    s.host.UnattendedNotice(text);
  } else {
    s.host.MessageBox(text, "Error", Icon::kWarning, Buttons::kOk);
  }
  LogFailure(s, "!!! Same Date, Different Sizes - Neither File Was Copied: !!!", path1);
  if (s.opt.ActiveOptions.EnableLog == 1) WriteLogLine(s, path2);
}

void WarnNewerInDir2(AppState& s, std::string_view name) {
  const std::string path2 = ChildPath(s.Path2.view(), name);
  std::string text = "The File ";
  text += path2;
  text += " Is Newer Than ";
  text += ChildPath(s.Path1.view(), name);
  text += " - It Was Left As It Is.";
  s.host.Warning(text);
  if (s.opt.ActiveOptions.EnableLog != 1) return;
  WriteLogLine(s, "*** Newer In Dir 2 Than In Dir 1 - Left As It Is: ***");
  WriteLogLine(s, path2);
}

bool BuildChildPath(AppState& s, std::string_view dir, std::string_view name, PathText* out) {
  const std::string path = ChildPath(dir, name);
  if (out->Assign(path)) return true;
  ReportPathTooLong(s, path);
  return false;
}

}  // namespace velqo
