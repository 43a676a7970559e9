// Fuzz target: the batch file reader (".ebb").
//
// Input: the text of a batch file, read from a file as the form reads it,
// starting from the form's default request. Checks what the reader promises
// of the items it keeps: no more than the bound, every text within its
// capacity, every keyword value that a run checks already acceptable, and at
// most one bounded message when it stops at a line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/batch_file.h"
#include "app/request_checks.h"
#include "app/request_values.h"
#include "fuzz_input.h"
#include "stats/dft_files.h"
#include "stats/interval_comparison.h"
#include "stats/smoothing_settings.h"

namespace {

using corvane::fuzz::Require;

void CheckItem(const corvane::BatchItem& item) {
  using namespace corvane;
  Require(!item.dataName.empty() && item.dataName.size() <= 99, "a data name of 1 to 99");
  Require(item.startTime.size() <= 39 && item.stopTime.size() <= 39 && item.eventTime.size() <= 39,
          "times of at most 39");
  Require(item.outputRoot.size() <= 199 && item.eggGroupFile.size() <= 199 &&
              item.localEggFile.size() <= 199 && item.remoteSaveDirectory.size() <= 199,
          "paths of at most 199");
  Require(!CheckResolution(item.resolution), "an accepted resolution");
  Require(!CheckEchoMethod(item.echoMethod) && !CheckDisplayVariable(item.displayVariable),
          "an accepted echo method and display variable");
  Require(!SmoothingSettingsError(item.smoothWindowType, item.smoothWindowSize, item.expCoeff),
          "accepted smoothing settings");
  Require(!item.dft || !DftSizeError(ReducedDftSize(item.dftSize)), "an accepted DFT size");
  Require(!item.compareIntervals || !IntervalSettingsError(item.interval1Start, item.interval2Start,
                                                           item.intervalDuration),
          "accepted intervals");
  Require(item.remoteAccess || (!item.forceRemoteAccess && !item.localEggFile.empty()),
          "remote access off only for a local file that is not forced remote");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane;
  const std::string path = fuzz::WriteScratchFile("fuzz.ebb", fuzz::AsText(data, size));
  const BatchFile batch = ReadBatchFile(path, BatchItem());
  Require(batch.opened, "a regular file is read");
  Require(batch.count == static_cast<int>(batch.items.size()), "the count is the items kept");
  Require(batch.items.size() <= static_cast<size_t>(kMaxBatchItems), "at most the bound");
  for (const BatchItem& item : batch.items) CheckItem(item);
  Require(batch.messages.size() <= 1, "reading stops at the first refusal");
  for (const std::string& message : batch.messages) {
    // The line is shown up to 4096 characters, a word in the reason up to 257.
    Require(message.size() <= 4096 + 512, "the message is bounded");
  }
  return 0;
}
