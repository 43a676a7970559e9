#include "stats/event_echo.h"

#include <algorithm>

#include "core/c_format.h"
#include "core/output_file.h"
#include "stats/dft_files.h"
#include "stats/echo_peaks.h"
#include "stats/echo_scan.h"
#include "stats/smoothing_filters.h"
#include "stats/undefined_samples.h"

namespace corvane {
namespace {

constexpr int kEchoSmoothingWidth = 1800;
constexpr double kEventGainDb = 30.0;
constexpr int kSignatureDftSize = 16384;
constexpr int kEchoDftSize = 65536;
// The pre-event stretch ends this many samples before the event, and starts
// at most kPreEventReach samples before it.
constexpr std::int64_t kEventGuard = 1800;
constexpr std::int64_t kPreEventReach = 67336;
constexpr std::int64_t kPreEventMinimum = 32768;

// Where the search stands once the event has been placed in the data.
struct EchoSearch {
  EchoVariable variable;
  std::int64_t eventIndex = 0;   // b, in samples
  std::int64_t eventLength = 0;  // the unclipped duration, in samples
  std::size_t signatureLength = 0;
  int resolution = 1;  // seconds per sample
};

std::int64_t CeilDivide(std::int64_t value, std::int64_t divisor) {
  return (value + divisor - 1) / divisor;
}

void WriteSmoothingLine(OutputFile& file, const AnalysisSettings& settings) {
  switch (settings.smoothingMode) {
    case kExponential:
      file.Printf("Exponential(Coeff=%f)\n", settings.expCoefficient);
      break;
    case kRectangle:
      file.Printf("Rectangular(%d)\n\n", settings.smoothingWindow);
      break;
    case kTriangle:
      file.Printf("Triangular(%d)\n\n", settings.smoothingWindow);
      break;
  }
}

// Writes the echo file; false (after showing why) when it could not be
// created or written completely.
bool WriteEchoFile(RunContext& context, const EchoSearch& search, const EchoPeaks& peaks) {
  const AnalysisSettings& settings = context.settings;
  const std::string path = settings.outputDirectory + settings.dataName + "_evcorr.dat";
  OutputFile file;
  if (!context.results.Open(file, path, "w")) {
    context.ShowMessage("Failed to open event correlation file for output");
    return false;
  }
  file.Printf("%s\n", settings.dataName.c_str());
  file.Printf("Variable-%d(%s);EventDuration=%.4fHr.\n", search.variable.code, search.variable.name,
              settings.eventDuration / 3600.0);
  WriteSmoothingLine(file, settings);
  file.Write("PeakSec\tPeakHr\tPeakMag\n");
  // Peaks are found at sample indices and written at their seconds.
  const auto seconds = [&search](std::int64_t index) {
    return static_cast<long long>(index * search.resolution);
  };
  for (const EchoPeak& peak : peaks.peaks) {
    file.Printf("%lld\t%f\t%f\n", seconds(peak.index),
                static_cast<double>(seconds(peak.index)) / 3600.0, peak.magnitude);
  }
  if (peaks.hasMaximum) {
    file.Printf("MaxCorr after event:\t%lld\t%f\t%f\n", seconds(peaks.maximum.index),
                static_cast<double>(seconds(peaks.maximum.index)) / 3600.0,
                peaks.maximum.magnitude);
    file.Printf("Mean of %d highest event echo correlation peaks= %f\n", peaks.topCount,
                peaks.topMean);
  }
  if (!context.results.Finish(file)) {
    context.ShowMessage("Failed to write event correlation file " + path + ": " + file.Reason());
    return false;
  }
  return true;
}

void WriteEventSpectrum(RunContext& context, const EchoSearch& search, std::span<const double> data,
                        int size, int step, const char* label) {
  DftRequest request;
  request.name = "event";
  request.gainDb = kEventGainDb;
  request.size = size;
  request.data = data;
  request.offset = 0;
  request.step = step;
  request.label = label;
  request.secondsPerSample = search.resolution;
  WriteDftSpectrum(context, request);
}

// The spectra of the signature and of the echo series before and after the
// event; count is the number of scan values K.
void WriteEventSpectra(RunContext& context, const EchoSearch& search,
                       std::span<const double> signature, std::span<const double> echo,
                       std::int64_t count) {
  WriteEventSpectrum(context, search, signature, kSignatureDftSize, kSignatureDftSize, "Signature");
  if (context.Aborted()) return;

  const std::int64_t b = search.eventIndex;
  const std::int64_t preStart = std::max<std::int64_t>(0, b - kPreEventReach);
  const std::int64_t preEnd = std::min(preStart + kEchoDftSize, b - kEventGuard);
  if (preEnd - preStart >= kPreEventMinimum) {
    WriteEventSpectrum(context, search,
                       echo.subspan(static_cast<std::size_t>(preStart),
                                    static_cast<std::size_t>(preEnd - preStart)),
                       kEchoDftSize, kEchoDftSize, "Pre-event");
  }
  if (context.Aborted()) return;

  const std::int64_t postStart =
      b + std::min(static_cast<std::int64_t>(search.signatureLength), kEventGuard);
  if (count - postStart < 1) {
    context.LogLine("No post-event echo spectrum: no echo values after the event");
    return;
  }
  WriteEventSpectrum(context, search,
                     echo.subspan(static_cast<std::size_t>(postStart),
                                  static_cast<std::size_t>(count - postStart)),
                     kEchoDftSize, kEchoDftSize / 2, "Post-event");
}

}  // namespace

EchoVariable SelectEchoVariable(int code) {
  switch (code) {
    case 2:
      return {2, "lpdev", &CompositeSeries::lpdev};
    case 3:
      return {3, "alpdev", &CompositeSeries::alpdev};
    case 4:
      return {4, "eggvar", &CompositeSeries::eggvar};
    case 6:
      return {6, "lpadev", &CompositeSeries::lpadev};
    case 7:
      return {7, "lpmax", &CompositeSeries::lpmax};
    case 8:
      return {8, "cumVar", &CompositeSeries::cvar};
    default:
      return {5, "lpvar", &CompositeSeries::lpvar};
  }
}

void RunEventEcho(RunContext& context, const EggSampleTable& table, CompositeSeries& series) {
  const AnalysisSettings& settings = context.settings;
  const std::size_t samples = series.size();
  series.eventEcho.assign(samples, 0.0);
  series.echoPeakCount = 0;
  series.echoPeakMean = -1.0;
  if (settings.echoMethod == kEchoNone || settings.eventTime == 0 || settings.eventDuration <= 0) {
    return;
  }

  context.PostStatus("Searching for event echoes");
  EchoSearch search;
  search.variable = SelectEchoVariable(settings.eventEchoVariable);
  series.echoVariableName = search.variable.name;
  context.LogLine(CFormat("Event echo detection using variable %s", search.variable.name));

  // The event's place and length in samples.
  search.resolution = std::max(1, table.resolution);
  const std::int64_t resolution = search.resolution;
  const std::int64_t seconds = settings.eventTime - settings.startTime;
  if (seconds < 0) {
    context.LogLine("Can't do it - event lies before the start of the data");
    return;
  }
  search.eventIndex = seconds / resolution;
  search.eventLength = CeilDivide(settings.eventDuration, resolution);
  const std::vector<double>& chosen = series.*(search.variable.values);
  const auto n = static_cast<std::int64_t>(std::min(chosen.size(), samples));
  const std::int64_t length = std::min(search.eventLength, n - search.eventIndex);
  if (length < 1) {
    context.LogLine("Can't do it - event is longer than data array");
    return;
  }
  search.signatureLength = static_cast<std::size_t>(length);

  const std::vector<double> values =
      WithUndefinedAsMean(std::span<const double>(chosen).first(static_cast<std::size_t>(n)));
  const std::span<const double> signature = std::span<const double>(values).subspan(
      static_cast<std::size_t>(search.eventIndex), search.signatureLength);
  context.AdvanceJobStage();

  // The scan, stopped early by the user's Stop.
  std::vector<double>& echo = series.eventEcho;
  const auto stop = [&context] { return context.Aborted(); };
  const std::size_t count = settings.echoMethod == kEchoEuclidean
                                ? EuclideanScan(signature, values, echo, stop)
                                : CorrelationScan(signature, values, echo, stop);
  if (context.Aborted()) return;
  if (count > 0)
    std::fill(echo.begin() + static_cast<std::ptrdiff_t>(count), echo.end(), echo[count - 1]);

  // Peaks of the smoothed echo; a series shorter than the smoothing width
  // has none.
  EchoPeaks peaks;
  std::vector<double> smoothed(count);
  if (TriangleFilter(kEchoSmoothingWidth, echo.data(), smoothed.data(), static_cast<int>(count))) {
    peaks = FindEchoPeaks(smoothed, std::span<const double>(echo).first(count),
                          search.eventIndex + search.eventLength);
  } else {
    context.LogLine(CFormat("No echo peaks: %zu echo values, the smoothing needs %d", count,
                            kEchoSmoothingWidth));
  }
  series.echoPeakCount = peaks.topCount;
  series.echoPeakMean = peaks.topMean;
  if (!WriteEchoFile(context, search, peaks)) return;
  WriteEventSpectra(context, search, signature, echo, static_cast<std::int64_t>(count));
}

}  // namespace corvane
