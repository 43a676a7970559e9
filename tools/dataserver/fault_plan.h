// Faults the stand-in data server can inject into its data answers, for
// tests. Each fault applies to the first N data requests (real or
// pseudo-egg) counted from the moment the plan was set, after the first
// skipRequests (which are answered normally); other requests are answered
// normally. When several apply, the first in this order wins: a
// status, the message page, then the body faults (truncation, short body,
// stall, trickle combine).
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <vector>

namespace corvane::dataserver {

struct FaultPlan {
  int skipRequests = 0;
  // Request i (from 0) is answered with statuses[i] and a short page, or
  // with the day's data as its body when statusBodyIsData is set (an answer
  // a client must not take for data all the same).
  std::vector<int> statuses;
  bool statusBodyIsData = false;
  // The first messagePageRequests requests get the "no data" message page,
  // compressed as the data would be, or uncompressed with plainMessagePage.
  int messagePageRequests = 0;
  bool plainMessagePage = false;
  // The message page begins with a document-type line, so that a client
  // cannot tell it from data by its first word.
  bool doctypeMessagePage = false;
  // The first truncatedRequests answers carry only the first half of their
  // gzip body (as a complete HTTP answer with a matching length).
  int truncatedRequests = 0;
  // The first shortBodyRequests answers announce their whole length but end
  // the connection after the first half of the body.
  int shortBodyRequests = 0;
  // The first chunkedRequests answers are sent whole in chunks, without
  // announcing their length; the other body faults skip them.
  int chunkedRequests = 0;
  // The first stallRequests answers stop sending after stallAfterBytes body
  // bytes and hold the connection until the stall is released, the server
  // stops or stallLimit has passed; then the connection is dropped.
  int stallRequests = 0;
  std::size_t stallAfterBytes = 0;
  std::chrono::milliseconds stallLimit{60000};
  // Bodies are sent trickleBytes at a time with trickleInterval between the
  // pieces (0 bytes: at once), for the first trickleRequests answers (-1:
  // every answer).
  std::size_t trickleBytes = 0;
  std::chrono::milliseconds trickleInterval{0};
  int trickleRequests = -1;
};

// What one data request gets.
struct Fault {
  int status = 0;  // 0: none
  bool statusBodyIsData = false;
  bool messagePage = false;
  bool plainMessagePage = false;
  bool doctypeMessagePage = false;
  bool truncate = false;
  bool shortBody = false;
  bool chunked = false;
  bool stall = false;
  std::size_t stallAfterBytes = 0;
  std::chrono::milliseconds stallLimit{0};
  std::size_t trickleBytes = 0;
  std::chrono::milliseconds trickleInterval{0};
};

// Hands out the faults request by request; thread-safe.
class FaultSchedule {
 public:
  void Set(const FaultPlan& plan);
  // The fault of the next data request (and counts it).
  Fault Next();

 private:
  std::mutex mutex_;
  FaultPlan plan_;
  int served_ = 0;
};

}  // namespace corvane::dataserver
