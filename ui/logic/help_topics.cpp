#include "ui/logic/help_topics.h"

#include "common/platform/platform_ops.h"

namespace velqo::ui {

namespace {

constexpr HelpTopic kTopics[] = {
    {kHelpContents, "index.html"},       {12, "toolbar.html"},
    {kHelpIncExc, "include-exclude.html"}, {24, "file-menu.html"},
    {kHelpLogFile, "log-file.html"},     {40, "options-menu.html"},
    {42, "demonstration.html"},          {46, "help-menu.html"},
    {kHelpOperatingMode, "operating-modes.html"}, {kHelpSwitches, "switches.html"},
    {kHelpView, "appearance.html"},
};

}  // namespace

std::span<const HelpTopic> HelpTopics() { return kTopics; }

std::string_view HelpTopicFile(int context) {
  for (const HelpTopic& topic : kTopics) {
    if (topic.context == context) return topic.file;
  }
  return kTopics[0].file;
}

std::string HelpTopicHostPath(Platform& fs, int context) {
  const std::string windows = ChildPath(ChildPath(fs.DataDirectory(), "help"), HelpTopicFile(context));
  std::string host;
  if (!fs.ToHostPath(windows, &host).ok()) return {};
  return host;
}

}  // namespace velqo::ui
