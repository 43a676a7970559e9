// The event echo search run whole: when it searches at all, its echo file,
// and the spectra of the signature and of the echo series before and after
// the event, checked by value against a direct DFT of the stretches they
// must cover.
#include "stats/event_echo.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <random>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/c_format.h"
#include "core/progress_log.h"
#include "stats/echo_peaks.h"
#include "stats/echo_scan.h"
#include "stats/smoothing_filters.h"
#include "support/direct_dft.h"
#include "support/run_folders.h"
#include "support/text_lines.h"

namespace corvane {
namespace {

using testing::FileExists;
using testing::Lines;
using testing::ReadFile;
using Values = std::vector<double>;

// One spectrum a search must append: its label, DFT size and step, and the
// stretch [from, to) of the searched series (or of the echo series) that it
// transforms.
struct Expected {
  const char* label;
  int size, step;
  bool echo;  // a stretch of the echo series, else of the searched variable
  std::size_t from, to;
};

struct EchoFixture : ::testing::Test, testing::RunFolders {
  static constexpr std::int64_t kStart = 1300000000;
  EggSampleTable table;
  CompositeSeries series;

  EchoFixture() {
    context.settings.startTime = kStart;
    context.settings.echoMethod = kEchoCorrelation;
    context.settings.eventEchoVariable = 5;
    table.resolution = 1;
  }
  // lpvar (and eggvar) drift slowly and noisily like a low-pass egg
  // variable, with the event's stretch repeated, a little weaker, at echoAt;
  // cvar is a different series. The event lies at b.
  void UseSeries(std::size_t n, std::size_t b, int duration, std::size_t echoAt) {
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(0.0, 0.05);
    Values s(n);
    double level = 50.0;
    for (double& v : s) v = level += noise(rng) - 0.001 * (level - 50.0);
    for (std::size_t i = 0; i < std::size_t(duration / table.resolution) && echoAt + i < n; ++i) {
      s[echoAt + i] = 0.8 * s[b + i] + 0.2 * s[echoAt + i];
    }
    series.eggCount.assign(n, 20);
    series.lpvar = series.eggvar = series.cvar = s;
    for (std::size_t i = 0; i < n; ++i) series.cvar[i] += 0.01 * i * i;
    table.sampleCount = static_cast<int>(n);
    SetEvent(b, duration);
  }
  void SetEvent(std::int64_t index, int duration) {
    context.settings.eventTime = kStart + index * table.resolution;
    context.settings.eventDuration = duration;
  }
  std::vector<std::string> EchoLines() const { return Lines(ReadFile(Output("Quake_evcorr.dat"))); }
  std::string EventSpectra() const { return ReadFile(Output("Quake_event_dft.dat")); }

  void Search() {
    std::filesystem::remove(Output("Quake_event_dft.dat"));
    RunEventEcho(context, table, series);
    ASSERT_TRUE(link.messages().empty());
  }

