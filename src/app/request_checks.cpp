#include "app/request_checks.h"

#include <cmath>

#include "app/request_values.h"
#include "core/c_format.h"

namespace corvane {

namespace {

constexpr int kMaxResolution = 86400;      // one day of records per sample
constexpr int kMaxWindowSize = 31622400;   // one leap year of samples
constexpr double kMaxEventHours = 596523;  // the longest duration whose seconds fit an int

Refusal OutOfRange(const char* what, long long value, long long low, long long high) {
  return CFormat("%s must lie between %lld and %lld; %lld cannot be used.", what, low, high,
                 value);
}

}  // namespace

Refusal CheckDataName(const std::string& name) {
  const char* reason = nullptr;
  if (name == ".") {
    reason = "only a dot";
  } else if (name.find("..") != std::string::npos) {
    reason = "\"..\"";
  } else if (name.find_first_of("/\\") != std::string::npos) {
    reason = "a path separator";
  } else if (name.find_first_of("\"'`") != std::string::npos) {
    reason = "a quote";
  } else {
    for (const char c : name) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
        reason = "a control character";
        break;
      }
    }
  }
  if (reason == nullptr) return std::nullopt;
  return std::string("The data name \"") + name +
         "\" cannot be used: it names the run's folder and files, and may not contain " + reason +
         ".";
}

Refusal CheckSmoothingMode(int mode) {
  if (mode < 0 || mode > 2) {
    return CFormat("Unknown smoothing filter %d (0 exponential, 1 rectangle, 2 triangle).", mode);
  }
  return std::nullopt;
}

Refusal CheckWindowSize(int windowSize) {
  if (windowSize < 1 || windowSize > kMaxWindowSize) {
    return OutOfRange("The smoothing window size", windowSize, 1, kMaxWindowSize);
  }
  return std::nullopt;
}

Refusal CheckCoefficient(double coefficient) {
  if (!std::isfinite(coefficient) || coefficient < 0.0 || coefficient > 1.0) {
    return CFormat("The exponential filter coefficient must lie between 0 and 1; %g cannot be "
                   "used.",
                   coefficient);
  }
  return std::nullopt;
}

Refusal CheckSmoothing(int mode, int windowSize, double coefficient) {
  if (Refusal refusal = CheckSmoothingMode(mode)) return refusal;
  return mode == 0 ? CheckCoefficient(coefficient) : CheckWindowSize(windowSize);
}

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
  if (audio.dataBlockSize < 1 || audio.dataBlockSize > kMaxWindowSize) {
    return OutOfRange("The audio data block size (sec)", audio.dataBlockSize, 1, kMaxWindowSize);
  }
  if (audio.minFrequency < 1 || audio.maxFrequency < audio.minFrequency ||
      audio.maxFrequency > audio.sampleRate / 2) {
    return CFormat("The audio frequencies must satisfy 1 <= minimum <= maximum <= half the sample "
                   "rate; %d Hz to %d Hz at %d Hz cannot be used.",
                   audio.minFrequency, audio.maxFrequency, audio.sampleRate);
  }
  if (audio.minNoteLength < 1 || audio.maxNoteLength < audio.minNoteLength ||
      audio.maxNoteLength > 60000) {
    return CFormat("The note lengths must satisfy 1 <= minimum <= maximum <= 60000 msec; %d to %d "
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
