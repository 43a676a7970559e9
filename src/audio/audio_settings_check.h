// The range check of the audio parameters, made where they enter (the Audio
// dialog, batch keywords) and again when a run starts writing sound.
//
// Refused: a sample rate outside 1..kMaxAudioSampleRate Hz; note and rest
// lengths outside 0..kMaxAudioNoteLength msec; a minimum note length above
// the maximum (it would give negative lengths for steep blocks). Within these
// limits one note takes at most a few tens of megabytes, and a WAV file's
// 4 GiB limit is checked by the run, which knows how many notes there are.
// The level, frequencies, modulation and block size are not refused: samples
// clip at the 16-bit limits, the depth is clamped to 0..100 percent, and a
// block size below 2 sounds no block.
#pragma once

#include <optional>
#include <string>

#include "core/audio_settings.h"

namespace corvane {

inline constexpr int kMaxAudioSampleRate = 192000;  // Hz
inline constexpr int kMaxAudioNoteLength = 60000;   // msec

// A clear message naming the first parameter out of range, or nullopt when
// the settings can be used.
std::optional<std::string> AudioSettingsError(const AudioSettings& settings);

}  // namespace corvane
