#include "stats/event_echo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/c_format.h"
#include "core/progress_log.h"
#include "stats/echo_scan.h"
#include "stats/smoothing_filters.h"
#include "support/run_folders.h"
#include "support/text_lines.h"

namespace corvane {
namespace {

using testing::Lines;
using testing::ReadFile;
using Values = std::vector<double>;

constexpr std::int64_t kStart = 1300000000;

// A drifting series like lpvar, with the stretch at `from` repeated, a
// little weaker, at `echoAt`.
Values SeriesWithEcho(std::size_t n, std::size_t from, std::size_t length, std::size_t echoAt,
                      unsigned seed = 1) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0.0, 0.05);
  Values s(n);
  double level = 50.0;
  for (double& v : s) {
    level += noise(rng) - 0.001 * (level - 50.0);
    v = level;
  }
  for (std::size_t i = 0; i < length && echoAt + i < n; ++i) {
    s[echoAt + i] = 0.8 * s[from + i] + 0.2 * s[echoAt + i];
  }
  return s;
}

struct EchoFixture : ::testing::Test, testing::RunFolders {
  EggSampleTable table;
  CompositeSeries series;

  EchoFixture() {
    AnalysisSettings& s = context.settings;
    s.startTime = kStart;
    s.echoMethod = kEchoCorrelation;
    s.eventEchoVariable = 5;
    table.resolution = 1;
  }

  void UseSeries(const Values& values) {
    series.eggCount.assign(values.size(), 20);
    series.lpvar = values;
    series.cvar.assign(values.size(), 0.0);
    for (std::size_t i = 0; i < values.size(); ++i) series.cvar[i] = 0.01 * i * i + values[i];
    table.sampleCount = static_cast<int>(values.size());
  }
  void SetEvent(std::int64_t index, int duration) {
    context.settings.eventTime = kStart + index * table.resolution;
    context.settings.eventDuration = duration;
  }
  std::string EchoPath() const { return context.settings.outputDirectory + "Quake_evcorr.dat"; }
  std::string EventTablePath() const { return root.path() + "event_dft.dat"; }
};

TEST(EchoVariableTest, CodesSelectSeriesAndNames) {
  EXPECT_STREQ(SelectEchoVariable(2).name, "lpdev");
  EXPECT_STREQ(SelectEchoVariable(3).name, "alpdev");
  EXPECT_STREQ(SelectEchoVariable(4).name, "eggvar");
  EXPECT_STREQ(SelectEchoVariable(5).name, "lpvar");
  EXPECT_STREQ(SelectEchoVariable(6).name, "lpadev");
  EXPECT_STREQ(SelectEchoVariable(7).name, "lpmax");
  EXPECT_STREQ(SelectEchoVariable(8).name, "cumVar");
  EXPECT_TRUE(SelectEchoVariable(8).values == &CompositeSeries::cvar);
  EXPECT_TRUE(SelectEchoVariable(4).values == &CompositeSeries::eggvar);
  // The display variables without a series of their own search lpvar as 5.
  for (int code : {0, 1, 9, 10, 11, -1, 12}) {
    EXPECT_EQ(SelectEchoVariable(code).code, 5) << code;
    EXPECT_TRUE(SelectEchoVariable(code).values == &CompositeSeries::lpvar) << code;
  }
}

TEST_F(EchoFixture, NoSearchLeavesAColumnOfZeros) {
  UseSeries(SeriesWithEcho(3000, 500, 200, 2000));
  series.eventEcho.assign(10, 4.0);
  SetEvent(500, 200);
  context.settings.echoMethod = kEchoNone;
  RunEventEcho(context, table, series);
  EXPECT_EQ(series.eventEcho, Values(3000, 0.0));

  context.settings.echoMethod = kEchoCorrelation;
  context.settings.eventDuration = 0;
  RunEventEcho(context, table, series);
  context.settings.eventDuration = -3600;
  RunEventEcho(context, table, series);
  SetEvent(500, 200);
  context.settings.eventTime = 0;
  RunEventEcho(context, table, series);
  EXPECT_EQ(series.eventEcho, Values(3000, 0.0));
  EXPECT_FALSE(testing::FileExists(EchoPath()));
  EXPECT_EQ(series.echoPeakCount, 0);
  EXPECT_TRUE(link.statuses().empty());
}

TEST_F(EchoFixture, EventOutsideTheDataIsRefusedInTheLog) {
  SetLogPath(root.path() + "egg.log");
  SetLogProgress(true);
  UseSeries(SeriesWithEcho(3000, 500, 200, 2000));
  SetEvent(-10, 200);
  RunEventEcho(context, table, series);
  SetEvent(3000, 200);
  RunEventEcho(context, table, series);
  SetLogProgress(false);
  SetLogPath("");
  EXPECT_EQ(series.eventEcho, Values(3000, 0.0));
  EXPECT_FALSE(testing::FileExists(EchoPath()));
  EXPECT_EQ(ReadFile(root.path() + "egg.log"),
            "Event echo detection using variable lpvar\n"
            "Can't do it - event lies before the start of the data\n"
            "Event echo detection using variable lpvar\n"
            "Can't do it - event is longer than data array\n");
}

