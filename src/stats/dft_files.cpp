#include "stats/dft_files.h"

#include <algorithm>
#include <bit>

#include "core/c_format.h"
#include "core/output_file.h"
#include "core/output_file_set.h"
#include "stats/block_power.h"
#include "stats/smoothing_filters.h"
#include "stats/undefined_samples.h"

namespace corvane {
namespace {

// The segment data[offset ...] with its mean removed (an undefined sample
// counts as the mean); empty when offset lies at or past the end.
std::vector<double> MeanFreeSegment(std::span<const double> data, std::int64_t offset) {
  if (offset < 0 || offset >= static_cast<std::int64_t>(data.size())) return {};
  std::vector<double> segment = WithUndefinedAsMean(data.subspan(static_cast<std::size_t>(offset)));
  RemoveMean(segment.data(), segment.data(), static_cast<int>(segment.size()));
  return segment;
}

void WriteHeading(OutputFile& file, const AnalysisSettings& settings, const DftRequest& request) {
  file.Printf("\n%s\n", settings.dataName.c_str());
  file.Printf("DFT(%d)Step(%d)%s\n", request.size, request.step, request.name.c_str());
  switch (settings.smoothingMode) {
    case kExponential:
      file.Printf("Exponential-Coeff=%f\n", settings.expCoefficient);
      break;
    case kRectangle:
      file.Printf("Rectangular(%d)\n", settings.smoothingWindow);
      break;
    case kTriangle:
      file.Printf("Triangular(%d)\n", settings.smoothingWindow);
      break;
  }
  if (request.label) file.Printf("%s\n", request.label->c_str());
}

// Writes one block's bins to the spectrum file and adds its line of powers
// to the table's text.
void WriteBlock(OutputFile& spectrum, std::string& table, const AnalysisSettings& settings,
                const DftRequest& request, const std::vector<double>& power) {
  spectrum.Write("\ncyclePerSec\tcyclePerHr\thrPerCycle\tpower\n");
  // A block of M samples spans M * secondsPerSample seconds.
  const double blockSeconds =
      static_cast<double>(request.size) * std::max(1, request.secondsPerSample);
  for (std::size_t j = 0; j < power.size(); ++j) {
    const double perSecond = static_cast<double>(j) / blockSeconds;
    const double perHour = perSecond * 3600.0;
    const double hoursPerCycle = j == 0 ? 0.0 : 1.0 / perHour;
    spectrum.Printf("%f\t%f\t%f\t%f\n", perSecond, perHour, hoursPerCycle, power[j]);
  }
  table += settings.dataName + "\t";
  if (request.label) table += *request.label + "\t";
  for (const double p : power) table += CFormat("%f\t", p);
  table += "\n";
}

}  // namespace

std::optional<std::string> DftSizeError(int size) {
  if (size < 2) return std::string("The DFT size must be at least 2");
  if (size > kMaxDftSize) return CFormat("The DFT size must not exceed %d", kMaxDftSize);
  if (!std::has_single_bit(static_cast<unsigned>(size))) {
    return std::string("The DFT size must be a power of two");
  }
  return std::nullopt;
}

std::vector<double> BlockPower(std::span<const double> segment, std::int64_t start,
                               std::span<const float> window, double gainDb) {
  const std::size_t size = window.size();
  std::vector<double> block(size, 0.0);
  if (start >= 0 && start < static_cast<std::int64_t>(segment.size())) {
    const std::size_t count = std::min(size, segment.size() - static_cast<std::size_t>(start));
    std::copy_n(segment.begin() + start, count, block.begin());
  }
  std::vector<double> power = PowerSpectrum(block, window, gainDb);
  power.resize(std::min<std::size_t>(power.size(), kMaxDftBins));
  return power;
}

void WriteDftSpectrum(RunContext& context, const DftRequest& request) {
  const AnalysisSettings& settings = context.settings;
  context.PostStatus("DFT of variables");
  context.LogLine(CFormat("DFT of variable %s", request.name.c_str()));
  if (auto error = DftSizeError(request.size)) {
    context.ShowMessage(*error);
    return;
  }
  if (request.step < 1) {
    context.ShowMessage("The DFT step must be at least 1");
    return;
  }
  const std::vector<double> segment = MeanFreeSegment(request.data, request.offset);
  const std::vector<float> window = DftWindow(request.size);

  OutputFileSet& set = context.results;
  const std::string spectrumPath =
      settings.outputDirectory + settings.dataName + "_" + request.name + "_dft.dat";
  OutputFile spectrum;
  if (!set.Open(spectrum, spectrumPath, "a")) {
    context.ShowMessage("Failed to open file for dft output");
    return;
  }
  WriteHeading(spectrum, settings, request);
  const std::string tablePath = settings.rootDirectory + request.name + "_dft.dat";
  std::string table;
  if (set.CheckTable(tablePath)) {
    context.ShowMessage("Failed to open dft summary file");
  } else {
    const auto length = static_cast<std::int64_t>(segment.size());
    for (std::int64_t start = 0; start < length && !context.Aborted(); start += request.step) {
      WriteBlock(spectrum, table, settings, request,
                 BlockPower(segment, start, window, request.gainDb));
      if (!spectrum.Ok()) break;
    }
  }
  if (!set.Finish(spectrum)) {
    context.ShowMessage("Failed to write file for dft output " + spectrumPath + ": " +
                        spectrum.Reason());
    return;
  }
  if (table.empty()) return;
  if (auto failure =
          set.AddToTable(tablePath, {table, {}, {}}, "Failed to write dft summary file")) {
    context.ShowMessage(*failure);
  }
}

void RunDftSpectra(RunContext& context, const EggSampleTable& table,
                   const CompositeSeries& series) {
  AnalysisSettings& settings = context.settings;
  if (!settings.dft || context.Aborted()) return;
  if (settings.eventTime == 0) settings.eventTime = settings.startTime;
  if (auto error = DftSizeError(settings.dftSize)) {
    context.ShowMessage(*error);
    return;
  }
  const std::int64_t seconds = settings.eventTime - settings.startTime;
  if (seconds < 0) {
    context.LogLine("No DFT: the event time lies before the start time");
    return;
  }
  // The event's offset is in seconds; a sample spans `resolution` of them.
  const int resolution = std::max(1, table.resolution);
  const std::int64_t offset = seconds / resolution;

  struct Variable {
    const char* name;
    const std::vector<double>* values;
    double gainDb;
  };
  const Variable variables[] = {
      {"eggvar", &series.eggvar, 15.0}, {"lpdev", &series.lpdev, 30.0},
      {"alpdev", &series.alpdev, 30.0}, {"lpadev", &series.lpadev, 30.0},
      {"lpvar", &series.lpvar, 20.0},   {"lpmax", &series.lpmax, 25.0},
  };
  for (const Variable& variable : variables) {
    if (context.Aborted()) return;
    DftRequest request;
    request.name = variable.name;
    request.gainDb = variable.gainDb;
    request.size = settings.dftSize;
    request.data = *variable.values;
    request.offset = offset;
    request.step = settings.dftSize / 2;
    request.secondsPerSample = resolution;
    WriteDftSpectrum(context, request);
  }
}

}  // namespace corvane
