// Fuzz target: the egg data readers over plain text files.
//
// Input: an options byte (egg_run.h), then up to three files separated by
// form feeds ("\f"): the first file of a run and the files appended to it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "egg_run.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane::fuzz;
  if (size == 0) return 0;
  std::vector<std::string> paths;
  for (const std::string_view text : SplitFiles(AsText(data + 1, size - 1))) {
    paths.push_back(WriteScratchFile("day_" + std::to_string(paths.size() + 1) + ".csv", text));
  }
  ReadAndCheck(OptionsOfByte(data[0]), paths);
  return 0;
}
