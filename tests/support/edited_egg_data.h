// Egg data files with faults in their time stamps, for the tests of what a
// run says about its input: records repeated, a record going backwards, and
// seconds left out.
#pragma once

#include <string>
#include <vector>

#include "eggdata/egg_data_generator.h"
#include "support/text_lines.h"

namespace corvane::testing {

// The generated text of the options with its data lines edited: the record
// at `repeat` written twice more, the one at `back` written again after the
// one at `back + 100`, and the records from `cut` on for `gap` seconds left
// out. The header counts the records written.
inline std::string EditedEggData(eggdata::EggDataOptions options, int repeat, int back, int cut,
                                 int gap) {
  std::vector<std::string> lines = Lines(eggdata::GenerateEggData(options));
  const size_t first = lines.size() - static_cast<size_t>(options.stop - options.start + 1);
  std::vector<std::string> data(lines.begin() + first, lines.end());
  lines.resize(first);
  std::string records;
  int count = 0;
  for (int i = 0; i < static_cast<int>(data.size()); ++i) {
    if (i >= cut && i < cut + gap) continue;
    const int copies = i == repeat ? 3 : 1;
    for (int k = 0; k < copies; ++k, ++count) records += data[i] + "\n";
    if (i == back + 100) {
      records += data[back] + "\n";
      ++count;
    }
  }
  options.headerRecordCount = count;
  lines = Lines(eggdata::GenerateEggData(options));
  lines.resize(first);
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text + records;
}

}  // namespace corvane::testing
