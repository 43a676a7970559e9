#include "gzip_text.h"

#include <zlib.h>

#include "fuzz_input.h"

namespace corvane::fuzz {

std::string Gzip(std::string_view text) {
  z_stream stream{};
  // Window bits 15 + 16: a gzip wrapper. Level 1 keeps the targets fast.
  Require(deflateInit2(&stream, 1, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) == Z_OK,
          "zlib set up");
  std::string out(deflateBound(&stream, static_cast<uLong>(text.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  Require(deflate(&stream, Z_FINISH) == Z_STREAM_END, "zlib compressed");
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

}  // namespace corvane::fuzz
