#include "dataserver/egg_day_cut.h"

#include <gtest/gtest.h>

namespace corvane::dataserver {
namespace {

TEST(EggDayCutTest, KeepsTheRecordsOfTheSpanWithBothEndsAndRewritesTheCount) {
  const std::string file =
      "1,Samples per record,1,test\r\n10,4,200\r\n11,1,2\r\n11,4,5\r\n12,gmtime,ids,7,9\r\n"
      "13,100,a,100,101\r\n13,101,b,102,103\r\n13,102,c,104,105\r\n13,103,d,106,107\r\n";
  std::string error;
  EXPECT_EQ(CutEggData(file, 101, 102, &error),
            "1,Samples per record,1,test\n10,4,200\n11,1,2\n11,4,2\n12,gmtime,ids,7,9\n"
            "13,101,b,102,103\n13,102,c,104,105\n");
  EXPECT_EQ(CutEggData(file, 200, 300, &error),
            "1,Samples per record,1,test\n10,4,200\n11,1,2\n11,4,0\n12,gmtime,ids,7,9\n");
  // A header without a count gets one; extra fields of the count line stay.
  EXPECT_EQ(
      CutEggData("x Samples per record\n11,1,1\n12,a,b,5\n13,7,t,100\n13,8,t,99\n", 0, 7, &error),
      "x Samples per record\n11,1,1\n11,4,1\n12,a,b,5\n13,7,t,100\n");
  EXPECT_EQ(CutEggData("Samples per record\n11,4,9,note\n12,a,b,5\n13,7,t,100\n", 0, 10, &error),
            "Samples per record\n11,4,1,note\n12,a,b,5\n13,7,t,100\n");
}

TEST(EggDayCutTest, RefusesTextsThatAreNotEggData) {
  std::string error;
  EXPECT_FALSE(CutEggData("<html>no data</html>\n", 0, 10, &error));
  EXPECT_NE(error.find("Samples per record"), std::string::npos);
  EXPECT_FALSE(CutEggData("1,Samples per record\n11,1,2\n13,5,t,1,2\n", 0, 10, &error));
  EXPECT_NE(error.find("type 12"), std::string::npos);
}

}  // namespace
}  // namespace corvane::dataserver
