// The stand-in for the network's data server: an HTTP server that answers
// the data requests Corvane makes, from a directory of day files or from
// synthetic data.
//
// Routes (all GET):
//   /                         a small home page
//   /cgi-bin/eggdatareq.pl    real egg data of one day's span (see
//                             data_request.h): the egg data file of the
//                             records from stime to etime, gzip-compressed
//                             with gzip=Yes; a gzip-compressed message page
//                             beginning with "<html>" (status 200) when the
//                             source has no data for the day; 400 with a
//                             plain-text reason for a request it cannot read
//   /pseudoeggs.dir/pseudoeggs/YYYY/basketdata-YYYY-MM-DD.csv.gz
//                             the whole day's pseudo-egg file; 404 when the
//                             pseudo-egg source has no data for the day
//   /moved/<rest>             302 to /<rest> with the same query (redirect
//                             tests; /moved/moved/... chains)
// A day file in the directory that is not egg data gives 500 with the reason.
//
// Start binds (port 0: a free port, see port()) and serves on threads of its
// own until Stop (or destruction). Faults for tests are set with SetFaults;
// every request is recorded (Requests).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/default_urls.h"
#include "dataserver/fault_plan.h"

namespace corvane::dataserver {

struct ServerOptions {
  std::string host = "127.0.0.1";
  int port = kDefaultDataServerPort;  // 0: pick a free port
  // Real egg data: day files in this directory, or synthetic data when empty.
  std::string dataDirectory;
  // Pseudo-egg data: day files in this directory, or synthetic data (with a
  // seed of its own) when empty.
  std::string pseudoDirectory;
  // Synthetic data: number of eggs and seed.
  int eggCount = 60;
  std::uint64_t seed = 1;
};

struct ReceivedRequest {
  std::string target;  // path and query as sent
  std::string accept;
  std::string cacheControl;
  int status = 0;  // 0 until the answer has been sent
};

class DataServer {
 public:
  explicit DataServer(ServerOptions options);
  ~DataServer();
  DataServer(const DataServer&) = delete;
  DataServer& operator=(const DataServer&) = delete;

  // Binds and starts serving. False (with a reason in *error) when the
  // address cannot be bound.
  bool Start(std::string* error = nullptr);
  // Ends every stall, stops serving and waits for the server's threads.
  void Stop();

  int port() const;
  std::string BaseUrl() const;        // "http://host:port/"
  std::string DataUrl() const;        // BaseUrl + "cgi-bin/eggdatareq.pl?z=1"
  std::string PseudoDataUrl() const;  // BaseUrl + "pseudoeggs.dir/pseudoeggs/"

  // Replaces the fault plan and restarts its request count.
  void SetFaults(const FaultPlan& plan);
  // Ends the stalls in progress (their connections are dropped).
  void ReleaseStalls();

  std::vector<ReceivedRequest> Requests() const;
  // Data requests (real and pseudo-egg) answered so far.
  int DataRequestCount() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace corvane::dataserver