  // The event spectra file holds exactly the expected calls, each block's
  // powers those of a direct DFT, its frequencies per second of samples
  // that span `resolution` seconds.
  void ExpectSpectra(const std::vector<Expected>& want, int resolution = 1) const {
    const std::vector<testing::SpectrumCall> calls = testing::ReadSpectrumFile(EventSpectra());
    ASSERT_EQ(calls.size(), want.size());
    for (std::size_t c = 0; c < want.size(); ++c) {
      const Expected& e = want[c];
      SCOPED_TRACE(e.label);
      EXPECT_EQ(calls[c].label, e.label);
      EXPECT_EQ(calls[c].dftLine, CFormat("DFT(%d)Step(%d)event", e.size, e.step));
      const Values& source = e.echo ? series.eventEcho : series.lpvar;
      const Values segment(source.begin() + e.from, source.begin() + e.to);
      const std::size_t blocks = (segment.size() + e.step - 1) / e.step;
      ASSERT_EQ(calls[c].blocks.size(), blocks);
      for (std::size_t b = 0; b < blocks; ++b) {
        const testing::SpectrumBlock& block = calls[c].blocks[b];
        const Values power = testing::ExpectedBlockPowers(segment, b * e.step, e.size, 30.0);
        ASSERT_EQ(block.power.size(), power.size());
        const double largest = *std::max_element(power.begin(), power.end());
        const double seconds = double(e.size) * resolution;  // of one block
        for (std::size_t j = 0; j < power.size(); ++j) {
          EXPECT_NEAR(block.power[j], power[j], 2e-5 * power[j] + 1e-6 * largest + 1e-6)
              << "block " << b << " bin " << j;
          EXPECT_NEAR(block.perSecond[j], j / seconds, 6e-7);
          EXPECT_NEAR(block.perHour[j], j * 3600 / seconds, 6e-7);
          EXPECT_NEAR(block.hoursPerCycle[j], j == 0 ? 0 : seconds / (j * 3600), 6e-7);
        }
      }
    }
  }
};

struct EchoFilesTest : EchoFixture {};

TEST_F(EchoFixture, NoSearchWithoutMethodEventOrDurationOrWithTheEventOutsideTheData) {
  SetLogPath(root.path() + "egg.log");
  SetLogProgress(true);
  UseSeries(3000, 500, 200, 2000);
  context.settings.eventEchoVariable = 11;  // no such code: lpvar, as 5
  series.eventEcho.assign(10, 4.0);
  // Silently none: no duration, no event time, no method; then logged: an
  // event before the data or at its end.
  const struct {
    std::int64_t index;
    int duration, method;
  } cases[] = {{500, 0, kEchoCorrelation},       {500, -3600, kEchoCorrelation},
               {-kStart, 200, kEchoCorrelation}, {500, 200, kEchoNone},
               {-10, 200, kEchoCorrelation},     {3000, 200, kEchoCorrelation}};
  for (const auto& c : cases) {
    SetEvent(c.index, c.duration);
    context.settings.echoMethod = c.method;
    RunEventEcho(context, table, series);
    if (c.method == kEchoNone) {
      EXPECT_TRUE(link.statuses().empty());
    }
  }
  SetLogProgress(false);
  SetLogPath("");
  EXPECT_EQ(series.eventEcho, Values(3000, 0.0));
  EXPECT_FALSE(FileExists(Output("Quake_evcorr.dat")));
  EXPECT_EQ(ReadFile(root.path() + "egg.log"),
            "Event echo detection using variable lpvar\n"
            "Can't do it - event lies before the start of the data\n"
            "Event echo detection using variable lpvar\n"
            "Can't do it - event is longer than data array\n");
}

// The variable searched is the one chosen, whatever the method; an undefined
// sample counts as the series mean. An echo file that cannot be written is
// reported but leaves the echo series; a stop writes no file at all.
TEST_F(EchoFixture, OtherVariablesUndefinedSamplesUnwritableFilesAndAStop) {
  UseSeries(4000, 700, 300, 3000);
  context.settings.echoMethod = kEchoEuclidean;
  context.settings.smoothingMode = kRectangle;
  context.settings.eventEchoVariable = 8;
  RunEventEcho(context, table, series);
  Values cvarEcho(4000);
  const std::size_t count =
      EuclideanScan(std::span(series.cvar).subspan(700, 300), series.cvar, cvarEcho);
  EXPECT_TRUE(std::equal(cvarEcho.begin(), cvarEcho.begin() + count, series.eventEcho.begin()));
  EXPECT_EQ(EchoLines()[1], "Variable-8(cumVar);EventDuration=0.0833Hr.");
  EXPECT_EQ(EchoLines()[2], "Rectangular(900)");

  context.settings.echoMethod = kEchoCorrelation;
  context.settings.eventEchoVariable = 4;
  series.eggvar[100] = series.eggvar[900] = NAN;
  context.settings.outputDirectory = root.path() + "missing/";
  RunEventEcho(context, table, series);
  EXPECT_EQ(link.messageTexts(),
            std::vector<std::string>{"Failed to open event correlation file for output"});
  EXPECT_TRUE(std::none_of(series.eventEcho.begin(), series.eventEcho.end(),
                           [](double v) { return std::isnan(v); }));
  EXPECT_NEAR(series.eventEcho[700], 1.0, 1e-12);

  context.settings.outputDirectory = root.path() + "Quake/";
  const std::string files[] = {Output("Quake_evcorr.dat"), Output("Quake_event_dft.dat"),
                               root.path() + "event_dft.dat"};
  for (const std::string& file : files) std::filesystem::remove(file);
  context.Abort();
  RunEventEcho(context, table, series);
  for (const std::string& file : files) EXPECT_FALSE(FileExists(file)) << file;
}

TEST_F(EchoFixture, ShortSeriesAndLongEvents) {
  // 1000 echo values cannot be smoothed over 1800: no peaks.
  UseSeries(1200, 300, 199, 800);
  context.settings.smoothingMode = kTriangle;
  RunEventEcho(context, table, series);
  EXPECT_EQ(EchoLines(),
            (std::vector<std::string>{"Quake", "Variable-5(lpvar);EventDuration=0.0553Hr.",
                                      "Triangular(900)", "", "PeakSec\tPeakHr\tPeakMag"}));
  EXPECT_EQ(series.eventEcho[999], series.eventEcho[1199]);
  // No echo value remains: zeros, and no post-event spectrum.
  std::filesystem::remove(Output("Quake_event_dft.dat"));
  UseSeries(500, 1, 7200, 200);
  RunEventEcho(context, table, series);
  EXPECT_EQ(series.eventEcho, Values(500, 0.0));
  EXPECT_EQ(EventSpectra().find("Post-event"), std::string::npos);
}

// The signature is the event's stretch. The pre-event echo ends 1800 samples
// before the event, starts at most 67336 samples before it, and is
// transformed only when it holds at least 32768 samples. The post-event echo
// starts after the signature when it is shorter than 1800 samples, else 1800
// samples after the event, and runs to the last echo value K = n - L - 1 in
// blocks that advance by 32768.
TEST_F(EchoFilesTest, SpectraOfTheSignatureAndOfTheEchoAfterTheEvent) {
  UseSeries(37000, 34568, 100, 36000);
  Search();
  ExpectSpectra({{"Signature", 16384, 16384, false, 34568, 34668},
                 {"Pre-event", 65536, 65536, true, 0, 32768},
                 {"Post-event", 65536, 32768, true, 34668, 36899}});
  EXPECT_NE(ReadFile(root.path() + "event_dft.dat").find("Quake\tPre-event\t"), std::string::npos);
  SetEvent(34567, 100);  // 32767 samples before the guard: none
  Search();
  ExpectSpectra({{"Signature", 16384, 16384, false, 34567, 34667},
                 {"Post-event", 65536, 32768, true, 34667, 36899}});
  // 32769 samples after 1800 samples of a longer signature: two blocks.
  UseSeries(106970, 70000, 2400, 100000);
  Search();
  ExpectSpectra({{"Signature", 16384, 16384, false, 70000, 72400},
                 {"Pre-event", 65536, 65536, true, 2664, 68200},
                 {"Post-event", 65536, 32768, true, 71800, 104569}});
}

// The search's echo series is the correlation scan, its last value repeated
// to the end; the echo file lists every peak of the 1800-wide triangle
// smoothing with its raw value, the strongest after the event and the mean
// of the three highest. The same series searched at two seconds per sample,
// with an event of 1199 seconds (600 samples, rounded up), gives the same
// peaks written at twice the seconds and hours, and the same spectra at half
// the frequencies.
TEST_F(EchoFilesTest, PlacesAndFrequenciesAreInSecondsAtTwoSecondsPerSample) {
  const std::size_t n = 9000, b = 1500, length = 600;
  UseSeries(n, b, length, 6000);
  Search();
  EXPECT_EQ(context.JobStage(), 1);
  EXPECT_EQ(link.statuses().front(), "Searching for event echoes");
  Values expected(n);
  const std::size_t count =
      CorrelationScan(std::span(series.lpvar).subspan(b, length), series.lpvar, expected);
  std::fill(expected.begin() + count, expected.end(), expected[count - 1]);
  EXPECT_EQ(series.eventEcho, expected);
  Values smoothed(count);
  ASSERT_TRUE(TriangleFilter(1800, expected.data(), smoothed.data(), int(count)));
  const EchoPeaks peaks = FindEchoPeaks(smoothed, std::span(expected).first(count), b + length);
  ASSERT_EQ(peaks.topCount, 3);
  EXPECT_EQ(series.echoPeakMean, peaks.topMean);
  // The echo file's lines at `seconds` per sample.
  const auto echoLines = [&](int seconds, const char* hours) {
    std::vector<std::string> want = {"Quake",
                                     CFormat("Variable-5(lpvar);EventDuration=%sHr.", hours),
                                     "Exponential(Coeff=0.001000)", "PeakSec\tPeakHr\tPeakMag"};
    const auto place = [&](const EchoPeak& p) {
      const long long at = static_cast<long long>(p.index) * seconds;
      return CFormat("%lld\t%f\t%f", at, at / 3600.0, p.magnitude);
    };
    for (const EchoPeak& p : peaks.peaks) want.push_back(place(p));
    want.push_back("MaxCorr after event:\t" + place(peaks.maximum));
    want.push_back(CFormat("Mean of 3 highest event echo correlation peaks= %f", peaks.topMean));
    return want;
  };
  EXPECT_EQ(EchoLines(), echoLines(1, "0.1667"));
  ExpectSpectra({{"Signature", 16384, 16384, false, 1500, 2100},
                 {"Post-event", 65536, 32768, true, 2100, 8399}});
  table.resolution = 2;
  SetEvent(1500, 1199);
  Search();
  EXPECT_EQ(series.eventEcho, expected);
  EXPECT_EQ(EchoLines(), echoLines(2, "0.3331"));
  ExpectSpectra({{"Signature", 16384, 16384, false, 1500, 2100},
                 {"Post-event", 65536, 32768, true, 2100, 8399}},
                2);
}

}  // namespace
}  // namespace corvane
