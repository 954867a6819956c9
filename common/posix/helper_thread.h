#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>

namespace velqo {

// A second thread that shares the items of a job with the caller: both take
// the next few items until none is left. Worth it for work that waits on the
// kernel item by item (the lookups of a directory's entries), which then
// runs on two processors at once. The thread starts on first use; a machine
// with one processor, or a job too small to share, runs on the caller alone.
class HelperThread {
 public:
  HelperThread();
  ~HelperThread();
  HelperThread(const HelperThread&) = delete;
  HelperThread& operator=(const HelperThread&) = delete;

  // Calls item(i) once for every i in [0, count), in no particular order and
  // possibly on two threads at once; returns when every call has returned.
  void ForEach(std::size_t count, const std::function<void(std::size_t)>& item);

 private:
  enum class State { kIdle, kPosted, kRunning, kDone };

  void Loop();
  // Waits for a posted job or the end; false at the end.
  bool AwaitJob();
  void TakeItems();

  const bool shared_;  // more than one processor to run on
  std::thread thread_;
  std::atomic<State> state_{State::kIdle};
  std::atomic<bool> stop_{false};
  // The helper sleeps only after a while without work; then it is woken.
  std::mutex mutex_;
  std::condition_variable wake_;
  std::atomic<bool> sleeping_{false};
  // The job being shared; set before it is posted, kept until it is done.
  const std::function<void(std::size_t)>* item_ = nullptr;
  std::size_t count_ = 0;
  std::atomic<std::size_t> next_{0};
};

}  // namespace velqo
