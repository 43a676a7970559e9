#include "net/http_get_file.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "eggdata/egg_data_generator.h"
#include "net/internet_result.h"
#include "server_fixture.h"
#include "support/gunzip_bytes.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::FileExists;
using testing::GunzipBytes;
using testing::ReadFile;
using testing::WriteFile;

constexpr std::int64_t kMay3 = 1304380800;

class HttpGetFileTest : public testing::ServerFixture {
 protected:
  HttpGetResult Get(const std::string& url, const std::string& file) {
    HttpTransfer transfer;
    return httpGetFile(url, file, transfer, options_);
  }
  HttpGetOptions options_;
};

TEST_F(HttpGetFileTest, DataArriveUnchangedInBlocksWithTheirCounts) {
  std::vector<std::int64_t> counts;
  std::atomic<std::int64_t> now{5000};
  options_.onBlock = [&](std::int64_t total) {
    counts.push_back(total);
    ++now;
  };
  options_.clock = [&] { return now.load(); };
  HttpTransfer transfer;
  const std::string file = dir_.File("data.txt.gz");
  const HttpGetResult result = httpGetFile(DayUrl(), file, transfer, options_);
  ASSERT_EQ(result.code, 0) << result.text;
  EXPECT_EQ(result.text, "Successful");
  EXPECT_FALSE(result.cancelled);
  EXPECT_EQ(result.httpStatus, 200);

  const std::string body = ReadFile(file);
  ASSERT_FALSE(counts.empty());
  EXPECT_EQ(counts.back(), static_cast<std::int64_t>(body.size()));
  EXPECT_EQ(result.bytes, counts.back());
  for (size_t i = 0; i < counts.size(); ++i) {
    const std::int64_t block = counts[i] - (i == 0 ? 0 : counts[i - 1]);
    EXPECT_GT(block, 0);
    EXPECT_LE(block, static_cast<std::int64_t>(kHttpBlockSize));
  }
  // The last-data time is that of the last block; reading has ended.
  EXPECT_EQ(transfer.lastDataTime.load(), 5000 + static_cast<std::int64_t>(counts.size()) - 1);
  EXPECT_FALSE(transfer.reading.load());

  // The body is the server's gzip stream of exactly the asked span.
  eggdata::EggDataOptions expected;
  expected.start = kMay3;
  expected.stop = kMay3 + 599;
  EXPECT_EQ(GunzipBytes(body), eggdata::GenerateEggData(expected));

  const std::vector<dataserver::ReceivedRequest> requests = server_->Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].accept, "*/*");
  EXPECT_EQ(requests[0].cacheControl, "no-cache");
}

TEST_F(HttpGetFileTest, ErrorStatusesGiveTheirCodesAndLeaveTheFileAlone) {
  dataserver::FaultPlan plan;
  plan.statuses = {404, 407, 403, 500, 400};
  server_->SetFaults(plan);
  const std::string file = dir_.File("data.txt.gz");
  const struct {
    int code;
    const char* text;
  } expected[] = {{5, "Not found"},
                  {6, "Not authorized"},
                  {6, "Not authorized"},
                  {3, "Connection failed"},
                  {3, "Connection failed"}};
  for (const auto& e : expected) {
    WriteFile(file, "previous download");
    const HttpGetResult result = Get(DayUrl(), file);
    EXPECT_EQ(result.code, e.code);
    EXPECT_EQ(result.text, e.text);
    EXPECT_EQ(ReadFile(file), "previous download");
  }
}

TEST_F(HttpGetFileTest, MessagePageAndEmptyBodyAreSuccessfulDownloads) {
  dataserver::FaultPlan plan;
  plan.statuses = {204};
  plan.messagePageRequests = 2;
  server_->SetFaults(plan);
  const std::string file = dir_.File("data.txt.gz");

  WriteFile(file, "previous download");
  HttpGetResult result = Get(DayUrl(), file);
  EXPECT_EQ(result.code, 0);
  EXPECT_TRUE(FileExists(file));
  EXPECT_EQ(ReadFile(file), "");

  result = Get(DayUrl(), file);
  EXPECT_EQ(result.code, 0);
  EXPECT_EQ(result.text, "Successful");
  const std::optional<std::string> page = GunzipBytes(ReadFile(file));
  ASSERT_TRUE(page);
  EXPECT_EQ(page->rfind("<html>", 0), 0u);
}

TEST_F(HttpGetFileTest, RedirectsAreFollowedUpToTheLimit) {
  const std::string file = dir_.File("data.txt.gz");
  const std::string tail = DayUrl().substr(server_->BaseUrl().size());
  HttpGetResult result = Get(server_->BaseUrl() + "moved/moved/" + tail, file);
  EXPECT_EQ(result.code, 0) << result.text;
  EXPECT_TRUE(GunzipBytes(ReadFile(file)));

  std::string chain;
  for (int i = 0; i <= HttpGetOptions::kDefaultMaxRedirects; ++i) chain += "moved/";
  WriteFile(file, "kept");
  result = Get(server_->BaseUrl() + chain + tail, file);
  EXPECT_EQ(result.code, 3);
  EXPECT_EQ(ReadFile(file), "kept");
}

