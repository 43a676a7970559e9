#include "net/network_log.h"

#include "core/output_file.h"

namespace corvane {

void NetworkLog::Line(const std::string& text) const {
  if (Active()) AppendTextLine(path_, text);
}

void NetworkLog::StartFresh() const {
  if (!Active()) return;
  OutputFile file;
  if (file.Open(path_, "w")) {
    file.Write("\n");
    file.Close();
  }
}

}  // namespace corvane
