// The notes that sound one series: the series is cut into blocks of
// dataBlockSize values, and every block that has at least one value after it
// becomes one note (the last 1..dataBlockSize values are never sounded).
//
//  - Pitch: where the block's mean lies in the range of the whole series,
//    mapped linearly onto minFrequency..maxFrequency; a series whose values
//    are all equal gets the middle frequency.
//  - Length: minNoteLength + (maxNoteLength - minNoteLength) * |slope| msec,
//    truncated, where slope is the least-squares slope of the block's values
//    normalised to 0..1 against positions (j + 1)/B; a flat block has slope 0.
//  - A rest (kRestFrequency, restLength msec) comes before the note of a
//    falling block that follows a rising one.
//
// Values that are not finite are left out of the series' range, and a block
// holding one is skipped (it makes no note and leaves the previous slope as
// it was). A block size below 2 gives no notes. Work and memory are linear in
// the number of values.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/audio_settings.h"

namespace corvane {

struct Note {
  float frequency = 0.0f;  // Hz; kRestFrequency for a rest
  int lengthMs = 0;
  bool rest = false;

  bool operator==(const Note&) const = default;
};

std::vector<Note> PlanNotes(std::span<const double> values, const AudioSettings& settings);

// The number of samples the notes take at sampleRate.
std::int64_t PlannedSampleCount(const std::vector<Note>& notes, int sampleRate);

}  // namespace corvane
