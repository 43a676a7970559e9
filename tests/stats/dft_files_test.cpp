#include "stats/dft_files.h"

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/c_format.h"
#include "stats/complex_fft.h"
#include "support/direct_dft.h"
#include "support/run_folders.h"
#include "support/text_lines.h"

namespace corvane {
namespace {

using testing::FileExists;
using testing::Lines;
using testing::ReadFile;
using Values = std::vector<double>;
using Complex = std::complex<double>;

// X[j] = sum_k x[k] exp(sign 2 pi i j k / M), summed directly in double.
Complex DirectDft(const std::vector<Complex>& x, std::size_t j, int sign) {
  Complex sum = 0;
  for (std::size_t k = 0; k < x.size(); ++k) {
    sum += x[k] * std::polar(1.0, sign * 2 * std::numbers::pi * ((j * k) % x.size()) / x.size());
  }
  return sum;
}

Values Wave(std::size_t n, double amplitude) {
  Values data(n);
  for (std::size_t i = 0; i < n; ++i) {
    data[i] = 50.0 + amplitude * (std::sin(0.37 * i) + 0.5 * std::cos(0.05 * i * i / (n + 1.0)));
  }
  return data;
}

TEST(BlockPowerTest, TransformMatchesDirectDftWithinSinglePrecision) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> value(-1.0f, 1.0f);
  for (int sign : {+1, -1}) {
    for (std::size_t m : {2u, 8u, 64u, 1024u}) {
      std::vector<float> data(2 * m);
      std::vector<Complex> x(m);
      for (std::size_t k = 0; k < m; ++k) {
        x[k] = Complex(data[2 * k] = value(rng), data[2 * k + 1] = value(rng));
      }
      ComplexFft(data, sign);
      // Single-precision rounding grows with log2(M) and the size of the sums.
      const double tolerance = 2e-6 * std::sqrt(static_cast<double>(m)) * std::log2(2.0 * m);
      for (std::size_t j = 0; j < m; ++j) {
        const Complex want = DirectDft(x, j, sign);
        ASSERT_NEAR(data[2 * j], want.real(), tolerance) << sign << " " << m << " " << j;
        ASSERT_NEAR(data[2 * j + 1], want.imag(), tolerance) << sign << " " << m << " " << j;
      }
    }
  }
}

struct DftFixture : ::testing::Test, testing::RunFolders {
  std::string SpectrumPath(const std::string& name) const {
    return Output("Quake_" + name + "_dft.dat");
  }
  std::string TablePath(const std::string& name) const { return root.path() + name + "_dft.dat"; }

