// corvane-dataserver: the stand-in for the network's data server (see --help).
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <pthread.h>

#include "core/c_format.h"
#include "core/default_urls.h"
#include "dataserver/data_server.h"

namespace {

using corvane::dataserver::FaultPlan;
using corvane::dataserver::ServerOptions;

constexpr const char* kUsage =
    "Usage: corvane-dataserver [options]\n"
    "\n"
    "Answers Corvane's data requests over HTTP, as the network's data server does:\n"
    "real egg data at /cgi-bin/eggdatareq.pl, pseudo-egg day files under\n"
    "/pseudoeggs.dir/pseudoeggs/, and a home page at /. Runs until interrupted.\n"
    "\n"
    "  --host ADDRESS        address to listen on (default 127.0.0.1)\n"
    "  --port N              port (default 8642, the port of Corvane's default data URLs);\n"
    "                        0 picks a free port and prints it\n"
    "  --data-dir DIR        serve real egg data from the day files in DIR, named\n"
    "                        YYYY-MM-DD.csv or YYYY-MM-DD.csv.gz (egg data file format);\n"
    "                        a date without a file gets the \"no data\" message page.\n"
    "                        Without it, synthetic data are served for any date.\n"
    "  --pseudo-dir DIR      serve pseudo-egg data from day files in DIR (same naming);\n"
    "                        without it, synthetic data with a seed of their own\n"
    "  --eggs N              eggs of the synthetic data (default 60)\n"
    "  --seed N              seed of the synthetic data (default 1)\n"
    "\n"
    "Faults, for tests (each applies to the first data requests):\n"
    "  --fail-status LIST    answer the first requests with these HTTP statuses\n"
    "                        (comma-separated, e.g. 404,500; 503*3 repeats a status)\n"
    "  --status-with-data    send the day's data as the body of those answers\n"
    "  --skip N              answer the first N data requests normally; the faults\n"
    "                        below count from the next one\n"
    "  --message-page N      answer the first N requests with the message page\n"
    "  --plain-page          send that page uncompressed even when gzip was asked for\n"
    "  --doctype-page        begin that page with a document-type line\n"
    "  --truncate N          send only the first half of the gzip body, N times\n"
    "  --short-body N        announce the whole body but end the connection after\n"
    "                        its first half, N times\n"
    "  --chunked N           send the first N bodies in chunks, without their length\n"
    "  --stall-after BYTES   stop sending after BYTES body bytes and hold the connection\n"
    "  --stall-requests N    how many answers stall (default 1)\n"
    "  --stall-limit MS      longest stall before the connection is dropped (default 60000)\n"
    "  --trickle BYTES       send bodies BYTES at a time ...\n"
    "  --trickle-interval MS ... with MS milliseconds between the pieces (default 1000)\n"
    "  --help                show this text\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "corvane-dataserver: %s\n", message.c_str());
  std::fprintf(stderr, "Try corvane-dataserver --help\n");
  return 2;
}

std::optional<long long> Number(const std::string& text, long long low, long long high) {
  const std::optional<long long> value = corvane::ParseInteger(text);
  if (!value || *value < low || *value > high) return std::nullopt;
  return value;
}

// "404,500" or "503*3,404": statuses, each optionally repeated.
std::optional<std::vector<int>> Statuses(const std::string& text) {
  constexpr long long kMaxRepeat = 1000;
  std::vector<int> statuses;
  size_t begin = 0;
  while (begin <= text.size()) {
    size_t comma = text.find(',', begin);
    if (comma == std::string::npos) comma = text.size();
    const std::string item = text.substr(begin, comma - begin);
    const size_t star = item.find('*');
    const std::optional<long long> status = Number(item.substr(0, star), 100, 599);
    const std::optional<long long> repeat =
        star == std::string::npos ? 1 : Number(item.substr(star + 1), 1, kMaxRepeat);
    if (!status || !repeat) return std::nullopt;
    statuses.insert(statuses.end(), static_cast<size_t>(*repeat), static_cast<int>(*status));
    begin = comma + 1;
  }
  return statuses;
}

}  // namespace

