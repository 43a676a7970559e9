// The per-sample results of one run, and the run values derived from them.
//
// Every array has one entry per sample of the EggSampleTable. A sample at
// which no egg is valid (eggCount 0) has no defined meanDev, stoufZ,
// meanAbsDev, maxAbsDev, eggvar or covar, and covar needs two valid eggs;
// such entries hold NaN in the raw arrays. (eggvar with one valid egg is 0,
// the sample variance of fewer than two values.) NaN entries are skipped by
// every cumulative sum without advancing its degrees of freedom (cvar carries
// its last value), carried over by the filters, and left out of
// meanMaxAbsDev, so the filtered arrays, cvar and the cumulative statistics
// never hold NaN. The data file writes an undefined eggvar as 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

struct CompositeSeries {
  std::vector<std::int32_t> eggCount;  // valid eggs at the sample
  std::vector<double> meanDev;
  std::vector<double> stoufZ;
  std::vector<double> meanAbsDev;
  std::vector<double> maxAbsDev;
  std::vector<double> eggvar;
  std::vector<double> cvar;
  std::vector<double> covar;

  // Filtered variables.
  std::vector<double> lpdev;
  std::vector<double> alpdev;
  std::vector<double> lpadev;
  std::vector<double> lpvar;
  std::vector<double> lpmax;

  // Event echo series (zero when no echo search ran).
  std::vector<double> eventEcho;

  int useableEggs = 0;
  double meanMaxAbsDev = 0.0;
  // The variance of a fair trial sum at the table's trial size N (N / 4: 50
  // for 200-bit trials), which cvar subtracts at every sample and lpvar's
  // exponential filter starts from.
  double fairVariance = 50.0;

  // Values of "Write results" that the summary tables read.
  double lastCumulativeDeviation = 0.0;  // D, the last cumulative Stouffer deviation
  double finalStoufferProb = 0.0;        // P_S, lower tail
  double finalCovarProb = 0.0;           // P_C, lower tail
  // The degrees of freedom of D and P_S: the samples with a defined stoufZ
  // among those written (the sample count when every sample is defined).
  int finalStoufferDegrees = 0;
  double finalStoufferSum = 0.0;  // S, the chi-square sum behind D and P_S
  // K, the covariance sum behind P_C, and its degrees of freedom (the
  // samples with a defined covar).
  double finalCovarSum = 0.0;
  int finalCovarDegrees = 0;

  // Event echo summary: the name of the variable searched (empty when no
  // search ran), how many of the highest post-event peaks were averaged, and
  // their mean (-1 when there is none).
  std::string echoVariableName;
  int echoPeakCount = 0;
  double echoPeakMean = -1.0;

  std::size_t size() const { return eggCount.size(); }
  void Clear() { *this = CompositeSeries(); }
};

}  // namespace corvane
