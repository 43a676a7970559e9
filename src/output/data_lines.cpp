#include "output/data_lines.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "core/file_descriptor.h"
#include "core/output_file.h"
#include "core/regular_file.h"

namespace corvane {

DataLines CountDataLines(const std::string& path) {
  DataLines lines;
  std::string notRegular;
  const FileDescriptor fd(OpenRegularFileDescriptor(path, &notRegular));
  if (!fd.valid()) {
    lines.reason = notRegular.empty() ? ErrorText(errno) : notRegular;
    return lines;
  }
  std::vector<char> buffer(1 << 20);
  char last = '\n';
  for (;;) {
    const ssize_t n = read(fd.get(), buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      lines.reason = ErrorText(errno);
      return lines;
    }
    if (n == 0) break;
    lines.complete += std::count(buffer.data(), buffer.data() + n, '\n');
    last = buffer[static_cast<std::size_t>(n - 1)];
  }
  lines.readable = true;
  lines.unfinished = last != '\n';
  return lines;
}

}  // namespace corvane
