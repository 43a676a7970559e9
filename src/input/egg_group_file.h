// Egg subgroup files (".esg"): a run restricted to a list of egg ids.
//
// The file is a sequence of tokens separated by white space: any number of
// comment lines first (a token beginning with "#" comments out the rest of
// its line), then the count n, then n egg ids in any layout. Nothing after
// the n-th id is read, and comments count only before the count. The count
// and the ids are whole decimal numbers (an optional sign, digits, nothing
// else); an id must fit a signed 32-bit integer.
//
// An empty path means no subgroup: every egg is selected. A named file is
// either read soundly or refused with a message naming it, so a typo never
// silently runs over all eggs:
//   "Egg subgroup file %s cannot be read: %s" (the system's reason, or "it is
//     a FIFO" and the like for a name that is not a regular file, which is
//     refused without waiting on it);
//   "Egg subgroup file %s is larger than %lld bytes" (kMaxEggGroupFileBytes);
//   "Egg subgroup file %s holds no egg identifier" when it ends before the
//     count or before the first id, or its count is 0 or less;
//   "Egg subgroup file %s: the count %lld is larger than %d"
//     (kMaxSubgroupIds);
//   "Egg subgroup file %s: \"%s\" is not a whole number" for the first count
//     or id token that is not one (a comma, a letter, beyond 32 bits). The
//     token is shown as far as its first 40 bytes, with bytes that are not
//     printable written as \xNN.
// A count larger than the ids that follow gives the ids the file holds.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// Bounds that no real subgroup file comes near (a network has some hundreds
// of eggs); they keep a damaged or hostile file from taking memory or time.
inline constexpr long long kMaxEggGroupFileBytes = 1 << 20;
inline constexpr int kMaxSubgroupIds = 10'000;

struct EggSubgroup {
  std::vector<int> ids;              // empty: every egg
  std::optional<std::string> error;  // set when the file is refused (ids empty)
};

// Reads the subgroup file at path (see above). Logs "Failed to open egg group
// file '%s'" when the file cannot be read.
EggSubgroup ReadEggGroupFile(const std::string& path);

// The subgroup that the text of a file holds; path names it in messages.
EggSubgroup ParseEggGroupText(std::string_view text, const std::string& path);

// True when the subgroup is empty or holds the id.
bool IsEggSelected(const std::vector<int>& subgroup, int eggId);

}  // namespace corvane
