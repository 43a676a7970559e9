#include "dataserver/fault_plan.h"

namespace corvane::dataserver {

void FaultSchedule::Set(const FaultPlan& plan) {
  std::lock_guard<std::mutex> lock(mutex_);
  plan_ = plan;
  served_ = 0;
}

Fault FaultSchedule::Next() {
  std::lock_guard<std::mutex> lock(mutex_);
  const int n = served_++ - plan_.skipRequests;
  Fault fault;
  if (n < 0) return fault;
  if (static_cast<size_t>(n) < plan_.statuses.size()) {
    fault.status = plan_.statuses[static_cast<size_t>(n)];
    fault.statusBodyIsData = plan_.statusBodyIsData;
    return fault;
  }
  if (n < plan_.messagePageRequests) {
    fault.messagePage = true;
    fault.plainMessagePage = plan_.plainMessagePage;
    fault.doctypeMessagePage = plan_.doctypeMessagePage;
    return fault;
  }
  fault.truncate = n < plan_.truncatedRequests;
  fault.shortBody = n < plan_.shortBodyRequests;
  fault.chunked = n < plan_.chunkedRequests;
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
