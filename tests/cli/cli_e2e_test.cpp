// End-to-end runs of the built velqo-cli: a copy of the binary in a
// temporary program directory, drives mapped by VELQO_DRIVES, the Windows
// directory under XDG_CONFIG_HOME, started without a shell.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include <sys/stat.h>

#include "tests/cli/cli_fixture.h"

namespace velqo::cli {
namespace {

using testing::ChildProcess;

TEST_F(CliEndToEnd, FirstRunWritesTheIniFileBesideTheProgramWithItsLogDirectory) {
  const ChildResult r = Run({});
  EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
  ASSERT_TRUE(fsys::exists(IniPath()));
  EXPECT_EQ(IniValue("VelqoOnly"), "1");
  EXPECT_EQ(IniValue("ConfirmEveryFile"), "1");
  EXPECT_EQ(IniValue("Path1"), "c:\\");
  EXPECT_EQ(IniValue("MainSkin"), "Gray Ghost");
  EXPECT_TRUE(fsys::is_directory(sandbox.ProgramDir() + "/LOG"));
  EXPECT_FALSE(fsys::exists(sandbox.WindowsDir() + "/WINVELQO.INI"));
  // c:\ against itself: every file equals its namesake.
  EXPECT_EQ(LastLine(r.out), "No Update Necessary Under Selected Options");
}

TEST_F(CliEndToEnd, UnderJCopiesATreeGivenAsHostPathsWithoutAskingAndWritesTheLog) {
  FirstRunThenAddToDir2("1");
  SetIni({{"EnableLog", "0"}, {"CreateNewDir", "0"}});
  MakeSource();
  sandbox.WriteFile("C:\\src\\sub\\deep.txt", "deep");
  sandbox.SetMtime("C:\\src\\sub\\deep.txt", 1700000100);

  const ChildResult r = Run({"/J", sandbox.HostPath("C:\\src"), "/junk", sandbox.HostPath("D:\\dst")});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(sandbox.ReadFile("D:\\dst\\b.txt"), "data of b.txt");
  EXPECT_EQ(sandbox.Mtime("D:\\dst\\b.txt"), 1700000000);
  EXPECT_EQ(sandbox.ReadFile("D:\\dst\\sub\\deep.txt"), "deep");
  EXPECT_EQ(sandbox.Mtime("D:\\dst\\sub\\deep.txt"), 1700000100);
  EXPECT_EQ(r.out.find("[Velqo Confirmation]"), std::string::npos);
  EXPECT_EQ(r.out.find("Do You Wish To Create"), std::string::npos);
  // Everything printed names host paths, whichever form was typed.
  EXPECT_NE(r.out.find("Updating Directory " + sandbox.HostPath("C:\\src\\sub") + "\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(LastLine(r.out), "Update Completed");
  EXPECT_NE(r.err.find("ignoring \"/junk\": it is not a switch"), std::string::npos);
  // No progress drawing when standard error is not a terminal.
  EXPECT_EQ(r.err.find('\r'), std::string::npos);

  // The log, forced on by /J, is where LastLogFile says; the stored paths
  // are untouched, as velqo-cli never saves the window's state.
  std::vector<std::string> logs;
  for (const auto& e : fsys::directory_iterator(LogDir())) logs.push_back(e.path().string());
  ASSERT_EQ(logs.size(), 1u);
  const std::string log = ReadText(logs[0]);
  EXPECT_NE(log.find("deep.txt"), std::string::npos);
  EXPECT_NE(log.find("Update Completed"), std::string::npos);
  EXPECT_NE(IniValue("LastLogFile").find(fsys::path(logs[0]).filename().string()),
            std::string::npos);
  EXPECT_EQ(IniValue("Path1"), "c:\\");
  EXPECT_EQ(IniValue("Path2"), "c:\\");
  EXPECT_EQ(IniValue("EnableLog"), "0");
}

TEST_F(CliEndToEnd, BriefSwitchLeavesTheCopiesOutOfTheLog) {
  FirstRunThenAddToDir2();
  MakeSource();
  const ChildResult r = Run({"/J", "/B", "C:\\src", "D:\\dst"});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(sandbox.ReadFile("D:\\dst\\a.txt"), "data of a.txt");
  const std::string log_path = LogDir();
  ASSERT_FALSE(fsys::is_empty(log_path));
  for (const auto& e : fsys::directory_iterator(log_path)) {
    EXPECT_EQ(ReadText(e.path().string()).find("a.txt"), std::string::npos);
  }
}

TEST_F(CliEndToEnd, AnswersOnStandardInputDriveTheConfirmations) {
  FirstRunThenAddToDir2();
  MakeSource();
  const ChildResult r = Run({"C:\\src", "D:\\dst"}, "ok\nNEXT\no\n");
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  // The files are asked in directory order: the second one was passed over.
  std::vector<std::string> asked;
  const std::string tag = "[Velqo Confirmation] " + sandbox.HostPath("C:\\src") + "/";
  for (std::size_t at = r.out.find(tag); at != std::string::npos; at = r.out.find(tag, at + 1)) {
    asked.push_back(r.out.substr(at + tag.size(), 5));
  }
  ASSERT_EQ(asked.size(), 3u) << r.out;
  EXPECT_TRUE(sandbox.Exists("D:\\dst\\" + asked[0]));
  EXPECT_FALSE(sandbox.Exists("D:\\dst\\" + asked[1]));
  EXPECT_TRUE(sandbox.Exists("D:\\dst\\" + asked[2]));
  EXPECT_NE(r.out.find(kCopyPrompt + "Next File\n"), std::string::npos);
  EXPECT_EQ(LastLine(r.out), "Update Completed");

  // OK To All: one question for the rest of the pair.
  fsys::remove_all(sandbox.HostPath("D:\\dst"));
  sandbox.MakeDir("D:\\dst");
  const ChildResult all = Run({"C:\\src", "D:\\dst"}, "all\n");
  ASSERT_EQ(all.exit_status, 0) << all.out;
  EXPECT_EQ(Count(all.out, "[Velqo Confirmation]"), 1);
  EXPECT_EQ(DirEntries("D:\\dst"), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
}

TEST_F(CliEndToEnd, EndOfInputCancelsSafely) {
  FirstRunThenAddToDir2();
  MakeSource();
  const ChildResult r = Run({"C:\\src", "D:\\dst"}, "");
  // Nobody cancelled: the run stopped for want of an answer, an error.
  EXPECT_EQ(r.exit_status, 2) << r.out << r.err;
  EXPECT_NE(r.out.find(kCopyPrompt + "Cancel UpDate (end of input)\n"), std::string::npos);
  EXPECT_EQ(Count(r.out, "[Velqo Confirmation]"), 1);
  EXPECT_TRUE(DirEntries("D:\\dst").empty());
  EXPECT_EQ(LastLine(r.out), "Update Cancelled");

  // A missing Dir 2 with no one to say Yes is not created: the run had
  // nothing to work on, an error.
  const ChildResult missing = Run({"C:\\src", "D:\\new"}, "");
  EXPECT_EQ(missing.exit_status, 2) << missing.out;
  EXPECT_NE(missing.out.find("(Yes/No) No (end of input)"), std::string::npos);
  EXPECT_FALSE(sandbox.Exists("D:\\new"));
}

TEST_F(CliEndToEnd, AnUnusableDirectoryIsNamedWithTheReasonAndNothingStarts) {
  FirstRunThenAddToDir2();
  MakeSource();
  const std::string ini = Ini();
  const ChildResult missing = Run({"/J", "C:\\nothing-here", "D:\\dst"});
  EXPECT_EQ(missing.exit_status, 1) << missing.out << missing.err;
  EXPECT_NE(missing.err.find("velqo-cli: cannot use Dir 1 \"C:\\nothing-here\": No such file or "
                             "directory; nothing was changed\n"),
            std::string::npos)
      << missing.err;
  EXPECT_EQ(missing.out.find("Update"), std::string::npos) << missing.out;

  // A file where a directory should be, on either side.
  const std::string file = sandbox.HostPath("C:\\src\\a.txt");
  const ChildResult not_dir1 = Run({"/J", file, "D:\\dst"});
  EXPECT_EQ(not_dir1.exit_status, 1);
  EXPECT_NE(not_dir1.err.find(file + "\": it is not a directory"), std::string::npos) << not_dir1.err;
  const ChildResult not_dir2 = Run({"/J", "C:\\src", file});
  EXPECT_EQ(not_dir2.exit_status, 1);
  EXPECT_NE(not_dir2.err.find("cannot use Dir 2"), std::string::npos) << not_dir2.err;
  EXPECT_EQ(Ini(), ini);
  EXPECT_EQ(sandbox.ReadFile("C:\\src\\a.txt"), "data of a.txt");
}

TEST_F(CliEndToEnd, StoredPathsThatNoLongerExistStopTheRunBeforeItStarts) {
  FirstRunThenAddToDir2();
  MakeSource();
  SetIni({{"Path1", "C:\\src"}, {"Path2", "D:\\gone"}});
  const ChildResult r = Run({});
  EXPECT_EQ(r.exit_status, 1) << r.out << r.err;
  EXPECT_NE(r.err.find("[ProVelqo] One Or Both Of The Stored Directory Paths Are No Longer "
                       "Valid. The Invalid Path(s) Have Been Set To " +
                       sandbox.HostPath("C:\\") + " And Any AutoStart Operation Aborted.\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.out.find("Updating Directory"), std::string::npos);
  EXPECT_EQ(IniValue("Path2"), "D:\\gone");

  // With both present the stored pair is updated.
  sandbox.MakeDir("D:\\gone");
  const ChildResult ok = Run({"/J"});
  EXPECT_EQ(ok.exit_status, 0) << ok.out;
  EXPECT_EQ(sandbox.ReadFile("D:\\gone\\c.txt"), "data of c.txt");
}

TEST_F(CliEndToEnd, WithoutAWindowsDirectoryNothingStarts) {
  config_home_ = sandbox.root() + "/not-a-directory";
  std::ofstream(config_home_) << "x";
  const ChildResult r = Run({});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_NE(r.err.find("[Error] Could Not Find Windows Directory"), std::string::npos);
  EXPECT_FALSE(fsys::exists(IniPath()));
}

TEST_F(CliEndToEnd, PathsReadOnlySwitchKeepsTheProgramDirectoryOnAFirstRun) {
  const ChildResult r = Run({"/g"});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  const std::string path1 = IniValue("Path1");
  EXPECT_NE(path1, "c:\\");
  EXPECT_TRUE(path1.size() > 5 && path1.substr(path1.size() - 5) == "\\prog") << path1;
}

TEST_F(CliEndToEnd, RefusesUnusableArgumentsBeforeWritingAnything) {
  const ChildResult too_long = Run({"C:\\" + std::string(32765, 'x'), "D:\\dst"});
  EXPECT_EQ(too_long.exit_status, 1);
  EXPECT_NE(too_long.err.find("longer than 32767 characters"), std::string::npos);

  const ChildResult single = Run({"C:\\src"});
  EXPECT_EQ(single.exit_status, 1);
  EXPECT_NE(single.err.find("give both DIR1 and DIR2"), std::string::npos);

  drives_ += ";Z=";  // no drive for the rest of the file system
  const ChildResult unmapped = Run({"/usr/share", "D:\\dst"});
  EXPECT_EQ(unmapped.exit_status, 1);
  EXPECT_NE(unmapped.err.find("cannot use Dir 1 \"/usr/share\": no drive letter maps to it"),
            std::string::npos);

  const ChildResult help = Run({"--help"});
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_EQ(help.out.rfind("Usage: velqo-cli [OPTION]... [/SWITCH]... [DIR1 DIR2]\n", 0), 0u);
  const ChildResult version = Run({"/B", "--version"});
  EXPECT_EQ(version.exit_status, 0);
  EXPECT_EQ(version.out, "ProVelqo v5.00\n");

  EXPECT_FALSE(fsys::exists(IniPath()));
  EXPECT_FALSE(sandbox.Exists("D:\\dst"));
}

TEST_F(CliEndToEnd, BatchMethodRunsTheSelectedBatchUnlessDirectoriesAreGiven) {
  FirstRunThenAddToDir2();
  MakeSource();
  SetIni({{"UseBatchFile", "1"}, {"CreateNewDir", "1"}, {"ConfirmEveryFile", "0"}});
  AppendIni("[Batch1]\nDescription=Nightly\nDirPair1=C:\\SRC!D:\\ONE\nDirPair2=C:\\src D:\\two\n");
  const ChildResult r = Run({});
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(sandbox.ReadFile("D:\\one\\a.txt"), "data of a.txt");
  EXPECT_EQ(sandbox.ReadFile("D:\\two\\a.txt"), "data of a.txt");

  const ChildResult given = Run({"C:\\src", "D:\\dst"});
  ASSERT_EQ(given.exit_status, 0) << given.out;
  EXPECT_EQ(DirEntries("D:\\dst"), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
  EXPECT_EQ(IniValue("UseBatchFile"), "1");
}

TEST_F(CliEndToEnd, CtrlCAtAQuestionCancelsTheRun) {
  FirstRunThenAddToDir2();
  MakeSource();
  ChildProcess child(program_, {"C:\\src", "D:\\dst"}, Env(), sandbox.root());
  ASSERT_TRUE(child.WaitForOutput(kCopyPrompt, std::chrono::seconds(30)))
      << child.out();
  child.Signal(SIGINT);
  const ChildResult r = child.Finish();
  EXPECT_EQ(r.exit_status, 3) << r.out << r.err;
  EXPECT_NE(r.out.find("Cancel UpDate (interrupted)"), std::string::npos);
  EXPECT_EQ(LastLine(r.out), "Update Cancelled");
  EXPECT_TRUE(DirEntries("D:\\dst").empty());
}

TEST_F(CliEndToEnd, SecondCtrlCStopsAtOnceLeavingNoTemporaryFile) {
  FirstRunThenAddToDir2();
  sandbox.MakeDir("D:\\dst");
  const std::string big = sandbox.HostPath("C:\\src\\big.bin");
  sandbox.WriteFile("C:\\src\\big.bin", "");
  {
    // Data, not a hole: a copy keeps holes without writing them, so a
    // sparse file would be copied at once.
    std::ofstream out(big, std::ios::binary | std::ios::trunc);
    const std::string chunk(1 << 20, 'b');
    for (int i = 0; i < 768; ++i) out << chunk;
  }
  sandbox.WriteFile("D:\\dst\\big.bin", "old contents");
  sandbox.SetMtime("D:\\dst\\big.bin", 1600000000);

  ChildProcess child(program_, {"/J", "C:\\src", "D:\\dst"}, Env(), sandbox.root());
  bool copying = false;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!copying && std::chrono::steady_clock::now() < end) {
    for (const std::string& name : DirEntries("D:\\dst")) {
      if (name.rfind(".velqo~tmp.", 0) == 0) copying = true;
    }
    if (!copying) std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  if (!copying) GTEST_SKIP() << "the copy ended before it could be interrupted";
  child.Signal(SIGINT);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  child.Signal(SIGINT);
  const ChildResult r = child.Finish();
  EXPECT_EQ(r.exit_status, 3) << r.out << r.err;
  EXPECT_EQ(DirEntries("D:\\dst"), (std::vector<std::string>{"big.bin"}));
  EXPECT_EQ(sandbox.ReadFile("D:\\dst\\big.bin"), "old contents");
}

TEST_F(CliEndToEnd, ShowsProgressOnlyWhenStandardErrorIsATerminal) {
  FirstRunThenAddToDir2("1");
  MakeSource();
  sandbox.WriteFile("C:\\src\\sub\\big.bin", std::string(24u << 20, 'v'));
  ChildProcess child(program_, {"/J", "C:\\src", "D:\\dst"}, Env(), sandbox.root(), true);
  const ChildResult r = child.Finish();
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  // The totals come from a silent preview: files and bytes done of them,
  // and the file being copied.
  EXPECT_NE(r.err.find("Files 0/4  0 B of 24.0 MiB"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("of 24.0 MiB  " + sandbox.HostPath("C:\\src\\sub\\big.bin")),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("Files 4/4  24.0 MiB of 24.0 MiB"), std::string::npos) << r.err;
  EXPECT_EQ(LastLine(r.out), "Update Completed");
}

TEST_F(CliEndToEnd, UnderJALogThatCannotBeWrittenIsSaidOnStandardErrorAndFailsTheRun) {
  FirstRunThenAddToDir2();
  SetIni({{"EnableLog", "1"}, {"AutoGenerateFile", "0"}, {"ConfirmEveryFile", "0"}});
  MakeSource();
  sandbox.WriteFile("E:\\victim", "precious");
  fsys::create_directories(LogDir());
  ASSERT_EQ(symlink(sandbox.HostPath("E:\\victim").c_str(), (LogDir() + "/LOG.TXT").c_str()), 0);
  const ChildResult r = Run({"/J", "C:\\src", "D:\\dst"});
  EXPECT_EQ(r.exit_status, 2) << r.out << r.err;
  EXPECT_EQ(Count(r.err, "(It Is A Symbolic Link). This Update Goes On Without A Complete Log."), 1)
      << r.err;
  EXPECT_EQ(sandbox.ReadFile("E:\\victim"), "precious");
  EXPECT_EQ(DirEntries("D:\\dst"), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
}

// C:\data mirrored onto D:\data: same structure, so surplus directories
// may go with --delete-dirs.
void MakeMirrorTrees(velqo::testing::Sandbox& sandbox) {
  sandbox.WriteFile("C:\\data\\keep.txt", "keep, newer");
  sandbox.SetMtime("C:\\data\\keep.txt", 1700000600);
  sandbox.WriteFile("C:\\data\\Photos\\Holiday\\p1.jpg", "p1");
  sandbox.WriteFile("D:\\data\\keep.txt", "keep");
  sandbox.SetMtime("D:\\data\\keep.txt", 1700000000);
  sandbox.WriteFile("D:\\data\\stray.txt", "only in Dir 2");
  sandbox.WriteFile("D:\\data\\old\\inner\\x.txt", "surplus");
}

TEST_F(CliEndToEnd, APreviewListsWhatTheRunThenDoesAndChangesNothing) {
  ASSERT_EQ(Run({}).exit_status, 0);  // the first run writes the INI file
  MakeMirrorTrees(sandbox);
  const std::vector<std::string> mirror = {"-r", "--mirror", "--delete-dirs", "--unattended",
                                           "C:\\data", "D:\\data"};
  const std::string before = Snapshot(sandbox.root());

  std::vector<std::string> preview_args = {"-n"};
  preview_args.insert(preview_args.end(), mirror.begin(), mirror.end());
  const ChildResult planned = Run(preview_args);
  ASSERT_EQ(planned.exit_status, 0) << planned.out << planned.err;
  EXPECT_EQ(Snapshot(sandbox.root()), before) << "the preview changed the disk, INI or log";
  EXPECT_NE(planned.out.find(sandbox.HostPath("D:\\data\\stray.txt") + " will be deleted\n"),
            std::string::npos)
      << planned.out;
  EXPECT_NE(planned.out.find("Preview: 2 copies (13 B), 2 deletions (20 B), 2 new directories, "
                             "2 directories removed. Nothing has been changed.\n  D: "),
            std::string::npos)
      << planned.out;
  EXPECT_EQ(planned.out.find("Update Completed"), std::string::npos);

  std::vector<std::string> run_args = {"-v"};
  run_args.insert(run_args.end(), mirror.begin(), mirror.end());
  std::vector<std::string> itemized_args = {"-n", "-v"};
  itemized_args.insert(itemized_args.end(), mirror.begin(), mirror.end());
  const ChildResult itemized = Run(itemized_args);
  ASSERT_EQ(itemized.exit_status, 0) << itemized.out << itemized.err;
  const ChildResult done = Run(run_args);
  ASSERT_EQ(done.exit_status, 0) << done.out << done.err;
  // The preview's itemized plan is what the update then does, line by line.
  const std::vector<std::string> plan = LinesWith(itemized.out, " > ");
  EXPECT_EQ(LinesWith(done.out, " > "), plan);
  EXPECT_EQ(plan, (std::vector<std::string>{"delete > old/inner/x.txt", "rmdir > old/inner",
                                            "rmdir > old", "update > keep.txt",
                                            "delete > stray.txt", "mkdir > Photos",
                                            "mkdir > Photos/Holiday", "copy > Photos/Holiday/p1.jpg"}));
  EXPECT_EQ(LinesWith(planned.out, " will be ").size(), 8u);
  EXPECT_FALSE(sandbox.Exists("D:\\data\\old"));
  // The replica's new directories are spelled as the source's are.
  EXPECT_EQ(sandbox.ReadFile("D:\\data\\Photos\\Holiday\\p1.jpg"), "p1");

  // The options held for those runs only.
  EXPECT_EQ(IniValue("CleanUp"), "0");
  EXPECT_EQ(IniValue("UseDir1And"), "0");
  EXPECT_EQ(IniValue("DIRDEL"), "0");
  EXPECT_EQ(IniValue("JFDI"), "0");
  EXPECT_EQ(IniValue("ConfirmEveryFile"), "1");
}

TEST_F(CliEndToEnd, AMistypedOptionRunsNothing) {
  MakeSource();
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--dry-runn", "C:\\src", "D:\\dst"},
        std::vector<std::string>{"-rx", "C:\\src", "D:\\dst"},
        std::vector<std::string>{"C:\\src", "D:\\dst", "extra"},
        std::vector<std::string>{"--max-delete", "C:\\src", "D:\\dst"}}) {
    const ChildResult r = Run(args);
    EXPECT_EQ(r.exit_status, 1) << args[0];
    EXPECT_EQ(r.out, "") << args[0];
    EXPECT_NE(r.err.find("Try \"velqo-cli --help\""), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fsys::exists(IniPath()));
  EXPECT_TRUE(DirEntries("D:\\dst").empty());
}

TEST_F(CliEndToEnd, QuietPrintsNothingWhenAllGoesWell) {
  ASSERT_EQ(Run({}).exit_status, 0);
  MakeSource();
  const ChildResult r = Run({"-q", "-a", "C:\\src", "D:\\dst"});
  EXPECT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(DirEntries("D:\\dst"), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
}

TEST_F(CliEndToEnd, FailuresReachStandardErrorWithTheReasonEvenUnattendedWithoutALog) {
  ASSERT_EQ(Run({}).exit_status, 0);
  MakeSource();
  // A directory where the copy must go, which a two-way run does not
  // replace (a one-way one would).
  sandbox.MakeDir("D:\\dst\\b.txt");
  const ChildResult r = Run({"-q", "-j", "--both-ways", "C:\\src", "D:\\dst"});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("velqo-cli: cannot copy " + sandbox.HostPath("C:\\src\\b.txt") + " to " +
                       sandbox.HostPath("D:\\dst\\b.txt") + ": "),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("[Error] An Error Occurred On This Update - Check Log File\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(sandbox.ReadFile("D:\\dst\\a.txt"), "data of a.txt");
  // The last line says where the log of the failure is.
  EXPECT_NE(r.err.find("velqo-cli: the log of this update is " + LogDir() + "/"),
            std::string::npos)
      << r.err;

  // No log, no box: the reason and the exit status still tell.
  const ChildResult unlogged = Run({"-q", "-j", "--no-log", "--both-ways", "C:\\src", "D:\\dst"});
  EXPECT_EQ(unlogged.exit_status, 2);
  EXPECT_NE(unlogged.err.find("velqo-cli: cannot copy " + sandbox.HostPath("C:\\src\\b.txt")),
            std::string::npos);
  EXPECT_EQ(unlogged.err.find("[Error]"), std::string::npos);
  EXPECT_EQ(unlogged.err.find("the log of this update"), std::string::npos);
}

TEST_F(CliEndToEnd, ARefusedSettingsFileMakesTheRunAnError) {
  FirstRunThenAddToDir2();
  MakeSource();
  SetIni({{"ConfirmEveryFile", "0"}});
  // Beyond the size the program reads: refused, and left as it is.
  ASSERT_EQ(truncate(IniPath().c_str(), 17 << 20), 0);
  const ChildResult r = Run({"-j", "--add", "C:\\src", "D:\\dst"});
  EXPECT_EQ(r.exit_status, 2) << r.out << r.err;
  EXPECT_NE(r.err.find("The Settings File " + IniPath() + " Cannot Be Used"), std::string::npos)
      << r.err;
  EXPECT_EQ(fsys::file_size(IniPath()), 17u << 20);
}

TEST_F(CliEndToEnd, MaxDeleteStopsBeforeChangingAnything) {
  ASSERT_EQ(Run({}).exit_status, 0);
  MakeSource();
  for (const char* name : {"x1", "x2", "x3"}) sandbox.WriteFile(std::string("D:\\dst\\") + name, "x");
  const std::string before = Snapshot(sandbox.root());
  const ChildResult stopped = Run({"--mirror", "-j", "--max-delete=2", "C:\\src", "D:\\dst"});
  EXPECT_EQ(stopped.exit_status, 2);
  EXPECT_NE(stopped.err.find("the update would delete 3 files, more than --max-delete=2 allows; "
                             "nothing was changed"),
            std::string::npos)
      << stopped.err;
  EXPECT_EQ(Snapshot(sandbox.root()), before);

  const ChildResult allowed = Run({"--mirror", "-j", "--max-delete", "3", "C:\\src", "D:\\dst"});
  EXPECT_EQ(allowed.exit_status, 0) << allowed.err;
  // A mirror keeps what it deletes, at the top of Dir 2.
  EXPECT_EQ(DirEntries("D:\\dst"), (std::vector<std::string>{".velqo-versions", "a.txt", "b.txt", "c.txt"}));
}

TEST_F(CliEndToEnd, CancelToADirectoryCreationStopsTheRunNoToItSkipsThePair) {
  ASSERT_EQ(Run({}).exit_status, 0);
  MakeSource();
  sandbox.WriteFile("C:\\src\\sub\\deep.txt", "deep");
  const std::vector<std::string> args = {"-r", "--add", "--no-confirm", "--no-create-dirs",
                                         "C:\\src", "D:\\dst"};
  const ChildResult declined = Run(args, "no\n");
  EXPECT_EQ(declined.exit_status, 0) << declined.out << declined.err;
  EXPECT_FALSE(sandbox.Exists("D:\\dst\\sub"));
  EXPECT_EQ(LastLine(declined.out), "Update Completed");
  const ChildResult r = Run(args, "cancel\n");
  EXPECT_EQ(r.exit_status, 3) << r.out << r.err;
  EXPECT_NE(r.out.find("Do You Wish To Create This Directory?"), std::string::npos) << r.out;
  EXPECT_EQ(sandbox.ReadFile("D:\\dst\\a.txt"), "data of a.txt");
  EXPECT_FALSE(sandbox.Exists("D:\\dst\\sub"));
}

TEST_F(CliEndToEnd, StructureModeTakesDir1sPathOnDir2sDrive) {
  ASSERT_EQ(Run({}).exit_status, 0);
  MakeSource();
  const ChildResult r = Run({"--structure", "--add", "-j", "C:\\src", "D:\\dst"}, "yes\n");
  EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(sandbox.ReadFile("D:\\src\\a.txt"), "data of a.txt");
  EXPECT_TRUE(DirEntries("D:\\dst").empty());
}

// A backup never writes into its source: a newer file in the backup is
// left as it is and named once; a mirror replaces it, keeping it with -b.
TEST_F(CliEndToEnd, BackupsLeaveDir1AloneAndMirrorsKeepReplacedFilesWithB) {
  ASSERT_EQ(Run({}).exit_status, 0);
  MakeSource();
  sandbox.WriteFile("C:\\src\\thesis.pdf", std::string(50000, 't'));
  sandbox.SetMtime("C:\\src\\thesis.pdf", 1700000000);
  sandbox.WriteFile("D:\\dst\\thesis.pdf", "oops");
  sandbox.SetMtime("D:\\dst\\thesis.pdf", 1700009999);
  for (const std::vector<std::string>& mode :
       {std::vector<std::string>{"-a"}, {"-r", "--matching"}, {"-r", "--add"}}) {
    std::vector<std::string> args = mode;
    for (const char* a : {"-j", "-q", "C:\\src", "D:\\dst"}) args.emplace_back(a);
    const ChildResult r = Run(args);
    EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
    EXPECT_EQ(sandbox.ReadFile("C:\\src\\thesis.pdf").size(), 50000u);
    EXPECT_EQ(sandbox.ReadFile("D:\\dst\\thesis.pdf"), "oops");
    EXPECT_EQ(Count(r.err, "velqo-cli: warning: The File " + sandbox.HostPath("D:\\dst\\thesis.pdf") +
                               " Is Newer Than " + sandbox.HostPath("C:\\src\\thesis.pdf") +
                               " - It Was Left As It Is."),
              1)
        << r.err;
  }
  const ChildResult mirror = Run({"-a", "-j", "--mirror", "-b", "C:\\src", "D:\\dst"});
  EXPECT_EQ(mirror.exit_status, 0) << mirror.out << mirror.err;
  EXPECT_EQ(sandbox.ReadFile("D:\\dst\\thesis.pdf").size(), 50000u);
  EXPECT_EQ(sandbox.ReadFile("D:\\dst\\thesis.~pd"), "oops");
  EXPECT_EQ(mirror.err.find("warning"), std::string::npos);
}

TEST_F(CliEndToEnd, BothWaysASameDateWithAnotherSizeIsAConflictThatFailsTheRun) {
  ASSERT_EQ(Run({}).exit_status, 0);
  MakeSource();
  sandbox.WriteFile("D:\\dst\\a.txt", "edited on the other side");
  sandbox.SetMtime("D:\\dst\\a.txt", 1700000000);
  const ChildResult r = Run({"-r", "--both-ways", "-j", "C:\\src", "D:\\dst"});
  EXPECT_EQ(r.exit_status, 2) << r.out << r.err;
  EXPECT_NE(r.err.find("velqo-cli: The Files " + sandbox.HostPath("C:\\src\\a.txt") + " And " +
                       sandbox.HostPath("D:\\dst\\a.txt") +
                       " Have The Same Date But Different Sizes - Neither Was Copied."),
            std::string::npos)
      << r.err;
  EXPECT_EQ(sandbox.ReadFile("C:\\src\\a.txt"), "data of a.txt");
  EXPECT_EQ(sandbox.ReadFile("D:\\dst\\a.txt"), "edited on the other side");
  EXPECT_EQ(sandbox.ReadFile("D:\\dst\\b.txt"), "data of b.txt");
}

TEST_F(CliEndToEnd, AnOptionsFileInDir1CannotTurnAnUnattendedBackupIntoAMirror) {
  ASSERT_EQ(Run({}).exit_status, 0);
  MakeSource();
  sandbox.WriteFile("D:\\dst\\only-in-backup.txt", "keep me");
  sandbox.WriteFile("C:\\src\\OPTIONS.UPD",
                    "[WINVELQO]\nVelqoOnly=0\nAdd1To2=0\nAddBothWays=0\nCleanUp=1\n"
                    "ConfirmEveryFile=1\nCreateBackup=0\nCreateNewDir=0\nIncl=0\nInclFile=0\n"
                    "ExtString=\nFileString=\nJFDI=0\n");
  const ChildResult r = Run({"-a", "-j", "C:\\src", "D:\\dst"});
  EXPECT_EQ(r.exit_status, 0) << r.out << r.err;
  EXPECT_EQ(sandbox.ReadFile("D:\\dst\\only-in-backup.txt"), "keep me");
  EXPECT_EQ(sandbox.ReadFile("D:\\dst\\a.txt"), "data of a.txt");
  EXPECT_EQ(r.out.find(kCopyPrompt), std::string::npos) << r.out;
}

TEST_F(CliEndToEnd, ArchiveEntersDotDirectoriesUnlessTold) {
  ASSERT_EQ(Run({}).exit_status, 0);
  MakeSource();
  sandbox.WriteFile("C:\\src\\.config\\app\\settings", "s");
  const ChildResult skipped = Run({"-a", "-j", "--skip-dot-dirs", "C:\\src", "D:\\dst"});
  EXPECT_EQ(skipped.exit_status, 0) << skipped.err;
  EXPECT_FALSE(sandbox.Exists("D:\\dst\\.config"));
  EXPECT_EQ(sandbox.ReadFile("D:\\dst\\a.txt"), "data of a.txt");
  const ChildResult entered = Run({"-a", "-j", "C:\\src", "D:\\dst"});
  EXPECT_EQ(entered.exit_status, 0) << entered.err;
  EXPECT_EQ(sandbox.ReadFile("D:\\dst\\.config\\app\\settings"), "s");
}

}  // namespace
}  // namespace velqo::cli
