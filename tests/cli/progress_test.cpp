#include "cli/progress.h"
#include "common/preview/plan_text.h"

#include <gtest/gtest.h>

#include <sstream>

namespace velqo::cli {
namespace {

TEST(ProgressLines, WalkLineShowsDirectoriesDoneOfTotalInTheWidth) {
  EXPECT_EQ(WalkLine(50, 200, 50), "Directories  50/200 [#####-----------------]  25%");
  EXPECT_EQ(WalkLine(50, 200, 50).size(), 49u);
  EXPECT_EQ(WalkLine(300, 200, 40), WalkLine(200, 200, 40));  // clamped
  EXPECT_NE(WalkLine(200, 200, 40).find("200/200"), std::string::npos);
  EXPECT_NE(WalkLine(200, 200, 40).find("100%"), std::string::npos);
  // A narrow terminal drops the bar rather than wrapping.
  EXPECT_LE(WalkLine(12345, 20000, 20).size(), 19u);
}

TEST(ProgressLines, CopyLineShortensThePathFromTheLeft) {
  const std::uint64_t mib = 1024 * 1024;
  const std::string line = CopyLine("C:\\data\\videos\\2024\\holiday\\clip-0001.mov", 12 * mib,
                                    64 * mib, 60);
  EXPECT_EQ(line.size(), 59u);
  EXPECT_EQ(line.substr(0, 11), "Copying ...");
  EXPECT_NE(line.find("clip-0001.mov  12.0 MiB of 64.0 MiB  18%"), std::string::npos);
  EXPECT_EQ(CopyLine("C:\\a", 0, 0, 80), "Copying C:\\a  0 B of 0 B  100%");
  EXPECT_NE(CopyLine("C:\\a", 5, 3, 80).find("3 B of 3 B  100%"), std::string::npos);
}

TEST(ProgressLines, FormatsBytesInBinaryUnits) {
  EXPECT_EQ(FormatBytes(0), "0 B");
  EXPECT_EQ(FormatBytes(1023), "1023 B");
  EXPECT_EQ(FormatBytes(1024), "1.0 KiB");
  EXPECT_EQ(FormatBytes(64ull << 20), "64.0 MiB");
  EXPECT_EQ(FormatBytes(5ull << 40), "5.0 TiB");
  EXPECT_EQ(FormatBytes(UINT64_MAX), "16384.0 PiB");
}

class FakeClock {
 public:
  std::chrono::steady_clock::time_point now{std::chrono::seconds(1000)};
  ProgressDisplay::Clock clock() {
    return [this] { return now; };
  }
};

TEST(ProgressDisplayTest, DisabledWritesNothingAtAll) {
  std::ostringstream err;
  ProgressDisplay progress(err, false, 80);
  progress.SetWalkMaximum(10);
  progress.SetWalkPosition(5);
  progress.SetCurrentFile("C:\\a");
  progress.OnCopyProgress(1, 100);
  progress.Clear();
  EXPECT_EQ(err.str(), "");
}

TEST(ProgressDisplayTest, CopyProgressIsThrottledButItsEndIsDrawnAtOnce) {
  std::ostringstream err;
  FakeClock clock;
  ProgressDisplay progress(err, true, 80, std::chrono::milliseconds(100), clock.clock());
  progress.SetWalkMaximum(4);
  progress.SetWalkPosition(1);
  progress.SetCurrentFile("C:\\big.bin");
  progress.OnCopyProgress(10, 1000);  // within the interval of the walk line
  EXPECT_EQ(err.str().find("Copying"), std::string::npos);
  clock.now += std::chrono::milliseconds(150);
  progress.OnCopyProgress(20, 1000);
  EXPECT_NE(err.str().find("Copying C:\\big.bin  20 B of 1000 B  2%"), std::string::npos);
  err.str("");
  progress.OnCopyProgress(30, 1000);
  EXPECT_EQ(err.str(), "");
  progress.OnCopyProgress(1000, 1000);  // done: the walk line returns
  EXPECT_NE(err.str().find("Directories  1/4"), std::string::npos);
}

TEST(ProgressDisplayTest, ClearErasesOnlyADrawnLineAndTheEndOfTheRunRemovesIt) {
  std::ostringstream err;
  ProgressDisplay progress(err, true, 80, std::chrono::milliseconds(0));
  progress.Clear();
  EXPECT_EQ(err.str(), "");
  progress.SetWalkMaximum(3);
  progress.SetWalkPosition(3);
  EXPECT_NE(err.str().find("Directories  3/3"), std::string::npos);
  err.str("");
  progress.SetWalkPosition(0);
  EXPECT_EQ(err.str(), "\r\x1b[K");
  err.str("");
  progress.Clear();
  EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace velqo::cli

namespace velqo::cli {
namespace {

TEST(ProgressLines, RunLineShowsDoneOfTotalRateAndTimeLeft) {
  RunProgress p;
  p.files_done = 12;
  p.files_total = 340;
  p.bytes_done = 10u << 20;
  p.bytes_total = 40u << 20;
  p.seconds = 5;
  // 2 MiB/s, 30 MiB to go: 15 s.
  EXPECT_EQ(RunLine(p, "/home/ann/docs/a.txt", 100),
            "Files 12/340  10.0 MiB of 40.0 MiB  2.0 MiB/s  0:15 left  /home/ann/docs/a.txt");
  // Before a second has gone by there is no rate to tell.
  p.seconds = 0.5;
  EXPECT_EQ(RunLine(p, "", 100), "Files 12/340  10.0 MiB of 40.0 MiB");
  // Long runs show hours; the path is shortened from the left to fit.
  p.seconds = 10;
  p.bytes_done = 1;
  const std::string line = RunLine(p, "/a/very/long/path/to/some/file.bin", 70);
  EXPECT_LE(line.size(), 69u);
  EXPECT_NE(line.find(" left  ..."), std::string::npos) << line;
  EXPECT_NE(line.find("file.bin"), std::string::npos) << line;
  EXPECT_NE(line.find(":"), std::string::npos) << line;
}

}  // namespace
}  // namespace velqo::cli
