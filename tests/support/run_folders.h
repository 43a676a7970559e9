// A run's folders for tests that write result files: a fresh root directory
// with the run's output directory "<root><data name>/" made inside it, and a
// RunContext whose settings name both and whose messages and statuses go to
// a recording link.
#pragma once

#include <filesystem>
#include <string>

#include "core/run_context.h"
#include "support/recording_link.h"
#include "support/temp_dir.h"

namespace corvane::testing {

struct RunFolders {
  TempDir root;
  RecordingLink link;
  RunContext context{&link, &link};

  explicit RunFolders(const std::string& dataName = "Quake") {
    context.settings.dataName = dataName;
    context.settings.rootDirectory = root.path();
    context.settings.outputDirectory = root.path() + dataName + "/";
    std::filesystem::create_directory(context.settings.outputDirectory);
  }
  // A file of the run's output directory.
  std::string Output(const std::string& name) const {
    return context.settings.outputDirectory + name;
  }
};

}  // namespace corvane::testing
