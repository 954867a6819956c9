// Where velqo-cli keeps its settings and logs.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "tests/cli/cli_fixture.h"

namespace velqo::cli {
namespace {

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

class Places : public CliEndToEnd {
 protected:
  void FirstRunAndSource() {
    ASSERT_EQ(Run({}).exit_status, 0);
    SetIni({{"ConfirmEveryFile", "0"}, {"EnableLog", "1"}, {"AutoGenerateFile", "1"}});
    sandbox.WriteFile("C:\\src\\a.txt", "a");
    sandbox.MakeDir("D:\\dst");
  }
};

TEST_F(Places, LogsGoToThePrivateStateDirectoryByIsoDate) {
  FirstRunAndSource();
  fsys::remove_all(sandbox.root() + "/state");
  const ChildResult r = Run({"--add", "C:\\src", "D:\\dst"});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(ModeOf(LogDir()), 0700u);
  std::vector<std::string> logs;
  for (const auto& e : fsys::directory_iterator(LogDir())) logs.push_back(e.path().filename());
  ASSERT_EQ(logs.size(), 1u);
  // YYYY-MM-DD.log
  ASSERT_EQ(logs[0].size(), 14u) << logs[0];
  EXPECT_EQ(logs[0][4], '-');
  EXPECT_EQ(logs[0][7], '-');
  EXPECT_EQ(logs[0].substr(10), ".log");
  EXPECT_NE(ReadText(LogDir() + "/" + logs[0]).find("a.txt"), std::string::npos);
  // Nothing went to the windowed program's log directory.
  EXPECT_TRUE(!fsys::exists(sandbox.ProgramDir() + "/LOG") ||
              fsys::is_empty(sandbox.ProgramDir() + "/LOG"));
}

TEST_F(Places, APreviewMakesNoStateDirectory) {
  FirstRunAndSource();
  fsys::remove_all(sandbox.root() + "/state");
  const ChildResult r = Run({"-n", "--add", "C:\\src", "D:\\dst"});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_FALSE(fsys::exists(sandbox.root() + "/state"));
  EXPECT_EQ(r.out.find("will be created"), std::string::npos) << r.out;
}

TEST_F(Places, LogFileNamesTheLogOfOneRun) {
  FirstRunAndSource();
  const std::string file = sandbox.root() + "/my-run.log";
  const ChildResult r = Run({"--add", "--log-file=" + file, "C:\\src", "D:\\dst"});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_NE(ReadText(file).find("a.txt"), std::string::npos);
  EXPECT_TRUE(!fsys::exists(LogDir()) || fsys::is_empty(LogDir()));
}

TEST_F(Places, AMissingSettingsDirectoryIsMadePrivateWithItsParents) {
  config_home_ = sandbox.root() + "/fresh/config/home";
  const ChildResult r = Run({});
  EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
  for (const std::string& dir : {sandbox.root() + "/fresh", sandbox.root() + "/fresh/config",
                                 config_home_, config_home_ + "/velqo"}) {
    EXPECT_EQ(ModeOf(dir), 0700u) << dir;
  }
}

}  // namespace
}  // namespace velqo::cli
