#include "config/config_texts.h"
#include "config/ini_writers.h"
#include "tests/config/config_fixture.h"

namespace velqo::testing {
namespace {

class IniWriters : public ConfigTest {
 protected:
  void SetUp() override {
    sandbox.MakeDir("C:\\work");
    WriteHost(ProgIni(), FullIni());
  }
};

TEST_F(IniWriters, CloseWriterStoresANormalWindowForAFullScreenOne) {
  ASSERT_TRUE(Start());
  host.dir1 = "C:\\work";
  host.dir2 = "D:\\";
  WriteOnClose(*state, {-4, -4, 1928, 1088}, 1920, 1080);
  EXPECT_EQ(Value("MainLeft"), "10");
  EXPECT_EQ(Value("MainTop"), "10");
  EXPECT_EQ(Value("MainHeight"), "240");
  EXPECT_EQ(Value("MainWidth"), "600");
  EXPECT_EQ(Value("MainSkin"), "None");
  EXPECT_EQ(Value("Path1"), "C:\\work");
  WriteOnClose(*state, {3, 4, 1928, 700}, 1920, 1080);
  EXPECT_EQ(Value("MainWidth"), "1928");
  EXPECT_EQ(Value("MainLeft"), "3");
}

TEST_F(IniWriters, OnlyExistingDirectoriesAreStoredAndHostPathsInWindowsForm) {
  ASSERT_TRUE(Start());
  host.dir1 = sandbox.DriveDir('c') + "/work";
  host.dir2 = "D:\\gone";
  WriteOnClose(*state, {1, 1, 500, 400}, 1920, 1080);
  EXPECT_EQ(Value("Path1"), "C:\\work");
  EXPECT_EQ(Value("Path2"), "D:\\");
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{std::string(kPath2Invalid)});
  EXPECT_EQ(state->Path1.view(), "C:\\work");
}

TEST_F(IniWriters, APathThatCannotBeStoredIsRefusedWithTheFailureBox) {
  ASSERT_TRUE(Start());
  sandbox.MakeDir("C:\\a\nb");
  host.dir1 = "C:\\a\nb";
  host.dir2 = "C:\\work";
  WriteOnClose(*state, {1, 1, 500, 400}, 1920, 1080);
  EXPECT_EQ(Count(std::string(kIniWriteFailed)), 1);
  EXPECT_EQ(Value("Path1"), "C:\\");
  EXPECT_EQ(Value("Path2"), "C:\\work");
  EXPECT_EQ(ReadHost(ProgIni()).find("a\nb"), std::string::npos);
}

TEST_F(IniWriters, ReadOnlyPathsAreNeverWritten) {
  ASSERT_TRUE(Start({"velqo", "/G"}));
  host.dir1 = "C:\\work";
  host.dir2 = "C:\\work";
  WriteOnClose(*state, {1, 1, 500, 400}, 1920, 1080);
  WriteDefaults(*state, false);
  EXPECT_EQ(Value("Path1"), "C:\\");
  EXPECT_EQ(Value("Path2"), "D:\\");
  EXPECT_EQ(Value("MainLeft"), "1");
}

TEST_F(IniWriters, BatchMethodStoresTheBatchNumberInsteadOfPaths) {
  WriteHost(ProgIni(), FullIni({{"UseBatchFile", "1"}, {"LastBatch", "3"}}));
  ASSERT_TRUE(Start());
  host.dir1 = "C:\\work";
  state->places.LastBatch = 2;
  WriteOnClose(*state, {1, 1, 500, 400}, 1920, 1080);
  EXPECT_EQ(Value("LastBatch"), "2");
  EXPECT_EQ(Value("Path1"), "C:\\");
}

TEST_F(IniWriters, DefaultsWriterStoresTheActiveSetAndReloads) {
  ASSERT_TRUE(Start({"velqo", "/B"}));
  state->opt.ActiveOptions.CleanUp = 1;
  (void)state->opt.ActiveOptions.ExtString.Assign("txt\ndoc");
  (void)state->opt.ActiveOptions.FileString.Assign("a.txt");
  host.dir1 = "C:\\work";
  host.dir2 = "D:\\";
  WriteDefaults(*state, false);
  EXPECT_EQ(Value("CleanUp"), "1");
  EXPECT_EQ(Value("Brief"), "1");  // the switch made it a default
  EXPECT_EQ(Value("FileString"), "a.txt");
  EXPECT_EQ(Value("ExtString"), "");  // refused, left as it was
  EXPECT_EQ(Value("Path1"), "C:\\work");
  EXPECT_EQ(Count(std::string(kIniWriteFailed)), 1);
  EXPECT_EQ(Defaults().CleanUp, 1);
  EXPECT_EQ(state->opt.SessionOptions.CleanUp, 1);
  EXPECT_EQ(state->opt.ActiveOptions.ExtString.view(), "");
}

}  // namespace
}  // namespace velqo::testing
