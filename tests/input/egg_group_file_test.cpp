// Egg subgroup files: what a sound file selects, and every kind of file that
// is refused with a message naming it and the first bad token.
#include "input/egg_group_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/c_format.h"
#include "input_fixture.h"

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using EggGroupFileTest = InputTest;

// Comments, then the count, then the ids in any layout; a file without ids
// or with anything but whole numbers is refused, naming the first bad token.
TEST_F(EggGroupFileTest, TheIdsAfterTheCountOrARefusalNamingTheBadToken) {
  const std::string path = dir.File("group.esg");
  const struct {
    std::string text;
    std::vector<int> ids;  // none: refused
    std::string bad;       // the token named, or "" when the file holds no id
  } cases[] = {
      {"3 1004\n\t1021\r\n\n  1066 1099 1100\n", {1004, 1021, 1066}, ""},  // past the count
      {"# Europe\n#second line, with 12 numbers 34\n  #indented\n2\n+7 -3\n", {7, -3}, ""},
      {"5\n1 2\n", {1, 2}, ""},  // fewer ids than the count
      {"3\n1 2 3 4,x\n", {1, 2, 3}, ""},
      {"2\n2147483647 -2147483648\n", {2147483647, -2147483647 - 1}, ""},
      {"10000\n1 2\n", {1, 2}, ""},
      {"3\n1001,1002,1003\n", {}, "1001,1002,1003"},
      {"4\n1 2 x 3\n", {}, "x"},
      {"3\n1 # two\n3\n", {}, "#"},  // comments only before the count
      {"3\n1 99999999999 2\n", {}, "99999999999"},
      {"2\n1 2147483648\n", {}, "2147483648"},
      {"many\n5 6\n", {}, "many"},
      {"3,\n5 6 7\n", {}, "3,"},
      {"2\n1 -\n", {}, "-"},
      {std::string(4096, '\0'), {}, std::string(40, '\0')},
      {"2\n\x01\xff\n", {}, "\x01\xff"},
      {"", {}, ""},
      {"# only a comment\n", {}, ""},
      {"0\n5 6\n", {}, ""},
      {"-2\n5 6\n", {}, ""},
      {"3\n", {}, ""},
      {"3\n  \n\t", {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 20));
    std::optional<std::string> message;
    if (c.ids.empty()) message = "Egg subgroup file " + path + " holds no egg identifier";
    if (!c.bad.empty()) {
      std::string shown;
      for (const char ch : c.bad) {
        const auto byte = static_cast<unsigned char>(ch);
        shown += byte >= 0x20 && byte < 0x7f ? std::string(1, ch) : CFormat("\\x%02X", byte);
      }
      if (c.text.size() == 4096) shown += "...";  // only the first 40 bytes are shown
      message = "Egg subgroup file " + path + ": \"" + shown + "\" is not a whole number";
    }
    const EggSubgroup subgroup = ReadEggGroupFile(Hand("group.esg", c.text));
    EXPECT_EQ(subgroup.error, message);
    EXPECT_EQ(subgroup.ids, c.ids);
  }
  // No name is no subgroup, and no failure; a missing file is refused and
  // logged (other names that are no readable file: BoundsTest).
  const EggSubgroup none = ReadEggGroupFile("");
  EXPECT_THAT(none.ids, IsEmpty());
  EXPECT_EQ(none.error, std::nullopt);
  EXPECT_EQ(Log(), "");
  const std::string missing = dir.File("none.esg");
  EXPECT_EQ(ReadEggGroupFile(missing).error,
            "Egg subgroup file " + missing + " cannot be read: No such file or directory");
  EXPECT_EQ(Log(), "Failed to open egg group file '" + missing + "'\n");
}

// The bounds of the file and of the count, each just inside and just beyond.
TEST_F(EggGroupFileTest, TheFileAndTheCountAreBounded) {
  const std::string path = dir.File("group.esg");
  const std::string head = "# comment\n2\n1 2\n";
  for (const long long size : {kMaxEggGroupFileBytes, kMaxEggGroupFileBytes + 1}) {
    const EggSubgroup subgroup =
        ReadEggGroupFile(Hand("group.esg", head + std::string(size - head.size(), ' ')));
    if (size == kMaxEggGroupFileBytes) {
      EXPECT_THAT(subgroup.ids, ElementsAre(1, 2));
    } else {
      EXPECT_EQ(subgroup.error, "Egg subgroup file " + path + " is larger than 1048576 bytes");
    }
  }
  std::string ids;
  for (int id = 1; id <= kMaxSubgroupIds + 1; ++id) ids += std::to_string(id) + "\n";
  EXPECT_EQ(ReadEggGroupFile(Hand("group.esg", "10000\n" + ids)).ids.size(), 10000u);
  EXPECT_EQ(ReadEggGroupFile(Hand("group.esg", "10001\n" + ids)).error,
            "Egg subgroup file " + path + ": the count 10001 is larger than 10000");
}

}  // namespace
}  // namespace corvane::testing
