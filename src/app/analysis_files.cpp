// AnalysisDialog: naming a local egg file (chooser or path) and restoring a
// run from a dropped result file.
#include "app/analysis_dialog.h"

#include <filesystem>

#include "app/file_choosers.h"
#include "core/paths.h"

namespace corvane {

namespace {

std::string ParentOf(const std::string& path) {
  const size_t slash = path.find_last_of(kPathSeparator);
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string LastComponentOf(const std::string& path) {
  const size_t slash = path.find_last_of(kPathSeparator);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Absolute(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.string();
}

}  // namespace

void AnalysisDialog::OpenLocalEggFile() {
  if (!view_.PullFields()) return;
  const std::string path = view_.ChooseFile(kOpenEggFileTitle, kEggFileFilter, fields.localEggFile);
  if (path.empty()) return;
  OpenLocalEggFileAt(path);
}

void AnalysisDialog::OpenLocalEggFileAt(const std::string& path) {
  const std::string file = Absolute(path);
  fields.localEggFile = file;
  fields.dataName = LastComponentOf(ParentOf(file));
  fields.remoteAccess = false;
  view_.PushFields();
}

void AnalysisDialog::DropFiles(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  const std::string file = Absolute(paths.front());
  const std::string folder = ParentOf(file);
  const std::string root = ParentOf(folder);
  const std::string name = LastComponentOf(folder);
  if (name.empty()) {
    fields.localEggFile = file;
  } else {
    fields.outputRoot = root;
    fields.dataName = name;
    fields.localEggFile = root + kPathSeparator + name + kPathSeparator + name + ".dat";
  }
  view_.PushFields();
}

}  // namespace corvane