TEST_F(EchoFixture, CorrelationSearchWritesEchoSeriesAndFile) {
  const std::size_t n = 9000, b = 1500, length = 600;
  UseSeries(SeriesWithEcho(n, b, length, 6000));
  SetEvent(b, static_cast<int>(length));
  const int stage = context.JobStage();
  RunEventEcho(context, table, series);
  EXPECT_TRUE(link.messages().empty());
  EXPECT_EQ(context.JobStage(), stage + 1);
  EXPECT_EQ(link.statuses().front(), "Searching for event echoes");
  EXPECT_EQ(series.echoVariableName, "lpvar");

  // The scan's values, then the last one repeated to the end.
  Values expected(n);
  const std::size_t count = CorrelationScan(
      Values(series.lpvar.begin() + b, series.lpvar.begin() + b + length), series.lpvar, expected);
  ASSERT_EQ(series.eventEcho.size(), n);
  for (std::size_t k = 0; k < count; ++k) ASSERT_EQ(series.eventEcho[k], expected[k]) << k;
  for (std::size_t k = count; k < n; ++k) ASSERT_EQ(series.eventEcho[k], expected[count - 1]);
  EXPECT_NEAR(series.eventEcho[b], 1.0, 1e-12);

  const std::vector<std::string> lines = Lines(ReadFile(EchoPath()));
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[0], "Quake");
  EXPECT_EQ(lines[1], "Variable-5(lpvar);EventDuration=0.1667Hr.");
  EXPECT_EQ(lines[2], "Exponential(Coeff=0.001000)");
  EXPECT_EQ(lines[3], "PeakSec\tPeakHr\tPeakMag");

  // Every peak of the 1800-wide triangle smoothing, with its raw value.
  Values smoothed(count);
  ASSERT_TRUE(TriangleFilter(1800, series.eventEcho.data(), smoothed.data(), int(count)));
  std::vector<std::string> peakLines;
  long long best = -1;
  for (std::size_t i = 1; i + 1 < count; ++i) {
    if (!(smoothed[i - 1] < smoothed[i] && smoothed[i] > smoothed[i + 1])) continue;
    peakLines.push_back(CFormat("%zu\t%f\t%f", i, i / 3600.0, series.eventEcho[i]));
    if (i > b + length && (best < 0 || series.eventEcho[i] > series.eventEcho[best])) best = i;
  }
  ASSERT_FALSE(peakLines.empty());
  ASSERT_GE(best, 0);
  ASSERT_EQ(lines.size(), 4 + peakLines.size() + 2);
  for (std::size_t p = 0; p < peakLines.size(); ++p) EXPECT_EQ(lines[4 + p], peakLines[p]);
  EXPECT_EQ(lines[4 + peakLines.size()], CFormat("MaxCorr after event:\t%lld\t%f\t%f", best,
                                                 best / 3600.0, series.eventEcho[best]));
  EXPECT_EQ(lines.back(), CFormat("Mean of %d highest event echo correlation peaks= %f",
                                  series.echoPeakCount, series.echoPeakMean));
  EXPECT_GE(series.echoPeakCount, 1);
  EXPECT_LE(series.echoPeakMean, series.eventEcho[best]);

  // The spectra of the signature and after the event; too little data before
  // it for a pre-event spectrum.
  const std::string spectra = ReadFile(EventTablePath());
  EXPECT_NE(spectra.find("Quake\tSignature\t"), std::string::npos);
  EXPECT_NE(spectra.find("Quake\tPost-event\t"), std::string::npos);
  EXPECT_EQ(spectra.find("Pre-event"), std::string::npos);
  const std::string perRun = ReadFile(context.settings.outputDirectory + "Quake_event_dft.dat");
  EXPECT_NE(perRun.find("DFT(16384)Step(16384)event\nExponential-Coeff=0.001000\nSignature\n"),
            std::string::npos);
  EXPECT_NE(perRun.find("DFT(65536)Step(32768)event\nExponential-Coeff=0.001000\nPost-event\n"),
            std::string::npos);
}

TEST_F(EchoFixture, EuclideanSearchMeetsTheSignatureOneSampleEarlier) {
  UseSeries(SeriesWithEcho(4000, 700, 300, 3000));
  SetEvent(700, 300);
  context.settings.echoMethod = kEchoEuclidean;
  context.settings.smoothingMode = kRectangle;
  RunEventEcho(context, table, series);
  EXPECT_EQ(series.eventEcho[699], 1.0);
  const std::vector<std::string> lines = Lines(ReadFile(EchoPath()));
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[2], "Rectangular(900)");
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[4], "PeakSec\tPeakHr\tPeakMag");
}

