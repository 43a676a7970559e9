// corvane-cli batch with AudioOutput: the five sound files of a run, and the
// peak of a series heard as a rest where it lies.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli_fixture.h"
#include "core/date_time.h"
#include "eggdata/egg_data_generator.h"
#include "support/wave_probe.h"

namespace corvane {
namespace {

using testing::CliTest;
using testing::LittleEndianField;
using testing::ProgramResult;
using testing::ReadFile;
using testing::ReadWaveSamples;

TEST_F(CliTest, BatchWithAudioOutputWritesFiveSoundFilesWithTheRestAtThePeak) {
  // Two hours of ten eggs whose trials run 5 high in the first hour: lpdev
  // (exponential smoothing, 0.001) climbs for an hour and falls after it. In
  // blocks of half an hour: rise, rise, fall, fall.
  eggdata::EggDataOptions options;
  options.start = SecondsFromText("2011-05-03 10:00:00");
  options.stop = SecondsFromText("2011-05-03 12:00:00");
  options.eggCount = 10;
  options.meanShift = 5.0;
  options.shiftStart = options.start;
  options.shiftStop = options.start + 3599;
  const std::string data = dir_.File("data/peak.csv");
  std::filesystem::create_directories(dir_.File("data"));
  ASSERT_TRUE(eggdata::WriteEggDataFile(data, options, false));
  const std::string batch =
      WriteBatch("audio.ebb", "DataDirectory " + root_ + "\nAudioOutput 1\nLocalEggFile " + data +
                                  "\nPeak 2011-05-03 10:00:00 2011-05-03 12:00:00\n");

  const ProgramResult result =
      Run({"batch", "--set", "TempDir=" + temp_, "--set", "DataBlockSize=1800", "--set",
           "SmoothWindowType=0", "--set", "ExpCoeff=0.001", batch});
  ASSERT_FALSE(result.crashed) << result.err;
  ASSERT_EQ(result.exitCode, kExitOk) << result.err;

  const std::string stem = root_ + "Peak/Peak";
  for (const char* suffix :
       {"_lpvar.wav", "_lpdev.wav", "_alpdev.wav", "_lpmax.wav", "_cumdevVar.wav"}) {
    SCOPED_TRACE(suffix);
    const std::string bytes = ReadFile(stem + suffix);
    ASSERT_GT(bytes.size(), 46u);
    EXPECT_EQ(bytes.size(), 46u + LittleEndianField(bytes, 42, 4));
    EXPECT_GE(LittleEndianField(bytes, 42, 4), 4u * 1600u);  // four notes of 100 msec or more
    EXPECT_EQ(testing::CommandOutput("soxi -r '" + stem + suffix + "'"), "8000");
  }

  // lpdev: two rising blocks, a rest, two falling blocks; the note before
  // the peak sounds high (mean near the top of the range), the one after it
  // in the middle.
  const std::vector<std::int16_t> lpdev = ReadWaveSamples(stem + "_lpdev.wav");
  const auto rests = testing::FindRests(lpdev);
  ASSERT_EQ(rests.size(), 1u);
  const auto [rest_begin, rest_end] = rests[0];
  EXPECT_NEAR(static_cast<double>(rest_end - rest_begin), 2000.0, 40.0);
  ASSERT_GE(rest_begin, 2u * 800u);
  ASSERT_GE(lpdev.size() - rest_end, 2u * 800u);
  EXPECT_GT(testing::ZeroCrossingFrequency(lpdev, rest_begin - 500, rest_begin - 100, 8000),
            1650.0);
  const double after = testing::ZeroCrossingFrequency(lpdev, rest_end + 100, rest_end + 500, 8000);
  EXPECT_GT(after, 700.0);
  EXPECT_LT(after, 1400.0);
}

}  // namespace
}  // namespace corvane
