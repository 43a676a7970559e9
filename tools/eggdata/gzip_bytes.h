// In-memory gzip compression (zlib), for writing compressed egg data files
// and for serving them over HTTP.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane::eggdata {

// The bytes as one complete gzip stream (readable by gunzip and zlib's gz*
// functions), or nullopt when zlib fails. level is zlib's: 1 (fastest) to 9
// (smallest), -1 its default.
std::optional<std::string> GzipCompress(std::string_view bytes, int level = -1);

}  // namespace corvane::eggdata
