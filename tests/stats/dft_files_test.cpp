#include "stats/dft_files.h"

#include <cmath>
#include <complex>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/c_format.h"
#include "support/run_folders.h"
#include "support/text_lines.h"

namespace corvane {
namespace {

using testing::Lines;
using testing::ReadFile;

// The power of bin j of the block at start of data[offset ...] (mean
// removed, zero-filled, gain, window), by a direct DFT in double.
double ExpectedPower(const std::vector<double>& data, std::size_t offset, std::size_t start,
                     std::size_t m, double gainDb, std::size_t j) {
  double mean = 0;
  for (std::size_t i = offset; i < data.size(); ++i) mean += data[i];
  mean /= static_cast<double>(data.size() - offset);
  std::complex<double> sum = 0;
  for (std::size_t k = 0; k < m; ++k) {
    const std::size_t at = offset + start + k;
    const double x = at < data.size() ? data[at] - mean : 0.0;
    const double w = 1.0 - (0.42 + 0.5 * std::cos(2 * std::numbers::pi * k / (m - 1)) +
                            0.08 * std::cos(4 * std::numbers::pi * k / (m - 1)));
    const double angle = 2 * std::numbers::pi * static_cast<double>((j * k) % m) / m;
    sum += x * std::pow(10.0, gainDb / 10) * w *
           std::complex<double>(std::cos(angle), std::sin(angle));
  }
  return std::norm(sum / (j == 0 ? double(m) : m / 2.0));
}

std::vector<double> Wave(std::size_t n, double amplitude) {
  std::vector<double> data(n);
  for (std::size_t i = 0; i < n; ++i) {
    data[i] = 50.0 + amplitude * (std::sin(0.37 * i) + 0.5 * std::cos(0.05 * i * i / (n + 1.0)));
  }
  return data;
}

struct DftFixture : ::testing::Test, testing::RunFolders {
  std::string SpectrumPath(const std::string& name) const {
    return context.settings.outputDirectory + "Quake_" + name + "_dft.dat";
  }
  std::string TablePath(const std::string& name) const { return root.path() + name + "_dft.dat"; }

  // The power column of every block in the spectrum file, block by block.
  std::vector<std::vector<double>> SpectrumBlocks(const std::string& name) const {
    std::vector<std::vector<double>> blocks;
    for (const std::string& line : Lines(ReadFile(SpectrumPath(name)))) {
      if (line == "cyclePerSec\tcyclePerHr\thrPerCycle\tpower") {
        blocks.emplace_back();
        continue;
      }
      double f, perHour, hours, power;
      if (!blocks.empty() &&
          std::sscanf(line.c_str(), "%lf\t%lf\t%lf\t%lf", &f, &perHour, &hours, &power) == 4) {
        blocks.back().push_back(power);
      }
    }
    return blocks;
  }
};

TEST(DftSizeTest, RefusesSizesThatCannotBeTransformed) {
  for (int size : {2, 4, 1024, 32768, 65536}) EXPECT_FALSE(DftSizeError(size)) << size;
  EXPECT_EQ(*DftSizeError(1), "The DFT size must be at least 2");
  EXPECT_EQ(*DftSizeError(0), "The DFT size must be at least 2");
  EXPECT_EQ(*DftSizeError(-8), "The DFT size must be at least 2");
  EXPECT_EQ(*DftSizeError(48), "The DFT size must be a power of two");
  EXPECT_EQ(*DftSizeError(131072), "The DFT size must not exceed 65536");
}

TEST_F(DftFixture, WritesHeadingBinsAndTableLinePerBlock) {
  const std::vector<double> data = Wave(200, 0.01);
  DftRequest request{"lpvar", 30.0, 64, data, 10, 32, std::nullopt};
  WriteDftSpectrum(context, request);
  EXPECT_TRUE(link.messages().empty());

  const std::vector<std::string> lines = Lines(ReadFile(SpectrumPath("lpvar")));
  ASSERT_GE(lines.size(), 7u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], "Quake");
  EXPECT_EQ(lines[2], "DFT(64)Step(32)lpvar");
  EXPECT_EQ(lines[3], "Exponential-Coeff=0.001000");
  EXPECT_EQ(lines[4], "");
  EXPECT_EQ(lines[5], "cyclePerSec\tcyclePerHr\thrPerCycle\tpower");
  // 190 samples from the offset, step 32: blocks at 0, 32, ..., 160.
  const auto blocks = SpectrumBlocks("lpvar");
  ASSERT_EQ(blocks.size(), 6u);
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    ASSERT_EQ(blocks[b].size(), 30u) << "M/2 = 32 bins, at most 30 written";
    for (std::size_t j = 0; j < 30; ++j) {
      const double want = ExpectedPower(data, 10, 32 * b, 64, 30.0, j);
      EXPECT_NEAR(blocks[b][j], want, 1e-5 * want + 1e-6) << "block " << b << " bin " << j;
    }
  }
  // Bin lines: cycles per sample, per hour, hours per cycle (0 for bin 0).
  EXPECT_EQ(lines[6].substr(0, lines[6].rfind('\t')), "0.000000\t0.000000\t0.000000");
  EXPECT_EQ(lines[7].substr(0, lines[7].rfind('\t')),
            CFormat("%f\t%f\t%f", 1.0 / 64, 3600.0 / 64, 64 / 3600.0));
  EXPECT_EQ(lines[8].substr(0, lines[8].rfind('\t')),
            CFormat("%f\t%f\t%f", 2.0 / 64, 7200.0 / 64, 64 / 7200.0));

