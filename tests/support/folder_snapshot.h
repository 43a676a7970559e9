// Every file below a folder with its contents, to tell whether a run left a
// folder exactly as it was, or exactly as another run left it.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace corvane::testing {

// Relative path -> contents of every regular file below folder (hidden ones
// too); a folder maps to "<folder>".
inline std::map<std::string, std::string> FolderSnapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    const std::string name = std::filesystem::relative(entry.path(), folder).string();
    files[name] = entry.is_directory() ? "<folder>" : ReadFile(entry.path().string());
  }
  return files;
}

// The names of the files that are in one snapshot only or differ between
// the two (so that a failed comparison prints names, not contents).
inline std::vector<std::string> DifferentFiles(const std::map<std::string, std::string>& a,
                                               const std::map<std::string, std::string>& b) {
  std::vector<std::string> names;
  for (const auto& [name, contents] : a) {
    const auto other = b.find(name);
    if (other == b.end() || other->second != contents) names.push_back(name);
  }
  for (const auto& [name, contents] : b) {
    if (a.count(name) == 0) names.push_back(name);
  }
  return names;
}

// Makes the folder hold exactly the snapshot's files.
inline void RestoreFolder(const std::string& folder,
                          const std::map<std::string, std::string>& snapshot) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::filesystem::remove_all(entry.path());
  }
  for (const auto& [name, contents] : snapshot) {
    const std::string path = folder + name;
    if (contents == "<folder>") {
      std::filesystem::create_directories(path);
    } else {
      std::filesystem::create_directories(std::filesystem::path(path).parent_path());
      WriteFile(path, contents);
    }
  }
}

}  // namespace corvane::testing
