#include "dataserver/data_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <gtest/gtest.h>
#include <httplib.h>

#include "core/c_format.h"
#include "core/date_time.h"
#include "eggdata/egg_data_generator.h"
#include "support/gunzip_bytes.h"
#include "support/temp_dir.h"

namespace corvane::dataserver {
namespace {

using namespace std::chrono_literals;
using testing::GunzipBytes;
using testing::TempDir;

constexpr std::int64_t kMay3 = 1304380800;  // 2011-05-03 00:00:00

std::string RealTarget(const std::string& date_keys, const std::string& stime,
                       const std::string& etime) {
  return "/cgi-bin/eggdatareq.pl?z=1&" + date_keys + "&stime=" + stime + "&etime=" + etime +
         "&gzip=Yes&idate=Yes";
}

// The records (type-13 lines) of an egg data text, and its header count.
struct Parsed {
  std::vector<std::string> records;
  long long headerCount = -1;
};

Parsed Parse(const std::string& text) {
  Parsed parsed;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (line.rfind("13,", 0) == 0) parsed.records.push_back(line);
    if (line.rfind("11,4,", 0) == 0) parsed.headerCount = std::stoll(line.substr(5));
  }
  return parsed;
}

long long TimeOf(const std::string& record) {
  return std::stoll(record.substr(3, record.find(',', 3) - 3));
}

class DataServerTest : public ::testing::Test {
 protected:
  void StartServer(ServerOptions options = {}) {
    options.port = 0;
    server_ = std::make_unique<DataServer>(options);
    std::string error;
    ASSERT_TRUE(server_->Start(&error)) << error;
    client_ = std::make_unique<httplib::Client>("127.0.0.1", server_->port());
  }

  httplib::Result Get(const std::string& target) { return client_->Get(target.c_str()); }

  std::unique_ptr<DataServer> server_;
  std::unique_ptr<httplib::Client> client_;
  TempDir dir_;
};

TEST_F(DataServerTest, SyntheticDayIsCutExactlyAtStimeAndEtimeWithMatchingCount) {
  StartServer();
  const auto res = Get(RealTarget("year=2011&month=5&day=3", "22%3A00%3A00", "22%3A59%3A59"));
  ASSERT_TRUE(res);
  ASSERT_EQ(res->status, 200);
  const std::optional<std::string> text = GunzipBytes(res->body);
  ASSERT_TRUE(text);
  const Parsed parsed = Parse(*text);
  ASSERT_EQ(parsed.records.size(), 3600u);
  EXPECT_EQ(parsed.headerCount, 3600);
  EXPECT_EQ(TimeOf(parsed.records.front()), kMay3 + 22 * 3600);
  EXPECT_EQ(TimeOf(parsed.records.back()), kMay3 + 23 * 3600 - 1);

  // The values are the generator's for the same seconds, whatever the span.
  eggdata::EggDataOptions options;
  options.start = kMay3 + 22 * 3600;
  options.stop = options.start + 1;
  EXPECT_EQ(parsed.records[0], Parse(eggdata::GenerateEggData(options)).records[0]);
  EXPECT_EQ(parsed.records[1], Parse(eggdata::GenerateEggData(options)).records[1]);

  // One second: stime = etime.
  const auto one = Get(RealTarget("year=2011&month=5&day=3", "00%3A00%3A00", "00%3A00%3A00"));
  ASSERT_TRUE(one);
  const Parsed single = Parse(GunzipBytes(one->body).value_or(""));
  ASSERT_EQ(single.records.size(), 1u);
  EXPECT_EQ(single.headerCount, 1);
  EXPECT_EQ(TimeOf(single.records[0]), kMay3);
}

TEST_F(DataServerTest, DirectoryDayFilesAreCutAndMissingDaysGetTheMessagePage) {
  eggdata::EggDataOptions day;
  day.start = kMay3;
  day.stop = kMay3 + 86399;
  day.eggCount = 3;
  day.seed = 7;
  ASSERT_TRUE(eggdata::WriteEggDataFile(dir_.File("2011-05-03.csv.gz"), day, true));
  day.start += 86400;
  day.stop += 86400;
  day.crlf = true;
  ASSERT_TRUE(eggdata::WriteEggDataFile(dir_.File("2011-05-04.csv"), day, false));
  testing::WriteFile(dir_.File("2011-05-06.csv"), "this is not egg data\n");
  ServerOptions options;
  options.dataDirectory = dir_.path();
  StartServer(options);

  for (const char* keys : {"year=2011&month=5&day=3", "year=2011&month=5&day=4"}) {
    const auto res = Get(RealTarget(keys, "10%3A00%3A00", "10%3A00%3A09"));
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200) << keys;
    const Parsed parsed = Parse(GunzipBytes(res->body).value_or(""));
    ASSERT_EQ(parsed.records.size(), 10u) << keys;
    EXPECT_EQ(parsed.headerCount, 10);
    const std::int64_t base = std::string(keys).back() == '3' ? kMay3 : kMay3 + 86400;
    EXPECT_EQ(TimeOf(parsed.records.front()), base + 36000);
    EXPECT_EQ(TimeOf(parsed.records.back()), base + 36009);
  }

