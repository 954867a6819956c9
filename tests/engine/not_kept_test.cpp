// What a target could not keep is said once per run, to the host and in the log.

#include <string>
#include <utility>
#include <vector>

#include "tests/engine/engine_fixture.h"

namespace velqo::testing {
namespace {

// The real platform, reporting notes as a target that keeps no owners would.
class ForgetfulTarget : public PlatformWrapper {
 public:
  using PlatformWrapper::PlatformWrapper;
  std::vector<std::string> TakeNotKept() override { return std::exchange(notes, {}); }
  Status CopyFile(std::string_view from, std::string_view to) override {
    ++copies;
    if (forget && notes.empty()) notes.push_back("owners not kept: not running as root");
    return PlatformWrapper::CopyFile(from, to);
  }
  std::vector<std::string> notes;
  int copies = 0;
  bool forget = true;
};

class NotKeptTest : public EngineTest {
 protected:
  NotKeptTest() : forgetful(platform) {
    const OptionCopies options = state->opt;
    UsePlatform(forgetful);
    state->opt = options;
    state->places.IniPath = "C:\\WINVELQO.INI";
    opt().VelqoOnly = 0;
    opt().Add1To2 = 1;
  }
  ForgetfulTarget forgetful;
};

TEST_F(NotKeptTest, ManyCopiesGiveOneWarningAndOneLogEntry) {
  for (int i = 0; i < 5; ++i) File("C:\\A\\f" + std::to_string(i) + ".txt", "x", Base());
  Run();
  EXPECT_EQ(forgetful.copies, 5);
  ASSERT_EQ(host.warnings.size(), 1u);
  EXPECT_EQ(host.warnings[0], "owners not kept: not running as root");
  EXPECT_TRUE(LogHas("Not Kept In Dir 2"));
  EXPECT_TRUE(LogHas("owners not kept: not running as root"));
  // Not an error: the run went through.
  EXPECT_EQ(state->flags.ErrorLogged, 0);
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(NotKeptTest, ARunThatKeptEverythingSaysNothing) {
  forgetful.forget = false;
  File("C:\\A\\f.txt", "x", Base());
  Run();
  ASSERT_EQ(forgetful.copies, 1);
  EXPECT_TRUE(host.warnings.empty());
  EXPECT_FALSE(LogHas("Not Kept"));
}

}  // namespace
}  // namespace velqo::testing