int main(int argc, char** argv) {
  ServerOptions options;
  FaultPlan faults;
  bool stall_requests_given = false;
  faults.trickleInterval = std::chrono::milliseconds(1000);

  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--status-with-data" || arg == "--plain-page" || arg == "--doctype-page") {
      (arg == "--plain-page"     ? faults.plainMessagePage
       : arg == "--doctype-page" ? faults.doctypeMessagePage
                                 : faults.statusBodyIsData) = true;
      continue;
    }
    if (i + 1 >= argc) return Fail("unknown option or missing value: " + arg);
    const std::string value = argv[++i];
    auto number = [&](long long low, long long high) { return Number(value, low, high); };
    if (arg == "--host") {
      options.host = value;
    } else if (arg == "--port") {
      const auto port = number(0, 65535);
      if (!port) return Fail("--port needs a number from 0 to 65535, not " + value);
      options.port = static_cast<int>(*port);
    } else if (arg == "--data-dir") {
      options.dataDirectory = value;
    } else if (arg == "--pseudo-dir") {
      options.pseudoDirectory = value;
    } else if (arg == "--eggs") {
      const auto eggs = number(1, 200);
      if (!eggs) return Fail("--eggs needs a number from 1 to 200, not " + value);
      options.eggCount = static_cast<int>(*eggs);
    } else if (arg == "--seed") {
      const auto seed = number(0, INT64_MAX);
      if (!seed) return Fail("--seed needs a whole number, not " + value);
      options.seed = static_cast<std::uint64_t>(*seed);
    } else if (arg == "--fail-status") {
      const auto statuses = Statuses(value);
      if (!statuses) return Fail("--fail-status needs statuses from 100 to 599, not " + value);
      faults.statuses = *statuses;
    } else if (arg == "--message-page" || arg == "--truncate" || arg == "--short-body" ||
               arg == "--chunked" || arg == "--skip" || arg == "--stall-requests") {
      const auto count = number(0, INT32_MAX);
      if (!count) return Fail(arg + " needs a count, not " + value);
      if (arg == "--message-page") faults.messagePageRequests = static_cast<int>(*count);
      if (arg == "--truncate") faults.truncatedRequests = static_cast<int>(*count);
      if (arg == "--short-body") faults.shortBodyRequests = static_cast<int>(*count);
      if (arg == "--chunked") faults.chunkedRequests = static_cast<int>(*count);
      if (arg == "--skip") faults.skipRequests = static_cast<int>(*count);
      if (arg == "--stall-requests") {
        faults.stallRequests = static_cast<int>(*count);
        stall_requests_given = true;
      }
    } else if (arg == "--stall-after" || arg == "--trickle") {
      const auto bytes = number(arg == "--trickle" ? 1 : 0, INT64_MAX);
      if (!bytes) return Fail(arg + " needs a byte count, not " + value);
      if (arg == "--stall-after") {
        faults.stallAfterBytes = static_cast<std::size_t>(*bytes);
        if (!stall_requests_given) faults.stallRequests = 1;
      } else {
        faults.trickleBytes = static_cast<std::size_t>(*bytes);
      }
    } else if (arg == "--stall-limit" || arg == "--trickle-interval") {
      const auto ms = number(0, 24LL * 3600 * 1000);
      if (!ms) return Fail(arg + " needs milliseconds, not " + value);
      (arg == "--stall-limit" ? faults.stallLimit : faults.trickleInterval) =
          std::chrono::milliseconds(*ms);
    } else {
      return Fail("unknown option: " + arg);
    }
  }

  // The signals that end the server are taken by this thread alone.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  corvane::dataserver::DataServer server(options);
  server.SetFaults(faults);
  std::string error;
  if (!server.Start(&error)) {
    std::fprintf(stderr, "corvane-dataserver: %s\n", error.c_str());
    return 1;
  }
  std::printf("corvane-dataserver: serving %s on %s\n",
              options.dataDirectory.empty() ? "synthetic data"
                                            : ("the day files of " + options.dataDirectory).c_str(),
              server.BaseUrl().c_str());
  std::printf("port %d\n", server.port());
  std::fflush(stdout);

  int received = 0;
  sigwait(&signals, &received);
  server.Stop();
  return 0;
}
