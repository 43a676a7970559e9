#include "audio/sonify_series.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "audio/audio_settings_check.h"
#include "audio/tone_synthesizer.h"
#include "core/output_file.h"

namespace corvane {
namespace {

constexpr int kChannels = 1;
constexpr int kBitsPerSample = 16;

void WriteHeader(OutputFile& file, ToneSynthesizer& synthesizer, int sampleRate,
                 std::uint64_t dataBytes) {
  std::array<std::uint8_t, kWaveHeaderSize> header{};
  const auto bytes =
      static_cast<std::uint32_t>(std::min<std::uint64_t>(dataBytes, kMaxWaveDataBytes));
  const std::size_t size =
      synthesizer.BuildWaveHeader(header, kChannels, sampleRate, kBitsPerSample, bytes);
  file.Write(std::string_view(reinterpret_cast<const char*>(header.data()), size));
}

}  // namespace

bool FitsWaveFile(const std::vector<Note>& notes, int sampleRate) {
  return static_cast<std::uint64_t>(PlannedSampleCount(notes, sampleRate)) * 2 <= kMaxWaveDataBytes;
}

SonifyResult WriteSonification(OutputFile& file, const std::vector<Note>& notes,
                               std::size_t valueCount, const AudioSettings& settings) {
  ToneSynthesizer synthesizer;
  synthesizer.SetLevel(static_cast<float>(settings.level));
  synthesizer.SetModulation(static_cast<float>(settings.modulationRate),
                            static_cast<float>(settings.modulationDepth));

  WriteHeader(file, synthesizer, settings.sampleRate, std::uint64_t{2} * valueCount);
  std::int64_t total = 0;
  for (const Note& note : notes) {
    if (!file.Ok()) break;
    total += synthesizer.WriteNote(file, note.frequency, settings.sampleRate, note.lengthMs);
  }
  file.Rewind();
  WriteHeader(file, synthesizer, settings.sampleRate, 2 * static_cast<std::uint64_t>(total));
  const bool complete = file.Ok() && total == PlannedSampleCount(notes, settings.sampleRate);
  return {complete ? SonifyStatus::kWritten : SonifyStatus::kWriteFailed, total};
}

SonifyResult WriteSonification(const std::string& path, const std::vector<Note>& notes,
                               std::size_t valueCount, const AudioSettings& settings) {
  OutputFile file;
  if (!file.Open(path, "wb")) return {SonifyStatus::kOpenFailed, 0};
  SonifyResult result = WriteSonification(file, notes, valueCount, settings);
  if (!file.Close()) result.status = SonifyStatus::kWriteFailed;
  return result;
}

SonifyResult SonifySeries(const std::string& path, std::span<const double> values,
                          const AudioSettings& settings) {
  if (AudioSettingsError(settings)) return {SonifyStatus::kInvalidSettings, 0};
  const std::vector<Note> notes = PlanNotes(values, settings);
  if (!FitsWaveFile(notes, settings.sampleRate)) return {SonifyStatus::kTooLarge, 0};
  return WriteSonification(path, notes, values.size(), settings);
}

}  // namespace corvane
