// The two kinds of data request the stand-in data server answers, read from
// their URL parts.
//
//  - real egg data: /cgi-bin/eggdatareq.pl?year=Y&month=M&day=D
//    &stime=HH:MM:SS&etime=HH:MM:SS&gzip=Yes (further keys such as z and
//    idate are accepted and ignored). stime defaults to 00:00:00, etime to
//    23:59:59; gzip=Yes (any letter case) asks for a gzip stream, anything
//    else for plain text.
//  - pseudo-egg data: /pseudoeggs.dir/pseudoeggs/YYYY/basketdata-YYYY-MM-DD.csv.gz,
//    always the whole day, gzip-compressed.
//
// A request that cannot be read gives nullopt and a message that says why.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace corvane::dataserver {

struct DataRequest {
  std::int64_t dayStart = 0;  // 00:00:00 of the date, seconds since 1970 UTC
  std::int64_t from = 0;      // first second asked for
  std::int64_t to = 0;        // last second asked for (inclusive)
  bool gzip = true;
  std::string DateText() const;  // "2011-05-03"
};

using QueryParams = std::multimap<std::string, std::string>;

std::optional<DataRequest> ParseRealDataRequest(const QueryParams& params, std::string* error);

// path is the request's path without the query.
std::optional<DataRequest> ParsePseudoDataPath(const std::string& path, std::string* error);

}  // namespace corvane::dataserver
