#include "dataserver/data_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <httplib.h>

#include "eggdata/egg_data_generator.h"
#include "support/gunzip_bytes.h"
#include "support/temp_dir.h"
#include "support/text_lines.h"

namespace corvane::dataserver {
namespace {

using testing::GunzipBytes;

constexpr std::int64_t kMay3 = 1304380800;  // 2011-05-03 00:00:00

// What a data request got: its status, the decompressed text, the records
// (type-13 lines) with their times, and the header's record count.
struct Answer {
  int status = 0;
  std::string text;
  std::vector<std::string> records;
  std::vector<long long> times;
  long long headerCount = -1;
};

Answer Read(const httplib::Result& res) {
  Answer answer;
  if (!res) return answer;
  answer.status = res->status;
  answer.text = GunzipBytes(res->body).value_or("");
  for (const std::string& line : testing::Lines(answer.text)) {
    if (line.rfind("13,", 0) == 0) {
      answer.records.push_back(line);
      answer.times.push_back(std::stoll(line.substr(3)));
    }
    if (line.rfind("11,4,", 0) == 0) answer.headerCount = std::stoll(line.substr(5));
  }
  return answer;
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

  // The real-data request for day 3 + `day` of May 2011, stime and etime as
  // "hh:mm:ss".
  Answer Day(int day, const std::string& stime, const std::string& etime) {
    return Read(Get("/cgi-bin/eggdatareq.pl?z=1&year=2011&month=5&day=" + std::to_string(day) +
                    "&stime=" + stime + "&etime=" + etime + "&gzip=Yes&idate=Yes"));
  }

  std::unique_ptr<DataServer> server_;
  std::unique_ptr<httplib::Client> client_;
  testing::TempDir dir_;
};

TEST_F(DataServerTest, SyntheticDayIsCutExactlyAtStimeAndEtimeWithMatchingCount) {
  ServerOptions options;
  options.eggCount = 2;
  StartServer(options);
  const Answer hour = Day(3, "22%3A00%3A00", "22%3A59%3A59");
  ASSERT_EQ(hour.status, 200);
  ASSERT_EQ(hour.records.size(), 3600u);
  EXPECT_EQ(hour.headerCount, 3600);
  EXPECT_EQ(hour.times.front(), kMay3 + 22 * 3600);
  EXPECT_EQ(hour.times.back(), kMay3 + 23 * 3600 - 1);
  const Answer one = Day(3, "00:00:00", "00:00:00");
  EXPECT_EQ(one.headerCount, 1);
  EXPECT_EQ(one.times, std::vector<long long>{kMay3});
  // Pseudo-egg files hold the whole day.
  const Answer pseudo = Read(Get("/pseudoeggs.dir/pseudoeggs/2011/basketdata-2011-05-03.csv.gz"));
  ASSERT_EQ(pseudo.records.size(), 86400u);
  EXPECT_EQ(pseudo.headerCount, 86400);
  EXPECT_EQ(pseudo.times.front(), kMay3);
}

TEST_F(DataServerTest, DirectoryDayFilesAreCutAndMissingDaysGetTheMessagePage) {
  eggdata::EggDataOptions day;
  day.start = kMay3;
  day.stop = kMay3 + 86399;
  day.eggCount = 3;
  ASSERT_TRUE(eggdata::WriteEggDataFile(dir_.File("2011-05-03.csv.gz"), day, true));
  day.start += 86400;
  day.stop += 86400;
  day.crlf = true;
  ASSERT_TRUE(eggdata::WriteEggDataFile(dir_.File("2011-05-04.csv"), day, false));
  testing::WriteFile(dir_.File("2011-05-06.csv"), "this is not egg data\n");
  ServerOptions options;
  options.dataDirectory = dir_.path();
  StartServer(options);

  for (int d : {3, 4}) {
    const Answer answer = Day(d, "10:00:00", "10:00:09");
    ASSERT_EQ(answer.records.size(), 10u) << d;
    EXPECT_EQ(answer.headerCount, 10);
    EXPECT_EQ(answer.times.front(), kMay3 + (d - 3) * 86400 + 36000);
    EXPECT_EQ(answer.times.back(), kMay3 + (d - 3) * 86400 + 36009);
  }
  const Answer missing = Day(5, "00:00:00", "23:59:59");
  EXPECT_EQ(missing.status, 200);
  EXPECT_EQ(missing.text.rfind("<html>", 0), 0u);
  EXPECT_NE(missing.text.find("2011-05-05"), std::string::npos);
  const auto broken = Get("/cgi-bin/eggdatareq.pl?year=2011&month=5&day=6");
  ASSERT_TRUE(broken);
  EXPECT_EQ(broken->status, 500);
  EXPECT_NE(broken->body.find("2011-05-06.csv"), std::string::npos);

  // A day file that changes is served anew, not from the answers made before.
  day.start = kMay3 + 3 * 86400;
  day.stop = day.start + 99;
  day.eggCount = 2;
  ASSERT_TRUE(eggdata::WriteEggDataFile(dir_.File("2011-05-06.csv"), day, false));
  EXPECT_NE(Day(6, "00:00:00", "00:00:09").text.find("\n11,1,2\n"), std::string::npos);
  day.eggCount = 3;
  ASSERT_TRUE(eggdata::WriteEggDataFile(dir_.File("2011-05-06.csv"), day, false));
  EXPECT_NE(Day(6, "00:00:00", "00:00:09").text.find("\n11,1,3\n"), std::string::npos);
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

TEST_F(DataServerTest, MalformedRequestsAndTruncatedBodiesDoNotHurtTheServer) {
  StartServer();
  for (const std::string& bytes :
       {std::string(), std::string(5000, '\x01') + "\r\n\r\n",
        std::string("GET /cgi-bin/eggdatareq.pl?year=2011&mo"),
        "GET / HTTP/1.1\r\nHost: x\r\n" + std::string(20000, 'A') + "\r\n\r\n",
        std::string("BREW /pot HTTP/1.1\r\n\r\n"),
        std::string("GET /cgi-bin/eggdatareq.pl?year=%zz&month=%%%&day=\xff HTTP/1.1\r\n\r\n")}) {
    SendRaw(server_->port(), bytes);
  }
  FaultPlan truncated;
  truncated.truncatedRequests = 1;
  server_->SetFaults(truncated);
  const std::string target =
      "/cgi-bin/eggdatareq.pl?year=2011&month=5&day=3&etime=00:09:59&gzip=Yes";
  const auto cut = Get(target);
  const auto whole = Get(target);
  ASSERT_TRUE(cut && whole);
  EXPECT_EQ(cut->status, 200);
  EXPECT_FALSE(GunzipBytes(cut->body));
  EXPECT_EQ(whole->body.size(), cut->body.size() * 2 + whole->body.size() % 2);
  EXPECT_EQ(Read(whole).records.size(), 600u);
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
