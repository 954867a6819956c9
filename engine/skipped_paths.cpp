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
  text += " Is Longer Than 256 Characters - It Was Left Out Of This Update.";
  ShowUnlessJfdi(s, text);
  LogFailure(s, "!!! Path Longer Than 256 Characters - Left Out Of This Update: !!!", path);
}

void ReportUnreadableDirectory(AppState& s, std::string_view dir) {
  std::string text = "The Directory ";
  text += dir;
  text += " Cannot Be Read - This Directory Pair Will Not Be Updated.";
  ShowUnlessJfdi(s, text);
  LogFailure(s, "!!! Could Not Read The Following Directory - Its Pair Was NOT Updated !!!", dir);
}

void ReportUnusableName(AppState& s, std::string_view dir, std::string_view name) {
  std::string text = "The Name ";
  text += name;
  text += " In The Directory ";
  text += dir;
  text += " Contains A Backslash - It Was Left Out Of This Update.";
  ShowUnlessJfdi(s, text);
  LogFailure(s, "!!! Name Containing A Backslash - Left Out Of This Update: !!!", ChildPath(dir, name));
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

bool BuildChildPath(AppState& s, std::string_view dir, std::string_view name, PathText* out) {
  const std::string path = ChildPath(dir, name);
  if (out->Assign(path)) return true;
  ReportPathTooLong(s, path);
  return false;
}

}  // namespace velqo
