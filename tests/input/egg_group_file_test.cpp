#include "input/egg_group_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "input_fixture.h"

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class EggGroupFileTest : public ::testing::Test {
 protected:
  std::vector<int> Read(const std::string& text) {
    WriteFile(dir.File("group.esg"), text);
    return ReadEggGroupFile(dir.File("group.esg"));
  }
  std::string Log() const { return log.Text(); }

  TempDir dir;
  LogCapture log{dir.File("egg.log")};
};

TEST_F(EggGroupFileTest, CountThenIdsInAnyLayout) {
  EXPECT_THAT(Read("3\n1004 1021 1066\n"), ElementsAre(1004, 1021, 1066));
  EXPECT_THAT(Read("3 1004\n\t1021\r\n\n  1066 1099 1100\n"), ElementsAre(1004, 1021, 1066));
  EXPECT_THAT(Read("2\n+7\n-3\n"), ElementsAre(7, -3));
}

TEST_F(EggGroupFileTest, CommentLinesBeforeTheCountAreSkipped) {
  EXPECT_THAT(Read("# Europe\n#second line, with 12 numbers 34\n3\n1004 1021 1066\n"),
              ElementsAre(1004, 1021, 1066));
  EXPECT_THAT(Read("#\n  #indented\n2 5 6"), ElementsAre(5, 6));
  // After the count a "#" token is no comment: it ends the list.
  EXPECT_THAT(Read("3\n1 # two\n3\n"), ElementsAre(1));
}

TEST_F(EggGroupFileTest, BadCountsAndShortListsGiveWhatWasRead) {
  EXPECT_THAT(Read("-2\n5 6\n"), IsEmpty());
  EXPECT_THAT(Read("0\n5 6\n"), IsEmpty());
  EXPECT_THAT(Read("many\n5 6\n"), IsEmpty());
  EXPECT_THAT(Read("5\n1 2\n"), ElementsAre(1, 2));
  EXPECT_THAT(Read("4\n1 2 x 3\n"), ElementsAre(1, 2));
  EXPECT_THAT(Read("3\n1004,1021,1066\n"), ElementsAre(1004));
  EXPECT_THAT(Read("3\n1 99999999999 2\n"), ElementsAre(1));
  EXPECT_THAT(Read("2000000000\n8 9\n"), ElementsAre(8, 9));
  EXPECT_THAT(Read("3abc 4 5 6"), ElementsAre(4, 5, 6));
}

TEST_F(EggGroupFileTest, FileEndingBeforeTheCountSelectsEveryEgg) {
  EXPECT_THAT(Read(""), IsEmpty());
  EXPECT_THAT(Read("# only a comment\n# and another"), IsEmpty());
  EXPECT_THAT(Read("   \n\n"), IsEmpty());
}

TEST_F(EggGroupFileTest, UnreadableFilesAreLoggedAndSelectEveryEgg) {
  EXPECT_THAT(ReadEggGroupFile(""), IsEmpty());
  EXPECT_EQ(Log(), "");
  EXPECT_THAT(ReadEggGroupFile(dir.File("none.esg")), IsEmpty());
  EXPECT_THAT(ReadEggGroupFile(dir.path()), IsEmpty());
  EXPECT_EQ(Log(), "Failed to open egg group file '" + dir.File("none.esg") +
                       "'\nFailed to open egg group file '" + dir.path() + "'\n");
}

TEST(EggSelectionTest, EmptySubgroupSelectsEveryEgg) {
  EXPECT_TRUE(IsEggSelected({}, 1004));
  EXPECT_TRUE(IsEggSelected({1, 1004}, 1004));
  EXPECT_FALSE(IsEggSelected({1, 1005}, 1004));
}

}  // namespace
}  // namespace corvane::testing
