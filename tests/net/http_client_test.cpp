// The HTTP client (httpGetFile) and the internet worker (CInternet) against
// the stand-in data server over loopback.
#include <condition_variable>
#include <mutex>

#include <gtest/gtest.h>

#include "dataserver/data_server.h"
#include "eggdata/egg_data_generator.h"
#include "net/http_get_file.h"
#include "net/internet_result.h"
#include "net/internet_url.h"
#include "net/internet_worker.h"
#include "support/gunzip_bytes.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::FileExists;
using testing::GunzipBytes;
using testing::ReadFile;
using testing::WriteFile;

class HttpClientTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server_.Start()); }

  // The data URL of 2011-05-03 00:00:00 to 00:09:59.
  std::string DayUrl() const {
    return server_.DataUrl() +
           "&year=2011&month=5&day=3&stime=00%3A00%3A00&etime=00%3A09%3A59&gzip=Yes&idate=Yes";
  }
  HttpGetResult Get(const std::string& url) { return httpGetFile(url, file_, transfer_, options_); }
  void Faults(std::vector<int> statuses, int messagePages = 0) {
    dataserver::FaultPlan plan;
    plan.statuses = std::move(statuses);
    plan.messagePageRequests = messagePages;
    server_.SetFaults(plan);
  }

  dataserver::DataServer server_{dataserver::ServerOptions{"127.0.0.1", 0, "", "", 60, 1}};
  testing::TempDir dir_;
  std::string file_ = dir_.File("data.txt.gz");
  std::string log_ = dir_.File("eggnet.log");
  HttpTransfer transfer_;
  HttpGetOptions options_;
};

TEST_F(HttpClientTest, DataArriveUnchangedInBlocksWithTheirCountsAndTheLogFollows) {
  std::vector<std::int64_t> counts;
  std::int64_t now = 5000;
  options_.onBlock = [&](std::int64_t total) {
    counts.push_back(total);
    ++now;
  };
  options_.clock = [&] { return now; };
  options_.log = NetworkLog(log_, true);
  const HttpGetResult result = Get(DayUrl());
  EXPECT_EQ(result.code, 0);
  EXPECT_EQ(result.text, "Successful");
  EXPECT_FALSE(result.cancelled);
  const std::string body = ReadFile(file_);
  ASSERT_GT(counts.size(), 1u);
  EXPECT_EQ(counts.back(), std::int64_t(body.size()));
  EXPECT_EQ(result.bytes, counts.back());
  for (size_t i = 0; i < counts.size(); ++i) {
    const std::int64_t block = counts[i] - (i == 0 ? 0 : counts[i - 1]);
    EXPECT_TRUE(block > 0 && block <= 32768) << block;
  }
  // The last-data time is that of the last block; reading has ended.
  EXPECT_EQ(transfer_.lastDataTime.load(), now - 1);
  EXPECT_FALSE(transfer_.reading.load());
  eggdata::EggDataOptions expected;
  expected.start = 1304380800;
  expected.stop = expected.start + 599;
  EXPECT_EQ(GunzipBytes(body), eggdata::GenerateEggData(expected));
  ASSERT_EQ(server_.Requests().size(), 1u);
  EXPECT_EQ(server_.Requests()[0].accept, "*/*");
  EXPECT_EQ(server_.Requests()[0].cacheControl, "no-cache");
  EXPECT_EQ(ReadFile(log_),
            "Enter httpGetFile\nCInternetSession created\nOpened URL\n"
            "Reading http data\nHttp data read\n");
}

