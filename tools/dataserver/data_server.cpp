#include "dataserver/data_server.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

#include <httplib.h>
#include <sys/socket.h>

#include "core/c_format.h"
#include "dataserver/answer_cache.h"
#include "dataserver/data_request.h"
#include "dataserver/day_source.h"
#include "eggdata/gzip_bytes.h"

namespace corvane::dataserver {
namespace {

constexpr std::size_t kSendPiece = 65536;
// Answers are made per request: the fastest compression keeps a whole day's
// answer quick.
constexpr int kGzipLevel = 1;
constexpr std::size_t kCachedAnswers = 8;
constexpr const char* kGzipType = "application/x-gzip";
constexpr const char* kTextType = "text/plain";
constexpr const char* kHtmlType = "text/html";

std::unique_ptr<DaySource> MakeSource(const std::string& directory, int eggCount,
                                      std::uint64_t seed) {
  if (!directory.empty()) return std::make_unique<DirectoryDaySource>(directory);
  return std::make_unique<SyntheticDaySource>(eggCount, seed);
}

std::string HomePage(const std::string& source) {
  return "<html>\n<head><title>Corvane data server</title></head>\n<body>\n"
         "<h1>Corvane stand-in data server</h1>\n"
         "<p>Serves egg data for Corvane: " +
         source +
         ".</p>\n"
         "<ul>\n"
         "<li>Real egg data: /cgi-bin/eggdatareq.pl?z=1&amp;year=Y&amp;month=M&amp;day=D"
         "&amp;stime=hh:mm:ss&amp;etime=hh:mm:ss&amp;gzip=Yes</li>\n"
         "<li>Pseudo-egg data: /pseudoeggs.dir/pseudoeggs/YYYY/basketdata-YYYY-MM-DD.csv.gz</li>\n"
         "</ul>\n</body>\n</html>\n";
}

std::string MessagePage(const std::string& date) {
  return "<html>\n<head><title>No data</title></head>\n<body>\n<p>No egg data are available for " +
         date + ".</p>\n</body>\n</html>\n";
}

std::string StatusPage(int status) {
  return CFormat("<html>\n<body>\n<p>Error %d</p>\n</body>\n</html>\n", status);
}

}  // namespace

struct DataServer::Impl {
  explicit Impl(ServerOptions given)
      : options(std::move(given)),
        real(MakeSource(options.dataDirectory, options.eggCount, options.seed)),
        pseudo(MakeSource(options.pseudoDirectory, options.eggCount, options.seed + 1)) {}

  void Routes();
  void AnswerData(const std::optional<DataRequest>& request, const std::string& error,
                  const DaySource& source, bool pseudoEggs, httplib::Response& res);
  void SendBody(std::shared_ptr<const Answer> answer, const Fault& fault, httplib::Response& res);
  // Waits until the time has passed (true), or until the server stops or the
  // stalls are released (false).
  bool Pause(std::chrono::milliseconds duration, std::uint64_t generation);
  std::uint64_t StallGeneration() {
    std::lock_guard<std::mutex> lock(mutex);
    return stall_generation;
  }

  ServerOptions options;
  std::unique_ptr<DaySource> real;
  std::unique_ptr<DaySource> pseudo;
  httplib::Server server;
  std::thread thread;
  int port = 0;
  bool started = false;
  FaultSchedule faults;
  AnswerCache cache{kCachedAnswers};

