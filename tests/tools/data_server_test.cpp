// The stand-in data server's own routes and refusals. Whole downloads through
// it are checked by the net and job tests (HttpClientTest, RemoteRunTest).
#include "dataserver/data_server.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include "eggdata/egg_data_generator.h"
#include "support/gunzip_bytes.h"
#include "support/temp_dir.h"

namespace corvane::dataserver {
namespace {

using testing::GunzipBytes;

constexpr std::int64_t kMay3 = 1304380800;  // 2011-05-03 00:00:00

eggdata::EggDataOptions Range(std::int64_t start, std::int64_t stop, int eggs) {
  eggdata::EggDataOptions options;
  options.start = start;
  options.stop = stop;
  options.eggCount = eggs;
  return options;
}

class DataServerTest : public ::testing::Test {
 protected:
  void StartServer(int eggs = 60, const std::string& dataDirectory = "") {
    ServerOptions options;
    options.port = 0;
    options.eggCount = eggs;
    options.dataDirectory = dataDirectory;
    server_ = std::make_unique<DataServer>(options);
    std::string error;
    ASSERT_TRUE(server_->Start(&error)) << error;
    client_ = std::make_unique<httplib::Client>("127.0.0.1", server_->port());
  }
  httplib::Result Get(const std::string& target) { return client_->Get(target.c_str()); }
  // The decompressed answer to the data request for 2011-05-<day>.
  std::string Day(int day, const std::string& stime, const std::string& etime) {
    const auto res = Get("/cgi-bin/eggdatareq.pl?z=1&year=2011&month=5&day=" + std::to_string(day) +
                         "&stime=" + stime + "&etime=" + etime + "&gzip=Yes&idate=Yes");
    return res && res->status == 200 ? GunzipBytes(res->body).value_or("") : "";
  }

