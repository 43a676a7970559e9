#include "dataserver/egg_day_cut.h"

#include <gtest/gtest.h>

namespace corvane::dataserver {
namespace {

constexpr const char* kFile =
    "1,Samples per record,1,test\r\n"
    "10,4,200\r\n"
    "11,1,2\r\n"
    "11,4,5\r\n"
    "12,gmtime,ids,7,9\r\n"
    "13,100,a,100,101\r\n"
    "13,101,b,102,103\r\n"
    "13,102,c,104,105\r\n"
    "13,103,d,106,107\r\n"
    "13,104,e,108,109\r\n";

TEST(EggDayCutTest, KeepsTheRecordsOfTheSpanWithBothEndsAndRewritesTheCount) {
  std::string error;
  const std::optional<std::string> cut = CutEggData(kFile, 101, 103, &error);
  ASSERT_TRUE(cut) << error;
  EXPECT_EQ(*cut,
            "1,Samples per record,1,test\n10,4,200\n11,1,2\n11,4,3\n12,gmtime,ids,7,9\n"
            "13,101,b,102,103\n13,102,c,104,105\n13,103,d,106,107\n");

  const std::optional<std::string> none = CutEggData(kFile, 200, 300, &error);
  ASSERT_TRUE(none);
  EXPECT_NE(none->find("11,4,0\n"), std::string::npos);
  EXPECT_EQ(none->find("13,"), std::string::npos);
}

TEST(EggDayCutTest, HeaderWithoutACountGetsOneAndExtraFieldsStay) {
  std::string error;
  const std::optional<std::string> added =
      CutEggData("x Samples per record\n11,1,1\n12,a,b,5\n13,7,t,100\n13,8,t,99\n", 0, 7, &error);
  ASSERT_TRUE(added) << error;
  EXPECT_EQ(*added, "x Samples per record\n11,1,1\n11,4,1\n12,a,b,5\n13,7,t,100\n");

  const std::optional<std::string> kept =
      CutEggData("Samples per record\n11,4,9,note\n12,a,b,5\n13,7,t,100\n", 0, 10, &error);
  ASSERT_TRUE(kept) << error;
  EXPECT_NE(kept->find("\n11,4,1,note\n"), std::string::npos);
}

TEST(EggDayCutTest, RefusesTextsThatAreNotEggData) {
  std::string error;
  EXPECT_FALSE(CutEggData("<html>no data</html>\n", 0, 10, &error));
  EXPECT_NE(error.find("Samples per record"), std::string::npos);
  EXPECT_FALSE(CutEggData("1,Samples per record\n11,1,2\n13,5,t,1,2\n", 0, 10, &error));
  EXPECT_NE(error.find("type 12"), std::string::npos);
  EXPECT_FALSE(CutEggData("", 0, 10, &error));
}

}  // namespace
}  // namespace corvane::dataserver