  const auto missing = Get(RealTarget("year=2011&month=5&day=5", "00%3A00%3A00", "23%3A59%3A59"));
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 200);
  const std::optional<std::string> page = GunzipBytes(missing->body);
  ASSERT_TRUE(page);
  EXPECT_EQ(page->rfind("<html>", 0), 0u);
  EXPECT_NE(page->find("2011-05-05"), std::string::npos);

  const auto broken = Get(RealTarget("year=2011&month=5&day=6", "00%3A00%3A00", "23%3A59%3A59"));
  ASSERT_TRUE(broken);
  EXPECT_EQ(broken->status, 500);
  EXPECT_NE(broken->body.find("2011-05-06.csv"), std::string::npos);

  // A day file that changes is served anew, not from the answers made before.
  eggdata::EggDataOptions changed;
  changed.start = kMay3 + 3 * 86400;
  changed.stop = changed.start + 99;
  changed.eggCount = 2;
  const std::string target = RealTarget("year=2011&month=5&day=6", "00%3A00%3A00", "00%3A00%3A09");
  ASSERT_TRUE(eggdata::WriteEggDataFile(dir_.File("2011-05-06.csv"), changed, false));
  const auto before = Get(target);
  changed.eggCount = 3;
  ASSERT_TRUE(eggdata::WriteEggDataFile(dir_.File("2011-05-06.csv"), changed, false));
  const auto after = Get(target);
  ASSERT_TRUE(before && after);
  EXPECT_NE(GunzipBytes(before->body).value_or("").find("\n11,1,2\n"), std::string::npos);
  EXPECT_NE(GunzipBytes(after->body).value_or("").find("\n11,1,3\n"), std::string::npos);
}

TEST_F(DataServerTest, PseudoEggFilesHoldTheWholeDayAndPlainTextIsOnRequest) {
  ServerOptions options;
  options.eggCount = 2;
  StartServer(options);
  const auto res = Get("/pseudoeggs.dir/pseudoeggs/2011/basketdata-2011-05-03.csv.gz");
  ASSERT_TRUE(res);
  ASSERT_EQ(res->status, 200);
  const Parsed parsed = Parse(GunzipBytes(res->body).value_or(""));
  ASSERT_EQ(parsed.records.size(), 86400u);
  EXPECT_EQ(parsed.headerCount, 86400);
  EXPECT_EQ(TimeOf(parsed.records.front()), kMay3);

  const auto plain =
      Get("/cgi-bin/eggdatareq.pl?year=2011&month=5&day=3&stime=00:00:00"
          "&etime=00:00:01&gzip=No");
  ASSERT_TRUE(plain);
  EXPECT_EQ(Parse(plain->body).records.size(), 2u);
}

TEST_F(DataServerTest, UnreadableRequestsGetAClearAnswerAndUnknownPathsNotFound) {
  StartServer();
  const struct {
    const char* target;
    const char* reason;
  } cases[] = {
      {"/cgi-bin/eggdatareq.pl?z=1&month=5&day=3", "year is missing"},
      {"/cgi-bin/eggdatareq.pl?year=2011&month=13&day=3", "month"},
      {"/cgi-bin/eggdatareq.pl?year=2011&month=2&day=30", "does not exist"},
      {"/cgi-bin/eggdatareq.pl?year=abc&month=2&day=3", "not a whole number"},
      {"/cgi-bin/eggdatareq.pl?year=2011&month=5&day=3&stime=25:00:00", "stime"},
      {"/cgi-bin/eggdatareq.pl?year=2011&month=5&day=3&stime=10:00:00&etime=09:00:00",
       "after etime"},
  };
  for (const auto& c : cases) {
    const auto res = Get(c.target);
    ASSERT_TRUE(res) << c.target;
    EXPECT_EQ(res->status, 400) << c.target;
    EXPECT_NE(res->body.find(c.reason), std::string::npos) << c.target << ": " << res->body;
  }
  const auto unknown = Get("/no/such/page");
  ASSERT_TRUE(unknown);
  EXPECT_EQ(unknown->status, 404);
  const auto bad_pseudo = Get("/pseudoeggs.dir/pseudoeggs/2011/basketdata-2012-05-03.csv.gz");
  ASSERT_TRUE(bad_pseudo);
  EXPECT_EQ(bad_pseudo->status, 404);

  const auto home = Get("/");
  ASSERT_TRUE(home);
  EXPECT_EQ(home->status, 200);
  EXPECT_EQ(home->body.rfind("<html>", 0), 0u);
  EXPECT_EQ(server_->DataRequestCount(), 0);
}

// Sends raw bytes on a fresh connection and closes it.
void SendRaw(int port, const std::string& bytes) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  if (!bytes.empty()) (void)::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  char buffer[256];
  timeval timeout{0, 200000};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  (void)::recv(fd, buffer, sizeof buffer, 0);
  ::close(fd);
}

