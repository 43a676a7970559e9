#include "cli/batch_command.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <thread>

#include <QCoreApplication>
#include <QTimer>

#include "app/analysis_dialog.h"
#include "app/closing_words.h"
#include "app/persisted_settings.h"
#include "app/settings_store.h"
#include "app/shard_merge.h"
#include "cli/cli_options.h"
#include "cli/console_view.h"
#include "cli/interrupt_watch.h"
#include "core/paths.h"

namespace corvane {

namespace {

// Where the results of the loaded items lie.
void PrintResultPlaces(const AnalysisDialog& form, ConsoleView& view) {
  std::set<std::string> roots;
  for (const BatchItem& item : form.BatchItems()) {
    if (!item.outputRoot.empty()) roots.insert(WithSeparator(item.outputRoot));
  }
  for (const std::string& root : roots) {
    view.Print("Results are in " + root + "<data name>/; the batch summary is " + root +
               "summary.tst, the results table " + root + "results.csv and the event series " +
               root + "series.csv");
  }
}

}  // namespace

int BatchExitStatus(bool stopped, const BatchTally& tally, bool fileReadWhole) {
  if (stopped) return kExitInterrupted;
  if (tally.failed > 0 || tally.refused > 0 || !fileReadWhole) return kExitItemsFailed;
  return kExitOk;
}

int DefaultBatchJobs() {
  const unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(cores, 1u, static_cast<unsigned>(kMaxBatchJobs)));
}

int RunMergeCommand(const std::string& root, std::ostream& out, std::ostream& err) {
  const MergeOutcome outcome = MergeShardTables(root);
  if (!outcome.merged) {
    err << "corvane-cli: " << outcome.message << std::endl;
    return kExitFailed;
  }
  out << "Joined " << outcome.shards << " shards (" << outcome.items << " items):";
  for (const std::string& table : outcome.written) out << " " << table;
  out << std::endl;
  return kExitOk;
}

int RunBatchCommand(const std::string& batchFile,
                    const std::vector<std::pair<std::string, std::string>>& overrides,
                    const BatchRunOptions& run, std::ostream& err) {
  SettingsStore store;
  for (const auto& [name, value] : overrides) {
    if (const std::optional<std::string> error = SettingOverrideError(name, value)) {
      err << "corvane-cli: " << *error << std::endl;
      return kExitUsage;
    }
    store.SetOverride(name, value);
  }

  ConsoleView view(err);
  AnalysisDialog form(store, view);
  form.SetBatchJobs(run.jobs > 0 ? run.jobs : DefaultBatchJobs());
  form.SetBatchShard({run.shardIndex, run.shardCount});
  view.SetStatusSource([&form] {
    const std::string& status = form.fields.status;
    return status.empty() ? status : form.StatusDataName() + ": " + status;
  });

  int status = kExitOk;
  bool finished = false;
  view.SetBatchFinishedHandler([&](int, bool stopped) {
    finished = true;
    status =
        BatchExitStatus(stopped, CountOutcomes(form.BatchReports()), form.BatchFileReadWhole());
    QCoreApplication::exit(status);
  });
  InterruptWatch interrupts([&](int count) {
    if (count > 1 || !form.BatchMode()) {
      view.Print("Interrupted.");
      form.Stop();
      status = kExitInterrupted;
      if (count > 1) std::_Exit(kExitInterrupted);
      if (!form.BatchMode()) QCoreApplication::exit(kExitInterrupted);
      return;
    }
    view.Print("Stopping the current run and the batch (Ctrl-C again quits at once).");
    form.Stop();
  });

  QTimer::singleShot(0, [&] {
    if (form.OpenBatchFileAt(batchFile) < 0) {
      QCoreApplication::exit(kExitFailed);
      return;
    }
    form.RunBatchFile();
    if (!form.BatchMode() && !finished) QCoreApplication::exit(kExitFailed);
  });
  status = QCoreApplication::exec();
  form.Shutdown();
  if (finished) PrintResultPlaces(form, view);
  return status;
}

}  // namespace corvane
