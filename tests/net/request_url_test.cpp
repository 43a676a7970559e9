#include "net/request_url.h"

#include <gtest/gtest.h>

#include "core/date_time.h"
#include "net/remote_file_names.h"

namespace corvane {
namespace {

std::vector<DaySegment> Segments(const char* start, const char* stop) {
  return BuildDaySegments(SecondsFromText(start), SecondsFromText(stop));
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(RequestUrlTest, RealDataRequestsFollowTheDaySegments) {
  AnalysisSettings settings;
  settings.dataUrl = "http://data.example/cgi-bin/eggdatareq.pl?z=1";
  const std::vector<DaySegment> two = Segments("2011-05-03 22:00:00", "2011-05-04 01:00:00");
  ASSERT_EQ(two.size(), 2u);
  const SegmentRequest first = BuildSegmentRequest(settings, two[0]);
  EXPECT_EQ(first.url,
            "http://data.example/cgi-bin/eggdatareq.pl?z=1&year=2011&month=5&day=3"
            "&stime=22%3A00%3A00&etime=23%3A59%3A59&gzip=Yes&idate=Yes");
  EXPECT_TRUE(EndsWith(BuildSegmentRequest(settings, two[1]).url,
                       "&year=2011&month=5&day=4&stime=00%3A00%3A00&etime=01%3A00%3A00"
                       "&gzip=Yes&idate=Yes"));
  EXPECT_EQ(first.statusText, "Getting data from internet");
  EXPECT_EQ(first.logText, "Get internet data using");

  // A base without a query still gets its keys with "&" only.
  settings.dataUrl = "http://data.example/req";
  const std::vector<DaySegment> one = Segments("2011-12-01 00:00:05", "2011-12-01 09:08:07");
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(BuildSegmentRequest(settings, one[0]).url,
            "http://data.example/req&year=2011&month=12&day=1&stime=00%3A00%3A05"
            "&etime=09%3A08%3A07&gzip=Yes&idate=Yes");
}

TEST(RequestUrlTest, PseudoEggRequestsFetchTheWholeDayWithTwoDigitDates) {
  AnalysisSettings settings;
  settings.pseudoEggData = true;
  settings.pseudoDataUrl = "http://data.example/pseudoeggs.dir/pseudoeggs/";
  const std::vector<DaySegment> part = Segments("2011-05-03 10:00:00", "2011-05-03 12:00:00");
  const SegmentRequest request = BuildSegmentRequest(settings, part[0]);
  EXPECT_EQ(request.url,
            "http://data.example/pseudoeggs.dir/pseudoeggs/2011/basketdata-2011-05-03.csv.gz");
  EXPECT_EQ(request.statusText, "Getting pseudo egg data from internet");
  EXPECT_EQ(request.logText, "Get pseudo-egg data from internet using");
  EXPECT_EQ(SegmentDateText(part[0]), "2011-05-03");

  EXPECT_TRUE(IsPseudoEggDataName("MyPEDtest"));
  EXPECT_TRUE(IsPseudoEggDataName("PED"));
  EXPECT_FALSE(IsPseudoEggDataName("myped"));
  EXPECT_FALSE(IsPseudoEggDataName("Ped-run"));
}

TEST(RemoteFileNamesTest, KeptDownloadsAreNamedAfterTheRunInTheSaveOrRootDirectory) {
  AnalysisSettings settings;
  settings.dataName = "Quake";
  settings.tempDirectory = "/tmp/t/";
  settings.rootDirectory = "/out/";
  EXPECT_EQ(DownloadFileName(settings.tempDirectory), "/tmp/t/data.txt.gz");
  EXPECT_EQ(KeptCompressedFileName(settings, 0), "/out/Quake.gz");
  EXPECT_EQ(KeptCompressedFileName(settings, 2), "/out/Quake_3.gz");
  settings.remoteSaveDirectory = "/save/";
  EXPECT_EQ(KeptCompressedFileName(settings, 0), "/save/Quake.gz");
  EXPECT_EQ(KeptCompressedFileName(settings, 1), "/save/Quake_2.gz");
}

}  // namespace
}  // namespace corvane
