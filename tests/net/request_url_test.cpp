// The request of each day segment, fetched from the stand-in data server
// over loopback: what comes back must be exactly that day's span.
#include "net/request_url.h"

#include <gtest/gtest.h>

#include "core/date_time.h"
#include "dataserver/data_server.h"
#include "eggdata/egg_data_generator.h"
#include "net/http_get_file.h"
#include "support/gunzip_bytes.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

TEST(RequestUrlTest, EachDayOfARangeAsksForItsOwnSpan) {
  dataserver::DataServer server(dataserver::ServerOptions{"127.0.0.1", 0, "", "", 60, 1});
  ASSERT_TRUE(server.Start());
  testing::TempDir dir;
  AnalysisSettings settings;
  settings.dataUrl = server.DataUrl();
  // Day 3 of month 5 and day 4: a swap of month and day asks for another day.
  const std::int64_t start = SecondsFromText("2011-05-03 23:58:00");
  const std::int64_t stop = SecondsFromText("2011-05-04 00:01:00");
  const std::vector<DaySegment> segments = BuildDaySegments(start, stop);
  ASSERT_EQ(segments.size(), 2u);
  const std::string tails[] = {
      "&year=2011&month=5&day=3&stime=23%3A58%3A00&etime=23%3A59%3A59&gzip=Yes&idate=Yes",
      "&year=2011&month=5&day=4&stime=00%3A00%3A00&etime=00%3A01%3A00&gzip=Yes&idate=Yes"};
  const std::int64_t spans[][2] = {{start, SecondsFromText("2011-05-03 23:59:59")},
                                   {SecondsFromText("2011-05-04 00:00:00"), stop}};
  for (std::size_t i = 0; i < 2; ++i) {
    const SegmentRequest request = BuildSegmentRequest(settings, segments[i]);
    EXPECT_EQ(request.url, server.DataUrl() + tails[i]);
    EXPECT_EQ(request.statusText, "Getting data from internet");
    HttpTransfer transfer;
    const HttpGetResult result = httpGetFile(request.url, dir.File("data.txt.gz"), transfer, {});
    ASSERT_EQ(result.code, 0) << result.text;
    eggdata::EggDataOptions expected;
    expected.start = spans[i][0];
    expected.stop = spans[i][1];
    EXPECT_EQ(testing::GunzipBytes(testing::ReadFile(dir.File("data.txt.gz"))),
              eggdata::GenerateEggData(expected))
        << request.url;
  }

  // Pseudo-egg data: the whole day's file, month and day of two digits.
  settings.pseudoEggData = true;
  settings.pseudoDataUrl = server.PseudoDataUrl();
  const SegmentRequest pseudo = BuildSegmentRequest(settings, segments[1]);
  EXPECT_EQ(pseudo.url, server.PseudoDataUrl() + "2011/basketdata-2011-05-04.csv.gz");
  HttpTransfer transfer;
  EXPECT_EQ(httpGetFile(pseudo.url, dir.File("data.txt.gz"), transfer, {}).code, 0);
  EXPECT_TRUE(IsPseudoEggDataName("MyPEDtest"));
  EXPECT_FALSE(IsPseudoEggDataName("Myped"));
}

}  // namespace
}  // namespace corvane
