#include "input/egg_file_reader.h"
#include "input/input_notes.h"
#include "job/job_state.h"
#include "job/result_steps.h"
#include "output/run_statistics.h"
#include "output/write_results.h"
#include "stats/composite_statistics.h"
#include "stats/smoothing_settings.h"

namespace corvane {

void JobState::RunSequence() {
  if (context.Aborted()) return;
  context.AdvanceJobStage();
  context.LogLine("Read local file");
  context.PostStatus("Reading local file");
  // Downloaded days were parsed as they arrived; the user's own files may
  // serve other items of a batch.
  ParsedFileCache* cache = context.settings.remoteAccess ? nullptr : input_cache.get();
  ReadFirstDataFile(context, segment_files, input_file_count, table, cache, &parsed_inputs);
  for (int i = 1; i < input_file_count && !context.Aborted(); ++i) {
    context.LogLine("Append local file");
    AppendDataFile(context, segment_files, i, table, cache, &parsed_inputs);
  }
  LogInputNotes(context, table);
  // A run whose files hold no in-range record at all ends here, however many
  // files it has; so does one whose smoothing window outgrows its data.
  if (input_file_count > 1) CheckUseableRecords(context, table);
  if (!context.Aborted()) {
    const AnalysisSettings& settings = context.settings;
    if (auto problem = SmoothingWindowLengthError(settings.smoothingMode, settings.smoothingWindow,
                                                  table.sampleCount)) {
      context.RunError(*problem);
      context.Abort();
    }
  }
  context.AdvanceJobStage();
  if (context.Aborted()) return;

  context.LogLine("Compute statistics");
  context.PostStatus("Computing statistics");
  ComputeStatistics(context, table, series);
  context.AdvanceJobStage();
  if (context.Aborted()) return;

  context.LogLine("Write results");
  results_written = WriteResults(context, table, series, BuildResultSteps(*this));
  if (results_written) statistics = RunStatisticsOf(series, table.sampleCount);
  context.AdvanceJobStage();
}

}  // namespace corvane
