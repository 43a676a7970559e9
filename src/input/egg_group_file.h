// Egg subgroup files (".esg"): a run restricted to a list of egg ids.
//
// The file is a sequence of tokens separated by white space: any number of
// comment lines first (a token beginning with "#" comments out the rest of
// its line), then the count n, then n egg ids in any layout. Nothing after
// the n-th id is read, and comments count only before the count.
//
// The subgroup is the list of ids actually read: empty (every egg selected)
// for an empty path, a file that cannot be opened (logged as "Failed to open
// egg group file '%s'"), a file that ends before the count, a count that is
// not a number, or a count of 0 or less. Reading of ids stops at the first
// token that is not a number, so a file with fewer ids than its count gives
// the ids it holds.
#pragma once

#include <string>
#include <vector>

namespace corvane {

std::vector<int> ReadEggGroupFile(const std::string& path);

// True when the subgroup is empty or holds the id.
bool IsEggSelected(const std::vector<int>& subgroup, int eggId);

}  // namespace corvane
