// corvane-cli: Corvane without a window (see --help).
#include <iostream>
#include <string>
#include <vector>

#include <QCoreApplication>

#include "app/about_box.h"
#include "app/numeric_locale.h"
#include "cli/batch_command.h"
#include "cli/chisq_command.h"
#include "cli/cli_options.h"
#include "cli/interrupt_watch.h"

int main(int argc, char** argv) {
  // Before any thread exists, so that Ctrl-C reaches the event loop.
  corvane::BlockInterruptSignals();
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const corvane::CliOptions options = corvane::ParseCliOptions(arguments);
  if (!options.error.empty()) {
    std::cerr << "corvane-cli: " << options.error << "\n\n" << corvane::CliHelp("");
    return corvane::kExitUsage;
  }
  switch (options.command) {
    case corvane::CliOptions::Command::kHelp:
      std::cout << corvane::CliHelp(options.helpTopic);
      return corvane::kExitOk;
    case corvane::CliOptions::Command::kVersion:
      std::cout << "corvane-cli " << corvane::CorvaneVersion() << "\n";
      return corvane::kExitOk;
    case corvane::CliOptions::Command::kChisq:
      return corvane::RunChisqCommand(options.deviation, options.degreesOfFreedom, std::cout,
                                      std::cerr);
    case corvane::CliOptions::Command::kBatch: {
      QCoreApplication app(argc, argv);
      corvane::UseCNumericLocale();
      return corvane::RunBatchCommand(options.batchFile, options.overrides,
                                      {options.jobs, options.shardIndex, options.shardCount},
                                      std::cerr);
    }
    case corvane::CliOptions::Command::kMerge:
      return corvane::RunMergeCommand(options.mergeRoot, std::cout, std::cerr);
  }
  return corvane::kExitUsage;
}
