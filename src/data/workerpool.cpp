#include "workerpool.h"

#include <sched.h>

unsigned TWorkerPool::MachineThreads() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return unsigned(CPU_COUNT(&set));
  const unsigned online = std::thread::hardware_concurrency();
  return online > 0 ? online : 1;
}

TWorkerPool::TWorkerPool(unsigned threads) {
  if (threads == 0) threads = MachineThreads();
  Workers.reserve(threads);
  for (unsigned i = 0; i < threads; ++i) Workers.emplace_back(&TWorkerPool::Work, this);
}

TWorkerPool::~TWorkerPool() {
  {
    const std::lock_guard<std::mutex> guard(Lock);
    Stopping = true;
  }
  Wake.notify_all();
  for (std::thread& worker : Workers) worker.join();
}

std::future<void> TWorkerPool::Run(std::function<void()> job) {
  std::packaged_task<void()> task(std::move(job));
  std::future<void> done = task.get_future();
  {
    const std::lock_guard<std::mutex> guard(Lock);
    Queue.push_back(std::move(task));
  }
  Wake.notify_one();
  return done;
}

void TWorkerPool::Work() {
  for (;;) {
    std::packaged_task<void()> task;
    {
      std::unique_lock<std::mutex> guard(Lock);
      Wake.wait(guard, [this] { return Stopping || !Queue.empty(); });
      if (Queue.empty()) return;  // stopping, and nothing left to run
      task = std::move(Queue.front());
      Queue.pop_front();
    }
    task();
  }
}
