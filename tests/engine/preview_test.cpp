// A preview runs the real engine over a platform that records changes
// instead of making them: it must plan exactly what a real run then does,
// and leave every byte on disk as it was.

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/host/change_observer.h"
#include "common/preview/preview_platform.h"
#include "engine/preview_run.h"
#include "tests/engine/engine_fixture.h"

namespace velqo::testing {
namespace {

namespace fsys = std::filesystem;

// Everything under a directory: path, type, mode, size, time and contents.
std::string Snapshot(const std::string& root) {
  std::ostringstream out;
  for (auto it = fsys::recursive_directory_iterator(root); it != fsys::recursive_directory_iterator();
       ++it) {
    struct stat st {};
    const std::string path = it->path().string();
    if (lstat(path.c_str(), &st) != 0) continue;
    out << path.substr(root.size()) << ' ' << st.st_mode << ' ' << st.st_size << ' '
        << st.st_mtim.tv_sec << '.' << st.st_mtim.tv_nsec;
    if (S_ISREG(st.st_mode)) {
      std::ifstream in(path, std::ios::binary);
      out << ' ' << in.rdbuf();
    }
    out << '\n';
  }
  return out.str();
}

std::string Describe(const std::vector<FileChange>& changes) {
  std::string text;
  for (const FileChange& c : changes) {
    text += DescribeChange(c, false) + " [" + std::to_string(c.bytes) + "]\n";
  }
  return text;
}

class PreviewTest : public EngineTest {
 protected:
  // The changes a preview plans; the trees and the log must not move.
  std::vector<FileChange> Preview() {
    const std::string before = Snapshot(sandbox.root());
    PreviewPlatform preview(platform);
    RunOver(preview);
    EXPECT_EQ(Snapshot(sandbox.root()), before) << "the preview changed the disk";
    return preview.changes();
  }

  // The changes a real run makes, as they succeed.
  std::vector<FileChange> Real() {
    std::vector<FileChange> done;
    ChangeObserver observer(
        platform,
        [&done](const FileChange& c, const Status& st) {
          if (st.ok()) AddChange(&done, c);
        },
        true);
    RunOver(observer);
    return done;
  }

  // The same session options and window texts, on a fresh state over p.
  void RunOver(Platform& p) {
    const OptionSet session = opt();
    UsePlatform(p);
    state->places.IniPath = "C:\\WINVELQO.INI";
    opt() = session;
    Run();
  }

  void ExpectPreviewMatchesRealRun() {
    const std::vector<FileChange> planned = Preview();
    ASSERT_FALSE(planned.empty());
    EXPECT_EQ(Describe(Real()), Describe(planned));
    // Nothing is left to do afterwards, which the preview also sees.
    EXPECT_EQ(Describe(Preview()), "");
  }
};

TEST_F(PreviewTest, MatchingFilesWithBackupsBothWays) {
  opt().CreateBackup = 1;
  File("C:\\A\\one.txt", "new one", Base() + kHour);
  File("D:\\B\\one.txt", "old one", Base());
  File("D:\\B\\one.~tx", "an older backup", Base() - kHour);
  File("C:\\A\\two.txt", "old two", Base());
  File("D:\\B\\two.txt", "new two, longer", Base() + kHour);
  File("C:\\A\\same.txt", "same", Base());
  File("D:\\B\\same.txt", "same", Base());
  File("C:\\A\\alone.txt", "not matched", Base());

  const std::string planned = Describe(Preview());
  // A file of the user's under the backup name is not replaced, so its
  // target is not either; a backup this program makes is planned first.
  EXPECT_EQ(planned,
            "C:\\A\\two.txt was kept as the backup C:\\A\\two.~tx [0]\n"
            "D:\\B\\two.txt was copied over C:\\A\\two.txt [15]\n");
  EXPECT_EQ(Describe(Real()), planned);
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\one.~tx"), "an older backup");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\one.txt"), "old one");
  EXPECT_EQ(sandbox.ReadFile("C:\\A\\two.~tx"), "old two");
}

TEST_F(PreviewTest, AReadOnlyTargetIsRefusedInThePlanAsOnDisk) {
  File("C:\\A\\ro.txt", "new ro", Base() + kHour);
  File("D:\\B\\ro.txt", "old ro", Base());
  sandbox.SetReadOnly("D:\\B\\ro.txt", true);
  File("C:\\A\\rw.txt", "new rw", Base() + kHour);
  File("D:\\B\\rw.txt", "old rw", Base());
  const std::string planned = Describe(Preview());
  EXPECT_EQ(planned, "C:\\A\\rw.txt was copied over D:\\B\\rw.txt [6]\n");
  EXPECT_EQ(Describe(Real()), planned);
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\ro.txt"), "old ro");
}