  // One table line per block: the data name, then the same powers.
  const std::vector<std::string> table = Lines(ReadFile(TablePath("lpvar")));
  ASSERT_EQ(table.size(), 6u);
  for (std::size_t b = 0; b < 6; ++b) {
    std::string expected = "Quake\t";
    for (std::size_t j = 0; j < 30; ++j) expected += CFormat("%f\t", blocks[b][j]);
    EXPECT_EQ(table[b], expected);
  }
}

TEST_F(DftFixture, BlocksOfShortSegments) {
  const std::vector<double> data = Wave(64, 0.02);
  // A segment shorter than half the size: one block, filled with zeros.
  WriteDftSpectrum(context, {"short", 20.0, 128, data, 0, 64, std::nullopt});
  ASSERT_EQ(SpectrumBlocks("short").size(), 1u);
  EXPECT_NEAR(SpectrumBlocks("short")[0][3], ExpectedPower(data, 0, 0, 128, 20.0, 3), 1e-5);
  // Exactly M samples with step M/2: two blocks, the second half data, half
  // zeros.
  WriteDftSpectrum(context, {"exact", 20.0, 64, data, 0, 32, std::nullopt});
  const auto exact = SpectrumBlocks("exact");
  ASSERT_EQ(exact.size(), 2u);
  for (std::size_t j = 0; j < 30; ++j) {
    const double want = ExpectedPower(data, 0, 32, 64, 20.0, j);
    EXPECT_NEAR(exact[1][j], want, 1e-5 * want + 1e-6) << j;
  }
  // Between M/2 and M samples with step M/2: two blocks as well; with step
  // M: one.
  WriteDftSpectrum(context, {"mid", 20.0, 128, data, 0, 16, std::nullopt});
  EXPECT_EQ(SpectrumBlocks("mid").size(), 4u);
  WriteDftSpectrum(context, {"whole", 20.0, 128, data, 0, 128, std::nullopt});
  EXPECT_EQ(SpectrumBlocks("whole").size(), 1u);
  // M = 4 writes its two bins only.
  WriteDftSpectrum(context, {"four", 20.0, 4, std::span(data).first(4), 0, 4, std::nullopt});
  const auto four = SpectrumBlocks("four");
  ASSERT_EQ(four.size(), 1u);
  EXPECT_EQ(four[0].size(), 2u);
}

