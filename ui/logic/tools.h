#pragma once

#include <string>
#include <string_view>

#include "config/app_state.h"

namespace velqo::ui {

// The maker's home page, opened by the Help menu's web-site item.
inline constexpr std::string_view kMakerWebSite = "https://tarquel.example/velqo/";

// "View Log File": opens the log named by LastLogFile in the editor.
void ViewLog(AppState& s);

// "Clear Log File": after the question, leaves the log empty. A log that
// cannot be emptied is not reported; one that is a symbolic link is left
// alone, so that emptying it can never reach another file.
void ClearLog(AppState& s);

// "Edit WINVELQO.INI...": opens the INI file in the editor, then reads it
// again whatever the editor did. False when there is no INI file (nothing
// was read); the main window re-shows itself otherwise.
bool EditIniFile(AppState& s);

// The web-site item: opens the page in the browser, or says where it is.
void VisitWebSite(AppState& s);

// The about box's texts.
std::string AboutProductText();
std::string AboutNotice();

}  // namespace velqo::ui
