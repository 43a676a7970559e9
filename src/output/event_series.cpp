#include "output/event_series.h"

#include <cmath>
#include <limits>

#include "core/c_format.h"
#include "output/csv_table.h"
#include "prob/binomial_tail.h"
#include "prob/chi_square_distribution.h"
#include "prob/normal_distribution.h"

namespace corvane {

EventSeries CombineEvents(const std::vector<SeriesItem>& items) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  EventSeries series;
  series.items = static_cast<int>(items.size());
  // n / 20 rather than 0.05 n, which prints as 0.15000000000000002 for 3.
  series.expected = series.items / (1.0 / kSignificanceLevel);
  if (items.empty()) {
    series.stoufferZ = series.stoufferP = kNaN;
    series.chisqSum = series.chisqDeviation = series.chisqP = kNaN;
    return series;
  }
  double zSum = 0.0;
  for (const SeriesItem& item : items) {
    zSum += item.z;
    series.chisqSum += item.chisq;
    series.chisqDf += item.df;
    if (item.p < kSignificanceLevel) ++series.significant;
  }
  series.stoufferZ = zSum / std::sqrt(static_cast<double>(series.items));
  series.stoufferP = NormalUpperTail(series.stoufferZ);
  if (series.chisqDf > 0) {
    const auto k = static_cast<double>(series.chisqDf);
    series.chisqP = chiSquareDistribution::q_from_k_x(k, series.chisqSum);
    series.chisqDeviation = series.chisqSum - chiSquareDistribution::x_from_p_k(0.5, k);
  } else {
    series.chisqP = series.chisqDeviation = kNaN;
  }
  series.countP = BinomialUpperTail(series.items, series.significant, kSignificanceLevel);
  return series;
}

const std::string& SeriesHeader() {
  static const std::string header =
      CsvRecord({"batch_start", "batch_file", "items_taken_up", "items_combined", "stouffer_z",
                 "stouffer_p", "chisq_sum", "chisq_df", "chisq_deviation", "chisq_p",
                 "significant_items", "expected_items", "count_p"});
  return header;
}

std::string SeriesRecord(const SeriesRequest& request, const EventSeries& series) {
  return CsvRecord(
      {CsvField(request.batchStart), CsvField(request.batchFile), CsvInteger(request.itemsTakenUp),
       CsvInteger(series.items), CsvNumber(series.stoufferZ), CsvNumber(series.stoufferP),
       CsvNumber(series.chisqSum), CsvInteger(series.chisqDf), CsvNumber(series.chisqDeviation),
       CsvNumber(series.chisqP), CsvInteger(series.significant), CsvNumber(series.expected),
       CsvNumber(series.countP)});
}

std::string SeriesClosingBlock(const EventSeries& series) {
  if (series.items == 0) return "Event series: no completed item to combine";
  std::string block = CFormat("Event series of %d completed items:\n", series.items);
  block += CFormat("  Stouffer Z = %.4f, p = %.4g\n", series.stoufferZ, series.stoufferP);
  block += CFormat("  chi-square %.6g with %lld df (deviation %.6g), p = %.4g\n", series.chisqSum,
                   series.chisqDf, series.chisqDeviation, series.chisqP);
  block += CFormat("  %d items with p < %.2f (%.4g expected), p = %.4g", series.significant,
                   kSignificanceLevel, series.expected, series.countP);
  return block;
}

std::optional<std::string> AppendSeriesRecord(const std::string& root, const std::string& record) {
  return AppendCsvRecords(root + kSeriesTableName, SeriesHeader(), {record});
}

}  // namespace corvane
