// The bash completion script, run in bash: it offers exactly the options of
// the option table, and for each value the kind of name it takes.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/option_table.h"
#include "tests/cli/child_process.h"
#include "tests/support/sandbox.h"

namespace velqo::cli {
namespace {

const std::string kScript = std::string(VELQO_SOURCE_DIR) + "/cli/velqo-cli.bash-completion";

class Completion : public ::testing::Test {
 protected:
  // What the script offers for the last word of words (words[0] is the
  // command), one entry per line, in the order given.
  std::vector<std::string> Complete(const std::vector<std::string>& words) {
    std::vector<std::string> args = {
        "--norc", "--noprofile", "-c",
        "source \"$1\" || exit 9; shift; COMP_CWORD=$(($# - 1)); COMP_WORDS=(\"$@\"); "
        "_velqo_cli; printf '%s\\n' \"${COMPREPLY[@]}\"",
        "bash", kScript};
    args.insert(args.end(), words.begin(), words.end());
    const testing::ChildResult r = testing::RunProgram("/bin/bash", args, {"PATH=/usr/bin:/bin"},
                                                       sandbox_.HostPath(kDir), "");
    EXPECT_EQ(r.exit_status, 0) << r.err;
    std::vector<std::string> lines;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty()) lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
  }

  // Where completion runs, and the names it finds there.
  static constexpr const char* kDir = "E:\\here";
  void SetUp() override {
    sandbox_.MakeDir(std::string(kDir) + "\\logs");
    sandbox_.WriteFile(std::string(kDir) + "\\list.txt", "");
  }

  velqo::testing::Sandbox sandbox_;
};

TEST_F(Completion, OffersExactlyTheOptionsOfTheTable) {
  std::set<std::string> expected_long = {"--"};
  std::set<std::string> expected_short;
  for (const CliOption& o : Options()) {
    expected_long.insert("--" + std::string(o.name) + (o.value.empty() ? "" : "="));
    if (o.short_name != 0) expected_short.insert(std::string("-") + o.short_name);
  }
  const std::vector<std::string> long_offered = Complete({"velqo-cli", "--"});
  EXPECT_EQ(std::set<std::string>(long_offered.begin(), long_offered.end()), expected_long);
  std::set<std::string> short_offered;
  for (const std::string& word : Complete({"velqo-cli", "-"})) {
    if (word.size() == 2 && word != "--") short_offered.insert(word);
  }
  EXPECT_EQ(short_offered, expected_short);
  EXPECT_EQ(Complete({"velqo-cli", "--exclude-f"}), std::vector<std::string>{"--exclude-from="});
}

TEST_F(Completion, EachValueGetsTheKindOfNameItTakes) {
  const std::vector<std::string> dirs = Complete({"velqo-cli", "l"});
  EXPECT_EQ(dirs, std::vector<std::string>{"logs"});
  EXPECT_EQ(Complete({"velqo-cli", "--exclude-from", "=", "li"}), std::vector<std::string>{"list.txt"});
  EXPECT_EQ(Complete({"velqo-cli", "--exclude-from", "l"}),
            (std::vector<std::string>{"list.txt", "logs"}));
  EXPECT_EQ(Complete({"velqo-cli", "--exclude-from=li"}), std::vector<std::string>{"--exclude-from=list.txt"});
  EXPECT_EQ(Complete({"velqo-cli", "--log-dir", "=", "l"}), std::vector<std::string>{"logs"});
  EXPECT_EQ(Complete({"velqo-cli", "--log-dir", "="}), std::vector<std::string>{"logs"});
  EXPECT_TRUE(Complete({"velqo-cli", "--exclude", "l"}).empty());
  EXPECT_TRUE(Complete({"velqo-cli", "--max-delete", "=", "1"}).empty());
  // After "--" every word is a directory, even one that looks like an option.
  EXPECT_EQ(Complete({"velqo-cli", "--", "l"}), std::vector<std::string>{"logs"});
  EXPECT_TRUE(Complete({"velqo-cli", "--", "--"}).empty());
}

}  // namespace
}  // namespace velqo::cli
