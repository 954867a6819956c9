#include "config/batches.h"
#include "config/config_texts.h"
#include "tests/config/config_fixture.h"

namespace velqo::testing {
namespace {

class Batches : public ConfigTest {
 protected:
  void StartWith(const std::string& batches, const std::string& last_batch = {}) {
    std::map<std::string, std::string> changes = {{"UseBatchFile", "1"}};
    if (!last_batch.empty()) changes["LastBatch"] = last_batch;
    WriteHost(ProgIni(), FullIni(changes) + batches);
    ASSERT_TRUE(Start());
  }
  const std::string kThree =
      "[Batch1]\nDescription=Home\nDirPair1=C:\\WORK!D:\\BACK\nDirPair2=C:\\A D:\\My Docs\n"
      "DirPair5=C:\\never!D:\\never\n"
      "[Batch2]\nDirPair1=E:\\X!D:\\Y\n"
      "[Batch4]\nDirPair1=C:\\four!D:\\four\n";
};

TEST_F(Batches, ListsBatchesAndPairsUpToTheFirstGap) {
  StartWith(kThree);
  LoadBatches(*state);
  EXPECT_EQ(host.batch_list, (std::vector<std::string>{"Home", "Batch2"}));
  EXPECT_EQ(host.batch_selected, 1);
  EXPECT_EQ(host.dir_pairs, (std::vector<std::string>{"c:\\work!d:\\back", "c:\\a!d:\\my docs"}));
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(Batches, ALastBatchThatIsNotListedFallsBackToTheFirst) {
  for (const std::string last : {"7", "4", "0", "-3"}) {
    StartWith(kThree, last);
    LoadBatches(*state);
    EXPECT_EQ(host.batch_selected, 1) << last;
    EXPECT_EQ(host.dir_pairs.size(), 2u) << last;
    EXPECT_EQ(state->places.LastBatch, 1);
    EXPECT_EQ(Value("LastBatch"), last);  // silently: the file is not changed
    state->profiles.Flush();
  }
}

TEST_F(Batches, PickingALineStoresItAtOnce) {
  StartWith(kThree);
  LoadBatches(*state);
  SelectBatch(*state, 2);
  EXPECT_EQ(Value("LastBatch"), "2");
  EXPECT_EQ(host.dir_pairs, std::vector<std::string>{"e:\\x!d:\\y"});
  LoadBatches(*state);
  EXPECT_EQ(host.batch_selected, 2);
}

TEST_F(Batches, NoFirstBatchIsAnError) {
  StartWith("[Batch2]\nDirPair1=C:\\!D:\\\n");
  LoadBatches(*state);
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].text, kNoDirPairs);
  EXPECT_EQ(host.Messages()[0].icon, Icon::kError);
  EXPECT_TRUE(host.batch_list.empty());
  EXPECT_TRUE(host.dir_pairs.empty());
}

TEST_F(Batches, HostPathsInPairsTakeTheirWindowsForm) {
  StartWith("[Batch1]\nDirPair1=" + sandbox.DriveDir('c') + "/Work Dir!" + sandbox.DriveDir('d') +
            "/Back\nDirPair2=C:\\" + std::string(300, 'x') + "!D:\\y\n");
  LoadBatches(*state);
  ASSERT_EQ(host.dir_pairs.size(), 2u);
  EXPECT_EQ(host.dir_pairs[0], "c:\\work dir!d:\\back");
  // Passed whole, never cut: the run refuses what does not fit a path.
  EXPECT_EQ(host.dir_pairs[1], "c:\\" + std::string(300, 'x') + "!d:\\y");
}

}  // namespace
}  // namespace velqo::testing
