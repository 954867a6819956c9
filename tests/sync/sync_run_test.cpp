// Runs of the sync in-process on real trees, where a listing fails or the
// user cancels: what the state keeps decides what the next run does.

#include "sync/sync_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/platform/platform_wrapper.h"
#include "tests/support/sandbox.h"

namespace velqo::sync {
namespace {

// The real platform, except that listings of one directory fail.
class UnlistablePlatform : public PlatformWrapper {
 public:
  using PlatformWrapper::PlatformWrapper;
  Status FindFirst(std::string_view pattern, std::uint32_t mask, std::unique_ptr<DirSearch>* search) override {
    if (!unlistable.empty() && pattern == unlistable + "\\*.*") return Status::IOError("cannot read " + unlistable);
    return PlatformWrapper::FindFirst(pattern, mask, search);
  }
  std::string unlistable;
};

class SyncRunTest : public testing::SandboxTest {
 protected:
  SyncRunTest() : wrapper_(*fs) {
    UsePlatform(wrapper_);
    sandbox.MakeDir("C:\\a");
    sandbox.MakeDir("D:\\b");
    EXPECT_TRUE(state::Database::OpenInMemory(&db_).ok());
  }

  SyncReport Sync() {
    state::SyncState st;
    EXPECT_TRUE(state::SyncState::Open(&db_, state::MakePairKey("/a", "/b"), &st).ok());
    SyncReport report;
    decisions.clear();
    RunSync(*state, st, "C:\\a", "D:\\b", SyncOptions{}, [&](const DecisionEvent& e) { decisions.push_back(e); },
            &report);
    if (!report.state_failed) {
      EXPECT_TRUE(st.Commit().ok());
    }
    return report;
  }

  void Write(const std::string& windows, const std::string& text) {
    sandbox.WriteFile(windows, text);
    sandbox.SetMtime(windows, 1700000000);
  }

  UnlistablePlatform wrapper_;
  state::Database db_;
  std::vector<DecisionEvent> decisions;
};

TEST_F(SyncRunTest, ADirectoryThatCannotBeListedIsNotTakenForEmptyAndKeepsItsState) {
  Write("C:\\a\\keep.txt", "k");
  Write("C:\\a\\sub\\x.txt", "x");
  ASSERT_EQ(Sync().failures, 0);
  ASSERT_TRUE(sandbox.Exists("D:\\b\\sub\\x.txt"));
  std::filesystem::remove(sandbox.HostPath("C:\\a\\sub\\x.txt"));
  Write("C:\\a\\sub\\new.txt", "n");

  wrapper_.unlistable = "D:\\b\\sub";
  const SyncReport failed = Sync();
  EXPECT_GT(failed.failures, 0);
  EXPECT_EQ(failed.deletions, 0);
  EXPECT_EQ(failed.copies, 0);
  EXPECT_FALSE(sandbox.Exists("D:\\b\\sub\\new.txt"));
  EXPECT_TRUE(sandbox.Exists("D:\\b\\sub\\x.txt"));
  EXPECT_FALSE(host.warnings.empty());

  // The state still knows x.txt as synced: its deletion in A is carried
  // now, instead of B's copy coming back as if it were new.
  wrapper_.unlistable.clear();
  const SyncReport retried = Sync();
  EXPECT_EQ(retried.failures, 0);
  EXPECT_FALSE(sandbox.Exists("D:\\b\\sub\\x.txt"));
  EXPECT_FALSE(sandbox.Exists("C:\\a\\sub\\x.txt"));
  EXPECT_EQ(sandbox.ReadFile("D:\\b\\sub\\new.txt"), "n");
}

TEST_F(SyncRunTest, ACancelledRunKeepsTheStateOfWhatItDidNotReach) {
  for (int i = 0; i < 12; ++i) Write("C:\\a\\d" + std::to_string(i) + "\\f.txt", "f");
  Write("C:\\a\\keep.txt", "k");
  ASSERT_EQ(Sync().failures, 0);
  for (int i = 0; i < 12; ++i) std::filesystem::remove(sandbox.HostPath("C:\\a\\d" + std::to_string(i) + "\\f.txt"));

  host.CancelAtPump(4);
  const SyncReport cancelled = Sync();
  EXPECT_TRUE(cancelled.cancelled);
  EXPECT_GT(cancelled.deletions, 0);
  EXPECT_LT(cancelled.deletions, 12);

  // Every deletion not reached is carried by the next run; none of B's
  // files comes back to A.
  const SyncReport finished = Sync();
  EXPECT_FALSE(finished.cancelled);
  EXPECT_EQ(cancelled.deletions + finished.deletions, 12);
  for (int i = 0; i < 12; ++i) {
    EXPECT_FALSE(sandbox.Exists("D:\\b\\d" + std::to_string(i) + "\\f.txt")) << i;
    EXPECT_FALSE(sandbox.Exists("C:\\a\\d" + std::to_string(i) + "\\f.txt")) << i;
  }
}

TEST_F(SyncRunTest, APreviewDecidesWhatTheRunDoesAndChangesNothing) {
  Write("C:\\a\\x.txt", "x");
  Write("D:\\b\\y\\z.txt", "z");
  state::SyncState st;
  ASSERT_TRUE(state::SyncState::Open(&db_, state::MakePairKey("/a", "/b"), &st).ok());
  SyncOptions preview;
  preview.preview = true;
  SyncReport report;
  std::vector<std::string> planned;
  RunSync(*state, st, "C:\\a", "D:\\b", preview,
          [&](const DecisionEvent& e) { planned.push_back(std::string(DecisionName(e.decision)) + " " + e.path); },
          &report);
  EXPECT_EQ(planned, (std::vector<std::string>{"copy A->B x.txt", "copy B->A y", "copy B->A y/z.txt"}));
  EXPECT_FALSE(sandbox.Exists("D:\\b\\x.txt"));
  EXPECT_FALSE(sandbox.Exists("C:\\a\\y"));
  bool known = true;
  ASSERT_TRUE(st.Known(&known).ok());
  EXPECT_FALSE(known);

  Sync();
  EXPECT_TRUE(sandbox.Exists("D:\\b\\x.txt"));
  EXPECT_EQ(sandbox.ReadFile("C:\\a\\y\\z.txt"), "z");
}

}  // namespace
}  // namespace velqo::sync
