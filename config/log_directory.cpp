#include "config/log_directory.h"

#include "common/platform/platform_ops.h"
#include "config/config_texts.h"
#include "config/ini_locate.h"

namespace velqo {

std::string FirstRunLogDirectory(const AppState& s) { return ChildPath(IniDirectory(s), "LOG"); }

void EnsureLogDirectory(AppState& s, std::string_view shown) {
  OptionSet& d = s.opt.DefaultOptions;
  // MakeDirPath reports an empty text as made; an empty path is no directory.
  if (!d.LogFilePath.empty() && MakeDirPath(s.fs, d.LogFilePath.view()).empty()) return;
  std::string text = "The Directory Indicated To Store The Log Files - ";
  text += shown;
  // A link or a file of that name is never written through, so it is not
  // called missing: the message says what is there.
  if (!d.LogFilePath.empty() && EntryExists(s.fs, d.LogFilePath.view())) {
    text += " Is Not A Directory (A Symbolic Link Or A File Has Its Name). ";
    text += "Please Examine The Setting (In Options|Log File) To Be ";
  } else {
    text += " Does Not Exist And An Attempt To Create It Automatically Has ";
    text += "Failed. Please Examine The Setting (In Options|Log File) To Be ";
  }
  text += "Sure The Setting Points ";
  text += "To A Drive Which You Can Write To. The Enable Log Setting Will Be ";
  text += "Disabled Until This Problem Is Fixed.";
  s.host.MessageBox(text, kCautionCaption, Icon::kWarning, Buttons::kOk);
  d.EnableLog = 0;
}

}  // namespace velqo
