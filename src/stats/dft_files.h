// DFT power spectra of per-sample series, appended to two text files:
//  - the run's spectrum file "<output dir><data name>_<variable>_dft.dat",
//    a heading per call and a table of the lowest bins per block;
//  - the root's spectrum table "<root dir><variable>_dft.dat", one line of
//    powers per block, shared by every run of the root.
// Both files are only ever appended to, through the run's set of result
// files (context.results): during "Write results" the spectrum file is a
// pending copy that goes on from the earlier content, and the table gets the
// call's lines, as one unit, when the run's results are committed.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "input/egg_sample_table.h"
#include "stats/composite_series.h"

namespace corvane {

// The largest DFT size the form hands over.
inline constexpr int kMaxDftSize = 65536;
// Bins written per block, at most.
inline constexpr int kMaxDftBins = 30;

// A reason to refuse a DFT size, or nullopt when it is a power of two from 2
// to kMaxDftSize. The form checks before a run; the run checks again.
std::optional<std::string> DftSizeError(int size);

struct DftRequest {
  std::string name;     // variable name: file names and headings
  double gainDb = 0.0;  // samples are scaled by 10^(gainDb / 10)
  int size = 0;         // M, the samples per block
  std::span<const double> data;
  std::int64_t offset = 0;           // first sample of data used
  int step = 0;                      // block advance in samples, >= 1
  std::optional<std::string> label;  // "Signature", "Pre-event", ...
  int secondsPerSample = 1;          // the resolution: what a bin's frequency is counted in
};

// The powers of bins 0 .. min(M/2, 30) - 1 of the block of M = window.size()
// samples that starts at `start` in segment (zeros past its end).
std::vector<double> BlockPower(std::span<const double> segment, std::int64_t start,
                               std::span<const float> window, double gainDb);

// One DFT call: the segment data[offset ...] less its mean, cut into blocks
// at 0, step, 2 step, ... while the block start lies inside the segment (a
// segment shorter than M still gives a block when step >= its length, and
// two with step M/2 when it is longer than M/2), each block appended to both
// files. A segment of no samples writes only the heading. Refuses a bad size
// or step with a message; a file that cannot be opened is shown with its
// message, and nothing more is written for the call; a file that cannot be
// written completely is shown with its path and the reason. Stops between
// blocks when the run is aborted. Bin j of a block lies at j / M cycles per
// sample, written as cycles per second, cycles per hour and hours per cycle
// with a sample spanning secondsPerSample seconds.
void WriteDftSpectrum(RunContext& context, const DftRequest& request);

// The six spectra of "Write results" (eggvar, lpdev, alpdev, lpadev, lpvar,
// lpmax), when DFT is on and the run is not aborted. An event time of 0 is
// set to the start time first, and stays so for the rest of the run. The
// blocks start at the event (its offset from the start, in samples) and
// advance by half the DFT size; an event before the start gives no spectra.
// Frequencies are per second of the table's resolution.
void RunDftSpectra(RunContext& context, const EggSampleTable& table, const CompositeSeries& series);

}  // namespace corvane
