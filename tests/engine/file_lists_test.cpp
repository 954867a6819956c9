#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <set>
#include <string>
#include <vector>

#include "config/option_tables.h"
#include "engine/file_lists.h"
#include "tests/common/posix/xattr_probe.h"
#include "tests/engine/engine_fixture.h"

namespace velqo::testing {
namespace {

class AdmitFileTest : public EngineTest {
 protected:
  AdmitFileTest() { state->opt.ActiveOptions = state->opt.SessionOptions; }
  OptionSet& active() { return state->opt.ActiveOptions; }

  bool Admits(std::string_view name, std::uint32_t attributes = kAttrArchive,
              std::uint32_t dos_time = 0) {
    RebuildTables(*state, active());
    AdmitContext context;
    return AdmitFile(*state, context, FindData{std::string(name), attributes, 1, dos_time}, "C:\\A");
  }
  static std::uint32_t Packed(int year, int month, int day, int hour, int minute) {
    return PackDosTime(LocalTime{year, month, day, hour, minute, 0, 0});
  }
};

TEST_F(AdmitFileTest, IncludedExtensionsAreComparedAfterTheFirstDotIgnoringCase) {
  (void)active().ExtString.Assign("txt,c");
  active().Incl = 1;
  EXPECT_TRUE(Admits("notes.txt"));
  EXPECT_TRUE(Admits("NOTES.TXT"));
  EXPECT_FALSE(Admits("notes.doc"));
  EXPECT_FALSE(Admits("README"));
  EXPECT_FALSE(Admits("a.b.c"));  // its extension is b.c
  active().Incl = 0;
  EXPECT_FALSE(Admits("notes.txt"));
  EXPECT_TRUE(Admits("notes.doc"));
  EXPECT_TRUE(Admits("README"));
}

TEST_F(AdmitFileTest, NamedFilesOverrideEveryEarlierTest) {
  active().Incl = 1;  // with no extension listed nothing passes...
  (void)active().FileString.Assign("Keep.me");
  active().InclFile = 1;
  EXPECT_TRUE(Admits("KEEP.ME"));  // ...except a named file
  EXPECT_FALSE(Admits("other.me"));
  active().Incl = 0;
  (void)active().ExtString.Assign("doc");
  active().InclFile = 0;
  (void)active().FileString.Assign("x.txt");
  EXPECT_FALSE(Admits("x.txt"));
  EXPECT_TRUE(Admits("y.txt"));
}

TEST_F(AdmitFileTest, AttributeFiltersAreTriStates) {
  active().ReadOnlyFilter = 1;
  EXPECT_TRUE(Admits("a", kAttrReadOnly));
  EXPECT_FALSE(Admits("a", kAttrArchive));
  active().ReadOnlyFilter = 2;
  active().HiddenFilter = 0;
  EXPECT_FALSE(Admits("a", kAttrHidden | kAttrArchive));
  active().HiddenFilter = 2;
  EXPECT_TRUE(Admits("a", kAttrHidden));
  EXPECT_TRUE(Admits("a", 0));
}

TEST_F(AdmitFileTest, AgeCountsWholeDays) {
  active().ExclDays = 1;
  active().ExclDaysInt = 5;
  // The platform's now is 2023-11-14 12:00.
  EXPECT_TRUE(Admits("a", kAttrArchive, Packed(2023, 11, 9, 13, 0)));   // 4 days 23 hours
  EXPECT_FALSE(Admits("a", kAttrArchive, Packed(2023, 11, 9, 12, 0)));  // 5 days
}

TEST_F(AdmitFileTest, TheOptionFileNeverTakesPart) {
  active().InclFile = 1;
  (void)active().FileString.Assign("options.upd");
  EXPECT_FALSE(Admits("Options.Upd"));
}

class PurgeTest : public EngineTest {
 protected:
  PurgeTest() {
    opt().ExclDays = 1;
    opt().ExclDaysInt = 5;
    opt().DeleteExclDays = 1;
    opt().JFDI = 1;
    opt().IgnoreOptUpd = 1;
    (void)opt().ExclDaysDriveString.Assign("C");
    File("C:\\A\\old.txt", "o", Local(2023, 11, 1, 10, 0, 0));
    File("C:\\A\\OPTIONS.UPD", "o", Local(2023, 11, 1, 10, 0, 0));
    File("C:\\A\\new.txt", "n", Local(2023, 11, 13, 10, 0, 0));
    File("D:\\B\\old2.txt", "o", Local(2023, 11, 1, 10, 0, 0));
  }
};

TEST_F(PurgeTest, OldFilesOnThePurgeDriveOnlyAreDeleted) {
  Run();
  EXPECT_FALSE(sandbox.Exists("C:\\A\\old.txt"));
  EXPECT_TRUE(sandbox.Exists("C:\\A\\OPTIONS.UPD"));
  EXPECT_TRUE(sandbox.Exists("C:\\A\\new.txt"));
  EXPECT_TRUE(sandbox.Exists("D:\\B\\old2.txt"));  // another drive
  EXPECT_TRUE(LogHas("Was older than   5 days and was deleted from drive C"));
}

TEST_F(PurgeTest, NothingIsPurgedWithoutDeleteExclDaysOrForANamedIncludedFile) {
  opt().DeleteExclDays = 0;
  Run();
  EXPECT_TRUE(sandbox.Exists("C:\\A\\old.txt"));
  opt().DeleteExclDays = 1;
  opt().InclFile = 1;
  (void)opt().FileString.Assign("old.txt");
  opt().Add1To2 = 1;
  Run();
  EXPECT_TRUE(sandbox.Exists("C:\\A\\old.txt"));
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\old.txt"), "o");  // and it took part
}

class FileListTest : public EngineTest {};

// Makes count empty files n0 ... in the host directory dir, all last
// written at when; the names in the order the directory returns them.
std::vector<std::string> MakeEmptyFiles(const std::string& dir, int count, std::time_t when) {
  const struct timespec times[2] = {{when, 0}, {when, 0}};
  for (int i = 0; i < count; ++i) {
    const std::string path = dir + "/n" + std::to_string(i);
    const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    EXPECT_GE(fd, 0) << path;
    if (fd >= 0) {
      EXPECT_EQ(futimens(fd, times), 0);
      close(fd);
    }
  }
  std::vector<std::string> order;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return order;
  while (const dirent* e = readdir(d)) {
    if (e->d_name[0] != '.') order.emplace_back(e->d_name);
  }
  closedir(d);
  return order;
}

TEST_F(FileListTest, ADirectoryOfTwentyFiveThousandFilesIsComparedWhole) {
  constexpr int kFiles = 25000;
  const std::vector<std::string> order1 = MakeEmptyFiles(sandbox.HostPath("C:\\A"), kFiles, Base());
  const std::vector<std::string> order2 = MakeEmptyFiles(sandbox.HostPath("D:\\B"), kFiles, Base());
  ASSERT_EQ(order1.size(), static_cast<std::size_t>(kFiles));
  ASSERT_EQ(order2.size(), static_cast<std::size_t>(kFiles));
  // The files each side returns last are changed: a list cut at any count
  // short of the whole directory misses them.
  const std::string last1 = order1.back();
  const std::string last2 = order2.back() != last1 ? order2.back() : order2[order2.size() - 2];
  sandbox.WriteFile("C:\\A\\" + last1, "new");
  sandbox.SetMtime("C:\\A\\" + last1, Base() + kHour);
  sandbox.WriteFile("C:\\A\\" + last2, "new too");
  sandbox.SetMtime("C:\\A\\" + last2, Base() + kHour);
  state->sw.DebugMode = 1;
  opt().JFDI = 1;
  Run();
  EXPECT_TRUE(host.Shown("25000"));  // the debug count of each side
  EXPECT_FALSE(host.ShownContaining("Cannot Handle"));
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\" + last1), "new");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\" + last2), "new too");
  EXPECT_EQ(state->flags.ErrorLogged, 0);
}

TEST_F(FileListTest, AnUnreadableDirectoryIsNamedWithTheReasonAndItsPairLeftAlone) {
  File("C:\\A\\a.txt", "a", Base());
  platform.unreadable.insert("D:\\B\\*.*");
  opt().Add1To2 = 1;
  Run();
  EXPECT_FALSE(sandbox.Exists("D:\\B\\a.txt"));
  bool named = false;
  for (const ShownBox& box : host.boxes) {
    named = named || (box.text.rfind("The Directory D:\\B Cannot Be Read (", 0) == 0 &&
                      box.text.find(") - This Directory Pair Will Not Be Updated.") != std::string::npos);
  }
  EXPECT_TRUE(named);
  EXPECT_EQ(state->flags.ErrorLogged, 1);
  // Unattended, no box: the same words reach the host's notices.
  host.boxes.clear();
  opt().JFDI = 1;
  Run();
  ASSERT_FALSE(host.notices.empty());
  EXPECT_EQ(host.notices.back().rfind("The Directory D:\\B Cannot Be Read (", 0), 0u) << host.notices.back();
}

TEST_F(FileListTest, EmptyDirectoriesStopWithoutQuestionOrLogLine) {
  EXPECT_EQ(Run(), UpdateOutcome::kNothingToDo);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(LogLines().size(), 7u);  // the header block and the outcome only
}

TEST_F(FileListTest, AnUnreadableDir1IsReportedInsteadOfTakenAsEmpty) {
  opt().CleanUp = 1;
  opt().JFDI = 1;
  File("D:\\B\\replica.txt", "r", Base());
  platform.unreadable.insert("C:\\A\\*.*");
  Run();
  EXPECT_TRUE(sandbox.Exists("D:\\B\\replica.txt"));
  EXPECT_TRUE(LogHas("!!! Could Not Read The Following Directory"));
  EXPECT_TRUE(state->flags.ErrorLogged);
}

TEST_F(FileListTest, FilePathsBeyond256CharactersAreCopied) {
  opt().Add1To2 = 1;
  const std::string dir1 = "C:\\" + std::string(200, 'a');
  const std::string dir2 = "D:\\" + std::string(240, 'b');
  sandbox.MakeDir(dir1);
  sandbox.MakeDir(dir2);
  host.dir1 = dir1;
  host.dir2 = dir2;
  File(dir1 + "\\" + std::string(30, 'x'), "long", Base());
  File(dir1 + "\\s", "short", Base());
  Run();
  EXPECT_FALSE(host.ShownContaining("Is Longer Than"));
  EXPECT_EQ(sandbox.ReadFile(dir2 + "\\s"), "short");
  EXPECT_EQ(sandbox.ReadFile(dir2 + "\\" + std::string(30, 'x')), "long");
}

// Flags kept apart from the files are read whenever one attribute filter
// chooses a value, and only the files that filter takes are copied; with
// every filter taking either value, every file is.
TEST_F(FileListTest, StoredFlagsDecideWheneverAFilterChoosesAValue) {
  if (!StoresExtendedAttributes(sandbox.DriveDir('C'))) GTEST_SKIP() << "no extended attributes";
  opt().Add1To2 = 1;
  opt().JFDI = 1;
  File("C:\\A\\plain.txt", "p", Base());
  File("C:\\A\\flagged.txt", "f", Base());
  File("C:\\A\\noarch.txt", "n", Base());
  ASSERT_TRUE(fs->SetAttributes("C:\\A\\flagged.txt", kAttrHidden | kAttrSystem).ok());
  ASSERT_TRUE(fs->SetAttributes("C:\\A\\noarch.txt", kAttrNormal).ok());
  const auto copied = [&] {
    std::set<std::string> names;
    for (const char* name : {"plain.txt", "flagged.txt", "noarch.txt"}) {
      if (sandbox.Exists(std::string("D:\\B\\") + name)) names.insert(name);
      std::remove(sandbox.HostPath(std::string("D:\\B\\") + name).c_str());
    }
    return names;
  };
  Run();
  EXPECT_EQ(copied(), (std::set<std::string>{"plain.txt", "flagged.txt", "noarch.txt"}));
  opt().ArchiveFilter = 1;
  Run();
  EXPECT_EQ(copied(), (std::set<std::string>{"plain.txt"}));
  opt().ArchiveFilter = 2;
  opt().HiddenFilter = 0;
  Run();
  EXPECT_EQ(copied(), (std::set<std::string>{"plain.txt", "noarch.txt"}));
  opt().HiddenFilter = 2;
  opt().SystemFilter = 1;
  Run();
  EXPECT_EQ(copied(), (std::set<std::string>{"flagged.txt"}));
}

}  // namespace
}  // namespace velqo::testing
