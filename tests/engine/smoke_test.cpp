#include "tests/engine/engine_fixture.h"

namespace velqo::testing {
namespace {

class SmokeTest : public EngineTest {};

TEST_F(SmokeTest, NewerDir1FileIsCopied) {
  File("C:\\A\\x.txt", "new", Base() + kHour);
  File("D:\\B\\x.txt", "old", Base());
  EXPECT_EQ(Run(), UpdateOutcome::kCompleted);
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\x.txt"), "new");
  for (auto& l : LogLines()) std::printf("%s\n", l.c_str());
  for (auto& b : host.boxes) std::printf("BOX %s | %s\n", b.caption.c_str(), b.text.c_str());
}

}  // namespace
}  // namespace velqo::testing
