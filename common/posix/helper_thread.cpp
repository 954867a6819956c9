#include "common/posix/helper_thread.h"

#include <sched.h>

#include <algorithm>
#include <chrono>

namespace velqo {

namespace {

// Fewer items are not worth sharing, and items are taken a few at a time so
// that neither thread waits long for the other.
constexpr std::size_t kMinShared = 24;
constexpr std::size_t kChunk = 8;
// How long the helper stays awake after a job. A search of a directory of
// fifty files takes a fifth of a millisecond, and waking a sleeping thread
// costs about as much as it would save; a run asks for searches one after
// another, so a helper still awake takes its share at once.
constexpr std::chrono::microseconds kStayAwake{200};

bool SeveralProcessors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) return CPU_COUNT(&set) > 1;
  return std::thread::hardware_concurrency() > 1;
}

void Relax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#else
  std::this_thread::yield();
#endif
}

}  // namespace

HelperThread::HelperThread() : shared_(SeveralProcessors()) {}

HelperThread::~HelperThread() {
  if (!thread_.joinable()) return;
  stop_.store(true);
  {
    std::lock_guard<std::mutex> lock(mutex_);
  }
  wake_.notify_one();
  thread_.join();
}

void HelperThread::ForEach(std::size_t count, const std::function<void(std::size_t)>& item) {
  if (!shared_ || count < kMinShared) {
    for (std::size_t i = 0; i < count; ++i) item(i);
    return;
  }
  item_ = &item;
  count_ = count;
  next_.store(0, std::memory_order_relaxed);
  state_.store(State::kPosted);
  if (!thread_.joinable()) {
    thread_ = std::thread([this] { Loop(); });
  } else if (sleeping_.load()) {
    // Taking the lock orders this with the helper's last look at state_.
    { std::lock_guard<std::mutex> lock(mutex_); }
    wake_.notify_one();
  }
  TakeItems();
  // A helper that has not taken the job yet is not waited for; one that has
  // is finishing its last few items.
  State expected = State::kPosted;
  if (!state_.compare_exchange_strong(expected, State::kIdle)) {
    while (state_.load(std::memory_order_acquire) != State::kDone) Relax();
    state_.store(State::kIdle, std::memory_order_relaxed);
  }
  item_ = nullptr;
}

void HelperThread::TakeItems() {
  for (;;) {
    const std::size_t begin = next_.fetch_add(kChunk, std::memory_order_relaxed);
    if (begin >= count_) return;
    const std::size_t end = std::min(begin + kChunk, count_);
    for (std::size_t i = begin; i < end; ++i) (*item_)(i);
  }
}

bool HelperThread::AwaitJob() {
  const auto until = std::chrono::steady_clock::now() + kStayAwake;
  for (unsigned spins = 0;; ++spins) {
    if (stop_.load(std::memory_order_relaxed)) return false;
    if (state_.load(std::memory_order_acquire) == State::kPosted) return true;
    if (spins % 64 == 63 && std::chrono::steady_clock::now() > until) break;
    Relax();
  }
  std::unique_lock<std::mutex> lock(mutex_);
  sleeping_.store(true);
  wake_.wait(lock, [this] { return stop_.load() || state_.load() == State::kPosted; });
  sleeping_.store(false);
  return !stop_.load();
}

void HelperThread::Loop() {
  while (AwaitJob()) {
    State expected = State::kPosted;
    if (!state_.compare_exchange_strong(expected, State::kRunning)) continue;  // the caller did it all
    TakeItems();
    state_.store(State::kDone, std::memory_order_release);
  }
}

}  // namespace velqo
