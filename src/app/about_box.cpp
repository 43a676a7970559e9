#include "app/about_box.h"

#ifndef CORVANE_VERSION
#error "CORVANE_VERSION must be defined by the build"
#endif

namespace corvane {

std::string CorvaneVersion() { return CORVANE_VERSION; }

AboutText AboutCorvane() {
  AboutText text;
  text.title = "About Corvane";
  text.versionLine = "Corvane Version " + CorvaneVersion();
  text.description =
      "Composite statistics of the data of a worldwide network of hardware random-number "
      "generators.";
  return text;
}

}  // namespace corvane
