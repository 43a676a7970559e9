// A local run with audio output on: the five sound files beside the plot
// files, and the peak of a series heard as a rest where it lies.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "audio/audio_devices.h"
#include "core/date_time.h"
#include "eggdata/egg_data_generator.h"
#include "job_harness.h"
#include "support/wave_probe.h"

namespace corvane {
namespace {

using testing::DataRange;
using testing::JobHarness;
using testing::LittleEndianField;
using testing::ProgressLogCapture;
using testing::ReadFile;
using testing::ReadWaveSamples;

TEST(JobAudioTest, ARunWithAudioWritesFiveFilesAndRestsAtThePeak) {
  JobHarness h;
  ProgressLogCapture log(h.dir.File("egg.log"));
  // Two hours of ten eggs whose trials run 5 high in the first hour: lpdev
  // (exponential smoothing, 0.001) climbs for an hour towards 5 and falls
  // after it.
  eggdata::EggDataOptions options = DataRange("2011-05-03 10:00:00", "2011-05-03 12:00:00");
  options.meanShift = 5.0;
  options.shiftStart = options.start;
  options.shiftStop = options.start + 3599;
  ASSERT_TRUE(eggdata::WriteEggDataFile(h.dir.File("quake.csv"), options, false));

  AudioSettings audio;
  audio.dataBlockSize = 1800;  // blocks of half an hour: rise, rise, fall, fall
  h.job->SetAudio(true, audio);
  audio.dataBlockSize = 1;  // the run keeps the copy it was handed
  h.StartLocalRun("Quake", h.dir.File("quake.csv"), "2011-05-03 10:00:00", "2011-05-03 12:00:00");
  h.TickUntilEnded();
  ASSERT_EQ(h.link.runEndedCount(), 1);
  EXPECT_TRUE(h.link.messages().empty()) << h.link.messageTexts()[0];

  const std::vector<std::string> statuses = h.link.statuses();
  const auto creating = std::find(statuses.begin(), statuses.end(), "Creating audio");
  const auto writing = std::find(statuses.begin(), statuses.end(), "Writing results file");
  ASSERT_NE(creating, statuses.end());
  EXPECT_LT(creating, writing);
  const bool logged = log.Contents().find("Audio card not detected\n") != std::string::npos;
  EXPECT_EQ(logged, CountPlaybackDevices() == 0);

  const std::string stem = h.OutputDirectory("Quake") + "Quake";
  for (const char* suffix :
       {"_lpvar.wav", "_lpdev.wav", "_alpdev.wav", "_lpmax.wav", "_cumdevVar.wav"}) {
    SCOPED_TRACE(suffix);
    const std::string bytes = ReadFile(stem + suffix);
    ASSERT_GT(bytes.size(), 46u);
    const std::uint32_t data = LittleEndianField(bytes, 42, 4);
    EXPECT_EQ(bytes.size(), 46u + data);
    EXPECT_EQ(LittleEndianField(bytes, 4, 4), data + 38);
    EXPECT_GE(data, 4u * 1600u);  // four notes of at least 100 msec
  }

  // lpdev: notes for two rising blocks, a rest, notes for two falling ones.
  const std::vector<std::int16_t> lpdev = ReadWaveSamples(stem + "_lpdev.wav");
  const auto rests = testing::FindRests(lpdev);
  ASSERT_EQ(rests.size(), 1u);
  const auto [rest_begin, rest_end] = rests[0];
  EXPECT_NEAR(static_cast<double>(rest_end - rest_begin), 2000.0, 40.0);
  ASSERT_GE(rest_begin, 2u * 800u);  // the frequency windows below stay inside the notes
  ASSERT_GE(lpdev.size() - rest_end, 2u * 800u);
  // The block before the peak (mean about 4.6 of a range of about 0..4.9)
  // sounds near the top; the one after it (mean about 2.3) in the middle.
  const double before =
      testing::ZeroCrossingFrequency(lpdev, rest_begin - 500, rest_begin - 100, 8000);
  const double after = testing::ZeroCrossingFrequency(lpdev, rest_end + 100, rest_end + 500, 8000);
  EXPECT_GT(before, 1650.0);
  EXPECT_GT(after, 700.0);
  EXPECT_LT(after, 1400.0);
}

}  // namespace
}  // namespace corvane