TEST_F(HttpGetFileTest, UrlsAndNamesThatCannotBeUsedAreRefusedBeforeAnyRequest) {
  const std::string file = dir_.File("data.txt.gz");
  const struct {
    std::string url;
    std::string file;
    int code;
    const char* logLine;
  } cases[] = {
      {"", file, 2, "Empty URL or filespec"},
      {DayUrl(), "", 2, "Empty URL or filespec"},
      {"/cgi-bin/eggdatareq.pl?z=1", file, 1, "Invalid URL"},
      {"http://", file, 1, "Invalid URL"},
      {"http://bad host/x", file, 1, "Invalid URL"},
      {"ftp://127.0.0.1/pub/data.gz", file, 1, "Wrong service type"},
  };
  options_.log = NetworkLog(dir_.File("eggnet.log"), true);
  for (const auto& c : cases) {
    std::remove(dir_.File("eggnet.log").c_str());
    const HttpGetResult result = Get(c.url, c.file);
    EXPECT_EQ(result.code, c.code) << c.url;
    EXPECT_EQ(result.text, InternetResultText(c.code));
    EXPECT_NE(ReadFile(dir_.File("eggnet.log")).find(std::string(c.logLine) + "\n"),
              std::string::npos)
        << c.url;
  }
  EXPECT_TRUE(server_->Requests().empty());
  EXPECT_FALSE(FileExists(file));
}

TEST_F(HttpGetFileTest, ConnectionFailuresAreConnectionFailed) {
  const std::string file = dir_.File("data.txt.gz");
  options_.log = NetworkLog(dir_.File("eggnet.log"), true);
  const std::string url = DayUrl();
  server_->Stop();  // nothing listens on the port any more
  HttpGetResult result = Get(url, file);
  EXPECT_EQ(result.code, 3);
  EXPECT_EQ(result.text, "Connection failed");
  EXPECT_NE(ReadFile(dir_.File("eggnet.log")).find("OpenURL failed\n"), std::string::npos);

  // HTTPS is a service of its own kind: refused by a plain server, not as
  // the wrong service.
  StartServer();
  std::string https = server_->BaseUrl();
  https.replace(0, 4, "https");
  result = Get(https, file);
  EXPECT_EQ(result.code, 3);
  EXPECT_FALSE(FileExists(file));
}

TEST_F(HttpGetFileTest, AbortEndsAfterTheBlockInProgressAndKeepsWhatArrived) {
  dataserver::FaultPlan plan;
  plan.trickleBytes = 1000;
  plan.trickleInterval = 20ms;
  server_->SetFaults(plan);
  HttpTransfer transfer;
  std::int64_t at_abort = 0;
  options_.onBlock = [&](std::int64_t total) {
    if (total >= 3000 && at_abort == 0) {
      at_abort = total;
      transfer.abortRequest = true;
    }
  };
  const std::string file = dir_.File("data.txt.gz");
  const HttpGetResult result = httpGetFile(DayUrl(), file, transfer, options_);
  EXPECT_EQ(result.code, 0);
  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(result.bytes, at_abort);
  EXPECT_EQ(static_cast<std::int64_t>(ReadFile(file).size()), at_abort);
  EXPECT_FALSE(GunzipBytes(ReadFile(file)));  // a beginning only
}

TEST_F(HttpGetFileTest, CancelEndsAStalledTransfer) {
  dataserver::FaultPlan plan;
  plan.stallRequests = 1;
  plan.stallAfterBytes = 100;
  server_->SetFaults(plan);
  std::atomic<bool> cancel{false};
  options_.cancelled = [&] { return cancel.load(); };
  HttpTransfer transfer;
  std::thread canceller([&] {
    while (transfer.lastDataTime.load() == 0 || !transfer.reading.load()) {
      std::this_thread::sleep_for(1ms);
    }
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(transfer.reading.load());
    cancel = true;
  });
  const std::string file = dir_.File("data.txt.gz");
  const auto before = std::chrono::steady_clock::now();
  const HttpGetResult result = httpGetFile(DayUrl(), file, transfer, options_);
  canceller.join();
  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(result.code, 0);
  EXPECT_EQ(ReadFile(file).size(), 100u);
  EXPECT_FALSE(transfer.reading.load());
  // Far below the server's 60 s stall limit.
  EXPECT_LT(std::chrono::steady_clock::now() - before, 10s);
}

TEST_F(HttpGetFileTest, FileErrorsGiveOneHundredPlusTheCause) {
  options_.log = NetworkLog(dir_.File("eggnet.log"), true);
  HttpGetResult result = Get(DayUrl(), dir_.File("missing/data.txt.gz"));
  EXPECT_EQ(result.code, 100 + ENOENT);
  EXPECT_EQ(result.text, "Internet error 102");
  const std::string log = ReadFile(dir_.File("eggnet.log"));
  EXPECT_NE(log.find("Failed to open temp compressed file for write\n"), std::string::npos);
  EXPECT_NE(log.find("File exception occurred\n"), std::string::npos);

  WriteFile(dir_.File("plain"), "a file, not a folder");
  result = Get(DayUrl(), dir_.File("plain/data.txt.gz"));
  EXPECT_EQ(result.code, 100 + ENOTDIR);

  if (FileExists("/dev/full")) {
    result = Get(DayUrl(), "/dev/full");
    EXPECT_EQ(result.code, 100 + ENOSPC);
  }
}

TEST_F(HttpGetFileTest, NetworkLogFollowsTheDownloadOnlyWhenEnabled) {
  const std::string log_path = dir_.File("eggnet.log");
  options_.log = NetworkLog(log_path, false);
  ASSERT_EQ(Get(DayUrl(), dir_.File("a.gz")).code, 0);
  EXPECT_FALSE(FileExists(log_path));

  options_.log = NetworkLog(log_path, true);
  ASSERT_EQ(Get(DayUrl(), dir_.File("a.gz")).code, 0);
  EXPECT_EQ(ReadFile(log_path),
            "Enter httpGetFile\nCInternetSession created\nOpened URL\nReading http data\n"
            "Http data read\n");
}

}  // namespace
}  // namespace corvane
