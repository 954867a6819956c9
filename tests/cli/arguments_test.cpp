#include "cli/arguments.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/option_table.h"
#include "tests/support/sandbox.h"

namespace velqo::cli {
namespace {

using Args = std::vector<std::string>;

// Only /home and /mnt exist as directories here.
CommandLine Parse(const Args& args) {
  Args full = {"/usr/bin/velqo-cli"};
  full.insert(full.end(), args.begin(), args.end());
  return ParseCommandLine(full, [](const std::string& p) { return p == "/home" || p == "/mnt"; });
}

TEST(CommandLineTest, SortsSwitchesPathsAndTheRest) {
  const CommandLine line =
      Parse({"/j", "/home/ann/docs", "/x", "/J1", "C:\\work", "/jj", "/b"});
  EXPECT_EQ(line.error, "");
  EXPECT_EQ(line.switches, (Args{"/j", "/b"}));
  EXPECT_EQ(line.paths, (Args{"/home/ann/docs", "C:\\work"}));
  ASSERT_EQ(line.notes.size(), 3u);
  EXPECT_EQ(line.notes[0], "ignoring \"/x\": it is not a switch and no such directory exists");
  // A mistyped switch never shifts the directories; an existing one is one.
  EXPECT_EQ(Parse({"/mnt", "/home"}).paths, (Args{"/mnt", "/home"}));
}

TEST(CommandLineTest, ProgramPathIsNeverADirectory) {
  const CommandLine line = ParseCommandLine({"/opt/velqo/bin/velqo-cli", "/A", "/Q"},
                                            [](const std::string&) { return true; });
  EXPECT_TRUE(line.paths.empty());
  EXPECT_TRUE(line.notes.empty());
  EXPECT_EQ(line.error, "");
}

TEST(CommandLineTest, RecognisesHelpVersionAndEveryPathForm) {
  EXPECT_TRUE(Parse({"--help"}).help);
  EXPECT_TRUE(Parse({"-h"}).help);
  EXPECT_TRUE(Parse({"/h"}).help);
  EXPECT_TRUE(Parse({"/?"}).help);
  EXPECT_TRUE(Parse({"/B", "--version"}).version);
  EXPECT_TRUE(Parse({"-V"}).version);
  EXPECT_EQ(Parse({"c:/w", "~"}).paths, (Args{"c:/w", "~"}));
  EXPECT_EQ(Parse({".", "../up"}).paths, (Args{".", "../up"}));
  EXPECT_EQ(Parse({"data/src", "data/backup"}).paths, (Args{"data/src", "data/backup"}));
  EXPECT_EQ(Parse({"/", "/ab/"}).paths, (Args{"/", "/ab/"}));
  // After "--" everything is a directory, even what looks like an option.
  EXPECT_EQ(Parse({"-n", "--", "-odd", "/J"}).paths, (Args{"-odd", "/J"}));
}

TEST(CommandLineTest, SwitchesAreSlashAndOneOfNineLettersInEitherCase) {
  for (const char* s : {"/A", "/b", "/D", "/e", "/G", "/i", "/J", "/o", "/Q"}) {
    EXPECT_TRUE(IsSwitch(s)) << s;
  }
  for (const char* s : {"/K", "/A1", "-A", "A", "//", "/", "/AB"}) EXPECT_FALSE(IsSwitch(s)) << s;
}

TEST(CommandLineTest, AnythingUnknownOrIncompleteIsAUsageError) {
  const std::pair<Args, std::string> cases[] = {
      {{"--dry-runn", "a", "b"}, "unrecognized option \"--dry-runn\""},
      {{"-rx", "a", "b"}, "unrecognized option \"-x\""},
      {{"-A"}, "unrecognized option \"-A\""},
      {{"-"}, "\"-\" is neither an option nor a directory"},
      {{"--recursive=yes"}, "option \"--recursive\" takes no value"},
      {{"a", "b", "--max-delete"}, "option \"--max-delete\" needs a value (N)"},
      {{"--max-delete=-1"}, "--max-delete: N must be a whole number from 0"},
      {{"--max-delete", "5x"}, "--max-delete: N must be a whole number from 0"},
      {{"--exclude-older-than=0"}, "--exclude-older-than: DAYS must be a whole number from 1"},
      {{"--add", "--mirror"}, "--mirror: choose one of --matching, --add, --both-ways and --mirror"},
      {{"-r", "--no-recursive"},
       "--no-recursive: choose one of --no-recursive, --structure, --recursive and --subdirs-only"},
      {{"--include-ext=txt", "--exclude-ext=tmp"},
       "--exclude-ext: use either --include-ext or --exclude-ext, not both"},
      {{"--exclude-name="}, "--exclude-name: the list is empty"},
      {{"only-one"}, "give both DIR1 and DIR2, or neither"},
      {{"/home/ann/My", "Documents", "/mnt/b"},
       "more than two directories: \"/mnt/b\" is one too many (quote a path that holds blanks)"},
  };
  for (const auto& [args, error] : cases) EXPECT_EQ(Parse(args).error, error) << args[0];
  EXPECT_NE(Parse({"--exclude-ext=" + std::string(1101, 'x')}).error.find("longer than 1100"),
            std::string::npos);
}

TEST(CommandLineTest, GnuFormsOfValuesGroupsAndRepeats) {
  const CommandLine line = Parse({"-rnq", "--log-dir", "~/logs", "--max-delete=0",
                                  "--exclude-ext=tmp", "--exclude-ext", "bak,~*", "--dry-run",
                                  "-v", "--mirror", "--delete", "src", "dst"});
  ASSERT_EQ(line.error, "");
  EXPECT_TRUE(line.preview);
  EXPECT_EQ(line.verbosity, Verbosity::kVerbose);  // the last of -q and -v
  EXPECT_EQ(line.log_dir, "~/logs");
  EXPECT_EQ(line.max_delete, 0);
  EXPECT_EQ(line.overrides.directory_mode, DirectoryMode::kRecursive);
  EXPECT_EQ(line.overrides.file_mode, FileMode::kMirror);
  EXPECT_EQ(line.overrides.include_extensions, false);
  EXPECT_EQ(line.overrides.extensions, "tmp,bak,~*");
  EXPECT_EQ(line.paths, (Args{"src", "dst"}));
}

TEST(CommandLineTest, RelativeFormsBecomeAbsolute) {
  EXPECT_EQ(AbsoluteIfRelative("./docs", "/home/ann"), "/home/ann/./docs");
  EXPECT_EQ(AbsoluteIfRelative("data/src", "/home/ann"), "/home/ann/data/src");
  EXPECT_EQ(AbsoluteIfRelative("..", "/home/ann/"), "/home/ann/..");
  EXPECT_EQ(AbsoluteIfRelative("/abs", "/home/ann"), "/abs");
  EXPECT_EQ(AbsoluteIfRelative("~/x", "/home/ann"), "~/x");
  EXPECT_EQ(AbsoluteIfRelative("C:\\w", "/home/ann"), "C:\\w");
}

// The first-run set, as a fresh INI file holds it.
OptionSet FirstRunSet() {
  OptionSet o;
  o.SelectSeparate = 1;
  o.VelqoOnly = 1;
  o.ConfirmEveryFile = 1;
  o.CreateBackup = 1;
  o.ArchiveFilter = 2;
  o.IncRODir = 1;
  o.ExclDaysInt = 5;
  o.DeleteExclDays = 1;
  (void)o.ExclDaysDriveString.Assign("d");
  return o;
}

OptionSet Overridden(const Args& args) {
  const CommandLine line = Parse(args);
  EXPECT_EQ(line.error, "");
  OptionSet o = FirstRunSet();
  ApplyOverrides(line.overrides, &o);
  return o;
}

TEST(OptionOverridesTest, ArchiveIsARecursiveBackupOfEveryFileThatOtherOptionsRefine) {
  const OptionSet a = Overridden({"-a"});
  EXPECT_EQ(std::tuple(a.SelectSeparate, a.UseDir1And, a.VelqoOnly, a.Add1To2), std::tuple(0, 1, 0, 1));
  EXPECT_EQ(std::tuple(a.HiddenFilter, a.ReadOnlyFilter, a.SystemFilter, a.IncHidDir),
            std::tuple(2, 2, 2, 1));
  EXPECT_EQ(std::tuple(a.ConfirmEveryFile, a.CreateNewDir, a.XATTR), std::tuple(0, 1, 1));
  EXPECT_EQ(a.CreateBackup, 1);  // the stored choice stays

  // Whatever the order, an explicit option wins over the shorthand's part.
  const OptionSet m = Overridden({"--mirror", "-a", "--confirm", "--no-backup"});
  EXPECT_EQ(std::tuple(m.Add1To2, m.CleanUp, m.UseDir1And), std::tuple(0, 1, 1));
  EXPECT_EQ(std::tuple(m.ConfirmEveryFile, m.CreateBackup), std::tuple(1, 0));
}

TEST(OptionOverridesTest, UnattendedFollowsTheSwitchRulesUnlessToldOtherwise) {
  const OptionSet j = Overridden({"-j"});
  EXPECT_EQ(std::tuple(j.JFDI, j.ConfirmEveryFile, j.CreateNewDir, j.EnableLog),
            std::tuple(1, 0, 1, 1));
  const OptionSet quiet_log = Overridden({"--no-log", "--unattended", "--no-create-dirs"});
  EXPECT_EQ(std::tuple(quiet_log.JFDI, quiet_log.EnableLog, quiet_log.CreateNewDir),
            std::tuple(1, 0, 0));
  const OptionSet switches = Overridden({"--brief", "--delete-dirs", "--overwrite-read-only"});
  EXPECT_EQ(std::tuple(switches.Brief, switches.DIRDEL, switches.XATTR, switches.JFDI),
            std::tuple(1, 1, 1, 0));
}

TEST(OptionOverridesTest, FiltersListsAndAgeReplaceTheStoredOnes) {
  const OptionSet f = Overridden({"--include-read-only", "--include-name=a.txt,b.txt",
                                  "--include-ext", "doc", "--exclude-older-than", "30",
                                  "--structure", "--both-ways", "--log-dir=x"});
  EXPECT_EQ(std::tuple(f.ReadOnlyFilter, f.XATTR, f.HiddenFilter), std::tuple(2, 1, 0));
  EXPECT_EQ(std::tuple(f.InclFile, f.FileString.str()), std::tuple(1, std::string("a.txt,b.txt")));
  EXPECT_EQ(std::tuple(f.Incl, f.ExtString.str()), std::tuple(1, std::string("doc")));
  // Old files are left out, never purged, whatever the stored purge says.
  EXPECT_EQ(std::tuple(f.ExclDays, f.ExclDaysInt, f.DeleteExclDays), std::tuple(1, 30, 0));
  EXPECT_EQ(std::tuple(f.UseDir1, f.SelectSeparate, f.AddBothWays, f.VelqoOnly),
            std::tuple(1, 0, 1, 0));
  // The log directory is converted by the caller; unset, logging stays off.
  EXPECT_EQ(f.EnableLog, 0);
  const OptionSet nothing = Overridden({});
  EXPECT_EQ(std::tuple(nothing.VelqoOnly, nothing.ConfirmEveryFile, nothing.XATTR),
            std::tuple(1, 1, 0));
}

std::string ReadSource(const std::string& relative) {
  std::ifstream in(std::string(VELQO_SOURCE_DIR) + "/" + relative);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(CommandLineTest, EveryOptionIsDocumentedInTheHelpAndTheManPage) {
  const std::string help = UsageText();
  // The man page writes "-" as "\-".
  std::string man = ReadSource("cli/velqo-cli.1");
  for (std::size_t at = man.find("\\-"); at != std::string::npos; at = man.find("\\-", at)) {
    man.erase(at, 1);
  }
  ASSERT_FALSE(man.empty());
  for (const CliOption& o : Options()) {
    const std::string name = "--" + std::string(o.name);
    EXPECT_NE(help.find(name), std::string::npos) << name << " is not in --help";
    EXPECT_NE(man.find(name), std::string::npos) << name << " is not in the man page";
    if (o.short_name != 0) {
      const std::string both = std::string("-") + o.short_name + ", " + name;
      EXPECT_NE(help.find(both), std::string::npos) << both << " is not in --help";
    }
  }
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
  ASSERT_TRUE(Convert("plain/sub", &windows, &why)) << why;
  EXPECT_EQ(windows, "D:\\work\\plain\\sub");
  ASSERT_TRUE(Convert("../other", &windows, &why)) << why;
  EXPECT_EQ(windows, "D:\\other");
  ASSERT_TRUE(Convert("e:/x/y", &windows, &why)) << why;
  EXPECT_EQ(windows, "e:\\x\\y");
}

TEST_F(ConvertTest, RefusesPathsLongerThanTheProgramCanHold) {
  std::string windows = "unchanged";
  std::string why;
  EXPECT_FALSE(Convert("C:\\" + std::string(32765, 'a'), &windows, &why));
  EXPECT_NE(why.find("32767"), std::string::npos);
  EXPECT_EQ(windows, "unchanged");
  EXPECT_FALSE(Convert(sandbox.DriveDir('d') + "/" + std::string(32770, 'b'), &windows, &why));
  EXPECT_NE(why.find("32767"), std::string::npos);
  EXPECT_TRUE(Convert("C:\\" + std::string(32764, 'a'), &windows, &why)) << why;
  EXPECT_TRUE(Convert("C:\\" + std::string(300, 'a'), &windows, &why)) << why;
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
