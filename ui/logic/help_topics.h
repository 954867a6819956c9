#pragma once

#include <span>
#include <string>
#include <string_view>

#include "common/platform/platform.h"

namespace velqo::ui {

// Help contexts: the main window's top bar and menus, and the options
// dialog's pages. 0 asks for the contents page.
inline constexpr int kHelpContents = 0;
inline constexpr int kHelpIncExc = 21;
inline constexpr int kHelpLogFile = 34;
inline constexpr int kHelpOperatingMode = 47;
inline constexpr int kHelpSwitches = 48;
inline constexpr int kHelpView = 49;

struct HelpTopic {
  int context;
  std::string_view file;  // in the help folder of the data directory
};

// Every topic shipped, the contents page first.
std::span<const HelpTopic> HelpTopics();

// The topic's file name; an unknown context gives the contents page.
std::string_view HelpTopicFile(int context);

// The host path of a topic's file in the data directory, or empty when the
// data directory has no host form.
std::string HelpTopicHostPath(Platform& fs, int context);

}  // namespace velqo::ui
