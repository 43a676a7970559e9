#include "output/results_table.h"

#include "output/csv_table.h"
#include "stats/interval_comparison.h"

namespace corvane {
namespace {

const char* OutcomeName(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::kCompleted:
      return "completed";
    case RunOutcome::kFailed:
      return "failed";
    case RunOutcome::kRefused:
      return "refused";
    case RunOutcome::kStopped:
      return "stopped";
  }
  return "failed";
}

const char* SmoothingName(int mode) {
  switch (mode) {
    case 1:
      return "rectangle";
    case 2:
      return "triangle";
    default:
      return "exponential";
  }
}

std::string MakeHeader() {
  std::string header =
      "batch_start,batch_file,item,data_name,start,stop,event_time,event_duration_h,"
      "resolution,smoothing,smoothing_window,smoothing_coeff,subgroup_file,source,input,"
      "status,message,eggs,samples,stouffer_chisq,stouffer_df,stouffer_deviation,stouffer_p,"
      "stouffer_z,covar_sum,covar_df,covar_p,compare_intervals,interval1_start,"
      "interval2_start,interval_duration,interval_message";
  for (const ComparedVariable& variable : kComparedVariables) {
    for (const char* part : {"_mean1", "_mean2", "_t", "_df", "_p"}) {
      header += std::string(",") + variable.name + part;
    }
  }
  return header;
}

}  // namespace

const std::string& ResultsHeader() {
  static const std::string header = MakeHeader();
  return header;
}

std::string ResultRecord(const ResultRequest& request, const RunReport& report) {
  const bool window = request.smoothingMode == 1 || request.smoothingMode == 2;
  std::vector<std::string> fields = {
      CsvField(request.batchStart),
      CsvField(request.batchFile),
      CsvInteger(request.item),
      CsvField(request.dataName),
      CsvField(request.start),
      CsvField(request.stop),
      CsvField(request.eventTime),
      CsvNumber(request.eventDurationHours),
      CsvInteger(request.resolution),
      SmoothingName(request.smoothingMode),
      window ? CsvInteger(request.smoothingWindow) : std::string(),
      window ? std::string() : CsvNumber(request.smoothingCoefficient),
      CsvField(request.subgroupFile),
      request.remote ? "remote" : "local",
      CsvField(request.input),
      OutcomeName(report.outcome),
      CsvField(report.message),
  };
  if (const std::optional<RunStatistics>& s = report.statistics) {
    for (std::string field :
         {CsvInteger(s->useableEggs), CsvInteger(s->samples), CsvNumber(s->stoufferSum),
          CsvInteger(s->stoufferDegrees), CsvNumber(s->stoufferDeviation),
          CsvNumber(s->stoufferUpperP), CsvNumber(s->stoufferZ), CsvNumber(s->covarSum),
          CsvInteger(s->covarDegrees), CsvNumber(s->covarUpperP)}) {
      fields.push_back(std::move(field));
    }
  } else {
    fields.insert(fields.end(), 10, std::string());
  }
  fields.push_back(request.compareIntervals ? "1" : "0");
  if (request.compareIntervals) {
    fields.push_back(CsvInteger(request.interval1Start));
    fields.push_back(CsvInteger(request.interval2Start));
    fields.push_back(CsvInteger(request.intervalDuration));
  } else {
    fields.insert(fields.end(), 3, std::string());
  }
  const std::optional<IntervalReport>& intervals = report.intervals;
  fields.push_back(intervals ? CsvField(intervals->message) : std::string());
  for (std::size_t v = 0; v < kComparedVariables.size(); ++v) {
    if (intervals && intervals->ran && v < intervals->tests.size()) {
      const VariableTest& test = intervals->tests[v];
      fields.push_back(CsvNumber(test.mean1));
      fields.push_back(CsvNumber(test.mean2));
      fields.push_back(CsvNumber(test.t));
      fields.push_back(CsvInteger(test.df));
      fields.push_back(CsvNumber(test.p));
    } else {
      fields.insert(fields.end(), 5, std::string());
    }
  }
  return CsvRecord(fields);
}

std::optional<std::string> AppendResultRecords(const std::string& root,
                                               const std::vector<std::string>& records) {
  return AppendCsvRecords(root + kResultsTableName, ResultsHeader(), records);
}

}  // namespace corvane
