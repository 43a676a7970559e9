// Fuzz target: the egg subgroup reader (".esg" texts).
//
// Input: the text of a subgroup file. Checks that a file is either read
// (some ids, no more than the bound) or refused with one readable message
// that names the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "input/egg_group_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane;
  using fuzz::Require;
  const std::string path = "groups/fuzz.esg";
  const EggSubgroup subgroup = ParseEggGroupText(fuzz::AsText(data, size), path);
  if (subgroup.error) {
    const std::string& message = *subgroup.error;
    Require(subgroup.ids.empty(), "a refused file selects no ids");
    Require(message.rfind("Egg subgroup file " + path, 0) == 0, "the message names the file");
    // A token is shown as at most 40 bytes, each in at most four characters.
    Require(message.size() <= path.size() + 256, "the message is bounded");
    for (const char c : message) {
      Require(c >= 0x20 && c < 0x7f, "the message is printable");
    }
  } else {
    Require(!subgroup.ids.empty(), "a read file selects some ids");
    Require(subgroup.ids.size() <= static_cast<size_t>(kMaxSubgroupIds), "at most the bound");
    for (const int id : subgroup.ids) Require(IsEggSelected(subgroup.ids, id), "its ids selected");
  }
  return 0;
}
