#include "config/startup.h"

#include "config/config_texts.h"
#include "config/ini_load.h"
#include "config/ini_locate.h"
#include "config/switches.h"

namespace velqo {

bool StartConfiguration(AppState& s, const std::vector<std::string>& args) {
  std::string windows_dir;
  if (!s.fs.WindowsDirectory(&windows_dir).ok() || windows_dir.empty()) {
    s.host.MessageBox(kNoWindowsDir, kErrorCaption, Icon::kWarning, Buttons::kOk);
    return false;
  }
  s.places.WindowsDir = windows_dir;
  s.places.ProgramDir = s.fs.ProgramDirectory();
  ParseSwitches(s, args);
  LocateIniFile(s);
  IniLoad(s);
  return true;
}

}  // namespace velqo
