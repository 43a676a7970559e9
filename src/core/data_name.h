// Validation of a run's data name, which becomes a directory name below the
// output root, the stem of the result file names and part of plot scripts.
//
// DataNameError refuses a name that is empty, "." or "..", or that holds a
// path separator ("/" or "\"), a quote (double, single or back quote) or a
// control character, and a name that is taken by a table of the output root
// (IsRootTableName): the run's folder would take the table's place. It
// returns the message to show, or nullopt when the name is acceptable.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

std::optional<std::string> DataNameError(const std::string& name);

// Whether the name is that of a table the output root holds beside the run
// folders, compared without regard to letter case (some file systems do
// not tell "Summary.tst" from "summary.tst"):
//   "summary.tst", "summary-K-of-N.tst" (K, N whole numbers),
//   "results.csv", "series.csv",
//   "<variable>_dft.dat" for the spectrum variables eggvar, lpdev, alpdev,
//   lpadev, lpvar, lpmax and event (the event echo's spectra),
// and the journals of their appends, ".<table>.appending".
bool IsRootTableName(std::string_view name);

}  // namespace corvane
