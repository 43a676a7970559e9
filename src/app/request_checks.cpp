#include "app/request_checks.h"

#include <cmath>

#include "app/request_values.h"
#include "core/c_format.h"

namespace corvane {

namespace {

constexpr int kMaxResolution = 86400;      // one day of records per sample
constexpr int kMaxBlockSize = 31622400;    // one leap year of samples
constexpr double kMaxEventHours = 596523;  // the longest duration whose seconds fit an int

Refusal OutOfRange(const char* what, long long value, long long low, long long high) {
  return CFormat("%s must lie between %lld and %lld; %lld cannot be used.", what, low, high, value);
}

}  // namespace

Refusal CheckResolution(int resolution) {
  if (resolution < 1 || resolution > kMaxResolution) {
    return OutOfRange("The resolution (records per sample)", resolution, 1, kMaxResolution);
  }
  return std::nullopt;
}

Refusal CheckDftSize(int reducedSize) {
  if (reducedSize < 2) {
    return std::string("The DFT size must be at least 2.");
  }
  return std::nullopt;
}

Refusal CheckIntervals(int interval1Start, int interval2Start, int duration) {
  if (interval1Start < 0 || interval2Start < 0) {
    return CFormat("Interval starts cannot be negative (interval 1 at %d, interval 2 at %d).",
                   interval1Start, interval2Start);
  }
  if (duration < 2) {
    return CFormat("The interval duration must be at least 2 seconds; %d cannot be used.",
                   duration);
  }
  return std::nullopt;
}

Refusal CheckEchoMethod(int method) {
  if (method < 0 || method > 2) {
    return CFormat("Unknown event echo method %d (0 none, 1 correlation, 2 Euclidean distance).",
                   method);
  }
  return std::nullopt;
}

Refusal CheckDisplayVariable(int index) {
  if (index < 0 || index >= kDisplayVariableCount) {
    return OutOfRange("The display variable", index, 0, kDisplayVariableCount - 1);
  }
  return std::nullopt;
}

Refusal CheckEventDuration(double hours) {
  if (!std::isfinite(hours) || hours < 0.0 || hours > kMaxEventHours) {
    return CFormat("The event duration must lie between 0 and %.0f hours; %g cannot be used.",
                   kMaxEventHours, hours);
  }
  return std::nullopt;
}

Refusal CheckAudioSettings(const AudioSettings& audio) {
  if (audio.sampleRate < 1000 || audio.sampleRate > 192000) {
    return OutOfRange("The audio sample rate (Hz)", audio.sampleRate, 1000, 192000);
  }
  if (audio.level < -120 || audio.level > 120) {
    return OutOfRange("The audio level (dB)", audio.level, -120, 120);
  }
  if (audio.dataBlockSize < 1 || audio.dataBlockSize > kMaxBlockSize) {
    return OutOfRange("The audio data block size (sec)", audio.dataBlockSize, 1, kMaxBlockSize);
  }
  if (audio.minFrequency < 1 || audio.maxFrequency < audio.minFrequency ||
      audio.maxFrequency > audio.sampleRate / 2) {
    return CFormat(
        "The audio frequencies must satisfy 1 <= minimum <= maximum <= half the sample "
        "rate; %d Hz to %d Hz at %d Hz cannot be used.",
        audio.minFrequency, audio.maxFrequency, audio.sampleRate);
  }
  if (audio.minNoteLength < 1 || audio.maxNoteLength < audio.minNoteLength ||
      audio.maxNoteLength > 60000) {
    return CFormat(
        "The note lengths must satisfy 1 <= minimum <= maximum <= 60000 msec; %d to %d "
        "msec cannot be used.",
        audio.minNoteLength, audio.maxNoteLength);
  }
  if (audio.restLength < 0 || audio.restLength > 60000) {
    return OutOfRange("The rest length (msec)", audio.restLength, 0, 60000);
  }
  if (audio.modulationRate < 0 || audio.modulationRate > audio.sampleRate / 2) {
    return OutOfRange("The modulation rate (Hz)", audio.modulationRate, 0, audio.sampleRate / 2);
  }
  return std::nullopt;
}

}  // namespace corvane