  mutable std::mutex mutex;
  std::condition_variable wake;
  std::uint64_t stall_generation = 0;
  bool stopping = false;
  std::vector<ReceivedRequest> requests;
  std::map<const httplib::Request*, size_t> in_progress;  // index into requests
  int data_requests = 0;
};

void DataServer::Impl::Routes() {
  // A port that another server holds is refused, never shared.
  server.set_socket_options([](socket_t sock) {
    int yes = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  const std::string source = options.dataDirectory.empty()
                                 ? CFormat("synthetic data of %d eggs", options.eggCount)
                                 : "the day files of " + options.dataDirectory;
  server.Get("/", [source](const httplib::Request&, httplib::Response& res) {
    res.set_content(HomePage(source), kHtmlType);
  });
  server.Get("/cgi-bin/eggdatareq.pl", [this](const httplib::Request& req, httplib::Response& res) {
    std::string error;
    const std::optional<DataRequest> request = ParseRealDataRequest(req.params, &error);
    AnswerData(request, error, *real, false, res);
  });
  server.Get(R"(/pseudoeggs\.dir/pseudoeggs/.*)",
             [this](const httplib::Request& req, httplib::Response& res) {
               std::string error;
               const std::optional<DataRequest> request = ParsePseudoDataPath(req.path, &error);
               AnswerData(request, error, *pseudo, true, res);
             });
  server.Get(R"(/moved(/.*))", [](const httplib::Request& req, httplib::Response& res) {
    std::string target = req.matches[1];
    const size_t query = req.target.find('?');
    if (query != std::string::npos) target += req.target.substr(query);
    res.set_redirect(target, 302);
  });
  server.set_exception_handler(
      [](const httplib::Request&, httplib::Response& res, std::exception_ptr failure) {
        std::string what = "unknown failure";
        try {
          if (failure) std::rethrow_exception(failure);
        } catch (const std::exception& e) {
          what = e.what();
        } catch (...) {
        }
        res.status = 500;
        res.set_content("Internal error: " + what + "\n", kTextType);
      });
  // A request is recorded as it arrives (so that a client that has its
  // answer finds it recorded); its status is added once it is answered.
  server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
    std::lock_guard<std::mutex> lock(mutex);
    in_progress[&req] = requests.size();
    requests.push_back(ReceivedRequest{req.target, req.get_header_value("Accept"),
                                       req.get_header_value("Cache-Control"), 0});
    return httplib::Server::HandlerResponse::Unhandled;
  });
  server.set_logger([this](const httplib::Request& req, const httplib::Response& res) {
    std::lock_guard<std::mutex> lock(mutex);
    const auto it = in_progress.find(&req);
    if (it == in_progress.end()) return;
    requests[it->second].status = res.status;
    in_progress.erase(it);
  });
}

void DataServer::Impl::AnswerData(const std::optional<DataRequest>& request,
                                  const std::string& error, const DaySource& source,
                                  bool pseudoEggs, httplib::Response& res) {
  if (!request) {
    res.status = pseudoEggs ? 404 : 400;
    res.set_content("Bad request: " + error + "\n", kTextType);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex);
    ++data_requests;
  }
  const Fault fault = faults.Next();
  if (fault.status != 0 && !fault.statusBodyIsData) {
    res.status = fault.status;
    res.set_content(StatusPage(fault.status), kHtmlType);
    return;
  }

  const std::string key =
      CFormat("%c %lld %lld %d ", pseudoEggs ? 'p' : 'r', static_cast<long long>(request->from),
              static_cast<long long>(request->to), request->gzip ? 1 : 0) +
      source.Version(request->dayStart);
  std::shared_ptr<const Answer> answer = fault.messagePage ? nullptr : cache.Find(key);
  if (answer == nullptr) {
    DayAnswer day;
    if (!fault.messagePage) day = source.Day(request->dayStart, request->from, request->to);
    if (day.kind == DayAnswer::kBroken) {
      res.status = 500;
      res.set_content("Internal error: " + day.error + "\n", kTextType);
      return;
    }
    if (day.kind == DayAnswer::kNoData) {
      if (pseudoEggs) {
        res.status = 404;
        res.set_content("No pseudo-egg data for " + request->DateText() + "\n", kTextType);
        return;
      }
      day.text = MessagePage(request->DateText());
      if (fault.doctypeMessagePage) day.text.insert(0, "<!DOCTYPE html>\n");
    }
    auto made = std::make_shared<Answer>();
    made->type = day.kind == DayAnswer::kData ? kTextType : kHtmlType;
    if (request->gzip && !fault.plainMessagePage) {
      std::optional<std::string> compressed = eggdata::GzipCompress(day.text, kGzipLevel);
      if (!compressed) throw std::runtime_error("gzip compression failed");
      made->body = std::move(*compressed);
      made->type = kGzipType;
    } else {
      made->body = std::move(day.text);
    }
    answer = made;
    if (!fault.messagePage) cache.Store(key, answer);
  }
  if (fault.status != 0) res.status = fault.status;
  SendBody(answer, fault, res);
}

