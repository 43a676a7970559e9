// What the fuzz targets share: a scratch directory for the readers that take
// a file, and the check that turns a broken promise into a crash that
// libFuzzer reports and saves.
//
// The scratch directory is made once per process (in /dev/shm when there is
// one, so that writing each input costs no disk) and removed when the
// process exits normally.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::fuzz {

// The scratch directory, ending with a separator.
const std::string& ScratchDirectory();

// Writes bytes to ScratchDirectory() + name, replacing the file, and returns
// its path. Aborts when the file cannot be written: that is the machine's
// fault, not a finding.
std::string WriteScratchFile(const std::string& name, std::string_view bytes);

// The fuzzer's input as text.
inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Aborts with the message when a promise of the code under test is broken.
void Require(bool holds, const char* promise);

}  // namespace corvane::fuzz