TEST_F(DftFixture, LabelsAppendAndEmptySegments) {
  const std::vector<double> data = Wave(40, 0.01);
  WriteDftSpectrum(context, {"event", 30.0, 16, data, 0, 16, std::string("Signature")});
  context.settings.smoothingMode = kTriangle;
  context.settings.smoothingWindow = 1200;
  // An offset at the end of the data leaves no segment: only the heading.
  WriteDftSpectrum(context, {"event", 30.0, 16, data, 40, 16, std::string("Post-event")});
  const std::string text = ReadFile(SpectrumPath("event"));
  const std::string secondHeading = "\nQuake\nDFT(16)Step(16)event\nTriangular(1200)\nPost-event\n";
  ASSERT_GE(text.size(), secondHeading.size());
  EXPECT_EQ(text.substr(text.size() - secondHeading.size()), secondHeading);
  EXPECT_EQ(text.find("\nQuake\nDFT(16)Step(16)event\nExponential-Coeff=0.001000\nSignature\n"),
            0u);
  const auto table = Lines(ReadFile(TablePath("event")));
  ASSERT_EQ(table.size(), 3u);  // 40 samples, step 16
  for (const std::string& line : table) EXPECT_EQ(line.rfind("Quake\tSignature\t", 0), 0u);

  context.settings.smoothingMode = kRectangle;
  WriteDftSpectrum(context, {"rect", 30.0, 16, data, 0, 16, std::nullopt});
  EXPECT_NE(ReadFile(SpectrumPath("rect")).find("\nRectangular(1200)\n"), std::string::npos);
}

TEST_F(DftFixture, UndefinedSamplesCountAsTheMean) {
  std::vector<double> data = Wave(50, 0.01);
  std::vector<double> filled = data;
  data[7] = std::nan("");
  double mean = 0;
  for (std::size_t i = 0; i < filled.size(); ++i) mean += i == 7 ? 0 : filled[i];
  filled[7] = mean / 49;
  WriteDftSpectrum(context, {"gap", 30.0, 32, data, 0, 32, std::nullopt});
  WriteDftSpectrum(context, {"filled", 30.0, 32, filled, 0, 32, std::nullopt});
  EXPECT_EQ(SpectrumBlocks("gap"), SpectrumBlocks("filled"));
  EXPECT_EQ(ReadFile(SpectrumPath("gap")).find("nan"), std::string::npos);
}

TEST_F(DftFixture, FilesThatCannotBeOpened) {
  const std::vector<double> data = Wave(40, 0.01);
  context.settings.rootDirectory = root.path() + "missing/";
  WriteDftSpectrum(context, {"lpvar", 30.0, 16, data, 0, 8, std::nullopt});
  ASSERT_EQ(link.messageTexts(), std::vector<std::string>{"Failed to open dft summary file"});
  EXPECT_EQ(ReadFile(SpectrumPath("lpvar")),
            "\nQuake\nDFT(16)Step(8)lpvar\nExponential-Coeff=0.001000\n");

  context.settings.outputDirectory = root.path() + "nowhere/";
  WriteDftSpectrum(context, {"lpdev", 30.0, 16, data, 0, 8, std::nullopt});
  EXPECT_EQ(link.messageTexts().back(), "Failed to open file for dft output");

  // A bad size or step is refused before any file is touched.
  context.settings.outputDirectory = root.path() + "Quake/";
  WriteDftSpectrum(context, {"lpmax", 30.0, 1, data, 0, 1, std::nullopt});
  WriteDftSpectrum(context, {"lpmax", 30.0, 16, data, 0, 0, std::nullopt});
  EXPECT_EQ(link.messageTexts().size(), 4u);
  EXPECT_FALSE(testing::FileExists(SpectrumPath("lpmax")));
}

struct RunDftFixture : DftFixture {
  EggSampleTable table;
  CompositeSeries series;

