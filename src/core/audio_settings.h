// The ten integer parameters of the sonification, in their fixed order.
#pragma once

namespace corvane {

struct AudioSettings {
  int level = 70;            // dB
  int dataBlockSize = 500;   // seconds of data per note
  int maxFrequency = 2000;   // Hz
  int minFrequency = 200;    // Hz
  int maxNoteLength = 1000;  // ms
  int minNoteLength = 100;   // ms
  int modulationRate = 6;    // Hz
  int modulationDepth = 30;  // percent
  int restLength = 250;      // ms
  int sampleRate = 8000;     // Hz

  bool operator==(const AudioSettings&) const = default;
};

}  // namespace corvane
