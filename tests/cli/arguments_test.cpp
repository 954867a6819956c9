#include "cli/arguments.h"

#include <gtest/gtest.h>

#include "tests/support/sandbox.h"

namespace velqo::cli {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLineTest, SortsSwitchesPathsAndTheRest) {
  const CommandLine line = ParseCommandLine(
      {"/usr/bin/velqo-cli", "/j", "/home/ann/docs", "/x", "-A", "C:\\work", "~/third", "junk"});
  EXPECT_FALSE(line.help);
  EXPECT_EQ(line.paths, (Args{"/home/ann/docs", "C:\\work"}));
  EXPECT_EQ(line.ignored, (Args{"/x", "-A", "~/third", "junk"}));
}

TEST(CommandLineTest, ProgramPathIsNeverADirectory) {
  const CommandLine line = ParseCommandLine({"/opt/velqo/bin/velqo-cli", "/A", "/Q"});
  EXPECT_TRUE(line.paths.empty());
  EXPECT_TRUE(line.ignored.empty());
}

TEST(CommandLineTest, RecognisesHelpVersionAndEveryPathForm) {
  EXPECT_TRUE(ParseCommandLine({"p", "--help"}).help);
  EXPECT_TRUE(ParseCommandLine({"p", "/B", "--version"}).version);
  EXPECT_EQ(ParseCommandLine({"p", "c:/w", "~"}).paths, (Args{"c:/w", "~"}));
  EXPECT_EQ(ParseCommandLine({"p", ".", "../up"}).paths, (Args{".", "../up"}));
  EXPECT_EQ(ParseCommandLine({"p", "/", "/ab"}).paths, (Args{"/", "/ab"}));
  EXPECT_EQ(ParseCommandLine({"p", "docs", "-h", "--dry-run"}).ignored,
            (Args{"docs", "-h", "--dry-run"}));
}

TEST(CommandLineTest, SwitchesAreSlashAndOneOfNineLettersInEitherCase) {
  for (const char* s : {"/A", "/b", "/D", "/e", "/G", "/i", "/J", "/o", "/Q"}) {
    EXPECT_TRUE(IsSwitch(s)) << s;
  }
  for (const char* s : {"/K", "/A1", "-A", "A", "//", "/", "/AB"}) EXPECT_FALSE(IsSwitch(s)) << s;
  EXPECT_TRUE(IsSwitchShaped("/k"));
  EXPECT_FALSE(LooksLikePath("/k"));
}

TEST(CommandLineTest, RelativeFormsBecomeAbsolute) {
  EXPECT_EQ(AbsoluteIfRelative("./docs", "/home/ann"), "/home/ann/./docs");
  EXPECT_EQ(AbsoluteIfRelative("..", "/home/ann/"), "/home/ann/..");
  EXPECT_EQ(AbsoluteIfRelative("/abs", "/home/ann"), "/abs");
  EXPECT_EQ(AbsoluteIfRelative("C:\\w", "/home/ann"), "C:\\w");
}

class ConvertTest : public velqo::testing::SandboxTest {
 protected:
  bool Convert(std::string_view typed, std::string* windows, std::string* why) {
    return ConvertDirectoryArgument(*fs, typed, sandbox.DriveDir('d') + "/work", windows, why);
  }
};

TEST_F(ConvertTest, TurnsHostAndWindowsPathsIntoTheDriveForm) {
  std::string windows;
  std::string why;
  ASSERT_TRUE(Convert(sandbox.DriveDir('d') + "/backup/docs", &windows, &why)) << why;
  EXPECT_EQ(windows, "D:\\backup\\docs");
  ASSERT_TRUE(Convert("./sub", &windows, &why)) << why;
  EXPECT_EQ(windows, "D:\\work\\sub");
  ASSERT_TRUE(Convert("../other", &windows, &why)) << why;
  EXPECT_EQ(windows, "D:\\other");
  ASSERT_TRUE(Convert("e:/x/y", &windows, &why)) << why;
  EXPECT_EQ(windows, "e:\\x\\y");
}

TEST_F(ConvertTest, RefusesPathsLongerThanTheProgramCanHold) {
  std::string windows = "unchanged";
  std::string why;
  EXPECT_FALSE(Convert("C:\\" + std::string(254, 'a'), &windows, &why));
  EXPECT_NE(why.find("256"), std::string::npos);
  EXPECT_EQ(windows, "unchanged");
  EXPECT_FALSE(Convert(sandbox.DriveDir('d') + "/" + std::string(260, 'b'), &windows, &why));
  EXPECT_NE(why.find("256"), std::string::npos);
  EXPECT_TRUE(Convert("C:\\" + std::string(253, 'a'), &windows, &why)) << why;
}

TEST(ConvertUnmapped, RefusesAHostPathNoDriveHolds) {
  velqo::testing::Sandbox sandbox;
  PlatformConfig config = sandbox.Config();
  config.velqo_drives += ";Z=";  // no whole-file-system drive
  auto fs = NewPosixPlatform(config);
  std::string windows;
  std::string why;
  EXPECT_FALSE(ConvertDirectoryArgument(*fs, "/usr/share", "/", &windows, &why));
  EXPECT_NE(why.find("no drive letter maps to it"), std::string::npos);
}

}  // namespace
}  // namespace velqo::cli
