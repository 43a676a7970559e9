// The event series: the completed items of a batch combined into one answer
// to "is the series significant?", written as one record of "series.csv" in
// the output root and as a block of the batch's closing words.
//
// Three combinations, each with an exact upper-tail p:
//  - Stouffer: Z = (z_1 + ... + z_n) / sqrt(n) over the items' Z scores (each
//    the normal quantile of the item's exact Stouffer chi-square p), with
//    p = Q(Z), the standard normal upper tail;
//  - chi-square: the items' Stouffer chi-square sums added, S = S_1 + ... +
//    S_n with k = k_1 + ... + k_n degrees of freedom, p = Q_chi2(k, S), and
//    its deviation S - median(k) (the form "corvane-cli chisq" reads);
//  - count: m of the n items with p < 0.05, against 0.05 n expected by
//    chance, p = P(X >= m) for X ~ Binomial(n, 0.05).
// The combinations assume independent items: events whose time ranges
// overlap share data and make the series look stronger than it is.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace corvane {

// The table's name in the output root.
inline constexpr const char* kSeriesTableName = "series.csv";

// The p level of the count of significant items.
inline constexpr double kSignificanceLevel = 0.05;

// What the series takes from one completed item (the columns stouffer_p,
// stouffer_z, stouffer_chisq and stouffer_df of its results record).
struct SeriesItem {
  double p = 0.0;
  double z = 0.0;
  double chisq = 0.0;
  long long df = 0;
};

struct EventSeries {
  int items = 0;  // the items combined
  double stoufferZ = 0.0;
  double stoufferP = 0.0;
  double chisqSum = 0.0;
  long long chisqDf = 0;
  double chisqDeviation = 0.0;
  double chisqP = 0.0;
  int significant = 0;  // items with p < kSignificanceLevel
  double expected = 0.0;
  double countP = 1.0;
};

// Combines the items. With no item every statistic is NaN except the counts
// (0) and countP (1). Throws what the chi-square operations throw.
EventSeries CombineEvents(const std::vector<SeriesItem>& items);

// What a series record says besides the statistics.
struct SeriesRequest {
  std::string batchStart;  // as in the results table
  std::string batchFile;
  int itemsTakenUp = 0;  // the batch's items taken up for this root, in any state
};

const std::string& SeriesHeader();
std::string SeriesRecord(const SeriesRequest& request, const EventSeries& series);

// The closing words' block, several lines without a final line end.
std::string SeriesClosingBlock(const EventSeries& series);

// Appends one record to "<root>series.csv"; the message naming the file when
// it could not be written.
std::optional<std::string> AppendSeriesRecord(const std::string& root, const std::string& record);

}  // namespace corvane
