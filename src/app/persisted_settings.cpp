#include "app/persisted_settings.h"

#include <array>

#include "app/field_exchange.h"
#include "core/c_format.h"
#include "core/progress_log.h"
#include "output/plot_picture.h"

namespace corvane {

namespace {

enum class Kind { kInt, kText, kReal, kPictures };

struct SettingName {
  const char* name;
  Kind kind;
};

// Every persisted value, in the order of reading.
constexpr std::array<SettingName, 30> kSettings = {{
    {"AudioLevel", Kind::kInt},
    {"DataBlockSize", Kind::kInt},
    {"MaxFreq", Kind::kInt},
    {"MinFreq", Kind::kInt},
    {"MaxNoteLength", Kind::kInt},
    {"MinNoteLength", Kind::kInt},
    {"ModulationRate", Kind::kInt},
    {"ModulationDepth", Kind::kInt},
    {"RestLength", Kind::kInt},
    {"SampleRate", Kind::kInt},
    {"GnuplotDir", Kind::kText},
    {"TimeZoneURL", Kind::kText},
    {"DataURL", Kind::kText},
    {"PseudoDataURL", Kind::kText},
    {"EggGroupFile", Kind::kText},
    {"DataDir", Kind::kText},
    {"TempDir", Kind::kText},
    {"RemoteSaveDir", Kind::kText},
    {"SaveCompressed", Kind::kInt},
    {"Int1Start", Kind::kInt},
    {"Int2Start", Kind::kInt},
    {"IntervalDuration", Kind::kInt},
    {"SmoothWindowSize", Kind::kInt},
    {"SmoothWindowType", Kind::kInt},
    {"DFT", Kind::kInt},
    {"DFTSize", Kind::kInt},
    {"ExpCoeff", Kind::kReal},
    {"EventDuration", Kind::kReal},
    {"LogProgress", Kind::kInt},
    {"PlotPictures", Kind::kPictures},
}};

bool ReadFlag(const SettingsStore& store, const char* name, bool current) {
  return store.ReadInt(name, current ? 1 : 0) != 0;
}

}  // namespace

void ReadAllSettings(const SettingsStore& store, AnalysisFields& fields, FormConfig& config) {
  AudioSettings& audio = config.audio;
  audio.level = store.ReadInt("AudioLevel", audio.level);
  audio.dataBlockSize = store.ReadInt("DataBlockSize", audio.dataBlockSize);
  audio.maxFrequency = store.ReadInt("MaxFreq", audio.maxFrequency);
  audio.minFrequency = store.ReadInt("MinFreq", audio.minFrequency);
  audio.maxNoteLength = store.ReadInt("MaxNoteLength", audio.maxNoteLength);
  audio.minNoteLength = store.ReadInt("MinNoteLength", audio.minNoteLength);
  audio.modulationRate = store.ReadInt("ModulationRate", audio.modulationRate);
  audio.modulationDepth = store.ReadInt("ModulationDepth", audio.modulationDepth);
  audio.restLength = store.ReadInt("RestLength", audio.restLength);
  audio.sampleRate = store.ReadInt("SampleRate", audio.sampleRate);
  config.gnuplotPath = store.ReadText("GnuplotDir", config.gnuplotPath);
  config.timeZoneUrl = store.ReadText("TimeZoneURL", config.timeZoneUrl);
  config.dataUrl = store.ReadText("DataURL", config.dataUrl);
  config.pseudoDataUrl = store.ReadText("PseudoDataURL", config.pseudoDataUrl);
  fields.eggGroupFile = store.ReadText("EggGroupFile", fields.eggGroupFile);
  fields.outputRoot = store.ReadText("DataDir", fields.outputRoot);
  config.tempDirectory = store.ReadText("TempDir", config.tempDirectory);
  config.remoteSaveDirectory = store.ReadText("RemoteSaveDir", config.remoteSaveDirectory);
  config.saveCompressed = ReadFlag(store, "SaveCompressed", config.saveCompressed);
  fields.interval1Start = store.ReadInt("Int1Start", fields.interval1Start);
  fields.interval2Start = store.ReadInt("Int2Start", fields.interval2Start);
  fields.intervalDuration = store.ReadInt("IntervalDuration", fields.intervalDuration);
  fields.smoothWindowSize = store.ReadInt("SmoothWindowSize", fields.smoothWindowSize);
  fields.smoothWindowType = store.ReadInt("SmoothWindowType", fields.smoothWindowType);
  fields.dft = ReadFlag(store, "DFT", fields.dft);
  fields.dftSize = store.ReadInt("DFTSize", fields.dftSize);
  // The reals' defaults go through "%f" as they would be stored.
  fields.expCoeff = store.ReadReal("ExpCoeff", LeadingDouble(CFormat("%f", fields.expCoeff)));
  fields.eventDuration =
      store.ReadReal("EventDuration", LeadingDouble(CFormat("%f", fields.eventDuration)));
  SetLogProgress(store.ReadInt("LogProgress", LogProgress() ? 1 : 0) == 1);
  // A stored name that is none of the formats leaves the current choice.
  const std::string pictures =
      store.ReadText("PlotPictures", PictureFormatName(config.plotPictures));
  config.plotPictures = PictureFormatFromName(pictures).value_or(config.plotPictures);
}

void WriteDftSize(SettingsStore& store, int dftSize) {
  store.WriteInt("DFTSize", dftSize);
  store.Sync();
}

void WriteRequestSettings(SettingsStore& store, const AnalysisFields& fields) {
  store.WriteText("DataDir", fields.outputRoot);
  store.WriteInt("Int1Start", fields.interval1Start);
  store.WriteInt("Int2Start", fields.interval2Start);
  store.WriteInt("IntervalDuration", fields.intervalDuration);
  store.WriteInt("SmoothWindowSize", fields.smoothWindowSize);
  store.WriteInt("SmoothWindowType", fields.smoothWindowType);
  store.WriteInt("DFT", fields.dft ? 1 : 0);
  store.WriteReal("ExpCoeff", fields.expCoeff);
  store.WriteReal("EventDuration", fields.eventDuration);
  store.Sync();
}

void WriteConfiguration(SettingsStore& store, const AnalysisFields& fields,
                        const FormConfig& config, bool logProgress) {
  store.WriteInt("LogProgress", logProgress ? 1 : 0);
  store.WriteInt("SaveCompressed", config.saveCompressed ? 1 : 0);
  store.WriteText("TempDir", config.tempDirectory);
  store.WriteText("DataDir", fields.outputRoot);
  store.WriteText("RemoteSaveDir", config.remoteSaveDirectory);
  store.WriteText("GnuplotDir", config.gnuplotPath);
  store.WriteText("TimeZoneURL", config.timeZoneUrl);
  store.WriteText("DataURL", config.dataUrl);
  store.WriteText("PseudoDataURL", config.pseudoDataUrl);
  store.WriteText("EggGroupFile", fields.eggGroupFile);
  store.WriteText("PlotPictures", PictureFormatName(config.plotPictures));
  store.Sync();
}

void WriteAudioSettings(SettingsStore& store, const AudioSettings& audio) {
  store.WriteInt("AudioLevel", audio.level);
  store.WriteInt("DataBlockSize", audio.dataBlockSize);
  store.WriteInt("MaxFreq", audio.maxFrequency);
  store.WriteInt("MinFreq", audio.minFrequency);
  store.WriteInt("MaxNoteLength", audio.maxNoteLength);
  store.WriteInt("MinNoteLength", audio.minNoteLength);
  store.WriteInt("ModulationRate", audio.modulationRate);
  store.WriteInt("ModulationDepth", audio.modulationDepth);
  store.WriteInt("RestLength", audio.restLength);
  store.WriteInt("SampleRate", audio.sampleRate);
  store.Sync();
}

std::optional<std::string> SettingOverrideError(const std::string& name, const std::string& value) {
  for (const SettingName& setting : kSettings) {
    if (name != setting.name) continue;
    switch (setting.kind) {
      case Kind::kInt:
        if (!IntegerFromField(value)) {
          return "The setting " + name + " takes an integer, not \"" + value + "\".";
        }
        return std::nullopt;
      case Kind::kReal:
        if (!ParseDouble(value)) {
          return "The setting " + name + " takes a number, not \"" + value + "\".";
        }
        return std::nullopt;
      case Kind::kText:
        return std::nullopt;
      case Kind::kPictures:
        if (!PictureFormatFromName(value)) {
          return "The setting " + name + " takes none, png, svg or pdf, not \"" + value + "\".";
        }
        return std::nullopt;
    }
  }
  return "There is no setting named \"" + name + "\".";
}

}  // namespace corvane
