#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>

#include "engine/pair_context.h"
#include "tests/engine/engine_fixture.h"

namespace velqo::testing {
namespace {

constexpr std::uint64_t kGB = 1000ULL * 1000 * 1000;

class MatchingTest : public EngineTest {};

TEST_F(MatchingTest, OnCoarseTimesTwoSecondsApartAreEqualFourSecondsMakeTheLaterNewer) {
  platform.fs_names['D'] = "FAT32";
  File("C:\\A\\two.txt", "1", Base() + 2);
  File("D:\\B\\two.txt", "2", Base());
  File("C:\\A\\four.txt", "1", Base());
  File("D:\\B\\four.txt", "2", Base() + 4);
  Run();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\two.txt"), "2");
  EXPECT_EQ(sandbox.ReadFile("C:\\A\\four.txt"), "2");  // Dir 2's was newer
}

TEST_F(MatchingTest, NamesMatchExactlyWhereTheyKeepTheirCase) {
  opt().VelqoOnly = 0;
  opt().AddBothWays = 1;
  File("C:\\A\\Readme.TXT", "new", Base() + kHour);
  File("D:\\B\\README.txt", "old", Base());
  Run();
  // Two files of two names: each side gains the other's.
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\README.txt"), "old");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\Readme.TXT"), "new");
  EXPECT_EQ(sandbox.ReadFile("C:\\A\\README.txt"), "old");
  EXPECT_EQ(sandbox.ReadFile("C:\\A\\Readme.TXT"), "new");
}

TEST_F(MatchingTest, TheSizeDropQuestionAsksOnlyWhenTheNewFileIsTenTimesSmaller) {
  File("C:\\A\\asks.txt", std::string(100, 'n'), Base() + kHour);
  File("D:\\B\\asks.txt", std::string(1001, 'o'), Base());
  File("C:\\A\\quiet.txt", std::string(100, 'n'), Base() + kHour);
  File("D:\\B\\quiet.txt", std::string(1000, 'o'), Base());
  host.Answer(Answer::kYes);  // bypass
  Run();
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].caption, "Warning");
  EXPECT_EQ(host.Messages()[0].text,
            "The New Version Of The File asks.txt Is More Than A Factor Of 10 Smaller Than The "
            "Old Version Of The File.  Do You Wish To ByPass This File Pair?");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\asks.txt").size(), 1001u);
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\quiet.txt").size(), 100u);
}

TEST_F(MatchingTest, TheSizeDropQuestionComparesFullSizesAndIsSilentUnderJfdi) {
  // 300 MB replacing 4 GB is a real drop, though 300 MB is past any 32-bit guard.
  // The two sides spell the name differently so each can be given its
  // size; a Dir 2 that folds case pairs them.
  platform.fs_names['D'] = "FAT32";
  File("C:\\A\\big.bin", "n", Base() + kHour);
  File("D:\\B\\BIG.BIN", "o", Base());
  platform.sizes.emplace("big.bin", 300'000'000);
  platform.sizes.emplace("BIG.BIN", 4 * kGB);
  host.Answer(Answer::kYes);
  Run();
  EXPECT_TRUE(host.ShownContaining("The New Version Of The File big.bin Is More Than"));
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\BIG.BIN"), "o");

  host.boxes.clear();
  opt().JFDI = 1;
  Run();
  EXPECT_TRUE(host.Messages().empty());
  // The volume is FAT only by name: the copy lands under Dir 1's spelling,
  // which a real FAT volume would take for BIG.BIN.
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\big.bin"), "n");
}

class SpaceTest : public EngineTest {
 protected:
  SpaceTest() {
    opt().Add1To2 = 1;
    platform.fs_names['D'] = "EXT4";
    platform.totals['D'] = 300'000'000;  // unit 8192
  }
};

TEST_F(SpaceTest, AllocationUnitsComeFromTheVolumeNameAndSize) {
  AppState& s = *state;
  platform.fs_names['E'] = "fat32";
  platform.totals['E'] = 8'191'999'999;
  EXPECT_EQ(AllocationUnit(s, "E:\\x"), 4096u);
  platform.totals['E'] = 8'192'000'000;
  EXPECT_EQ(AllocationUnit(s, "E:\\x"), 8192u);
  platform.totals['E'] = 40 * kGB;
  EXPECT_EQ(AllocationUnit(s, "E:\\x"), 32768u);
  EXPECT_EQ(AllocationUnit(s, "d:\\x"), 8192u);
  platform.totals['D'] = 1'999'999;
  EXPECT_EQ(AllocationUnit(s, "D:\\x"), 512u);
  platform.unreadable_space.insert('D');
  EXPECT_EQ(AllocationUnit(s, "D:\\x"), 4096u);
  EXPECT_EQ(AllocationUnit(s, "\\\\server\\share"), 4096u);
  EXPECT_EQ(RoundToUnit(0, 8192), 8192);
  EXPECT_EQ(RoundToUnit(8192, 8192), 16384);
  EXPECT_EQ(RoundToUnit(3 * kGB, 4096), static_cast<std::int64_t>((3 * kGB / 4096 + 1) * 4096));
}

