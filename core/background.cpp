// SPDX-License-Identifier: MIT
#include "core/background.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace tavo {
namespace {

class JobQueue {
 public:
  ~JobQueue() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

  void Add(std::function<void()> job) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!thread_.joinable()) {
        try {
          thread_ = std::thread([this] { Run(); });
        } catch (...) {
        }
      }
      if (thread_.joinable()) {
        jobs_.push_back(std::move(job));
        ++added_;
        changed_.notify_all();
        return;
      }
    }
    job();
  }

  void Finish() {
    std::unique_lock<std::mutex> lock(mutex_);
    const unsigned long long target = added_;
    changed_.wait(lock, [&] { return done_ >= target || !thread_.joinable(); });
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return !jobs_.empty() || stop_; });
      if (jobs_.empty()) return;
      std::function<void()> job = std::move(jobs_.front());
      jobs_.pop_front();
      lock.unlock();
      job();
      job = nullptr;  // what it owned goes here too, off the lock
      lock.lock();
      ++done_;
      changed_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> jobs_;
  unsigned long long added_ = 0, done_ = 0;
  bool stop_ = false;
  std::thread thread_;
};

JobQueue& Queue() {
  static JobQueue queue;
  return queue;
}

}  // namespace

void RunInBackground(std::function<void()> job) { Queue().Add(std::move(job)); }

void FinishBackgroundJobs() { Queue().Finish(); }

}  // namespace tavo
