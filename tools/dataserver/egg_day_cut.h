// Cuts the records of a time span out of an egg data file.
//
// The result keeps the file's first line and header lines (everything up to
// and including the type-12 egg id record) and the type-13 records whose
// time stamp t satisfies from <= t <= to, in their order. The header's record
// count (type 11, field 2 = 4) is rewritten to the number of records kept;
// a header without one gets such a line before its type-12 record. Lines end
// with a line feed (a carriage return before it is dropped).
//
// A text that is not an egg data file (no "Samples per record" in its first
// line, no type-12 record) gives nullopt and a reason in *error.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::dataserver {

std::optional<std::string> CutEggData(std::string_view text, std::int64_t from, std::int64_t to,
                                      std::string* error);

}  // namespace corvane::dataserver