  // The power column of every block in the spectrum file, block by block.
  std::vector<Values> SpectrumBlocks(const std::string& name) const {
    std::vector<Values> blocks;
    for (const auto& call : testing::ReadSpectrumFile(ReadFile(SpectrumPath(name)))) {
      for (const auto& block : call.blocks) blocks.push_back(block.power);
    }
    return blocks;
  }
  void ExpectBlock(const Values& powers, const Values& data, std::size_t offset, std::size_t start,
                   std::size_t m, double gainDb) const {
    const Values want =
        testing::ExpectedBlockPowers(Values(data.begin() + offset, data.end()), start, m, gainDb);
    ASSERT_EQ(powers.size(), want.size());
    for (std::size_t j = 0; j < powers.size(); ++j) {
      EXPECT_NEAR(powers[j], want[j], 1e-5 * want[j] + 1e-6)
          << "block at " << start << " bin " << j;
    }
  }
};

// Shorter than M: one block, filled with zeros; exactly M with step M/2: two
// blocks, the second half data, half zeros; M = 4 has two bins, the smallest
// M = 2 one.
TEST_F(DftFixture, BlocksOfShortSegments) {
  const struct {
    const char* name;
    int m, step;
    std::size_t samples, blocks;
  } cases[] = {
      {"short", 128, 64, 64, 1}, {"exact", 64, 32, 64, 2}, {"m4", 4, 4, 4, 1}, {"m2", 2, 2, 2, 1}};
  for (const auto& c : cases) {
    const Values data = Wave(c.samples, 0.02);
    WriteDftSpectrum(context, {c.name, 20.0, c.m, data, 0, c.step, std::nullopt});
    const auto blocks = SpectrumBlocks(c.name);
    ASSERT_EQ(blocks.size(), c.blocks) << c.name;
    for (std::size_t b = 0; b < c.blocks; ++b)
      ExpectBlock(blocks[b], data, 0, b * c.step, c.m, 20.0);
  }
}

TEST_F(DftFixture, FilesThatCannotBeOpenedRefusedRequestsAndEmptySegments) {
  const Values data = Wave(40, 0.01);
  context.settings.rootDirectory = root.path() + "missing/";
  WriteDftSpectrum(context, {"lpvar", 30.0, 16, data, 0, 8, std::nullopt});
  EXPECT_EQ(link.messageTexts(), std::vector<std::string>{"Failed to open dft summary file"});
  EXPECT_EQ(ReadFile(SpectrumPath("lpvar")),
            "\nQuake\nDFT(16)Step(8)lpvar\nExponential-Coeff=0.001000\n");
  // A bad size or step is refused before any file is touched.
  WriteDftSpectrum(context, {"lpmax", 30.0, 48, data, 0, 1, std::nullopt});
  WriteDftSpectrum(context, {"lpmax", 30.0, 16, data, 0, 0, std::nullopt});
  WriteDftSpectrum(context, {"lpmax", 30.0, 131072, data, 0, 1, std::nullopt});
  EXPECT_EQ(link.messageTexts()[1], "The DFT size must be a power of two");
  EXPECT_EQ(link.messageTexts()[2], "The DFT step must be at least 1");
  EXPECT_EQ(link.messageTexts()[3], "The DFT size must not exceed 65536");
  EXPECT_FALSE(FileExists(SpectrumPath("lpmax")));
  context.settings.rootDirectory = root.path();
  // An offset at the end of the data leaves no segment: only the heading.
  WriteDftSpectrum(context, {"empty", 30.0, 16, data, 40, 16, std::string("Post-event")});
  EXPECT_EQ(ReadFile(SpectrumPath("empty")),
            "\nQuake\nDFT(16)Step(16)empty\nExponential-Coeff=0.001000\nPost-event\n");
  EXPECT_EQ(ReadFile(TablePath("empty")), "");
}

TEST_F(DftFixture, SixVariablesOfARunFromTheEventWithTheirGains) {
  // The same wave in every variable, but one undefined sample in eggvar, so
  // that the spectra differ by their gains alone.
  const Values wave = Wave(600, 0.1);
  CompositeSeries series;
  series.eggCount.assign(600, 10);
  series.eggvar = series.lpdev = series.alpdev = series.lpadev = series.lpvar = series.lpmax = wave;
  series.eggvar[150] = NAN;
  EggSampleTable table;
  table.sampleCount = 600;
  table.resolution = 1;
  AnalysisSettings& settings = context.settings;
  settings.dftSize = 128;
  settings.startTime = 1300000000;
  settings.eventTime = settings.startTime + 100;
  RunDftSpectra(context, table, series);  // off
  settings.dft = true;
  settings.eventTime = settings.startTime - 1;
  RunDftSpectra(context, table, series);  // an event before the start
  settings.eventTime = 0;
  settings.dftSize = 1;
  RunDftSpectra(context, table, series);  // no event: from the start, but a bad size
  EXPECT_EQ(settings.eventTime, settings.startTime);
  EXPECT_FALSE(FileExists(TablePath("eggvar")));

  settings.dftSize = 128;
  settings.eventTime = settings.startTime + 100;
  RunDftSpectra(context, table, series);
  EXPECT_EQ(link.messageTexts(), std::vector<std::string>{"The DFT size must be at least 2"});
  // The heading, then per block its bin lines: cycles per sample, per hour,
  // hours per cycle (0 for bin 0), and the power.
  const std::vector<std::string> lines = Lines(ReadFile(SpectrumPath("lpvar")));
  ASSERT_GE(lines.size(), 9u);
  EXPECT_EQ(
      std::vector<std::string>(lines.begin(), lines.begin() + 6),
      (std::vector<std::string>{"", "Quake", "DFT(128)Step(64)lpvar", "Exponential-Coeff=0.001000",
                                "", "cyclePerSec\tcyclePerHr\thrPerCycle\tpower"}));
  EXPECT_EQ(lines[6], CFormat("0.000000\t0.000000\t0.000000\t%f", SpectrumBlocks("lpvar")[0][0]));
  EXPECT_EQ(lines[8].substr(0, lines[8].rfind('\t')),
            CFormat("%f\t%f\t%f", 2.0 / 128, 7200.0 / 128, 128 / 7200.0));
  // The undefined sample counts as the mean of the others from the event on.
  Values filled = wave;
  double sum = 0;
  for (std::size_t i = 100; i < 600; ++i) sum += i == 150 ? 0 : wave[i];
  filled[150] = sum / 499;
  const char* names[] = {"eggvar", "lpdev", "alpdev", "lpadev", "lpvar", "lpmax"};
  const double gains[] = {15.0, 30.0, 30.0, 30.0, 20.0, 25.0};
  for (int v = 0; v < 6; ++v) {
    SCOPED_TRACE(names[v]);
    const auto blocks = SpectrumBlocks(names[v]);
    ASSERT_EQ(blocks.size(), 8u);  // 500 samples from the event, step 64
    // One table line per block: the data name, then the same powers.
    const std::vector<std::string> tableLines = Lines(ReadFile(TablePath(names[v])));
    ASSERT_EQ(tableLines.size(), 8u);
    for (std::size_t b = 0; b < 8; ++b) {
      ExpectBlock(blocks[b], v == 0 ? filled : wave, 100, 64 * b, 128, gains[v]);
      std::string expected = "Quake\t";
      for (double power : blocks[b]) expected += CFormat("%f\t", power);
      EXPECT_EQ(tableLines[b], expected) << b;
    }
  }
  // No second of eggvar's segment defined (no valid egg from the event on):
  // its spectrum is zero, never NaN.
  std::fill(series.eggvar.begin() + 100, series.eggvar.end(), NAN);
  RunDftSpectra(context, table, series);
  const auto undefined = SpectrumBlocks("eggvar");
  ASSERT_EQ(undefined.size(), 16u);
  for (std::size_t b = 8; b < 16; ++b) EXPECT_EQ(undefined[b], Values(30, 0.0)) << b;

  // Ten seconds per sample: the event 1000 s after the start lies at sample
  // 100, and the frequencies are per second and per hour of those seconds.
  table.resolution = 10;
  settings.eventTime = settings.startTime + 1000;
  RunDftSpectra(context, table, series);
  const auto calls = testing::ReadSpectrumFile(ReadFile(SpectrumPath("lpvar")));
  ASSERT_EQ(calls.size(), 3u);
  ASSERT_EQ(calls[2].blocks.size(), 8u);
  for (std::size_t b = 0; b < 8; ++b) {
    const testing::SpectrumBlock& block = calls[2].blocks[b];
    ExpectBlock(block.power, wave, 100, 64 * b, 128, 20.0);
    for (std::size_t j = 0; j < 30; ++j) {
      EXPECT_NEAR(block.perSecond[j], j / 1280.0, 6e-7);
      EXPECT_NEAR(block.perHour[j], j * 3600 / 1280.0, 6e-7);
      EXPECT_NEAR(block.hoursPerCycle[j], j == 0 ? 0.0 : 1280.0 / (j * 3600), 6e-7);
    }
  }
}

}  // namespace
}  // namespace corvane
