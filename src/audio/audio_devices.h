// How many sound playback devices the system reports. Only the sonification
// asks, to tell the user when the machine has none; sound files are written
// the same either way. Never fails: a machine without sound support answers 0.
#pragma once

#include <string>

namespace corvane {

// The kernel's list of PCM devices, one line per device; playback devices
// say "playback" on their line.
inline constexpr const char* kPcmDeviceList = "/proc/asound/pcm";

// Counts the playback entries of a PCM device list; 0 when the list cannot
// be read.
int CountPlaybackDevices(const std::string& pcmListPath = kPcmDeviceList);

}  // namespace corvane
