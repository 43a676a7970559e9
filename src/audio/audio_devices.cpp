#include "audio/audio_devices.h"

#include <fstream>

namespace corvane {

int CountPlaybackDevices(const std::string& pcmListPath) {
  std::ifstream list(pcmListPath);
  int count = 0;
  std::string line;
  while (std::getline(list, line)) {
    if (line.find("playback") != std::string::npos) ++count;
  }
  return count;
}

}  // namespace corvane
