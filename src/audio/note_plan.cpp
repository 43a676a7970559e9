#include "audio/note_plan.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "audio/linear_fit.h"
#include "audio/tone_synthesizer.h"

namespace corvane {
namespace {

struct Range {
  double low = 0.0;
  double high = 0.0;
  bool any = false;
};

Range FiniteRange(std::span<const double> values) {
  Range range;
  for (const double value : values) {
    if (!std::isfinite(value)) continue;
    if (!range.any || value < range.low) range.low = value;
    if (!range.any || value > range.high) range.high = value;
    range.any = true;
  }
  return range;
}

}  // namespace

std::vector<Note> PlanNotes(std::span<const double> values, const AudioSettings& settings) {
  std::vector<Note> notes;
  const int block_size = settings.dataBlockSize;
  if (block_size < 2 || values.size() <= static_cast<std::size_t>(block_size)) return notes;
  const Range whole = FiniteRange(values);
  if (!whole.any) return notes;

  const auto b = static_cast<std::size_t>(block_size);
  std::vector<double> x(b);
  std::vector<double> y(b);
  for (std::size_t j = 0; j < b; ++j) x[j] = static_cast<double>(j + 1) / block_size;

  const double low_frequency = settings.minFrequency;
  const double frequency_span = static_cast<double>(settings.maxFrequency) - low_frequency;
  const double length_span =
      static_cast<double>(settings.maxNoteLength) - static_cast<double>(settings.minNoteLength);
  double previous_slope = 0.0;
  for (std::size_t w = 0; w < values.size() - b; w += b) {
    const std::span<const double> block = values.subspan(w, b);
    const Range range = FiniteRange(block);
    double sum = 0.0;
    for (const double value : block) sum += value;
    if (!std::isfinite(sum)) continue;  // a value that is not finite, or an overflow
    const double mean = sum / block_size;

    double slope = 0.0;
    if (range.high > range.low) {
      for (std::size_t j = 0; j < b; ++j) y[j] = (block[j] - range.low) / (range.high - range.low);
      slope = LinearFit(x, y);
    }
    const double position =
        whole.high > whole.low ? (mean - whole.low) / (whole.high - whole.low) : 0.5;
    const auto frequency = static_cast<float>(position * frequency_span + low_frequency);
    if (!std::isfinite(slope) || !std::isfinite(frequency)) continue;

    if (previous_slope > 0.0 && slope < 0.0) {
      notes.push_back({kRestFrequency, settings.restLength, true});
    }
    previous_slope = slope;
    const double length = std::trunc(length_span * std::fabs(slope) + settings.minNoteLength);
    notes.push_back({frequency, static_cast<int>(std::clamp(length, 0.0, double{INT_MAX})), false});
  }
  return notes;
}

std::int64_t PlannedSampleCount(const std::vector<Note>& notes, int sampleRate) {
  std::int64_t total = 0;
  for (const Note& note : notes)
    total += ToneSynthesizer::NoteSampleCount(note.lengthMs, sampleRate);
  return total;
}

}  // namespace corvane
