#include "search/Job.h"

#include <exception>

namespace morlind {

Worker::~Worker() {
  if (Busy()) control_->RequestStop();
  Wait();
}

bool Worker::Start(std::function<void(JobControl&)> job, std::function<void()> finished) {
  if (Busy()) return false;
  control_ = std::make_shared<JobControl>();
  thread_ = std::thread([control = control_, job = std::move(job), finished = std::move(finished)] {
    // An exception must not end the program from this thread: the window's
    // thread learns of it when it waits.
    try {
      job(*control);
    } catch (const std::exception& e) {
      control->failure_ = e.what()[0] ? e.what() : "?";
    } catch (...) {
      control->failure_ = "?";
    }
    control->returned_.store(true, std::memory_order_release);
    if (finished) finished();
  });
  return true;
}

void Worker::Wait() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace morlind
