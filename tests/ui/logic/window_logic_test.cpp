#include <gtest/gtest.h>

#include "tests/support/sandbox.h"
#include "ui/logic/layout_rules.h"
#include "ui/logic/window_refresh.h"

namespace velqo::ui {
namespace {

using velqo::testing::SandboxTest;

TEST(LayoutRulesTest, DirectoryPanelSharesExtraWidthBetweenColumnsForBothSets) {
  const DirectoryLayout normal = ComputeDirectoryLayout(false, 600, 300);
  EXPECT_EQ(normal.edit_width, 523);
  EXPECT_EQ(normal.update_width, 576);
  EXPECT_EQ(normal.column2_left, 101 + 206);
  EXPECT_EQ(normal.tree_width, 101 + 179);
  EXPECT_EQ(normal.tree_height, 173);
  EXPECT_EQ(normal.drive_top, 270);

  const DirectoryLayout large = ComputeDirectoryLayout(true, 601, 400);
  EXPECT_EQ(large.edit_width, 508);
  EXPECT_EQ(large.update_width, 571);
  EXPECT_EQ(large.column2_left, 63 + 245);
  EXPECT_EQ(large.tree_width, 63 + 215);
  EXPECT_EQ(large.tree_height, 248);
  EXPECT_EQ(large.drive_top, 363);

  // Below the designed width the share truncates toward zero, not down.
  EXPECT_EQ(ComputeDirectoryLayout(false, 395, 300).tree_width, -1 + 179);
  EXPECT_EQ(ComputeDirectoryLayout(true, 471, 300).column2_left, -1 + 245);
}

TEST(LayoutRulesTest, BatchPanelAndMinimumSizes) {
  const BatchLayout normal = ComputeBatchLayout(false, 500, 300);
  EXPECT_EQ(normal.update_width, 476);
  EXPECT_EQ(normal.batch_combo_width, 395);
  EXPECT_EQ(normal.pairs_width, 476);
  EXPECT_EQ(normal.pairs_height, 223);
  const BatchLayout large = ComputeBatchLayout(true, 500, 300);
  EXPECT_EQ(large.update_width, 470);
  EXPECT_EQ(large.batch_combo_width, 374);
  EXPECT_EQ(large.pairs_height, 203);
  EXPECT_EQ(MainMinimumSize(false).width, 406);
  EXPECT_EQ(MainMinimumSize(false).height, 414);
  EXPECT_EQ(MainMinimumSize(true).width, 482);
  EXPECT_EQ(MainMinimumSize(true).height, 514);
}

class WindowRefreshTest : public SandboxTest {};

TEST_F(WindowRefreshTest, StructureModePutsDir1OnDir2sDrive) {
  sandbox.MakeDir("D:\\work\\src");
  sandbox.MakeDir("E:\\old");
  ASSERT_TRUE(state->Path1.Assign("d:\\work\\src"));
  ASSERT_TRUE(state->Path2.Assign("e:\\old"));
  state->opt.DefaultOptions.UseDir1 = 1;
  state->opt.DefaultOptions.SelectSeparate = 0;
  state->opt.DefaultOptions.IncHidDir = 1;
  const RefreshPlan plan = PlanRefresh(*state);
  EXPECT_FALSE(plan.path_invalid);
  EXPECT_EQ(plan.edir1, "d:\\work\\src");
  EXPECT_EQ(plan.edir2, "e:\\work\\src");
  EXPECT_EQ(plan.ld2_text, "Drive");
  EXPECT_FALSE(plan.tree2_visible);
  EXPECT_FALSE(plan.progress_visible);
  EXPECT_TRUE(plan.switches.hidden);
  EXPECT_EQ(plan.drive2, 'e');
  EXPECT_EQ(StructurePath('e', "c:\\"), "e:\\");
}

TEST_F(WindowRefreshTest, AStoredPathThatIsGoneBecomesTheRootAndCallsOffAutostart) {
  sandbox.MakeDir("C:\\here");
  ASSERT_TRUE(state->Path1.Assign("c:\\here"));
  ASSERT_TRUE(state->Path2.Assign("d:\\gone"));
  state->sw.AutoStart = 1;
  state->opt.DefaultOptions.UseDir1And = 1;
  const RefreshPlan plan = PlanRefresh(*state);
  EXPECT_TRUE(plan.path_invalid);
  EXPECT_EQ(state->sw.AutoStart, 0);
  EXPECT_EQ(state->Path1.str(), "c:\\here");
  EXPECT_EQ(state->Path2.str(), "c:\\");
  EXPECT_EQ(plan.edir2, "c:\\");
  EXPECT_TRUE(plan.progress_visible);
  EXPECT_TRUE(plan.tree2_visible);
}

TEST_F(WindowRefreshTest, BatchModeLeavesTheStoredPathsAlone) {
  ASSERT_TRUE(state->Path1.Assign("d:\\gone"));
  state->sw.AutoStart = 1;
  state->opt.DefaultOptions.UseBatchFile = 1;
  const RefreshPlan plan = PlanRefresh(*state);
  EXPECT_TRUE(plan.batch_mode);
  EXPECT_FALSE(plan.path_invalid);
  EXPECT_EQ(state->sw.AutoStart, 1);
  EXPECT_EQ(state->Path1.str(), "d:\\gone");
}

}  // namespace
}  // namespace velqo::ui