TEST_F(DataServerTest, MalformedRequestsDoNotHurtTheServer) {
  StartServer();
  SendRaw(server_->port(), "");
  SendRaw(server_->port(), std::string(5000, '\x01') + "\r\n\r\n");
  SendRaw(server_->port(), "GET /cgi-bin/eggdatareq.pl?year=2011&mo");
  SendRaw(server_->port(), "GET / HTTP/1.1\r\nHost: x\r\n" + std::string(20000, 'A') + "\r\n\r\n");
  SendRaw(server_->port(), "BREW /pot HTTP/1.1\r\n\r\n");
  SendRaw(server_->port(),
          "GET /cgi-bin/eggdatareq.pl?year=%zz&month=%%%&day=\xff HTTP/1.1\r\n\r\n");
  const auto res = Get(RealTarget("year=2011&month=5&day=3", "00%3A00%3A00", "00%3A00%3A01"));
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
}

TEST_F(DataServerTest, RedirectsKeepTheQueryAndRequestsAreRecorded) {
  StartServer();
  const auto moved = Get("/moved/moved/cgi-bin/eggdatareq.pl?year=2011&month=5&day=3");
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved->status, 302);
  EXPECT_EQ(moved->get_header_value("Location"),
            "/moved/cgi-bin/eggdatareq.pl?year=2011&month=5&day=3");

  httplib::Headers headers{{"Accept", "*/*"}};
  ASSERT_TRUE(client_->Get("/", headers));
  std::vector<ReceivedRequest> requests = server_->Requests();
  ASSERT_EQ(requests.size(), 2u);
  // The status is noted once the answer has gone out, which may be a moment
  // after the client has it.
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (requests[0].status == 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(1ms);
    requests = server_->Requests();
  }
  EXPECT_EQ(requests[0].status, 302);
  EXPECT_EQ(requests[1].target, "/");
  EXPECT_EQ(requests[1].accept, "*/*");
}

TEST_F(DataServerTest, StatusAndMessagePageFaultsApplyToTheFirstRequestsOnly) {
  StartServer();
  FaultPlan plan;
  plan.statuses = {404, 407};
  plan.messagePageRequests = 3;
  server_->SetFaults(plan);
  const std::string target = RealTarget("year=2011&month=5&day=3", "00%3A00%3A00", "00%3A00%3A01");
  std::vector<int> statuses;
  for (int i = 0; i < 4; ++i) {
    const auto res = Get(target);
    ASSERT_TRUE(res);
    statuses.push_back(res->status);
    const std::string text = GunzipBytes(res->body).value_or(res->body);
    if (i == 2) {
      EXPECT_EQ(text.rfind("<html>", 0), 0u);
    }
    if (i == 3) {
      EXPECT_EQ(Parse(text).records.size(), 2u);
    }
  }
  EXPECT_EQ(statuses, (std::vector<int>{404, 407, 200, 200}));
  EXPECT_EQ(server_->DataRequestCount(), 4);
}

TEST_F(DataServerTest, TruncatedAndStalledBodiesAreIncomplete) {
  StartServer();
  const std::string target = RealTarget("year=2011&month=5&day=3", "00%3A00%3A00", "00%3A09%3A59");
  FaultPlan truncated;
  truncated.truncatedRequests = 1;
  server_->SetFaults(truncated);
  const auto cut = Get(target);
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->status, 200);
  EXPECT_FALSE(GunzipBytes(cut->body));
  const auto whole = Get(target);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->body.size(), cut->body.size() * 2 + whole->body.size() % 2);
  EXPECT_TRUE(GunzipBytes(whole->body));

  FaultPlan stall;
  stall.stallRequests = 1;
  stall.stallAfterBytes = 1000;
  server_->SetFaults(stall);
  std::string received;
  std::thread release([this] {
    std::this_thread::sleep_for(300ms);
    server_->ReleaseStalls();
  });
  const auto started = std::chrono::steady_clock::now();
  const auto res = client_->Get(target.c_str(), [&](const char* data, size_t length) {
    received.append(data, length);
    return true;
  });
  release.join();
  EXPECT_FALSE(res);  // the connection was dropped
  EXPECT_EQ(received.size(), 1000u);
  EXPECT_GE(std::chrono::steady_clock::now() - started, 250ms);
}

TEST_F(DataServerTest, TrickledBodyArrivesWholeInPieces) {
  StartServer();
  FaultPlan trickle;
  trickle.trickleBytes = 700;
  trickle.trickleInterval = 5ms;
  server_->SetFaults(trickle);
  int pieces = 0;
  std::string body;
  const auto res =
      client_->Get(RealTarget("year=2011&month=5&day=3", "00%3A00%3A00", "00%3A00%3A59").c_str(),
                   [&](const char* data, size_t length) {
                     ++pieces;
                     EXPECT_LE(length, 700u);
                     body.append(data, length);
                     return true;
                   });
  ASSERT_TRUE(res);
  ASSERT_TRUE(GunzipBytes(body));
  EXPECT_EQ(Parse(*GunzipBytes(body)).records.size(), 60u);
  EXPECT_GE(pieces, static_cast<int>(body.size() / 700));
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
