#include "stats/composite_statistics.h"

#include <array>
#include <cmath>
#include <vector>

#include "core/c_format.h"
#include "stats/low_pass_variables.h"

namespace corvane {
namespace {

void AllocateSeries(CompositeSeries& series, size_t samples) {
  series.Clear();
  series.eggCount.assign(samples, 0);
  for (std::vector<double>* array :
       {&series.meanDev, &series.stoufZ, &series.meanAbsDev, &series.maxAbsDev, &series.eggvar,
        &series.cvar, &series.covar, &series.eventEcho}) {
    array->assign(samples, 0.0);
  }
}

// The sample arrays of the eggs whose cells may be valid: complete and
// selected. A cell of these is valid unless it holds the missing marker.
std::vector<const std::int32_t*> CandidateEggs(const EggSampleTable& table) {
  std::vector<const std::int32_t*> eggs;
  for (int k = 0; k < table.eggCount && k < kMaxEggs; ++k) {
    const EggColumn& column = table.columns[static_cast<size_t>(k)];
    if (column.storedCount == table.sampleCount && column.selected != 0) {
      eggs.push_back(column.samples.data());
    }
  }
  return eggs;
}

}  // namespace

double SampleVariance(const double* values, int count) {
  if (count <= 1) return 0.0;
  double sum = 0.0;
  double squares = 0.0;
  for (int i = 0; i < count; ++i) {
    sum += values[i];
    squares += values[i] * values[i];
  }
  return (squares - sum * sum / count) / (count - 1);
}

void ComputeStatistics(RunContext& context, const EggSampleTable& table, CompositeSeries& series) {
  const int samples = table.sampleCount;
  AllocateSeries(series, static_cast<size_t>(samples));

  int useable = 0;
  for (int k = 0; k < table.eggCount && k < kMaxEggs; ++k) {
    if (table.Usable(k)) ++useable;
  }
  series.useableEggs = useable;
  if (useable == 0) {
    context.RunError("No useable eggs");
    context.Abort();
  } else if (table.trialSize <= 0) {
    context.RunError(CFormat("Invalid trial size %d", table.trialSize));
    context.Abort();
  }
  context.SetJobStage(0);

  const double trialSize = table.trialSize;
  // A fair N-bit trial sum has variance N / 4 (50 for N = 200).
  series.fairVariance = trialSize * 0.25;
  const double s = 1.0 / std::sqrt(trialSize * 0.25);
  const double h = table.trialSize / 2;
  const std::vector<const std::int32_t*> eggs = CandidateEggs(table);
  std::array<double, kMaxEggs> raw{};
  double maxAbsDevSum = 0.0;
  int definedSamples = 0;

  for (int i = 0; i < samples && !context.Aborted(); ++i) {
    const auto at = static_cast<size_t>(i);
    int n = 0;
    double sum = 0.0, absDevSum = 0.0, largest = 0.0, s2 = 0.0, s4 = 0.0;
    for (const std::int32_t* values : eggs) {
      if (values[i] == kMissingSample) continue;
      const double v = values[i];
      raw[static_cast<size_t>(n)] = v;
      ++n;
      sum += v;
      const double dev = v - trialSize * 0.5;
      const double a = std::fabs(dev);
      absDevSum += a;
      if (a > largest) largest = a;
      const double z = dev * s;
      s2 += z * z;
      s4 += z * z * z * z;
    }
    series.eggCount[at] = n;
    const double previousCvar = i > 0 ? series.cvar[at - 1] : 0.0;
    if (n == 0) {
      // Nothing to combine at this sample: no value, and no step of cvar.
      for (std::vector<double>* array : {&series.meanDev, &series.stoufZ, &series.meanAbsDev,
                                         &series.maxAbsDev, &series.eggvar, &series.covar}) {
        (*array)[at] = NAN;
      }
      series.cvar[at] = previousCvar;
      continue;
    }
    series.covar[at] =
        n > 1 ? ((s2 - n + 1) * (s2 - n + 1) - (s4 - n + 1)) / std::sqrt(4.0 * n * (n - 1)) : NAN;
    series.maxAbsDev[at] = largest;
    maxAbsDevSum += largest;
    ++definedSamples;
    series.meanAbsDev[at] = absDevSum / n;
    series.eggvar[at] = SampleVariance(raw.data(), n);
    series.cvar[at] = previousCvar + series.eggvar[at] - series.fairVariance;
    const double mean = sum / n;
    series.stoufZ[at] = (mean - h) / (std::sqrt(trialSize * 0.25) / std::sqrt(n));
    series.meanDev[at] = mean - h;
  }

  series.meanMaxAbsDev = definedSamples > 0 ? maxAbsDevSum / definedSamples : 0.0;
  context.AdvanceJobStage();
  context.PostStatus("Smoothing data");
  ComputeLowPassVariables(context, series, series.meanMaxAbsDev);
}

}  // namespace corvane