void DataServer::Impl::SendBody(std::shared_ptr<const Answer> answer, const Fault& fault,
                                httplib::Response& res) {
  if (fault.chunked) {
    res.set_chunked_content_provider(
        answer->type, [answer](size_t offset, httplib::DataSink& sink) {
          const size_t end = std::min(answer->body.size(), offset + kSendPiece);
          if (!sink.write(answer->body.data() + offset, end - offset)) {
            return false;
          }
          if (end == answer->body.size()) sink.done();
          return true;
        });
    return;
  }
  size_t size = answer->body.size();
  if (fault.truncate) size /= 2;
  // What is sent before the connection is dropped (or held, for a stall).
  size_t sent = size;
  if (fault.shortBody) sent = size / 2;
  if (fault.stall) sent = std::min(sent, fault.stallAfterBytes);
  const std::uint64_t generation = StallGeneration();
  res.set_content_provider(
      size, answer->type,
      [this, answer, size, sent, fault, generation](size_t offset, size_t,
                                                    httplib::DataSink& sink) {
        if (offset >= sent) {
          if (fault.stall) Pause(fault.stallLimit, generation);
          return false;  // drops the connection
        }
        const size_t end =
            std::min(sent, offset + (fault.trickleBytes > 0 ? fault.trickleBytes : kSendPiece));
        if (!sink.write(answer->body.data() + offset, end - offset)) return false;
        if (fault.trickleBytes > 0 && end < size) return Pause(fault.trickleInterval, generation);
        return true;
      });
}

bool DataServer::Impl::Pause(std::chrono::milliseconds duration, std::uint64_t generation) {
  std::unique_lock<std::mutex> lock(mutex);
  return !wake.wait_for(lock, duration, [&] { return stopping || stall_generation != generation; });
}

DataServer::DataServer(ServerOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {
  impl_->Routes();
}

DataServer::~DataServer() { Stop(); }

bool DataServer::Start(std::string* error) {
  Impl& impl = *impl_;
  if (impl.started) return true;
  if (impl.options.port == 0) {
    impl.port = impl.server.bind_to_any_port(impl.options.host);
  } else {
    impl.port =
        impl.server.bind_to_port(impl.options.host, impl.options.port) ? impl.options.port : -1;
  }
  if (impl.port <= 0) {
    if (error != nullptr) {
      *error = CFormat("cannot listen on %s port %d", impl.options.host.c_str(), impl.options.port);
    }
    return false;
  }
  auto listening_ended = std::make_shared<std::atomic<bool>>(false);
  impl.thread = std::thread([&impl, listening_ended] {
    impl.server.listen_after_bind();
    *listening_ended = true;
  });
  // Stop is only effective once the server runs.
  while (!impl.server.is_running() && !*listening_ended) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (*listening_ended) {
    impl.thread.join();
    if (error != nullptr) *error = "the server ended at once";
    return false;
  }
  impl.started = true;
  return true;
}

void DataServer::Stop() {
  Impl& impl = *impl_;
  if (!impl.started) return;
  {
    std::lock_guard<std::mutex> lock(impl.mutex);
    impl.stopping = true;
  }
  impl.wake.notify_all();
  impl.server.stop();
  if (impl.thread.joinable()) impl.thread.join();
  impl.started = false;
}

int DataServer::port() const { return impl_->port; }

std::string DataServer::BaseUrl() const {
  return CFormat("http://%s:%d/", impl_->options.host.c_str(), impl_->port);
}

std::string DataServer::DataUrl() const { return BaseUrl() + "cgi-bin/eggdatareq.pl?z=1"; }

std::string DataServer::PseudoDataUrl() const { return BaseUrl() + "pseudoeggs.dir/pseudoeggs/"; }

void DataServer::SetFaults(const FaultPlan& plan) { impl_->faults.Set(plan); }

void DataServer::ReleaseStalls() {
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    ++impl_->stall_generation;
  }
  impl_->wake.notify_all();
}

std::vector<ReceivedRequest> DataServer::Requests() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->requests;
}

int DataServer::DataRequestCount() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->data_requests;
}

}  // namespace corvane::dataserver
