#include "search/Job.h"

namespace morlind {

Worker::~Worker() {
  if (Busy()) control_->RequestStop();
  Wait();
}

bool Worker::Start(std::function<void(JobControl&)> job, std::function<void()> finished) {
  if (Busy()) return false;
  control_ = std::make_shared<JobControl>();
  thread_ = std::thread([control = control_, job = std::move(job), finished = std::move(finished)] {
    job(*control);
    if (finished) finished();
  });
  return true;
}

void Worker::Wait() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace morlind