TEST_F(PreviewTest, AddToDir2CreatesDirectoriesThenCopiesIntoThem) {
  opt().SelectSeparate = 0;
  opt().UseDir1And = 1;
  opt().VelqoOnly = 0;
  opt().Add1To2 = 1;
  opt().CreateNewDir = 1;
  File("C:\\A\\top.txt", "top", Base());
  File("C:\\A\\Sub\\mid.txt", "mid", Base());
  File("C:\\A\\Sub\\Deep\\low.txt", "low", Base());
  File("D:\\B\\top.txt", "older top", Base() - kHour);
  ExpectPreviewMatchesRealRun();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\Sub\\Deep\\low.txt"), "low");
}

TEST_F(PreviewTest, AddBothWaysCopiesLoneFilesInEachDirection) {
  opt().VelqoOnly = 0;
  opt().AddBothWays = 1;
  File("C:\\A\\left.txt", "left", Base());
  File("D:\\B\\right.txt", "right", Base());
  File("C:\\A\\.hidden", "dot", Base());
  ExpectPreviewMatchesRealRun();
  EXPECT_EQ(sandbox.ReadFile("C:\\A\\right.txt"), "right");
}

TEST_F(PreviewTest, CleanUpWithDirectoryRemovalEmptiesTheSurplusTreeFirst) {
  host.dir1 = "C:\\M";
  host.dir2 = "D:\\M";
  opt().SelectSeparate = 0;
  opt().UseDir1And = 1;
  opt().VelqoOnly = 0;
  opt().CleanUp = 1;
  opt().DIRDEL = 1;
  opt().CreateNewDir = 1;
  opt().JFDI = 1;
  File("C:\\M\\keep.txt", "keep, newer", Base() + kHour);
  File("D:\\M\\keep.txt", "keep", Base());
  File("C:\\M\\older.txt", "older in dir 1", Base());
  File("D:\\M\\older.txt", "newer in dir 2", Base() + kHour);
  File("D:\\M\\stray.txt", "only in dir 2", Base());
  File("C:\\M\\new\\n.txt", "new", Base());
  File("D:\\M\\old\\x.txt", "x", Base());
  File("D:\\M\\old\\inner\\y.txt", "y", Base());
  sandbox.SetReadOnly("D:\\M\\old\\inner\\y.txt", true);
  ExpectPreviewMatchesRealRun();
  EXPECT_FALSE(sandbox.Exists("D:\\M\\old"));
  EXPECT_FALSE(sandbox.Exists("D:\\M\\stray.txt"));
  EXPECT_EQ(sandbox.ReadFile("D:\\M\\older.txt"), "older in dir 1");
}

TEST_F(PreviewTest, ReadsBackWhatItRecordedAndNeverTouchesTheDisk) {
  sandbox.MakeDir("D:\\B\\gone");
  File("D:\\B\\gone\\f.txt", "f", Base());
  File("D:\\B\\log.txt", "line 1\n", Base());
  PreviewPlatform p(platform);

  ASSERT_TRUE(p.CreateDirectory("D:\\B\\Made").ok());
  std::uint32_t attributes = 0;
  ASSERT_TRUE(p.GetAttributes("d:\\b\\made", &attributes).ok());
  EXPECT_EQ(attributes & kAttrDirectory, kAttrDirectory);
  EXPECT_EQ(p.CreateDirectory("D:\\B\\made").code(), Status::Code::kAlreadyExists);
  ASSERT_TRUE(p.CopyFile("D:\\B\\gone\\f.txt", "D:\\B\\made\\f.txt").ok());
  EXPECT_EQ(p.RemoveDirectory("D:\\B\\made").code(), Status::Code::kNotEmpty);
  std::string contents;
  ASSERT_TRUE(p.ReadFile("D:\\B\\made\\f.txt", &contents).ok());
  EXPECT_EQ(contents, "f");

  ASSERT_TRUE(p.DeleteFile("D:\\B\\gone\\f.txt").ok());
  ASSERT_TRUE(p.RemoveDirectory("D:\\B\\gone").ok());
  EXPECT_EQ(p.GetAttributes("D:\\B\\gone\\f.txt", &attributes).code(),
            Status::Code::kPathNotFound);
  std::unique_ptr<DirSearch> search;
  ASSERT_TRUE(p.FindFirst("D:\\B\\*.*", kMaskEverything, &search).ok());
  std::vector<std::string> names;
  for (FindData e; search->Next(&e);) names.push_back(e.name + ":" + std::to_string(e.size));
  EXPECT_EQ(names, (std::vector<std::string>{".:0", "..:0", "log.txt:7", "Made:0"}));

  ASSERT_TRUE(p.WriteFile("D:\\B\\log.txt", "line 2\n", WriteMode::kAppend).ok());
  ASSERT_TRUE(p.ReadFile("D:\\B\\log.txt", &contents).ok());
  EXPECT_EQ(contents, "line 1\nline 2\n");
  ASSERT_TRUE(p.SetAttributes("D:\\B\\log.txt", kAttrReadOnly).ok());
  EXPECT_EQ(p.DeleteFile("D:\\B\\log.txt").code(), Status::Code::kAccessDenied);
  EXPECT_EQ(p.CopyFile("D:\\B\\made\\f.txt", "D:\\B\\log.txt").code(), Status::Code::kAccessDenied);
  EXPECT_EQ(p.MoveFile("D:\\B\\made\\f.txt", "D:\\B\\log.txt").code(),
            Status::Code::kAlreadyExists);

  // The disk saw none of it.
  EXPECT_TRUE(sandbox.Exists("D:\\B\\gone\\f.txt"));
  EXPECT_FALSE(sandbox.Exists("D:\\B\\made"));
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\log.txt"), "line 1\n");
  EXPECT_EQ(Describe(p.changes()),
            "Directory D:\\B\\Made was created [0]\n"
            "D:\\B\\gone\\f.txt was copied to D:\\B\\made\\f.txt [1]\n"
            "D:\\B\\gone\\f.txt was deleted [1]\n"
            "Directory D:\\B\\gone was removed [0]\n");
}

