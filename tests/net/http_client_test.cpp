// The HTTP client (httpGetFile) against the stand-in data server over
// loopback. The worker around it, its stops and reports are driven through
// remote runs in the job tests.
#include <gtest/gtest.h>

#include "dataserver/data_server.h"
#include "eggdata/egg_data_generator.h"
#include "net/http_get_file.h"
#include "net/internet_result.h"
#include "net/internet_url.h"
#include "support/gunzip_bytes.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

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
  // What the server's day data hold for that span.
  static std::string TenMinutes() {
    eggdata::EggDataOptions options;
    options.start = 1304380800;
    options.stop = options.start + 599;
    return eggdata::GenerateEggData(options);
  }
  HttpGetResult Get(const std::string& url) { return httpGetFile(url, file_, transfer_, options_); }

  dataserver::DataServer server_{dataserver::ServerOptions{"127.0.0.1", 0, "", "", 60, 1}};
  testing::TempDir dir_;
  std::string file_ = dir_.File("data.txt.gz");
  std::string log_ = dir_.File("eggnet.log");
  HttpTransfer transfer_;
  HttpGetOptions options_;
};

TEST_F(HttpClientTest, DataArriveUnchangedThroughRedirectsUpToTheLimitAndTheLogFollows) {
  options_.log = NetworkLog(log_, true);
  const std::string url = DayUrl();
  const HttpGetResult result =
      Get(server_.BaseUrl() + "moved/moved/" + url.substr(server_.BaseUrl().size()));
  EXPECT_EQ(result.code, 0);
  EXPECT_EQ(result.text, "Successful");
  EXPECT_FALSE(result.cancelled);
  const std::string body = ReadFile(file_);
  EXPECT_EQ(result.bytes, std::int64_t(body.size()));
  EXPECT_FALSE(transfer_.reading.load());
  EXPECT_EQ(GunzipBytes(body), TenMinutes());
  ASSERT_EQ(server_.Requests().size(), 3u);
  EXPECT_EQ(server_.Requests()[2].accept, "*/*");
  EXPECT_EQ(server_.Requests()[2].cacheControl, "no-cache");
  EXPECT_EQ(ReadFile(log_),
            "Enter httpGetFile\nCInternetSession created\nOpened URL\n"
            "Reading http data\nHttp data read\n");

  // One redirect more than the limit fails and leaves the file; after a
  // redirect the final status decides.
  std::string chain;
  for (int i = 0; i <= HttpGetOptions::kDefaultMaxRedirects; ++i) chain += "moved/";
  EXPECT_EQ(Get(server_.BaseUrl() + chain + url.substr(server_.BaseUrl().size())).code, 3);
  EXPECT_EQ(GunzipBytes(ReadFile(file_)), TenMinutes());
  server_.SetFaults({.statuses = {404}});
  EXPECT_EQ(Get(server_.BaseUrl() + "moved/" + url.substr(server_.BaseUrl().size())).code, 5);
}

