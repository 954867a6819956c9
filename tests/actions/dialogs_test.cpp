#include "actions/dialogs.h"

#include <gtest/gtest.h>

#include "tests/actions/actions_fixture.h"

namespace velqo::testing {
namespace {

class Dialogs : public ActionsTest {
 protected:
  Dialogs() {
    (void)state->File1Path.Assign("C:\\A\\F.TXT");
    (void)state->File2Path.Assign("D:\\B\\F.TXT");
    state->File1Data.AssignCut("one");
    state->File2Data.AssignCut("two");
  }
};

TEST_F(Dialogs, StatusWindowPutsTheSourceOnTopAndPumpsAfterEachChange) {
  const int before = host.pumps();
  StatusShow(*state, "Is Being Copied To:");
  for (int kind = 0; kind < 4; ++kind) ShowCopyPair(*state, kind);
  ShowBackupPair(*state, "D:\\B\\F.TXT", "D:\\B\\F.~TX", 1);
  ShowSingleFile(*state, 0);
  ShowSingleFile(*state, 1);
  StatusHide(*state);
  const std::vector<std::string> expected = {"mode:Is Being Copied To:",
                                             "show",
                                             "files:C:\\A\\F.TXT|D:\\B\\F.TXT",
                                             "files:D:\\B\\F.TXT|C:\\A\\F.TXT",
                                             "files:C:\\A\\F.TXT|D:\\B\\F.TXT",
                                             "files:D:\\B\\F.TXT|C:\\A\\F.TXT",
                                             "files:D:\\B\\F.TXT|D:\\B\\F.~TX",
                                             "single:D:\\B\\F.TXT",
                                             "single:C:\\A\\F.TXT",
                                             "hide"};
  EXPECT_EQ(host.status_window, expected);
  EXPECT_EQ(host.pumps() - before, 9);
}

}  // namespace
}  // namespace velqo::testing
