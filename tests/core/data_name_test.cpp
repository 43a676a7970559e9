#include "core/data_name.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

// The message itself is checked where a run refuses the name (RunEndTest).
TEST(DataNameTest, RefusesNamesThatLeaveTheRootOrBreakScripts) {
  for (const char* name : {"Quake", "PED-2011 test", "a..b", "9_11", "Über"}) {
    EXPECT_EQ(DataNameError(name), std::nullopt) << name;
  }
  for (const char* name : {"", ".", "..", "a/b", "a\\b", "say \"hi\"", "it's", "`id`", "tab\tname",
                           "line\nfeed", "del\x7f"}) {
    EXPECT_NE(DataNameError(name), std::nullopt) << name;
  }
}

}  // namespace
}  // namespace corvane
