#include "cli/answer_input.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <istream>
#include <string>
#include <thread>

namespace velqo::cli {
namespace {

extern "C" void IgnoreSignal(int) {}

// A pipe standing for standard input, and SIGUSR1 standing for Ctrl-C,
// caught with SA_RESTART as the real handler is.
class AnswerInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(pipe(fds_), 0);
    struct sigaction action = {};
    action.sa_handler = IgnoreSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGUSR1, &action, &previous_);
  }
  void TearDown() override {
    sigaction(SIGUSR1, &previous_, nullptr);
    close(fds_[0]);
    if (fds_[1] >= 0) close(fds_[1]);
  }
  void Write(const std::string& text) {
    ASSERT_EQ(write(fds_[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  // Signals this thread after a moment, optionally counting as an interrupt.
  std::thread SignalSoon(std::atomic<bool>* interrupted, bool counts, const std::string& then) {
    const pthread_t reader = pthread_self();
    return std::thread([this, reader, interrupted, counts, then] {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (counts) interrupted->store(true);
      pthread_kill(reader, SIGUSR1);
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      if (!then.empty()) Write(then);
    });
  }

  int fds_[2] = {-1, -1};
  struct sigaction previous_ = {};
};

TEST_F(AnswerInputTest, ReadsLinesUntilTheWriterCloses) {
  Write("yes\nno\n");
  close(fds_[1]);
  fds_[1] = -1;
  AnswerInput buffer(fds_[0], [] { return false; });
  std::istream in(&buffer);
  std::string line;
  ASSERT_TRUE(std::getline(in, line));
  EXPECT_EQ(line, "yes");
  ASSERT_TRUE(std::getline(in, line));
  EXPECT_EQ(line, "no");
  EXPECT_FALSE(std::getline(in, line));
}

TEST_F(AnswerInputTest, AnInterruptEndsTheWaitAndReadingGoesOnAfterwards) {
  std::atomic<bool> interrupted{false};
  AnswerInput buffer(fds_[0], [&interrupted] { return interrupted.load(); });
  std::istream in(&buffer);
  std::thread signaller = SignalSoon(&interrupted, true, "");
  std::string line;
  EXPECT_FALSE(std::getline(in, line));
  signaller.join();
  in.clear();
  Write("ok\n");
  ASSERT_TRUE(std::getline(in, line));
  EXPECT_EQ(line, "ok");
}

TEST_F(AnswerInputTest, OtherSignalsKeepWaitingForTheAnswer) {
  std::atomic<bool> interrupted{false};
  AnswerInput buffer(fds_[0], [&interrupted] { return interrupted.load(); });
  std::istream in(&buffer);
  std::thread signaller = SignalSoon(&interrupted, false, "late\n");
  std::string line;
  EXPECT_TRUE(std::getline(in, line));
  signaller.join();
  EXPECT_EQ(line, "late");
}

}  // namespace
}  // namespace velqo::cli
