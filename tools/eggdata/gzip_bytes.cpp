#include "eggdata/gzip_bytes.h"

#include <algorithm>
#include <limits>

#include <zlib.h>

namespace corvane::eggdata {

std::optional<std::string> GzipCompress(std::string_view bytes, int level) {
  z_stream stream{};
  // 15 window bits plus 16: a gzip header and trailer around the deflate data.
  if (deflateInit2(&stream, level, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    return std::nullopt;
  }
  std::string out;
  out.resize(deflateBound(&stream, static_cast<uLong>(std::min<size_t>(
                                       bytes.size(), std::numeric_limits<uInt>::max()))) +
             64);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  size_t inputLeft = bytes.size();
  int status = Z_OK;
  while (status != Z_STREAM_END) {
    const uInt inputChunk =
        static_cast<uInt>(std::min<size_t>(inputLeft, std::numeric_limits<uInt>::max()));
    stream.avail_in = inputChunk;
    if (out.size() - stream.total_out < 4096) out.resize(out.size() * 2);
    stream.next_out = reinterpret_cast<Bytef*>(out.data() + stream.total_out);
    const size_t outputRoom =
        std::min<size_t>(out.size() - stream.total_out, std::numeric_limits<uInt>::max());
    stream.avail_out = static_cast<uInt>(outputRoom);
    status = deflate(&stream, inputLeft == inputChunk ? Z_FINISH : Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
      deflateEnd(&stream);
      return std::nullopt;
    }
    inputLeft -= inputChunk - stream.avail_in;
  }
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

}  // namespace corvane::eggdata