TEST_F(SpaceTest, FreeSpaceMustExceedTheNeedByTwoPercent) {
  File("C:\\A\\one.txt", "1", Base());  // counts 8192 on D:
  platform.frees['D'] = 8360;           // 8192 / 980 < 8360 / 1000
  Run();
  EXPECT_TRUE(sandbox.Exists("D:\\B\\one.txt"));

  sandbox.WriteFile("C:\\A\\two.txt", "2");
  platform.frees['D'] = 8359;  // 8192 / 980 > 8359 / 1000
  Run();
  EXPECT_FALSE(sandbox.Exists("D:\\B\\two.txt"));
  const ShownBox box = host.Messages().front();
  EXPECT_EQ(box.caption, "Insufficient Disk Space");
  EXPECT_EQ(box.text,
            "The D Drive Has Insufficient Space For The File Operations Related To The C:\\A "
            "Directory.  This Directory Will Not Be Updated.  Press OK To Continue With Other "
            "Directories Or Cancel To End This Update.");
  const std::vector<std::string> log = LogLines();
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[log.size() - 4],
            "!!! The D Drive Has Insufficient Space For The File Operations From The   !!!");
  EXPECT_EQ(log[log.size() - 3], "C:\\A Directory");
  EXPECT_TRUE(state->flags.ErrorLogged);

  // Unattended, no box: the refusal is said all the same.
  host.boxes.clear();
  opt().JFDI = 1;
  Run();
  EXPECT_FALSE(sandbox.Exists("D:\\B\\two.txt"));
  for (const ShownBox& shown : host.Messages()) EXPECT_NE(shown.caption, "Insufficient Disk Space");
  ASSERT_EQ(host.notices.size(), 1u);
  EXPECT_EQ(host.notices[0],
            "The D Drive Has Insufficient Space For The File Operations Related To The C:\\A "
            "Directory.  This Directory Will Not Be Updated.");
}

TEST_F(SpaceTest, ASparseFileNeedsRoomForItsDataOnlySinceItsCopyKeepsTheHoles) {
  File("C:\\A\\disk.img", "boot", Base());
  ASSERT_EQ(truncate(sandbox.HostPath("C:\\A\\disk.img").c_str(), 64L << 20), 0);
  sandbox.SetMtime("C:\\A\\disk.img", Base());
  struct stat st {};
  ASSERT_EQ(stat(sandbox.HostPath("C:\\A\\disk.img").c_str(), &st), 0);
  if (st.st_blocks * 512 >= st.st_size) GTEST_SKIP() << "the file system keeps no holes";
  platform.frees['D'] = 1 << 20;  // far less than 64 MiB, more than its data
  opt().JFDI = 1;
  Run();
  EXPECT_TRUE(sandbox.Exists("D:\\B\\disk.img"));
  EXPECT_FALSE(LogHas("Insufficient Space"));
}

TEST_F(SpaceTest, AReplacedFileNeedsRoomForItsNewCopyBesideTheOldOneOnTheDirectorysFileSystem) {
  File("C:\\A\\big.bin", "n", Base() + kHour);
  File("D:\\B\\big.bin", "o", Base());
  platform.sizes["big.bin"] = 100'000;  // no growth, but 106,496 bytes beside the old file
  platform.frees['D'] = 108'000;        // 106496 / 980 > 108000 / 1000
  opt().JFDI = 1;
  Run();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\big.bin"), "o");
  EXPECT_NE(std::find(platform.space_paths.begin(), platform.space_paths.end(), "D:\\B"), platform.space_paths.end());
  platform.frees['D'] = 109'000;
  Run();
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\big.bin"), "n");
}

TEST_F(SpaceTest, SizesBeyondFourGigabytesAreCountedInFull) {
  File("C:\\A\\huge.iso", "h", Base());
  platform.sizes["huge.iso"] = 3 * kGB;
  platform.frees['D'] = 2 * kGB;
  opt().JFDI = 1;
  Run();
  EXPECT_FALSE(sandbox.Exists("D:\\B\\huge.iso"));
  EXPECT_FALSE(host.ShownContaining("Insufficient"));  // JFDI: logged, not asked
  EXPECT_TRUE(LogHas("Insufficient Space"));
}

TEST_F(SpaceTest, UnreadableFreeSpaceDoesNotRefuseThePair) {
  File("C:\\A\\one.txt", "1", Base());
  platform.unreadable_space.insert('D');
  Run();
  EXPECT_TRUE(sandbox.Exists("D:\\B\\one.txt"));
}

TEST_F(SpaceTest, CancelOnTheSpaceQuestionEndsTheWalk) {
  opt().SelectSeparate = 0;
  opt().UseDir1And = 1;
  opt().CreateNewDir = 1;
  File("C:\\A\\one.txt", "1", Base());
  File("C:\\A\\sub\\two.txt", "2", Base());
  platform.frees['D'] = 100;
  host.Answer(Answer::kCancel);
  Run();
  EXPECT_EQ(host.Messages()[0].caption, "Insufficient Disk Space");
  EXPECT_EQ(state->flags.EndRunRequested, 1);
  EXPECT_FALSE(sandbox.Exists("D:\\B\\sub"));
}

TEST_F(SpaceTest, AnAllEqualPairNeverReadsTheVolumes) {
  File("C:\\A\\same.txt", "s", Base());
  File("D:\\B\\same.txt", "s", Base());
  Run();
  EXPECT_EQ(platform.space_reads['D'], 0);
}

}  // namespace
}  // namespace velqo::testing
