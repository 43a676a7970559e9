#include "core/data_name.h"

namespace corvane {

std::optional<std::string> DataNameError(const std::string& name) {
  if (name.empty()) return std::string("The data name must not be empty");
  if (name == "." || name == "..") return std::string("The data name must not be \".\" or \"..\"");
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\') {
      return "The data name \"" + name + "\" must not contain a path separator";
    }
    if (c == '"' || c == '\'' || c == '`') {
      return "The data name " + name + " must not contain quotes";
    }
    if (byte < 0x20 || byte == 0x7f) {
      return std::string("The data name must not contain control characters");
    }
  }
  return std::nullopt;
}

}  // namespace corvane
