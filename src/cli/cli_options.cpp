#include "cli/cli_options.h"

#include <optional>

namespace corvane {

namespace {

const char* const kProgramHelp =
    "Usage: corvane-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Corvane without a window.\n"
    "\n"
    "Commands:\n"
    "  batch [OPTIONS] FILE.ebb               run a batch file of analyses\n"
    "  merge-summaries ROOT                   join the tables of a batch's shards\n"
    "  chisq DEVIATION DF                     probability of a chi-square deviation\n"
    "\n"
    "  corvane-cli COMMAND --help             help on one command\n"
    "  corvane-cli --version                  the program's version\n"
    "\n"
    "Exit status: 0 on success, 1 when the command could not run, 2 for a wrong\n"
    "command line; batch also 3 when an item failed or was refused and 130 when\n"
    "stopped with Ctrl-C (see each command's --help).\n";

const char* const kBatchHelp =
    "Usage: corvane-cli batch [--jobs N] [--shard K/N] [--set NAME=VALUE]... FILE.ebb\n"
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
    "  --jobs N           run up to N items at once (1 to 256; by default one per\n"
    "                     processor core). The tables, the progress log and the\n"
    "                     closing line are written in item order, exactly as one\n"
    "                     item after another; an item waits while an earlier item\n"
    "                     of the same data name and output root runs.\n"
    "  --shard K/N        run only shard K of N of the batch: the items K, K+N,\n"
    "                     K+2N, ... (K counts from 1, K <= N <= 100000). The shard\n"
    "                     writes summary-K-of-N.tst, results-K-of-N.csv (and\n"
    "                     spectrum tables) in each output root, its progress log\n"
    "                     egg-K-of-N.log, and its journal shard-K-of-N.journal,\n"
    "                     from which merge-summaries joins the shards. A shard\n"
    "                     adds no event series to series.csv.\n"
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

const char* const kMergeHelp =
    "Usage: corvane-cli merge-summaries ROOT\n"
    "\n"
    "Joins the tables of the shards of a batch (batch --shard K/N, all N of them\n"
    "run into the output root ROOT) into ROOT's summary.tst, results.csv and\n"
    "spectrum tables, in item order, as one run of the whole batch writes them\n"
    "(the batch start of each results record is that of its shard). It reads the\n"
    "shards' journals, shard-K-of-N.journal, and refuses, naming the file, when\n"
    "one is missing, damaged or unfinished (a stopped shard), or when a table to\n"
    "be written exists already.\n"
    "\n"
    "Exit status: 0 when the tables were joined, 1 when not, 2 for a wrong\n"
    "command line.\n";

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

// A whole number of at most nine digits, or -1.
int WholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 9) return -1;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The value of "--name VALUE" or "--name=VALUE" at arguments[i]; false when
// the argument is not that option.
bool OptionValue(const std::vector<std::string>& arguments, size_t& i, const std::string& name,
                 std::optional<std::string>& value) {
  const std::string& argument = arguments[i];
  if (argument == name) {
    value = i + 1 < arguments.size() ? std::optional<std::string>(arguments[++i]) : std::nullopt;
    return true;
  }
  if (argument.rfind(name + "=", 0) == 0) {
    value = argument.substr(name.size() + 1);
    return true;
  }
  return false;
}

std::optional<std::string> ParseJobs(const std::optional<std::string>& text, int& jobs) {
  const int value = text ? WholeNumber(*text) : -1;
  if (value < 1 || value > 256) {
    return "--jobs needs a whole number of items from 1 to 256" +
           (text ? ", not \"" + *text + "\"" : std::string());
  }
  jobs = value;
  return std::nullopt;
}

std::optional<std::string> ParseShard(const std::optional<std::string>& text, int& index,
                                      int& count) {
  const std::size_t slash = text ? text->find('/') : std::string::npos;
  const int k = slash != std::string::npos ? WholeNumber(text->substr(0, slash)) : -1;
  const int n = slash != std::string::npos ? WholeNumber(text->substr(slash + 1)) : -1;
  if (k < 1 || n < k || n > kMaxShards) {
    return "--shard needs K/N, shard K of N with 1 <= K <= N <= " + std::to_string(kMaxShards) +
           " (K counts from 1)" + (text ? ", not \"" + *text + "\"" : std::string());
  }
  index = k;
  count = n;
  return std::nullopt;
}

CliOptions ParseBatch(const std::vector<std::string>& arguments) {
  CliOptions options;
  options.command = CliOptions::Command::kBatch;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (IsHelp(argument)) return Help("batch");
    std::optional<std::string> value;
    if (OptionValue(arguments, i, "--jobs", value)) {
      if (auto error = ParseJobs(value, options.jobs)) return Error(*error);
      continue;
    }
    if (OptionValue(arguments, i, "--shard", value)) {
      if (auto error = ParseShard(value, options.shardIndex, options.shardCount)) {
        return Error(*error);
      }
      continue;
    }
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

CliOptions ParseMerge(const std::vector<std::string>& arguments) {
  std::vector<std::string> values;
  for (size_t i = 1; i < arguments.size(); ++i) {
    if (IsHelp(arguments[i])) return Help("merge-summaries");
    if (arguments[i].rfind("--", 0) == 0) return Error("unknown option " + arguments[i]);
    values.push_back(arguments[i]);
  }
  if (values.size() != 1) return Error("merge-summaries needs one output root (ROOT)");
  CliOptions options;
  options.command = CliOptions::Command::kMerge;
  options.mergeRoot = values[0];
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
  if (command == "merge-summaries") return ParseMerge(arguments);
  return Error("unknown command \"" + command + "\"");
}

std::string CliHelp(const std::string& topic) {
  if (topic == "batch") return kBatchHelp;
  if (topic == "chisq") return kChisqHelp;
  if (topic == "merge-summaries") return kMergeHelp;
  return kProgramHelp;
}

}  // namespace corvane
