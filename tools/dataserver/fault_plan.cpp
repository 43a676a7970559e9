#include "dataserver/fault_plan.h"

namespace corvane::dataserver {

void FaultSchedule::Set(const FaultPlan& plan) {
  std::lock_guard<std::mutex> lock(mutex_);
  plan_ = plan;
  served_ = 0;
}

Fault FaultSchedule::Next() {
  std::lock_guard<std::mutex> lock(mutex_);
  const int n = served_++;
  Fault fault;
  if (static_cast<size_t>(n) < plan_.statuses.size()) {
    fault.status = plan_.statuses[static_cast<size_t>(n)];
    return fault;
  }
  if (n < plan_.messagePageRequests) {
    fault.messagePage = true;
    return fault;
  }
  fault.truncate = n < plan_.truncatedRequests;
  if (n < plan_.stallRequests) {
    fault.stall = true;
    fault.stallAfterBytes = plan_.stallAfterBytes;
    fault.stallLimit = plan_.stallLimit;
  }
  if (plan_.trickleRequests < 0 || n < plan_.trickleRequests) {
    fault.trickleBytes = plan_.trickleBytes;
    fault.trickleInterval = plan_.trickleInterval;
  }
  return fault;
}

}  // namespace corvane::dataserver
