// Where the stand-in data server takes a day's egg data from.
//
// A DaySource answers for one calendar date and a span within it: the egg
// data file text of the records from `from` to `to` (inclusive), with header
// counts that match what it holds.
//
//  - DirectoryDaySource: one file per date in a directory, named
//    YYYY-MM-DD.csv (plain text) or YYYY-MM-DD.csv.gz (gzip), in the egg data
//    file format; the span is cut out of the day's file. A date without a
//    file has no data.
//  - SyntheticDaySource: synthetic data from the egg data generator for any
//    date; the same seed always gives the same values.
//
// Both are safe to call from several threads at once.
#pragma once

#include <cstdint>
#include <string>

namespace corvane::dataserver {

struct DayAnswer {
  enum Kind { kData, kNoData, kBroken };
  Kind kind = kNoData;
  std::string text;   // kData: the egg data file text
  std::string error;  // kBroken: what is wrong with the day's file
};

class DaySource {
 public:
  virtual ~DaySource() = default;
  // dayStart is 00:00:00 of the date; dayStart <= from <= to < dayStart + 86400.
  virtual DayAnswer Day(std::int64_t dayStart, std::int64_t from, std::int64_t to) const = 0;
  // Changes whenever the answers for the date may change.
  virtual std::string Version(std::int64_t dayStart) const = 0;
};

class DirectoryDaySource : public DaySource {
 public:
  explicit DirectoryDaySource(std::string directory);
  DayAnswer Day(std::int64_t dayStart, std::int64_t from, std::int64_t to) const override;
  std::string Version(std::int64_t dayStart) const override;

  // The plain and the compressed name of the date's file in the directory.
  std::string PlainPath(std::int64_t dayStart) const;
  std::string CompressedPath(std::int64_t dayStart) const;

 private:
  std::string directory_;
};

class SyntheticDaySource : public DaySource {
 public:
  SyntheticDaySource(int eggCount, std::uint64_t seed) : egg_count_(eggCount), seed_(seed) {}
  DayAnswer Day(std::int64_t dayStart, std::int64_t from, std::int64_t to) const override;
  std::string Version(std::int64_t dayStart) const override;

 private:
  int egg_count_;
  std::uint64_t seed_;
};

}  // namespace corvane::dataserver
