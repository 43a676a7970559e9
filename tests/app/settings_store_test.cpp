// The settings store: defaults from an empty store, round trips through the
// real QSettings file, "%f" storage of reals, and process-only overrides.
#include <gtest/gtest.h>

#include <tuple>

#include "app/persisted_settings.h"
#include "app/settings_store.h"
#include "app_test_support.h"
#include "core/default_urls.h"
#include "core/paths.h"
#include "core/progress_log.h"

namespace corvane {
namespace {

using testing::ClearStoredSettings;
using testing::ReadFile;

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearStoredSettings();
    SetLogProgress(false);
  }
  void TearDown() override { SetLogProgress(false); }
};

// An empty store gives the defaults; every value written reads back.
TEST_F(SettingsStoreTest, WrittenValuesReadBackInAFreshStore) {
  AnalysisFields fields;
  FormConfig config = DefaultFormConfig();
  SetLogProgress(true);  // the stored value is missing: the switch keeps its value
  ReadAllSettings(SettingsStore(), fields, config);

  EXPECT_EQ(config.audio, AudioSettings{});
  EXPECT_EQ(config.timeZoneUrl, "https://www.timeanddate.com/worldclock/converter.html");
  EXPECT_EQ(std::tie(config.dataUrl, config.pseudoDataUrl),
            std::tie(kDefaultDataUrl, kDefaultPseudoDataUrl));
  EXPECT_EQ(config.tempDirectory, SystemTempDirectory());
  for (const std::string* text : {&config.gnuplotPath, &fields.eggGroupFile, &fields.outputRoot,
                                  &config.remoteSaveDirectory}) {
    EXPECT_EQ(*text, "");
  }
  EXPECT_FALSE(config.saveCompressed || fields.dft);
  EXPECT_EQ(std::tie(fields.interval1Start, fields.interval2Start, fields.intervalDuration,
                     fields.smoothWindowSize, fields.smoothWindowType, fields.dftSize),
            std::tuple(0, 3600, 3600, 900, 0, 32768));
  EXPECT_DOUBLE_EQ(fields.expCoeff, 0.0001);
  EXPECT_DOUBLE_EQ(fields.eventDuration, 4.0);
  EXPECT_TRUE(LogProgress());
  // Not persisted: the start-up values.
  EXPECT_EQ(fields.dataName, "EggOutput");
  EXPECT_TRUE(fields.remoteAccess);

  fields.outputRoot = "/data/out";
  fields.eggGroupFile = "/data/europe.esg";
  fields.interval1Start = 60;
  fields.interval2Start = 7200;
  fields.intervalDuration = 1800;
  fields.smoothWindowSize = 600;
  fields.smoothWindowType = 2;
  fields.dft = true;
  fields.expCoeff = 0.25;
  fields.eventDuration = 1.5;
  config.tempDirectory = "/var/tmp/corvane";
  config.remoteSaveDirectory = "/data/remote";
  config.saveCompressed = true;
  config.gnuplotPath = "/usr/local/bin/gnuplot";
  config.timeZoneUrl = "https://example.org/tz";
  config.dataUrl = "http://127.0.0.1:9000/cgi-bin/eggdatareq.pl?z=1";
  config.pseudoDataUrl = "http://127.0.0.1:9000/pseudo/";
  config.audio.level = 60;
  config.audio.sampleRate = 11025;
  config.audio.restLength = 125;
  {
    SettingsStore store;
    WriteRequestSettings(store, fields);
    WriteDftSize(store, 4096);
    WriteConfiguration(store, fields, config, true);
    WriteAudioSettings(store, config.audio);
  }
  SetLogProgress(false);
  SettingsStore store;
  AnalysisFields read;
  FormConfig readConfig = DefaultFormConfig();
  ReadAllSettings(store, read, readConfig);
  fields.dftSize = 4096;
  EXPECT_EQ(read, fields);
  EXPECT_EQ(readConfig, config);
  EXPECT_TRUE(LogProgress());

  // Under the organisation and application, every value in the one group.
  EXPECT_EQ(testing::StoredSetting("ExpCoeff"), "0.250000");
  EXPECT_EQ(testing::StoredSetting("EventDuration"), "1.500000");
  EXPECT_EQ(testing::StoredSetting("LogProgress"), "1");

  // Reals are stored with six decimals; unreadable values give the default.
  store.WriteReal("ExpCoeff", 0.0000001);
  store.WriteReal("EventDuration", 0.0001);
  store.WriteText("SmoothWindowSize", "nine hundred");
  EXPECT_EQ(testing::StoredSetting("ExpCoeff"), "0.000000");
  EXPECT_EQ(testing::StoredSetting("EventDuration"), "0.000100");
  SettingsStore fresh;
  EXPECT_EQ(fresh.ReadReal("ExpCoeff", 0.5), 0.0);
  EXPECT_DOUBLE_EQ(fresh.ReadReal("EventDuration", 0.5), 0.0001);
  EXPECT_EQ(fresh.ReadInt("SmoothWindowSize", 900), 900);
}

TEST_F(SettingsStoreTest, OverridesAreReadButNeverStored) {
  {
    SettingsStore store;
    store.WriteInt("SmoothWindowSize", 600);
    store.WriteText("DataDir", "/stored");
  }
  {
    SettingsStore store;
    store.SetOverride("SmoothWindowSize", "300");
    EXPECT_EQ(store.ReadInt("SmoothWindowSize", 900), 300);
    store.WriteInt("SmoothWindowSize", 450);  // changes the override only
    EXPECT_EQ(store.ReadInt("SmoothWindowSize", 900), 450);
    store.WriteText("DataDir", "/written");  // not overridden: stored
  }
  SettingsStore store;
  EXPECT_EQ(store.ReadInt("SmoothWindowSize", 900), 600);
  EXPECT_EQ(store.ReadText("DataDir", ""), "/written");
  // An override must hold its setting's type (unknown names and words for
  // numbers: the runner's own test).
  EXPECT_FALSE(SettingOverrideError("ExpCoeff", "0.001"));
  EXPECT_TRUE(SettingOverrideError("SmoothWindowSize", "6.5"));
}

}  // namespace
}  // namespace corvane
