// The texts of the About box.
#pragma once

#include <string>

namespace corvane {

struct AboutText {
  std::string title;        // "About Corvane"
  std::string versionLine;  // "Corvane Version 1.0.0"
  std::string description;
};

AboutText AboutCorvane();

// The program's version, "1.0.0".
std::string CorvaneVersion();

// The system menu's item that opens the About box.
inline constexpr const char* kAboutMenuItem = "&About Corvane...";

}  // namespace corvane
