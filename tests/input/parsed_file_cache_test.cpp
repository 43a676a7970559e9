// The batch's cache of parsed input files: a file is parsed once while it
// stays the same file, parsed again once it changes, kept within the bound,
// and shared safely by items reading at the same time. Every table read
// through the cache equals the one read straight from the file.
#include "input/parsed_file_cache.h"

#include <sys/time.h>

#include <atomic>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "input_fixture.h"

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ParsedFileCacheTest : public InputTest {
 protected:
  // The table read straight from the files, to compare with.
  EggSampleTable Direct(const SegmentFileList& paths) {
    EXPECT_THAT(Read(paths), IsEmpty());
    return table;
  }
  // Sets the file's modification time to the given second, keeping its bytes.
  static void Touch(const std::string& path, std::int64_t seconds) {
    const timeval times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
    ASSERT_EQ(utimes(path.c_str(), times), 0);
  }
};

TEST_F(ParsedFileCacheTest, AFileIsParsedOnceWhileItStaysTheSameAndAgainOnceItChanges) {
  const auto options = Options(4, kDay, 3000);
  const std::string path = Write("day.csv", options);
  const std::int64_t second = 1300000000;  // the files' time, to the nanosecond
  Touch(path, second);
  const EggSampleTable whole = Direct({path});
  ParsedFileCache cache;
  // Three items: the whole day, an hour of it at resolution 1, and the
  // whole day at resolution 7.
  EXPECT_THAT(Read({path}, &cache), IsEmpty());
  ExpectTable(whole);
  context.settings.startTime = kDay + 100;
  context.settings.stopTime = kDay + 199;
  const EggSampleTable part = Direct({path});
  EXPECT_EQ(part.sampleCount, 100);
  EXPECT_THAT(Read({path}, &cache), IsEmpty());
  ExpectTable(part);
  context.settings.startTime = context.settings.stopTime = 0;
  context.settings.resolution = 7;
  const EggSampleTable coarse = Direct({path});
  EXPECT_THAT(Read({path}, &cache), IsEmpty());
  ExpectTable(coarse);
  context.settings.resolution = 1;
  EXPECT_EQ(cache.Parses(), 1);
  EXPECT_EQ(cache.Hits(), 2);
  EXPECT_GT(cache.HeldBytes(), 0);

  // Other contents of the same size, time and name: the file's identity
  // (inode) tells. Written beside it and renamed over it.
  std::string bytes = ReadFile(path);
  bytes[bytes.size() - 2] ^= 1;  // the last digit of the last value
  const std::string replacement = Hand("new.csv", bytes);
  Touch(replacement, second);
  std::filesystem::rename(replacement, path);
  const EggSampleTable changed = Direct({path});
  ASSERT_NE(changed.columns[3].samples, whole.columns[3].samples);
  EXPECT_THAT(Read({path}, &cache), IsEmpty());
  ExpectTable(changed);
  EXPECT_EQ(cache.Parses(), 2);

  // The same file rewritten in place (same inode, same size): its time tells.
  WriteFile(path, ReadFile(Write("old.csv", options)));
  Touch(path, second + 5);
  EXPECT_THAT(Read({path}, &cache), IsEmpty());
  ExpectTable(whole);
  EXPECT_EQ(cache.Parses(), 3);
  // Only a change of time, with the same bytes: parsed again too.
  Touch(path, second + 9);
  EXPECT_THAT(Read({path}, &cache), IsEmpty());
  EXPECT_EQ(cache.Parses(), 4);
  EXPECT_THAT(Read({path}, &cache), IsEmpty());
  EXPECT_EQ(cache.Parses(), 4);
  ExpectTable(whole);

  // A file whose reading failed is not kept: every item reports the failure
  // itself. A missing file, too.
  const std::int64_t held = cache.HeldBytes(), hits = cache.Hits();
  for (const std::string& bad : {Hand("bad.gz", "not gzip data at all"), dir.File("none.csv")}) {
    for (int item = 0; item < 2; ++item) {
      EXPECT_THAT(Read({bad}, &cache), ElementsAre("Quake: Unable to open " + bad + " for input"));
    }
  }
  EXPECT_EQ(cache.HeldBytes(), held);
  EXPECT_EQ(cache.Hits(), hits);
}

// Entries are kept within the bound: a file larger than the bound is parsed
// for each item; of two files that fit only one at a time, the least
// recently used one goes.
TEST_F(ParsedFileCacheTest, EntriesStayWithinTheBound) {
  const std::string a = Write("a.csv", Options(10, kDay, 2000));
  const std::string b = Write("b.csv", Options(10, kDay + 86400, 2000));
  ParsedFileCache probe;
  EXPECT_THAT(Read({a}, &probe), IsEmpty());
  const std::int64_t one = probe.HeldBytes();
  ASSERT_GT(one, 0);

  ParsedFileCache exact(one);  // just fits one file
  EXPECT_THAT(Read({a}, &exact), IsEmpty());
  EXPECT_THAT(Read({a}, &exact), IsEmpty());
  EXPECT_EQ(exact.Parses(), 1);
  EXPECT_EQ(exact.HeldBytes(), one);
  EXPECT_THAT(Read({b}, &exact), IsEmpty());  // pushes a out
  EXPECT_LE(exact.HeldBytes(), one);
  EXPECT_THAT(Read({b}, &exact), IsEmpty());
  EXPECT_EQ(exact.Parses(), 2);
  EXPECT_THAT(Read({a}, &exact), IsEmpty());
  EXPECT_EQ(exact.Parses(), 3);

  ParsedFileCache tight(one - 1);  // a byte short: nothing is kept
  const EggSampleTable expected = Direct({a});
  EXPECT_THAT(Read({a}, &tight), IsEmpty());
  EXPECT_THAT(Read({a}, &tight), IsEmpty());
  ExpectTable(expected);
  EXPECT_EQ(tight.Parses(), 2);
  EXPECT_EQ(tight.HeldBytes(), 0);
}

// Items of a parallel batch asking for the same files at once: each file is
// parsed once, and every item gets the table a lone run gets.
TEST_F(ParsedFileCacheTest, ItemsReadingAtOnceShareOneParse) {
  const std::string first = Write("q.gz", Options(6, kDay, 20000), true);
  const std::string second = Write("q_2.gz", Options(6, kDay + 20000, 20000), true);
  const EggSampleTable expected = Direct({first, second});
  ParsedFileCache cache;
  constexpr int kItems = 6;
  std::vector<EggSampleTable> tables(kItems);
  std::vector<std::vector<std::string>> messages(kItems);
  std::vector<std::thread> items;
  for (int t = 0; t < kItems; ++t) {
    items.emplace_back([&, t] {
      SideRun item(context.settings);
      SegmentFileList paths = {first, second};
      ReadFirstDataFile(item.context, paths, 2, tables[t], &cache);
      AppendDataFile(item.context, paths, 1, tables[t], &cache);
      messages[t] = item.link.messageTexts();
    });
  }
  for (std::thread& item : items) item.join();
  EXPECT_EQ(cache.Parses(), 2);
  EXPECT_EQ(cache.Hits(), 2 * (kItems - 1));
  for (int t = 0; t < kItems; ++t) {
    SCOPED_TRACE(t);
    EXPECT_THAT(messages[t], IsEmpty());
    table = tables[t];
    ExpectTable(expected);
  }
}

}  // namespace
}  // namespace corvane::testing
