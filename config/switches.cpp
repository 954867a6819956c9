#include "config/switches.h"

#include <array>
#include <string_view>

#include "common/platform/platform_ops.h"
#include "config/config_texts.h"

namespace velqo {

namespace {

// A switch that sets a flag and, unless quiet, shows an alert.
struct AlertSwitch {
  std::string_view name;
  int SwitchFlags::*flag;
  std::string_view alert;
};

// In the order the arguments are tested.
constexpr std::array<AlertSwitch, 5> kAlertSwitches = {{
    {"/O", &SwitchFlags::XattrSwitch, kAlertXattr},
    {"/B", &SwitchFlags::BriefSwitch, kAlertBrief},
    {"/G", &SwitchFlags::PathsReadOnly, kAlertPathsReadOnly},
    {"/J", &SwitchFlags::JfdiSwitch, kAlertJfdiAtReading},
    {"/E", &SwitchFlags::DirDelSwitch, kAlertDirDel},
}};

bool TakeModeSwitch(AppState& s, std::string_view arg) {
  if (EqualsIgnoreCase(arg, "/I")) {
    s.sw.IntlTest = 1;
  } else if (EqualsIgnoreCase(arg, "/D")) {
    s.sw.DebugMode = 1;
    MBDebug(s, "Debug Mode Is ON", "Debug Alert");
  } else if (EqualsIgnoreCase(arg, "/Q")) {
    s.sw.QuietSwitch = 1;
    MBDebug(s, "Quiet Mode Is ON", "Quiet");
  } else if (EqualsIgnoreCase(arg, "/A")) {
    s.sw.AutoStart = 1;
    s.sw.QuietSwitch = 1;
    MBDebug(s, "AutoStart Is ON", "AutoStart");
  } else {
    return false;
  }
  return true;
}

void TakeArgument(AppState& s, std::string_view arg) {
  if (TakeModeSwitch(s, arg)) return;
  for (const AlertSwitch& sw : kAlertSwitches) {
    if (!EqualsIgnoreCase(arg, sw.name)) continue;
    // Quiet counts only when it came in an earlier argument.
    const bool quiet = s.sw.QuietSwitch != 0;
    s.sw.*sw.flag = 1;
    if (!quiet) s.host.MessageBox(sw.alert, kCautionCaption, Icon::kWarning, Buttons::kOk);
    return;
  }
}

}  // namespace

void ParseSwitches(AppState& s, const std::vector<std::string>& args) {
  for (const std::string& arg : args) TakeArgument(s, arg);
}

}  // namespace velqo
