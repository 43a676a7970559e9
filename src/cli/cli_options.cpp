#include "cli/cli_options.h"

namespace corvane {

namespace {

const char* const kProgramHelp =
    "Usage: corvane-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Corvane without a window.\n"
    "\n"
    "Commands:\n"
    "  batch [--set NAME=VALUE]... FILE.ebb   run a batch file of analyses\n"
    "  chisq DEVIATION DF                     probability of a chi-square deviation\n"
    "\n"
    "  corvane-cli COMMAND --help             help on one command\n"
    "  corvane-cli --version                  the program's version\n"
    "\n"
    "Exit status: 0 on success, 1 when the command could not run, 2 for a wrong\n"
    "command line; batch also 3 when an item failed or was refused and 130 when\n"
    "stopped with Ctrl-C (see each command's --help).\n";

const char* const kBatchHelp =
    "Usage: corvane-cli batch [--set NAME=VALUE]... FILE.ebb\n"
    "\n"
    "Runs the batch file as the window's \"Run batch file\" does, with the stored\n"
    "settings: each item one after another, refusals and run errors as lines\n"
    "\"name: message\" of the output root's summary.tst. Status changes and\n"
    "messages (\"caption: text\") are printed on standard error, and the closing\n"
    "line counts the items: \"N items processed in batch mode: C completed,\n"
    "F failed, R refused, S stopped\", and the lines after it combine the\n"
    "completed items into the event series. Every item taken up gets a record in\n"
    "the output root's results.csv (status, message, Stouffer chi-square, df, p\n"
    "and Z, t-tests), and the series is added to series.csv (see the help page).\n"
    "Ctrl-C stops the current run (its line in summary.tst says \"Stopped by\n"
    "user\") and the batch; Ctrl-C again quits at once.\n"
    "\n"
    "  --set NAME=VALUE   use VALUE for the setting NAME in this run only (it is\n"
    "                     never stored), e.g. --set TempDir=/scratch/ or\n"
    "                     --set GnuplotDir=/usr/bin/gnuplot. Names: AudioLevel,\n"
    "                     DataBlockSize, MaxFreq, MinFreq, MaxNoteLength,\n"
    "                     MinNoteLength, ModulationRate, ModulationDepth, RestLength,\n"
    "                     SampleRate, GnuplotDir, TimeZoneURL, DataURL, PseudoDataURL,\n"
    "                     EggGroupFile, DataDir, TempDir, RemoteSaveDir, SaveCompressed,\n"
    "                     Int1Start, Int2Start, IntervalDuration, SmoothWindowSize,\n"
    "                     SmoothWindowType, DFT, DFTSize, ExpCoeff, EventDuration,\n"
    "                     LogProgress, PlotPictures (none, png, svg or pdf: each\n"
    "                     item also writes NAME.png, .svg or .pdf beside its plot\n"
    "                     script, e.g. --set PlotPictures=png).\n"
    "\n"
    "Exit status:\n"
    "  0    every item completed (wrote its results)\n"
    "  1    the batch could not run (an unreadable file, no items)\n"
    "  2    wrong command line\n"
    "  3    the batch ran to its end, but an item failed or was refused, or\n"
    "       reading the batch file stopped early (at a line it refused, or\n"
    "       after 5000 items)\n"
    "  130  stopped with Ctrl-C\n";

const char* const kChisqHelp =
    "Usage: corvane-cli chisq DEVIATION DF\n"
    "\n"
    "Prints, with 15 significant digits, the probability that a chi-square\n"
    "variable with DF degrees of freedom exceeds its median plus DEVIATION (the\n"
    "\"ChiSquare Probability Calculator\"). A deviation of 0 gives 0.5.\n"
    "DEVIATION is a decimal number, DF a whole number of at least 1.\n"
    "\n"
    "Exit status: 0 with a probability, 1 for invalid input, 2 for a wrong\n"
    "command line.\n";

bool IsHelp(const std::string& argument) { return argument == "--help" || argument == "-h"; }

CliOptions Help(const std::string& topic) {
  CliOptions options;
  options.helpTopic = topic;
  return options;
}

CliOptions Error(const std::string& text) {
  CliOptions options;
  options.error = text;
  return options;
}

CliOptions ParseBatch(const std::vector<std::string>& arguments) {
  CliOptions options;
  options.command = CliOptions::Command::kBatch;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (IsHelp(argument)) return Help("batch");
    std::string assignment;
    if (argument == "--set") {
      if (i + 1 >= arguments.size()) return Error("--set needs NAME=VALUE");
      assignment = arguments[++i];
    } else if (argument.rfind("--set=", 0) == 0) {
      assignment = argument.substr(6);
    } else if (argument.rfind("--", 0) == 0) {
      return Error("unknown option " + argument);
    } else {
      if (!options.batchFile.empty()) return Error("only one batch file can be run at a time");
      options.batchFile = argument;
      continue;
    }
    const size_t equals = assignment.find('=');
    if (equals == std::string::npos || equals == 0) {
      return Error("--set needs NAME=VALUE, not \"" + assignment + "\"");
    }
    options.overrides.emplace_back(assignment.substr(0, equals), assignment.substr(equals + 1));
  }
  if (options.batchFile.empty()) return Error("batch needs a batch file (FILE.ebb)");
  return options;
}

CliOptions ParseChisq(const std::vector<std::string>& arguments) {
  std::vector<std::string> values;
  for (size_t i = 1; i < arguments.size(); ++i) {
    if (IsHelp(arguments[i])) return Help("chisq");
    values.push_back(arguments[i]);
  }
  if (values.size() != 2) return Error("chisq needs DEVIATION and DF");
  CliOptions options;
  options.command = CliOptions::Command::kChisq;
  options.deviation = values[0];
  options.degreesOfFreedom = values[1];
  return options;
}

}  // namespace

CliOptions ParseCliOptions(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return Error("a command is needed");
  const std::string& command = arguments[0];
  if (IsHelp(command)) return Help("");
  if (command == "--version") {
    CliOptions options;
    options.command = CliOptions::Command::kVersion;
    return options;
  }
  if (command == "batch") return ParseBatch(arguments);
  if (command == "chisq") return ParseChisq(arguments);
  return Error("unknown command \"" + command + "\"");
}

std::string CliHelp(const std::string& topic) {
  if (topic == "batch") return kBatchHelp;
  if (topic == "chisq") return kChisqHelp;
  return kProgramHelp;
}

}  // namespace corvane
