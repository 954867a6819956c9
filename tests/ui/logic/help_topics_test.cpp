#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "ui/logic/help_topics.h"

namespace velqo::ui {
namespace {

std::string ReadTopic(std::string_view file) {
  std::ifstream in(std::string(VELQO_HELP_DIR) + "/" + std::string(file));
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(HelpTopicsTest, EveryContextHasAnExistingTopic) {
  std::set<int> contexts;
  for (const HelpTopic& topic : HelpTopics()) {
    contexts.insert(topic.context);
    EXPECT_TRUE(std::filesystem::is_regular_file(std::string(VELQO_HELP_DIR) + "/" + std::string(topic.file)))
        << topic.file;
  }
  EXPECT_EQ(contexts, (std::set<int>{0, 12, 21, 24, 34, 40, 42, 46, 47, 48, 49}));
  EXPECT_EQ(HelpTopicFile(999), HelpTopicFile(kHelpContents));
}

// A broken link would leave the reader on an empty page.
TEST(HelpTopicsTest, LinksBetweenTopicsLeadToTopicsAndAnchorsThatExist) {
  const std::regex link("href=\"([a-z0-9-]+\\.html)?(#([a-z0-9-]+))?\"");
  const std::regex anchor("id=\"([a-z0-9-]+)\"");
  int links = 0;
  for (const HelpTopic& topic : HelpTopics()) {
    const std::string text = ReadTopic(topic.file);
    EXPECT_NE(text.find("<title>"), std::string::npos) << topic.file;
    for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it) {
      ++links;
      const std::string target = (*it)[1].matched ? (*it)[1].str() : std::string(topic.file);
      const std::string target_text = ReadTopic(target);
      ASSERT_FALSE(target_text.empty()) << topic.file << " links to " << target;
      if (!(*it)[3].matched) continue;
      bool found = false;
      for (std::sregex_iterator a(target_text.begin(), target_text.end(), anchor), e; a != e && !found; ++a) {
        found = (*a)[1].str() == (*it)[3].str();
      }
      EXPECT_TRUE(found) << topic.file << " links to " << target << "#" << (*it)[3].str();
    }
  }
  EXPECT_GT(links, 20);
}

}  // namespace
}  // namespace velqo::ui
