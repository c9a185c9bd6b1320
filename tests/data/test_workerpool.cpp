// The worker pool that inflates pictures on every processor.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "data/workerpool.h"

TEST(WorkerPool, RunsEveryJobOnItsThreadsAndReportsWhatTheyThrow) {
  EXPECT_GE(TWorkerPool::MachineThreads(), 1u);
  EXPECT_EQ(TWorkerPool(0).Threads(), TWorkerPool::MachineThreads());

  std::atomic<int> count{0};
  std::vector<std::future<void>> done;
  std::atomic<bool> onCaller{false};
  const std::thread::id caller = std::this_thread::get_id();
  {
    TWorkerPool pool(3);
    EXPECT_EQ(pool.Threads(), 3u);
    for (int i = 0; i < 500; ++i) {
      done.push_back(pool.Run([&] {
        if (std::this_thread::get_id() == caller) onCaller = true;
        ++count;
      }));
    }
    done.push_back(pool.Run([] { throw std::runtime_error("broken picture"); }));
    for (std::size_t i = 0; i + 1 < done.size(); ++i) done[i].get();
    EXPECT_THROW(done.back().get(), std::runtime_error);
    EXPECT_EQ(count, 500);
  }
  EXPECT_FALSE(onCaller);

  // Jobs still queued when the pool goes are run before it is gone.
  std::atomic<int> late{0};
  {
    TWorkerPool pool(1);
    pool.Run([] { std::this_thread::sleep_for(std::chrono::milliseconds(20)); });
    for (int i = 0; i < 50; ++i) pool.Run([&] { ++late; });
  }
  EXPECT_EQ(late, 50);
}
