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

// A run folder must never take the place of a table of the output root.
TEST(DataNameTest, RefusesTheNamesOfTheRootsTables) {
  for (const char* name :
       {"summary.tst", "SUMMARY.TST", "results.csv", "series.csv", "summary-1-of-4.tst",
        "summary-12-of-120.tst", "eggvar_dft.dat", "lpdev_dft.dat", "alpdev_dft.dat",
        "lpadev_dft.dat", "lpvar_dft.dat", "LpMax_dft.dat", "event_dft.dat",
        ".summary.tst.appending", ".event_dft.dat.appending"}) {
    EXPECT_TRUE(IsRootTableName(name)) << name;
    EXPECT_EQ(DataNameError(name), "The data name " + std::string(name) +
                                       " is the name of a table in the output root; please "
                                       "choose another name");
  }
  for (const char* name :
       {"summary", "summary.tst2", "my summary.tst", "summary-1-of-.tst", "summary--of-4.tst",
        "summary-x-of-4.tst", "summary-1-of-4.tsv", "summary-1-4.tst", "results.csv.old",
        "Quake_dft.dat", "lpvar_dft", "summary.tst.appending", ".summary.tst", "event"}) {
    EXPECT_FALSE(IsRootTableName(name)) << name;
    EXPECT_EQ(DataNameError(name), std::nullopt) << name;
  }
}

}  // namespace
}  // namespace corvane