  std::unique_ptr<DataServer> server_;
  std::unique_ptr<httplib::Client> client_;
  testing::TempDir dir_;
};

TEST_F(DataServerTest, SyntheticDaysAreCutAtStimeAndEtimeAndPseudoEggDaysAreWhole) {
  StartServer(2);
  EXPECT_EQ(Day(3, "00:00:00", "00:00:00"), eggdata::GenerateEggData(Range(kMay3, kMay3, 2)));
  const auto pseudo = Get("/pseudoeggs.dir/pseudoeggs/2011/basketdata-2011-05-03.csv.gz");
  ASSERT_TRUE(pseudo);
  const std::string text = GunzipBytes(pseudo->body).value_or("");
  EXPECT_NE(text.find("\n11,4,86400\n"), std::string::npos);
  EXPECT_NE(text.find("\n13,1304380800,"), std::string::npos);
  EXPECT_NE(text.find("\n13,1304467199,"), std::string::npos);
}

TEST_F(DataServerTest, DirectoryDayFilesAreCutAndMissingDaysGetTheMessagePage) {
  eggdata::EggDataOptions day = Range(kMay3, kMay3 + 86399, 3);
  ASSERT_TRUE(eggdata::WriteEggDataFile(dir_.File("2011-05-03.csv.gz"), day, true));
  day.start += 86400;
  day.stop += 86400;
  day.crlf = true;
  ASSERT_TRUE(eggdata::WriteEggDataFile(dir_.File("2011-05-04.csv"), day, false));
  testing::WriteFile(dir_.File("2011-05-06.csv"), "this is not egg data\n");
  StartServer(60, dir_.path());

  for (int d : {3, 4}) {
    const std::int64_t ten = kMay3 + (d - 3) * 86400 + 36000;
    EXPECT_EQ(Day(d, "10:00:00", "10:00:09"), eggdata::GenerateEggData(Range(ten, ten + 9, 3)));
  }
  const std::string missing = Day(5, "00:00:00", "23:59:59");
  EXPECT_EQ(missing.rfind("<html>", 0), 0u);
  EXPECT_NE(missing.find("2011-05-05"), std::string::npos);
  const auto broken = Get("/cgi-bin/eggdatareq.pl?year=2011&month=5&day=6");
  ASSERT_TRUE(broken);
  EXPECT_EQ(broken->status, 500);
  EXPECT_NE(broken->body.find("2011-05-06.csv"), std::string::npos);

  // A day file that changes is served anew, not from the answers made before.
  day = Range(kMay3 + 3 * 86400, kMay3 + 3 * 86400 + 99, 2);
  for (int eggs : {2, 3}) {
    day.eggCount = eggs;
    ASSERT_TRUE(eggdata::WriteEggDataFile(dir_.File("2011-05-06.csv"), day, false));
    EXPECT_NE(Day(6, "00:00:00", "00:00:09").find("\n11,1," + std::to_string(eggs) + "\n"),
              std::string::npos);
  }
}

TEST_F(DataServerTest, UnreadableRequestsGetAClearAnswerAndUnknownPathsNotFound) {
  StartServer();
  const struct {
    const char* target;
    int status;
    const char* reason;
  } cases[] = {
      {"/cgi-bin/eggdatareq.pl?z=1&month=5&day=3", 400, "year is missing"},
      {"/cgi-bin/eggdatareq.pl?year=2011&month=13&day=3", 400, "month"},
      {"/cgi-bin/eggdatareq.pl?year=2011&month=2&day=30", 400, "does not exist"},
      {"/cgi-bin/eggdatareq.pl?year=abc&month=2&day=3", 400, "not a whole number"},
      {"/cgi-bin/eggdatareq.pl?year=2011&month=5&day=3&stime=25:00:00", 400, "stime"},
      {"/cgi-bin/eggdatareq.pl?year=2011&month=5&day=3&stime=10:00:00&etime=09:00:00", 400,
       "after etime"},
      {"/no/such/page", 404, ""},
      {"/pseudoeggs.dir/pseudoeggs/2011/basketdata-2012-05-03.csv.gz", 404, ""},
      {"/", 200, "<html>"},  // the home page
  };
  for (const auto& c : cases) {
    const auto res = Get(c.target);
    ASSERT_TRUE(res) << c.target;
    EXPECT_EQ(res->status, c.status) << c.target;
    EXPECT_NE(res->body.find(c.reason), std::string::npos) << c.target << ": " << res->body;
  }
  EXPECT_EQ(server_->DataRequestCount(), 0);
}

TEST_F(DataServerTest, FaultsServeStatusesWithDataPlainPagesShortChunkedAndTruncatedBodiesInTurn) {
  StartServer(2);
  FaultPlan plan;
  plan.skipRequests = 1;
  plan.statuses = {503};
  plan.statusBodyIsData = true;
  plan.messagePageRequests = 2;
  plan.plainMessagePage = true;
  plan.shortBodyRequests = 3;
  server_->SetFaults(plan);
  const std::string target =
      "/cgi-bin/eggdatareq.pl?year=2011&month=5&day=3&etime=00:09:59&gzip=Yes";
  const std::string day = eggdata::GenerateEggData(Range(kMay3, kMay3 + 599, 2));

  const auto skipped = Get(target);
  ASSERT_TRUE(skipped);
  EXPECT_EQ(skipped->status, 200);
  EXPECT_EQ(GunzipBytes(skipped->body), day);
  const auto status = Get(target);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->status, 503);
  EXPECT_EQ(GunzipBytes(status->body), day);
  const auto page = Get(target);
  ASSERT_TRUE(page);
  EXPECT_EQ(page->body.rfind("<html>", 0), 0u);
  // The third answer announces more than it sends.
  EXPECT_FALSE(Get(target));
  // A chunked answer is whole; a truncated one carries half its body.
  FaultPlan chunks;
  chunks.chunkedRequests = 1;
  chunks.truncatedRequests = 2;
  server_->SetFaults(chunks);
  const auto chunked = Get(target);
  ASSERT_TRUE(chunked);
  EXPECT_FALSE(chunked->has_header("Content-Length"));
  EXPECT_EQ(GunzipBytes(chunked->body), day);
  const auto cut = Get(target);
  const auto normal = Get(target);
  ASSERT_TRUE(cut && normal);
  EXPECT_EQ(cut->status, 200);
  EXPECT_FALSE(GunzipBytes(cut->body));
  EXPECT_TRUE(normal->has_header("Content-Length"));
  EXPECT_EQ(normal->body.size(), cut->body.size() * 2 + normal->body.size() % 2);
  EXPECT_EQ(GunzipBytes(normal->body), day);
  EXPECT_EQ(server_->DataRequestCount(), 7);
}

TEST(DataServerStartTest, APortInUseIsReportedAndStopWithoutStartIsHarmless) {
  ServerOptions options;
  options.port = 0;
  DataServer first(options);
  ASSERT_TRUE(first.Start());
  options.port = first.port();
  DataServer second(options);
  std::string error;
  EXPECT_FALSE(second.Start(&error));
  EXPECT_NE(error.find(std::to_string(first.port())), std::string::npos);
  second.Stop();
}

}  // namespace
}  // namespace corvane::dataserver