// An error status is never taken for data, even when its body is the day's.
TEST_F(HttpClientTest, TheStatusGivesTheCodeAndOnlyASuccessReplacesTheFile) {
  server_.SetFaults(
      {.statuses = {404, 403, 407, 400, 500, 503, 599, 204}, .statusBodyIsData = true});
  const struct {
    int code;
    const char* text;
  } cases[] = {{5, "Not found"},          {6, "Not authorized"},     {6, "Not authorized"},
               {3, "Connection failed"},  {500, "Server error 500"}, {503, "Server error 503"},
               {599, "Server error 599"}, {0, "Successful"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    WriteFile(file_, "previous");
    const HttpGetResult result = Get(DayUrl());
    EXPECT_EQ(result.code, c.code);
    EXPECT_EQ(result.text, c.text);
    EXPECT_EQ(result.bytes, 0);
    EXPECT_EQ(ReadFile(file_), c.code == 0 ? "" : "previous");
  }
}

TEST_F(HttpClientTest, ABodyShorterThanItsAnnouncedLengthFails) {
  options_.log = NetworkLog(log_, true);
  server_.SetFaults({.statuses = {}, .shortBodyRequests = 1});
  const HttpGetResult cut = Get(DayUrl());
  EXPECT_EQ(cut.code, 3);
  EXPECT_FALSE(cut.cancelled);
  EXPECT_GT(cut.bytes, 0);
  EXPECT_NE(ReadFile(log_).find("Transfer ended before the announced length\n"), std::string::npos);
  const HttpGetResult whole = Get(DayUrl());
  EXPECT_EQ(whole.code, 0);
  EXPECT_GT(whole.bytes, cut.bytes);
  EXPECT_EQ(transfer_.bytesReceived.load(), whole.bytes);
  EXPECT_TRUE(GunzipBytes(ReadFile(file_)));
}

// The limit holds for an answer that announces its length and for one sent
// in chunks without it.
TEST_F(HttpClientTest, AnAnswerLargerThanTheLimitIsRefusedAndOneAtTheLimitAccepted) {
  ASSERT_EQ(Get(DayUrl()).code, 0);
  const std::int64_t size = static_cast<std::int64_t>(ReadFile(file_).size());
  for (bool chunked : {false, true}) {
    SCOPED_TRACE(chunked ? "chunked" : "with length");
    server_.SetFaults({.statuses = {}, .chunkedRequests = chunked ? 2 : 0});
    options_.maxBodyBytes = size - 1;
    const HttpGetResult refused = Get(DayUrl());
    EXPECT_EQ(refused.code, 8);
    EXPECT_EQ(refused.text, "Answer too large");
    EXPECT_LE(refused.bytes, size - 1);
    options_.maxBodyBytes = size;
    const HttpGetResult accepted = Get(DayUrl());
    EXPECT_EQ(accepted.code, 0);
    EXPECT_EQ(accepted.bytes, size);
  }
}

// A URL that cannot be used is refused before any request; one that cannot
// be reached fails; a file that cannot be written gives 100 plus the cause.
TEST_F(HttpClientTest, UrlsThatCannotBeUsedAreRefusedAndUnreachableOnesOrFileErrorsFail) {
  EXPECT_EQ(NormaliseUrl("  example.org/cgi-bin/x?z=1 \n"), "http://example.org/cgi-bin/x?z=1");
  EXPECT_EQ(CheckUrl(NormaliseUrl("HTTPS://example.org/")), UrlCheck::kOk);
  std::string https = server_.BaseUrl();
  https.replace(0, 4, "https");  // accepted, and refused by a plain server
  const struct {
    std::string url;
    int code;
    const char* logLine;
    std::string file = "";  // the fixture's when empty
  } cases[] = {{"", 2, "Empty URL or filespec"},
               {"/cgi-bin/eggdatareq.pl?z=1", 1, "Invalid URL"},
               {"http://bad host/x", 1, "Invalid URL"},
               {"ftp://127.0.0.1/pub/data.gz", 1, "Wrong service type"},
               {https, 3, "OpenURL failed"},
               {"http://127.0.0.1:1/", 3, "OpenURL failed"},
               {DayUrl(), 100 + ENOENT,
                "Failed to open temp compressed file for write\nFile exception occurred",
                dir_.File("missing/data.txt.gz")},
               {DayUrl(), 100 + ENOSPC, "File exception occurred", "/dev/full"}};
  options_.log = NetworkLog(log_, true);
  const std::string file = file_;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url + c.file);
    std::remove(log_.c_str());
    file_ = c.file.empty() ? file : c.file;
    const HttpGetResult result = Get(c.url);
    EXPECT_EQ(result.code, c.code);
    EXPECT_EQ(result.text, c.code > 100 ? "Internet error " + std::to_string(c.code)
                                        : InternetResultText(c.code));
    EXPECT_NE(ReadFile(log_).find(std::string(c.logLine) + "\n"), std::string::npos);
    EXPECT_TRUE(c.code > 100 || server_.DataRequestCount() == 0) << server_.DataRequestCount();
  }
  EXPECT_FALSE(FileExists(file));
}

}  // namespace
}  // namespace corvane