TEST_F(EchoFixture, OtherVariablesAndCodes) {
  UseSeries(SeriesWithEcho(4000, 700, 300, 3000));
  SetEvent(700, 300);
  context.settings.eventEchoVariable = 8;
  RunEventEcho(context, table, series);
  EXPECT_EQ(Lines(ReadFile(EchoPath()))[1], "Variable-8(cumVar);EventDuration=0.0833Hr.");
  EXPECT_EQ(series.echoVariableName, "cumVar");
  EXPECT_NEAR(series.eventEcho[700], 1.0, 1e-12);
  const Values fromCvar = series.eventEcho;

  context.settings.eventEchoVariable = 9;
  RunEventEcho(context, table, series);
  EXPECT_EQ(Lines(ReadFile(EchoPath()))[1], "Variable-5(lpvar);EventDuration=0.0833Hr.");
  EXPECT_NE(series.eventEcho, fromCvar);

  // An undefined variance (no valid egg) counts as the series mean.
  series.eggvar = series.lpvar;
  series.eggvar[100] = series.eggvar[900] = std::nan("");
  context.settings.eventEchoVariable = 4;
  RunEventEcho(context, table, series);
  EXPECT_TRUE(std::none_of(series.eventEcho.begin(), series.eventEcho.end(),
                           [](double v) { return std::isnan(v); }));
  EXPECT_NEAR(series.eventEcho[700], 1.0, 1e-12);
}

TEST_F(EchoFixture, ShortSeriesGiveNoPeaks) {
  // 1000 echo values cannot be smoothed over 1800.
  UseSeries(SeriesWithEcho(1200, 300, 199, 800));
  SetEvent(300, 199);
  RunEventEcho(context, table, series);
  EXPECT_EQ(Lines(ReadFile(EchoPath())).size(), 4u);
  EXPECT_EQ(series.echoPeakCount, 0);
  EXPECT_EQ(series.eventEcho[999], series.eventEcho[1199]);

  // An event so long that no echo value remains: zeros, the signature
  // spectrum, and no post-event spectrum.
  std::filesystem::remove(EventTablePath());
  UseSeries(SeriesWithEcho(500, 10, 100, 200));
  SetEvent(1, 7200);
  RunEventEcho(context, table, series);
  EXPECT_EQ(series.eventEcho, Values(500, 0.0));
  EXPECT_EQ(Lines(ReadFile(EchoPath())).size(), 4u);
  EXPECT_EQ(ReadFile(EventTablePath()).find("Post-event"), std::string::npos);
}

TEST_F(EchoFixture, ResolutionTurnsSecondsIntoSamples) {
  table.resolution = 60;
  UseSeries(SeriesWithEcho(3000, 400, 120, 2000));
  SetEvent(400, 120 * 60);  // two hours: 120 samples of a minute
  RunEventEcho(context, table, series);
  EXPECT_NEAR(series.eventEcho[400], 1.0, 1e-12);
  EXPECT_EQ(Lines(ReadFile(EchoPath()))[1], "Variable-5(lpvar);EventDuration=2.0000Hr.");
  Values expected(3000);
  CorrelationScan(Values(series.lpvar.begin() + 400, series.lpvar.begin() + 520), series.lpvar,
                  expected);
  EXPECT_EQ(series.eventEcho[1234], expected[1234]);
}

TEST_F(EchoFixture, PreEventSpectrumWhenEnoughDataPrecedesTheEvent) {
  const std::size_t b = 36000;
  UseSeries(SeriesWithEcho(40000, b, 100, 38000));
  SetEvent(b, 100);
  RunEventEcho(context, table, series);
  const std::string perRun = ReadFile(context.settings.outputDirectory + "Quake_event_dft.dat");
  EXPECT_NE(perRun.find("DFT(65536)Step(65536)event\nExponential-Coeff=0.001000\nPre-event\n"),
            std::string::npos);
  int preLines = 0;
  for (const std::string& line : Lines(ReadFile(EventTablePath()))) {
    preLines += line.rfind("Quake\tPre-event\t", 0) == 0;
  }
  EXPECT_EQ(preLines, 1);
}

TEST_F(EchoFixture, UnwritableEchoFileKeepsTheSeries) {
  UseSeries(SeriesWithEcho(3000, 500, 200, 2000));
  SetEvent(500, 200);
  context.settings.outputDirectory = root.path() + "missing/";
  RunEventEcho(context, table, series);
  EXPECT_EQ(link.messageTexts(),
            std::vector<std::string>{"Failed to open event correlation file for output"});
  EXPECT_NEAR(series.eventEcho[500], 1.0, 1e-12);
  EXPECT_FALSE(testing::FileExists(EventTablePath()));
}

TEST_F(EchoFixture, StoppedRunWritesNothing) {
  UseSeries(SeriesWithEcho(3000, 500, 200, 2000));
  SetEvent(500, 200);
  context.Abort();
  RunEventEcho(context, table, series);
  EXPECT_FALSE(testing::FileExists(EchoPath()));
  EXPECT_EQ(series.eventEcho.size(), 3000u);
}

}  // namespace
}  // namespace corvane
