#include "ui/logic/tools.h"

#include "common/platform/attributes.h"
#include "common/platform/platform_ops.h"
#include "config/config_texts.h"
#include "config/ini_load.h"
#include "config/ini_locate.h"
#include "ui/logic/texts.h"

namespace velqo::ui {

namespace {

constexpr std::string_view kNoLogValue = "A";

void Warn(AppState& s, std::string_view text, std::string_view caption) {
  s.host.MessageBox(text, caption, Icon::kWarning, Buttons::kOk);
}

// The log named by LastLogFile when it is there; else says why not.
bool CurrentLog(AppState& s, std::string* path) {
  *path = ProgramSection(s).ReadText("LastLogFile", kNoLogValue, 256);
  if (*path == kNoLogValue) {
    Warn(s, "No Log File Exists", "No Log File");
    return false;
  }
  if (!EntryExists(s.fs, *path)) {
    Warn(s, "No Current Log File Exists", "No Log File");
    return false;
  }
  return true;
}

void Edit(AppState& s, std::string_view path) {
  if (s.fs.RunEditor(path) != -1) return;
  s.host.MessageBox("Error Executing NOTEPAD.EXE - Cannot Edit From Inside Velqo", "No Editor",
                    Icon::kInformation, Buttons::kOk);
}

bool IsLink(Platform& fs, std::string_view path) {
  std::uint32_t attributes = 0;
  return fs.GetAttributes(path, &attributes).ok() && (attributes & kAttrReparsePoint) != 0;
}

}  // namespace

void ViewLog(AppState& s) {
  std::string path;
  if (CurrentLog(s, &path)) Edit(s, path);
}

void ClearLog(AppState& s) {
  std::string path;
  if (!CurrentLog(s, &path)) return;
  if (s.host.MessageBox("Current Log File Will Be Erased. Continue?",
                        "Erase Contents Of Current Log File?", Icon::kQuestion,
                        Buttons::kYesNo) != Answer::kYes) {
    return;
  }
  if (IsLink(s.fs, path)) return;
  s.fs.SetErrorMode(1);
  (void)s.fs.WriteFile(path, {}, WriteMode::kTruncate);
  s.fs.SetErrorMode(0);
}

bool EditIniFile(AppState& s) {
  if (!EntryExists(s.fs, s.places.IniPath)) {
    Warn(s, "No Current INI File Exists", "No INI File");
    return false;
  }
  Edit(s, s.places.IniPath);
  s.host.PumpEvents();
  IniReloadAfterEdit(s);
  return true;
}

void VisitWebSite(AppState& s) {
  if (s.fs.OpenUrl(kMakerWebSite)) return;
  std::string text(kProductTitle);
  text += " Cannot Automatically Access Your Web Browser.  Please Visit Us On The ";
  text += "World Wide Web At ";
  text += kMakerWebSite;
  text += " With Any Browser.";
  s.host.MessageBox(text, kAppTitle, Icon::kNone, Buttons::kOk);
}

std::string AboutProductText() {
  std::string text = "ProVelqo ";
  text += "\u2122 ";
  text += "v5.00";
  text += ".04";
  return text;
}

std::string AboutNotice() {
  return "Made by Tarquel. Velqo keeps two directory trees in step: it copies what is newer, "
         "adds what is missing and, in CleanUp, makes Dir 2 a replica of Dir 1, writing every "
         "action to its update log.";
}

}  // namespace velqo::ui
