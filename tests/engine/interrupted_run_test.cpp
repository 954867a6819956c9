#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "tests/engine/engine_fixture.h"

namespace velqo::testing {
namespace {

// The engine's platform, whose flush can be held back: a run that dies
// before the end of its pair leaves its copies unflushed.
class HeldFlush : public PlatformWrapper {
 public:
  using PlatformWrapper::PlatformWrapper;
  Status FlushCopies() override { return flush ? PlatformWrapper::FlushCopies() : Status::Ok(); }
  Status EndOfRun() override { return flush ? PlatformWrapper::EndOfRun() : Status::Ok(); }
  bool flush = true;
};


// Central European time with its clock changes, whatever the machine's zone.
class InterruptedRunTest : public EngineTest {
 protected:
  InterruptedRunTest() : held(platform) {
    if (const char* tz = std::getenv("TZ")) saved_tz_ = tz;
    had_tz_ = std::getenv("TZ") != nullptr;
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    const OptionCopies options = state->opt;
    UsePlatform(held);
    state->opt = options;
    state->places.IniPath = "C:\\WINVELQO.INI";
    opt().VelqoOnly = 0;
    opt().Add1To2 = 1;
    opt().CreateBackup = 1;
    opt().JFDI = 1;
  }
  ~InterruptedRunTest() override {
    if (had_tz_) {
      setenv("TZ", saved_tz_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

  // The update in a child that ends when its copies are made but before any
  // flush, as a run killed at that moment.
  void RunAndDieBeforeTheFlush() {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      held.flush = false;
      Run();
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  int Entries(std::string_view name) const {
    int n = 0;
    for (const std::string& line : LogLines()) n += line.rfind("  " + std::string(name), 0) == 0 ? 1 : 0;
    return n;
  }

  HeldFlush held;

 private:
  std::string saved_tz_;
  bool had_tz_ = false;
};

TEST_F(InterruptedRunTest, CopiesLeftUnflushedAreCopiedAgainAtEveryDateAndNeverBack) {
  struct Case {
    const char* name;
    std::time_t when;
    std::time_t old;  // 0: no old version in Dir 2
    bool pending;     // left unflushed (else made durable at once)
  };
  const Case cases[] = {
      // The second 02:00:30 of the autumn change, where a minute earlier
      // reads as 02:59:30.
      {"autumn.txt", UtcEpoch(2024, 10, 27, 1, 0, 30), UtcEpoch(2024, 10, 20, 1, 0, 0), true},
      // Just after the skipped spring hour.
      {"spring.txt", UtcEpoch(2024, 3, 31, 1, 0, 30), UtcEpoch(2024, 3, 20, 1, 0, 0), true},
      // Beyond 2107 every time packs as the last one.
      {"late.txt", UtcEpoch(2150, 1, 1, 0, 0, 0), UtcEpoch(2107, 6, 1, 0, 0, 0), true},
      {"lastsecond.txt", UtcEpoch(2107, 12, 31, 22, 59, 59), UtcEpoch(2107, 6, 1, 0, 0, 0), true},
      // Before 1980 every time packs as the first one: nothing reads older.
      {"early.txt", UtcEpoch(1975, 6, 1, 12, 0, 0), 0, false},
      {"first.txt", UtcEpoch(1979, 12, 31, 23, 0, 1), 0, false},
      // Four seconds after the first packed time: that time reads older.
      {"fourth.txt", UtcEpoch(1979, 12, 31, 23, 0, 3), 0, true},
  };
  for (const Case& c : cases) {
    File(std::string("C:\\A\\") + c.name, std::string("new ") + c.name, c.when);
    if (c.old != 0) File(std::string("D:\\B\\") + c.name, "old", c.old);
  }
  RunAndDieBeforeTheFlush();
  for (const Case& c : cases) {
    const std::string target = std::string("D:\\B\\") + c.name;
    ASSERT_EQ(sandbox.ReadFile(target), std::string("new ") + c.name);
    if (!c.pending) {
      // No time can read older: the copy was made durable and got its real time at once.
      EXPECT_EQ(sandbox.Mtime(target), c.when) << c.name;
    } else {
      EXPECT_NE(sandbox.Mtime(target), c.when) << c.name;
    }
  }
  int before[std::size(cases)];
  for (std::size_t i = 0; i < std::size(cases); ++i) before[i] = Entries(cases[i].name);

  Run();
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    const std::string name = c.name;
    EXPECT_EQ(sandbox.ReadFile("C:\\A\\" + name), "new " + name) << "copied back: " << name;
    EXPECT_EQ(sandbox.ReadFile("D:\\B\\" + name), "new " + name);
    EXPECT_EQ(sandbox.Mtime("D:\\B\\" + name), c.when) << name;
    // Copied again exactly where the interrupted copy could not be trusted.
    EXPECT_EQ(Entries(name) > before[i], c.pending) << name;
  }
  // The pending copies were never taken for the old versions.
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\autumn.~tx"), "old");
  EXPECT_EQ(sandbox.ReadFile("D:\\B\\late.~tx"), "old");
  EXPECT_EQ(state->flags.ErrorLogged, 0);
}

}  // namespace
}  // namespace velqo::testing
