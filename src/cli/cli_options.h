// The command line of corvane-cli.
//
//   corvane-cli batch [--jobs N] [--shard K/N] [--set NAME=VALUE]... FILE.ebb
//   corvane-cli merge-summaries ROOT
//   corvane-cli chisq DEVIATION DF
//   corvane-cli --help | batch --help | chisq --help
//   corvane-cli --version
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace corvane {

struct CliOptions {
  enum class Command { kHelp, kVersion, kBatch, kMerge, kChisq };
  Command command = Command::kHelp;
  std::string helpTopic;                                       // "", "batch" or "chisq" with kHelp
  std::vector<std::pair<std::string, std::string>> overrides;  // batch: --set NAME=VALUE
  std::string batchFile;
  int jobs = 0;        // batch: --jobs N; 0 = one per processor core
  int shardIndex = 0;  // batch: --shard K/N (K from 1); 0/0 = the whole batch
  int shardCount = 0;
  std::string mergeRoot;  // merge-summaries
  std::string deviation;  // chisq
  std::string degreesOfFreedom;
  std::string error;  // non-empty: the command line is wrong
};

CliOptions ParseCliOptions(const std::vector<std::string>& arguments);

// The help text for a topic ("" for the program, "batch", "chisq").
std::string CliHelp(const std::string& topic);

// The most shards a batch is cut into.
inline constexpr int kMaxShards = 100000;

// Process exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;         // could not run, or invalid input
inline constexpr int kExitUsage = 2;          // wrong command line
inline constexpr int kExitItemsFailed = 3;    // batch: an item failed or was refused
inline constexpr int kExitInterrupted = 130;  // stopped with Ctrl-C

}  // namespace corvane
