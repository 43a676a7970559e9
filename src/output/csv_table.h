// Comma-separated tables for other tools (pandas, R, spreadsheets): fields
// quoted as RFC 4180 asks, numbers in the C locale at full precision, records
// ended by CR LF, and appends that leave a table whole.
//
// A table is a header record followed by data records. Appending to a table
// checks its header first: a file that holds another table is never written
// to, so rows are never added under columns that do not match them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace corvane {

// The text as one field: quoted (with inner quotes doubled) when it holds a
// comma, a quote, a line break, or white space at either end.
std::string CsvField(const std::string& text);

// A number as one field: the shortest text that reads back as the same
// double, "Inf" or "-Inf" for infinities, and an empty (missing) field for
// NaN, which both pandas and R read as a missing value.
std::string CsvNumber(double value);
std::string CsvInteger(long long value);

// Joins fields with commas into a record, without its line end.
std::string CsvRecord(const std::vector<std::string>& fields);

// Appends records to the table at path, each followed by CR LF, writing the
// header first when the file does not exist or is empty. Returns the message
// that explains a refusal or failure (naming the file) instead:
//  - the path exists but is not a regular file;
//  - the file's first record is not this header (another table, or one with
//    other columns);
//  - the records could not be written completely (the file is then cut back
//    to its length before the append, so it never ends in half a record).
std::optional<std::string> AppendCsvRecords(const std::string& path, const std::string& header,
                                            const std::vector<std::string>& records);

}  // namespace corvane
