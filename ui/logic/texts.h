#pragma once

#include <string_view>

namespace velqo::ui {

// The application title; a running copy is known by it.
inline constexpr std::string_view kAppTitle = "ProVelqo";
// The window caption: the edition with its trailing space, then the version.
inline constexpr std::string_view kProductTitle = "ProVelqo v5.00";
inline constexpr std::string_view kHelpFileName = "WINVELQO50.HLP";

inline constexpr std::string_view kStoredPathsInvalid =
    "One Or Both Of The Stored Directory Paths Are No Longer Valid. The Invalid Path(s) Have "
    "Been Set To C:\\ And Any AutoStart Operation Aborted.";

// Help contexts of the menus and the top bar.
inline constexpr int kHelpTopBar = 12;
inline constexpr int kHelpFileMenu = 24;
inline constexpr int kHelpOptionsMenu = 40;
inline constexpr int kHelpDemoMenu = 42;
inline constexpr int kHelpHelpMenu = 46;

// The confirmation and status windows' sizes by the large-caption setting.
struct WindowSize {
  int width;
  int height;
};
inline constexpr WindowSize kConfSize[2] = {{540, 253}, {674, 313}};
inline constexpr WindowSize kRevCSize[2] = {{540, 266}, {674, 336}};
inline constexpr WindowSize kDelSize[2] = {{540, 253}, {674, 247}};
inline constexpr WindowSize kStatSize[2] = {{540, 209}, {674, 257}};

}  // namespace velqo::ui
