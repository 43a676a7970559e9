// The files of an event echo search checked by value: the spectra of the
// signature and of the echo series before and after the event against a
// direct DFT of the stretches they must cover, and the echo file's seconds
// and hours at a coarse resolution.
#include <algorithm>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/c_format.h"
#include "stats/echo_fixture.h"
#include "stats/echo_peaks.h"
#include "stats/echo_scan.h"
#include "stats/smoothing_filters.h"
#include "support/spectrum_oracle.h"

namespace corvane {
namespace {

using testing::Lines;
using testing::ReadFile;
using testing::SpectrumCall;
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

struct EchoFilesTest : testing::EchoFixture {
  void Search() {
    std::filesystem::remove(Output("Quake_event_dft.dat"));
    RunEventEcho(context, table, series);
    ASSERT_TRUE(link.messages().empty());
  }

  // The event spectra file holds exactly the expected calls, each block's
  // powers those of a direct DFT, its frequencies per second of samples
  // that span `resolution` seconds.
  void ExpectSpectra(const std::vector<Expected>& want, int resolution = 1) const {
    const std::vector<SpectrumCall> calls = testing::ReadSpectrumFile(EventSpectra());
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

// The signature is the event's stretch; the post-event echo starts after the
// signature when it is shorter than 1800 samples, else 1800 samples after
// the event, and runs to the last echo value K = n - L - 1. Blocks of the
// post-event spectrum advance by 32768.
TEST_F(EchoFilesTest, SpectraOfTheSignatureAndOfTheEchoAfterTheEvent) {
  // 32768 samples after a signature of 300: one block; 32769 after 1800
  // samples of a longer signature: two.
  UseSeries(34369, 1000, 300, 20000);
  Search();
  ExpectSpectra({{"Signature", 16384, 16384, false, 1000, 1300},
                 {"Post-event", 65536, 32768, true, 1300, 34068}});
  UseSeries(37970, 1000, 2400, 20000);
  Search();
  ExpectSpectra({{"Signature", 16384, 16384, false, 1000, 3400},
                 {"Post-event", 65536, 32768, true, 2800, 35569}});
}

// The pre-event echo ends 1800 samples before the event, starts at most
// 67336 samples before it, and is transformed only when it holds at least
// 32768 samples.
TEST_F(EchoFilesTest, PreEventSpectrumEndsBeforeTheGuardAndNeedsHalfABlock) {
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
  UseSeries(72000, 70000, 100, 71000);
  Search();
  ExpectSpectra({{"Signature", 16384, 16384, false, 70000, 70100},
                 {"Pre-event", 65536, 65536, true, 2664, 68200},
                 {"Post-event", 65536, 32768, true, 70100, 71899}});
}

// A minute per sample: an event of two hours and 30 seconds covers 121
// samples (rounded up) from sample 400, and the spectra count cycles per
// second of those minutes.
TEST_F(EchoFilesTest, ACoarseResolutionRoundsTheEventLengthUp) {
  table.resolution = 60;
  UseSeries(3000, 400, 7230, 2000);
  Search();
  EXPECT_NEAR(series.eventEcho[400], 1.0, 1e-12);
  EXPECT_EQ(EchoLines()[1], "Variable-5(lpvar);EventDuration=2.0083Hr.");
  ExpectSpectra(
      {{"Signature", 16384, 16384, false, 400, 521}, {"Post-event", 65536, 32768, true, 521, 2878}},
      60);
}

// The search's echo series is the correlation scan, its last value repeated
// to the end; the echo file lists every peak of the 1800-wide triangle
// smoothing with its raw value, the strongest after the event and the mean
// of the three highest. The same series searched at two seconds per sample,
// with the event as many samples long, gives the same peaks written at twice
// the seconds and hours, and the same spectra at half the frequencies.
TEST_F(EchoFilesTest, PlacesAndFrequenciesAreInSecondsAtTwoSecondsPerSample) {
  const std::size_t n = 9000, b = 1500, length = 600;
  UseSeries(n, b, length, 6000);
  Search();
  EXPECT_EQ(context.JobStage(), 1);
  EXPECT_EQ(link.statuses().front(), "Searching for event echoes");
  Values expected(n);
  const std::size_t count =
      CorrelationScan(testing::Stretch(series.lpvar, b, length), series.lpvar, expected);
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
  SetEvent(1500, 1200);
  Search();
  EXPECT_EQ(EchoLines(), echoLines(2, "0.3333"));
  ExpectSpectra({{"Signature", 16384, 16384, false, 1500, 2100},
                 {"Post-event", 65536, 32768, true, 2100, 8399}},
                2);
}

}  // namespace
}  // namespace corvane
