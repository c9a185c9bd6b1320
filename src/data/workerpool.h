// A fixed set of worker threads that run jobs in the order they were given: the inflating of
// pictures at start-up uses every processor while the GUI thread takes the results in order.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

class TWorkerPool {
 public:
  // threads 0: one per processor this process may run on.
  explicit TWorkerPool(unsigned threads = 0);
  // Runs what is still queued, then stops the threads.
  ~TWorkerPool();
  TWorkerPool(const TWorkerPool&) = delete;
  TWorkerPool& operator=(const TWorkerPool&) = delete;

  // Queues a job; the future is ready when it has run (and carries what it threw).
  std::future<void> Run(std::function<void()> job);
  unsigned Threads() const { return static_cast<unsigned>(Workers.size()); }

  // The processors this process may run on (its affinity), at least 1.
  static unsigned MachineThreads();

 private:
  void Work();

  std::mutex Lock;
  std::condition_variable Wake;
  std::deque<std::packaged_task<void()>> Queue;
  bool Stopping = false;
  std::vector<std::thread> Workers;
};
