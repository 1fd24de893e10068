// Long work off the window's thread. The worker runs one job at a time;
// the job checks for a stop between entries and counts what it has done,
// and any thread may ask it to stop or read the count.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace morlind {

class JobControl {
 public:
  void RequestStop() { stop_.store(true, std::memory_order_relaxed); }
  bool StopRequested() const { return stop_.load(std::memory_order_relaxed); }
  // For a call that looks at the flag itself, a long file copy say.
  const std::atomic<bool>& StopFlag() const { return stop_; }
  void CountOne() { done_.fetch_add(1, std::memory_order_relaxed); }
  int Done() const { return done_.load(std::memory_order_relaxed); }

  // What ended the job early by an exception; empty when none did. Read
  // it once the worker has been waited for.
  const std::string& Failure() const { return failure_; }
  // The job has returned and its failure is recorded: waiting for the
  // worker now takes no time.
  bool Returned() const { return returned_.load(std::memory_order_acquire); }

 private:
  friend class Worker;

  std::atomic<bool> stop_{false};
  std::atomic<int> done_{0};
  std::string failure_;
  std::atomic<bool> returned_{false};
};

// A job that is given none runs to its end.
inline bool StopRequested(const JobControl* job) { return job && job->StopRequested(); }
inline void CountOne(JobControl* job) {
  if (job) job->CountOne();
}

class Worker {
 public:
  Worker() = default;
  // A job still running is asked to stop and waited for.
  ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // Runs job on a thread of its own with a fresh control; finished is
  // called on that thread once job has returned (to post a message, not to
  // touch a window). False, and nothing runs, while a job has not been
  // waited for.
  bool Start(std::function<void(JobControl&)> job, std::function<void()> finished);
  // Waits for the job's thread to end; at once when none runs.
  void Wait();
  bool Busy() const { return thread_.joinable(); }
  // The control of the last job started.
  JobControl& Control() { return *control_; }

 private:
  std::shared_ptr<JobControl> control_ = std::make_shared<JobControl>();
  std::thread thread_;
};

}  // namespace morlind
