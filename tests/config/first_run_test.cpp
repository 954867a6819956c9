#include <map>

#include "common/platform/platform_wrapper.h"
#include "config/option_keys.h"
#include "tests/config/config_fixture.h"

namespace velqo::testing {
namespace {

class FirstRun : public ConfigTest {};

TEST_F(FirstRun, WritesEveryKeyWithItsFirstRunValue) {
  ASSERT_TRUE(Start());
  const std::string prog = fs->ProgramDirectory();
  const std::map<std::string, std::string> expected = {
      {"VelqoOnly", "1"}, {"Add1To2", "0"}, {"AddBothWays", "0"}, {"CleanUp", "0"},
      {"ConfirmEveryFile", "1"}, {"CreateBackup", "1"}, {"CreateNewDir", "0"},
      {"SelectSeparate", "1"}, {"UseDir1", "0"}, {"UseDir1And", "0"}, {"UseSubOnly", "0"},
      {"UseBatchFile", "0"}, {"IgnoreOptUpd", "0"}, {"Incl", "0"}, {"ArchiveFilter", "2"},
      {"ReadOnlyFilter", "0"}, {"HiddenFilter", "0"}, {"SystemFilter", "0"}, {"ExclDays", "0"},
      {"DeleteExclDays", "0"}, {"IncHidDir", "0"}, {"IncRODir", "1"}, {"IncArcDir", "0"},
      {"IncSysDir", "0"}, {"InclFile", "0"}, {"ExclDaysInt", "5"}, {"ExclDaysDriveString", ""},
      {"ExtString", ""}, {"FileString", ""}, {"Brief", "0"}, {"DIRDEL", "0"}, {"JFDI", "0"},
      {"Quiet", "0"}, {"XATTR", "0"}, {"EnableLog", "0"}, {"AutoGenerateFile", "1"},
      {"AppendToFile", "1"}, {"LogFilePath", prog + "\\LOG"}, {"ShowHints", "1"},
      {"OneWay", "0"}, {"IncDotDir", "0"},
      {"Path1", "c:\\"}, {"Path2", "c:\\"}, {"MainSkin", "Gray Ghost"}, {"MainLeft", "10"},
      {"MainTop", "10"}, {"MainWidth", "600"}, {"MainHeight", "240"}};
  for (const auto& [key, value] : expected) EXPECT_EQ(Value(key), value) << key;
  // Exactly those keys, each once.
  const auto keys = IniDocument::Parse(ReadHost(ProgIni())).KeyNames("WINVELQO");
  EXPECT_EQ(keys.size(), expected.size());
  EXPECT_TRUE(std::filesystem::is_directory(sandbox.ProgramDir() + "/LOG"));
  for (const OptionKey& key : AllOptionKeys()) {
    EXPECT_EQ(OptionKeyValue(state->opt.ActiveOptions, key), expected.at(std::string(key.name)));
    EXPECT_EQ(OptionKeyValue(state->opt.SessionOptions, key), expected.at(std::string(key.name)));
    EXPECT_EQ(OptionKeyValue(Defaults(), key), expected.at(std::string(key.name)));
  }
  EXPECT_EQ(state->Path1.view(), "c:\\");
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(FirstRun, UnderReadOnlyPathsKeepsStoredPathsAndCreatesMissingOnes) {
  WriteHost(ProgIni(), "[WINVELQO]\r\nPath1=D:\\\r\n");
  ASSERT_TRUE(Start({"velqo", "/G"}));
  EXPECT_EQ(Value("Path1"), "D:\\");
  EXPECT_EQ(Value("Path2"), fs->ProgramDirectory());
  EXPECT_EQ(Value("VelqoOnly"), "1");
  EXPECT_EQ(state->Path1.view(), "D:\\");
}

// A platform on which the INI file can never be written.
class NoIniWrites : public PlatformWrapper {
 public:
  using PlatformWrapper::PlatformWrapper;
  Status WriteFile(std::string_view path, std::string_view contents, WriteMode mode,
                   const FileAccess& access = {}) override {
    if (path.ends_with("WINVELQO.INI")) return Status::AccessDenied("test");
    return PlatformWrapper::WriteFile(path, contents, mode, access);
  }
};

TEST_F(FirstRun, AFileThatCannotBeWrittenLeavesTheSessionOnFirstRunValues) {
  NoIniWrites platform(*fs);
  UsePlatform(platform);
  ASSERT_TRUE(Start({"velqo", "/J"}));
  EXPECT_FALSE(std::filesystem::exists(ProgIni()));
  EXPECT_GT(Count("Error in writing to WINVELQO.INI - ReSelect Options"), 0);
  EXPECT_EQ(Defaults().VelqoOnly, 1);
  EXPECT_EQ(Defaults().ExclDaysInt, 5);
  // The switch still folds in, with its consequences.
  EXPECT_EQ(Defaults().JFDI, 1);
  EXPECT_EQ(Defaults().ConfirmEveryFile, 0);
  EXPECT_EQ(Defaults().EnableLog, 1);
  EXPECT_EQ(state->opt.SessionOptions.JFDI, 1);
}

}  // namespace
}  // namespace velqo::testing