  explicit RunDftFixture(std::size_t n = 600) {
    // The same wave in every variable, so that the spectra differ by their
    // gains alone.
    const std::vector<double> wave = Wave(n, 0.1);
    series.eggCount.assign(n, 10);
    series.eggvar = series.lpdev = series.alpdev = series.lpadev = series.lpvar = series.lpmax =
        wave;
    table.sampleCount = static_cast<int>(n);
    table.resolution = 1;
    context.settings.dft = true;
    context.settings.dftSize = 128;
    context.settings.startTime = 1300000000;
  }
};

TEST_F(RunDftFixture, SixVariablesWithTheirGains) {
  RunDftSpectra(context, table, series);
  EXPECT_TRUE(link.messages().empty());
  // No event time: the blocks start at the start time, which becomes the
  // run's event time.
  EXPECT_EQ(context.settings.eventTime, context.settings.startTime);
  const char* names[] = {"eggvar", "lpdev", "alpdev", "lpadev", "lpvar", "lpmax"};
  const double gains[] = {15.0, 30.0, 30.0, 30.0, 20.0, 25.0};
  const auto reference = SpectrumBlocks("lpdev");
  ASSERT_EQ(reference.size(), 10u);  // 600 samples, step 64
  for (int v = 0; v < 6; ++v) {
    SCOPED_TRACE(names[v]);
    EXPECT_NE(ReadFile(SpectrumPath(names[v])).find(CFormat("DFT(128)Step(64)%s\n", names[v])),
              std::string::npos);
    const auto blocks = SpectrumBlocks(names[v]);
    ASSERT_EQ(blocks.size(), 10u);
    EXPECT_EQ(Lines(ReadFile(TablePath(names[v]))).size(), 10u);
    // Power grows with the square of the amplitude gain 10^(gain / 10).
    const double ratio = std::pow(10.0, (gains[v] - 30.0) / 5.0);
    EXPECT_NEAR(blocks[0][5], reference[0][5] * ratio, 1e-5 * reference[0][5] * ratio + 2e-6);
  }
  const std::vector<double>& data = series.lpdev;
  EXPECT_NEAR(reference[0][5], ExpectedPower(data, 0, 0, 128, 30.0, 5),
              1e-5 * reference[0][5] + 1e-6);
}

TEST_F(RunDftFixture, BlocksStartAtTheEventInSamples) {
  context.settings.eventTime = context.settings.startTime + 100;
  RunDftSpectra(context, table, series);
  const auto atEvent = SpectrumBlocks("lpvar");
  ASSERT_EQ(atEvent.size(), 8u);  // 500 samples from the event
  EXPECT_NEAR(atEvent[0][4], ExpectedPower(series.lpvar, 100, 0, 128, 20.0, 4), 1e-5);

  // Ten seconds per sample: the event 1000 s after the start lies at sample
  // 100, so the spectra are those of the run above.
  testing::TempDir other;
  context.settings.rootDirectory = other.path();
  context.settings.outputDirectory = other.path();
  context.settings.eventTime = context.settings.startTime + 1000;
  table.resolution = 10;
  RunDftSpectra(context, table, series);
  EXPECT_EQ(ReadFile(other.path() + "Quake_lpvar_dft.dat"), ReadFile(SpectrumPath("lpvar")));
}

TEST_F(RunDftFixture, NothingForEarlyEventsBadSizesOrDftOff) {
  context.settings.eventTime = context.settings.startTime - 1;
  RunDftSpectra(context, table, series);
  EXPECT_FALSE(testing::FileExists(TablePath("eggvar")));
  EXPECT_TRUE(link.messages().empty());

  context.settings.eventTime = 0;
  context.settings.dftSize = 1;
  RunDftSpectra(context, table, series);
  EXPECT_EQ(link.messageTexts(), std::vector<std::string>{"The DFT size must be at least 2"});
  EXPECT_FALSE(testing::FileExists(TablePath("eggvar")));

  context.settings.dftSize = 128;
  context.settings.dft = false;
  RunDftSpectra(context, table, series);
  context.settings.dft = true;
  context.Abort();
  RunDftSpectra(context, table, series);
  EXPECT_FALSE(testing::FileExists(TablePath("eggvar")));
}

}  // namespace
}  // namespace corvane
