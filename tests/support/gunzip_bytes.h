// In-memory gzip decompression for tests that check what was sent or
// downloaded.
#pragma once

#include <zlib.h>

#include <optional>
#include <string>
#include <string_view>

namespace corvane::testing {

// The decompressed bytes of one complete gzip stream; nullopt for data that
// is not gzip or is damaged or truncated.
inline std::optional<std::string> GunzipBytes(std::string_view compressed) {
  z_stream stream{};
  if (inflateInit2(&stream, 15 + 16) != Z_OK) return std::nullopt;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  stream.avail_in = static_cast<uInt>(compressed.size());
  std::string out;
  char buffer[1 << 16];
  int status = Z_OK;
  while (status == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = sizeof buffer;
    status = inflate(&stream, Z_NO_FLUSH);
    out.append(buffer, sizeof buffer - stream.avail_out);
    if (status == Z_BUF_ERROR && stream.avail_in == 0) break;
  }
  inflateEnd(&stream);
  if (status != Z_STREAM_END) return std::nullopt;
  return out;
}

}  // namespace corvane::testing
