// One series as one WAV file: 16-bit mono PCM at the settings' sample rate,
// a 46-byte header (18-byte format chunk) and the notes of PlanNotes in
// order.
//
// Writing protocol: open (replacing an existing file), write a provisional
// header (data size twice the number of values), append every note, rewind,
// write the final header with the data size of the samples written, close.
// Every write and the close are checked; a file whose samples did not all
// reach the disk is reported as kWriteFailed and is never called written.
//
// The settings must pass AudioSettingsError; SonifySeries refuses them
// otherwise, and refuses notes that would need more than the 4 GiB a WAV
// header can describe, before it creates the file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "audio/note_plan.h"
#include "core/audio_settings.h"
#include "core/output_file.h"

namespace corvane {

enum class SonifyStatus {
  kWritten,
  kOpenFailed,       // the file could not be created
  kWriteFailed,      // a write, the rewind or the close failed
  kInvalidSettings,  // AudioSettingsError refused the settings
  kTooLarge,         // the samples would not fit a WAV file
};

struct SonifyResult {
  SonifyStatus status = SonifyStatus::kWritten;
  std::int64_t samples = 0;  // samples written
};

// True when the notes fit a WAV file at sampleRate.
bool FitsWaveFile(const std::vector<Note>& notes, int sampleRate);

// Writes notes (planned from valueCount values) to path. Assumes valid
// settings and notes that fit.
SonifyResult WriteSonification(const std::string& path, const std::vector<Note>& notes,
                               std::size_t valueCount, const AudioSettings& settings);
// The same into a file opened for writing ("wb"), which the caller closes:
// kWritten when every sample and both headers were written so far.
SonifyResult WriteSonification(OutputFile& file, const std::vector<Note>& notes,
                               std::size_t valueCount, const AudioSettings& settings);

// Plans the notes of values and writes them to path.
SonifyResult SonifySeries(const std::string& path, std::span<const double> values,
                          const AudioSettings& settings);

}  // namespace corvane