TEST_F(PreviewTest, FreeSpaceFollowsThePlannedCopiesAndDeletions) {
  File("C:\\A\\big.bin", std::string(3000, 'b'), Base());
  File("D:\\B\\small.bin", std::string(1000, 's'), Base());
  PreviewPlatform p(platform);
  platform.frees['D'] = 10000;
  ASSERT_TRUE(p.CopyFile("C:\\A\\big.bin", "D:\\B\\big.bin").ok());
  std::uint64_t total = 0;
  std::uint64_t free = 0;
  ASSERT_TRUE(p.DiskSpace("D:\\", &total, &free).ok());
  EXPECT_EQ(free, 7000u);
  ASSERT_TRUE(p.DeleteFile("D:\\B\\small.bin").ok());
  ASSERT_TRUE(p.DiskSpace("D:\\", &total, &free).ok());
  EXPECT_EQ(free, 8000u);
  const ChangeSummary summary = Summarize(p.changes());
  EXPECT_EQ(summary.all.copies, 1);
  EXPECT_EQ(summary.drives.at('D').copied_bytes, 3000u);
  EXPECT_EQ(summary.drives.at('D').deletions, 1);
  EXPECT_EQ(summary.drives.count('C'), 0u);
}

// The window's preview: the state the next Update would run with, no box
// shown, nothing on disk changed, and the state left for that Update.
TEST_F(PreviewTest, PreviewUpdateAsksNothingAndPlansWhatTheNextUpdateDoes) {
  opt().CleanUp = 1;
  opt().VelqoOnly = 0;
  opt().ConfirmEveryFile = 1;
  File("C:\\A\\doc.txt", "newer doc", Base() + kHour);
  File("D:\\B\\doc.txt", "doc", Base());
  File("D:\\B\\stray.txt", "only in dir 2", Base());
  File("C:\\LOG\\LOG.TXT", "old log\r\n", Base());
  state->opt.ActiveOptions = opt();
  const std::string before = Snapshot(sandbox.root());

  const PreviewReport report = PreviewUpdate(*state);
  EXPECT_EQ(Snapshot(sandbox.root()), before);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_TRUE(host.status_texts.empty());
  EXPECT_TRUE(report.notes.empty());
  EXPECT_EQ(report.outcome, UpdateOutcome::kCompleted);
  const std::string planned = Describe(report.changes);
  EXPECT_NE(planned.find("D:\\B\\stray.txt was deleted [13]"), std::string::npos) << planned;
  EXPECT_EQ(Describe(Real()), planned);
}

TEST_F(PreviewTest, PreviewUpdateNotesItsAnswersAndStopsOnTheWindowsCancel) {
  opt().CleanUp = 1;
  sandbox.MakeDir("C:\\E");
  File("D:\\B\\kept.txt", "kept", Base());
  host.dir1 = "C:\\E";
  state->opt.ActiveOptions = opt();
  PreviewReport report = PreviewUpdate(*state);
  // An empty Dir 1 is taken for an unmounted disk: the preview says No.
  ASSERT_GE(report.notes.size(), 1u);
  EXPECT_EQ(report.notes[0].caption, "Caution!");
  EXPECT_EQ(report.notes[0].answer, "No");
  EXPECT_TRUE(report.changes.empty());
  EXPECT_TRUE(host.boxes.empty());

  host.dir1 = "C:\\A";
  opt().CleanUp = 0;
  opt().SelectSeparate = 0;
  opt().UseDir1And = 1;
  for (int i = 0; i < 6; ++i) {
    const std::string sub = "\\d" + std::to_string(i) + "\\f.txt";
    File("C:\\A" + sub, "new", Base() + kHour);
    File("D:\\B" + sub, "old", Base());
  }
  state->opt.ActiveOptions = opt();
  host.CancelAtPump(3);
  report = PreviewUpdate(*state);
  EXPECT_EQ(report.outcome, UpdateOutcome::kCancelled);
  EXPECT_LT(report.changes.size(), 6u);
  // The next real run is not cancelled by the preview's Cancel.
  EXPECT_EQ(state->flags.CancelRequested, 0);
  EXPECT_EQ(Run(), UpdateOutcome::kCompleted);
}

}  // namespace
}  // namespace velqo::testing