TEST_F(HttpClientTest, TheStatusGivesTheCodeAndOnlyASuccessReplacesTheFile) {
  Faults({404, 407, 403, 500, 400, 204}, 7);
  const struct {
    int code;
    const char* text;
    const char* file;  // nullptr: the server's message page
  } cases[] = {{5, "Not found", "previous"},
               {6, "Not authorized", "previous"},
               {6, "Not authorized", "previous"},
               {3, "Connection failed", "previous"},
               {3, "Connection failed", "previous"},
               {0, "Successful", ""},
               {0, "Successful", nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    WriteFile(file_, "previous");
    const HttpGetResult result = Get(DayUrl());
    EXPECT_EQ(result.code, c.code);
    EXPECT_EQ(result.text, c.text);
    const std::string body = ReadFile(file_);
    EXPECT_EQ(c.file != nullptr ? body : GunzipBytes(body).value_or("").substr(0, 6),
              c.file != nullptr ? c.file : "<html>");
  }
}

TEST_F(HttpClientTest, RedirectsAreFollowedUpToTheLimitAndTheFinalStatusDecides) {
  const std::string tail = DayUrl().substr(server_.BaseUrl().size());
  EXPECT_EQ(Get(server_.BaseUrl() + "moved/moved/" + tail).code, 0);
  EXPECT_TRUE(GunzipBytes(ReadFile(file_)));
  Faults({404});
  EXPECT_EQ(Get(server_.BaseUrl() + "moved/" + tail).code, 5);
  std::string chain;
  for (int i = 0; i <= HttpGetOptions::kDefaultMaxRedirects; ++i) chain += "moved/";
  WriteFile(file_, "kept");
  EXPECT_EQ(Get(server_.BaseUrl() + chain + tail).code, 3);
  EXPECT_EQ(ReadFile(file_), "kept");
}

TEST_F(HttpClientTest, UrlsThatCannotBeUsedAreRefusedAndUnreachableOnesFail) {
  EXPECT_EQ(NormaliseUrl("  example.org/cgi-bin/x?z=1 \n"), "http://example.org/cgi-bin/x?z=1");
  EXPECT_EQ(CheckUrl(NormaliseUrl("HTTPS://example.org/")), UrlCheck::kOk);
  std::string https = server_.BaseUrl();
  https.replace(0, 4, "https");  // accepted, and refused by a plain server
  const struct {
    std::string url;
    int code;
    const char* logLine;
  } cases[] = {{"", 2, "Empty URL or filespec"},
               {"/cgi-bin/eggdatareq.pl?z=1", 1, "Invalid URL"},
               {"http://bad host/x", 1, "Invalid URL"},
               {"ftp://127.0.0.1/pub/data.gz", 1, "Wrong service type"},
               {https, 3, "OpenURL failed"},
               {"http://127.0.0.1:1/", 3, "OpenURL failed"}};
  options_.log = NetworkLog(log_, true);
  for (const auto& c : cases) {
    std::remove(log_.c_str());
    const HttpGetResult result = Get(c.url);
    EXPECT_EQ(result.code, c.code) << c.url;
    EXPECT_EQ(result.text, InternetResultText(c.code));
    EXPECT_NE(ReadFile(log_).find(std::string(c.logLine) + "\n"), std::string::npos) << c.url;
  }
  EXPECT_EQ(server_.DataRequestCount(), 0);
  EXPECT_FALSE(FileExists(file_));
}

TEST_F(HttpClientTest, AbortEndsAfterTheBlockInProgressAndKeepsWhatArrived) {
  dataserver::FaultPlan plan;
  plan.trickleBytes = 1000;
  plan.trickleInterval = 20ms;
  server_.SetFaults(plan);
  std::int64_t atAbort = 0;
  options_.onBlock = [&](std::int64_t total) {
    if (total < 3000 || atAbort != 0) return;
    atAbort = total;
    transfer_.abortRequest = true;
  };
  const HttpGetResult result = Get(DayUrl());
  EXPECT_EQ(result.code, 0);
  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(result.bytes, atAbort);
  EXPECT_EQ(std::int64_t(ReadFile(file_).size()), atAbort);
}

TEST_F(HttpClientTest, FileErrorsGiveOneHundredPlusTheCause) {
  options_.log = NetworkLog(log_, true);
  WriteFile(dir_.File("plain"), "a file, not a folder");
  const struct {
    std::string file;
    int code;
  } cases[] = {{dir_.File("missing/data.txt.gz"), 100 + ENOENT},
               {dir_.File("plain/data.txt.gz"), 100 + ENOTDIR},
               {"/dev/full", 100 + ENOSPC}};
  for (const auto& c : cases) {
    if (!FileExists(c.file) && c.file == "/dev/full") continue;
    file_ = c.file;
    const HttpGetResult result = Get(DayUrl());
    EXPECT_EQ(result.code, c.code) << c.file;
    EXPECT_EQ(result.text, "Internet error " + std::to_string(c.code));
  }
  EXPECT_NE(ReadFile(log_).find("Failed to open temp compressed file for write\n"
                                "File exception occurred\n"),
            std::string::npos);
}

// Records what its workers report.
struct RecordingOwner : InternetOwner {
  void ExitInternetThread(const InternetReport& report) override {
    std::lock_guard<std::mutex> lock(mutex);
    reports.push_back(report);
    changed.notify_all();
  }
  void PostBytesReceived(std::int64_t count) override { bytes = count; }
  bool DownloadsCancelled() const override { return false; }

  std::mutex mutex;
  std::condition_variable changed;
  std::vector<InternetReport> reports;
  std::atomic<std::int64_t> bytes{0};
};

TEST_F(HttpClientTest, AWorkerDownloadsOneRequestAndReportsItWithItsGenerationAndSegment) {
  RecordingOwner owner;
  auto worker = std::make_unique<CInternet>(std::make_shared<InternetOwnerLink>(&owner), 7);
  WriteFile(log_, "an earlier run");
  worker->SetLogging(true, true, log_);
  ASSERT_NE(worker->Start(WorkerThread::kStartAtOnce, ThreadPriority::kBelowNormal,
                          CInternet::kThreadName),
            0);
  ASSERT_TRUE(worker->WaitForThreadReady());
  worker->GetInternetData(DayUrl(), file_, 2);
  {
    std::unique_lock<std::mutex> lock(owner.mutex);
    ASSERT_TRUE(owner.changed.wait_for(lock, 10s, [&] { return !owner.reports.empty(); }));
  }
  WorkerThread::Dispose(std::move(worker));
  ASSERT_EQ(owner.reports.size(), 1u);
  EXPECT_EQ(owner.reports[0].generation, 7u);
  EXPECT_EQ(owner.reports[0].segmentIndex, 2);
  EXPECT_EQ(owner.reports[0].resultCode, 0);
  EXPECT_EQ(owner.reports[0].resultText, "Successful");
  EXPECT_EQ(owner.bytes, std::int64_t(ReadFile(file_).size()));
  EXPECT_EQ(ReadFile(log_),
            "\nSignaling EThreadReady\nSignalled internet thread ready\n"
            "***Entered GetInternetData***\nEntered 'Execute' loop\nCall httpGetFile\n"
            "Enter httpGetFile\nCInternetSession created\nOpened URL\nReading http data\n"
            "Http data read\nExit CInternet::Execute\n");
}

}  // namespace
}  // namespace corvane
